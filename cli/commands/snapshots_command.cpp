#include "snapshots_command.h"

#include "cli/terminal_text.h"
#include "core/pipeline/snapshot_store.h"
#include "core/support/iso_date.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tessik::cli {
namespace {

// The formats a snapshot recorded handlers of, each once, in the snapshot's order.
QStringList formats(const AssociationSnapshot& snapshot)
{
    QStringList types;
    for (const SnapshotHandler& handler : snapshot.handlers)
        if (!types.contains(handler.typeIdentifier))
            types.append(handler.typeIdentifier);
    return types;
}

} // namespace

SnapshotsCommand::SnapshotsCommand()
    : CliCommand(u"snapshots"_s,
                 u"List the saved snapshots (id, time, the formats whose handlers they recorded), newest first."_s)
{
}

void SnapshotsCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"json"_s, u"Print a JSON array of id, createdAt, handlerCount, typeIdentifiers."_s});
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
                                     {u"handlerCount"_s, snapshot.handlers.size()},
                                     {u"typeIdentifiers"_s, QJsonArray::fromStringList(formats(snapshot))}});
        else
            io.out << id << u"  "_s << IsoDate::format(snapshot.createdAt) << u"  "_s
                   << L10n::text(u"默认应用数：{count}"_s, io.language,
                                 {{u"count"_s, QString::number(snapshot.handlers.size())}})
                   << u"  "_s << TerminalText::escaped(formats(snapshot).join(u", "_s)) << u'\n';
    }
    if (parser.isSet(u"json"_s))
        printJson(io.out, QJsonDocument(array));
    return 0;
}

} // namespace tessik::cli
