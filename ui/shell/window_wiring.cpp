#include "window_wiring.h"

#include "shell.h"
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

QWidget* WindowWiring::open(MainWindow& window, Shell& shell, ProgramOptions::Sheet sheet)
{
    switch (sheet) {
    case ProgramOptions::Sheet::addFormat:
        return present(new AddFormatSheet(window.model(), window.byApp(), &window));
    case ProgramOptions::Sheet::chooseApp:
        return present(new AppChooserSheet(window.model(), &window));
    case ProgramOptions::Sheet::settings:
        return shell.showSettings();
    case ProgramOptions::Sheet::none:
        break;
    }
    return nullptr;
}

} // namespace tessik::ui
