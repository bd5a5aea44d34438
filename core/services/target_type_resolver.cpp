#include "target_type_resolver.h"

#include "core/catalog/custom_association_error.h"
#include "core/services/type_resolver.h"
#include "platform/uniform_type.h"

namespace tessik {

std::optional<QString> TargetTypeResolver::typeForTarget(const QString& target) const
{
    try {
        TypeResolver::normalize(target);
    } catch (const CustomAssociationError&) {
        return knownType(target);
    }
    return TypeResolver().typeIdentifier(target);
}

std::optional<QString> TargetTypeResolver::knownType(const QString& identifier) const
{
    if (const auto type = platform::UTType::typeWithIdentifier(identifier)) {
        if (!type->isDynamic())
            return type->identifier();
        // Any text encodes as a dynamic identifier; only one that stands for a real extension names a type.
        if (TypeResolver::isNormalized(type->preferredFilenameExtension()))
            return type->identifier();
        return std::nullopt;
    }
    for (const InstalledApp& app : m_installedApps)
        if (app.supportedTypeIdentifiers.contains(identifier))
            return identifier;
    return std::nullopt;
}

} // namespace tessik
