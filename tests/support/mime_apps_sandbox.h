#pragma once

#include "desktop_sandbox.h"
#include "platform/xdg/xdg_environment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

// A desktop of its own in a temporary folder: HOME and every XDG variable point into it before anything is read.
// Two config dirs and two data dirs; the last data dir links to the machine's MIME database only.
class MimeAppsSandbox
{
public:
    explicit MimeAppsSandbox(const QByteArray& currentDesktop = {})
    {
        using namespace Qt::StringLiterals;
        const QString root = m_root;
        const auto set = [&](const char* name, const QString& value) { qputenv(name, QFile::encodeName(value)); };
        set("HOME", root + u"/home"_s);
        set("XDG_CONFIG_HOME", configHome());
        set("XDG_CONFIG_DIRS", root + u"/etc1:"_s + root + u"/etc2"_s);
        set("XDG_DATA_HOME", dataHome());
        set("XDG_DATA_DIRS", root + u"/data1:"_s + root + u"/data2"_s);
        set("XDG_CACHE_HOME", root + u"/cache"_s);
        set("XDG_STATE_HOME", root + u"/state"_s);
        set("XDG_RUNTIME_DIR", root + u"/runtime"_s);
        qputenv("XDG_CURRENT_DESKTOP", currentDesktop);
        for (const QString& folder : {u"home"_s, u"etc1"_s, u"etc2"_s, u"data1/applications"_s, u"data2"_s, u"cache"_s,
                                      u"state"_s, u"runtime"_s})
            QDir(root).mkpath(folder);
        QFile::setPermissions(root + u"/runtime"_s,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::link(u"/usr/share/mime"_s, root + u"/data2/mime"_s);
        environment = tessik::platform::XdgEnvironment::current();
    }

    QString root() const { return m_root; }
    QString configHome() const { return m_root + QStringLiteral("/home/.config"); }
    QString dataHome() const { return m_root + QStringLiteral("/home/.local/share"); }
    QString path(const QString& relative) const { return m_root + u'/' + relative; }

    void write(const QString& relative, const QByteArray& text) const
    {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile file(path(relative));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text);
    }
    QByteArray read(const QString& relative) const
    {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A desktop file GLib accepts, in `dataDir`/applications.
    void addApplication(const QString& dataDir, const QString& id, const QByteArray& mimeTypes = {}) const
    {
        write(dataDir + QStringLiteral("/applications/") + id,
              "[Desktop Entry]\nType=Application\nName=" + id.toUtf8() + "\nExec=true %f\nMimeType=" + mimeTypes +
                  "\n");
    }

    bool isInstalled(const QString& id) const
    {
        for (const QString& folder : environment.applicationDirectories())
            if (QFileInfo(folder + u'/' + id).isFile())
                return true;
        return false;
    }

    // The first application folder with a file of the ID, usable or not.
    QString owningFolder(const QString& id) const
    {
        for (const QString& folder : environment.applicationDirectories())
            if (QFileInfo::exists(folder + u'/' + id))
                return folder;
        return {};
    }

    // Writes mimeinfo.cache in `dataDir`/applications with the real tool.
    bool updateDesktopDatabase(const QString& dataDir) const
    {
        return QProcess::execute(QStringLiteral("update-desktop-database"),
                                 {path(dataDir + QStringLiteral("/applications"))}) == 0;
    }

    // The desktop ID `gio mime` names as the type's default ("" for none); nothing when gio is not installed.
    std::optional<QString> gioDefault(const QString& type) const
    {
        using namespace Qt::StringLiterals;
        if (QStandardPaths::findExecutable(u"gio"_s).isEmpty())
            return std::nullopt;
        QProcess gio;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        variables.insert(u"GIO_USE_VFS"_s, u"local"_s);
        variables.insert(u"GIO_USE_VOLUME_MONITOR"_s, u"unix"_s);
        variables.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + root() + u"/runtime/no-bus"_s);
        gio.setProcessEnvironment(variables);
        gio.start(u"gio"_s, {u"mime"_s, type});
        if (!gio.waitForFinished(20000))
            return QString(u"(gio did not finish)"_s);
        static const QRegularExpression line(u"^Default application for .*: (\\S+)$"_s,
                                             QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = line.match(QString::fromUtf8(gio.readAllStandardOutput()));
        return match.hasMatch() ? match.captured(1) : QString();
    }

    tessik::platform::XdgEnvironment environment;

private:
    QString m_root = tessik::testing::newDesktopFolder();
};
