#include "app/l10n/app_language.h"
#include "app/l10n/category_names.h"
#include "app/l10n/l10n.h"
#include "cli/cli_application.h"
#include "cli/cli_command.h"
#include "cli/cli_language.h"
#include "core/catalog/custom_association_error.h"
#include "core/catalog/format_knowledge_base.h"
#include "core/discovery/app_scanner.h"
#include "core/support/name_order.h"
#include "loopback_http_server.h"
#include "platform/emulated/emulation_settings.h"
#include "platform/emulated/property_list.h"
#include "platform/launch_services.h"
#include "platform/lookup_batch.h"
#include "platform/system_root.h"
#include "platform/user_defaults.h"
#include "systemwriter/bundle_writer.h"
#include "systemwriter/demo_system.h"
#include "systemwriter/system_root_writer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

// This process's environment without anything that chooses a locale, so the host's never decides the outcome.
QProcessEnvironment localeFreeEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys())
        if (name.startsWith(u"LC_"_s) || name == u"LANG"_s || name == u"LANGUAGE"_s)
            environment.remove(name);
    return environment;
}

class CliTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        demo = new QTemporaryDir;
        tessik::tools::DemoSystem::write(demo->path());
    }
    static void TearDownTestSuite() { delete demo; }

    static CliRun run(QStringList arguments, const QString& rootVariable = QString(),
                      const QHash<QString, QString>& variables = {}, const QByteArray& input = {})
    {
        QProcess process;
        QProcessEnvironment environment = localeFreeEnvironment();
        environment.remove(u"TESSIK_SYSTEM_ROOT"_s);
        if (!rootVariable.isEmpty())
            environment.insert(u"TESSIK_SYSTEM_ROOT"_s, rootVariable);
        for (auto it = variables.cbegin(); it != variables.cend(); ++it)
            environment.insert(it.key(), it.value());
        process.setProcessEnvironment(environment);
        process.start(QString::fromUtf8(TESSIK_CLI_PATH), arguments);
        process.write(input);
        process.closeWriteChannel();
        // Keep this thread's event loop going: a test's loopback server may be answering the command.
        const QDeadlineTimer deadline(60000);
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }
    static CliRun demoRun(QStringList arguments)
    {
        return run(QStringList{u"--system-root"_s, demo->path()} + arguments);
    }

    static QTemporaryDir* demo;
};

QTemporaryDir* CliTest::demo = nullptr;

} // namespace

TEST_F(CliTest, AppsListsEveryDemoApplicationOnceSortedByName)
{
    QFile description(u":/tessik/tools/demo-system.json"_s);
    ASSERT_TRUE(description.open(QIODevice::ReadOnly));
    QSet<QString> expected;
    for (const QJsonValue& app : QJsonDocument::fromJson(description.readAll()).object().value("apps"_L1).toArray())
        expected.insert(app.toObject().value("bundleIdentifier"_L1).toString());

    const CliRun result = demoRun({u"apps"_s, u"--json"_s});
    ASSERT_EQ(result.status, 0) << qPrintable(result.err);
    const QJsonArray apps = QJsonDocument::fromJson(result.out.toUtf8()).array();
    QSet<QString> seen;
    tessik::NameOrder order;
    for (qsizetype i = 0; i < apps.size(); ++i) {
        const QJsonObject app = apps[i].toObject();
        EXPECT_EQ(app.keys(), (QStringList{u"bundleIdentifier"_s, u"name"_s, u"supportedTypeIdentifiers"_s, u"url"_s}));
        EXPECT_FALSE(seen.contains(app.value("bundleIdentifier"_L1).toString()));
        seen.insert(app.value("bundleIdentifier"_L1).toString());
        EXPECT_TRUE(app.value("url"_L1).toString().startsWith(u"file:///"_s));
        if (i > 0) {
            EXPECT_FALSE(
                order.less(app.value("name"_L1).toString(), apps[i - 1].toObject().value("name"_L1).toString()));
        }
    }
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(result.out.contains(u"预览"_s)) << "the demo user reads Chinese names";
    EXPECT_TRUE(result.out.contains(u"home/Applications/Visual%20Studio%20Code.app"_s));
}

TEST_F(CliTest, LooksUpTypesExtensionsAndHandlers)
{
    EXPECT_EQ(demoRun({u"type"_s, u".MD"_s}).out, u"net.daringfireball.markdown\n"_s);
    const CliRun invalid = demoRun({u"type"_s, u"..mkk"_s});
    EXPECT_EQ(invalid.status, 2);
    EXPECT_TRUE(invalid.err.contains(u"“..mkk” is neither an extension"_s))
        << "English when nothing chooses a language";
    EXPECT_TRUE(demoRun({u"extensions"_s, u"public.html"_s}).out.startsWith(u"htm\nhtml\n"_s));
    EXPECT_TRUE(demoRun({u"extensions"_s, u"public.jpeg"_s}).out.contains(u"jpeg\njpg\n"_s));
    EXPECT_EQ(demoRun({u"extensions"_s, u"com.example.unknown"_s}).status, 2);
    // Types that installed applications declare.
    EXPECT_EQ(demoRun({u"type"_s, u"torrent"_s}).out, u"org.bittorrent.torrent\n"_s);
    EXPECT_EQ(demoRun({u"extensions"_s, u"org.bittorrent.torrent"_s}).out, u"torrent\n"_s);
    EXPECT_EQ(demoRun({u"type"_s, u"blend"_s}).out, u"org.blenderfoundation.blender.file\n"_s);

    EXPECT_EQ(demoRun({u"get"_s, u"public.html"_s}).out, u"com.google.Chrome\n"_s);
    EXPECT_EQ(demoRun({u"get"_s, u"com.adobe.pdf"_s, u"--role"_s, u"viewer"_s}).out, u"com.apple.Preview\n"_s);
    EXPECT_EQ(run({u"get"_s, u"public.html"_s}, demo->path()).out, u"com.google.Chrome\n"_s)
        << "root from the environment";
    const CliRun none = demoRun({u"get"_s, u"zzqq"_s, u"--role"_s, u"shell"_s});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_EQ(demoRun({u"get"_s, u"com.example.unknown"_s}).status, 2) << "no type of this machine";
}

TEST_F(CliTest, BadCommandLinesAreUsageErrors)
{
    EXPECT_EQ(demoRun({u"frobnicate"_s}).status, 2);
    EXPECT_EQ(demoRun({}).status, 2);
    EXPECT_EQ(demoRun({u"apps"_s, u"--jsn"_s}).status, 2);
    EXPECT_EQ(demoRun({u"get"_s, u"public.html"_s, u"--role"_s, u"Viewer"_s}).status, 2);
    EXPECT_EQ(demoRun({u"get"_s}).status, 2);
    EXPECT_EQ(demoRun({u"type"_s, u"md"_s, u"txt"_s}).status, 2);
    for (const QString& command : {u"apps"_s, u"type"_s, u"extensions"_s, u"get"_s}) {
        const CliRun help = demoRun({command, u"--help"_s});
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(help.out.contains(u"--system-root"_s)) << qPrintable(command);
    }
    EXPECT_EQ(run({u"--help"_s}).status, 0);
    EXPECT_EQ(run({u"--system-root"_s, demo->path() + u"/missing"_s, u"apps"_s}).status, 1);
}

namespace {

QJsonObject formatRow(const QJsonArray& rows, const QString& type)
{
    for (const QJsonValue& row : rows)
        if (row.toObject().value("typeIdentifier"_L1).toString() == type)
            return row.toObject();
    return {};
}

} // namespace

TEST_F(CliTest, FormatsShowsTheCatalogOfTheDemoSystem)
{
    const CliRun result = demoRun({u"formats"_s, u"--json"_s});
    ASSERT_EQ(result.status, 0) << qPrintable(result.err);
    const QJsonArray rows = QJsonDocument::fromJson(result.out.toUtf8()).array();
    ASSERT_FALSE(rows.isEmpty());
    for (const QJsonValue& row : rows)
        EXPECT_EQ(row.toObject().keys().join(u' '),
                  u"capableApps category defaultHandlers extensions kind suggestedAppIDs typeIdentifier"_s);

    // Lightroom declares only the abstract raw type: it is listed under each concrete raw format.
    const QJsonObject cr2 = formatRow(rows, u"com.canon.cr2-raw-image"_s);
    EXPECT_TRUE(cr2.value("capableApps"_L1).toArray().contains(u"com.adobe.LightroomClassicCC7"_s));
    EXPECT_TRUE(cr2.value("extensions"_L1).toArray().contains(u"cr2"_s));
    EXPECT_EQ(cr2.value("category"_L1).toString(),
              formatRow(rows, u"com.adobe.raw-image"_s).value("category"_L1).toString());
    EXPECT_TRUE(formatRow(rows, u"public.camera-raw-image"_s).isEmpty());

    const QJsonObject html = formatRow(rows, u"public.html"_s);
    EXPECT_EQ(html.value("defaultHandlers"_L1).toObject().value("all"_L1).toString(), u"com.google.Chrome"_s);
    QSet<QString> suggestedApps;
    for (const QJsonValue& row : rows)
        for (const QJsonValue& id : row.toObject().value("suggestedAppIDs"_L1).toArray())
            suggestedApps.insert(id.toString());
    EXPECT_GE(suggestedApps.size(), 3);

    const CliRun english = demoRun({u"formats"_s, u"--language"_s, u"en"_s});
    EXPECT_EQ(english.status, 0);
    EXPECT_TRUE(english.out.contains(u"public.html  [Web Pages]\n"_s)) << qPrintable(english.out);
}

