#include "type_database.h"

#include "application_registry.h"

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

// A declaration's tag or conformance: one string or an array of them.
QStringList oneOrMany(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString)
        return value.toString().isEmpty() ? QStringList() : QStringList{value.toString()};
    QStringList list;
    if (value.typeId() == QMetaType::QVariantList)
        for (const QVariant& item : value.toList())
            if (item.typeId() == QMetaType::QString && !item.toString().isEmpty())
                list.append(item.toString());
    return list;
}

} // namespace

std::shared_ptr<const TypeDatabase> TypeDatabase::system()
{
    static const auto database = std::make_shared<const TypeDatabase>(loadSystemTable());
    return database;
}

std::shared_ptr<const TypeDatabase> TypeDatabase::current()
{
    return ApplicationRegistry::shared().current()->types;
}

std::shared_ptr<const TypeDatabase>
TypeDatabase::withDeclarations(const std::vector<QVariantMap>& infoDictionaries) const
{
    auto joined = std::make_shared<TypeDatabase>(*this);
    const std::size_t first = joined->m_types.size();
    for (const QString& key : {u"UTExportedTypeDeclarations"_s, u"UTImportedTypeDeclarations"_s})
        for (const QVariantMap& info : infoDictionaries)
            for (const QVariant& declaration : info.value(key).toList())
                joined->addDeclaration(declaration);
    joined->resolveConformance(first);
    return joined;
}

void TypeDatabase::addDeclaration(const QVariant& declaration)
{
    if (declaration.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap map = declaration.toMap();
    const QVariant identifier = map.value(u"UTTypeIdentifier"_s);
    if (identifier.typeId() != QMetaType::QString || identifier.toString().isEmpty() ||
        m_byIdentifier.contains(identifier.toString().toLower()) || extensionOfDynamicIdentifier(identifier.toString()))
        return;
    TypeRecord record;
    record.identifier = identifier.toString();
    if (const QVariant description = map.value(u"UTTypeDescription"_s); description.typeId() == QMetaType::QString)
        record.description = description.toString();
    const QVariantMap tags = map.value(u"UTTypeTagSpecification"_s).toMap();
    record.extensions = oneOrMany(tags.value(u"public.filename-extension"_s));
    record.mimeTypes = oneOrMany(tags.value(u"public.mime-type"_s));
    record.parents = oneOrMany(map.value(u"UTTypeConformsTo"_s));
    add(std::move(record));
}

TypeDatabase TypeDatabase::loadSystemTable()
{
    TypeDatabase database;
    QFile file(u":/tessik/platform/uniform-types.json"_s);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The platform's type table is missing from the build.");
    const QJsonArray types = QJsonDocument::fromJson(file.readAll()).object().value("types"_L1).toArray();
    for (const QJsonValue& value : types) {
        const QJsonObject object = value.toObject();
        TypeRecord record;
        record.identifier = object.value("identifier"_L1).toString();
        record.description = object.value("description"_L1).toString();
        const QJsonObject localized = object.value("descriptions"_L1).toObject();
        for (auto it = localized.begin(); it != localized.end(); ++it)
            record.localizedDescriptions.insert(it.key(), it->toString());
        record.extensions = stringList(object.value("extensions"_L1));
        record.mimeTypes = stringList(object.value("mimeTypes"_L1));
        record.parents = stringList(object.value("conformsTo"_L1));
        database.add(std::move(record));
    }
    database.resolveConformance();
    return database;
}

void TypeDatabase::add(TypeRecord record)
{
    auto shared = std::make_shared<TypeRecord>(std::move(record));
    m_byIdentifier.insert(shared->identifier.toLower(), shared);
    for (const QString& extension : shared->extensions)
        m_byExtension[extension.toLower()].push_back(shared);
    m_types.push_back(std::move(shared));
}

void TypeDatabase::resolveConformance(std::size_t first)
{
    for (std::size_t index = first; index < m_types.size(); ++index) {
        const auto& type = m_types[index];
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

std::shared_ptr<const TypeRecord> TypeDatabase::typeForExtension(const QString& extension,
                                                                 const QString& supertype) const
{
    if (extension.isEmpty())
        return nullptr;
    const QString wanted = supertype.toLower();
    for (const auto& record : typesForExtension(extension))
        if (record->conformance.contains(wanted))
            return record;
    auto dynamic = dynamicType(extension);
    return dynamic->conformance.contains(wanted) ? dynamic : nullptr;
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
