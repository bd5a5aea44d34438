#include "key_file_document.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace tessik::platform {

KeyFileDocument KeyFileDocument::parse(const QByteArray& bytes)
{
    KeyFileDocument document;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder(bytes);
    document.m_wellFormed = !decoder.hasError();
    QString group;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        Line line;
        if (end < 0) {
            end = bytes.size();
        } else {
            line.ending = "\n";
            if (end > start && bytes.at(end - 1) == '\r') {
                line.ending = "\r\n";
                --end;
            }
        }
        line.text = bytes.mid(start, end - start);
        start = end + line.ending.size();

        // Leading whitespace is insignificant, as are spaces around the key; the value keeps its trailing ones.
        const QString content = QString::fromUtf8(line.text);
        const QString trimmed = content.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#')) {
            line.kind = Kind::Other;
        } else if (trimmed.startsWith(u'[') && trimmed.endsWith(u']') && trimmed.count(u'[') == 1 &&
                   trimmed.count(u']') == 1) {
            line.kind = Kind::Group;
            group = trimmed.sliced(1, trimmed.size() - 2);
            line.group = group;
        } else if (const qsizetype equals = content.indexOf(u'=');
                   equals > 0 && !group.isNull() && !content.first(equals).trimmed().isEmpty()) {
            line.kind = Kind::Key;
            line.group = group;
            line.key = content.first(equals).trimmed();
            qsizetype valueStart = equals + 1;
            while (valueStart < content.size() && content.at(valueStart).isSpace())
                ++valueStart;
            line.value = content.sliced(valueStart);
        } else {
            document.m_wellFormed = false;
        }
        document.m_lines.append(std::move(line));
    }
    return document;
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
    QStringList names;
    for (const Line& line : m_lines)
        if (line.kind == Kind::Group && !names.contains(line.group))
            names.append(line.group);
    return names;
}

QStringList KeyFileDocument::keys(const QString& group) const
{
    QStringList names;
    for (const Line& line : m_lines)
        if (line.kind == Kind::Key && line.group == group && !names.contains(line.key))
            names.append(line.key);
    return names;
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
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        const Line& line = m_lines.at(i);
        if (line.kind == Kind::Key && line.group == group && line.key == key)
            return i;
    }
    return -1;
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
        for (qsizetype i = index - 1; i >= 0; --i)
            if (m_lines.at(i).kind == Kind::Key && m_lines.at(i).group == group && m_lines.at(i).key == key)
                m_lines.removeAt(i);
        return;
    }

    qsizetype after = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& existing = m_lines.at(i);
        if (existing.group == group && (existing.kind == Kind::Key || (existing.kind == Kind::Group && after < 0)))
            after = i;
    }
    if (after >= 0) {
        insertLine(after + 1, std::move(line));
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
}

bool KeyFileDocument::remove(const QString& group, const QString& key)
{
    return m_lines.removeIf(
               [&](const Line& line) { return line.kind == Kind::Key && line.group == group && line.key == key; }) > 0;
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
