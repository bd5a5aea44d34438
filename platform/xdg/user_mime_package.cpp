#include "user_mime_package.h"

#include "platform/file_lock.h"
#include "platform/file_manager.h"
#include "platform/ns_error.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamWriter>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

constexpr int rebuildTimeoutMs = 60000;
// A rebuild that outlives its timeout is killed, so a lock this old is left by a program that died.
constexpr std::chrono::milliseconds staleLock(2 * rebuildTimeoutMs);
constexpr std::chrono::milliseconds lockWait(rebuildTimeoutMs + 10000);

// Threads of this process queue here; other processes meet at the lock file.
QMutex packageMutex;

bool rebuildDatabase(const QString& mimeDirectory)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(u"update-mime-database"_s, {mimeDirectory});
    if (!process.waitForStarted())
        return false;
    if (!process.waitForFinished(rebuildTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

bool UserMimePackage::canRegister(const QString& extension)
{
    // The extension becomes part of a file name, a glob and a type name: nothing that could leave the folder,
    // match more, or make the name invalid.
    static const QRegularExpression plain(u"^[A-Za-z0-9_+-][A-Za-z0-9_+.-]*$"_s);
    return plain.match(extension).hasMatch();
}

UserMimePackage::Registration UserMimePackage::registerExtension(const XdgEnvironment& environment,
                                                                 const QString& extension)
{
    const QString mimeDirectory = environment.dataHome + u"/mime"_s;
    const QString packageFile = mimeDirectory + u"/packages/user-extension-"_s + extension + u".xml"_s;
    if (!canRegister(extension))
        throw NSError(NSCocoaErrorDomain, NSFileWriteUnknownError,
                      u"“%1” can’t be registered as a filename extension."_s.arg(extension), {}, packageFile);

    const QString mimeType = u"application/x-extension-"_s + extension;
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeDefaultNamespace(u"http://www.freedesktop.org/standards/shared-mime-info"_s);
    writer.writeStartElement(u"mime-info"_s);
    writer.writeStartElement(u"mime-type"_s);
    writer.writeAttribute(u"type"_s, mimeType);
    writer.writeTextElement(u"comment"_s, u"%1 document"_s.arg(extension));
    writer.writeEmptyElement(u"glob"_s);
    writer.writeAttribute(u"pattern"_s, u"*."_s + extension);
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();

    const auto fail = [&](const QString& reason) {
        throw NSError(NSCocoaErrorDomain, NSFileWriteUnknownError,
                      u"The file “%1” couldn’t be saved: %2"_s.arg(QFileInfo(packageFile).fileName(), reason), {},
                      packageFile);
    };
    if (!FileManager::createDirectory(QUrl::fromLocalFile(QFileInfo(packageFile).absolutePath())))
        fail(u"its folder could not be created."_s);

    // Each rebuild reads every package: one that started before another writer's package was in, and finished after
    // that writer's rebuild, would leave its type out. Writing and rebuilding go one at a time.
    QMutexLocker locker(&packageMutex);
    const FileLock lock(mimeDirectory + u"/packages.lock"_s, staleLock, lockWait);
    if (!lock.isLocked())
        fail(u"another program keeps the MIME database locked."_s);

    QSaveFile file(packageFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit())
        fail(file.errorString());
    return {mimeType, packageFile, rebuildDatabase(mimeDirectory)};
}

} // namespace tessik::platform
