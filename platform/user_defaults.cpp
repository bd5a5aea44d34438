#include "user_defaults.h"

#include "backend.h"
#include "file_manager.h"

namespace tessik::platform {

QVariant UserDefaults::objectForKey(const QString& key)
{
    return Backend::current().openDefaults()->value(key);
}

namespace {

// Saving keeps the permissions of the file it replaces, so a file made now keeps the settings the user's alone.
std::unique_ptr<QSettings> openForWriting()
{
    std::unique_ptr<QSettings> settings = Backend::current().openDefaults();
    if (!settings->fileName().isEmpty())
        FileManager::createFile(QUrl::fromLocalFile(settings->fileName()));
    return settings;
}

} // namespace

void UserDefaults::setObject(const QString& key, const QVariant& value)
{
    openForWriting()->setValue(key, value);
}

void UserDefaults::removeObject(const QString& key)
{
    openForWriting()->remove(key);
}

QStringList UserDefaults::preferredLanguages()
{
    return Backend::current().preferredLanguages();
}

} // namespace tessik::platform
