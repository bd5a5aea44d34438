#pragma once

#include <QString>

namespace tessik::tools {

// The demo machine: well-known applications with document types like their real ones, and a few
// explicit handler choices.
class DemoSystem
{
public:
    // Writes the machine into `root`; returns the number of bundles written. Throws std::runtime_error.
    static int write(const QString& root);
};

} // namespace tessik::tools
