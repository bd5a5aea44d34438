#include "uniform_type.h"

#include "backend.h"
#include "type_record.h"
#include "user_defaults.h"

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

// Every platform has these; a record stands in should its database lack one, so callers never meet nothing.
std::shared_ptr<const TypeRecord> wellKnownRecord(Backend::WellKnownType type)
{
    const QString identifier = Backend::current().wellKnownType(type);
    if (auto record = Backend::current().type(identifier))
        return record;
    auto record = std::make_shared<TypeRecord>();
    record->identifier = identifier;
    record->conformance.insert(identifier.toLower());
    return record;
}

} // namespace

std::optional<UTType> UTType::typeWithIdentifier(const QString& identifier)
{
    if (auto record = Backend::current().type(identifier))
        return UTType(std::move(record));
    return std::nullopt;
}

std::optional<UTType> UTType::typeWithFilenameExtension(const QString& extension, const UTType& supertype)
{
    if (auto record = Backend::current().typeForExtension(extension, supertype.identifier()))
        return UTType(std::move(record));
    return std::nullopt;
}

std::optional<UTType> UTType::typeWithFilenameExtension(const QString& extension)
{
    return typeWithFilenameExtension(extension, data());
}

std::optional<UTType> UTType::typeOfFile(const QString& path)
{
    if (auto record = Backend::current().typeForFile(path))
        return UTType(std::move(record));
    return std::nullopt;
}

UTType UTType::wellKnown(int type)
{
    return UTType(wellKnownRecord(Backend::WellKnownType(type)));
}

UTType UTType::data()
{
    return wellKnown(int(Backend::WellKnownType::data));
}

UTType UTType::item()
{
    return wellKnown(int(Backend::WellKnownType::item));
}

UTType UTType::cameraRawImage()
{
    return wellKnown(int(Backend::WellKnownType::cameraRawImage));
}

QString UTType::identifier() const
{
    return m_record->identifier;
}

QString UTType::localizedDescription() const
{
    // In the machine's language, as the system answers whatever language a program shows.
    if (!m_record->localizedDescriptions.isEmpty()) {
        for (const QString& tag : UserDefaults::preferredLanguages()) {
            const QString language = tag.section(u'-', 0, 0).section(u'_', 0, 0).toLower();
            if (const auto found = m_record->localizedDescriptions.constFind(language);
                found != m_record->localizedDescriptions.cend())
                return *found;
        }
    }
    return m_record->description;
}

QString UTType::preferredFilenameExtension() const
{
    return m_record->extensions.value(0);
}

QStringList UTType::filenameExtensions() const
{
    return m_record->extensions;
}

QStringList UTType::preferredMIMETypes() const
{
    return m_record->mimeTypes;
}

bool UTType::isDynamic() const
{
    return m_record->dynamic;
}

bool UTType::conformsTo(const UTType& other) const
{
    return m_record->conformance.contains(other.m_record->identifier.toLower());
}

QStringList UTType::supertypes() const
{
    return m_record->parents;
}

bool UTType::operator==(const UTType& other) const
{
    return m_record->identifier.compare(other.m_record->identifier, Qt::CaseInsensitive) == 0;
}

} // namespace tessik::platform
