#include "snapshots_command.h"

#include "core/pipeline/snapshot_store.h"
#include "core/support/iso_date.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tessik::cli {

SnapshotsCommand::SnapshotsCommand()
    : CliCommand(u"snapshots"_s, u"List the saved snapshots (id, time, number of handlers), newest first."_s)
{
}

void SnapshotsCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"json"_s, u"Print a JSON array of id, createdAt, handlerCount."_s});
}

int SnapshotsCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    requirePositional(parser, 0, io.language);
    const SnapshotStore store;
    const QList<AssociationSnapshot> snapshots = loadNewestFirst(store, io);
    QJsonArray array;
    for (const AssociationSnapshot& snapshot : snapshots) {
        const QString id = RecordFolder::uuidText(snapshot.id);
        if (parser.isSet(u"json"_s))
            array.append(QJsonObject{{u"id"_s, id},
                                     {u"createdAt"_s, IsoDate::format(snapshot.createdAt)},
                                     {u"handlerCount"_s, snapshot.handlers.size()}});
        else
            io.out << id << u"  "_s << IsoDate::format(snapshot.createdAt) << u"  "_s
                   << L10n::text(u"默认应用数：{count}"_s, io.language,
                                 {{u"count"_s, QString::number(snapshot.handlers.size())}})
                   << u'\n';
    }
    if (parser.isSet(u"json"_s))
        io.out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    return 0;
}

} // namespace tessik::cli
