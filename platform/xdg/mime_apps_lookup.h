#pragma once

#include "platform/xdg/xdg_environment.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace tessik::platform {

// The default application of a MIME type as GLib resolves it from the mimeapps.list, defaults.list and
// mimeinfo.cache files of the base directories. Files are cached by their stat stamp, so a lookup after a write
// sees it and a lookup without changes reads nothing again. Thread-safe.
class MimeAppsLookup
{
public:
    // Whether a desktop file ID names a usable application (found, not hidden, TryExec satisfied).
    using InstalledCheck = std::function<bool(const QString& desktopId)>;
    // The canonical name of a MIME type; the type itself when it is not an alias or not known.
    using Canonicalizer = std::function<QString(const QString& mimeType)>;
    // The application folder holding the first desktop file of an ID, usable or not; empty when there is none.
    using OwningFolder = std::function<QString(const QString& desktopId)>;

    struct Choice
    {
        QString desktopId;
        // The file whose entry chose the application.
        QString file;
        bool operator==(const Choice&) const = default;
    };

    // An entry met before the choice that did not count.
    struct PassedOver
    {
        QString desktopId;
        QString file;
        QString group;
        // The type of the chain it was listed for.
        QString type;
        // The file whose [Removed Associations] took it away; empty when the ID is not usable.
        QString removedBy;
    };

    // The choice with how it was reached.
    struct Decision
    {
        std::optional<Choice> choice;
        // The group of the deciding entry, the type of the chain it was listed for, and that type as the file spells
        // it when that is an alias.
        QString group;
        QString type;
        QString listedAs;
        QList<PassedOver> passedOver;
    };

    MimeAppsLookup(InstalledCheck isInstalled, Canonicalizer canonical, OwningFolder owningFolder);
    ~MimeAppsLookup();

    // `typeChain` is the canonical type followed by its ancestors, most specific first: an application for the
    // type itself beats an explicit default of a parent.
    std::optional<Choice> defaultApplication(const XdgEnvironment& environment, const QStringList& typeChain) const;
    // The same choice, with the entries passed over on the way.
    Decision decide(const XdgEnvironment& environment, const QStringList& typeChain) const;
    // The installed applications associated with the types of the chain, most preferred first: defaults, added
    // associations, then the desktop files' own types, less what removed associations take away.
    QStringList associatedIds(const XdgEnvironment& environment, const QStringList& typeChain) const;

    // How many times a file has been read from disk, for checking the cache.
    qint64 fileReads() const;

private:
    struct Candidate
    {
        QString desktopId;
        QString file;
        QString group;
        // The key as the file spells it.
        QString key;
        // The file whose removed associations take it away; such a candidate never counts.
        QString removedBy;
    };
    class FileCache;

    // Every entry for the type in order of preference, those removed included. `removed` gathers removed
    // associations (ID → file) and is kept along the type chain, as GLib does.
    QList<Candidate> candidates(const XdgEnvironment& environment, const QString& type,
                                QHash<QString, QString>& removed) const;
    bool isShadowed(const QString& id, qsizetype folder, const QStringList& applicationDirectories) const;

    InstalledCheck m_isInstalled;
    OwningFolder m_owningFolder;
    std::unique_ptr<FileCache> m_cache;
};

} // namespace tessik::platform
