#pragma once

#include "../type_record.h"

#include <QHash>
#include <QLocale>
#include <QMimeType>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>

namespace tessik::platform {

// The MIME types of the shared MIME database, as uniform type records: the identifier is the canonical MIME type
// name. Records are kept between calls and described in the default locale; safe to use from any thread.
class MimeTypeTable
{
public:
    static const MimeTypeTable& shared();

    // Case-insensitive, aliases resolved. An "application/x-extension-EXT" type the database does not know is
    // answered as the dynamic type of EXT, the identifier desktops invent for an unclaimed extension.
    std::shared_ptr<const TypeRecord> type(const QString& identifier) const;
    // The first type the database gives for the extension that conforms to the supertype, else the dynamic type of
    // the extension when that conforms (to application/octet-stream, or itself); nothing for an empty extension.
    std::shared_ptr<const TypeRecord> typeForExtension(const QString& extension, const QString& supertype) const;

    // A key as the lists and caches spell it, resolved as GLib reads them: case matters, and an alias stands for its
    // type, except a name the database has as a type of its own, which no package can take over. Anything else
    // comes back as it is.
    QString canonicalSpelling(const QString& name) const;
    // A type an application declares: a type of the database or one of its aliases, in any case, is that type as
    // the database spells it (entries write image/x-ms-bmp for the alias image/x-MS-bmp of image/bmp). Anything
    // else comes back as it is.
    QString declaredType(const QString& name) const;
    // The names that stand for a canonical type, as canonicalSpelling() resolves them.
    QStringList aliases(const QString& canonicalName) const;

    // "application/x-extension-" and the lower-cased extension.
    static QString dynamicIdentifier(const QString& extension);
    // The types the core asks for by role.
    static QString dataIdentifier() { return QStringLiteral("application/octet-stream"); }
    static QString itemIdentifier() { return QStringLiteral("application/octet-stream"); }
    static QString cameraRawImageIdentifier() { return QStringLiteral("image/x-dcraw"); }

private:
    void refreshIfStale() const;
    QString canonicalName(const QString& identifier) const;
    std::shared_ptr<const TypeRecord> lookUp(const QString& identifier) const;
    std::shared_ptr<const TypeRecord> recordFor(const QMimeType& mime) const;

    mutable QMutex m_mutex;
    // What the records were made for: the descriptions follow the locale, the types the data folders.
    mutable QLocale m_locale;
    mutable QStringList m_dataFolders;
    mutable bool m_loaded = false;
    // Lower-cased names and aliases → canonical names (some canonical names have capitals).
    mutable QHash<QString, QString> m_canonicalNames;
    // Canonical names → types; aliases → canonical names, and the other way round; all as spelt.
    mutable QHash<QString, QMimeType> m_types;
    mutable QHash<QString, QString> m_aliasTargets;
    mutable QHash<QString, QStringList> m_aliases;
    // Lower-cased canonical name or dynamic identifier → record; null for names known to be unknown.
    mutable QHash<QString, std::shared_ptr<const TypeRecord>> m_records;
    mutable QHash<std::pair<QString, QString>, std::shared_ptr<const TypeRecord>> m_byExtension;
};

} // namespace tessik::platform
