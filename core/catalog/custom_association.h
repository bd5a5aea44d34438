#pragma once

#include "core/records/installed_app.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace tessik {

// A link the user made between a content type (usually with one extension) and an application that does not
// declare it.
struct CustomAssociation
{
    // Normalised, or empty when the association names only a type.
    QString fileExtension;
    QString typeIdentifier;
    InstalledApp app;

    // The type is resolved from the extension. Throws CustomAssociationError.
    static CustomAssociation forExtension(const QString& fileExtension, const InstalledApp& app);
    // The type is taken as given; the extension, if any, is normalised. Throws CustomAssociationError.
    static CustomAssociation forType(const QString& typeIdentifier, const std::optional<QString>& fileExtension,
                                     const InstalledApp& app);

    bool operator==(const CustomAssociation&) const = default;

    QJsonObject toJson() const;
    // Throws JsonDecodingError.
    static CustomAssociation fromJson(const QJsonObject& object);
};

inline size_t qHash(const CustomAssociation& c, size_t seed = 0)
{
    return qHashMulti(seed, c.fileExtension, c.typeIdentifier, c.app);
}

} // namespace tessik
