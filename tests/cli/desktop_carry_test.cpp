#include "mime_apps_sandbox.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct CliOutcome
{
    int status = -1;
    QString out;
    QString err;
};

// tessik-cli on the sandbox's desktop: no system root, no locale of the host.
CliOutcome cli(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys())
        if (name.startsWith(u"LC_"_s) || name == u"LANG"_s || name == u"LANGUAGE"_s || name == u"TESSIK_SYSTEM_ROOT"_s)
            environment.remove(name);
    process.setProcessEnvironment(environment);
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

// Ours and, where gio is installed, GLib's answer.
void expectDefault(const MimeAppsSandbox& sandbox, const QString& type, const QString& id)
{
    const CliOutcome get = cli({u"get"_s, type});
    EXPECT_EQ(get.out.trimmed(), id) << qPrintable(type);
    if (const auto gio = sandbox.gioDefault(type)) {
        EXPECT_EQ(*gio, id) << "gio mime " << qPrintable(type);
    }
}

} // namespace

TEST(DesktopCarry, ExportChangeAndImportBackRestoresTheUsersDefaultsAsGLibReadsThem)
{
    const MimeAppsSandbox sandbox;
    sandbox.addApplication(u"data1"_s, u"a.desktop"_s, "text/plain;text/markdown;image/png;x-scheme-handler/mailto;");
    sandbox.addApplication(u"data1"_s, u"b.desktop"_s, "text/plain;text/markdown;image/png;x-scheme-handler/mailto;");
    // A list of the system's is no choice of the user's; a missing first entry gives way to the installed one.
    sandbox.write(u"etc1/mimeapps.list"_s, "[Default Applications]\nimage/png=b.desktop;\n");
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Default Applications]\n"
                                                   "text/plain=gone.desktop;a.desktop;\n"
                                                   "text/markdown=a.desktop;\n"
                                                   "x-scheme-handler/mailto=a.desktop;\n");

    const QString file = sandbox.path(u"home/defaults.json"_s);
    ASSERT_EQ(cli({u"export"_s, file}).status, 0);
    QFile exported(file);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    QStringList rows;
    for (const QJsonValue& value : QJsonDocument::fromJson(exported.readAll()).object().value("defaults"_L1).toArray())
        rows.append(value["type"_L1].toString() + u' ' + value["role"_L1].toString() + u' ' +
                    value["bundleIdentifier"_L1].toString());
    EXPECT_EQ(rows, (QStringList{u"mailto: all a.desktop"_s, u"text/markdown all a.desktop"_s,
                                 u"text/plain all a.desktop"_s}));

    ASSERT_EQ(cli({u"set"_s, u"text/plain"_s, u"b.desktop"_s}).status, 0);
    ASSERT_EQ(cli({u"set"_s, u".md"_s, u"b.desktop"_s}).status, 0);
    ASSERT_EQ(cli({u"set"_s, u"mailto:"_s, u"b.desktop"_s}).status, 0);
    expectDefault(sandbox, u"x-scheme-handler/mailto"_s, u"b.desktop"_s);
    expectDefault(sandbox, u"text/plain"_s, u"b.desktop"_s);
    EXPECT_EQ(cli({u"import"_s, file, u"--check"_s}).status, 3);

    const CliOutcome imported = cli({u"import"_s, file});
    EXPECT_EQ(imported.status, 0) << qPrintable(imported.out + imported.err);
    expectDefault(sandbox, u"text/plain"_s, u"a.desktop"_s);
    expectDefault(sandbox, u"text/markdown"_s, u"a.desktop"_s);
    expectDefault(sandbox, u"image/png"_s, u"b.desktop"_s);
    expectDefault(sandbox, u"x-scheme-handler/mailto"_s, u"a.desktop"_s);
    EXPECT_EQ(cli({u"import"_s, file, u"--check"_s}).status, 0);
}
