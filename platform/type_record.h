#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace tessik::platform {

// One declared (or dynamic) uniform type.
struct TypeRecord
{
    QString identifier;
    QString description;
    // Language code ("zh", "de", …) → the description in that language, for the types the system describes so.
    QHash<QString, QString> localizedDescriptions;
    QStringList extensions;
    QStringList mimeTypes;
    QStringList parents;
    // Lower-cased identifiers of the type itself and everything it conforms to.
    QSet<QString> conformance;
    bool dynamic = false;
};

} // namespace tessik::platform
