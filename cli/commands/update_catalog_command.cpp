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
    requirePositional(parser, 0, io.language);
    FormatCatalogUpdater& updater = FormatCatalogUpdater::shared();
    QFuture<FormatCatalogUpdater::Check> pending = updater.check(parser.isSet(u"force"_s));
    while (!pending.isFinished())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const FormatCatalogUpdater::Check result = pending.result();
    using Outcome = FormatCatalogUpdater::Outcome;
    switch (result.outcome) {
    case Outcome::notConfigured:
        io.err
            << L10n::text(
                   u"没有可用的更新服务器：程序未指定服务器，或者 --server-url 或 $TESSIK_SERVER_URL 不是 https 网址（只有 localhost 可以用 http）。"_s,
                   io.language)
            << u'\n';
        return 1;
    case Outcome::busy:
    case Outcome::notDue:
        // The updater's reason names which interval has not passed; the sentence names both.
        io.out << L10n::text(
                      u"还不到检查的时候：成功检查后每天最多一次，每次运行每小时最多一次（--force 立即检查）。"_s,
                      io.language)
               << u'\n';
        return 0;
    case Outcome::notModified:
        io.out << L10n::text(u"没有更新：已存储的格式目录是最新的。"_s, io.language) << u'\n';
        return 0;
    case Outcome::updated:
        io.out << L10n::text(u"格式目录已更新（分类：{categories}，应用：{apps}），保存在 {path}"_s, io.language,
                             {{u"categories"_s, QString::number(result.knowledge->categories().size())},
                              {u"apps"_s, QString::number(result.knowledge->apps().size())},
                              {u"path"_s, updater.configuration().cacheURL.toLocalFile()}})
               << u'\n';
        return 0;
    case Outcome::failed:
        io.err << L10n::text(u"检查失败：{reason}"_s, io.language, {{u"reason"_s, result.detail}}) << u'\n';
        return 1;
    }
    return 1;
}

} // namespace tessik::cli
