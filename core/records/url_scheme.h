#pragma once

#include "association_role.h"

#include <QString>

#include <optional>

namespace tessik {

// A URL scheme travels through the records as a content type of its own kind: its lower-case name followed by a
// colon ("https:"). Neither a uniform type identifier nor a MIME type can hold a colon, so the two never collide.
struct URLScheme
{
    // RFC 3986: a letter, then letters, digits, '+', '-' or '.'; any case.
    static bool isValidName(const QString& scheme);
    // The identifier of a valid scheme name, or nothing.
    static std::optional<QString> identifier(const QString& scheme);
    static bool isIdentifier(const QString& typeIdentifier);
    // The scheme an identifier names, or nothing when it names a content type.
    static std::optional<QString> fromIdentifier(const QString& typeIdentifier);
    // The role a wish for the identifier is in: a scheme has one handler for every role, so always all for it.
    static AssociationRole roleFor(const QString& typeIdentifier, AssociationRole requested);
};

} // namespace tessik