TEST_F(CliTest, AssociateStoresCustomAssociationsOnce)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    const QStringList base{u"--system-root"_s, root.path(), u"associate"_s};
    const QString file = root.path() + u"/home/Library/Application Support/Tessik/CustomAssociations.json"_s;

    EXPECT_EQ(run(base + QStringList{u"..mkk"_s, u"com.microsoft.VSCode"_s}).status, 1);
    EXPECT_EQ(run(base + QStringList{u"mkk"_s, u"com.example.NotInstalled"_s}).status, 1);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(run(base + QStringList{u"--extension"_s, u"mkk"_s, u"com.microsoft.VSCode"_s}).status, 2);

    const CliRun stored = run(base + QStringList{u".MKK"_s, u"com.microsoft.VSCode"_s});
    ASSERT_EQ(stored.status, 0) << qPrintable(stored.err);
    EXPECT_TRUE(stored.out.startsWith(u"Stored: .mkk"_s));
    EXPECT_TRUE(run(base + QStringList{u"mkk"_s, u"com.microsoft.VSCode"_s}).out.startsWith(u"Already stored"_s));
    EXPECT_EQ(run(base + QStringList{u"--type"_s, u"public.plain-text"_s, u"com.apple.Preview"_s}).status, 0);

    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QJsonArray associations = QJsonDocument::fromJson(saved.readAll()).array();
    ASSERT_EQ(associations.size(), 2);
    EXPECT_EQ(associations[1].toObject().value("fileExtension"_L1).toString(), QString());

    const QJsonArray rows =
        QJsonDocument::fromJson(run({u"--system-root"_s, root.path(), u"formats"_s, u"--json"_s}).out.toUtf8()).array();
    const QString mkkType = associations[0].toObject().value("typeIdentifier"_L1).toString();
    EXPECT_EQ(formatRow(rows, mkkType).value("capableApps"_L1).toArray(), QJsonArray{u"com.microsoft.VSCode"_s});
    EXPECT_EQ(formatRow(rows, mkkType).value("category"_L1).toString(), u"other"_s);
}

TEST_F(CliTest, AssociatingAnApplicationOutsideTheFoldersRegistersIt)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    const QString tool = tessik::tools::BundleWriter(root.path())
                             .write({u"Downloads/Tool.app"_s, {{u"CFBundleIdentifier"_s, u"com.example.tool"_s}}});
    auto cli = [&](QStringList arguments) { return run(QStringList{u"--system-root"_s, root.path()} + arguments); };

    EXPECT_EQ(cli({u"associate"_s, u"mkk"_s, root.path() + u"/Downloads/Missing.app"_s}).status, 1);
    const CliRun stored = cli({u"associate"_s, u"mkk"_s, tool});
    ASSERT_EQ(stored.status, 0) << qPrintable(stored.err);
    QFile registrations(root.path() + u"/home/Library/Preferences/com.apple.LaunchServices/"
                                      "com.apple.launchservices.registrations.plist"_s);
    ASSERT_TRUE(registrations.open(QIODevice::ReadOnly));
    EXPECT_TRUE(registrations.readAll().contains(QFileInfo(tool).canonicalFilePath().toUtf8()));
    // A later process knows the application, so a default naming it takes.
    const CliRun set = cli({u"set"_s, u"mkk"_s, u"com.example.tool"_s, u"--role"_s, u"viewer"_s});
    EXPECT_EQ(set.status, 0) << qPrintable(set.out + set.err);
    EXPECT_TRUE(set.out.startsWith(u"Succeeded"_s));

    // The types an outside application declares count as soon as it is named.
    const QVariantList declared{
        QVariantMap{{u"UTTypeIdentifier"_s, u"org.example.toolfile"_s},
                    {u"UTTypeConformsTo"_s, u"public.data"_s},
                    {u"UTTypeTagSpecification"_s, QVariantMap{{u"public.filename-extension"_s, u"toolf"_s}}}}};
    const QString second =
        tessik::tools::BundleWriter(root.path())
            .write({u"Downloads/Tool2.app"_s,
                    {{u"CFBundleIdentifier"_s, u"com.example.tool2"_s}, {u"UTExportedTypeDeclarations"_s, declared}}});
    const CliRun byExtension = cli({u"associate"_s, u"toolf"_s, second});
    ASSERT_EQ(byExtension.status, 0) << qPrintable(byExtension.err);
    EXPECT_TRUE(byExtension.out.contains(u"org.example.toolfile"_s)) << qPrintable(byExtension.out);
    EXPECT_EQ(cli({u"associate"_s, u"--type"_s, u"org.example.toolfile"_s, second}).status, 0);

    // An application named by its path is registered and can be made a default at once.
    const QString third = tessik::tools::BundleWriter(root.path())
                              .write({u"Downloads/Tool3.app"_s, {{u"CFBundleIdentifier"_s, u"com.example.tool3"_s}}});
    const CliRun byPath = cli({u"set"_s, u"mkk"_s, third, u"--role"_s, u"viewer"_s});
    EXPECT_EQ(byPath.status, 0) << qPrintable(byPath.out + byPath.err);
    EXPECT_EQ(cli({u"get"_s, u"mkk"_s, u"--role"_s, u"viewer"_s}).out, u"com.example.tool3\n"_s);

    // Only an application can be the default for anything.
    const QString plugin = tessik::tools::BundleWriter(root.path())
                               .write({u"Downloads/Plug.bundle"_s, {{u"CFBundleIdentifier"_s, u"com.example.plug"_s}}});
    EXPECT_EQ(cli({u"associate"_s, u"mkq"_s, plugin}).status, 1);
}

TEST_F(CliTest, SetSnapshotsAndRestoreRunThroughThePipeline)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    auto cli = [&](QStringList arguments) { return run(QStringList{u"--system-root"_s, root.path()} + arguments); };
    const QString markdown = u"net.daringfireball.markdown"_s;
    ASSERT_EQ(cli({u"get"_s, markdown, u"--role"_s, u"editor"_s}).out, u"abnerworks.Typora\n"_s);

    const CliRun set = cli({u"set"_s, u".md"_s, u"com.microsoft.VSCode"_s, u"--role"_s, u"editor"_s});
    ASSERT_EQ(set.status, 0) << qPrintable(set.out + set.err);
    EXPECT_TRUE(set.out.startsWith(u"Succeeded  net.daringfireball.markdown:editor"_s));
    EXPECT_EQ(cli({u"get"_s, markdown, u"--role"_s, u"editor"_s}).out, u"com.microsoft.VSCode\n"_s);

    const QJsonArray snapshots = QJsonDocument::fromJson(cli({u"snapshots"_s, u"--json"_s}).out.toUtf8()).array();
    ASSERT_EQ(snapshots.size(), 1);
    const QString id = snapshots[0].toObject().value("id"_L1).toString();
    EXPECT_EQ(id, id.toUpper());
    QFile file(root.path() + u"/home/Library/Application Support/Tessik/Snapshots/"_s + id + u".json"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject snapshot = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(snapshot.keys(), (QStringList{u"createdAt"_s, u"handlers"_s, u"id"_s}));
    EXPECT_TRUE(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"_s)
                    .match(snapshot.value("createdAt"_L1).toString())
                    .hasMatch());
    EXPECT_EQ(snapshot.value("handlers"_L1).toArray(),
              (QJsonArray{QJsonObject{{u"bundleIdentifier"_s, u"abnerworks.Typora"_s},
                                      {u"role"_s, u"editor"_s},
                                      {u"typeIdentifier"_s, markdown}}}));

    const CliRun restored = cli({u"restore"_s, id});
    ASSERT_EQ(restored.status, 0) << qPrintable(restored.out + restored.err);
    EXPECT_EQ(cli({u"get"_s, markdown, u"--role"_s, u"editor"_s}).out, u"abnerworks.Typora\n"_s);
    EXPECT_EQ(QJsonDocument::fromJson(cli({u"snapshots"_s, u"--json"_s}).out.toUtf8()).array().size(), 2)
        << "a restore is itself snapshotted";

    EXPECT_TRUE(cli({u"set"_s, u"md"_s, u"abnerworks.Typora"_s, u"--role"_s, u"editor"_s})
                    .out.startsWith(u"Already in effect"_s));
    // A handler that was absent cannot be put back as absent.
    auto snapshotIDs = [&] {
        QSet<QString> ids;
        for (const QJsonValue& value : QJsonDocument::fromJson(cli({u"snapshots"_s, u"--json"_s}).out.toUtf8()).array())
            ids.insert(value.toObject().value("id"_L1).toString());
        return ids;
    };
    const QSet<QString> before = snapshotIDs();
    ASSERT_EQ(cli({u"set"_s, u"md=com.apple.Terminal"_s, u"--role"_s, u"shell"_s}).status, 0);
    const QSet<QString> added = snapshotIDs() - before;
    ASSERT_EQ(added.size(), 1);
    const QString shellSnapshot = *added.begin();
    const CliRun partial = cli({u"restore"_s, shellSnapshot});
    EXPECT_EQ(partial.status, 1);
    EXPECT_TRUE(partial.out.contains(u"Not restorable  net.daringfireball.markdown:shell"_s));
    EXPECT_EQ(cli({u"restore"_s, u"not-a-uuid"_s}).status, 2);

    // An application that has gone since is named; what it cannot put back stays as it is.
    ASSERT_EQ(cli({u"set"_s, u"md=com.microsoft.VSCode"_s, u"--role"_s, u"editor"_s}).status, 0);
    ASSERT_TRUE(QDir(root.path() + u"/Applications/Typora.app"_s).removeRecursively());
    const CliRun gone = cli({u"restore"_s, u"--last"_s});
    EXPECT_EQ(gone.status, 1);
    EXPECT_TRUE(gone.out.contains(
        u"Not restorable  net.daringfireball.markdown:editor: abnerworks.Typora is no longer on this computer"_s))
        << qPrintable(gone.out);
    EXPECT_EQ(cli({u"get"_s, markdown, u"--role"_s, u"editor"_s}).out, u"com.microsoft.VSCode\n"_s);
}

