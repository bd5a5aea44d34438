#include "type_database.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

// Dynamic identifiers spell "?0=7:1=<extension>" in a 32-letter alphabet, five bits a letter.
constexpr char dynamicAlphabet[] = "abcdefghkmnpqrstuvwxyz0123456789";
constexpr auto dynamicPrefix = "dyn.a"_L1;
constexpr auto dynamicTagSpecification = "?0=7:1="_L1;

QStringList stringList(const QJsonValue& value)
{
    QStringList list;
    for (const QJsonValue& item : value.toArray())
        list.append(item.toString());
    return list;
}

} // namespace

const TypeDatabase& TypeDatabase::shared()
{
    static const TypeDatabase database;
    return database;
}

TypeDatabase::TypeDatabase()
{
    QFile file(u":/tessik/platform/uniform-types.json"_s);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The platform's type table is missing from the build.");
    const QJsonArray types = QJsonDocument::fromJson(file.readAll()).object().value("types"_L1).toArray();
    for (const QJsonValue& value : types) {
        const QJsonObject object = value.toObject();
        TypeRecord record;
        record.identifier = object.value("identifier"_L1).toString();
        record.description = object.value("description"_L1).toString();
        record.extensions = stringList(object.value("extensions"_L1));
        record.mimeTypes = stringList(object.value("mimeTypes"_L1));
        record.parents = stringList(object.value("conformsTo"_L1));
        add(std::move(record));
    }
    resolveConformance();
}

void TypeDatabase::add(TypeRecord record)
{
    auto shared = std::make_shared<TypeRecord>(std::move(record));
    m_byIdentifier.insert(shared->identifier.toLower(), shared);
    for (const QString& extension : shared->extensions)
        m_byExtension[extension.toLower()].push_back(shared);
    m_types.push_back(std::move(shared));
}

void TypeDatabase::resolveConformance()
{
    for (const auto& type : m_types) {
        QStringList pending{type->identifier.toLower()};
        while (!pending.isEmpty()) {
            const QString next = pending.takeLast();
            if (type->conformance.contains(next))
                continue;
            type->conformance.insert(next);
            if (const auto parent = m_byIdentifier.value(next))
                for (const QString& grandparent : parent->parents)
                    pending.append(grandparent.toLower());
        }
    }
}

std::shared_ptr<const TypeRecord> TypeDatabase::type(const QString& identifier) const
{
    if (const auto found = m_byIdentifier.value(identifier.toLower()))
        return found;
    if (const auto extension = extensionOfDynamicIdentifier(identifier))
        return dynamicType(*extension);
    return nullptr;
}

std::vector<std::shared_ptr<const TypeRecord>> TypeDatabase::typesForExtension(const QString& extension) const
{
    return m_byExtension.value(extension.toLower());
}

std::shared_ptr<const TypeRecord> TypeDatabase::dynamicType(const QString& extension) const
{
    auto record = std::make_shared<TypeRecord>();
    record->identifier = dynamicIdentifier(extension);
    record->extensions = {extension.toLower()};
    record->parents = {u"public.data"_s};
    record->conformance = {record->identifier.toLower(), u"public.data"_s, u"public.item"_s};
    record->dynamic = true;
    return record;
}

QString TypeDatabase::dynamicIdentifier(const QString& extension)
{
    const QByteArray bytes = (dynamicTagSpecification + extension.toLower()).toUtf8();
    QString encoded = dynamicPrefix;
    quint32 buffer = 0;
    int bits = 0;
    for (const char byte : bytes) {
        buffer = (buffer << 8) | quint8(byte);
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            encoded.append(QLatin1Char(dynamicAlphabet[(buffer >> bits) & 0x1F]));
        }
    }
    if (bits > 0)
        encoded.append(QLatin1Char(dynamicAlphabet[(buffer << (5 - bits)) & 0x1F]));
    return encoded;
}

std::optional<QString> TypeDatabase::extensionOfDynamicIdentifier(const QString& identifier)
{
    if (!identifier.startsWith(dynamicPrefix))
        return std::nullopt;
    QByteArray bytes;
    quint32 buffer = 0;
    int bits = 0;
    for (const QChar c : QStringView(identifier).sliced(dynamicPrefix.size())) {
        const char* found = c.unicode() < 128 ? std::strchr(dynamicAlphabet, char(c.unicode())) : nullptr;
        if (!found || c.unicode() == 0)
            return std::nullopt;
        buffer = (buffer << 5) | quint32(found - dynamicAlphabet);
        bits += 5;
        if (bits >= 8) {
            bits -= 8;
            bytes.append(char((buffer >> bits) & 0xFF));
        }
    }
    const QString text = QString::fromUtf8(bytes);
    if (!text.startsWith(dynamicTagSpecification) || text.size() == dynamicTagSpecification.size() ||
        dynamicIdentifier(text.sliced(dynamicTagSpecification.size())) != identifier)
        return std::nullopt;
    return text.sliced(dynamicTagSpecification.size());
}

} // namespace tessik::platform
