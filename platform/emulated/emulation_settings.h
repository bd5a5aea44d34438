#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace tessik::platform {

// How the emulated machine departs from an obliging one, from the optional Emulation.plist at the root:
// a real Mac sometimes applies a handler change late, ignores it, or ends up with another application.
struct EmulationSettings
{
    // Seconds before a stored handler change becomes visible to reads.
    double handlerWriteDelay = 0;
    // Types whose handler writes are accepted but never take.
    QStringList ignoredContentTypes;
    // Type → the application that a handler write for the type ends up recording, whatever was asked.
    QMap<QString, QString> overriddenContentTypes;

    // The settings of the current system root; the defaults when it has no readable Emulation.plist.
    static EmulationSettings current();
    // Entries of the wrong kind are left out, so a hand-edited file degrades to the defaults.
    static EmulationSettings fromPropertyList(const QVariant& value);
    QVariantMap propertyList() const;

    // Both compare types case-insensitively, as Launch Services does.
    bool ignores(const QString& contentType) const;
    std::optional<QString> overrideFor(const QString& contentType) const;

    bool operator==(const EmulationSettings&) const = default;
};

} // namespace tessik::platform
