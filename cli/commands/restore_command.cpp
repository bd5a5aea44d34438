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
    const QString text = requirePositional(parser, 1, io.language).constFirst();
    const QUuid id = QUuid::fromString(text);
    if (id.isNull())
        throw UsageError(L10n::text(u"“{id}”不是快照 ID"_s, io.language, {{u"id"_s, text}}));
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
        io.out << L10n::text(u"无法恢复  {change}：原先没有默认应用"_s, io.language,
                             {{u"change"_s, handler.typeIdentifier + u':' + rawValue(handler.role)}})
               << u'\n';
        complete = false;
    }
    const int status = requests.isEmpty() ? 0 : runner.run(requests);
    return complete ? status : std::max(status, 1);
}

} // namespace tessik::cli
