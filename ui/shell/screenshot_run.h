#pragma once

#include "program_options.h"

#include <QFuture>
#include <QObject>

#include <functional>

class QWidget;

namespace tessik::ui {

class MainWindow;

// Renders the main window once its first catalog is on screen, with the view, selection and sheet the options
// ask for, into a PNG: pictures and checks without a person.
class ScreenshotRun : public QObject
{
    Q_OBJECT

public:
    // Opens the sheet over the window; the future gives it once it shows what it reads.
    using SheetOpener = std::function<QFuture<QWidget*>(ProgramOptions::Sheet)>;

    ScreenshotRun(MainWindow& window, ProgramOptions options, SheetOpener openSheet, QObject* parent = nullptr);

    // Shows the window; `finished` follows once the picture is saved (0) or could not be (1).
    void start();

Q_SIGNALS:
    void finished(int exitCode);

private:
    void loaded();
    void capture(QWidget* sheet);

    MainWindow& m_window;
    ProgramOptions m_options;
    SheetOpener m_openSheet;
    bool m_started = false;
};

} // namespace tessik::ui
