#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tessik::platform {

struct FileStamp;

// The [Desktop Entry] group of one desktop entry file, with the keys an application's registration needs.
struct DesktopEntry
{
    QString type;
    // Localised for the locale the file was read with.
    QString name;
    // As the file lists them: neither canonicalised nor lower-cased.
    QStringList mimeTypes;
    QString icon;
    QString exec;
    QString tryExec;
    bool hidden = false;
    bool noDisplay = false;

    // Nothing when the file is not a regular file (links followed; a pipe is never opened), is larger than
    // 16 MiB, is a key file GLib refuses or does not start with the [Desktop Entry] group. `locale` is a POSIX
    // locale such as "de_DE.UTF-8@euro".
    static std::optional<DesktopEntry> read(const QString& path, const QString& locale);
    // The same, also stamping the file as it was read (a missing or special file is stamped too).
    static std::optional<DesktopEntry> read(const QString& path, const QString& locale, FileStamp& stamp);
    static std::optional<DesktopEntry> parse(const QByteArray& contents, const QString& locale);

    // The locale messages are shown in: the first non-empty of LC_ALL, LC_MESSAGES and LANG, else "C".
    static QString messageLocale();

    // The program Exec starts: its first word, split as a shell splits (quotes and backslashes, no expansion).
    // Nothing when Exec is empty or does not split (an open quote, a trailing backslash, no word at all).
    std::optional<QString> execProgram() const;
    // False when TryExec or the Exec program is not there, or Exec does not split; an empty Exec asks for nothing,
    // as GLib decides.
    bool programsFound() const;
    // A name with a slash is a path (a relative one from the current folder) that must be an executable regular
    // file; a bare name is looked up in $PATH.
    static bool programFound(const QString& program);
};

} // namespace tessik::platform
