#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tessik::ui {

// What the command line asks of the desktop program.
struct ProgramOptions
{
    enum class Sheet
    {
        none,
        addFormat,
        chooseApp,
        settings,
        history
    };

    QString systemRoot;
    // For this run only; the stored setting is changed in the settings window.
    std::optional<QString> language;
    // Render the main window into this PNG and quit.
    QString screenshot;
    bool byFormat = false;
    // A bundle identifier in application mode, a content type in format mode.
    std::optional<QString> select;
    Sheet sheet = Sheet::none;
    bool help = false;
    bool version = false;

    // Parses the arguments (the program path first); on a bad command line returns nothing and sets `error`.
    static std::optional<ProgramOptions> parse(const QStringList& arguments, QString& error);
    static QString usage();
};

} // namespace tessik::ui
