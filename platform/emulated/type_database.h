#pragma once

#include "../type_record.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>
#include <vector>

namespace tessik::platform {

// The uniform type table: the system's types from the platform's shipped data file, joined by the types that
// the applications Launch Services knows declare.
class TypeDatabase
{
public:
    // The system's table alone.
    static std::shared_ptr<const TypeDatabase> system();
    // The table as the known applications extend it; rebuilt with the application registry.
    static std::shared_ptr<const TypeDatabase> current();

    // This table joined by the exported, then the imported, type declarations of the information dictionaries,
    // given in order of precedence. An identifier already known keeps its first declaration.
    std::shared_ptr<const TypeDatabase> withDeclarations(const std::vector<QVariantMap>& infoDictionaries) const;

    std::shared_ptr<const TypeRecord> type(const QString& identifier) const;
    // Types that claim the extension, in table order.
    std::vector<std::shared_ptr<const TypeRecord>> typesForExtension(const QString& extension) const;
    // The first type that claims the extension and conforms to the supertype, else the dynamic type when that
    // conforms; nothing for an empty extension.
    std::shared_ptr<const TypeRecord> typeForExtension(const QString& extension, const QString& supertype) const;
    std::shared_ptr<const TypeRecord> dynamicType(const QString& extension) const;
    // Every declared type, in table order.
    std::vector<std::shared_ptr<const TypeRecord>> declaredTypes() const { return {m_types.begin(), m_types.end()}; }

    // The reversible identifier of an unclaimed extension, and back.
    static QString dynamicIdentifier(const QString& extension);
    static std::optional<QString> extensionOfDynamicIdentifier(const QString& identifier);

private:
    TypeDatabase() = default;
    static TypeDatabase loadSystemTable();
    void add(TypeRecord record);
    void addDeclaration(const QVariant& declaration);
    // Fills in the conformance of the types from `first` on.
    void resolveConformance(std::size_t first = 0);

    std::vector<std::shared_ptr<TypeRecord>> m_types;
    QHash<QString, std::shared_ptr<TypeRecord>> m_byIdentifier;
    QHash<QString, std::vector<std::shared_ptr<const TypeRecord>>> m_byExtension;
};

} // namespace tessik::platform
