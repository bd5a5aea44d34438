#pragma once

#include "core/records/installed_app.h"

#include <QString>

namespace tessik {

// An installed application the knowledge base says opens an extension its bundle does not declare.
struct CatalogSuggestion
{
    QString typeIdentifier;
    QString fileExtension;
    InstalledApp app;
    // The support may depend on an add-on of the application.
    bool requiresExtension = false;

    bool operator==(const CatalogSuggestion&) const = default;
};

inline size_t qHash(const CatalogSuggestion& s, size_t seed = 0)
{
    return qHashMulti(seed, s.typeIdentifier, s.fileExtension, s.app, s.requiresExtension);
}

} // namespace tessik
