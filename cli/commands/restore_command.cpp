#include "restore_command.h"

#include "cli/change_runner.h"
#include "core/pipeline/snapshot_store.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

RestoreCommand::RestoreCommand()
    : CliCommand(u"restore"_s,
                 u"Put back the handlers a snapshot recorded, through the change pipeline (itself snapshotted, "
                 "verified and reported)."_s)
{
}

void RestoreCommand::configure(QCommandLineParser& parser) const
{
    ChangeRunner::addChangeOptions(parser);
    parser.addPositionalArgument(u"snapshot-id"_s, u"The id that \"tessik-cli snapshots\" lists."_s);
}

int RestoreCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString text = requirePositional(parser, 1).constFirst();
    const QUuid id = QUuid::fromString(text);
    if (id.isNull())
        throw UsageError(u"“%1” is not a snapshot id"_s.arg(text));
    const ChangeRunner runner(io, parser);
    const AssociationSnapshot snapshot = SnapshotStore().load(id);

    QList<ChangeRequest> requests;
    bool complete = true;
    for (const SnapshotHandler& handler : snapshot.handlers) {
        if (handler.bundleIdentifier) {
            requests.append({handler.typeIdentifier, handler.role, *handler.bundleIdentifier});
            continue;
        }
        // Launch Services can name a new handler but cannot remove one.
        io.out << u"not restorable  "_s << handler.typeIdentifier << u':' << rawValue(handler.role)
               << u" had no handler\n"_s;
        complete = false;
    }
    const int status = requests.isEmpty() ? 0 : runner.run(requests);
    return complete ? status : std::max(status, 1);
}

} // namespace tessik::cli
