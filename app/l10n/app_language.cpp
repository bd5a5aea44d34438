#include "app_language.h"

#include <array>

namespace tessik {
namespace {

struct Description
{
    const char16_t* code;
    const char16_t* name;
};

// In declaration order: the code stored under "TessikLanguage" and the language's own name for itself.
constexpr std::array<Description, 7> descriptions{{{u"zh", u"中文"},
                                                   {u"en", u"English"},
                                                   {u"fr", u"Français"},
                                                   {u"de", u"Deutsch"},
                                                   {u"es", u"Español"},
                                                   {u"ja", u"日本語"},
                                                   {u"ko", u"한국어"}}};

} // namespace

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
    return QString::fromUtf16(descriptions[m_value].code);
}

QString AppLanguage::name() const
{
    return QString::fromUtf16(descriptions[m_value].name);
}

} // namespace tessik
