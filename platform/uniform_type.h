#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace tessik::platform {

struct TypeRecord;

// A uniform type from the platform's type database (system-declared or dynamic).
class UTType
{
public:
    static std::optional<UTType> typeWithIdentifier(const QString& identifier);
    // The preferred type for the extension among types conforming to `supertype`; an unclaimed extension
    // yields a dynamic type.
    static std::optional<UTType> typeWithFilenameExtension(const QString& extension, const UTType& supertype);
    static std::optional<UTType> typeWithFilenameExtension(const QString& extension);
    // The content type of a file, as the file's resource values tell it.
    static std::optional<UTType> typeOfFile(const QString& path);

    // The platform's own identifiers of the types every system has.
    static UTType data();
    static UTType item();
    static UTType cameraRawImage();

    QString identifier() const;
    QString localizedDescription() const;
    QString preferredFilenameExtension() const;
    // The filename-extension tags, in the database's order.
    QStringList filenameExtensions() const;
    QStringList preferredMIMETypes() const;
    bool isDynamic() const;
    bool conformsTo(const UTType& other) const;
    QStringList supertypes() const;

    bool operator==(const UTType& other) const;

private:
    static UTType wellKnown(int type);
    explicit UTType(std::shared_ptr<const TypeRecord> record) : m_record(std::move(record)) {}
    std::shared_ptr<const TypeRecord> m_record;
};

} // namespace tessik::platform
