#include "desktop_sandbox.h"

#include "platform/backend.h"
#include "platform/system_root.h"
#include "systemwriter/xdg_demo_system.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace tessik::testing {
namespace {

const char* const folderVariables[] = {"HOME",           "XDG_DATA_HOME",   "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                       "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_DIRS",   "XDG_CONFIG_DIRS"};

bool insideTemporaryFolder(const QString& path)
{
    const QString temporary = QDir::cleanPath(QDir::tempPath()) + u'/';
    return QDir::isAbsolutePath(path) && QDir::cleanPath(path).startsWith(temporary);
}

// Tests may point the variables at sandboxes of their own, but never out of the temporary folder.
void requireSandbox()
{
    for (const char* variable : folderVariables) {
        for (const QString& path : qEnvironmentVariable(variable).split(u':')) {
            if (!insideTemporaryFolder(path)) {
                std::fprintf(stderr, "The desktop backend was reached with %s=%s, outside a sandbox.\n", variable,
                             qPrintable(qEnvironmentVariable(variable)));
                std::abort();
            }
        }
    }
}

QTemporaryDir& sandbox()
{
    static QTemporaryDir folder(QDir::tempPath() + u"/tessik-tests-XXXXXX"_s);
    return folder;
}

} // namespace

QString newDesktopFolder()
{
    QTemporaryDir folder(sandbox().path() + u"/desktop-XXXXXX"_s);
    folder.setAutoRemove(false);
    return folder.path();
}

QString enterXdgDemo()
{
    const QString root = newDesktopFolder();
    tools::XdgDemoSystem::write(root);
    static const QRegularExpression line(u"^export (\\w+)='([^']*)'$"_s, QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(tools::XdgDemoSystem::environment(root)); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        qputenv(match.captured(1).toUtf8().constData(), match.captured(2).toUtf8());
    }
    qputenv("PATH", QFile::encodeName(root + u"/usr/bin:"_s) + qgetenv("PATH"));
    platform::setSystemRoot({});
    return root;
}

void enterDesktopSandbox()
{
    const QString root = sandbox().path();
    const auto set = [](const char* variable, const QString& folder) {
        QDir().mkpath(folder);
        qputenv(variable, QFile::encodeName(folder));
    };
    set("HOME", root + u"/home"_s);
    set("XDG_DATA_HOME", root + u"/home/.local/share"_s);
    set("XDG_CONFIG_HOME", root + u"/home/.config"_s);
    set("XDG_CACHE_HOME", root + u"/home/.cache"_s);
    set("XDG_STATE_HOME", root + u"/home/.local/state"_s);
    set("XDG_RUNTIME_DIR", root + u"/runtime"_s);
    QFile::setPermissions(root + u"/runtime"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    set("XDG_DATA_DIRS", root + u"/usr/share"_s);
    set("XDG_CONFIG_DIRS", root + u"/etc/xdg"_s);
    qunsetenv("XDG_CURRENT_DESKTOP");
    // The machine's MIME database without its applications.
    QFile::link(u"/usr/share/mime"_s, root + u"/usr/share/mime"_s);
    platform::Backend::setDesktopAccessCheck(requireSandbox);
    // On a Mac too: no test may reach the machine's own Launch Services.
    platform::setNativeSystem(platform::SystemKind::freedesktop);
}

} // namespace tessik::testing
