#pragma once

#include <QColor>
#include <QIcon>

namespace tessik::ui {

// The few symbols the windows show, from the desktop's icon theme where it has them and drawn otherwise, so
// nothing is blank on a bare machine.
class SystemImages
{
public:
    enum class Symbol
    {
        refresh,
        plus,
        circle,
        filledCircle,
        genericApplication
    };

    // Radio marks are drawn in `tint`; the others follow the theme or a neutral colour.
    static QIcon icon(Symbol symbol, const QColor& tint = QColor());
    // Always the drawn artwork, whatever the theme has.
    static QIcon drawn(Symbol symbol, const QColor& tint = QColor());
};

} // namespace tessik::ui
