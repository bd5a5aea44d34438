#include "mime_apps_sandbox.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct DesktopRun
{
    int status = -1;
    QString out;
    QString err;
};

// The desktop the sandbox selects: no system root, no locale of the host.
QProcessEnvironment desktopEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys())
        if (name.startsWith(u"LC_"_s) || name == u"LANG"_s || name == u"LANGUAGE"_s || name == u"TESSIK_SYSTEM_ROOT"_s)
            environment.remove(name);
    return environment;
}

DesktopRun cli(const QStringList& arguments)
{
    QProcess process;
    process.setProcessEnvironment(desktopEnvironment());
    process.start(QString::fromUtf8(TESSIK_CLI_PATH), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

QString cliDefault(const QString& type)
{
    const DesktopRun run = cli({u"get"_s, type});
    return run.status == 0 ? run.out.trimmed() : QString();
}

// What both programs must answer; GLib is asked too where it is installed.
void expectDefaults(const MimeAppsSandbox& sandbox, const QList<std::pair<QString, QString>>& expected)
{
    for (const auto& [type, id] : expected) {
        EXPECT_EQ(cliDefault(type).toStdString(), id.toStdString()) << qPrintable(type);
        if (const auto gio = sandbox.gioDefault(type)) {
            EXPECT_EQ(gio->toStdString(), id.toStdString()) << "gio mime " << qPrintable(type);
        }
    }
}

QByteArray entry(const QByteArray& mimeTypes, const QByteArray& extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=App\nExec=true %f\nMimeType=" + mimeTypes + "\n" + extra;
}

} // namespace

TEST(DesktopCli, ReadsEachDefaultWhereGLibFindsIt)
{
    const MimeAppsSandbox sandbox("KDE:GNOME");
    for (const char* id : {"a", "b", "c", "d", "editor"})
        sandbox.write(u"data1/applications/%1.desktop"_s.arg(QLatin1StringView(id)), entry("text/plain;"));
    sandbox.write(u"data1/applications/kde4/okular.desktop"_s, entry("application/pdf;"));
    sandbox.write(u"data1/applications/tryexec.desktop"_s, entry("text/plain;", "TryExec=/nonexistent/program\n"));
    sandbox.write(u"data1/applications/link.desktop"_s, "[Desktop Entry]\nType=Link\nName=L\nURL=https://x\n");

    // Each desktop's own list first, in XDG_CURRENT_DESKTOP's order, then the user's, the administrator's and the
    // applications folders' lists.
    sandbox.write(u"home/.config/kde-mimeapps.list"_s, "[Default Applications]\nimage/png=b.desktop;\n");
    sandbox.write(u"home/.config/gnome-mimeapps.list"_s,
                  "[Default Applications]\nimage/png=c.desktop;\nimage/gif=c.desktop;\n");
    sandbox.write(u"home/.config/mimeapps.list"_s,
                  "# mine\n[Default Applications]\nimage/gif=a.desktop;\n"
                  "text/plain=missing.desktop;tryexec.desktop;link.desktop;editor.desktop;\n"
                  "application/x-pdf=kde4-okular.desktop\n");
    sandbox.write(u"etc1/mimeapps.list"_s, "[Default Applications]\nimage/jpeg=d.desktop;\nimage/gif=d.desktop;\n");
    sandbox.write(u"home/.local/share/applications/mimeapps.list"_s, "[Default Applications]\nimage/bmp=a.desktop;\n");
    sandbox.write(u"data1/applications/mimeapps.list"_s,
                  "[Default Applications]\nimage/bmp=b.desktop;\nimage/tiff=c.desktop;\n");
    sandbox.write(u"data1/applications/defaults.list"_s, "[Default Applications]\nimage/webp=d.desktop;\n");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));

    expectDefaults(sandbox, {
                                {u"image/png"_s, u"b.desktop"_s},
                                {u"image/gif"_s, u"c.desktop"_s},
                                {u"image/jpeg"_s, u"d.desktop"_s},
                                {u"image/bmp"_s, u"a.desktop"_s},
                                {u"image/tiff"_s, u"c.desktop"_s},
                                {u"image/webp"_s, u"d.desktop"_s},
                                // Missing, TryExec-failing and non-application entries are passed over.
                                {u"text/plain"_s, u"editor.desktop"_s},
                                // The parent's default, and an alias key read as its type.
                                {u"text/x-csrc"_s, u"editor.desktop"_s},
                                {u"application/pdf"_s, u"kde4-okular.desktop"_s},
                                {u"application/x-pdf"_s, u"kde4-okular.desktop"_s},
                            });
    // GLib's keys are case-sensitive; a person typing a type is not held to that.
    EXPECT_EQ(cliDefault(u"APPLICATION/PDF"_s), u"kde4-okular.desktop"_s);
}

