// tessik, the desktop program: reads the command line and wires the windows together.
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
#include <QFileInfo>
#include <QIcon>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace tessik::ui;

int main(int argc, char* argv[])
{
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
    if (!options->systemRoot.isEmpty() && !QFileInfo(options->systemRoot).isDir()) {
        std::fprintf(stderr, "tessik: the system root “%s” is not a folder\n", qPrintable(options->systemRoot));
        return 1;
    }
    // A picture needs no screen.
    if (!options->screenshot.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    QApplication::setApplicationName(u"Tessik"_s);
    tessik::platform::setSystemRoot(options->systemRoot);
    LanguageSetting::shared().setOverride(options->language);
    // Symbols the desktop theme lacks are drawn; a theme that has them is used.
    QIcon::setFallbackThemeName(u"hicolor"_s);
    // On a real desktop URLs (mail drafts, the website) go to its default applications.
    tessik::platform::Workspace::setURLOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); });

    Shell shell([] { return WindowWiring::makeMainWindow(); });
    QObject::connect(&application, &QApplication::aboutToQuit, &shell, &Shell::shutdown);
    auto& window = static_cast<MainWindow&>(*shell.mainWindow());
    if (options->screenshot.isEmpty()) {
        window.showFirst(!options->byFormat, options->select);
        shell.launch();
        return QApplication::exec();
    }
    ScreenshotRun run(window, *options,
                      [&](ProgramOptions::Sheet sheet) { return WindowWiring::open(window, shell, sheet); });
    QObject::connect(&run, &ScreenshotRun::finished, &application, &QApplication::exit);
    run.start();
    return QApplication::exec();
}
