#pragma once

#include "carried_default.h"
#include "core/records/file_association.h"
#include "core/records/installed_app.h"
#include "platform/stored_handler.h"

#include <QList>

namespace tessik {

// What an export holds: the choices the system stores, and on request the defaults in effect for the catalog's
// formats where no choice is stored; ordered by format, then role (all, viewer, editor, shell).
class DefaultsExport
{
public:
    // `effective` adds, for each of its formats, the all-roles default and each role whose default differs from
    // it. Application names come from `installed`.
    static QList<CarriedDefault> collect(const QList<platform::StoredHandler>& stored,
                                         const QList<InstalledApp>& installed,
                                         const QList<FileAssociation>& effective = {});
};

} // namespace tessik