TEST_F(CliTest, OneChangeScansOnceAndReadsTheHandlersOncePerLookup)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    const auto inProcess = [&](const QStringList& arguments) {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const qint64 scans = tessik::AppScanner::scansMade();
        const qint64 looks = tessik::platform::LookupBatch::looks();
        const int status = tessik::cli::CliApplication().run(
            QStringList{u"tessik-cli"_s, u"--system-root"_s, root.path(), u"--language"_s, u"en"_s} + arguments,
            outStream, errStream);
        outStream.flush();
        errStream.flush();
        EXPECT_EQ(status, 0) << qPrintable(out + err);
        return std::pair(tessik::AppScanner::scansMade() - scans, tessik::platform::LookupBatch::looks() - looks);
    };
    const auto cleanup = qScopeGuard([] { tessik::platform::setSystemRoot({}); });

    // The plan reads the current handlers once, and the one check after the write once more.
    EXPECT_EQ(inProcess({u"set"_s, u"md"_s, u"com.microsoft.VSCode"_s, u"--yes"_s}), std::pair(1ll, 2ll));
    EXPECT_EQ(inProcess({u"set"_s, u"md=abnerworks.Typora"_s, u"html=com.apple.TextEdit"_s, u"--yes"_s}),
              std::pair(1ll, 3ll));
    EXPECT_EQ(tessik::platform::LSCopyDefaultRoleHandlerForContentType(u"public.html"_s, tessik::platform::kLSRolesAll),
              u"com.apple.TextEdit"_s);
    EXPECT_EQ(inProcess({u"restore"_s, u"--last"_s, u"--yes"_s}).first, 1);
    EXPECT_EQ(tessik::platform::LSCopyDefaultRoleHandlerForContentType(u"public.html"_s, tessik::platform::kLSRolesAll),
              u"com.google.Chrome"_s);
}

TEST_F(CliTest, SetRefusesBadRequestsAndReportsFailures)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    auto cli = [&](QStringList arguments) { return run(QStringList{u"--system-root"_s, root.path()} + arguments); };

    // Without --yes and without a terminal the system's question is refused.
    const CliRun declined = cli({u"set"_s, u"public.html"_s, u"com.apple.Safari"_s});
    EXPECT_EQ(declined.status, 1);
    EXPECT_TRUE(declined.out.startsWith(u"Declined (the question was answered no)  public.html:all"_s))
        << qPrintable(declined.out);
    EXPECT_TRUE(declined.err.contains(u"Standard input is not a terminal: --yes answers yes."_s));
    EXPECT_FALSE(
        QDir(root.path() + u"/home/Library/Application Support/Tessik/Snapshots"_s).entryList(QDir::Files).size())
        << "a change the person declined leaves no snapshot";
    EXPECT_EQ(cli({u"get"_s, u"public.html"_s}).out, u"com.google.Chrome\n"_s);
    EXPECT_EQ(cli({u"set"_s, u"public.html"_s, u"com.apple.Safari"_s, u"--yes"_s}).status, 0);
    EXPECT_EQ(cli({u"get"_s, u"public.html"_s}).out, u"com.apple.Safari\n"_s);

    const CliRun conflict = cli({u"set"_s, u"md=com.apple.TextEdit"_s, u".md=com.microsoft.VSCode"_s});
    EXPECT_EQ(conflict.status, 1);
    EXPECT_TRUE(conflict.err.contains(u"Different target apps for the same format: net.daringfireball.markdown"_s));
    EXPECT_EQ(cli({u"set"_s, u"md"_s, u"com.example.NotInstalled"_s}).status, 1);
    EXPECT_EQ(cli({u"set"_s, u"md"_s, u"com.apple.TextEdit"_s, u"--role"_s, u"owner"_s}).status, 2);
    EXPECT_EQ(cli({u"set"_s, u"md="_s}).status, 2);

    // With the snapshot folder blocked nothing is written and the failure is reported.
    const QString snapshots = root.path() + u"/home/Library/Application Support/Tessik/Snapshots"_s;
    QDir(snapshots).removeRecursively();
    QFile blocker(snapshots);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const CliRun failed = cli({u"set"_s, u"txt"_s, u"com.apple.TextEdit"_s, u"--role"_s, u"editor"_s});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.out.contains(u"Couldn’t apply the changes: "_s));
    const QJsonArray reports = QJsonDocument::fromJson(cli({u"reports"_s, u"--json"_s}).out.toUtf8()).array();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].toObject().value("entryCount"_L1).toInt(), 1);
    const CliRun shown = cli({u"reports"_s, u"--show"_s, reports[0].toObject().value("id"_L1).toString()});
    EXPECT_TRUE(shown.out.startsWith(u"Tessik File Association Failure Report\nTime: "_s));
    EXPECT_TRUE(shown.out.contains(u"Type: public.plain-text\nRole: Default editor\nTarget: com.apple.TextEdit"_s));
    EXPECT_TRUE(shown.out.endsWith(u"Snapshot: Not set\n"_s));
}

TEST_F(CliTest, SetAndAssociateRefuseTargetsThatAreNoFormat)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    auto cli = [&](QStringList arguments) { return run(QStringList{u"--system-root"_s, root.path()} + arguments); };
    const QString preferences = root.path() + u"/home/Library/Preferences/com.apple.LaunchServices"_s;
    auto handlerFile = [&] {
        QFile file(preferences + u"/com.apple.launchservices.secure.plist"_s);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = handlerFile();

    for (const QStringList& arguments :
         {QStringList{u"tar.gz"_s, u"com.apple.TextEdit"_s}, QStringList{u"x y/../z"_s, u"com.apple.TextEdit"_s},
          QStringList{u"com.example.nothing"_s, u"com.apple.TextEdit"_s},
          QStringList{u"md=com.apple.TextEdit"_s, u"tar.gz=com.apple.TextEdit"_s}}) {
        const CliRun refused = cli(QStringList{u"set"_s} + arguments + QStringList{u"--role"_s, u"editor"_s});
        EXPECT_EQ(refused.status, 2) << qPrintable(arguments.join(u' '));
        EXPECT_TRUE(refused.err.contains(arguments.constFirst().section(u'=', 0, 0))) << qPrintable(refused.err);
    }
    EXPECT_TRUE(handlerFile() == before) << "nothing written";
    EXPECT_FALSE(QDir(root.path() + u"/home/Library/Application Support/Tessik/Snapshots"_s).exists());

    // A type only an application's document types name, and the dynamic type of a valid extension.
    const QString dynamic = cli({u"type"_s, u"mkk"_s}).out.trimmed();
    for (const QString& known : {u"org.blenderfoundation.blender.file"_s, dynamic}) {
        const CliRun set = cli({u"set"_s, known, u"com.apple.TextEdit"_s, u"--role"_s, u"editor"_s});
        EXPECT_EQ(set.status, 0) << qPrintable(set.out + set.err);
        EXPECT_EQ(cli({u"get"_s, known, u"--role"_s, u"editor"_s}).out, u"com.apple.TextEdit\n"_s);
    }

    const QStringList associate{u"associate"_s, u"--type"_s};
    EXPECT_EQ(cli(associate + QStringList{u"tar.gz"_s, u"com.apple.TextEdit"_s}).status, 2);
    EXPECT_FALSE(QFile::exists(root.path() + u"/home/Library/Application Support/Tessik/CustomAssociations.json"_s));
    EXPECT_EQ(cli(associate + QStringList{u"com.apple.iwork.pages.template"_s, u"com.apple.TextEdit"_s}).status, 0);

    // What a snapshot recorded is put back without being judged again.
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    QDir().mkpath(root.path() + u"/home/Library/Application Support/Tessik/Snapshots"_s);
    QFile snapshot(root.path() + u"/home/Library/Application Support/Tessik/Snapshots/"_s + id + u".json"_s);
    ASSERT_TRUE(snapshot.open(QIODevice::WriteOnly));
    snapshot.write(QJsonDocument(QJsonObject{{u"createdAt"_s, u"2026-01-01T00:00:00Z"_s},
                                             {u"id"_s, id},
                                             {u"handlers"_s,
                                              QJsonArray{QJsonObject{{u"bundleIdentifier"_s, u"com.apple.TextEdit"_s},
                                                                     {u"role"_s, u"editor"_s},
                                                                     {u"typeIdentifier"_s, u"org.example.gone"_s}}}}})
                       .toJson());
    snapshot.close();
    const CliRun restored = cli({u"restore"_s, id});
    EXPECT_EQ(restored.status, 0) << qPrintable(restored.out + restored.err);
    QFile handlers(preferences + u"/com.apple.launchservices.secure.plist"_s);
    ASSERT_TRUE(handlers.open(QIODevice::ReadOnly));
    EXPECT_TRUE(handlers.readAll().contains("org.example.gone"));
}

