#pragma once

#include <QString>

namespace tessik::ui {

// Names and descriptions come from bundles, desktop entries and type declarations that any program may write.
// Where Qt guesses whether a text is HTML (tool tips, a message box's informative text), they go through here so
// that markup shows as written and an <img> never makes Qt read a file.
class PlainText
{
public:
    // Rich text that shows exactly `text`; empty stays empty, so no empty tip appears.
    static QString asRichText(const QString& text);
};

} // namespace tessik::ui
