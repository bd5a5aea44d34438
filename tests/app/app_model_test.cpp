#include "app/l10n/l10n.h"
#include "app/model/app_model.h"
#include "app/model/catalog_loader.h"
#include "app/model/failure_texts.h"
#include "app/update/format_catalog_updater.h"
#include "core/catalog/custom_association_error.h"
#include "core/catalog/custom_association_store.h"
#include "core/pipeline/failure_report_store.h"
#include "core/pipeline/snapshot_store.h"
#include "future_wait.h"
#include "loopback_http_server.h"
#include "platform/emulated/emulation_settings.h"
#include "platform/launch_services.h"
#include "platform/workspace.h"
#include "scripted_services.h"
#include "temporary_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QUrlQuery>
#include <QUuid>

#include <gtest/gtest.h>
#include <latch>
#include <utility>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::testing;

namespace {

const QString markdown = u"net.daringfireball.markdown"_s;
const QString plainText = u"public.plain-text"_s;
const QString jpeg = u"public.jpeg"_s;
const QString editor = u"com.example.Editor"_s;
const QString viewer = u"com.example.Viewer"_s;
const QString third = u"com.example.Third"_s;

class AppModelTest : public ::testing::Test
{
protected:
    AppModelTest()
    {
        system.addApp(u"Applications/Editor.app"_s, editor,
                      {TemporarySystem::documentType({markdown}, {u"md"_s}, u"Editor"_s),
                       TemporarySystem::documentType({plainText}, {u"txt"_s}, u"Editor"_s)},
                      {{u"CFBundleName"_s, u"Editor"_s}});
        system.addApp(u"Applications/Viewer.app"_s, viewer,
                      {TemporarySystem::documentType({jpeg}, {u"jpg"_s}, u"Viewer"_s, u"Owner"_s),
                       TemporarySystem::documentType({markdown, plainText}, {u"md"_s}, u"Viewer"_s, u"Owner"_s)},
                      {{u"CFBundleName"_s, u"Viewer"_s}});
        system.addApp(u"Applications/Third.app"_s, third, {}, {{u"CFBundleName"_s, u"Third"_s}});
        model.setSleeper(sleeper);
        model.setBusyPollInterval(std::chrono::milliseconds(1));
    }

    ~AppModelTest() override { platform::Workspace::setConfirmationHandler({}); }

    void refresh() { ASSERT_TRUE(finish(model.refresh())); }

    std::optional<QString> handler(const QString& type, platform::LSRolesMask role = platform::kLSRolesAll)
    {
        return platform::LSCopyDefaultRoleHandlerForContentType(type, role);
    }

    static void answer(bool accept)
    {
        platform::Workspace::setConfirmationHandler([accept](const auto&) { return accept; });
    }

    TemporarySystem system;
    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    std::shared_ptr<RecordingSleeper> sleeper = std::make_shared<RecordingSleeper>();
    AppModel model{&updater};
};

} // namespace

TEST_F(AppModelTest, RefreshLoadsEverythingAndRepairsTheSelection)
{
    EXPECT_EQ(model.index(), CatalogDisplayIndex());
    EXPECT_EQ(model.busyMessage(), u"正在处理…"_s);
    int indexSignals = 0;
    QObject::connect(&model, &AppModel::indexChanged, [&] {
        ++indexSignals;
        EXPECT_EQ(model.index().appsByID.size(), model.apps().size()) << "apps and index change as one step";
    });

    QFuture<void> first = model.refresh();
    EXPECT_TRUE(model.busy());
    EXPECT_EQ(model.busyMessage(), u"正在刷新…"_s);
    EXPECT_TRUE(model.refresh().isFinished()) << "a second refresh while busy returns at once";
    ASSERT_TRUE(finish(first));

    EXPECT_FALSE(model.busy());
    EXPECT_EQ(indexSignals, 1);
    ASSERT_EQ(model.apps().size(), 3);
    EXPECT_EQ(model.apps().constFirst().name, u"Editor"_s);
    EXPECT_TRUE(model.knowledge());
    EXPECT_EQ(model.selectedApp(), editor);
    ASSERT_FALSE(model.index().types.isEmpty());
    EXPECT_EQ(model.selectedType(), model.index().types.constFirst());
    EXPECT_EQ(model.label(jpeg), u".jpe, .jpeg, .jpg"_s) << "declared and system extensions";
    EXPECT_EQ(model.categoryID(jpeg), u"images"_s);
    EXPECT_EQ(model.types(u"images"_s, viewer), QStringList{jpeg});
    EXPECT_TRUE(model.types(u"images"_s, editor).isEmpty());
    EXPECT_EQ(model.defaultName(jpeg), u"Viewer"_s);

    // A listed selection stays; one that disappeared is replaced by the first listed type.
    model.setSelectedType(jpeg);
    refresh();
    EXPECT_EQ(model.selectedType(), jpeg);
    model.setSelectedType(u"com.example.gone"_s);
    refresh();
    EXPECT_EQ(model.selectedType(), model.index().types.constFirst());
}