TEST_F(CliTest, ConcurrentSetsLoseNoChange)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    const QStringList types{u"public.rss"_s,
                            u"public.css"_s,
                            u"public.ndjson"_s,
                            u"public.patch-file"_s,
                            u"com.apple.crashreport"_s,
                            u"org.w3.webvtt"_s,
                            u"public.assembly-source"_s,
                            u"public.lex-source"_s,
                            u"public.yacc-source"_s,
                            u"public.fortran-source"_s,
                            u"public.pascal-source"_s,
                            u"public.ada-source"_s,
                            u"public.csh-script"_s,
                            u"public.tcsh-script"_s,
                            u"public.ksh-script"_s,
                            u"public.make-source"_s,
                            u"com.microsoft.ico"_s,
                            u"com.apple.icns"_s,
                            u"public.avif"_s,
                            u"com.truevision.tga-image"_s,
                            u"public.jpeg-2000"_s,
                            u"com.apple.pict"_s,
                            u"com.sgi.sgi-image"_s,
                            u"public.xbitmap-image"_s};
    const QString calculator = u"com.apple.calculator"_s;

    // Eight writers at once, three changes each: every read-modify-write of the handler file must see the others.
    std::vector<std::unique_ptr<QProcess>> writers;
    for (qsizetype first = 0; first < types.size(); first += 3) {
        QStringList arguments{u"--system-root"_s, root.path(), u"set"_s, u"--role"_s, u"editor"_s};
        for (const QString& type : types.mid(first, 3))
            arguments.append(type + u'=' + calculator);
        writers.push_back(std::make_unique<QProcess>());
        writers.back()->setProcessEnvironment(localeFreeEnvironment());
        writers.back()->start(QString::fromUtf8(TESSIK_CLI_PATH), arguments);
    }
    for (const auto& writer : writers) {
        ASSERT_TRUE(writer->waitForFinished(120000));
        EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().constData();
    }

    QFile file(root.path() +
               u"/home/Library/Preferences/com.apple.LaunchServices/com.apple.launchservices.secure.plist"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList stored;
    for (const QVariant& entry :
         tessik::platform::PropertyList::read(file.readAll())->toMap().value(u"LSHandlers"_s).toList())
        if (entry.toMap().value(u"LSHandlerRoleEditor"_s).toString() == calculator)
            stored.append(entry.toMap().value(u"LSHandlerContentType"_s).toString());
    stored.sort();
    QStringList expected = types;
    expected.sort();
    EXPECT_EQ(stored, expected);
}

TEST_F(CliTest, UpdateCatalogDownloadsForTheServerItIsGiven)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    auto cli = [&](QStringList arguments) { return run(QStringList{u"--system-root"_s, root.path()} + arguments); };
    EXPECT_EQ(cli({u"update-catalog"_s}).status, 1) << "the shipped program names no server";

    tessik::testing::LoopbackHttpServer server;
    const QJsonObject catalog{{u"schemaVersion"_s, 1},
                              {u"categories"_s, QJsonArray{QJsonObject{{u"id"_s, u"plain"_s},
                                                                       {u"name"_s, u"纯文本"_s},
                                                                       {u"extensions"_s, QJsonArray{u"txt"_s}}}}},
                              {u"apps"_s, QJsonArray()}};
    server.respond({200, {{"ETag", "\"7\""}}, QJsonDocument(catalog).toJson()});
    const QString url = server.url().toString();
    const CliRun updated = cli({u"update-catalog"_s, u"--server-url"_s, url});
    ASSERT_EQ(updated.status, 0) << qPrintable(updated.err);
    EXPECT_TRUE(updated.out.startsWith(u"Updated the format catalog (categories: 1, apps: 0)"_s));
    EXPECT_TRUE(updated.out.contains(u"/Tessik/Debug/"_s));

    const QJsonArray rows =
        QJsonDocument::fromJson(cli({u"formats"_s, u"--json"_s, u"--server-url="_s + url}).out.toUtf8()).array();
    EXPECT_EQ(formatRow(rows, u"public.plain-text"_s).value("category"_L1).toString(), u"plain"_s);
    EXPECT_NE(formatRow(QJsonDocument::fromJson(cli({u"formats"_s, u"--json"_s}).out.toUtf8()).array(),
                        u"public.plain-text"_s)
                  .value("category"_L1)
                  .toString(),
              u"plain"_s)
        << "the shipped server's data is kept apart";

    EXPECT_TRUE(cli({u"update-catalog"_s, u"--server-url"_s, url}).out.startsWith(u"Not due yet"_s));
    server.respond({304, {}, {}});
    EXPECT_TRUE(cli({u"update-catalog"_s, u"--server-url"_s, url, u"--force"_s}).out.startsWith(u"No update"_s));
    EXPECT_EQ(server.requests().last().headers.value("if-none-match"), "\"7\"");
    server.respond({500, {}, {}});
    EXPECT_EQ(cli({u"update-catalog"_s, u"--server-url"_s, url, u"--force"_s}).status, 1);
}

TEST_F(CliTest, ChangesThatNeverTakeOrEndElsewhereAreDeclinedOrReported)
{
    QTemporaryDir dir;
    const QString root = dir.filePath(u"root"_s);
    QProcess makeSystem;
    makeSystem.start(QString::fromUtf8(TESSIK_MAKE_SYSTEM_PATH),
                     {u"--demo"_s, root, u"--ignore-type"_s, u"net.daringfireball.markdown"_s, u"--override-type"_s,
                      u"public.plain-text=com.apple.TextEdit"_s});
    ASSERT_TRUE(makeSystem.waitForFinished(60000));
    ASSERT_EQ(makeSystem.exitCode(), 0);
    auto cli = [&](QStringList arguments) { return run(QStringList{u"--system-root"_s, root} + arguments); };
    auto reports = [&] { return QJsonDocument::fromJson(cli({u"reports"_s, u"--json"_s}).out.toUtf8()).array(); };

    for (const QString& wait : {u"-1"_s, u"soon"_s, u"nan"_s, u"1e9"_s})
        EXPECT_EQ(cli({u"set"_s, u"md"_s, u"com.microsoft.VSCode"_s, u"--wait"_s, wait}).status, 2) << qPrintable(wait);
    EXPECT_EQ(cli({u"restore"_s, QUuid::createUuid().toString(), u"--wait"_s, u"-1"_s}).status, 2);

    // An ignored type keeps its handler: declined, and no report.
    const CliRun declined =
        cli({u"set"_s, u"md"_s, u"com.microsoft.VSCode"_s, u"--role"_s, u"editor"_s, u"--wait"_s, u"0"_s});
    EXPECT_EQ(declined.status, 1);
    EXPECT_TRUE(
        declined.out.startsWith(u"Declined (the system kept the previous app)  net.daringfireball.markdown:editor"_s))
        << qPrintable(declined.out);
    EXPECT_FALSE(declined.out.contains(u"Failure details saved"_s));
    EXPECT_TRUE(reports().isEmpty());
    EXPECT_EQ(cli({u"get"_s, u"net.daringfireball.markdown"_s, u"--role"_s, u"editor"_s}).out,
              u"abnerworks.Typora\n"_s);

    // An overridden type ends with another application: a failure, saved in a report.
    const CliRun failed =
        cli({u"set"_s, u"txt"_s, u"com.microsoft.VSCode"_s, u"--role"_s, u"editor"_s, u"--wait"_s, u"0"_s});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.out.startsWith(u"Failed: After waiting for macOS confirmation, the system still reports "
                                      "com.apple.TextEdit instead of the target com.microsoft.VSCode"_s))
        << qPrintable(failed.out);
    EXPECT_TRUE(failed.out.contains(u"Failure details saved to: "_s));
    const QJsonArray saved = reports();
    ASSERT_EQ(saved.size(), 1);
    const CliRun shown = cli({u"reports"_s, u"--show"_s, saved[0].toObject().value("id"_L1).toString()});
    EXPECT_TRUE(shown.out.contains(u"Type: public.plain-text\nRole: Default editor\nTarget: com.microsoft.VSCode\n"
                                   "Actual: com.apple.TextEdit\nReason: After waiting for macOS confirmation"_s))
        << qPrintable(shown.out);

    // Other types take at once.
    EXPECT_EQ(cli({u"set"_s, u"json"_s, u"com.apple.TextEdit"_s, u"--role"_s, u"editor"_s, u"--wait"_s, u"0"_s}).status,
              0);
}

TEST(CliJsonTest, AnArrayMadeSideBySideReadsAsTheWholeDocumentWould)
{
    const QList<QJsonObject> objects{
        QJsonObject{{u"name"_s, u"名前 \"quoted\""_s}, {u"empty"_s, QJsonArray()}, {u"none"_s, QJsonObject()}},
        QJsonObject{{u"list"_s, QJsonArray{1, u"two"_s, QJsonObject{{u"three"_s, true}}}},
                    {u"nothing"_s, QJsonValue()}},
        QJsonObject(),
    };
    for (const qsizetype count : {0, 1, 3}) {
        QJsonArray whole;
        for (const QJsonObject& object : objects.first(count))
            whole.append(object);
        QString expected, made;
        QTextStream expectedStream(&expected), madeStream(&made);
        tessik::cli::printJson(expectedStream, QJsonDocument(whole));
        tessik::cli::printJsonArray(madeStream, count, [&](qsizetype i) { return objects[i]; });
        expectedStream.flush();
        madeStream.flush();
        EXPECT_EQ(made, expected) << count;
    }
}

