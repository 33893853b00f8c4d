#include "datagrid.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

namespace tolvaris {

// ------------------------------------------------------------- GridFooter

GridFooter::GridFooter(DataGrid *grid) : QWidget(grid), grid_(grid)
{
    setObjectName(QStringLiteral("footer"));
    setAutoFillBackground(false);
}

QSize GridFooter::sizeHint() const { return {100, fontMetrics().height() + 10}; }

void GridFooter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette &pal = palette();
    p.fillRect(rect(), pal.window());
    const QHeaderView *h = grid_->horizontalHeader();
    const DatasetModel *m = grid_->gridModel();
    for (int vis = 0; vis < h->count(); ++vis) {
        const int col = h->logicalIndex(vis);
        if (h->isSectionHidden(col)) continue;
        const int x = h->sectionViewportPosition(col);
        const int w = h->sectionSize(col);
        if (x + w < 0 || x > width()) continue;
        const QRect cell(x + 1, 2, w - 3, height() - 5);
        const QString text = m->footerText(col);
        if (text.isEmpty()) continue;
        // A sunken panel per summary, as grid footers usually look.
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(cell.topLeft(), cell.topRight());
        p.drawLine(cell.topLeft(), cell.bottomLeft());
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(cell.bottomLeft(), cell.bottomRight());
        p.drawLine(cell.topRight(), cell.bottomRight());
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignCenter,
                   p.fontMetrics().elidedText(text, Qt::ElideRight, cell.width() - 4));
    }
}

// ----------------------------------------------------------- GridDelegate

void GridDelegate::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    // Whole rows are selected: no focus frame around one cell.
    opt.state &= ~QStyle::State_HasFocus;
    const QWidget *w = option.widget;
    QStyle *style = w ? w->style() : QApplication::style();
    if (!(opt.features & QStyleOptionViewItem::HasCheckIndicator)) {
        style->drawControl(QStyle::CE_ItemViewItem, &opt, p, w);
        return;
    }
    const bool on = opt.checkState == Qt::Checked;
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, p, w);
    QStyleOptionViewItem box(opt);
    const QSize sz(style->pixelMetric(QStyle::PM_IndicatorWidth, &opt, w),
                   style->pixelMetric(QStyle::PM_IndicatorHeight, &opt, w));
    box.rect = QRect(QPoint(), sz);
    box.rect.moveCenter(option.rect.center());
    box.state = (box.state & ~(QStyle::State_On | QStyle::State_Off)) | (on ? QStyle::State_On : QStyle::State_Off);
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, p, w);
}

// --------------------------------------------------------------- DataGrid

DataGrid::DataGrid(QWidget *parent) : QTableView(parent), model_(new DatasetModel(this)), footer_(new GridFooter(this))
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setItemDelegate(new GridDelegate(this));
    setContextMenuPolicy(Qt::DefaultContextMenu);

    // Every row has the same height, so a hundred thousand rows cost nothing
    // to lay out; "序号" is the row number, no separate row header.
    QHeaderView *v = verticalHeader();
    v->hide();
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setDefaultSectionSize(fontMetrics().height() + 8);
    QHeaderView *h = horizontalHeader();
    h->setSectionsClickable(false);
    h->setHighlightSections(false);
    h->setDefaultAlignment(Qt::AlignCenter);
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->setSortIndicatorShown(false);

    setModel(model_);
    footer_->hide();
    connect(model_, &DatasetModel::footerChanged, footer_, qOverload<>(&QWidget::update));
    // While rows come and go the view may move its current index by itself;
    // the dataset is in the middle of its own change then and decides its
    // current row, which the grid follows afterwards.
    auto changing = [this] { modelChanging_ = true; };
    auto changed = [this] { modelChanging_ = false; };
    connect(model_, &QAbstractItemModel::rowsAboutToBeInserted, this, changing);
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, changing);
    connect(model_, &QAbstractItemModel::rowsInserted, this, changed);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        modelChanging_ = false;
        applyColumns();
        if (Dataset *ds = dataset(); ds && ds->isActive()) selectDatasetRow(ds->currentRow());
    });
    connect(h, &QHeaderView::sectionResized, footer_, qOverload<>(&QWidget::update));
    connect(h, &QHeaderView::sectionMoved, footer_, qOverload<>(&QWidget::update));
}

DataGrid::~DataGrid() = default;

void DataGrid::bind(Dataset *ds, const QList<GridColumn> &columns)
{
    if (Dataset *old = dataset()) disconnect(old, nullptr, this, nullptr);
    widthsFitted_ = false;
    model_->setColumns(columns);
    model_->setDataset(ds);
    if (ds) {
        connect(ds, &Dataset::currentRowChanged, this, [this](int row) { selectDatasetRow(row); });
        if (ds->isActive()) selectDatasetRow(ds->currentRow());
    }
}

