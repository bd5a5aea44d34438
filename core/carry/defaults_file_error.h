#pragma once

#include <QString>

#include <stdexcept>

namespace tessik {

// Why a file of defaults was refused as a whole. Where it went wrong is a line of the file, or for a JSON file
// whose syntax is sound, the number of the entry in its "defaults" list.
class DefaultsFileError : public std::runtime_error
{
public:
    enum class Kind
    {
        // Not text in UTF-8.
        notText,
        // A JSON file that does not parse.
        malformedJSON,
        // A JSON file without a version this program knows how to read.
        missingVersion,
        // A version from a later program.
        futureVersion,
        // A JSON file whose members are missing or of the wrong kind; `detail` names the key.
        invalidStructure,
        // A line that is not BUNDLE_ID FORMAT ROLE.
        malformedLine,
        // `detail` is the role as written.
        unknownRole,
        // `detail` is the format as written: neither a content type, an extension nor a URL scheme.
        invalidFormat,
        // `detail` is the bundle identifier as written.
        invalidBundleIdentifier,
    };

    DefaultsFileError(Kind kind, int line, int entry, QString detail);

    Kind kind() const { return m_kind; }
    // 0 when the place is an entry.
    int line() const { return m_line; }
    // 0 when the place is a line or the document as a whole.
    int entry() const { return m_entry; }
    const QString& detail() const { return m_detail; }

private:
    Kind m_kind;
    int m_line;
    int m_entry;
    QString m_detail;
};

} // namespace tessik
