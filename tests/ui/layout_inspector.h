#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tessik::testing {

// What a person would see wrong in a window: a label or button too narrow for its text (unless it elides on
// purpose: property "elided" set true), a wrapped label too low for its lines, list rows too low for the fonts
// that draw them, visible sibling widgets that overlap, and program texts shown untranslated.
class LayoutInspector
{
public:
    static QStringList problems(const QWidget* window, const QString& language);
};

} // namespace tessik::testing
