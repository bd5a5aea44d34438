#pragma once

#include <QObject>
#include <QString>

class QFileDialog;

namespace tessik::ui {

class ImportSheet;
class MainWindow;

// File ▸ Export… and File ▸ Import… of the main window: the chosen defaults to a file, and a file's defaults
// staged in the window for review.
class DefaultsTransfer
{
public:
    // Writes the defaults chosen on this machine; returns how many. Throws what writing the file throws.
    static qsizetype exportTo(MainWindow& window, const QString& path);
    // Reads the whole file first, so a file that does not read (DefaultsFileError, NSError thrown) stages nothing;
    // then stages what it can and opens the sheet that shows it.
    static ImportSheet* importFrom(MainWindow& window, const QString& path);

    // The same behind a save or open dialog, with any failure told in a message.
    static QFileDialog* askExport(MainWindow& window);
    static QFileDialog* askImport(MainWindow& window);
};

} // namespace tessik::ui
