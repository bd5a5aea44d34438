#pragma once

#include <QString>
#include <QStringList>

namespace tessik::tools {

// The demo machine: well-known applications with document types like their real ones, and a few
// explicit handler choices.
class DemoSystem
{
public:
    // Writes the machine into `root`; returns the number of bundles written. `languages` replaces the machine's
    // preferred languages (AppleLanguages) when given. Throws std::runtime_error.
    static int write(const QString& root, const QStringList& languages = {});
};

} // namespace tessik::tools
