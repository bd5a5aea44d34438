#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessik::platform {

// A freedesktop.org key file (mimeapps.list, mimeinfo.cache) kept line by line, so that edits touch only the lines
// they change and an untouched document serialises to the very bytes it was parsed from. Group names and keys are
// case-sensitive and taken as written (keys may hold `/`, `+`, `.`, `-`). A key repeated in one group counts by its
// last line, as GLib reads and writes it; a repeated group header continues the same group.
class KeyFileDocument
{
public:
    static KeyFileDocument parse(const QByteArray& bytes);
    QByteArray toByteArray() const;

    // False when a line is neither blank, a comment, a group header nor a key line inside a group, or the text is
    // not UTF-8: GLib refuses such a file as a whole.
    bool isWellFormed() const { return m_wellFormed; }

    QStringList groups() const;
    // Distinct keys in the order they first appear.
    QStringList keys(const QString& group) const;
    std::optional<QString> value(const QString& group, const QString& key) const;

    // Rewrites the line that counts in place; a new key goes after the group's last key line, a new group at the end.
    // Earlier, ignored lines of the same key are dropped so that no reader can take them for the value.
    void setValue(const QString& group, const QString& key, const QString& value);
    // Drops every line of the key; false when there was none.
    bool remove(const QString& group, const QString& key);

    // A `;`-separated list as GLib reads it: `\;` and the usual escapes honoured, empty items dropped.
    static QStringList splitList(const QString& value);
    // The list GLib would write: each item escaped and followed by `;`.
    static QString joinList(const QStringList& items);

private:
    enum class Kind
    {
        Other,
        Group,
        Key
    };
    struct Line
    {
        QByteArray text;
        QByteArray ending;
        Kind kind = Kind::Other;
        QString group;
        QString key;
        QString value;
    };

    qsizetype lastLineOf(const QString& group, const QString& key) const;
    void insertLine(qsizetype at, Line line);

    QList<Line> m_lines;
    bool m_wellFormed = true;
};

} // namespace tessik::platform
