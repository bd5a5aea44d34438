#include "reports_command.h"

#include "app/model/failure_texts.h"
#include "core/pipeline/failure_report_store.h"
#include "core/support/iso_date.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tessik::cli {

ReportsCommand::ReportsCommand()
    : CliCommand(u"reports"_s, u"List the saved failure reports, newest first, or print one with --show ID."_s)
{
}

void ReportsCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"json"_s, u"Print a JSON array of id, createdAt, entryCount, snapshotPath."_s});
    parser.addOption({u"show"_s, u"Print the text of the report with this id."_s, u"id"_s});
}

int ReportsCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    requirePositional(parser, 0, io.language);
    const FailureReportStore store;
    if (parser.isSet(u"show"_s)) {
        const QUuid id = QUuid::fromString(parser.value(u"show"_s));
        if (id.isNull())
            throw UsageError(L10n::text(u"“{id}”不是报告 ID"_s, io.language, {{u"id"_s, parser.value(u"show"_s)}}));
        io.out << FailureTexts::body(store.load(id), io.language) << u'\n';
        return 0;
    }
    const QList<FailureReport> reports = loadNewestFirst(store, io);
    QJsonArray array;
    for (const FailureReport& report : reports) {
        const QString id = RecordFolder::uuidText(report.id);
        if (parser.isSet(u"json"_s)) {
            QJsonObject object{{u"id"_s, id},
                               {u"createdAt"_s, IsoDate::format(report.createdAt)},
                               {u"entryCount"_s, report.entries.size()}};
            if (report.snapshotPath)
                object.insert(u"snapshotPath"_s, *report.snapshotPath);
            array.append(object);
        } else {
            io.out << id << u"  "_s << IsoDate::format(report.createdAt) << u"  "_s
                   << L10n::text(u"失败的更改数：{count}"_s, io.language,
                                 {{u"count"_s, QString::number(report.entries.size())}})
                   << u'\n';
        }
    }
    if (parser.isSet(u"json"_s))
        printJson(io.out, QJsonDocument(array));
    return 0;
}

} // namespace tessik::cli
