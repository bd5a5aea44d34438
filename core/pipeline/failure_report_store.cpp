#include "failure_report_store.h"

using namespace Qt::StringLiterals;

namespace tessik {

FailureReportStore::FailureReportStore(QUrl directory) : m_folder(std::move(directory)) {}

QUrl FailureReportStore::defaultDirectory()
{
    return RecordFolder::dataFolder(u"Failures"_s);
}

QUrl FailureReportStore::save(const FailureReport& report) const
{
    return m_folder.save(report.id, report.toJson());
}

FailureReport FailureReportStore::load(const QUuid& id) const
{
    return FailureReport::fromJson(m_folder.load(id));
}

} // namespace tessik
