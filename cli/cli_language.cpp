#include "cli_language.h"

#include "app/l10n/app_language.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace tessik::cli {

std::optional<QString> CliLanguage::choose(const std::optional<QString>& option, const QVariant& stored,
                                           const QProcessEnvironment& environment)
{
    if (option) {
        const auto language = AppLanguage::fromRawValue(option->toLower());
        return language ? std::optional(language->rawValue()) : std::nullopt;
    }
    if (stored.typeId() == QMetaType::QString)
        if (const auto language = AppLanguage::fromRawValue(stored.toString()))
            return language->rawValue();
    return fromLocale(environment).value_or(AppLanguage(AppLanguage::en).rawValue());
}

std::optional<QString> CliLanguage::fromLocale(const QProcessEnvironment& environment)
{
    // language[_territory][.codeset][@modifier]
    static const QRegularExpression separators(u"[_.@]"_s);
    const auto languageOf = [](const QString& locale) {
        return AppLanguage::fromRawValue(locale.section(separators, 0, 0));
    };
    // POSIX precedence: the first of these that is set decides, even when it names no language ("C").
    QString locale;
    for (const QString& variable : {u"LC_ALL"_s, u"LC_MESSAGES"_s, u"LANG"_s}) {
        locale = environment.value(variable);
        if (!locale.isEmpty())
            break;
    }
    const QString base = locale.section(separators, 0, 0);
    if (base.isEmpty() || base == u"C"_s || base == u"POSIX"_s)
        return std::nullopt;
    // As gettext does: under a locale other than C, LANGUAGE, a list by preference, decides when it is set, and
    // none of its languages spoken means the untranslated (English) texts.
    const QStringList preferences = environment.value(u"LANGUAGE"_s).split(u':', Qt::SkipEmptyParts);
    for (const QString& preferred : preferences)
        if (const auto language = languageOf(preferred))
            return language->rawValue();
    if (!preferences.isEmpty())
        return std::nullopt;
    const auto language = AppLanguage::fromRawValue(base);
    return language ? std::optional(language->rawValue()) : std::nullopt;
}

} // namespace tessik::cli
