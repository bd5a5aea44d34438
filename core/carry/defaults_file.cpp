#include "defaults_file.h"

#include "core/carry/defaults_file_error.h"
#include "core/catalog/custom_association_error.h"
#include "core/records/url_scheme.h"
#include "core/services/type_resolver.h"
#include "core/support/iso_date.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

using Kind = DefaultsFileError::Kind;

bool hasSpaceOrControl(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; });
}

bool isIdentifier(const QString& text)
{
    return !text.isEmpty() && !hasSpaceOrControl(text);
}

// A content type is a uniform type identifier or a MIME type; a colon only ever ends a scheme's identifier.
bool isContentType(const QString& text)
{
    return isIdentifier(text) && !text.contains(u':') && (text.contains(u'.') || text.contains(u'/'));
}

int lineAt(const QByteArray& bytes, qsizetype offset)
{
    return int(bytes.left(offset).count('\n')) + 1;
}

QString decoded(const QByteArray& bytes)
{
    // A line break is never part of a longer UTF-8 sequence, so each line decodes on its own.
    QString text;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString line = decoder(lines[index]);
        if (decoder.hasError())
            throw DefaultsFileError(Kind::notText, int(index) + 1, 0, {});
        if (index > 0)
            text += u'\n';
        text += line;
    }
    return text;
}

} // namespace

QList<CarriedDefault> DefaultsFile::parse(const QByteArray& file)
{
    // Some editors begin UTF-8 with a byte order mark.
    const QByteArray bytes = file.startsWith("\xEF\xBB\xBF") ? file.mid(3) : file;
    const QString text = decoded(bytes);
    if (text.trimmed().startsWith(u'{'))
        return parseJson(bytes);
    return parseLines(text);
}

QList<CarriedDefault> DefaultsFile::parseJson(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw DefaultsFileError(Kind::malformedJSON, lineAt(bytes, error.offset), 0, error.errorString());
    const QJsonObject root = document.object();
    const QJsonValue version = root.value(u"version"_s);
    if (!version.isDouble() || version.toDouble() != std::floor(version.toDouble()) || version.toDouble() < 1)
        throw DefaultsFileError(Kind::missingVersion, 0, 0, {});
    if (version.toDouble() > currentVersion)
        throw DefaultsFileError(Kind::futureVersion, 0, 0, QString::number(version.toDouble(), 'f', 0));
    if (!root.value(u"defaults"_s).isArray())
        throw DefaultsFileError(Kind::invalidStructure, 0, 0, u"defaults"_s);

    QList<CarriedDefault> defaults;
    int number = 0;
    for (const QJsonValue& value : root.value(u"defaults"_s).toArray()) {
        ++number;
        const QJsonObject object = value.toObject();
        const auto require = [&](const QString& key) {
            if (!object.value(key).isString())
                throw DefaultsFileError(Kind::invalidStructure, 0, number, key);
            return object.value(key).toString();
        };
        if (!value.isObject())
            throw DefaultsFileError(Kind::invalidStructure, 0, number, {});
        CarriedDefault entry;
        entry.format = require(u"type"_s);
        if (URLScheme::isIdentifier(entry.format))
            entry.kind = CarriedDefault::Kind::urlScheme;
        else if (!isContentType(entry.format))
            throw DefaultsFileError(Kind::invalidFormat, 0, number, entry.format);
        const QString role = require(u"role"_s);
        const auto parsedRole = associationRoleFromRawValue(role);
        if (!parsedRole)
            throw DefaultsFileError(Kind::unknownRole, 0, number, role);
        entry.role = *parsedRole;
        entry.bundleIdentifier = require(u"bundleIdentifier"_s);
        if (!isIdentifier(entry.bundleIdentifier))
            throw DefaultsFileError(Kind::invalidBundleIdentifier, 0, number, entry.bundleIdentifier);
        if (object.contains(u"application"_s))
            entry.applicationName = require(u"application"_s);
        if (object.contains(u"explicit"_s)) {
            if (!object.value(u"explicit"_s).isBool())
                throw DefaultsFileError(Kind::invalidStructure, 0, number, u"explicit"_s);
            entry.explicitChoice = object.value(u"explicit"_s).toBool();
        }
        defaults.append(entry);
    }
    return defaults;
}

QList<CarriedDefault> DefaultsFile::parseLines(const QString& text)
{
    static const QRegularExpression space(u"\\s+"_s);
    // A comment starts the line or a field.
    static const QRegularExpression comment(u"(^|\\s)#.*$"_s);
    QList<CarriedDefault> defaults;
    const QStringList lines = text.split(u'\n');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const int number = int(index) + 1;
        const QString line = QString(lines[index]).remove(comment).trimmed();
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(space);
        if (fields.size() < 2 || fields.size() > 3)
            throw DefaultsFileError(Kind::malformedLine, number, 0, line);

        CarriedDefault entry;
        entry.line = number;
        entry.bundleIdentifier = fields[0];
        const QString& format = fields[1];
        if (format.startsWith(u'.')) {
            entry.kind = CarriedDefault::Kind::extension;
            try {
                entry.format = TypeResolver::normalize(format);
            } catch (const CustomAssociationError&) {
                throw DefaultsFileError(Kind::invalidFormat, number, 0, format);
            }
        } else if (const auto scheme = URLScheme::identifier(format.endsWith(u':') ? format.chopped(1) : format);
                   scheme && (format.endsWith(u':') || !isContentType(format))) {
            // These files write a scheme without its colon (mailto); anything with a dot or a slash is a type.
            entry.kind = CarriedDefault::Kind::urlScheme;
            entry.format = *scheme;
        } else if (isContentType(format)) {
            entry.format = format;
        } else {
            throw DefaultsFileError(Kind::invalidFormat, number, 0, format);
        }
        // A link has no roles of its own, so its role may be left out.
        if (fields.size() == 3) {
            const auto role = associationRoleFromRawValue(fields[2].toLower());
            if (!role)
                throw DefaultsFileError(Kind::unknownRole, number, 0, fields[2]);
            entry.role = *role;
        } else if (entry.kind != CarriedDefault::Kind::urlScheme) {
            throw DefaultsFileError(Kind::malformedLine, number, 0, line);
        }
        defaults.append(entry);
    }
    return defaults;
}

QJsonDocument DefaultsFile::toJson(const QList<CarriedDefault>& defaults, const QDateTime& exportedAt)
{
    QJsonArray entries;
    for (const CarriedDefault& entry : defaults) {
        QJsonObject object{{u"type"_s, entry.format},
                           {u"role"_s, rawValue(entry.role)},
                           {u"bundleIdentifier"_s, entry.bundleIdentifier},
                           {u"explicit"_s, entry.explicitChoice}};
        if (entry.applicationName)
            object.insert(u"application"_s, *entry.applicationName);
        entries.append(object);
    }
    return QJsonDocument(QJsonObject{
        {u"version"_s, currentVersion}, {u"exportedAt"_s, IsoDate::format(exportedAt)}, {u"defaults"_s, entries}});
}

} // namespace tessik
