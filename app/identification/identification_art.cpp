// identification_art.cpp: drawing of the logo and of the two button glyphs.
#include "app/identification/identification_art.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace identification {

namespace {

const QColor kNavy(0, 0, 128);
const QColor kInk(24, 48, 104);  // the window's heading colour
const QColor kAmber(232, 160, 32);

// The emblem: a card of four records, one of them held (amber, with a small shackle).
void drawEmblem(QPainter& p, const QRectF& box) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(box, 7, 7);
    const qreal rowHeight = 5, gap = 4;
    qreal x = box.left() + 8, width = box.width() - 16;
    qreal y = box.top() + (box.height() - (4 * rowHeight + 3 * gap)) / 2;
    for (int row = 0; row < 4; ++row) {
        p.setBrush(row == 2 ? kAmber : QColor(255, 255, 255));
        p.drawRoundedRect(QRectF(x, y, row == 2 ? width - 9 : width, rowHeight), 2, 2);
        if (row == 2) {
            p.setPen(QPen(kAmber, 1.6));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(x + width - 7, y - 3, 6, 6), 0, 180 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(kAmber);
            p.drawRect(QRectF(x + width - 7.5, y, 7, rowHeight));
        }
        y += rowHeight + gap;
    }
}

}  // namespace

QImage drawLogo() {
    QImage logo(188, 56, QImage::Format_RGB888);
    logo.fill(Qt::white);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    drawEmblem(p, QRectF(4, 6, 44, 44));

    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(22);
    name.setBold(true);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    p.setFont(name);
    p.setPen(kInk);
    p.drawText(QRectF(56, 6, 130, 28), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Brevantis"));

    p.fillRect(QRectF(57, 35, 124, 1.5), kAmber);
    QFont tagline(QStringLiteral("DejaVu Sans"));
    tagline.setPixelSize(9);
    p.setFont(tagline);
    p.setPen(QColor(96, 96, 112));
    p.drawText(QRectF(57, 38, 130, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("outils de données"));
    return logo;
}

QIcon drawCheckGlyph() {
    QPixmap glyph(18, 20);
    glyph.fill(Qt::transparent);
    QPainter p(&glyph);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kNavy, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPolyline(QPolygonF({QPointF(2.5, 10.5), QPointF(7, 15.5), QPointF(15.5, 4)}));
    p.end();
    return QIcon(glyph);
}

namespace {

QPixmap drawForbidden(const QColor& colour) {
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 2.2));
    p.drawEllipse(QRectF(2, 2, 12, 12));
    p.drawLine(QPointF(4.2, 4.2), QPointF(11.8, 11.8));
    return image;
}

}  // namespace

QIcon drawCancelGlyph() {
    QIcon icon;
    icon.addPixmap(drawForbidden(QColor(220, 0, 0)), QIcon::Normal);
    icon.addPixmap(drawForbidden(QColor(128, 128, 128)), QIcon::Disabled);
    return icon;
}

}  // namespace identification
