#pragma once

#include "desktop_sandbox.h"
#include "platform/xdg/mime_apps_lookup.h"
#include "platform/xdg/xdg_environment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>
#include <optional>

// A desktop of its own in a temporary folder: HOME and every XDG variable point into it before anything is read.
// Two config dirs and two data dirs; the last data dir links to the machine's MIME database only. Variables a test
// sets through it are put back when it goes.
class MimeAppsSandbox
{
public:
    explicit MimeAppsSandbox(const QByteArray& currentDesktop = {}) : m_currentDesktop(currentDesktop)
    {
        using namespace Qt::StringLiterals;
        for (const QString& folder : {u"home"_s, u"etc1"_s, u"etc2"_s, u"data1/applications"_s, u"data2"_s, u"cache"_s,
                                      u"state"_s, u"runtime"_s})
            QDir(m_root).mkpath(folder);
        QFile::setPermissions(path(u"runtime"_s),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::link(u"/usr/share/mime"_s, path(u"data2/mime"_s));
        apply();
        environment = tessik::platform::XdgEnvironment::current();
    }
    ~MimeAppsSandbox()
    {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it)
            it->second ? void(qputenv(it->first, *it->second)) : void(qunsetenv(it->first));
    }
    Q_DISABLE_COPY_MOVE(MimeAppsSandbox)

    // Points the variables here again, for a sandbox that outlives a test which pointed them elsewhere.
    void apply() const
    {
        using namespace Qt::StringLiterals;
        const auto set = [&](const char* name, const QString& value) { qputenv(name, QFile::encodeName(value)); };
        set("HOME", path(u"home"_s));
        set("XDG_CONFIG_HOME", configHome());
        set("XDG_CONFIG_DIRS", path(u"etc1"_s) + u':' + path(u"etc2"_s));
        set("XDG_DATA_HOME", dataHome());
        set("XDG_DATA_DIRS", path(u"data1"_s) + u':' + path(u"data2"_s));
        set("XDG_CACHE_HOME", path(u"cache"_s));
        set("XDG_STATE_HOME", path(u"state"_s));
        set("XDG_RUNTIME_DIR", path(u"runtime"_s));
        qputenv("XDG_CURRENT_DESKTOP", m_currentDesktop);
    }

    // Sets a variable such as PATH or LANG until the sandbox goes.
    void setVariable(const char* name, const QByteArray& value)
    {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        qputenv(name, value);
    }

    QString root() const { return m_root; }
    QString configHome() const { return m_root + QStringLiteral("/home/.config"); }
    QString dataHome() const { return m_root + QStringLiteral("/home/.local/share"); }
    // An absolute path stays as it is.
    QString path(const QString& relative) const { return QDir(m_root).filePath(relative); }

    // Writes a file, folders first, and returns its path.
    QString write(const QString& relative, const QByteArray& text) const
    {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile file(path(relative));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text);
        return path(relative);
    }
    // A shell script that does nothing.
    QString writeProgram(const QString& relative) const
    {
        const QString program = write(relative, "#!/bin/sh\n");
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return program;
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

    // A lookup of this desktop's applications that knows the PDF aliases.
    tessik::platform::MimeAppsLookup lookup() const
    {
        using namespace Qt::StringLiterals;
        const auto folderOf = [this](const QString& id) {
            for (const QString& folder : environment.applicationDirectories())
                if (QFileInfo::exists(folder + u'/' + id))
                    return folder;
            return QString();
        };
        return tessik::platform::MimeAppsLookup(
            [=](const QString& id) { return QFileInfo(folderOf(id) + u'/' + id).isFile(); },
            [](const QString& type) {
                return type == u"application/x-pdf"_s || type == u"image/pdf"_s ? u"application/pdf"_s : type;
            },
            folderOf);
    }
    // Our default for the type and its parents must be `expected`, and GLib's too where gio is installed.
    void expectDefault(const QStringList& chain, const QString& expected) const
    {
        const auto choice = lookup().defaultApplication(environment, chain);
        EXPECT_EQ(choice ? choice->desktopId : QString(), expected) << qPrintable(chain.first());
        if (const std::optional<QString> gio = gioDefault(chain.first())) {
            EXPECT_EQ(*gio, expected) << "gio, " << qPrintable(chain.first());
        }
    }

    // Writes mimeinfo.cache in `dataDir`/applications with the real tool.
    bool updateDesktopDatabase(const QString& dataDir) const
    {
        return QProcess::execute(QStringLiteral("update-desktop-database"),
                                 {path(dataDir + QStringLiteral("/applications"))}) == 0;
    }

    // What `gio mime` prints about a type, run with this process's variables; nothing when gio is not installed.
    std::optional<QString> gioMime(const QString& type) const
    {
        using namespace Qt::StringLiterals;
        if (m_gio.isEmpty())
            return std::nullopt;
        QProcess gio;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        variables.insert(u"GIO_USE_VFS"_s, u"local"_s);
        variables.insert(u"GIO_USE_VOLUME_MONITOR"_s, u"unix"_s);
        variables.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + path(u"runtime/no-bus"_s));
        gio.setProcessEnvironment(variables);
        gio.start(m_gio, {u"mime"_s, type});
        if (!gio.waitForFinished(20000))
            ADD_FAILURE() << "gio did not finish";
        return QString::fromUtf8(gio.readAllStandardOutput());
    }

    // The desktop ID `gio mime` names as the type's default ("" for none); nothing when gio is not installed.
    std::optional<QString> gioDefault(const QString& type) const
    {
        using namespace Qt::StringLiterals;
        static const QRegularExpression line(u"^Default application for .*: (\\S+)$"_s,
                                             QRegularExpression::MultilineOption);
        const std::optional<QString> output = gioMime(type);
        if (!output)
            return std::nullopt;
        const QRegularExpressionMatch match = line.match(*output);
        return match.hasMatch() ? match.captured(1) : QString();
    }

    // The IDs `gio mime` lists under "Registered applications:", one per tab-indented line, sorted; nothing when
    // gio is not installed.
    std::optional<QStringList> gioRegistered(const QString& type) const
    {
        using namespace Qt::StringLiterals;
        const std::optional<QString> output = gioMime(type);
        if (!output)
            return std::nullopt;
        QStringList registered;
        bool inList = false;
        for (const QString& line : output->split(u'\n')) {
            if (!line.startsWith(u'\t'))
                inList = line == u"Registered applications:"_s;
            else if (inList)
                registered.append(line.trimmed());
        }
        registered.sort();
        return registered;
    }

    tessik::platform::XdgEnvironment environment;

private:
    QString m_root = tessik::testing::newDesktopFolder();
    QByteArray m_currentDesktop;
    // Found before a test narrows PATH.
    QString m_gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    QList<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};
