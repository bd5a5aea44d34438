#include "app_language.h"

using namespace Qt::StringLiterals;

namespace tessik {

const QList<AppLanguage>& AppLanguage::allCases()
{
    static const QList<AppLanguage> cases{zh, en, fr, de, es, ja, ko};
    return cases;
}

std::optional<AppLanguage> AppLanguage::fromRawValue(const QString& rawValue)
{
    for (const AppLanguage language : allCases())
        if (language.rawValue() == rawValue)
            return language;
    return std::nullopt;
}

QString AppLanguage::rawValue() const
{
    switch (m_value) {
    case zh:
        return u"zh"_s;
    case en:
        return u"en"_s;
    case fr:
        return u"fr"_s;
    case de:
        return u"de"_s;
    case es:
        return u"es"_s;
    case ja:
        return u"ja"_s;
    case ko:
        return u"ko"_s;
    }
    return {};
}

QString AppLanguage::name() const
{
    switch (m_value) {
    case zh:
        return u"中文"_s;
    case en:
        return u"English"_s;
    case fr:
        return u"Français"_s;
    case de:
        return u"Deutsch"_s;
    case es:
        return u"Español"_s;
    case ja:
        return u"日本語"_s;
    case ko:
        return u"한국어"_s;
    }
    return {};
}

} // namespace tessik