TEST_F(AppModelTest, TheFirstRefreshTakesUpAScanStartedBeforeTheModel)
{
    CatalogLoader::StartedScan started = CatalogLoader::startScan();
    started.waitForFinished();
    // Installed after the started scan read the folders: only a scan of the refresh's own would list it.
    system.addApp(u"Applications/Late.app"_s, u"com.example.Late"_s,
                  {TemporarySystem::documentType({jpeg}, {u"jpg"_s})});
    model.setStartedScan(started);
    refresh();
    EXPECT_EQ(model.apps().size(), 3);
    EXPECT_FALSE(model.index().appsByID.contains(u"com.example.Late"_s));
    // The catalog is built over what the scan found, with the handlers as they are now.
    EXPECT_EQ(model.association(jpeg)->defaultHandlers.value(AssociationRole::all), viewer);

    refresh();
    EXPECT_TRUE(model.index().appsByID.contains(u"com.example.Late"_s)) << "the started scan serves one refresh";
}

TEST_F(AppModelTest, QueriesFallBackAsTheUserExpects)
{
    refresh();
    EXPECT_EQ(model.categoryID(u"com.example.unknown"_s), u"other"_s);
    EXPECT_EQ(model.categoryName(u"no-such-category"_s), u"其他格式"_s);
    model.setLanguageCode(u"de"_s);
    EXPECT_EQ(model.categoryName(u"images"_s), u"Bilder"_s);
    EXPECT_EQ(model.categoryName(u"no-such-category"_s), L10n::text(u"其他格式"_s, u"de"_s));
    EXPECT_EQ(model.appName(std::nullopt), L10n::text(u"未设置"_s, u"de"_s));
    EXPECT_EQ(model.appName(u"com.example.Unknown"_s), u"com.example.Unknown"_s);
    EXPECT_EQ(model.description(u"com.example.unknown"_s), L10n::text(u"自定义格式"_s, u"de"_s));
}

TEST_F(AppModelTest, FormatsAddedWithoutAnApplicationAreKeptForTheSessionOnly)
{
    refresh();
    EXPECT_THROW(model.addFormat(u"a/b"_s, false), CustomAssociationError);
    EXPECT_TRUE(model.extraTypes().isEmpty());

    ASSERT_TRUE(finish(model.addFormat(u".MKK"_s, false)));
    ASSERT_EQ(model.extraTypes().size(), 1);
    const QString type = model.extraTypes().constBegin().key();
    EXPECT_EQ(model.extraTypes().value(type), u"mkk"_s);
    EXPECT_EQ(model.selectedType(), type);
    EXPECT_EQ(model.label(type), u".mkk"_s);
    EXPECT_EQ(model.currentExtensions(), QStringList{u"mkk"_s});
    EXPECT_TRUE(model.types(u"other"_s).contains(type));
    EXPECT_FALSE(model.types(u"other"_s, editor).contains(type));
    EXPECT_TRUE(model.pending().isEmpty());
    EXPECT_FALSE(QFile::exists(CustomAssociationStore::defaultFileURL().toLocalFile()));

    refresh();
    EXPECT_NE(model.selectedType(), type) << "an unlisted type is not kept as the selection";
    EXPECT_TRUE(model.extraTypes().contains(type));
}

