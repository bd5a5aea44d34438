#pragma once

#include <QByteArray>
#include <QSet>
#include <QVariant>

#include <optional>

namespace tessik::platform {

// Reads and writes property lists (XML and binary) as QVariant trees: dictionaries become QVariantMap,
// arrays QVariantList, dates QDateTime, data QByteArray.
class PropertyList
{
public:
    enum class Format
    {
        Xml,
        Binary
    };

    // Deeper nesting than any real property list is refused before parsing: the parser recurses.
    static constexpr int maximumNesting = 256;

    // Nothing when the bytes are not a whole, valid property list.
    static std::optional<QVariant> read(const QByteArray& data);
    // The same, converting only the dictionary entries (at any depth) whose key is one of `keys`: what is not
    // needed is checked and parsed as strictly, but never turned into Qt values.
    static std::optional<QVariant> read(const QByteArray& data, const QSet<QByteArray>& keys);
    // A property list file of the machine's own: nothing when it is missing, unreadable, larger than any such
    // file, not a regular file (a pipe is never waited on) or not a valid property list.
    static std::optional<QVariant> readFile(const QString& path);
    static QByteArray write(const QVariant& value, Format format);

private:
    static std::optional<QVariant> read(const QByteArray& data, const QSet<QByteArray>* keys);
};

} // namespace tessik::platform
