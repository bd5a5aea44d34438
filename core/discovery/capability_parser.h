#pragma once

#include "core/records/type_capability.h"

#include <QList>
#include <QUrl>

namespace tessik::platform {
class Bundle;
}

namespace tessik {

// Reads which content types a bundle declares in its document types, one record per entry and type, and the URL
// schemes it declares, each as its scheme identifier ("https:") without extensions.
class CapabilityParser
{
public:
    // Empty when the bundle cannot be opened or declares nothing usable; never fails.
    QList<TypeCapability> parse(const QUrl& bundleURL) const;
    // The same for a bundle the caller has already opened.
    QList<TypeCapability> parse(const platform::Bundle& bundle) const;

private:
    static QList<TypeCapability> documentTypes(const platform::Bundle& bundle);
    static QStringList urlSchemes(const platform::Bundle& bundle);
};

} // namespace tessik