TEST_F(AppModelTest, ChoosingAnApplicationStoresStagesAndShowsIt)
{
    EXPECT_TRUE(model.chooseApp(model.apps().value(0)).isFinished()) << "nothing selected, nothing chosen";
    refresh();
    model.setSelectedType(jpeg);
    const InstalledApp editorApp = *model.index().appsByID.constFind(editor);
    ASSERT_TRUE(finish(model.chooseApp(editorApp)));
    ASSERT_TRUE(finish(model.chooseApp(editorApp)));

    EXPECT_EQ(CustomAssociationStore().load().size(), 1) << "the same association is stored once";
    EXPECT_EQ(model.pending().value(jpeg), editor);
    EXPECT_TRUE(model.isManual(jpeg, editor));
    EXPECT_TRUE(model.types(u"images"_s, editor).contains(jpeg));
}

TEST_F(AppModelTest, AcceptedChangesTakeAndAreUnstaged)
{
    answer(true);
    refresh();
    model.stage(markdown, editor);
    model.stage(plainText, editor);
    model.stage(jpeg, third);
    ASSERT_TRUE(finish(model.applyPending()));

    EXPECT_EQ(handler(markdown), editor);
    EXPECT_EQ(handler(plainText), editor);
    EXPECT_EQ(handler(jpeg), third);
    EXPECT_TRUE(model.pending().isEmpty());
    EXPECT_EQ(SnapshotStore().ids().size(), 1);
    EXPECT_TRUE(FailureReportStore().ids().isEmpty());
    EXPECT_FALSE(model.message());
    EXPECT_EQ(model.notice(), u"已更改的格式：3"_s);
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(model.defaultName(jpeg), u"Third"_s) << "the catalog was read again";
}

TEST_F(AppModelTest, DeclinedChangesAreUnstagedAndNamed)
{
    answer(false);
    refresh();
    model.stage(markdown, editor);
    ASSERT_TRUE(finish(model.applyPending()));
    EXPECT_TRUE(model.pending().isEmpty());
    EXPECT_EQ(model.message(), model.label(markdown) + u" 仍由 Viewer 打开：系统没有接受此更改"_s)
        << "a change that did not take is named, not dropped silently";
    EXPECT_FALSE(model.failureReport());
    EXPECT_EQ(model.notice(), u"已更改的格式：0"_s);
    EXPECT_EQ(handler(markdown), viewer);

    // The notice stays until the next action.
    model.dismissMessage();
    EXPECT_TRUE(model.notice());
    model.stage(markdown, editor);
    EXPECT_FALSE(model.notice());
}

TEST_F(AppModelTest, AChangeThatEndsWithAnotherApplicationIsReportedAndCanBeMailed)
{
    platform::EmulationSettings emulation;
    emulation.overriddenContentTypes.insert(markdown, third);
    tools::SystemRootWriter::writeEmulation(system.root(), emulation);
    refresh();
    model.setRole(AssociationRole::viewer);
    model.stage(markdown, editor);
    ASSERT_TRUE(finish(model.applyPending()));

    EXPECT_EQ(model.pending().value(markdown), editor) << "a failed change stays staged";
    ASSERT_TRUE(model.failureReport());
    ASSERT_TRUE(model.message());
    const QList<QUuid> reports = FailureReportStore().ids();
    ASSERT_EQ(reports.size(), 1);
    const QString subject = model.label(markdown);
    EXPECT_TRUE(subject.contains(u".md"_s));
    EXPECT_TRUE(model.message()->startsWith(u"以下格式修改失败：\n"_s + subject +
                                            u"：等待 macOS 确认后，系统仍返回 com.example.Third"_s))
        << model.message()->toStdString();
    EXPECT_TRUE(model.message()->contains(FailureReportStore().directory().toLocalFile()));

    // No application takes mailto yet: the report is kept.
    model.composeFailureEmail();
    EXPECT_EQ(model.message(), u"无法打开邮件应用。失败原因已保存在本地。"_s);
    ASSERT_TRUE(model.failureReport());

    system.addApp(
        u"Applications/Mail.app"_s, u"com.apple.mail"_s, {},
        {{u"CFBundleURLTypes"_s, QVariantList{QVariantMap{{u"CFBundleURLSchemes"_s, QStringList{u"mailto"_s}}}}}});
    const FailureReport report = *model.failureReport();
    model.composeFailureEmail();
    EXPECT_FALSE(model.message());
    EXPECT_FALSE(model.failureReport());

    QFile log(system.root() + u"/home/Library/Logs/OpenedURLs.log"_s);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QUrl opened(QString::fromUtf8(log.readAll().trimmed()));
    EXPECT_EQ(opened.scheme(), u"mailto"_s);
    const QUrlQuery query(opened);
    EXPECT_EQ(query.queryItemValue(u"subject"_s, QUrl::FullyDecoded), u"Tessik 文件关联失败反馈"_s);
    const QString body = query.queryItemValue(u"body"_s, QUrl::FullyDecoded);
    EXPECT_TRUE(body.startsWith(u"Tessik 文件关联失败报告\n时间："_s)) << body.toStdString();
    EXPECT_TRUE(body.contains(
        u"格式："_s + subject +
        u"\n类型：net.daringfireball.markdown\n角色：默认查看器\n目标：com.example.Editor\n实际：com.example.Third"_s))
        << body.toStdString();
    EXPECT_TRUE(body.endsWith(u"\n\n快照："_s + report.snapshotPath.value_or(QString()))) << body.toStdString();
}

