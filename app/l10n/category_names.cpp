#include "category_names.h"

#include "l10n.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tessik {

QString CategoryNames::name(const QList<FormatCategory>& categories, const QString& categoryID,
                            const QString& language)
{
    const auto category = std::find_if(categories.cbegin(), categories.cend(),
                                       [&categoryID](const FormatCategory& c) { return c.id == categoryID; });
    if (category != categories.cend() && category->names && category->names->contains(language))
        return category->localizedName(language);
    const QString key = u"category."_s + categoryID;
    if (const QString translated = L10n::text(key, language); translated != key)
        return translated;
    return category != categories.cend() ? category->name : L10n::text(u"其他格式"_s, language);
}

} // namespace tessik
