#include "system_root_writer.h"

#include "bundle_writer.h"
#include "core/records/url_scheme.h"
#include "platform/emulated/machine_paths.h"
#include "platform/emulated/property_list.h"
#include "platform/file_manager.h"
#include "platform/launch_services.h"
#include "platform/system_root.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <ctime>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

const QString markerName = u".tessik-system-root"_s;
const QString emulationName = u"Emulation.plist"_s;

} // namespace

SystemRootWriter::SystemRootWriter(QString root) : m_root(QDir::cleanPath(QDir(root).absolutePath()))
{
    QDir dir(m_root);
    if (dir.exists() && !dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (!QFile::exists(dir.filePath(markerName)))
            throw std::runtime_error("refusing to write into the non-empty folder " + m_root.toStdString() +
                                     ", which is not an emulated system");
        for (const QString& top : {u"Applications"_s, u"System"_s, u"home"_s})
            QDir(dir.filePath(top)).removeRecursively();
        QFile::remove(dir.filePath(emulationName));
    }
    for (const QString& folder : {u"Applications"_s, u"System/Applications"_s, u"home/Applications"_s,
                                  u"home/Library/Application Support"_s, u"home/Library/Preferences"_s})
        if (!dir.mkpath(folder))
            throw std::runtime_error("cannot create " + dir.filePath(folder).toStdString());
    QFile marker(dir.filePath(markerName));
    if (!marker.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + marker.fileName().toStdString());
}

QString SystemRootWriter::addBundle(const BundleDescription& bundle) const
{
    return BundleWriter(m_root).write(bundle);
}

void SystemRootWriter::setPreferredLanguages(const QStringList& languages) const
{
    const QVariantMap preferences{{u"AppleLanguages"_s, languages}};
    platform::FileManager::writeAtomically(
        platform::PropertyList::write(preferences, platform::PropertyList::Format::Binary),
        QUrl::fromLocalFile(m_root + u"/home/Library/Preferences/.GlobalPreferences.plist"_s));
}

void SystemRootWriter::setHandler(const QString& contentType, AssociationRole role,
                                  const QString& bundleIdentifier) const
{
    platform::setSystemRoot(m_root);
    // A scheme's links have one handler for every role.
    const auto scheme = URLScheme::fromIdentifier(contentType);
    const platform::OSStatus status =
        scheme ? platform::LSSetDefaultHandlerForURLScheme(*scheme, bundleIdentifier)
               : platform::LSSetDefaultRoleHandlerForContentType(contentType, *lsRole(role), bundleIdentifier);
    if (status != platform::noErr)
        throw std::runtime_error("cannot record the handler of " + contentType.toStdString());
}

void SystemRootWriter::writeEmulation(const QString& root, const platform::EmulationSettings& settings)
{
    platform::FileManager::writeAtomically(
        platform::PropertyList::write(settings.propertyList(), platform::PropertyList::Format::Xml),
        QUrl::fromLocalFile(QDir(root).filePath(emulationName)));
}

void SystemRootWriter::backdate(const QString& root)
{
    const timespec anHourAgo{::time(nullptr) - 3600, 0};
    const timespec times[2] = {anHourAgo, anHourAgo};
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
            throw std::runtime_error("cannot set the dates of " + path.toStdString());
    }
}

} // namespace tessik::tools