TEST_F(AppModelTest, ACatalogUpdateWaitsUntilTheModelIsIdle)
{
    LoopbackHttpServer server;
    const QJsonObject category{
        {u"id"_s, u"images"_s}, {u"name"_s, u"新图片"_s}, {u"extensions"_s, QJsonArray{u"jpg"_s}}};
    server.respond(
        {200,
         {{"ETag", "\"v2\""}},
         QJsonDocument(
             QJsonObject{{u"schemaVersion"_s, 1}, {u"categories"_s, QJsonArray{category}}, {u"apps"_s, QJsonArray{}}})
             .toJson()});
    FormatCatalogUpdater::Configuration configuration;
    configuration.server = ServerConfiguration{server.url(), true};
    configuration.cacheURL = QUrl::fromLocalFile(system.root() + u"/cache/format-catalog.json"_s);
    configuration.lastSuccessKey = u"LastCheck"_s;
    configuration.etagKey = u"ETag"_s;
    FormatCatalogUpdater online(configuration);
    AppModel busyModel(&online);
    busyModel.setSleeper(sleeper);
    busyModel.setBusyPollInterval(std::chrono::milliseconds(1));
    ASSERT_TRUE(finish(busyModel.refresh()));

    // An apply that waits for the user keeps the model busy while the update arrives.
    std::latch answered(1);
    platform::Workspace::setConfirmationHandler([&answered](const auto&) {
        answered.wait();
        return true;
    });
    busyModel.stage(markdown, editor);
    QFuture<void> applying = busyModel.applyPending();
    ASSERT_TRUE(eventually([&] { return busyModel.busyMessage() == u"正在等待 macOS 确认并验证…"_s; }));
    QFuture<void> updating = busyModel.updateCatalogIfDue();
    ASSERT_TRUE(eventually([&] { return !server.requests().isEmpty(); }));
    EXPECT_FALSE(finish(updating, 50));
    EXPECT_GT(busyModel.knowledge()->categories().size(), 1) << "not installed while busy";

    answered.count_down();
    ASSERT_TRUE(finish(applying));
    ASSERT_TRUE(finish(updating));
    EXPECT_EQ(busyModel.knowledge()->categories().size(), 1);
    EXPECT_EQ(busyModel.categoryID(jpeg), u"images"_s);
}

TEST_F(AppModelTest, AFormatAddedForTheSelectedApplicationIsStoredStagedAndListed)
{
    refresh();
    model.setSelectedApp(editor);
    ASSERT_TRUE(finish(model.addFormat(u"mkk"_s, true)));
    const QString type = *model.selectedType();
    EXPECT_EQ(model.extraTypes().value(type), u"mkk"_s);
    EXPECT_EQ(model.pending().value(type), editor);
    EXPECT_TRUE(model.isManual(type, editor));
    EXPECT_TRUE(model.types(u"other"_s, editor).contains(type)) << "listed for the application at once";
    EXPECT_EQ(CustomAssociationStore().load().size(), 1);
    EXPECT_TRUE(platform::Workspace::urlForApplicationWithBundleIdentifier(editor));
}