TEST(DesktopCli, WithoutADefaultTheAssociatedApplicationsDecide)
{
    const MimeAppsSandbox sandbox;
    sandbox.write(u"data1/applications/viewer.desktop"_s, entry("image/png;"));
    sandbox.write(u"data1/applications/painter.desktop"_s, entry("image/png;"));
    sandbox.write(
        u"home/.config/mimeapps.list"_s,
        "[Added Associations]\nimage/png=painter.desktop;\n[Removed Associations]\nimage/jpeg=viewer.desktop;\n");
    sandbox.write(u"data1/applications/more.desktop"_s, entry("image/jpeg;image/png;"));
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    expectDefaults(sandbox, {{u"image/png"_s, u"painter.desktop"_s}, {u"image/jpeg"_s, u"more.desktop"_s}});
}

TEST(DesktopCli, HiddenEntriesAreDeletedOnesAndAUserCopyMasksTheSystemEntry)
{
    const MimeAppsSandbox sandbox;
    sandbox.write(u"data1/applications/viewer.desktop"_s, entry("image/png;"));
    sandbox.write(u"data1/applications/other.desktop"_s, entry("image/png;text/plain;"));
    sandbox.write(u"data1/applications/hidden.desktop"_s, entry("text/plain;", "Hidden=true\n"));
    sandbox.write(u"home/.local/share/applications/viewer.desktop"_s, entry("image/png;", "Hidden=true\n"));
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Default Applications]\nimage/png=viewer.desktop;other.desktop;\n"
                                                   "text/plain=hidden.desktop;other.desktop;\n");
    // GLib 2.74 answers viewer.desktop and hidden.desktop here: it leaves hidden entries out of its list of
    // applications, yet still launches them (and a masked entry's system copy) as defaults. A hidden file is a
    // deleted one, so both are passed over.
    EXPECT_EQ(cliDefault(u"image/png"_s), u"other.desktop"_s);
    EXPECT_EQ(cliDefault(u"text/plain"_s), u"other.desktop"_s);
    const QString apps = cli({u"apps"_s}).out;
    EXPECT_FALSE(apps.contains(u"viewer.desktop"_s));
    EXPECT_FALSE(apps.contains(u"hidden.desktop"_s));
    EXPECT_TRUE(apps.contains(u"other.desktop"_s));
}

TEST(DesktopCli, SetWritesWhatGLibThenReadsAndKeepsTheRestOfTheFile)
{
    const MimeAppsSandbox sandbox;
    sandbox.write(u"data1/applications/a.desktop"_s, entry("text/plain;text/markdown;"));
    sandbox.write(u"data1/applications/b.desktop"_s, entry("text/plain;"));
    sandbox.write(u"data1/applications/sub/c.desktop"_s, entry("text/plain;"));
    const QByteArray before = "# Chosen by hand; keep.\n"
                              "[Default Applications]\n"
                              "text/plain=a.desktop;b.desktop;\n"
                              "image/png=gone.desktop;\n"
                              "\n"
                              "[X-Private]\n"
                              "Note=kept\n";
    sandbox.write(u"home/.config/mimeapps.list"_s, before);

    const DesktopRun set = cli({u"set"_s, u"text/plain"_s, u"sub-c.desktop"_s});
    ASSERT_EQ(set.status, 0) << qPrintable(set.out + set.err);
    EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s), "# Chosen by hand; keep.\n"
                                                             "[Default Applications]\n"
                                                             "text/plain=sub-c.desktop;a.desktop;b.desktop;\n"
                                                             "image/png=gone.desktop;\n"
                                                             "\n"
                                                             "[X-Private]\n"
                                                             "Note=kept\n"
                                                             "\n"
                                                             "[Added Associations]\n"
                                                             "text/plain=sub-c.desktop;\n");
    expectDefaults(sandbox, {{u"text/plain"_s, u"sub-c.desktop"_s}});

    // By extension, and a snapshot puts the earlier handler back.
    ASSERT_EQ(cli({u"set"_s, u".md"_s, u"b.desktop"_s}).status, 0);
    expectDefaults(sandbox, {{u"text/markdown"_s, u"b.desktop"_s}});
    EXPECT_EQ(cli({u"get"_s, u"text/plain"_s, u"--role"_s, u"shell"_s}).status, 2) << "a desktop has no shell role";
}

