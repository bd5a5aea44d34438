#include "../uniform_type.h"

#include "../user_defaults.h"
#include "type_database.h"

using namespace Qt::StringLiterals;

namespace tessik::platform {

std::optional<UTType> UTType::typeWithIdentifier(const QString& identifier)
{
    if (auto record = TypeDatabase::current()->type(identifier))
        return UTType(std::move(record));
    return std::nullopt;
}

std::optional<UTType> UTType::typeWithFilenameExtension(const QString& extension, const UTType& supertype)
{
    if (auto record = TypeDatabase::current()->typeForExtension(extension, supertype.identifier()))
        return UTType(std::move(record));
    return std::nullopt;
}

std::optional<UTType> UTType::typeWithFilenameExtension(const QString& extension)
{
    return typeWithFilenameExtension(extension, data());
}

UTType UTType::data()
{
    return *typeWithIdentifier(u"public.data"_s);
}

UTType UTType::item()
{
    return *typeWithIdentifier(u"public.item"_s);
}

UTType UTType::cameraRawImage()
{
    return *typeWithIdentifier(u"public.camera-raw-image"_s);
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