TEST_F(AppModelTest, AnUnreadableHandlerDatabaseEndsAsAReportedFailureNotACrash)
{
    refresh();
    const QString database =
        system.root() + u"/home/Library/Preferences/com.apple.LaunchServices/com.apple.launchservices.secure.plist"_s;
    QDir().mkpath(QFileInfo(database).absolutePath());
    QFile garbage(database);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a property list");
    garbage.close();
    model.setRole(AssociationRole::editor);
    model.stage(markdown, viewer);
    ASSERT_TRUE(finish(model.applyPending()));
    ASSERT_TRUE(model.message());
    EXPECT_TRUE(model.message()->startsWith(u"以下格式修改失败："_s)) << model.message()->toStdString();
    EXPECT_TRUE(model.message()->contains(u"系统未接受此更改（错误代码 -36）。"_s))
        << "the reason reads in the user's language: " << model.message()->toStdString();
    EXPECT_TRUE(model.failureReport());
    EXPECT_EQ(model.pending().value(markdown), viewer);
    ASSERT_TRUE(garbage.open(QIODevice::ReadOnly));
    EXPECT_EQ(garbage.readAll(), QByteArray("not a property list")) << "the database is left as it was";
}

TEST_F(AppModelTest, EditsMadeWhileTheCatalogIsReadSurviveIt)
{
    refresh();
    model.setSelectedApp(editor);
    // The refresh reads the catalog on a pool the test holds, so the addition lands while it runs.
    QThreadPool held;
    held.setMaxThreadCount(1);
    std::latch open(1);
    bool opened = false;
    held.start([&open] { open.wait(); });
    model.setCatalogPool(&held);
    const auto restore = qScopeGuard([&] {
        if (!std::exchange(opened, true))
            open.count_down();
        held.waitForDone();
        model.setCatalogPool(nullptr);
    });
    QFuture<void> refreshing = model.refresh();
    QFuture<void> adding = model.addFormat(u"mkk"_s, true);
    EXPECT_FALSE(refreshing.isFinished());
    opened = true;
    open.count_down();
    ASSERT_TRUE(finish(refreshing));
    ASSERT_TRUE(finish(adding));
    const QString type = *model.selectedType();
    EXPECT_EQ(model.custom().size(), 1) << "the association stored during the refresh stays in the model";
    EXPECT_TRUE(model.isManual(type, editor));
    EXPECT_TRUE(model.types(u"other"_s, editor).contains(type));

    // A reload that started before a choice does not assign over it.
    model.setSelectedType(jpeg);
    QFuture<void> reloading = model.reloadCatalog();
    QFuture<void> choosing = model.chooseApp(*model.index().appsByID.constFind(third));
    ASSERT_TRUE(finish(reloading));
    ASSERT_TRUE(finish(choosing));
    EXPECT_TRUE(model.isManual(jpeg, third));
    EXPECT_TRUE(model.types(u"images"_s, third).contains(jpeg));
    EXPECT_EQ(model.custom().size(), 2);
}

TEST_F(AppModelTest, AChoiceMadeDuringAnApplySurvivesItAndTheRunSpeaksOneLanguage)
{
    refresh();
    const QString database =
        system.root() + u"/home/Library/Preferences/com.apple.LaunchServices/com.apple.launchservices.secure.plist"_s;
    std::latch answered(1);
    // Markdown's question waits for the test; by plain text's the handler database has become unreadable.
    platform::Workspace::setConfirmationHandler([&](const auto& question) {
        if (question.contentType == markdown) {
            answered.wait();
        } else {
            QFile garbage(database);
            if (garbage.open(QIODevice::WriteOnly))
                garbage.write("not a property list");
        }
        return true;
    });
    model.stage(markdown, editor);
    model.stage(plainText, third);
    QFuture<void> applying = model.applyPending();
    ASSERT_TRUE(eventually([&] { return model.busyMessage() == u"正在等待 macOS 确认并验证…"_s; }));
    // While the system asks, the user picks another application for markdown and another language.
    model.stage(markdown, third);
    model.setLanguageCode(u"en"_s);
    answered.count_down();
    ASSERT_TRUE(finish(applying));
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(model.pending().value(markdown), third) << "the newer staging of the same type stays";
    EXPECT_EQ(model.pending().value(plainText), third) << "a failed change stays staged";
    // Every text of the run in the language it started in.
    EXPECT_EQ(model.notice(), u"已更改的格式：1"_s);
    ASSERT_TRUE(model.message());
    EXPECT_TRUE(model.message()->startsWith(u"以下格式修改失败：\n"_s)) << model.message()->toStdString();
    EXPECT_TRUE(model.message()->contains(u"失败原因已记录："_s)) << model.message()->toStdString();
}