TEST(DesktopCli, AChangeThatADesktopListOverridesFailsNamingThatList)
{
    const MimeAppsSandbox sandbox("GNOME");
    sandbox.write(u"data1/applications/browser.desktop"_s, entry("text/html;"));
    sandbox.write(u"data1/applications/editor.desktop"_s, entry("text/html;"));
    sandbox.write(u"home/.config/gnome-mimeapps.list"_s, "[Default Applications]\ntext/html=browser.desktop;\n");

    const DesktopRun set = cli({u"set"_s, u"text/html"_s, u"editor.desktop"_s, u"--language"_s, u"en"_s});
    EXPECT_NE(set.status, 0);
    EXPECT_TRUE((set.out + set.err).contains(sandbox.configHome() + u"/gnome-mimeapps.list"_s))
        << qPrintable(set.out + set.err);
    expectDefaults(sandbox, {{u"text/html"_s, u"browser.desktop"_s}});
    const DesktopRun reports = cli({u"reports"_s});
    EXPECT_EQ(reports.status, 0);
    EXPECT_FALSE(reports.out.trimmed().isEmpty()) << "the failure left a report";

    // The report and `why` both say which list keeps the answer.
    const DesktopRun shown =
        cli({u"reports"_s, u"--show"_s, reports.out.section(u' ', 0, 0), u"--language"_s, u"en"_s});
    EXPECT_TRUE(shown.out.contains(u"\nWhy: set in ~/.config/gnome-mimeapps.list\n"_s)) << qPrintable(shown.out);
    const DesktopRun why = cli({u"why"_s, u"text/html"_s, u"--language"_s, u"en"_s});
    EXPECT_EQ(why.out, u"browser.desktop\nset in ~/.config/gnome-mimeapps.list\n"_s);
}

TEST(DesktopCli, TypesTheDesktopUsesButTheDatabaseLacksAndOnlyDeclaredParents)
{
    const MimeAppsSandbox sandbox;
    sandbox.write(u"data1/applications/browser.desktop"_s,
                  entry("x-scheme-handler/http;x-scheme-handler/https;image/x-tessik-picture;"));
    sandbox.write(u"data1/applications/editor.desktop"_s, entry("text/plain;"));
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Default Applications]\ntext/plain=editor.desktop;\n"
                                                   "x-scheme-handler/https=browser.desktop;\n");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    expectDefaults(sandbox, {
                                {u"x-scheme-handler/http"_s, u"browser.desktop"_s},
                                {u"x-scheme-handler/https"_s, u"browser.desktop"_s},
                                {u"image/x-tessik-picture"_s, u"browser.desktop"_s},
                                // A text type that declares no parent has no fallback to text/plain.
                                {u"text/x-gcode-gx"_s, QString()},
                                {u"text/x-csrc"_s, u"editor.desktop"_s},
                            });
    const DesktopRun set = cli({u"set"_s, u"x-scheme-handler/http"_s, u"browser.desktop"_s});
    EXPECT_EQ(set.status, 0) << qPrintable(set.out + set.err);
    EXPECT_EQ(cli({u"get"_s, u"image/x-nobody-declares"_s}).status, 2) << "not a type of this desktop";
    EXPECT_EQ(cli({u"set"_s, u"image/x-nobody-declares"_s, u"browser.desktop"_s}).status, 2)
        << "not a type of this desktop";
}

