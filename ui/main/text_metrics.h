#pragma once

#include <QFont>
#include <QString>

namespace tessik::ui {

// The height a line of text takes as it is drawn: the fonts that draw its glyphs, fallback fonts included (a
// Chinese name in a Latin interface font reaches below the primary font's descent).
class TextMetrics
{
public:
    static int lineHeight(const QString& text, const QFont& font);
};

} // namespace tessik::ui
