#pragma once

#include <QFont>
#include <QPalette>
#include <QSize>
#include <QStringList>

class QPainter;

namespace tessik::ui {

// The small tags next to a row ("推荐", "当前默认"): caption text in the accent colour on a faint rounded tile.
class BadgePainter
{
public:
    // The caption font: a step below the given font.
    static QFont captionFont(const QFont& base);
    static QSize size(const QString& text, const QFont& base);
    // Width of the badges side by side with their spacing.
    static int width(const QStringList& texts, const QFont& base);
    // Draws the badges left to right from `left`, centred on `centerY`; returns the x after the last one.
    static int paint(QPainter* painter, const QStringList& texts, int left, int centerY, const QFont& base,
                     const QPalette& palette);

    static constexpr int spacing = 6;
};

} // namespace tessik::ui
