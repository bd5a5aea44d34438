#include "restore_command.h"

#include "cli/change_runner.h"
#include "cli/terminal_text.h"
#include "core/pipeline/snapshot_restore.h"
#include "core/pipeline/snapshot_store.h"

#include <QRegularExpression>

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
    parser.addOption({u"last"_s, u"Restore the newest snapshot."_s});
    parser.addPositionalArgument(u"snapshot-id"_s,
                                 u"The id that “tessik-cli snapshots” lists, or enough of its beginning to tell it "
                                 "from the others."_s);
}

int RestoreCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const bool last = parser.isSet(u"last"_s);
    const QStringList arguments = requirePositional(parser, last ? 0 : 1, io.language);
    const ChangeRunner runner(io, parser);
    const SnapshotStore store;
    QUuid id;
    if (last) {
        const QList<AssociationSnapshot> snapshots = loadNewestFirst(store, io);
        if (snapshots.isEmpty()) {
            io.err << L10n::text(u"还没有快照。"_s, io.language) << u'\n';
            return 1;
        }
        id = snapshots.constFirst().id;
    } else {
        const QString text = arguments.constFirst().trimmed();
        id = QUuid::fromString(text);
        if (id.isNull()) {
            // A beginning of an identifier, as "snapshots" prints them; hyphens may be left out.
            static const QRegularExpression prefix(u"^[0-9A-Fa-f-]+$"_s);
            if (!prefix.match(text).hasMatch())
                throw UsageError(L10n::text(u"“{id}”不是快照 ID"_s, io.language, {{u"id"_s, text}}));
            const QString wanted = QString(text).remove(u'-').toUpper();
            QStringList matches;
            for (const QUuid& candidate : store.ids())
                if (RecordFolder::uuidText(candidate).remove(u'-').startsWith(wanted))
                    matches.append(RecordFolder::uuidText(candidate));
            if (matches.isEmpty()) {
                io.err << L10n::text(u"没有 ID 以“{id}”开头的快照。"_s, io.language, {{u"id"_s, text}}) << u'\n';
                return 1;
            }
            if (matches.size() > 1) {
                matches.sort();
                throw UsageError(L10n::text(u"有多个快照的 ID 以“{id}”开头：{ids}"_s, io.language,
                                            {{u"id"_s, text}, {u"ids"_s, matches.join(u", "_s)}}));
            }
            id = QUuid::fromString(matches.constFirst());
        }
    }
    const AssociationSnapshot snapshot = store.load(id);

    const SnapshotRestore restore = SnapshotRestore::of(snapshot, SnapshotRestore::isInstalled);
    for (const SnapshotRestore::Skipped& skipped : restore.skipped) {
        const QString change = skipped.handler.typeIdentifier + u':' + rawValue(skipped.handler.role);
        io.out << (skipped.obstacle == SnapshotRestore::Obstacle::noPreviousHandler
                       ? L10n::text(u"无法恢复  {change}：原先没有默认应用"_s, io.language, {{u"change"_s, change}})
                       : L10n::text(u"无法恢复  {change}：{app} 已不在此电脑上"_s, io.language,
                                    {{u"change"_s, change},
                                     {u"app"_s, TerminalText::escaped(skipped.handler.bundleIdentifier.value_or(
                                                    QString()))}}))
               << u'\n';
    }
    const int status = restore.requests.isEmpty() ? 0 : runner.run(restore.requests);
    return restore.skipped.isEmpty() ? status : std::max(status, 1);
}

} // namespace tessik::cli
