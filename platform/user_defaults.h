#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace tessik::platform {

// The application's per-user defaults store.
class UserDefaults
{
public:
    static QVariant objectForKey(const QString& key);
    static void setObject(const QString& key, const QVariant& value);
    static void removeObject(const QString& key);

    // The user's preferred languages, most preferred first (language tags such as "zh-Hans").
    static QStringList preferredLanguages();
};

} // namespace tessik::platform
