#include "mime_type_name.h"

#include <algorithm>

namespace tessik::platform {
namespace {

bool isTokenCharacter(QChar c)
{
    static constexpr QStringView specials = u"()<>@,;:\\\"/[]?=";
    return c.unicode() > 0x20 && c.unicode() < 0x7f && !specials.contains(c);
}

bool isToken(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isTokenCharacter);
}

} // namespace

bool MimeTypeName::isValid(QStringView name)
{
    const qsizetype slash = name.indexOf(u'/');
    return slash > 0 && isToken(name.first(slash)) && isToken(name.sliced(slash + 1));
}

} // namespace tessik::platform