TEST_F(AppModelTest, FailureReasonsAreRecognisedByTheirCode)
{
    const QString terse = u"等待 macOS 确认后，系统仍返回 x"_s;
    EXPECT_EQ(FailureTexts::reason(ChangeFailureCode::writeFailed, terse, std::nullopt, editor, u"en"_s), terse)
        << "the wording alone means nothing";
    EXPECT_EQ(FailureTexts::reason(std::nullopt, terse, std::nullopt, editor, u"en"_s), terse);
    const QString explained =
        FailureTexts::reason(ChangeFailureCode::notConfirmed, u"anything"_s, std::nullopt, editor, u"de"_s);
    EXPECT_EQ(
        explained,
        L10n::text(
            u"等待 macOS 确认后，系统仍返回 {observed}，目标为 {target}。请检查系统确认窗口；该应用也可能未声明此格式对应的角色。"_s,
            u"de"_s, {{u"observed"_s, L10n::text(u"未设置"_s, u"de"_s)}, {u"target"_s, editor}}));
}

TEST_F(AppModelTest, ADamagedCustomAssociationsFileCostsOnlyItsOwnAssociations)
{
    const QString file = CustomAssociationStore::defaultFileURL().toLocalFile();
    QDir().mkpath(QFileInfo(file).path());
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{not json");
    damaged.close();
    refresh();
    EXPECT_EQ(model.apps().size(), 3) << "the catalog is shown";
    EXPECT_FALSE(model.index().types.isEmpty());
    EXPECT_FALSE(model.customAssociationsReadable());
    ASSERT_TRUE(model.message());
    EXPECT_TRUE(model.message()->contains(file)) << model.message()->toStdString();

    // Nothing is added, so the file is never overwritten.
    model.setSelectedApp(editor);
    EXPECT_ANY_THROW(model.addFormat(u"mkk"_s, true));
    EXPECT_TRUE(model.pending().isEmpty());
    ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
    EXPECT_EQ(damaged.readAll(), QByteArray("{not json"));
    damaged.close();

    // Once the file reads again, the next refresh takes its associations.
    ASSERT_TRUE(QFile::remove(file));
    CustomAssociationStore().save({CustomAssociation::forType(jpeg, u"jpg"_s, model.apps().constLast())});
    model.dismissMessage();
    refresh();
    EXPECT_TRUE(model.customAssociationsReadable());
    EXPECT_FALSE(model.message());
    EXPECT_EQ(model.custom().size(), 1);
}

TEST_F(AppModelTest, AStagedChangeWhoseApplicationIsGoneIsRemovedWithANote)
{
    refresh();
    model.stage(markdown, third);
    model.stage(jpeg, viewer);
    ASSERT_TRUE(QDir(system.root() + u"/Applications/Third.app"_s).removeRecursively());
    refresh();
    EXPECT_EQ(model.pending(), (AppModel::StringMap{{jpeg, viewer}}));
    ASSERT_TRUE(model.notice());
    EXPECT_TRUE(model.notice()->contains(model.label(markdown))) << model.notice()->toStdString();
}

TEST_F(AppModelTest, TheBrowserIsOneStagedChoiceForBothWebLinks)
{
    const auto schemes = [](const QStringList& names) {
        return QVariantMap{
            {u"CFBundleName"_s, names.first()},
            {u"CFBundleURLTypes"_s,
             QVariantList{QVariantMap{{u"CFBundleURLSchemes"_s, QVariantList(names.begin() + 1, names.end())}}}}};
    };
    system.addApp(u"Applications/Web.app"_s, u"com.example.Web"_s, {}, schemes({u"Web"_s, u"http"_s, u"https"_s}));
    system.addApp(u"Applications/Surf.app"_s, u"com.example.Surf"_s, {}, schemes({u"Surf"_s, u"http"_s, u"https"_s}));
    system.addApp(u"Applications/Post.app"_s, u"com.example.Post"_s, {}, schemes({u"Post"_s, u"mailto"_s}));
    ASSERT_EQ(platform::LSSetDefaultHandlerForURLScheme(u"http"_s, u"com.example.Web"_s), platform::noErr);
    ASSERT_EQ(platform::LSSetDefaultHandlerForURLScheme(u"https"_s, u"com.example.Surf"_s), platform::noErr);
    refresh();

    EXPECT_EQ(model.types(CatalogDisplayIndex::linksCategory), (QStringList{u"http:"_s, u"https:"_s, u"mailto:"_s}));
    EXPECT_EQ(model.types(CatalogDisplayIndex::linksCategory, u"com.example.Post"_s), QStringList{u"mailto:"_s})
        << "by application, its links beside its formats";
    EXPECT_EQ(model.categoryName(CatalogDisplayIndex::linksCategory), u"链接"_s);
    EXPECT_EQ(model.description(u"mailto:"_s), u"电子邮件链接"_s);
    EXPECT_EQ(model.linkNote(u"http:"_s),
              u"http: 和 https: 链接现在由不同的应用打开：http: Web，https: Surf；选择后两者一起更改"_s);
    EXPECT_FALSE(model.linkNote(u"mailto:"_s));

    model.stage(u"http:"_s, u"com.example.Web"_s);
    EXPECT_EQ(model.pending(),
              (AppModel::StringMap{{u"http:"_s, u"com.example.Web"_s}, {u"https:"_s, u"com.example.Web"_s}}));
    model.unstage(u"https:"_s);
    EXPECT_TRUE(model.pending().isEmpty());

    // Staged in any role, a link changes for all of them, after the question a Mac asks for the web.
    int questions = 0;
    platform::Workspace::setConfirmationHandler([&](const auto&) { return ++questions > 0; });
    model.setRole(AssociationRole::viewer);
    model.stage(u"https:"_s, u"com.example.Web"_s);
    model.stage(u"mailto:"_s, u"com.example.Web"_s);
    ASSERT_TRUE(finish(model.applyPending()));
    EXPECT_EQ(questions, 1) << "only https: changes hands, and only the web asks";
    EXPECT_EQ(platform::LSCopyDefaultHandlerForURLScheme(u"https"_s), u"com.example.Web"_s);
    EXPECT_EQ(platform::LSCopyDefaultHandlerForURLScheme(u"mailto"_s), u"com.example.Web"_s);
    EXPECT_FALSE(model.message());
    EXPECT_EQ(model.linkNote(u"https:"_s), u"网页浏览器：http: 和 https: 链接一起更改"_s);
}

TEST_F(AppModelTest, TheHistoryTellsEachRunAndPutsItBackOrUndoesIt)
{
    refresh();
    const auto history = [&] {
        QFuture<ChangeHistory> loading = model.loadHistory();
        EXPECT_TRUE(finish(loading));
        return loading.result();
    };
    const auto viewerRole = platform::kLSRolesViewer;
    EXPECT_TRUE(history().entries.isEmpty());
    model.setRole(AssociationRole::viewer);
    model.stage(markdown, editor);
    model.stage(plainText, third);
    ASSERT_TRUE(finish(model.applyPending()));
    ASSERT_EQ(handler(markdown, viewerRole), editor);

    ChangeHistory first = history();
    ASSERT_EQ(first.entries.size(), 1);
    const HistoryEntry applied = first.entries.constFirst();
    EXPECT_TRUE(applied.recorded);
    EXPECT_EQ(applied.changes,
              (QList<HistoryEntry::Change>{
                  {markdown, AssociationRole::viewer, viewer, editor, ChangeRecord::Outcome::succeeded, false},
                  {plainText, AssociationRole::viewer, viewer, third, ChangeRecord::Outcome::succeeded, false}}));

    // Restoring plans the way back; what is staged meanwhile stays staged.
    model.stage(jpeg, editor);
    QFuture<std::optional<RestorePlan>> planning = model.planRestore(applied.snapshot);
    ASSERT_TRUE(finish(planning));
    ASSERT_TRUE(planning.result());
    const RestorePlan back = *planning.result();
    EXPECT_TRUE(back.restore.skipped.isEmpty());
    ASSERT_EQ(back.plan.changes.size(), 2);
    EXPECT_EQ(back.plan.changes[0].previousBundleIdentifier, editor);
    EXPECT_EQ(back.plan.changes[0].targetBundleIdentifier, viewer);
    ASSERT_TRUE(finish(model.restore(back)));
    EXPECT_EQ(handler(markdown, viewerRole), viewer);
    EXPECT_EQ(handler(plainText, viewerRole), viewer);
    EXPECT_EQ(model.pending(), (AppModel::StringMap{{jpeg, editor}}));
    EXPECT_EQ(model.notice(), u"已更改的格式：2"_s);
    ASSERT_EQ(history().entries.size(), 2) << "the restore has its own snapshot";

    // Undo puts back the newest run, here the restore itself.
    planning = model.planUndo();
    ASSERT_TRUE(finish(planning));
    ASSERT_TRUE(planning.result());
    EXPECT_EQ(planning.result()->snapshot, history().entries.constFirst().snapshot);
    ASSERT_TRUE(finish(model.restore(*planning.result())));
    EXPECT_EQ(handler(markdown, viewerRole), editor);
    EXPECT_EQ(handler(plainText, viewerRole), third);

    // An application that has gone is named per change and skipped; the rest is put back.
    ASSERT_TRUE(QDir(system.root() + u"/Applications/Third.app"_s).removeRecursively());
    refresh();
    ASSERT_TRUE(finish(model.restore(back)));
    const ChangeHistory later = history();
    ASSERT_EQ(later.entries.size(), 4);
    const HistoryEntry last = later.entries[0];
    EXPECT_EQ(last.goneCount(), 1);
    EXPECT_TRUE(last.changes[1].fromGone) << "the last restore replaced Third, which is gone";
    planning = model.planRestore(last.snapshot);
    ASSERT_TRUE(finish(planning));
    ASSERT_TRUE(planning.result());
    EXPECT_EQ(planning.result()->restore.skipped,
              (QList<SnapshotRestore::Skipped>{{{plainText, AssociationRole::viewer, third},
                                                SnapshotRestore::Obstacle::applicationGone}}));
    ASSERT_EQ(planning.result()->plan.changes.size(), 1);
    EXPECT_EQ(planning.result()->plan.changes[0].typeIdentifier, markdown);

    // A declined change is told as such; with no snapshot there is nothing to undo.
    model.setRole(AssociationRole::all);
    answer(false);
    model.setPending({{markdown, editor}});
    ASSERT_TRUE(finish(model.applyPending()));
    EXPECT_EQ(history().entries.constFirst().count(ChangeRecord::Outcome::declined), 1);
    ASSERT_TRUE(QDir(SnapshotStore::defaultDirectory().toLocalFile()).removeRecursively());
    model.dismissMessage();
    planning = model.planUndo();
    ASSERT_TRUE(finish(planning));
    EXPECT_FALSE(planning.result());
    EXPECT_EQ(model.message(), u"没有可撤销的更改。"_s);
}

TEST_F(AppModelTest, MakeDefaultForAllStagesWhatTheApplicationDeclares)
{
    refresh();
    model.setRole(AssociationRole::editor);
    EXPECT_EQ(model.stageAll(viewer), 3);
    EXPECT_EQ(model.pending(), (AppModel::StringMap{{markdown, viewer}, {plainText, viewer}, {jpeg, viewer}}));
    EXPECT_EQ(model.notice(), u"已暂存 3 种格式改由 Viewer 打开"_s);

    // What it opens already is not staged again, and another application's staging of it gives way.
    model.setRole(AssociationRole::viewer);
    model.setPending({{markdown, editor}, {jpeg, third}});
    EXPECT_EQ(model.stageAll(viewer), 0);
    EXPECT_TRUE(model.pending().isEmpty());
    EXPECT_EQ(model.notice(), u"已暂存 0 种格式改由 Viewer 打开，另有 3 种已由它打开"_s);

    // A format linked by hand counts as declared; an unknown application stages nothing.
    model.setSelectedType(jpeg);
    ASSERT_TRUE(finish(model.chooseApp(*model.index().appsByID.constFind(third))));
    model.setPending({});
    EXPECT_EQ(model.stageAll(third), 1);
    EXPECT_EQ(model.pending(), (AppModel::StringMap{{jpeg, third}}));
    EXPECT_EQ(model.stageAll(u"com.example.Nothing"_s), 0);
}
