#include "artwork.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace tolvaris::artwork {

namespace {

const QColor kInk(0x1f, 0x4e, 0x79);
const QColor kGold(0xc8, 0x96, 0x2e);

// Paints a badge at whatever size the icon is asked for.
class GlyphEngine : public QIconEngine {
public:
    GlyphEngine(QString glyph, QColor color) : glyph_(std::move(glyph)), color_(std::move(color)) {}
    void paint(QPainter *p, const QRect &r, QIcon::Mode mode, QIcon::State) override
    {
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        QColor c = mode == QIcon::Disabled ? QColor(170, 170, 170) : color_;
        const QRectF box = QRectF(r).adjusted(r.width() * 0.06, r.height() * 0.06, -r.width() * 0.06, -r.height() * 0.06);
        QLinearGradient g(box.topLeft(), box.bottomLeft());
        g.setColorAt(0, c.lighter(135));
        g.setColorAt(1, c.darker(115));
        p->setPen(QPen(c.darker(140), qMax(1.0, r.width() / 24.0)));
        p->setBrush(g);
        const qreal rad = box.width() * 0.22;
        p->drawRoundedRect(box, rad, rad);
        QFont f = p->font();
        f.setPixelSize(qMax(6, int(box.height() * 0.62)));
        f.setBold(true);
        p->setFont(f);
        p->setPen(Qt::white);
        p->drawText(box, Qt::AlignCenter, glyph_);
        p->restore();
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine *clone() const override { return new GlyphEngine(glyph_, color_); }

private:
    QString glyph_;
    QColor color_;
};

QPixmap canvas(const QSize &size, qreal dpr)
{
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

// A fountain pen lying diagonally inside `r`.
void drawPen(QPainter &p, const QRectF &r)
{
    p.save();
    p.translate(r.center());
    p.rotate(-35);
    const qreal len = std::min(r.width(), r.height()) * 1.15;
    const qreal w = len * 0.11;
    // Barrel.
    QLinearGradient barrel(0, -w / 2, 0, w / 2);
    barrel.setColorAt(0, QColor(0x3a, 0x3a, 0x46));
    barrel.setColorAt(0.45, QColor(0x6d, 0x6d, 0x7e));
    barrel.setColorAt(1, QColor(0x18, 0x18, 0x20));
    p.setPen(Qt::NoPen);
    p.setBrush(barrel);
    p.drawRoundedRect(QRectF(-len / 2, -w / 2, len * 0.62, w), w / 2, w / 2);
    // Gold band and clip.
    p.setBrush(kGold);
    p.drawRect(QRectF(-len / 2 + len * 0.40, -w / 2, len * 0.04, w));
    p.drawRoundedRect(QRectF(-len / 2 + len * 0.06, -w / 2 - w * 0.18, len * 0.30, w * 0.22), 2, 2);
    // Grip and nib.
    p.setBrush(QColor(0x22, 0x22, 0x2a));
    p.drawRect(QRectF(-len / 2 + len * 0.62, -w * 0.38, len * 0.10, w * 0.76));
    QPainterPath nib;
    nib.moveTo(-len / 2 + len * 0.72, -w * 0.36);
    nib.lineTo(len / 2, 0);
    nib.lineTo(-len / 2 + len * 0.72, w * 0.36);
    nib.closeSubpath();
    QLinearGradient ng(0, -w / 2, 0, w / 2);
    ng.setColorAt(0, QColor(0xf3, 0xd9, 0x8b));
    ng.setColorAt(1, kGold.darker(120));
    p.setBrush(ng);
    p.drawPath(nib);
    p.setPen(QPen(QColor(0x5a, 0x40, 0x10), qMax(1.0, w / 14)));
    p.drawLine(QPointF(-len / 2 + len * 0.80, 0), QPointF(len / 2 - len * 0.02, 0));
    p.restore();
}

} // namespace

QIcon glyphIcon(const QString &glyph, const QColor &color) { return QIcon(new GlyphEngine(glyph, color)); }

QIcon appIcon() { return glyphIcon(QStringLiteral("T"), kInk); }

QIcon userIcon(bool advanced)
{
    return advanced ? glyphIcon(QStringLiteral("高"), QColor(0xc0, 0x50, 0x30))
                    : glyphIcon(QStringLiteral("普"), QColor(0x3a, 0x7d, 0x44));
}

QPixmap splashPicture(qreal dpr)
{
    const QSize size(419, 269);
    QPixmap pm = canvas(size, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor(0x1f, 0x4e, 0x79));
    g.setColorAt(1, QColor(0x0e, 0x2a, 0x47));
    p.fillRect(QRect(QPoint(0, 0), size), g);
    p.setPen(QPen(kGold, 2));
    p.drawRect(QRectF(6, 6, size.width() - 12, size.height() - 12));
    drawPen(p, QRectF(250, 120, 150, 120));
    QFont f = p.font();
    f.setPixelSize(46);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(28, 40, 360, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tolvaris"));
    f.setPixelSize(22);
    f.setBold(false);
    p.setFont(f);
    p.setPen(kGold.lighter(130));
    p.drawText(QRectF(30, 100, 360, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("保险代理业务秘书"));
    f.setPixelSize(18);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(30, 200, 120, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("V2.0"));
    f.setPixelSize(12);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(0xc8, 0xd4, 0xe0));
    p.drawText(QRectF(30, 228, 260, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("正在启动，请稍候……"));
    return pm;
}

QPixmap penPicture(const QSize &size, qreal dpr)
{
    QPixmap pm = canvas(size, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(size.width() * 0.4, size.height() * 0.35), std::max(size.width(), size.height()));
    g.setColorAt(0, QColor(0xf4, 0xf1, 0xe8));
    g.setColorAt(1, QColor(0xc9, 0xd6, 0xe3));
    p.fillRect(QRect(QPoint(0, 0), size), g);
    drawPen(p, QRectF(QPointF(0, 0), QSizeF(size)).adjusted(8, 8, -8, -8));
    return pm;
}

QPixmap backgroundPicture(const QSize &size, qreal dpr)
{
    QPixmap pm = canvas(size, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(0xe9, 0xf0, 0xf7));
    g.setColorAt(1, QColor(0xc7, 0xd7, 0xe8));
    p.fillRect(QRect(QPoint(0, 0), size), g);
    p.setOpacity(0.10);
    drawPen(p, QRectF(size.width() * 0.55, size.height() * 0.45, size.width() * 0.4, size.height() * 0.45));
    return pm;
}

QPixmap progressPicture(const QSize &size, qreal dpr)
{
    QPixmap pm = canvas(size, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(4, 4, -4, -4);
    // A stack of documents.
    for (int i = 2; i >= 0; --i) {
        const QRectF d = r.adjusted(i * r.width() * 0.08, i * r.height() * 0.06, -(2 - i) * r.width() * 0.08 - r.width() * 0.2,
                                    -(2 - i) * r.height() * 0.06);
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(i == 0 ? QColor(Qt::white) : QColor(0xe6, 0xee, 0xf6));
        p.drawRoundedRect(d, 3, 3);
        if (i == 0)
            for (int l = 1; l <= 4; ++l) {
                const qreal y = d.top() + d.height() * l / 5.5;
                p.drawLine(QPointF(d.left() + d.width() * 0.15, y), QPointF(d.right() - d.width() * 0.15, y));
            }
    }
    return pm;
}

} // namespace tolvaris::artwork
