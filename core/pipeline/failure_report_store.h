#pragma once

#include "core/support/record_folder.h"
#include "failure_report.h"

namespace tessik {

// The folder of saved failure reports, "Tessik/Failures" in Application Support by default.
class FailureReportStore
{
public:
    explicit FailureReportStore(QUrl directory = defaultDirectory());

    static QUrl defaultDirectory();
    const QUrl& directory() const { return m_folder.directory(); }

    // Writes atomically and returns the file's location. Throws NSError.
    QUrl save(const FailureReport& report) const;
    // Throws NSError or JsonDecodingError.
    FailureReport load(const QUuid& id) const;
    QList<QUuid> ids() const { return m_folder.ids(); }

private:
    RecordFolder m_folder;
};

} // namespace tessik
