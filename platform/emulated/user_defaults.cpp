#include "../user_defaults.h"

#include "../system_root.h"
#include "file_stamp.h"
#include "machine_paths.h"
#include "property_list.h"

#include <QFile>
#include <QLocale>
#include <QMutex>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

constexpr auto defaultsDomain = "com.tessik.Tessik"_L1;

bool readPlist(QIODevice& device, QSettings::SettingsMap& map)
{
    const std::optional<QVariant> list = PropertyList::read(device.readAll());
    if (!list || list->typeId() != QMetaType::QVariantMap)
        return false;
    map = list->toMap();
    return true;
}

bool writePlist(QIODevice& device, const QSettings::SettingsMap& map)
{
    return device.write(PropertyList::write(map, PropertyList::Format::Binary)) >= 0;
}

// The emulated machine keeps defaults the way macOS does: one property list per domain.
std::unique_ptr<QSettings> openDefaults()
{
    const QString root = systemRoot();
    if (root.isEmpty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, u"Tessik"_s, u"Tessik"_s);
    static const QSettings::Format plistFormat = QSettings::registerFormat(u"plist"_s, readPlist, writePlist);
    return std::make_unique<QSettings>(MachinePaths::preferences() + u'/' + defaultsDomain + u".plist"_s, plistFormat);
}

} // namespace

QVariant UserDefaults::objectForKey(const QString& key)
{
    return openDefaults()->value(key);
}

void UserDefaults::setObject(const QString& key, const QVariant& value)
{
    openDefaults()->setValue(key, value);
}

void UserDefaults::removeObject(const QString& key)
{
    openDefaults()->remove(key);
}

QStringList UserDefaults::preferredLanguages()
{
    const QString root = systemRoot();
    if (root.isEmpty())
        return QLocale::system().uiLanguages();

    // Asked at every bundle opening, so keep the answer until the global preferences change.
    static QMutex mutex;
    static FileStamp cachedStamp{{}, -2, -2};
    static QStringList cachedLanguages;
    const QString path = MachinePaths::globalPreferences();
    const FileStamp stamp = FileStamp::of(path);
    QMutexLocker locker(&mutex);
    if (stamp != cachedStamp) {
        QStringList languages;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const std::optional<QVariant> list = PropertyList::read(file.readAll());
            if (list)
                languages = list->toMap().value(u"AppleLanguages"_s).toStringList();
        }
        cachedLanguages = languages.isEmpty() ? QLocale::system().uiLanguages() : languages;
        cachedStamp = stamp;
    }
    return cachedLanguages;
}

} // namespace tessik::platform
