#pragma once

#include "custom_association.h"

#include <QList>
#include <QUrl>

namespace tessik {

// The file of the user's custom associations, "Tessik/CustomAssociations.json" in Application Support.
class CustomAssociationStore
{
public:
    explicit CustomAssociationStore(QUrl fileURL = defaultFileURL());

    static QUrl defaultFileURL();
    const QUrl& fileURL() const { return m_fileURL; }

    // Empty when there is no file. Throws NSError or JsonDecodingError and leaves the file as it is.
    QList<CustomAssociation> load() const;
    // Rewrites the whole file atomically without duplicates (same type, application and extension; the first
    // one stays). Throws NSError; the previous file is intact then.
    void save(const QList<CustomAssociation>& associations) const;
    // Adds one to the file as it is on disk now, under a lock, so that programs storing at the same time lose
    // nothing; returns what the file then holds. Throws as load and save do.
    QList<CustomAssociation> add(const CustomAssociation& association) const;

private:
    QUrl m_fileURL;
};

} // namespace tessik
