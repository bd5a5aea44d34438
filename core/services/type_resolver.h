#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tessik {

// The one normaliser of typed extensions and the translator between extensions and content types.
class TypeResolver
{
public:
    // Trimmed, lower-cased, one leading dot removed; only letters, marks, digits, "_" and "-".
    // Throws CustomAssociationError (invalidExtension) otherwise.
    static QString normalize(const QString& raw);
    // Whether the text is already a normalised extension.
    static bool isNormalized(const QString& value);

    // Nothing when the extension is not valid or the platform has no type for it; never fails.
    std::optional<QString> typeIdentifier(const QString& extension) const;
    // The type's extensions in plain order; empty when the platform does not know the type.
    QStringList extensions(const QString& typeIdentifier) const;
};

} // namespace tessik
