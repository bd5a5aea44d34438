// tessik, the desktop program: reads the command line and wires the windows together.
#include "platform/system_root.h"
#include "ui/main/main_window.h"
#include "ui/settings/language_setting.h"
#include "ui/shell/program_options.h"
#include "ui/shell/screenshot_run.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace tessik::ui;

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"Tessik"_s);
    QString error;
    const auto options = ProgramOptions::parse(QApplication::arguments(), error);
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
    tessik::platform::setSystemRoot(options->systemRoot);
    LanguageSetting::shared().setOverride(options->language);

    MainWindow window;
    if (!options->screenshot.isEmpty()) {
        ScreenshotRun run(window, *options, [](ProgramOptions::Sheet) { return nullptr; });
        QObject::connect(&run, &ScreenshotRun::finished, &application, &QApplication::exit);
        run.start();
        return QApplication::exec();
    }
    window.resize(1100, 680);
    window.show();
    return QApplication::exec();
}
