#include "url_scheme.h"

using namespace Qt::StringLiterals;

namespace tessik {

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

} // namespace

bool URLScheme::isValidName(const QString& scheme)
{
    if (scheme.isEmpty() || !isAsciiLetter(scheme.front()))
        return false;
    for (QChar c : scheme)
        if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.')
            return false;
    return true;
}

std::optional<QString> URLScheme::identifier(const QString& scheme)
{
    if (!isValidName(scheme))
        return std::nullopt;
    return scheme.toLower() + u':';
}

bool URLScheme::isIdentifier(const QString& typeIdentifier)
{
    return fromIdentifier(typeIdentifier).has_value();
}

std::optional<QString> URLScheme::fromIdentifier(const QString& typeIdentifier)
{
    if (!typeIdentifier.endsWith(u':'))
        return std::nullopt;
    const QString scheme = typeIdentifier.chopped(1);
    // Only the canonical spelling is an identifier, so one scheme has one.
    if (!isValidName(scheme) || scheme != scheme.toLower())
        return std::nullopt;
    return scheme;
}

AssociationRole URLScheme::roleFor(const QString& typeIdentifier, AssociationRole requested)
{
    return isIdentifier(typeIdentifier) ? AssociationRole::all : requested;
}

} // namespace tessik
