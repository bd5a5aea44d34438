#pragma once

#include <QString>

namespace tessik {

// Texts that name macOS or its bundles have neutral variants for a freedesktop.org desktop; this says which to
// show and holds those shared by several places.
class PlatformTexts
{
public:
    static bool isMac();
    // That no installed application has the identifier.
    static QString noInstalledApp(const QString& identifier, const QString& language);
};

} // namespace tessik
