#pragma once

#include "desktop_sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// HOME and every freedesktop.org variable pointed into a temporary folder, so that no test sees or changes the
// real desktop. The system's MIME database can be linked in without the system's applications.
class XdgSandbox
{
public:
    XdgSandbox() { apply(); }

    QString root() const { return m_root; }
    QString home() const { return root() + QStringLiteral("/home"); }
    QString dataHome() const { return home() + QStringLiteral("/.local/share"); }
    QString dataDir() const { return root() + QStringLiteral("/data"); }
    QString bin() const { return root() + QStringLiteral("/bin"); }

    // Sets the variables again, for a sandbox that outlives a test which set its own.
    void apply() const
    {
        const QString runtime = root() + QStringLiteral("/runtime");
        set("HOME", home());
        set("XDG_DATA_HOME", dataHome());
        set("XDG_DATA_DIRS", dataDir());
        set("XDG_CONFIG_HOME", home() + QStringLiteral("/.config"));
        set("XDG_CONFIG_DIRS", root() + QStringLiteral("/etc/xdg"));
        set("XDG_CACHE_HOME", home() + QStringLiteral("/.cache"));
        set("XDG_STATE_HOME", home() + QStringLiteral("/.local/state"));
        set("XDG_RUNTIME_DIR", runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_CURRENT_DESKTOP", "TESSIK");
    }

    void linkSystemMimeDatabase() const
    {
        QFile::link(QStringLiteral("/usr/share/mime"), dataDir() + QStringLiteral("/mime"));
    }

    // Writes a file, folders first, and returns its path.
    static QString write(const QString& path, const QByteArray& contents)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(contents);
        return path;
    }

private:
    static void set(const char* variable, const QString& folder)
    {
        QDir().mkpath(folder);
        qputenv(variable, QFile::encodeName(folder));
    }

    QString m_root = tessik::testing::newDesktopFolder();
};