TEST(CliLanguageTest, OptionThenStoredSettingThenLocaleThenEnglish)
{
    using tessik::cli::CliLanguage;
    const auto environment = [](const QHash<QString, QString>& variables) {
        QProcessEnvironment environment;
        for (auto it = variables.cbegin(); it != variables.cend(); ++it)
            environment.insert(it.key(), it.value());
        return environment;
    };
    const QProcessEnvironment french = environment({{u"LANG"_s, u"fr_FR.UTF-8"_s}});

    EXPECT_EQ(CliLanguage::choose(u"ja"_s, u"de"_s, french), u"ja"_s);
    for (const QString& unknown : {u"xx"_s, u""_s, u"zh_CN"_s})
        EXPECT_FALSE(CliLanguage::choose(unknown, u"de"_s, french)) << qPrintable(unknown);
    EXPECT_EQ(CliLanguage::choose(u"JA"_s, u"de"_s, french), u"ja"_s) << "a code in upper case";
    EXPECT_EQ(CliLanguage::choose(std::nullopt, u"de"_s, french), u"de"_s);
    for (const QVariant& ignored : {QVariant(), QVariant(u"xx"_s), QVariant(3), QVariant(QStringList{u"de"_s})})
        EXPECT_EQ(CliLanguage::choose(std::nullopt, ignored, french), u"fr"_s) << qPrintable(ignored.toString());
    EXPECT_EQ(CliLanguage::choose(std::nullopt, {}, {}), u"en"_s);

    const QList<std::pair<QHash<QString, QString>, QString>> locales{
        {{{u"LANG"_s, u"zh_TW.UTF-8"_s}}, u"zh"_s},
        {{{u"LANG"_s, u"de_AT"_s}}, u"de"_s},
        {{{u"LANG"_s, u"ja.UTF-8"_s}}, u"ja"_s},
        {{{u"LANG"_s, u"ko_KR@dict"_s}}, u"ko"_s},
        {{{u"LANG"_s, u"C"_s}}, u"en"_s},
        {{{u"LANG"_s, u"POSIX"_s}}, u"en"_s},
        {{{u"LANG"_s, u"pt_BR.UTF-8"_s}}, u"en"_s},
        {{{u"LANGUAGE"_s, u"fr"_s}}, u"en"_s},
        {{{u"LC_MESSAGES"_s, u"es_ES"_s}, {u"LANG"_s, u"fr_FR"_s}}, u"es"_s},
        {{{u"LC_ALL"_s, u"ja_JP"_s}, {u"LC_MESSAGES"_s, u"es_ES"_s}}, u"ja"_s},
        {{{u"LC_ALL"_s, u""_s}, {u"LANG"_s, u"ko_KR"_s}}, u"ko"_s},
        {{{u"LC_ALL"_s, u"C"_s}, {u"LANG"_s, u"fr_FR"_s}}, u"en"_s},
        // LANGUAGE speaks first, as for gettext programs, unless the locale is C.
        {{{u"LANGUAGE"_s, u"de:fr"_s}, {u"LANG"_s, u"fr_FR.UTF-8"_s}}, u"de"_s},
        {{{u"LANGUAGE"_s, u"pt:ko_KR"_s}, {u"LC_ALL"_s, u"fr_FR.UTF-8"_s}}, u"ko"_s},
        {{{u"LANGUAGE"_s, u"pt"_s}, {u"LANG"_s, u"fr_FR.UTF-8"_s}}, u"en"_s},
        {{{u"LANGUAGE"_s, u"de"_s}, {u"LANG"_s, u"C.UTF-8"_s}}, u"en"_s},
    };
    for (const auto& [variables, expected] : locales)
        EXPECT_EQ(CliLanguage::choose(std::nullopt, {}, environment(variables)), expected)
            << qPrintable(QStringList(variables.values()).join(u' '));
}

TEST_F(CliTest, SpeaksTheLanguageTheOptionTheSettingOrTheLocaleChooses)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    const tessik::L10n::Table& table = tessik::L10n::translations();
    const QString invalid =
        tessik::CustomAssociationError::messageFor(tessik::CustomAssociationError::Kind::invalidExtension);
    const auto invalidIn = [&](const QString& language) { return table.value(invalid).value(language); };
    const QStringList global{u"--system-root"_s, root.path()};
    const QStringList associate{u"associate"_s, u"a/b"_s, u"com.apple.TextEdit"_s};
    const QHash<QString, QString> french{{u"LANG"_s, u"fr_FR.UTF-8"_s}};

    const CliRun english = run(global + QStringList{u"--language"_s, u"en"_s} + associate);
    EXPECT_EQ(english.status, 1);
    EXPECT_EQ(english.err, invalidIn(u"en"_s) + u'\n');
    const CliRun japanese = run(global + associate + QStringList{u"--language"_s, u"ja"_s});
    EXPECT_EQ(japanese.status, 1);
    EXPECT_EQ(japanese.err, invalidIn(u"ja"_s) + u'\n');
    EXPECT_EQ(run(global + associate, {}, french).err, invalidIn(u"fr"_s) + u'\n');
    EXPECT_EQ(run(global + associate, {}, {{u"LC_ALL"_s, u"C"_s}, {u"LANG"_s, u"fr_FR.UTF-8"_s}}).err,
              invalidIn(u"en"_s) + u'\n');

    const CliRun unknown = run(global + QStringList{u"--language"_s, u"xx"_s} + associate, {}, french);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains(u"« xx »"_s)) << "said in the fallback language: " << qPrintable(unknown.err);
    EXPECT_EQ(run(global + QStringList{u"apps"_s, u"--language=xx"_s}).status, 2);
    const CliRun missing = run(global + QStringList{u"--language"_s, u"ja"_s});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.startsWith(u"tessik-cli: "_s + table.value(u"缺少命令"_s).value(u"ja"_s)));

    tessik::platform::setSystemRoot(root.path());
    tessik::platform::UserDefaults::setObject(tessik::AppLanguage::defaultsKey, u"ko"_s);
    tessik::platform::setSystemRoot({});
    EXPECT_EQ(run(global + associate, {}, french).err, invalidIn(u"ko"_s) + u'\n') << "the setting beats the locale";
    EXPECT_EQ(run(global + QStringList{u"--language=de"_s} + associate, {}, french).err, invalidIn(u"de"_s) + u'\n')
        << "the option beats the setting";

    // Categories are named as the program names them, "other" included.
    const CliRun german = run(global + QStringList{u"--language"_s, u"de"_s, u"formats"_s});
    ASSERT_EQ(german.status, 0) << qPrintable(german.err);
    const QJsonArray rows =
        QJsonDocument::fromJson(run(global + QStringList{u"formats"_s, u"--json"_s}).out.toUtf8()).array();
    const QList<tessik::FormatCategory> categories = tessik::FormatKnowledgeBase::bundled().categories();
    QSet<QString> named;
    for (const QJsonValue& row : rows) {
        const QString id = row.toObject().value("category"_L1).toString();
        const QString name = tessik::CategoryNames::name(categories, id, u"de"_s);
        EXPECT_TRUE(
            german.out.contains(row.toObject().value("typeIdentifier"_L1).toString() + u"  ["_s + name + u"]\n"_s))
            << qPrintable(id);
        named.insert(id);
    }
    EXPECT_TRUE(named.contains(u"other"_s) && named.contains(u"images"_s));
    EXPECT_TRUE(german.out.contains(u"[Bilder]"_s) && german.out.contains(u"[Andere Formate]"_s))
        << qPrintable(german.out.left(2000));
}

