#include "key_file_document.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tessik::platform {

namespace {

std::optional<QString> decoded(QByteArrayView bytes)
{
    return bytes.isValidUtf8() ? std::optional(QString::fromUtf8(bytes)) : std::nullopt;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

KeyFileDocument KeyFileDocument::parse(const QByteArray& bytes)
{
    static const QByteArray lf = "\n";
    static const QByteArray crlf = "\r\n";
    KeyFileDocument document;
    bool inGroup = false;
    QString group;
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

        // Leading whitespace is insignificant, as are spaces around the key; the value keeps its trailing ones.
        const QByteArrayView trimmed = QByteArrayView(line.text).trimmed();
        const qsizetype equals = line.text.indexOf('=');
        if (trimmed.isEmpty() || trimmed.startsWith('#')) {
            line.kind = Kind::Other;
        } else if (trimmed.startsWith('[') && trimmed.endsWith(']') && trimmed.count('[') == 1 &&
                   trimmed.count(']') == 1) {
            // A name that is not UTF-8 still starts a group, one that no reader asks for.
            line.kind = Kind::Group;
            group = QString::fromUtf8(trimmed.sliced(1, trimmed.size() - 2));
            inGroup = true;
            line.group = group;
        } else if (const QByteArrayView key = QByteArrayView(line.text).first(std::max<qsizetype>(equals, 0)).trimmed();
                   inGroup && !key.isEmpty()) {
            // A key that is not UTF-8 is passed over, as GLib does.
            if (const std::optional<QString> name = decoded(key)) {
                line.kind = Kind::Key;
                line.group = group;
                line.key = *name;
                qsizetype valueStart = equals + 1;
                while (valueStart < line.text.size() && isBlank(line.text.at(valueStart)))
                    ++valueStart;
                line.value = decoded(QByteArrayView(line.text).sliced(valueStart));
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

void KeyFileDocument::setValue(const QString& group, const QString& key, const QString& value)
{
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
        return;
    }

    if (const auto entry = m_groups.constFind(group); entry != m_groups.cend()) {
        insertLine(entry->lastLine + 1, std::move(line));
        reindex();
        return;
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

QStringList KeyFileDocument::splitList(const QString& value)
{
    QStringList items;
    QString item;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u';') {
            if (!item.isEmpty())
                items.append(item);
            item.clear();
        } else if (c == u'\\' && i + 1 < value.size()) {
            const QChar escaped = value.at(++i);
            switch (escaped.unicode()) {
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
            default:
                item += escaped;
                break;
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
