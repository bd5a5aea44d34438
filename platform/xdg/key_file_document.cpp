#include "key_file_document.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tessik::platform {

namespace {

std::optional<QString> decoded(QByteArrayView bytes)
{
    return bytes.isValidUtf8() ? std::optional(QString::fromUtf8(bytes)) : std::nullopt;
}

// Blank as GLib's parser has it: the vertical tab is not.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

QByteArrayView withoutLeadingBlanks(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    return text;
}

// A group header: "[" up to the first "]", then only spaces and tabs.
bool isGroupLine(QByteArrayView line)
{
    const qsizetype close = line.indexOf(']');
    if (!line.startsWith('[') || close < 0)
        return false;
    const QByteArrayView rest = line.sliced(close + 1);
    return std::all_of(rest.begin(), rest.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool isGroupName(QByteArrayView name)
{
    return !name.isEmpty() && std::none_of(name.begin(), name.end(), [](char c) {
        return c == '[' || c == ']' || uchar(c) < 0x20 || uchar(c) == 0x7f;
    });
}

// A key, with at most a "[locale]" of letters, digits and "-_.@" at its end; no space at either end.
bool isKeyName(QByteArrayView key)
{
    qsizetype stop = 0;
    while (stop < key.size() && key[stop] != '[' && key[stop] != ']')
        ++stop;
    if (stop == 0 || key.front() == ' ' || key[stop - 1] == ' ')
        return false;
    if (stop == key.size())
        return true;
    if (key[stop] == ']' || !key.endsWith(']'))
        return false;
    const QByteArrayView locale = key.sliced(stop + 1, key.size() - stop - 2);
    if (!locale.isValidUtf8())
        return false;
    const QList<uint> characters = QString::fromUtf8(locale).toUcs4();
    return std::all_of(characters.begin(), characters.end(), [](uint c) {
        return QChar::isLetterOrNumber(char32_t(c)) || c == '-' || c == '_' || c == '.' || c == '@';
    });
}

} // namespace

// Each line is judged as GLib's key file parser judges it, so that a file GLib refuses as a whole is refused here too:
// only a "\r" right before the "\n" belongs to the line ending, and a line ends for the parser at a NUL byte.
KeyFileDocument KeyFileDocument::parse(const QByteArray& bytes)
{
    static const QByteArray lf = "\n";
    static const QByteArray crlf = "\r\n";
    KeyFileDocument document;
    bool inGroup = false;
    QString group;
    std::optional<QString> firstGroup;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        Line line;
        if (end < 0) {
            end = bytes.size();
        } else {
            line.ending = lf;
            if (end > start && bytes.at(end - 1) == '\r') {
                line.ending = crlf;
                --end;
            }
        }
        line.text = bytes.sliced(start, end - start);
        start = end + line.ending.size();

        const QByteArrayView whole = withoutLeadingBlanks(line.text);
        QByteArrayView text = whole;
        if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
            text = text.first(nul);
        const qsizetype equals = text.indexOf('=');
        if (text.isEmpty() || text.startsWith('#')) {
            line.kind = Kind::Other;
        } else if (isGroupLine(text)) {
            const QByteArrayView name = text.sliced(1, text.indexOf(']') - 1);
            if (!isGroupName(name))
                document.m_wellFormed = false;
            // A name that is not UTF-8 still starts a group, one that no reader asks for.
            line.kind = Kind::Group;
            group = QString::fromUtf8(name);
            inGroup = true;
            if (!firstGroup)
                firstGroup = group;
            line.group = group;
        } else if (equals > 0) {
            qsizetype keyEnd = equals;
            while (keyEnd > 0 && isBlank(text[keyEnd - 1]))
                --keyEnd;
            const QByteArrayView key = text.first(keyEnd);
            const QByteArrayView value = withoutLeadingBlanks(text.sliced(equals + 1));
            // The encoding is compared with the whole rest of the line, NUL and all.
            if (!inGroup || !isKeyName(key) ||
                (group == firstGroup && key == "Encoding" &&
                 withoutLeadingBlanks(whole.sliced(equals + 1)).compare("UTF-8", Qt::CaseInsensitive) != 0))
                document.m_wellFormed = false;
            // A key that is not UTF-8 is passed over, as GLib does.
            if (const std::optional<QString> name = decoded(key); name && inGroup) {
                line.kind = Kind::Key;
                line.group = group;
                line.key = *name;
                line.value = decoded(value);
            }
        } else {
            document.m_wellFormed = false;
        }
        document.m_lines.append(std::move(line));
    }
    document.reindex();
    return document;
}

void KeyFileDocument::reindex()
{
    m_groupNames.clear();
    m_groups.clear();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines.at(i);
        if (line.kind == Kind::Other)
            continue;
        auto entry = m_groups.find(line.group);
        if (entry == m_groups.end()) {
            m_groupNames.append(line.group);
            entry = m_groups.insert(line.group, Group{});
        }
        if (line.kind == Kind::Group) {
            if (entry->lastLine < 0)
                entry->lastLine = i;
            continue;
        }
        const qsizetype known = entry->lastLineOfKey.size();
        entry->lastLineOfKey.insert(line.key, i);
        if (entry->lastLineOfKey.size() > known)
            entry->keys.append(line.key);
        entry->lastLine = i;
    }
}

