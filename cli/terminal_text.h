#pragma once

#include <QString>

namespace tessik::cli {

// Text that comes from files (application names, identifiers, type descriptions) made safe to print on a
// terminal: control characters and the characters that reorder a line become visible escapes, so a name can
// neither move the cursor, recolour the screen nor pass itself off as another.
class TerminalText
{
public:
    static QString escaped(const QString& text);
};

} // namespace tessik::cli
