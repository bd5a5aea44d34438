#pragma once

#include "change_plan.h"
#include "change_request.h"
#include "core/services/association_reading.h"

#include <QHash>
#include <QList>

#include <memory>

namespace tessik {

// Turns staged wishes into a plan: refuses contradictions, drops what is already in effect and records the
// handler each change replaces. Reads the system, never writes it.
class ChangePlanner
{
public:
    explicit ChangePlanner(std::shared_ptr<const AssociationReading> reader);

    // Throws ChangePlannerError before reading anything, or what the reader throws.
    ChangePlan plan(const QList<ChangeRequest>& requests, const QHash<QString, QStringList>& knownExtensions) const;

private:
    std::shared_ptr<const AssociationReading> m_reader;
};

} // namespace tessik
