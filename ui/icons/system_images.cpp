#include "system_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

QString themeName(SystemImages::Symbol symbol)
{
    switch (symbol) {
    case SystemImages::Symbol::refresh:
        return u"view-refresh"_s;
    case SystemImages::Symbol::plus:
        return u"list-add"_s;
    case SystemImages::Symbol::genericApplication:
        return u"application-x-executable"_s;
    case SystemImages::Symbol::circle:
    case SystemImages::Symbol::filledCircle:
        return {};
    }
    return {};
}

void paint(QPainter& painter, SystemImages::Symbol symbol, const QColor& tint, qreal side)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal line = std::max(1.0, side / 12);
    const QColor ink = tint.isValid() ? tint : QColor(0x55, 0x5b, 0x66);
    const QRectF box(line, line, side - 2 * line, side - 2 * line);
    switch (symbol) {
    case SystemImages::Symbol::refresh: {
        painter.setPen(QPen(ink, line * 1.4, Qt::SolidLine, Qt::RoundCap));
        const QRectF ring = box.adjusted(side * 0.12, side * 0.12, -side * 0.12, -side * 0.12);
        painter.drawArc(ring, 60 * 16, 290 * 16);
        // The arrow head at the arc's open end.
        const QPointF tip(ring.center().x() + ring.width() / 2 * 0.5, ring.top() + ring.height() * 0.067);
        QPainterPath head;
        head.moveTo(tip + QPointF(-side * 0.2, -side * 0.1));
        head.lineTo(tip + QPointF(side * 0.05, 0));
        head.lineTo(tip + QPointF(-side * 0.12, side * 0.2));
        painter.drawPath(head);
        break;
    }
    case SystemImages::Symbol::plus: {
        painter.setPen(QPen(ink, line * 1.6, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = box.center();
        const qreal arm = side * 0.32;
        painter.drawLine(c - QPointF(arm, 0), c + QPointF(arm, 0));
        painter.drawLine(c - QPointF(0, arm), c + QPointF(0, arm));
        break;
    }
    case SystemImages::Symbol::circle:
        painter.setPen(QPen(ink, line * 1.2));
        painter.drawEllipse(box.adjusted(line, line, -line, -line));
        break;
    case SystemImages::Symbol::filledCircle: {
        painter.setPen(QPen(ink, line * 1.2));
        const QRectF outer = box.adjusted(line, line, -line, -line);
        painter.drawEllipse(outer);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawEllipse(outer.adjusted(side * 0.2, side * 0.2, -side * 0.2, -side * 0.2));
        break;
    }
    case SystemImages::Symbol::genericApplication: {
        // A rounded tile with a simple window inside: an application without artwork of its own.
        painter.setPen(Qt::NoPen);
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        fill.setColorAt(0, QColor(0xb8, 0xc2, 0xd0));
        fill.setColorAt(1, QColor(0x7d, 0x8a, 0x9c));
        painter.setBrush(fill);
        painter.drawRoundedRect(box, side * 0.22, side * 0.22);
        const QRectF window = box.adjusted(side * 0.2, side * 0.24, -side * 0.2, -side * 0.2);
        painter.setBrush(QColor(0xf4, 0xf6, 0xf9));
        painter.drawRoundedRect(window, side * 0.05, side * 0.05);
        painter.setBrush(QColor(0x5b, 0x6b, 0x80));
        painter.drawRect(QRectF(window.left(), window.top(), window.width(), side * 0.09));
        break;
    }
    }
}

} // namespace

QIcon SystemImages::drawn(Symbol symbol, const QColor& tint)
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(painter, symbol, tint, side);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon SystemImages::icon(Symbol symbol, const QColor& tint)
{
    const QString name = themeName(symbol);
    if (!name.isEmpty() && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return drawn(symbol, tint);
}

} // namespace tessik::ui
