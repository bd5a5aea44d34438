#include "custom_association.h"

#include "core/catalog/custom_association_error.h"
#include "core/services/type_resolver.h"
#include "core/support/strict_json.h"

using namespace Qt::StringLiterals;

namespace tessik {

CustomAssociation CustomAssociation::forExtension(const QString& fileExtension, const InstalledApp& app)
{
    const QString normalized = TypeResolver::normalize(fileExtension);
    const auto type = TypeResolver().typeIdentifier(normalized);
    if (!type)
        throw CustomAssociationError(CustomAssociationError::Kind::unresolvedExtension);
    return {normalized, *type, app};
}

CustomAssociation CustomAssociation::forType(const QString& typeIdentifier, const std::optional<QString>& fileExtension,
                                             const InstalledApp& app)
{
    return {fileExtension ? TypeResolver::normalize(*fileExtension) : QString(), typeIdentifier, app};
}

QJsonObject CustomAssociation::toJson() const
{
    return {{u"app"_s, app.toJson()}, {u"fileExtension"_s, fileExtension}, {u"typeIdentifier"_s, typeIdentifier}};
}

CustomAssociation CustomAssociation::fromJson(const QJsonObject& object)
{
    const StrictJson json(object, u"CustomAssociation"_s);
    return {json.string(u"fileExtension"_s), json.string(u"typeIdentifier"_s),
            InstalledApp::fromJson(json.object(u"app"_s))};
}

} // namespace tessik
