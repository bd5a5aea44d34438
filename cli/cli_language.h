#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QVariant>

#include <optional>

namespace tessik::cli {

// Which language tessik-cli speaks: --language, else the program's stored setting, else the locale, else English.
// Unlike the desktop program, which keeps Chinese when nothing is stored, a terminal follows its locale.
class CliLanguage
{
public:
    // Absent when `option` is given but names none of the program's languages.
    static std::optional<QString> choose(const std::optional<QString>& option, const QVariant& stored,
                                         const QProcessEnvironment& environment);

    // The language the environment selects for messages, when the program speaks it: unless the locale is C, the
    // first of LANGUAGE's list the program speaks when that list is set, else the locale's own.
    static std::optional<QString> fromLocale(const QProcessEnvironment& environment);
};

} // namespace tessik::cli
