#include "tessik_logo.h"

#include <QPainter>

using namespace Qt::StringLiterals;

namespace tessik::ui {

TessikLogo::TessikLogo(QWidget* parent) : QWidget(parent)
{
    setObjectName(u"logo"_s);
    setAccessibleName(u"Tessik"_s);
    setFixedSize(30, 30);
}

const QPixmap& TessikLogo::artwork()
{
    static const QPixmap pixmap(u":/tessik/ui/TessikIcon.png"_s);
    return pixmap;
}

void TessikLogo::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF box = rect();
    if (!artwork().isNull()) {
        painter.drawPixmap(box, artwork(), artwork().rect());
        return;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Highlight));
    painter.drawRoundedRect(box, box.width() * 0.22, box.height() * 0.22);
    painter.setPen(palette().color(QPalette::HighlightedText));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(int(box.height() * 0.62));
    painter.setFont(font);
    painter.drawText(box, Qt::AlignCenter, u"T"_s);
}

} // namespace tessik::ui
