// tessik, the desktop program: reads the command line and wires the windows together.
#include "app/l10n/l10n.h"
#include "app/model/catalog_loader.h"
#include "core/support/start_timeline.h"
#include "platform/bundle.h"
#include "platform/system_root.h"
#include "platform/workspace.h"
#include "ui/main/main_window.h"
#include "ui/settings/language_setting.h"
#include "ui/shell/program_options.h"
#include "ui/shell/screenshot_run.h"
#include "ui/shell/shell.h"
#include "ui/shell/window_wiring.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace tessik::ui;

namespace {

// Whether a window would have no screen: a Unix desktop without an X or Wayland display, and no Qt platform
// chosen by hand. A Mac always has its screen.
bool lacksDisplay()
{
#ifdef Q_OS_DARWIN
    return false;
#else
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#endif
}

// A root shell often has no runtime folder. Qt then takes a private one in the temporary folder but warns about
// it on every start; this takes the same one without the noise.
void provideRuntimeFolder()
{
#ifndef Q_OS_DARWIN
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const passwd* user = ::getpwuid(::getuid());
    const QString folder = QDir::tempPath() + u"/runtime-"_s +
                           (user ? QString::fromLocal8Bit(user->pw_name) : QString::number(::getuid()));
    if (!QDir().mkpath(folder) ||
        !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    tessik::markStart("main");
    // The command line is read before the application object, which cannot start without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QString error;
    const auto options = ProgramOptions::parse(arguments, error);
    if (!options) {
        std::fprintf(stderr, "tessik: %s\n\n%s", qPrintable(error), qPrintable(ProgramOptions::usage()));
        return 2;
    }
    if (options->help) {
        std::fputs(qPrintable(ProgramOptions::usage()), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("tessik %s\n", qPrintable(tessik::platform::Bundle::mainBundle()
                                                  .infoDictionary()
                                                  .value(u"CFBundleShortVersionString"_s)
                                                  .toString()));
        return 0;
    }
    if (!options->systemRoot.isEmpty() && !QFileInfo(options->systemRoot).isDir()) {
        std::fprintf(stderr, "tessik: the system root “%s” is not a folder\n", qPrintable(options->systemRoot));
        return 1;
    }
    // A picture needs no screen; a window does, and Qt would abort without one.
    if (lacksDisplay()) {
        if (options->screenshot.isEmpty()) {
            tessik::platform::setSystemRoot(options->systemRoot);
            const QString language = options->language.value_or(LanguageSetting::shared().code());
            std::fprintf(
                stderr, "tessik: %s\n",
                qPrintable(tessik::L10n::text(
                    u"没有可用的显示器（DISPLAY 和 WAYLAND_DISPLAY 都未设置）。要保存程序窗口的图片，请使用 --screenshot FILE。"_s,
                    language)));
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    // The bundles are read while Qt connects to the window system, loads its fonts and builds the window.
    tessik::platform::setSystemRoot(options->systemRoot);
    tessik::CatalogLoader::StartedScan scan = tessik::CatalogLoader::startScan();

    provideRuntimeFolder();
    QApplication application(argc, argv);
    tessik::markStart("application object made");
    QApplication::setApplicationName(u"Tessik"_s);
    // Lets a Wayland desktop match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TESSIK_APP_ID));
    LanguageSetting::shared().setOverride(options->language);
    // Symbols the desktop theme lacks are drawn; a theme that has them is used.
    QIcon::setFallbackThemeName(u"hicolor"_s);
    // On a real desktop URLs (mail drafts, the website) go to its default applications.
    tessik::platform::Workspace::setURLOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); });

    Shell shell([] { return WindowWiring::makeMainWindow(); });
    QObject::connect(&application, &QApplication::aboutToQuit, &shell, &Shell::shutdown);
    auto& window = static_cast<MainWindow&>(*shell.mainWindow());
    tessik::markStart("window built");
    window.model().setStartedScan(std::move(scan));
    // The catalog is built while the window is laid out and first painted, not after.
    window.model().refresh();
    if (options->screenshot.isEmpty()) {
        window.showFirst(!options->byFormat, options->select);
        shell.launch();
        return QApplication::exec();
    }
    ScreenshotRun run(window, *options,
                      [&](ProgramOptions::Sheet) { return WindowWiring::open(window, shell, *options); });
    QObject::connect(&run, &ScreenshotRun::captured, &application, &QApplication::quit);
    run.start();
    tessik::markStart("window shown");
    QApplication::exec();
    return run.waitForPicture();
}