TEST(DesktopCli, TargetsAndApplicationsAreReadAsOnTheMacAndLinksAreRefused)
{
    const MimeAppsSandbox sandbox;
    sandbox.write(u"data1/applications/org.example.Mail.desktop"_s,
                  "[Desktop Entry]\nType=Application\nName=Post\nExec=true %u\nMimeType=x-scheme-handler/mailto;\n");
    sandbox.write(u"data1/applications/org.example.Editor.desktop"_s,
                  "[Desktop Entry]\nType=Application\nName=Scribe\nExec=true %f\nMimeType=text/plain;\n");
    sandbox.write(u"data1/applications/viewer.desktop"_s, entry("text/plain;application/pdf;"));

    // A scheme an application declares is no extension: nothing is registered or written.
    const DesktopRun link = cli({u"set"_s, u"mailto"_s, u"org.example.Mail.desktop"_s, u"--language"_s, u"en"_s});
    EXPECT_EQ(link.status, 2);
    EXPECT_TRUE(link.err.contains(u"(mailto:)"_s)) << qPrintable(link.err);
    EXPECT_FALSE(QFile::exists(sandbox.configHome() + u"/mimeapps.list"_s));
    EXPECT_FALSE(QDir(sandbox.dataHome() + u"/mime"_s).exists());

    // The desktop file ID without its suffix, any case, or the application's name.
    ASSERT_EQ(cli({u"set"_s, u"text/plain"_s, u"org.example.editor"_s}).status, 0);
    EXPECT_EQ(cliDefault(u"text/plain"_s), u"org.example.Editor.desktop"_s);
    ASSERT_EQ(cli({u"set"_s, u"txt"_s, u"viewer"_s}).status, 0);
    EXPECT_EQ(cliDefault(u"text/plain"_s), u"viewer.desktop"_s);
    ASSERT_EQ(cli({u"set"_s, u"txt"_s, u"Scribe"_s}).status, 0);
    EXPECT_EQ(cliDefault(u"./notes.txt"_s), u"org.example.Editor.desktop"_s) << "a file is read as its type";

    // A file by its content as well as its name.
    const QString pdf = sandbox.write(u"files/scan"_s, "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    EXPECT_EQ(cli({u"type"_s, pdf}).out, u"application/pdf\n"_s);

    // Handlers of one type, as gio lists them.
    const QJsonObject listed =
        QJsonDocument::fromJson(cli({u"apps"_s, u"--for"_s, u"txt"_s, u"--json"_s}).out.toUtf8()).object();
    QStringList ids, defaults;
    for (const QJsonValue& app : listed.value("apps"_L1).toArray()) {
        ids.append(app.toObject().value("bundleIdentifier"_L1).toString());
        if (app.toObject().value("isDefault"_L1).toBool())
            defaults.append(ids.constLast());
    }
    EXPECT_TRUE(ids.contains(u"viewer.desktop"_s) && ids.contains(u"org.example.Editor.desktop"_s))
        << qPrintable(ids.join(u' '));
    EXPECT_EQ(defaults, QStringList{u"org.example.Editor.desktop"_s});

    // An unclaimed extension gets a MIME type of its own, and the output says so.
    const DesktopRun fresh = cli({u"set"_s, u"zzq"_s, u"viewer.desktop"_s, u"--language"_s, u"en"_s});
    ASSERT_EQ(fresh.status, 0) << qPrintable(fresh.out + fresh.err);
    EXPECT_TRUE(fresh.out.contains(u"Registered a new MIME type for .zzq: application/x-extension-zzq"_s))
        << qPrintable(fresh.out);
}

TEST(DesktopCli, ConcurrentSetsOfUnclaimedExtensionsKeepEveryType)
{
    const MimeAppsSandbox sandbox;
    if (QStandardPaths::findExecutable(u"update-mime-database"_s).isEmpty())
        GTEST_SKIP() << "update-mime-database is not installed";
    sandbox.write(u"data1/applications/a.desktop"_s, entry("text/plain;"));
    // Each process writes its package and rebuilds the database; a rebuild that read the packages before another
    // process's was in must not be the last word.
    constexpr int processes = 6;
    QStringList expected;
    for (int round = 0; round < 2; ++round) {
        std::vector<std::unique_ptr<QProcess>> running;
        for (int i = 0; i < processes; ++i) {
            const QString extension = u"tsk%1x%2"_s.arg(round).arg(i);
            expected.append(u"application/x-extension-%1:*.%1"_s.arg(extension));
            auto& process = running.emplace_back(std::make_unique<QProcess>());
            process->setProcessEnvironment(desktopEnvironment());
            process->start(QString::fromUtf8(TESSIK_CLI_PATH), {u"set"_s, u"."_s + extension, u"a.desktop"_s});
        }
        for (const auto& process : running) {
            ASSERT_TRUE(process->waitForFinished(60000));
            EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().constData();
        }
    }
    const QString globs = QString::fromUtf8(sandbox.read(u"home/.local/share/mime/globs2"_s));
    for (const QString& line : expected)
        EXPECT_TRUE(globs.contains(line)) << qPrintable(line);
}

TEST(DesktopCli, ATypeNameThatIsNotOneIsNeverListedResolvedOrWritten)
{
    const MimeAppsSandbox sandbox;
    // The desktop entry escape \n is a line break: the name would write a group of its own into the list.
    sandbox.write(u"data1/applications/evil.desktop"_s,
                  entry("text/plain;#x-evil/doc\\n[Default Applications]\\nx-scheme-handler/https;"));
    const QString evil = u"#x-evil/doc\n[Default Applications]\nx-scheme-handler/https"_s;
    const DesktopRun formats = cli({u"formats"_s, u"--json"_s});
    EXPECT_EQ(formats.status, 0) << qPrintable(formats.err);
    EXPECT_FALSE(formats.out.contains(u"x-evil"_s)) << qPrintable(formats.out);
    EXPECT_NE(cli({u"get"_s, evil}).status, 0);
    EXPECT_NE(cli({u"set"_s, evil, u"evil.desktop"_s}).status, 0);
    EXPECT_FALSE(QFileInfo::exists(sandbox.environment.userMimeAppsList()));
    expectDefaults(sandbox, {{u"x-scheme-handler/https"_s, QString()}});
}

TEST(DesktopCli, AnAliasInAnySpellingIsItsTypeAndListKeysAreReadAsTheDatabaseSpellsThem)
{
    // The database spells this alias of image/bmp image/x-MS-bmp; entries write it either way.
    const MimeAppsSandbox sandbox;
    sandbox.write(u"data1/applications/lower.desktop"_s, entry("image/x-ms-bmp;"));
    sandbox.write(u"data1/applications/upper.desktop"_s, entry("image/x-MS-bmp;"));
    sandbox.write(u"data1/applications/plain.desktop"_s, entry("image/bmp;"));
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));

    // One row, the database's type, with every application that declares it in any spelling.
    const DesktopRun formats = cli({u"formats"_s, u"--json"_s});
    ASSERT_EQ(formats.status, 0) << qPrintable(formats.err);
    QStringList rows, capable;
    for (const QJsonValue& row : QJsonDocument::fromJson(formats.out.toUtf8()).array()) {
        if (!row["extensions"_L1].toArray().contains(u"bmp"_s))
            continue;
        rows.append(row["typeIdentifier"_L1].toString());
        if (rows.constLast() == u"image/bmp"_s)
            for (const QJsonValue& app : row["capableApps"_L1].toArray())
                capable.append(app.toString());
    }
    capable.sort();
    EXPECT_EQ(rows.join(u' ').toStdString(), "image/bmp");
    EXPECT_EQ(capable.join(u' ').toStdString(), "lower.desktop plain.desktop upper.desktop");

    // Every spelling a person types is image/bmp, whose default is read from the keys GLib reads for it: the
    // database's spellings. GLib takes an image/x-ms-bmp key for a type of its own, which no file has.
    const auto expectEverySpelling = [&](const QString& id) {
        for (const QString& spelling :
             {u"image/bmp"_s, u"image/x-ms-bmp"_s, u"image/x-MS-bmp"_s, u"IMAGE/X-BMP"_s, u"bmp"_s})
            EXPECT_EQ(cliDefault(spelling).toStdString(), id.toStdString()) << qPrintable(spelling);
        for (const QString& type : {u"image/bmp"_s, u"image/x-MS-bmp"_s})
            if (const auto gio = sandbox.gioDefault(type)) {
                EXPECT_EQ(gio->toStdString(), id.toStdString()) << "gio mime " << qPrintable(type);
            }
    };
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Default Applications]\nimage/x-ms-bmp=lower.desktop;\n");
    expectEverySpelling(u"plain.desktop"_s);
    sandbox.write(u"home/.config/mimeapps.list"_s,
                  "[Default Applications]\nimage/x-ms-bmp=lower.desktop;\nimage/x-MS-bmp=upper.desktop;\n");
    expectEverySpelling(u"upper.desktop"_s);

    // Set by either spelling, the type's own line is written and the other key is left as it was.
    const DesktopRun set = cli({u"set"_s, u"image/x-ms-bmp"_s, u"plain.desktop"_s});
    ASSERT_EQ(set.status, 0) << qPrintable(set.out + set.err);
    expectEverySpelling(u"plain.desktop"_s);
    EXPECT_TRUE(sandbox.read(u"home/.config/mimeapps.list"_s).contains("\nimage/x-ms-bmp=lower.desktop;\n"));
}
