#include "badge_painter.h"

#include <QFontMetrics>
#include <QPainter>

namespace tessik::ui {

namespace {

constexpr int horizontalPadding = 7;
constexpr int verticalPadding = 3;
constexpr qreal radius = 5;

} // namespace

QFont BadgePainter::captionFont(const QFont& base)
{
    QFont font = base;
    if (base.pointSizeF() > 0)
        font.setPointSizeF(base.pointSizeF() * 0.85);
    else
        font.setPixelSize(qMax(8, qRound(base.pixelSize() * 0.85)));
    return font;
}

QSize BadgePainter::size(const QString& text, const QFont& base)
{
    const QFontMetrics metrics(captionFont(base));
    return {metrics.horizontalAdvance(text) + 2 * horizontalPadding, metrics.height() + 2 * verticalPadding};
}

int BadgePainter::width(const QStringList& texts, const QFont& base)
{
    int total = 0;
    for (const QString& text : texts)
        total += size(text, base).width() + spacing;
    return total;
}

int BadgePainter::paint(QPainter* painter, const QStringList& texts, int left, int centerY, const QFont& base,
                        const QPalette& palette)
{
    const QColor accent = palette.color(QPalette::Highlight);
    QColor tile = accent;
    tile.setAlphaF(0.12);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setFont(captionFont(base));
    for (const QString& text : texts) {
        const QSize badge = size(text, base);
        const QRect rect(left, centerY - badge.height() / 2, badge.width(), badge.height());
        painter->setPen(Qt::NoPen);
        painter->setBrush(tile);
        painter->drawRoundedRect(rect, radius, radius);
        painter->setPen(accent);
        painter->drawText(rect, Qt::AlignCenter, text);
        left += badge.width() + spacing;
    }
    painter->restore();
    return left;
}

} // namespace tessik::ui
