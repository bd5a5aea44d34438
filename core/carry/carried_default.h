#pragma once

#include "core/records/association_role.h"

#include <QString>

#include <optional>

namespace tessik {

// One default carried from one machine to another: this format, in this role, opens with that application.
struct CarriedDefault
{
    enum class Kind
    {
        // `format` is a content type identifier.
        contentType,
        // `format` is a normalised extension, whose type the importing machine decides.
        extension,
        // `format` is a URL scheme's identifier ("mailto:").
        urlScheme,
    };

    Kind kind = Kind::contentType;
    QString format;
    AssociationRole role = AssociationRole::all;
    QString bundleIdentifier;
    // For a person reading the file; never used to find the application.
    std::optional<QString> applicationName;
    // False for a default the system worked out itself, carried only on request.
    bool explicitChoice = true;
    // The line of the file it was read from; 0 when it was not read from a file.
    int line = 0;

    bool operator==(const CarriedDefault&) const = default;
};

} // namespace tessik
