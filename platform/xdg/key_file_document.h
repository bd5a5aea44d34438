#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessik::platform {

// A freedesktop.org key file (mimeapps.list, mimeinfo.cache) kept line by line, so that edits touch only the lines
// they change and an untouched document serialises to the very bytes it was parsed from. Group names and keys are
// case-sensitive and taken as written (keys may hold `/`, `+`, `.`, `-`). A key repeated in one group counts by its
// last line, as GLib reads and writes it; a repeated group header continues the same group. As with GLib, bytes that
// are not UTF-8 cost only the key or value they are in; their lines are still kept as they were.
class KeyFileDocument
{
public:
    static KeyFileDocument parse(const QByteArray& bytes);
    QByteArray toByteArray() const;

    // False when a line is neither blank, a comment, a group header nor a key line inside a group: GLib refuses
    // such a file as a whole.
    bool isWellFormed() const { return m_wellFormed; }

    QStringList groups() const;
    // Distinct keys in the order they first appear.
    QStringList keys(const QString& group) const;
    // Nothing when the key is not there or its last line's value is not UTF-8.
    std::optional<QString> value(const QString& group, const QString& key) const;

    // Rewrites the line that counts in place; a new key goes after the group's last key line, a new group at the end.
    // Earlier, ignored lines of the same key are dropped so that no reader can take them for the value. False, and
    // nothing changed, when the group, key or value holds a line break or NUL, which would make lines of their own.
    bool setValue(const QString& group, const QString& key, const QString& value);
    // Drops every line of the key; false when there was none.
    bool remove(const QString& group, const QString& key);

    // A `;`-separated list as GLib reads it: `\;` and the usual escapes honoured, empty items dropped. Nothing when
    // an escape is not one of them or a backslash ends the value: GLib ignores such a list whole.
    static std::optional<QStringList> splitList(const QString& value);
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
        std::optional<QString> value;
    };
    struct Group
    {
        QStringList keys;
        QHash<QString, qsizetype> lastLineOfKey;
        // Where a new key goes after: the last key line, or the first header when there is none.
        qsizetype lastLine = -1;
    };

    qsizetype lastLineOf(const QString& group, const QString& key) const;
    void insertLine(qsizetype at, Line line);
    // Every edit that moves lines rebuilds the index, so that reading stays a lookup.
    void reindex();

    QList<Line> m_lines;
    QStringList m_groupNames;
    QHash<QString, Group> m_groups;
    bool m_wellFormed = true;
};

} // namespace tessik::platform
