#pragma once

#include "core/records/type_capability.h"

#include <QList>
#include <QUrl>

namespace tessik::platform {
class Bundle;
}

namespace tessik {

// Reads which content types a bundle declares in its document types, one record per entry and type.
class CapabilityParser
{
public:
    // Empty when the bundle cannot be opened or declares nothing usable; never fails.
    QList<TypeCapability> parse(const QUrl& bundleURL) const;
    // The same for a bundle the caller has already opened.
    QList<TypeCapability> parse(const platform::Bundle& bundle) const;
};

} // namespace tessik
