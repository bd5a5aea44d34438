#pragma once

#include <QString>
#include <QStringList>

namespace tessik {

// One content type declared by a bundle, with the extensions of the same document-type entry.
struct TypeCapability
{
    QString typeIdentifier;
    QStringList extensions;

    bool operator==(const TypeCapability&) const = default;
};

inline size_t qHash(const TypeCapability& capability, size_t seed = 0)
{
    return qHashMulti(seed, capability.typeIdentifier, capability.extensions);
}

} // namespace tessik