TEST_F(CliTest, EveryQueryTakesAnExtensionAKnownTypeOrAFile)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    auto cli = [&](QStringList arguments) { return run(QStringList{u"--system-root"_s, root.path()} + arguments); };

    ASSERT_EQ(cli({u"set"_s, u".md"_s, u"com.microsoft.VSCode"_s, u"--role"_s, u"editor"_s}).status, 0);
    for (const QString& target : {u".md"_s, u"md"_s, u"MD"_s, u"net.daringfireball.markdown"_s, u"./notes/todo.md"_s})
        EXPECT_EQ(cli({u"get"_s, target, u"--role"_s, u"editor"_s}).out, u"com.microsoft.VSCode\n"_s)
            << qPrintable(target);
    EXPECT_EQ(cli({u"get"_s, u"html"_s}).out, u"com.google.Chrome\n"_s);
    EXPECT_EQ(cli({u"type"_s, u"public.html"_s}).out, u"public.html\n"_s);
    EXPECT_EQ(cli({u"type"_s, root.path() + u"/Report.PDF"_s}).out, u"com.adobe.pdf\n"_s) << "by extension on a Mac";
    EXPECT_TRUE(cli({u"extensions"_s, u"./a/page.htm"_s}).out.startsWith(u"htm\nhtml\n"_s));

    // Anything else says what was expected, and nothing handles an unknown type.
    for (const QStringList& arguments :
         {QStringList{u"get"_s, u"no.such.type"_s}, QStringList{u"type"_s, u"tar.gz"_s},
          QStringList{u"extensions"_s, u"no.such.type"_s}, QStringList{u"get"_s, u"./README"_s},
          QStringList{u"associate"_s, u"--type"_s, u"no.such.type"_s, u"com.apple.TextEdit"_s}}) {
        const CliRun refused = cli(arguments);
        EXPECT_EQ(refused.status, 2) << qPrintable(arguments.join(u' '));
        EXPECT_TRUE(refused.err.contains(arguments.at(arguments.size() > 2 ? arguments.size() - 2 : 1)))
            << qPrintable(refused.err);
    }
    EXPECT_TRUE(cli({u"get"_s, u"no.such.type"_s})
                    .err.contains(u"is neither an extension (such as md), a known content type (such as public.html) "
                                  "nor a file path"_s));

    // Every query answers in JSON too.
    const QJsonObject get =
        QJsonDocument::fromJson(cli({u"get"_s, u"md"_s, u"--role"_s, u"editor"_s, u"--json"_s}).out.toUtf8()).object();
    EXPECT_EQ(get, (QJsonObject{{u"typeIdentifier"_s, u"net.daringfireball.markdown"_s},
                                {u"role"_s, u"editor"_s},
                                {u"bundleIdentifier"_s, u"com.microsoft.VSCode"_s}}));
    const CliRun none = cli({u"get"_s, u"zzqq"_s, u"--json"_s});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(QJsonDocument::fromJson(none.out.toUtf8()).object().value("bundleIdentifier"_L1).isNull());
    EXPECT_EQ(QJsonDocument::fromJson(cli({u"type"_s, u"md"_s, u"--json"_s}).out.toUtf8()).object(),
              (QJsonObject{{u"target"_s, u"md"_s}, {u"typeIdentifier"_s, u"net.daringfireball.markdown"_s}}));
    EXPECT_TRUE(QJsonDocument::fromJson(cli({u"extensions"_s, u"jpg"_s, u"--json"_s}).out.toUtf8())
                    .object()
                    .value("extensions"_L1)
                    .toArray()
                    .contains(u"jpeg"_s));
    const QJsonObject set =
        QJsonDocument::fromJson(
            cli({u"set"_s, u"txt"_s, u"com.apple.TextEdit"_s, u"--role"_s, u"editor"_s, u"--json"_s}).out.toUtf8())
            .object();
    ASSERT_EQ(set.value("changes"_L1).toArray().size(), 1) << QJsonDocument(set).toJson().constData();
    EXPECT_EQ(set.value("changes"_L1).toArray()[0].toObject().value("outcome"_L1).toString(), u"succeeded"_s);
    EXPECT_TRUE(QFile::exists(set.value("snapshotPath"_L1).toString()));
}

TEST_F(CliTest, LinkSchemesAreNoExtensions)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    auto cli = [&](QStringList arguments) { return run(QStringList{u"--system-root"_s, root.path()} + arguments); };
    const QString handlers =
        root.path() + u"/home/Library/Preferences/com.apple.LaunchServices/com.apple.launchservices.secure.plist"_s;
    auto handlerFile = [&] {
        QFile file(handlers);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = handlerFile();
    for (const QString& scheme : {u"mailto"_s, u"http"_s, u"HTTPS"_s}) {
        const CliRun refused = cli({u"set"_s, scheme, u"com.apple.mail"_s, u"--yes"_s});
        EXPECT_EQ(refused.status, 2) << qPrintable(scheme);
        EXPECT_TRUE(refused.err.contains(u"is a link scheme, not an extension: links are written with a colon ("_s +
                                         scheme + u":)"_s))
            << qPrintable(refused.err);
    }
    EXPECT_EQ(cli({u"get"_s, u"mailto"_s}).status, 2);
    EXPECT_TRUE(handlerFile() == before) << "no dyn. handler written";
    // A word no application declares as a scheme is an extension still.
    EXPECT_EQ(cli({u"set"_s, u"gopherx"_s, u"com.apple.TextEdit"_s, u"--role"_s, u"editor"_s}).status, 0);
}

TEST_F(CliTest, ApplicationsAreNamedAsPeopleNameThem)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    auto cli = [&](QStringList arguments) { return run(QStringList{u"--system-root"_s, root.path()} + arguments); };
    auto editor = [&] { return cli({u"get"_s, u"txt"_s, u"--role"_s, u"editor"_s}).out.trimmed(); };

    EXPECT_EQ(cli({u"set"_s, u"txt"_s, u"COM.MICROSOFT.vscode"_s, u"--role"_s, u"editor"_s}).status, 0);
    EXPECT_EQ(editor(), u"com.microsoft.VSCode"_s) << "bundle identifiers in any case";
    EXPECT_EQ(cli({u"set"_s, u"txt"_s, u"Sublime Text"_s, u"--role"_s, u"editor"_s}).status, 0);
    EXPECT_EQ(editor(), u"com.sublimetext.4"_s) << "by displayed name";
    EXPECT_EQ(cli({u"set"_s, u"txt"_s, root.path() + u"/Applications/BBEdit.app"_s, u"--role"_s, u"editor"_s}).status,
              0);
    EXPECT_EQ(editor(), u"com.barebones.bbedit"_s) << "by the bundle's path";

    const CliRun unknown = cli({u"set"_s, u"txt"_s, u"Calculator"_s, u"--role"_s, u"editor"_s});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(unknown.err.contains(u"Did you mean com.apple.calculator?"_s)) << qPrintable(unknown.err);
    EXPECT_TRUE(
        cli({u"set"_s, u"txt"_s, u"com.apple.calculater"_s}).err.contains(u"Did you mean com.apple.calculator?"_s));
    EXPECT_FALSE(cli({u"set"_s, u"txt"_s, u"qqqqqqqq"_s}).err.contains(u"Did you mean"_s));

    // Two applications of one name: neither is guessed.
    tessik::tools::BundleWriter writer(root.path());
    writer.write({u"Applications/Twin.app"_s, {{u"CFBundleIdentifier"_s, u"com.example.twin1"_s}}});
    writer.write({u"Applications/Twin Copy.app"_s,
                  {{u"CFBundleIdentifier"_s, u"com.example.twin2"_s}, {u"CFBundleName"_s, u"Twin"_s}}});
    const CliRun ambiguous = cli({u"set"_s, u"txt"_s, u"Twin"_s, u"--role"_s, u"editor"_s});
    EXPECT_EQ(ambiguous.status, 1);
    EXPECT_TRUE(ambiguous.err.contains(u"com.example.twin1, com.example.twin2"_s)) << qPrintable(ambiguous.err);
    EXPECT_EQ(editor(), u"com.barebones.bbedit"_s);
}

TEST_F(CliTest, ConfirmationTakesTheYesOfEveryLanguageAndDeclinedChangesLeaveNoSnapshot)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    const QStringList set{u"--system-root"_s, root.path(), u"set"_s, u"public.html"_s};
    const QString snapshots = root.path() + u"/home/Library/Application Support/Tessik/Snapshots"_s;

    const CliRun refused = run(set + QStringList{u"com.apple.Safari"_s}, {}, {}, "nein\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(u"[y/N] (type y or yes to confirm)"_s)) << qPrintable(refused.err);
    EXPECT_TRUE(QDir(snapshots).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(snapshots + u"/../Outcomes"_s).entryList(QDir::Files).isEmpty()) << "nor a record of it";

    const QList<std::pair<QByteArray, QString>> answers{
        {"oui\n", u"com.apple.Safari"_s},  {"Ja\n", u"org.mozilla.firefox"_s}, {"是\n", u"com.google.Chrome"_s},
        {"sí\n", u"com.apple.Safari"_s},   {"예\n", u"org.mozilla.firefox"_s}, {"はい\n", u"com.google.Chrome"_s},
        {" YES \n", u"com.apple.Safari"_s}};
    for (const auto& [answer, app] : answers) {
        const CliRun confirmed = run(set + QStringList{app}, {}, {}, answer);
        EXPECT_EQ(confirmed.status, 0) << answer.constData() << qPrintable(confirmed.out + confirmed.err);
    }
    EXPECT_EQ(QDir(snapshots).entryList(QDir::Files).size(), answers.size());
}

TEST_F(CliTest, SnapshotsListNewestFirstAndRestoreTakesAPrefixOrTheLast)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    auto cli = [&](QStringList arguments) { return run(QStringList{u"--system-root"_s, root.path()} + arguments); };
    const QStringList types{u"txt"_s, u"md"_s, u"json"_s, u"css"_s};
    for (const QString& type : types)
        ASSERT_EQ(cli({u"set"_s, type, u"com.apple.TextEdit"_s, u"--role"_s, u"editor"_s}).status, 0);
    const QJsonArray listed = QJsonDocument::fromJson(cli({u"snapshots"_s, u"--json"_s}).out.toUtf8()).array();
    ASSERT_EQ(listed.size(), types.size());
    // Written within a second or two: the later one is listed first all the same.
    const QStringList expectedTypes{u"public.css"_s, u"public.json"_s, u"net.daringfireball.markdown"_s,
                                    u"public.plain-text"_s};
    for (qsizetype i = 0; i < listed.size(); ++i)
        EXPECT_EQ(listed[i].toObject().value("typeIdentifiers"_L1).toArray(), QJsonArray{expectedTypes[i]});
    EXPECT_TRUE(cli({u"snapshots"_s}).out.contains(u"public.css\n"_s));

    // The newest snapshot recorded the handler css had before.
    const QString before = cli({u"get"_s, u"css"_s, u"--role"_s, u"editor"_s}).out;
    const QString markdownID = listed[2].toObject().value("id"_L1).toString();
    EXPECT_EQ(cli({u"restore"_s, markdownID.left(8).toLower()}).status, 0);
    EXPECT_EQ(cli({u"get"_s, u"md"_s, u"--role"_s, u"editor"_s}).out, u"abnerworks.Typora\n"_s);
    EXPECT_EQ(cli({u"restore"_s, u"--last"_s}).status, 0) << "the restore's own snapshot is the last one";
    EXPECT_EQ(cli({u"get"_s, u"md"_s, u"--role"_s, u"editor"_s}).out, u"com.apple.TextEdit\n"_s);
    EXPECT_EQ(cli({u"get"_s, u"css"_s, u"--role"_s, u"editor"_s}).out, before);
    EXPECT_EQ(cli({u"restore"_s, u"ffffffff-ffff"_s}).status, 1);
    EXPECT_EQ(cli({u"restore"_s}).status, 2);
}

