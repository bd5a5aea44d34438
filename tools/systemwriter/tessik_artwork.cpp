#include "tessik_artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace tessik::tools {

QImage TessikArtwork::logo(int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixels / 100.0, pixels / 100.0);

    const QColor deep(0x31, 0x2E, 0x81);
    QLinearGradient tile(0, 2, 0, 98);
    tile.setColorAt(0, QColor(0x5B, 0x50, 0xF0));
    tile.setColorAt(1, deep);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(2, 2, 96, 96), 22, 22);

    // The document, its corner folded.
    QPainterPath page(QPointF(16, 14));
    page.lineTo(48, 14);
    page.lineTo(62, 28);
    page.lineTo(62, 86);
    page.lineTo(16, 86);
    page.closeSubpath();
    painter.fillPath(page, Qt::white);
    QPainterPath fold(QPointF(48, 14));
    fold.lineTo(48, 28);
    fold.lineTo(62, 28);
    fold.closeSubpath();
    painter.fillPath(fold, QColor(0xC7, 0xD2, 0xFE));
    for (const qreal y : {36.0, 72.0})
        painter.fillRect(QRectF(23, y, 26, 6), QColor(0xA5, 0xB4, 0xFC));

    // The arrow out of it, edged in the tile's colour so it stands apart from the page.
    QPainterPath arrow(QPointF(26, 47));
    arrow.lineTo(60, 47);
    arrow.lineTo(60, 33);
    arrow.lineTo(90, 55);
    arrow.lineTo(60, 77);
    arrow.lineTo(60, 63);
    arrow.lineTo(26, 63);
    arrow.closeSubpath();
    painter.strokePath(arrow, QPen(deep, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(arrow, QColor(0xFF, 0xB0, 0x1F));
    return image;
}

} // namespace tessik::tools
