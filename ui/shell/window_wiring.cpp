#include "window_wiring.h"

#include "app/l10n/l10n.h"
#include "defaults_transfer.h"
#include "shell.h"
#include "ui/main/main_window.h"
#include "ui/settings/language_setting.h"
#include "ui/settings/settings_window.h"
#include "ui/sheets/add_format_sheet.h"
#include "ui/sheets/app_chooser_sheet.h"
#include "ui/sheets/import_sheet.h"

#include <cstdio>

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

QWidget* WindowWiring::open(MainWindow& window, Shell& shell, const ProgramOptions& options)
{
    switch (options.sheet) {
    case ProgramOptions::Sheet::addFormat:
        return present(new AddFormatSheet(window.model(), window.byApp(), &window));
    case ProgramOptions::Sheet::chooseApp:
        return present(new AppChooserSheet(window.model(), &window));
    case ProgramOptions::Sheet::settings:
        return shell.showSettings();
    case ProgramOptions::Sheet::imported:
        try {
            return DefaultsTransfer::importFrom(window, options.importFile);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "tessik: %s\n", qPrintable(L10n::error(error, LanguageSetting::shared().code())));
            return nullptr;
        }
    case ProgramOptions::Sheet::none:
        break;
    }
    return nullptr;
}

} // namespace tessik::ui
