#pragma once
// The data grid of the list windows: a read-only table over a Dataset with
// captioned, centred columns, whole-row single selection that follows the
// dataset's current row (and moves it), a footer of counts and sums under
// the columns, and cancelled rows drawn on money green with red text.
#include "datasetmodel.h"

#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include <QMenu>

namespace tolvaris {

class DataGrid;

// The footer row under the columns; it follows their widths and the
// horizontal scroll position.
class GridFooter : public QWidget {
    Q_OBJECT
public:
    explicit GridFooter(DataGrid *grid);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    DataGrid *grid_;
};

// Centres check boxes in their cells; other cells are drawn as usual.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // Shows `ds` with the given columns (an empty list: "序号" and every
    // column of the result). The grid owns its model.
    void bind(Dataset *ds, const QList<GridColumn> &columns = {});
    DatasetModel *gridModel() const { return model_; }
    Dataset *dataset() const { return model_->dataset(); }
    GridFooter *footer() const { return footer_; }

    // Dataset row of the selected row, -1 when none.
    int selectedRow() const;
    // Footer text under the column showing `field` ("" when none).
    QString footerText(const QString &field) const;
    // Model columns that are on view, in order: what an export writes.
    QList<int> visibleColumns() const;
    // Opened at the mouse on right click (after rowContextMenu is emitted).
    void setPopupMenu(QMenu *menu) { popup_ = menu; }
    QMenu *popupMenu() const { return popup_; }

signals:
    void rowDoubleClicked(int datasetRow);
    void rowContextMenu(int datasetRow, const QPoint &globalPos);  // -1 below the last row
    // Moving to the selected row had to post an edited row and that failed.
    void databaseError(const QString &message);

protected:
    void updateGeometries() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void applyColumns();
    void fitColumnWidths();
    void selectDatasetRow(int datasetRow);
    void layoutFooter();

    DatasetModel *model_;
    GridFooter *footer_;
    QPointer<QMenu> popup_;
    bool syncing_ = false;
    bool modelChanging_ = false;  // between a model's about-to and done signals
    bool layingOut_ = false;
    bool widthsFitted_ = false;
};

} // namespace tolvaris
