#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace tessik::platform {

// One declared (or dynamic) uniform type.
struct TypeRecord
{
    QString identifier;
    QString description;
    QStringList extensions;
    QStringList mimeTypes;
    QStringList parents;
    // Lower-cased identifiers of the type itself and everything it conforms to.
    QSet<QString> conformance;
    bool dynamic = false;
};

// The system's uniform type table, loaded once from the platform's shipped data file.
class TypeDatabase
{
public:
    static const TypeDatabase& shared();

    std::shared_ptr<const TypeRecord> type(const QString& identifier) const;
    // Types that claim the extension, in table order.
    std::vector<std::shared_ptr<const TypeRecord>> typesForExtension(const QString& extension) const;
    std::shared_ptr<const TypeRecord> dynamicType(const QString& extension) const;
    // Every declared type, in table order.
    std::vector<std::shared_ptr<const TypeRecord>> declaredTypes() const { return {m_types.begin(), m_types.end()}; }

    // The reversible identifier of an unclaimed extension, and back.
    static QString dynamicIdentifier(const QString& extension);
    static std::optional<QString> extensionOfDynamicIdentifier(const QString& identifier);

private:
    TypeDatabase();
    void add(TypeRecord record);
    void resolveConformance();

    std::vector<std::shared_ptr<TypeRecord>> m_types;
    QHash<QString, std::shared_ptr<TypeRecord>> m_byIdentifier;
    QHash<QString, std::vector<std::shared_ptr<const TypeRecord>>> m_byExtension;
};

} // namespace tessik::platform
