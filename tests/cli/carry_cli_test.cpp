#include "systemwriter/demo_system.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct CliOutcome
{
    int status = -1;
    QString out;
    QString err;
};

// A demo machine of the test's own, changed only through tessik-cli.
class CarryCliTest : public ::testing::Test
{
protected:
    void SetUp() override { tessik::tools::DemoSystem::write(root.path()); }

    CliOutcome cli(const QStringList& arguments, const QByteArray& input = {}) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : environment.keys())
            if (name.startsWith(u"LC_"_s) || name == u"LANG"_s || name == u"LANGUAGE"_s)
                environment.remove(name);
        environment.insert(u"TESSIK_SYSTEM_ROOT"_s, root.path());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(root.path());
        process.start(QString::fromUtf8(TESSIK_CLI_PATH), arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }
    QString handler(const QString& type, const QString& role) const
    {
        return cli({u"get"_s, type, u"--role"_s, role}).out.trimmed();
    }
    QString write(const QString& name, const QByteArray& text) const
    {
        QFile file(root.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }
    QByteArray handlerDatabase() const
    {
        QFile file(root.filePath(
            u"home/Library/Preferences/com.apple.LaunchServices/com.apple.launchservices.secure.plist"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Every format, role and handler of an export, in the file's order.
    static QStringList entries(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList rows;
        for (const QJsonValue& value :
             QJsonDocument::fromJson(file.readAll()).object().value("defaults"_L1).toArray()) {
            const QJsonObject entry = value.toObject();
            // Names follow the machine's language; every application here is installed, so each has one.
            EXPECT_FALSE(entry.value("application"_L1).toString().isEmpty());
            rows.append(entry.value("type"_L1).toString() + u' ' + entry.value("role"_L1).toString() + u' ' +
                        entry.value("bundleIdentifier"_L1).toString());
        }
        return rows;
    }

    QTemporaryDir root;
};

} // namespace

TEST_F(CarryCliTest, ExportChangeAndImportBackRestoresEveryChoice)
{
    const CliOutcome exported = cli({u"export"_s, u"mine.json"_s});
    ASSERT_EQ(exported.status, 0) << qPrintable(exported.err);
    const QString file = root.filePath(u"mine.json"_s);
    const QStringList before = entries(file);
    EXPECT_EQ(before,
              (QStringList{u"com.adobe.pdf viewer com.apple.Preview"_s,
                           u"com.apple.terminal.shell-script shell com.apple.Terminal"_s,
                           u"http: all com.apple.Safari"_s, u"https: all com.apple.Safari"_s,
                           u"net.daringfireball.markdown editor abnerworks.Typora"_s,
                           u"org.7-zip.7-zip-archive all com.aone.keka"_s, u"public.html all com.google.Chrome"_s,
                           u"public.json editor com.microsoft.VSCode"_s, u"public.mpeg-4 viewer com.colliderli.iina"_s,
                           u"public.plain-text editor com.barebones.bbedit"_s,
                           u"public.zip-archive all cx.c3.theunarchiver"_s}));
    EXPECT_EQ(cli({u"import"_s, file, u"--check"_s}).status, 0) << "the machine it came from matches it";

    ASSERT_EQ(cli({u"set"_s, u"public.html=com.apple.Safari"_s, u"--yes"_s}).status, 0);
    ASSERT_EQ(
        cli({u"set"_s, u".md=com.microsoft.VSCode"_s, u"json=com.apple.TextEdit"_s, u"--role"_s, u"editor"_s}).status,
        0);
    ASSERT_EQ(cli({u"set"_s, u"com.adobe.pdf=com.apple.Safari"_s, u"--role"_s, u"viewer"_s}).status, 0);
    ASSERT_EQ(cli({u"set"_s, u"--browser"_s, u"com.google.Chrome"_s, u"--yes"_s}).status, 0);

    const CliOutcome check = cli({u"import"_s, file, u"--check"_s, u"--json"_s});
    EXPECT_EQ(check.status, 3);
    const QJsonObject plan = QJsonDocument::fromJson(check.out.toUtf8()).object();
    EXPECT_FALSE(plan.value("matches"_L1).toBool());
    EXPECT_EQ(plan.value("changes"_L1).toArray().size(), 6);
    EXPECT_EQ(handler(u"public.html"_s, u"all"_s), u"com.apple.Safari"_s) << "--check changes nothing";

    const CliOutcome imported = cli({u"import"_s, file, u"--yes"_s});
    ASSERT_EQ(imported.status, 0) << qPrintable(imported.out + imported.err);
    EXPECT_EQ(handler(u"public.html"_s, u"all"_s), u"com.google.Chrome"_s);
    EXPECT_EQ(cli({u"get"_s, u"https:"_s}).out.trimmed(), u"com.apple.Safari"_s);
    EXPECT_EQ(cli({u"get"_s, u"http:"_s}).out.trimmed(), u"com.apple.Safari"_s);
    EXPECT_EQ(handler(u"net.daringfireball.markdown"_s, u"editor"_s), u"abnerworks.Typora"_s);
    EXPECT_EQ(handler(u"public.json"_s, u"editor"_s), u"com.microsoft.VSCode"_s);
    EXPECT_EQ(handler(u"com.adobe.pdf"_s, u"viewer"_s), u"com.apple.Preview"_s);
    EXPECT_EQ(cli({u"import"_s, file, u"--check"_s}).status, 0);
    ASSERT_EQ(cli({u"export"_s, u"again.json"_s}).status, 0);
    EXPECT_EQ(entries(root.filePath(u"again.json"_s)), before);

    // The import is one plan with one snapshot, as any apply.
    const QJsonArray snapshots = QJsonDocument::fromJson(cli({u"snapshots"_s, u"--json"_s}).out.toUtf8()).array();
    EXPECT_EQ(snapshots.size(), 5);
}

TEST_F(CarryCliTest, AdministratorsLinesWithMissingApplicationsAndLinksAreImportedWhereTheyCanBe)
{
    const QString lines = write(u"defaults.conf"_s, "# Team defaults\n"
                                                    "com.apple.Safari      public.html   all\n"
                                                    "com.microsoft.VSCode  .md           editor   # source\n"
                                                    "com.apple.TextEdit    public.json   viewer\n"
                                                    "com.apple.Terminal    public.shell-script  shell\n"
                                                    "com.example.Gone      public.png    all\n"
                                                    "com.apple.mail        mailto\n");
    const CliOutcome check = cli({u"import"_s, lines, u"--check"_s});
    EXPECT_EQ(check.status, 3);
    EXPECT_TRUE(check.out.contains(u"would change  public.html:all → com.apple.Safari (now com.google.Chrome)"_s))
        << qPrintable(check.out);
    EXPECT_TRUE(check.err.contains(
        u"skipped  public.png:all → com.example.Gone (line 6): the application is not installed on this computer"_s))
        << qPrintable(check.err);

    const CliOutcome imported = cli({u"import"_s, lines, u"--yes"_s});
    EXPECT_EQ(imported.status, 0) << qPrintable(imported.out + imported.err);
    EXPECT_TRUE(imported.err.contains(u"com.example.Gone (line 6)"_s));
    EXPECT_FALSE(imported.err.contains(u"(line 7)"_s)) << "a link is imported like a format";
    EXPECT_EQ(cli({u"get"_s, u"mailto:"_s}).out.trimmed(), u"com.apple.mail"_s);
    EXPECT_EQ(handler(u"public.html"_s, u"all"_s), u"com.apple.Safari"_s);
    EXPECT_EQ(handler(u"net.daringfireball.markdown"_s, u"editor"_s), u"com.microsoft.VSCode"_s);
    EXPECT_EQ(handler(u"public.json"_s, u"viewer"_s), u"com.apple.TextEdit"_s);
    EXPECT_EQ(handler(u"public.shell-script"_s, u"shell"_s), u"com.apple.Terminal"_s);
    EXPECT_EQ(handler(u"public.png"_s, u"all"_s), u"com.apple.Preview"_s);
    EXPECT_EQ(cli({u"import"_s, u"-"_s, u"--check"_s}, "com.apple.Safari public.html all\n").status, 0)
        << "standard input is read for -";
}

TEST_F(CarryCliTest, AFileThatDoesNotReadChangesNothing)
{
    const QByteArray database = handlerDatabase();
    ASSERT_FALSE(database.isEmpty());
    const QString broken = write(u"broken.json"_s, "{\n  \"version\": 1,\n  \"defaults\": [\n"
                                                   "    {\"type\": \"public.html\", \"role\": \"all\",\n"
                                                   "     \"bundleIdentifier\": \"com.apple.Safari\"}\n"
                                                   "    {\"type\": \"public.json\"}\n  ]\n}\n");
    const CliOutcome malformed = cli({u"import"_s, broken, u"--yes"_s});
    EXPECT_EQ(malformed.status, 1);
    EXPECT_TRUE(malformed.err.contains(u"line 6: malformed JSON"_s)) << qPrintable(malformed.err);

    const QString future = write(u"future.json"_s, R"({"version": 2, "defaults": []})");
    const CliOutcome newer = cli({u"import"_s, future});
    EXPECT_EQ(newer.status, 1);
    EXPECT_TRUE(newer.err.contains(u"This file is version 2, written by a newer Tessik"_s)) << qPrintable(newer.err);

    const QString lines = write(u"lines.txt"_s, "com.apple.Safari public.html all\ncom.apple.TextEdit public.json\n");
    const CliOutcome line = cli({u"import"_s, lines, u"--yes"_s, u"--language"_s, u"de"_s});
    EXPECT_EQ(line.status, 1);
    EXPECT_TRUE(line.err.contains(u"Zeile 2"_s)) << qPrintable(line.err);

    EXPECT_EQ(cli({u"import"_s, root.filePath(u"none.json"_s)}).status, 1);
    EXPECT_EQ(cli({u"import"_s}).status, 2);
    EXPECT_EQ(handlerDatabase(), database) << "nothing was written";
    EXPECT_FALSE(QDir(root.filePath(u"home/Library/Application Support/Tessik/Snapshots"_s)).exists());
}

TEST_F(CarryCliTest, ExportAllAddsWhatIsInEffectAndMarksIt)
{
    const CliOutcome all = cli({u"export"_s, u"--all"_s});
    ASSERT_EQ(all.status, 0) << qPrintable(all.err);
    const QJsonObject document = QJsonDocument::fromJson(all.out.toUtf8()).object();
    EXPECT_EQ(document.value("version"_L1).toInt(), 1);
    int chosen = 0;
    bool jpeg = false;
    for (const QJsonValue& value : document.value("defaults"_L1).toArray()) {
        const QJsonObject entry = value.toObject();
        chosen += entry.value("explicit"_L1).toBool() ? 1 : 0;
        if (entry.value("type"_L1).toString() == u"public.jpeg"_s && entry.value("role"_L1).toString() == u"all"_s) {
            jpeg = true;
            EXPECT_FALSE(entry.value("explicit"_L1).toBool());
            EXPECT_EQ(entry.value("bundleIdentifier"_L1).toString(), u"com.apple.Preview"_s);
        }
    }
    EXPECT_EQ(chosen, 11);
    EXPECT_TRUE(jpeg);
    EXPECT_EQ(cli({u"export"_s, u"a"_s, u"b"_s}).status, 2);
}
