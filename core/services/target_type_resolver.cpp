#include "target_type_resolver.h"

#include "core/catalog/custom_association_error.h"
#include "core/records/url_scheme.h"
#include "core/services/type_resolver.h"
#include "platform/launch_services.h"
#include "platform/uniform_type.h"

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

std::optional<QString> extension(const QString& target)
{
    try {
        return TypeResolver::normalize(target);
    } catch (const CustomAssociationError&) {
        return std::nullopt;
    }
}

} // namespace

TargetTypeResolver::Resolution TargetTypeResolver::resolve(const QString& target) const
{
    // "https:" names the scheme's links, whether or not an application declares it.
    if (target.endsWith(u':'))
        if (const auto scheme = URLScheme::identifier(target.chopped(1)))
            return {scheme, Problem::notATarget};
    if (const auto word = extension(target)) {
        const auto type = platform::UTType::typeWithFilenameExtension(*word);
        // "mailto" would otherwise become a format of its own that no mail client ever opens.
        if (type && type->isDynamic() && !platform::LSCopyAllHandlersForURLScheme(*word).isEmpty())
            return {std::nullopt, Problem::urlScheme};
        return {type ? std::optional(type->identifier()) : std::nullopt, Problem::notATarget};
    }
    if (const auto type = knownType(target))
        return {type, Problem::notATarget};
    if (target.contains(u'/')) {
        const auto type = platform::UTType::typeOfFile(target);
        return {type ? std::optional(type->identifier()) : std::nullopt, Problem::unknownFileType};
    }
    return {std::nullopt, Problem::notATarget};
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