TEST_F(CliTest, AppsForAFormatMarkTheDefaultAndTheRecommended)
{
    const QJsonObject listed =
        QJsonDocument::fromJson(demoRun({u"apps"_s, u"--for"_s, u"html"_s, u"--json"_s}).out.toUtf8()).object();
    EXPECT_EQ(listed.value("typeIdentifier"_L1).toString(), u"public.html"_s);
    QHash<QString, QJsonObject> apps;
    for (const QJsonValue& app : listed.value("apps"_L1).toArray())
        apps.insert(app.toObject().value("bundleIdentifier"_L1).toString(), app.toObject());
    ASSERT_TRUE(apps.contains(u"com.google.Chrome"_s) && apps.contains(u"com.apple.Safari"_s))
        << QJsonDocument(listed).toJson().constData();
    EXPECT_TRUE(apps.value(u"com.google.Chrome"_s).value("isDefault"_L1).toBool());
    EXPECT_FALSE(apps.value(u"com.apple.Safari"_s).value("isDefault"_L1).toBool());
    qsizetype defaults = 0, recommended = 0;
    for (const QJsonObject& app : apps) {
        defaults += app.value("isDefault"_L1).toBool();
        recommended += app.value("isRecommended"_L1).toBool();
    }
    EXPECT_EQ(defaults, 1);
    EXPECT_GE(recommended, 1);
    const CliRun text = demoRun({u"apps"_s, u"--for"_s, u"public.html"_s, u"--language"_s, u"en"_s});
    EXPECT_TRUE(
        QRegularExpression(u"^\\* .*\\tcom\\.google\\.Chrome\\t\\[Default"_s, QRegularExpression::MultilineOption)
            .match(text.out)
            .hasMatch())
        << qPrintable(text.out);
    EXPECT_EQ(demoRun({u"apps"_s, u"--for"_s, u"zzqq"_s}).status, 1);
}

TEST_F(CliTest, CommandLinesAreAnsweredConsistently)
{
    const QString version = QStringLiteral(TESSIK_PROJECT_VERSION);
    EXPECT_EQ(demoRun({u"--version"_s}).out, u"tessik-cli "_s + version + u'\n');
    QProcess desktop;
    desktop.start(QString::fromUtf8(TESSIK_PROGRAM_PATH), {u"--version"_s});
    ASSERT_TRUE(desktop.waitForFinished(60000));
    EXPECT_EQ(desktop.readAllStandardOutput(), (u"tessik "_s + version + u'\n').toUtf8());

    for (const QStringList& arguments : {QStringList{u"--frob"_s}, QStringList{u"apps"_s, u"--frob"_s}}) {
        const CliRun unknown = demoRun(arguments);
        EXPECT_EQ(unknown.status, 2);
        EXPECT_TRUE(unknown.err.contains(u"Unknown option “--frob”"_s)) << qPrintable(unknown.err);
    }
    const CliRun help = demoRun({u"help"_s, u"set"_s});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, demoRun({u"set"_s, u"--help"_s}).out);
    EXPECT_TRUE(help.out.contains(u"--json"_s));
    const QString general = run({u"--help"_s}).out;
    EXPECT_TRUE(general.endsWith(u"command’s arguments and options\n"_s)) << qPrintable(general);
    EXPECT_FALSE(general.contains(u'"') || general.contains(u'\'')) << "one kind of quotation marks";
    EXPECT_EQ(demoRun({u"help"_s, u"frob"_s}).status, 2);

    // Exit status: 0 answered, 1 nothing handles it, 2 a usage error.
    EXPECT_EQ(demoRun({u"type"_s, u"public.html"_s}).status, 0);
    EXPECT_EQ(demoRun({u"type"_s, u"tar.gz"_s}).status, 2);
    const CliRun upper = demoRun({u"--language"_s, u"JA"_s, u"get"_s, u"zzqq"_s});
    EXPECT_EQ(upper.status, 1);
    EXPECT_EQ(upper.err,
              tessik::L10n::text(u"没有应用以 {role} 角色打开 {type}。"_s, u"ja"_s,
                                 {{u"role"_s, u"all"_s}, {u"type"_s, demoRun({u"type"_s, u"zzqq"_s}).out.trimmed()}}) +
                  u'\n');
    EXPECT_EQ(run({u"--system-root"_s, demo->path(), u"frob"_s}, {},
                  {{u"LANGUAGE"_s, u"de"_s}, {u"LANG"_s, u"fr_FR.UTF-8"_s}})
                  .err.section(u'\n', 0, 0),
              u"tessik-cli: "_s + tessik::L10n::text(u"未知命令“{command}”"_s, u"de"_s, {{u"command"_s, u"frob"_s}}));
}

TEST_F(CliTest, NamesFromFilesCannotSteerTheTerminal)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    tessik::tools::BundleWriter(root.path())
        .write({u"Applications/Evil.app"_s,
                {{u"CFBundleIdentifier"_s, u"com.example.evil"_s},
                 {u"CFBundleName"_s, u"Evil\u001b[2J\u001b]0;owned\u0007\u202eexe.txt"_s}},
                tessik::platform::PropertyList::Format::Binary});
    const CliRun apps = run({u"--system-root"_s, root.path(), u"apps"_s});
    ASSERT_EQ(apps.status, 0);
    EXPECT_TRUE(apps.out.contains(u"Evil\\x1b[2J\\x1b]0;owned\\x07\\u202eexe.txt\tcom.example.evil"_s))
        << qPrintable(apps.out);
    for (const QChar c : apps.out)
        EXPECT_TRUE(c == u'\n' || c == u'\t' || (c.unicode() >= 0x20 && c.unicode() != 0x7f && c != QChar(0x202e)))
            << "a raw control character reached the terminal: " << int(c.unicode());
    // JSON keeps the name as it is: its own escapes make it safe.
    EXPECT_TRUE(run({u"--system-root"_s, root.path(), u"apps"_s, u"--json"_s}).out.contains(u"\\u001b[2J"_s));
}

