#include "update_catalog_command.h"

#include "app/update/format_catalog_updater.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace tessik::cli {

UpdateCatalogCommand::UpdateCatalogCommand()
    : CliCommand(u"update-catalog"_s, u"Check the update service once for a newer format catalog."_s)
{
}

void UpdateCatalogCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"server-url"_s, u"The update service to use (also $TESSIK_SERVER_URL)."_s, u"url"_s});
    parser.addOption({u"force"_s, u"Check now, whatever the time of the last check."_s});
}

int UpdateCatalogCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    requirePositional(parser, 0);
    FormatCatalogUpdater& updater = FormatCatalogUpdater::shared();
    QFuture<FormatCatalogUpdater::Check> pending = updater.check(parser.isSet(u"force"_s));
    while (!pending.isFinished())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const FormatCatalogUpdater::Check result = pending.result();
    using Outcome = FormatCatalogUpdater::Outcome;
    switch (result.outcome) {
    case Outcome::notConfigured:
        io.err << u"No usable update server: the program names none, or --server-url or $TESSIK_SERVER_URL is "
                  "not an https URL (http only for localhost).\n"_s;
        return 1;
    case Outcome::busy:
    case Outcome::notDue:
        io.out << u"Not due: "_s << result.detail << u" (--force checks anyway).\n"_s;
        return 0;
    case Outcome::notModified:
        io.out << u"Not modified: the stored catalog is current.\n"_s;
        return 0;
    case Outcome::updated:
        io.out << u"Updated to a catalog with %1 categories and %2 applications, stored in %3\n"_s
                      .arg(result.knowledge->categories().size())
                      .arg(result.knowledge->apps().size())
                      .arg(updater.configuration().cacheURL.toLocalFile());
        return 0;
    case Outcome::failed:
        io.err << u"Failed: "_s << result.detail << u'\n';
        return 1;
    }
    return 1;
}

} // namespace tessik::cli