void DataGrid::applyColumns()
{
    const int n = model_->columnCount();
    for (int c = 0; c < n; ++c) setColumnHidden(c, model_->column(c).hidden);
    const bool wantFooter = model_->hasFooter();
    if (footer_->isVisibleTo(this) != wantFooter) {
        footer_->setVisible(wantFooter);
        updateGeometries();
    }
    if (!widthsFitted_ && n > 0) fitColumnWidths();
}

// Widths from the caption, the footer and a sample of the first rows: never
// a pass over all rows, so a big list opens at once.
void DataGrid::fitColumnWidths()
{
    const QFontMetrics fm = fontMetrics();
    const QFontMetrics hfm = horizontalHeader()->fontMetrics();
    const int sample = std::min(model_->rowCount(), 40);
    for (int c = 0; c < model_->columnCount(); ++c) {
        int w = hfm.horizontalAdvance(model_->column(c).title()) + 24;
        w = std::max(w, fm.horizontalAdvance(model_->footerText(c)) + 20);
        if (model_->kindAt(c) == ColumnKind::CheckBox) {
            w = std::max(w, 44);
        } else {
            for (int r = 0; r < sample; ++r) w = std::max(w, fm.horizontalAdvance(model_->cellText(r, c)) + 16);
        }
        setColumnWidth(c, std::clamp(w, 40, 320));
    }
    widthsFitted_ = sample > 0;
}

void DataGrid::selectDatasetRow(int row)
{
    syncing_ = true;
    if (row < 0 || row >= model_->rowCount()) {
        selectionModel()->clear();
    } else {
        int col = currentIndex().isValid() ? currentIndex().column() : 0;
        const QHeaderView *h = horizontalHeader();
        if (isColumnHidden(col))
            for (int vis = 0; vis < h->count(); ++vis)
                if (!h->isSectionHidden(h->logicalIndex(vis))) { col = h->logicalIndex(vis); break; }
        const QModelIndex idx = model_->index(model_->modelRow(row), col);
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(idx);
    }
    syncing_ = false;
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (syncing_ || modelChanging_ || !current.isValid()) return;
    Dataset *ds = dataset();
    if (!ds || !ds->isActive()) return;
    const int row = model_->datasetRow(current.row());
    if (row == ds->currentRow()) return;
    try {
        ds->moveTo(row);
    } catch (const DbError &e) {
        // Leaving an edited row posts it; when that fails the dataset stays
        // where it was, and so does the selection.
        emit databaseError(e.message());
        QMetaObject::invokeMethod(this, [this] {
            if (Dataset *d = dataset()) selectDatasetRow(d->currentRow());
        }, Qt::QueuedConnection);
    }
}

void DataGrid::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    modelChanging_ = true;  // the view moves its current index off the rows here
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

int DataGrid::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    return model_->datasetRow(rows.first().row());
}

QString DataGrid::footerText(const QString &field) const { return model_->footerText(model_->columnOf(field)); }

QList<int> DataGrid::visibleColumns() const
{
    QList<int> out;
    const QHeaderView *h = horizontalHeader();
    for (int vis = 0; vis < h->count(); ++vis) {
        const int c = h->logicalIndex(vis);
        if (!h->isSectionHidden(c)) out << c;
    }
    return out;
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    QTableView::mouseDoubleClickEvent(e);
    const QModelIndex idx = indexAt(e->position().toPoint());
    if (idx.isValid()) emit rowDoubleClicked(model_->datasetRow(idx.row()));
}

void DataGrid::contextMenuEvent(QContextMenuEvent *e)
{
    const QModelIndex idx = indexAt(e->pos());
    int row = -1;
    if (idx.isValid()) {
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        row = model_->datasetRow(idx.row());
    }
    emit rowContextMenu(row, e->globalPos());
    if (popup_) popup_->popup(e->globalPos());
    e->accept();
}

void DataGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    if (dx) footer_->update();
}

// The footer sits in a bottom viewport margin, between the rows and the
// horizontal scroll bar. QTableView resets the margins to its headers on
// every geometry update, so the bottom one is put back each time.
void DataGrid::updateGeometries()
{
    QTableView::updateGeometries();
    layoutFooter();
}

void DataGrid::layoutFooter()
{
    if (layingOut_) return;
    layingOut_ = true;
    const int fh = footer_->isVisibleTo(this) ? footer_->sizeHint().height() : 0;
    const QMargins m = viewportMargins();
    if (m.bottom() != fh) setViewportMargins(m.left(), m.top(), m.right(), fh);
    const QRect vr = viewport()->geometry();
    if (fh > 0) footer_->setGeometry(vr.left(), vr.bottom() + 1, vr.width(), fh);
    layingOut_ = false;
}

} // namespace tolvaris
