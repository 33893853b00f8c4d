#include "frmabout.h"

#include "artwork.h"
#include "version.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvaris {

namespace {
const QSize kPictureSize(360, 200);
}

QPixmap TFrmAbout::picture(const QSize &size, qreal dpr)
{
    QPixmap pm = artwork::penPicture(size, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Name and subtitle in the upper left, clear of the pen.
    QFont f = p.font();
    f.setPixelSize(size.height() / 6);
    f.setBold(true);
    p.setFont(f);
    const QRectF nameBox(18, 14, size.width() - 36, size.height() / 4.0);
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(nameBox.translated(1.5, 1.5), Qt::AlignLeft | Qt::AlignVCenter, kProductName);
    p.setPen(QColor(0x1f, 0x4e, 0x79));
    p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, kProductName);
    f.setPixelSize(size.height() / 13);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(0x3c, 0x4a, 0x58));
    p.drawText(QRectF(20, nameBox.bottom(), size.width() - 40, size.height() / 8.0), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("保险代理业务秘书 V2.0"));
    return pm;
}

TFrmAbout::TFrmAbout(const Context &ctx, QWidget *parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("TFrmAbout"));
    setWindowTitle(QStringLiteral("关于程序"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(picture(kPictureSize, devicePixelRatioF()));
    Image1->setFixedSize(kPictureSize);
    Image1->setFrameShape(QFrame::StyledPanel);

    Label1 = new QLabel(kLastUpdated, this);
    Label1->setObjectName(QStringLiteral("Label1"));

    Button1 = new QPushButton(QStringLiteral("确认"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Label1);
    bottom->addStretch();
    bottom->addWidget(Button1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(Image1);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace tolvaris
