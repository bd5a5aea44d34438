#include "user_defaults.h"

#include "backend.h"

namespace tessik::platform {

QVariant UserDefaults::objectForKey(const QString& key)
{
    return Backend::current().openDefaults()->value(key);
}

void UserDefaults::setObject(const QString& key, const QVariant& value)
{
    Backend::current().openDefaults()->setValue(key, value);
}

void UserDefaults::removeObject(const QString& key)
{
    Backend::current().openDefaults()->remove(key);
}

QStringList UserDefaults::preferredLanguages()
{
    return Backend::current().preferredLanguages();
}

} // namespace tessik::platform
