#pragma once

#include "program_options.h"

#include <QFuture>

class QWidget;

namespace tessik::ui {

class MainWindow;
class Shell;

// Connects the main window to the sheets it asks for, and opens a sheet or the settings window on demand.
class WindowWiring
{
public:
    // A main window whose "添加格式…" and "选择其他应用…" present their sheets.
    static MainWindow* makeMainWindow();
    // Opens the sheet (or the settings or history window) over the window; the future gives it, shown, once it
    // shows what it reads.
    static QFuture<QWidget*> open(MainWindow& window, Shell& shell, ProgramOptions::Sheet sheet);
};

} // namespace tessik::ui
