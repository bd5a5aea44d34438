#include "type_resolver.h"

#include "core/catalog/custom_association_error.h"
#include "core/support/plain_order.h"
#include "platform/uniform_type.h"

namespace tessik {
namespace {

bool isAllowed(char32_t scalar)
{
    if (scalar == U'_' || scalar == U'-')
        return true;
    switch (QChar::category(scalar)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

} // namespace

QString TypeResolver::normalize(const QString& raw)
{
    QString text = raw.trimmed().toLower();
    if (text.startsWith(u'.'))
        text.remove(0, 1);
    const QList<uint> scalars = text.toUcs4();
    if (text.isEmpty() || !std::all_of(scalars.begin(), scalars.end(), [](uint s) { return isAllowed(s); }))
        throw CustomAssociationError(CustomAssociationError::Kind::invalidExtension);
    return text;
}

bool TypeResolver::isNormalized(const QString& value)
{
    try {
        return normalize(value) == value;
    } catch (const CustomAssociationError&) {
        return false;
    }
}

std::optional<QString> TypeResolver::typeIdentifier(const QString& extension) const
{
    QString normalized;
    try {
        normalized = normalize(extension);
    } catch (const CustomAssociationError&) {
        return std::nullopt;
    }
    const auto type = platform::UTType::typeWithFilenameExtension(normalized, platform::UTType::data());
    if (!type)
        return std::nullopt;
    return type->identifier();
}

QStringList TypeResolver::extensions(const QString& typeIdentifier) const
{
    const auto type = platform::UTType::typeWithIdentifier(typeIdentifier);
    if (!type)
        return {};
    QStringList extensions = type->filenameExtensions();
    sortPlain(extensions);
    return extensions;
}

} // namespace tessik
