#include "desktop_entry.h"

#include "../file_stamp.h"
#include "key_file_document.h"

#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <utility>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

// GLib reads an entry of any size; this only bounds what one file can make us hold.
constexpr qint64 maximumSize = 16 * 1024 * 1024;

// The value escapes; "\;" means a semicolon only inside a list item.
QString unescaped(QStringView value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            result.append(value[i]);
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case u's':
            result.append(u' ');
            break;
        case u'n':
            result.append(u'\n');
            break;
        case u't':
            result.append(u'\t');
            break;
        case u'r':
            result.append(u'\r');
            break;
        case u'\\':
            result.append(u'\\');
            break;
        default:
            // Not an escape the format knows: kept as written.
            result.append(u'\\');
            result.append(next);
        }
    }
    return result;
}

bool boolean(const QString& value)
{
    return value.trimmed() == u"true"_s;
}

// The localised keys to try, most specific first: lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang.
// The encoding never takes part.
QStringList localeVariants(const QString& locale)
{
    QString rest = locale;
    QString modifier;
    if (const qsizetype at = rest.indexOf(u'@'); at >= 0) {
        modifier = rest.sliced(at + 1);
        rest.truncate(at);
    }
    if (const qsizetype dot = rest.indexOf(u'.'); dot >= 0)
        rest.truncate(dot);
    const qsizetype underscore = rest.indexOf(u'_');
    const QString language = underscore >= 0 ? rest.left(underscore) : rest;
    const QString country = underscore >= 0 ? rest.sliced(underscore + 1) : QString();
    QStringList variants;
    if (language.isEmpty())
        return variants;
    if (!country.isEmpty() && !modifier.isEmpty())
        variants.append(language + u'_' + country + u'@' + modifier);
    if (!country.isEmpty())
        variants.append(language + u'_' + country);
    if (!modifier.isEmpty())
        variants.append(language + u'@' + modifier);
    variants.append(language);
    return variants;
}

// The words of a command line as GLib's shell parser gives them: blanks end a word, single quotes keep all,
// double quotes keep all but \" \\ \` \$ and an escaped newline, a backslash elsewhere keeps the next character
// (dropping an escaped newline), and "#" after a space or newline comments out the rest of the line. Nothing when a
// quote is left open, the line ends in a backslash or there is no word.
std::optional<QStringList> shellWords(QStringView line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inWord)
                words.append(std::exchange(word, QString()));
            inWord = false;
        } else if (c == u'#' && (i == 0 || line[i - 1] == u' ' || line[i - 1] == u'\n')) {
            // The newline ending a comment goes with it.
            i = line.indexOf(u'\n', i);
            if (i < 0)
                break;
        } else if (c == u'\\') {
            if (++i == line.size())
                return std::nullopt;
            if (line[i] != u'\n')
                word.append(line[i]);
            inWord = true;
        } else if (c == u'\'') {
            const qsizetype end = line.indexOf(u'\'', i + 1);
            if (end < 0)
                return std::nullopt;
            word.append(line.sliced(i + 1, end - i - 1));
            i = end;
            inWord = true;
        } else if (c == u'"') {
            for (++i; i < line.size() && line[i] != u'"'; ++i) {
                if (line[i] == u'\\' && i + 1 < line.size() && QStringView(u"\"\\`$\n").contains(line[i + 1]))
                    ++i;
                word.append(line[i]);
            }
            if (i == line.size())
                return std::nullopt;
            inWord = true;
        } else {
            word.append(c);
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
    if (words.isEmpty())
        return std::nullopt;
    return words;
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::read(const QString& path, const QString& locale)
{
    FileStamp stamp;
    return read(path, locale, stamp);
}

std::optional<DesktopEntry> DesktopEntry::read(const QString& path, const QString& locale, FileStamp& stamp)
{
    // Checked before opening: opening a device can have effects of its own.
    if (!QFileInfo(path).isFile()) {
        stamp = FileStamp::of(path);
        return std::nullopt;
    }
    const std::optional<QByteArray> contents = FileStamp::read(path, maximumSize, stamp);
    return contents ? parse(*contents, locale) : std::nullopt;
}

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray& contents, const QString& locale)
{
    // GLib installs an entry only from a file its key file parser takes whole and whose first group is the entry.
    static const QString group = u"Desktop Entry"_s;
    const KeyFileDocument document = KeyFileDocument::parse(contents);
    if (!document.isWellFormed() || document.groups().value(0) != group)
        return std::nullopt;
    // Values as GLib gives them: leading blanks dropped, trailing ones kept ("Application " is no application). A
    // value that is not UTF-8 is as good as missing.
    const auto value = [&](const QString& key) { return document.value(group, key).value_or(QString()); };

    DesktopEntry entry;
    entry.type = unescaped(value(u"Type"_s));
    entry.name = unescaped(value(u"Name"_s));
    for (const QString& variant : localeVariants(locale)) {
        if (const std::optional<QString> localised = document.value(group, u"Name["_s + variant + u']')) {
            entry.name = unescaped(*localised);
            break;
        }
    }
    entry.mimeTypes = KeyFileDocument::splitList(value(u"MimeType"_s)).value_or(QStringList());
    entry.icon = unescaped(value(u"Icon"_s));
    entry.exec = unescaped(value(u"Exec"_s));
    entry.tryExec = unescaped(value(u"TryExec"_s));
    entry.hidden = boolean(value(u"Hidden"_s));
    entry.noDisplay = boolean(value(u"NoDisplay"_s));
    return entry;
}

QString DesktopEntry::messageLocale()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const QString value = qEnvironmentVariable(variable); !value.isEmpty())
            return value;
    return u"C"_s;
}

std::optional<QString> DesktopEntry::execProgram() const
{
    const std::optional<QStringList> words = shellWords(exec);
    return words ? std::optional(words->first()) : std::nullopt;
}

bool DesktopEntry::programsFound() const
{
    if (!tryExec.isEmpty() && !programFound(tryExec))
        return false;
    if (exec.isEmpty())
        return true;
    const std::optional<QString> program = execProgram();
    return program && programFound(*program);
}

bool DesktopEntry::programFound(const QString& program)
{
    if (program.contains(u'/')) {
        const QFileInfo file(program);
        return file.isFile() && file.isExecutable();
    }
    return !program.isEmpty() && !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace tessik::platform