QByteArray KeyFileDocument::toByteArray() const
{
    QByteArray bytes;
    for (const Line& line : m_lines)
        bytes += line.text + line.ending;
    return bytes;
}

QStringList KeyFileDocument::groups() const
{
    return m_groupNames;
}

QStringList KeyFileDocument::keys(const QString& group) const
{
    const auto entry = m_groups.constFind(group);
    return entry == m_groups.cend() ? QStringList() : entry->keys;
}

std::optional<QString> KeyFileDocument::value(const QString& group, const QString& key) const
{
    const qsizetype index = lastLineOf(group, key);
    if (index < 0)
        return std::nullopt;
    return m_lines.at(index).value;
}

qsizetype KeyFileDocument::lastLineOf(const QString& group, const QString& key) const
{
    const auto entry = m_groups.constFind(group);
    return entry == m_groups.cend() ? -1 : entry->lastLineOfKey.value(key, -1);
}

void KeyFileDocument::insertLine(qsizetype at, Line line)
{
    // The new line takes the ending of the line before it; at the very end, that line gets one and the new line
    // keeps the file's missing final newline missing.
    if (at > 0) {
        Line& previous = m_lines[at - 1];
        if (previous.ending.isEmpty()) {
            previous.ending = "\n";
            line.ending = {};
        } else {
            line.ending = previous.ending;
        }
    } else {
        line.ending = "\n";
    }
    m_lines.insert(at, std::move(line));
}

bool KeyFileDocument::setValue(const QString& group, const QString& key, const QString& value)
{
    const auto breaksLines = [](const QString& text) {
        return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
    };
    if (breaksLines(group) || breaksLines(key) || breaksLines(value))
        return false;
    Line line;
    line.kind = Kind::Key;
    line.group = group;
    line.key = key;
    line.value = value;
    line.text = QString(key + u'=' + value).toUtf8();

    if (qsizetype index = lastLineOf(group, key); index >= 0) {
        line.ending = m_lines.at(index).ending;
        m_lines[index] = std::move(line);
        bool dropped = false;
        for (qsizetype i = index - 1; i >= 0; --i) {
            const Line& existing = m_lines.at(i);
            if (existing.kind == Kind::Key && existing.group == group && existing.key == key) {
                m_lines.removeAt(i);
                dropped = true;
            }
        }
        if (dropped)
            reindex();
        return true;
    }

    if (const auto entry = m_groups.constFind(group); entry != m_groups.cend()) {
        insertLine(entry->lastLine + 1, std::move(line));
        reindex();
        return true;
    }

    if (!m_lines.isEmpty() && !m_lines.last().text.trimmed().isEmpty()) {
        Line blank;
        insertLine(m_lines.size(), std::move(blank));
    }
    Line header;
    header.kind = Kind::Group;
    header.group = group;
    header.text = QString(u'[' + group + u']').toUtf8();
    insertLine(m_lines.size(), std::move(header));
    insertLine(m_lines.size(), std::move(line));
    reindex();
    return true;
}

bool KeyFileDocument::remove(const QString& group, const QString& key)
{
    if (lastLineOf(group, key) < 0)
        return false;
    m_lines.removeIf(
        [&](const Line& line) { return line.kind == Kind::Key && line.group == group && line.key == key; });
    reindex();
    return true;
}

std::optional<QStringList> KeyFileDocument::splitList(const QString& value)
{
    QStringList items;
    QString item;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u';') {
            if (!item.isEmpty())
                items.append(item);
            item.clear();
        } else if (c == u'\\') {
            if (++i == value.size())
                return std::nullopt;
            switch (value.at(i).unicode()) {
            case 's':
                item += u' ';
                break;
            case 'n':
                item += u'\n';
                break;
            case 't':
                item += u'\t';
                break;
            case 'r':
                item += u'\r';
                break;
            case '\\':
            case ';':
                item += value.at(i);
                break;
            default:
                return std::nullopt;
            }
        } else {
            item += c;
        }
    }
    if (!item.isEmpty())
        items.append(item);
    return items;
}

QString KeyFileDocument::joinList(const QStringList& items)
{
    QString value;
    for (const QString& item : items) {
        for (qsizetype i = 0; i < item.size(); ++i) {
            const QChar c = item.at(i);
            if (c == u'\\' || c == u';')
                value += u'\\' + c;
            else if (c == u'\n')
                value += u"\\n"_s;
            else if (c == u'\t')
                value += u"\\t"_s;
            else if (c == u'\r')
                value += u"\\r"_s;
            else if (c == u' ' && i == 0)
                value += u"\\s"_s;
            else
                value += c;
        }
        value += u';';
    }
    return value;
}

} // namespace tessik::platform
