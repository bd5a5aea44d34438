#pragma once

#include <QString>

namespace tessik::tools {

// A reproducible machine of any size for tests and benchmarks: the same count and seed always write the
// same applications, folders, document types and handler choices.
class SyntheticSystem
{
public:
    struct Summary
    {
        int bundles = 0;
        int distinctIdentifiers = 0;
        int handlers = 0;
    };

    static Summary write(const QString& root, int appCount, quint32 seed);
};

} // namespace tessik::tools
