#include "window_wiring.h"

#include "shell.h"
#include "ui/history/history_window.h"
#include "ui/main/main_window.h"
#include "ui/settings/settings_window.h"
#include "ui/sheets/add_format_sheet.h"
#include "ui/sheets/app_chooser_sheet.h"

namespace tessik::ui {
namespace {

QDialog* present(QDialog* sheet)
{
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
    return sheet;
}

} // namespace

MainWindow* WindowWiring::makeMainWindow()
{
    auto* window = new MainWindow;
    QObject::connect(window, &MainWindow::addFormatRequested, window,
                     [window](bool forApp) { present(new AddFormatSheet(window->model(), forApp, window)); });
    QObject::connect(window, &MainWindow::chooseAppRequested, window,
                     [window] { present(new AppChooserSheet(window->model(), window)); });
    return window;
}

QFuture<QWidget*> WindowWiring::open(MainWindow& window, Shell& shell, ProgramOptions::Sheet sheet)
{
    QWidget* shown = nullptr;
    switch (sheet) {
    case ProgramOptions::Sheet::addFormat:
        shown = present(new AddFormatSheet(window.model(), window.byApp(), &window));
        break;
    case ProgramOptions::Sheet::chooseApp:
        shown = present(new AppChooserSheet(window.model(), &window));
        break;
    case ProgramOptions::Sheet::settings:
        shown = shell.showSettings();
        break;
    case ProgramOptions::Sheet::history:
        if (HistoryWindow* history = shell.showHistory())
            return history->loaded().then(history, [history] { return static_cast<QWidget*>(history); });
        break;
    case ProgramOptions::Sheet::none:
        break;
    }
    return QtFuture::makeReadyFuture(shown);
}

} // namespace tessik::ui