TEST_F(CliTest, WithoutADisplayTheDesktopProgramSaysSoInsteadOfAborting)
{
    QProcess desktop;
    QProcessEnvironment environment = localeFreeEnvironment();
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    desktop.setProcessEnvironment(environment);
    desktop.start(QString::fromUtf8(TESSIK_PROGRAM_PATH), {u"--system-root"_s, demo->path(), u"--language"_s, u"EN"_s});
    ASSERT_TRUE(desktop.waitForFinished(60000));
    EXPECT_EQ(desktop.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(desktop.exitCode(), 1);
    const QString said = QString::fromUtf8(desktop.readAllStandardError());
    EXPECT_EQ(said.count(u'\n'), 1) << qPrintable(said);
    EXPECT_TRUE(said.contains(u"There is no display"_s) && said.contains(u"--screenshot FILE"_s)) << qPrintable(said);

    // A picture needs none, and a shell without a runtime folder hears no warning about it.
    QTemporaryDir temporary;
    environment.remove(u"XDG_RUNTIME_DIR"_s);
    environment.insert(u"TMPDIR"_s, temporary.path());
    QProcess picture;
    picture.setProcessEnvironment(environment);
    picture.start(QString::fromUtf8(TESSIK_PROGRAM_PATH),
                  {u"--system-root"_s, demo->path(), u"--screenshot"_s, temporary.filePath(u"shot.png"_s)});
    ASSERT_TRUE(picture.waitForFinished(60000));
    EXPECT_EQ(picture.exitCode(), 0);
    EXPECT_FALSE(picture.readAllStandardError().contains("XDG_RUNTIME_DIR"));
    EXPECT_TRUE(QFile::exists(temporary.filePath(u"shot.png"_s)));
}

TEST_F(CliTest, WaitingForAChangeIsShownOnATerminalOnly)
{
    const QString script = QStandardPaths::findExecutable(u"script"_s);
    if (script.isEmpty())
        GTEST_SKIP() << "script (util-linux) is not installed";
    QTemporaryDir dir;
    const QString root = dir.filePath(u"root"_s);
    QProcess makeSystem;
    makeSystem.start(QString::fromUtf8(TESSIK_MAKE_SYSTEM_PATH),
                     {u"--demo"_s, root, u"--ignore-type"_s, u"net.daringfireball.markdown"_s});
    ASSERT_TRUE(makeSystem.waitForFinished(60000));
    ASSERT_EQ(makeSystem.exitCode(), 0);
    const QStringList set{u"--system-root"_s,        root,        u"--language"_s, u"en"_s,     u"set"_s, u"md"_s,
                          u"com.microsoft.VSCode"_s, u"--role"_s, u"editor"_s,     u"--wait"_s, u"0.5"_s};

    // The ignored change is checked twice, half a second apart: one wait, shown and then cleared.
    QProcess terminal;
    terminal.setProcessEnvironment(localeFreeEnvironment());
    QString command = u"'%1'"_s.arg(QString::fromUtf8(TESSIK_CLI_PATH));
    for (const QString& argument : set)
        command += u" '"_s + argument + u'\'';
    terminal.start(script, {u"-qec"_s, command, u"/dev/null"_s});
    terminal.closeWriteChannel();
    ASSERT_TRUE(terminal.waitForFinished(60000));
    const QString shown = QString::fromUtf8(terminal.readAll());
    EXPECT_TRUE(shown.contains(u"\rWaiting for the change to take effect… 0 s. Ctrl-C stops waiting\x1b[K"_s))
        << qPrintable(shown);
    EXPECT_TRUE(shown.contains(u"\r\x1b[KDeclined (the system kept the previous app)"_s)) << qPrintable(shown);

    const CliRun piped = run(set);
    EXPECT_EQ(piped.status, 1);
    EXPECT_FALSE(piped.err.contains(u"Waiting"_s)) << qPrintable(piped.err);
}

TEST_F(CliTest, WhyTellsWhatDecidedTheHandlerAndWhatWasPassedOver)
{
    const CliRun stored = demoRun({u"why"_s, u"public.html"_s, u"--language"_s, u"en"_s});
    ASSERT_EQ(stored.status, 0) << qPrintable(stored.err);
    EXPECT_EQ(stored.out, u"com.google.Chrome\nset in ~/Library/Preferences/com.apple.LaunchServices/"
                          "com.apple.launchservices.secure.plist for every role\n"_s);

    const CliRun claimed = demoRun({u"why"_s, u".jpg"_s, u"--role"_s, u"viewer"_s, u"--json"_s});
    ASSERT_EQ(claimed.status, 0) << qPrintable(claimed.err);
    const QJsonObject json = QJsonDocument::fromJson(claimed.out.toUtf8()).object();
    EXPECT_EQ(json.value("source"_L1), u"claimant"_s);
    EXPECT_EQ(json.value("typeIdentifier"_L1), u"public.jpeg"_s);
    EXPECT_EQ(json.value("role"_L1), u"viewer"_s);
    EXPECT_FALSE(json.value("bundleIdentifier"_L1).toString().isEmpty());
    EXPECT_FALSE(json.value("rank"_L1).toString().isEmpty());

    // A machine whose stored choice names an application that is gone.
    QTemporaryDir root;
    const QString database =
        root.path() + u"/home/Library/Preferences/com.apple.LaunchServices/com.apple.launchservices.secure.plist"_s;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(database).absolutePath()));
    QFile file(database);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(tessik::platform::PropertyList::write(
        QVariantMap{{u"LSHandlers"_s, QVariantList{QVariantMap{{u"LSHandlerContentType"_s, u"public.jpeg"_s},
                                                               {u"LSHandlerRoleAll"_s, u"com.example.Gone"_s}}}}},
        tessik::platform::PropertyList::Format::Xml));
    file.close();
    const CliRun passed = run({u"--system-root"_s, root.path(), u"why"_s, u"jpg"_s, u"--language"_s, u"de"_s});
    ASSERT_EQ(passed.status, 0) << qPrintable(passed.err);
    EXPECT_EQ(passed.out, u"Nicht festgelegt\nkeine App öffnet dieses Format\ncom.example.Gone übergangen: nicht "
                          "installiert (~/Library/Preferences/com.apple.LaunchServices/"
                          "com.apple.launchservices.secure.plist [LSHandlerRoleAll])\n"_s);
    EXPECT_EQ(demoRun({u"why"_s}).status, 2);
}

TEST_F(CliTest, LinksAreReadSetConfirmedAndRestoredLikeFormats)
{
    QTemporaryDir root;
    tessik::tools::DemoSystem::write(root.path());
    auto cli = [&](QStringList arguments, const QByteArray& input = {}) {
        return run(QStringList{u"--system-root"_s, root.path(), u"--language"_s, u"en"_s} + arguments, {}, {}, input);
    };
    EXPECT_EQ(cli({u"get"_s, u"HTTPS:"_s}).out, u"com.apple.Safari\n"_s);
    EXPECT_EQ(cli({u"get"_s, u"mailto:"_s, u"--role"_s, u"editor"_s}).out, u"com.apple.mail\n"_s)
        << "a link has one handler, whatever the role";
    const CliRun nobody = cli({u"get"_s, u"zoommtg:"_s});
    EXPECT_EQ(nobody.status, 1);
    EXPECT_EQ(nobody.err, u"No app opens zoommtg: links.\n"_s);

    // The web's schemes ask first; a "no" leaves them as they were.
    const CliRun refused = cli({u"set"_s, u"https:=org.mozilla.firefox"_s, u"vscode:=com.apple.TextEdit"_s}, "n\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.out.contains(u"Succeeded  vscode: → com.apple.TextEdit"_s)) << qPrintable(refused.out);
    EXPECT_TRUE(refused.out.contains(u"Declined (the question was answered no)  https:"_s)) << qPrintable(refused.out);
    EXPECT_EQ(cli({u"get"_s, u"vscode:"_s}).out, u"com.apple.TextEdit\n"_s);

    const CliRun one = cli({u"set"_s, u"https:"_s, u"org.mozilla.firefox"_s, u"--yes"_s});
    ASSERT_EQ(one.status, 0) << qPrintable(one.out + one.err);
    const CliRun differ = cli({u"get"_s, u"--browser"_s});
    EXPECT_EQ(differ.status, 1);
    EXPECT_EQ(differ.out, u"http: com.apple.Safari\nhttps: org.mozilla.firefox\n"_s);
    EXPECT_TRUE(differ.err.contains(u"set --browser"_s));

    // The browser is one choice: both schemes in one plan, undone by one restore.
    const CliRun browser = cli({u"set"_s, u"--browser"_s, u"com.google.Chrome"_s, u"--yes"_s, u"--json"_s});
    ASSERT_EQ(browser.status, 0) << qPrintable(browser.out + browser.err);
    const QJsonArray changes = QJsonDocument::fromJson(browser.out.toUtf8()).object().value("changes"_L1).toArray();
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[0].toObject().value("typeIdentifier"_L1), u"http:"_s);
    EXPECT_EQ(changes[0].toObject().value("role"_L1), u"all"_s);
    EXPECT_EQ(changes[1].toObject().value("previousBundleIdentifier"_L1), u"org.mozilla.firefox"_s);
    EXPECT_EQ(cli({u"get"_s, u"--browser"_s}).out, u"com.google.Chrome\n"_s);
    ASSERT_EQ(cli({u"restore"_s, u"--last"_s, u"--yes"_s}).status, 0);
    EXPECT_EQ(cli({u"get"_s, u"--browser"_s}).out, u"http: com.apple.Safari\nhttps: org.mozilla.firefox\n"_s);
    EXPECT_EQ(
        cli({u"set"_s, u"--browser"_s, u"com.google.Chrome"_s, u"https:=org.mozilla.firefox"_s, u"--yes"_s}).status, 1)
        << "a contradiction is refused before anything is written";

    // The catalog lists the declared schemes as links.
    const QJsonArray formats = QJsonDocument::fromJson(cli({u"formats"_s, u"--json"_s}).out.toUtf8()).array();
    QHash<QString, QJsonObject> byType;
    for (const QJsonValue& format : formats)
        byType.insert(format.toObject().value("typeIdentifier"_L1).toString(), format.toObject());
    for (const QString& scheme : {u"http:"_s, u"https:"_s, u"mailto:"_s, u"vscode:"_s, u"ssh:"_s}) {
        ASSERT_TRUE(byType.contains(scheme)) << qPrintable(scheme);
        EXPECT_EQ(byType[scheme].value("kind"_L1), u"urlScheme"_s);
        EXPECT_EQ(byType[scheme].value("category"_L1), u"links"_s);
        EXPECT_TRUE(byType[scheme].value("extensions"_L1).toArray().isEmpty());
    }
    EXPECT_EQ(byType[u"https:"_s].value("capableApps"_L1).toArray().size(), 3);
    EXPECT_EQ(byType[u"https:"_s].value("defaultHandlers"_L1).toObject().value("all"_L1), u"org.mozilla.firefox"_s);
    EXPECT_EQ(byType[u"public.html"_s].value("kind"_L1), u"contentType"_s);

    // A scheme the machine hands to another application fails, and its report names the scheme.
    tessik::platform::EmulationSettings emulation;
    emulation.overriddenContentTypes = {{u"ssh:"_s, u"com.apple.mail"_s}};
    tessik::tools::SystemRootWriter::writeEmulation(root.path(), emulation);
    EXPECT_EQ(cli({u"set"_s, u"ssh:=com.microsoft.VSCode"_s, u"--wait"_s, u"0"_s}).status, 1);
    const QJsonArray reports = QJsonDocument::fromJson(cli({u"reports"_s, u"--json"_s}).out.toUtf8()).array();
    ASSERT_EQ(reports.size(), 1);
    const CliRun shown = cli({u"reports"_s, u"--show"_s, reports[0].toObject().value("id"_L1).toString()});
    EXPECT_TRUE(shown.out.contains(u"Type: ssh:\n"_s)) << qPrintable(shown.out);
    EXPECT_TRUE(shown.out.contains(u"Target: com.microsoft.VSCode\nActual: com.apple.mail\n"_s))
        << qPrintable(shown.out);
}
