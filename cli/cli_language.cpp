#include "cli_language.h"

#include "app/l10n/app_language.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace tessik::cli {

std::optional<QString> CliLanguage::choose(const std::optional<QString>& option, const QVariant& stored,
                                           const QProcessEnvironment& environment)
{
    if (option) {
        const auto language = AppLanguage::fromRawValue(*option);
        return language ? std::optional(language->rawValue()) : std::nullopt;
    }
    if (stored.typeId() == QMetaType::QString)
        if (const auto language = AppLanguage::fromRawValue(stored.toString()))
            return language->rawValue();
    return fromLocale(environment).value_or(AppLanguage(AppLanguage::en).rawValue());
}

std::optional<QString> CliLanguage::fromLocale(const QProcessEnvironment& environment)
{
    // POSIX precedence: the first of these that is set decides, even when it names no language ("C").
    for (const QString& variable : {u"LC_ALL"_s, u"LC_MESSAGES"_s, u"LANG"_s}) {
        const QString locale = environment.value(variable);
        if (locale.isEmpty())
            continue;
        // language[_territory][.codeset][@modifier]
        static const QRegularExpression separators(u"[_.@]"_s);
        const auto language = AppLanguage::fromRawValue(locale.section(separators, 0, 0));
        return language ? std::optional(language->rawValue()) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace tessik::cli
