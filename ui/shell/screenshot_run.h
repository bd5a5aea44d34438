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

    // Shows the window; `captured` follows once the picture is taken, and it is saved on a thread of its own while
    // the program winds down.
    void start();
    // Waits for the picture to be written: 0 when it was, 1 (said on the standard error) when it could not be.
    int waitForPicture();

Q_SIGNALS:
    void captured();

private:
    void loaded();
    void capture(QWidget* sheet);

    MainWindow& m_window;
    ProgramOptions m_options;
    SheetOpener m_openSheet;
    bool m_started = false;
    QFuture<bool> m_saved;
};

} // namespace tessik::ui
