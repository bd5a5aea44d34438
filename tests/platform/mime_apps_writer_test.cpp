#include "mime_apps_sandbox.h"
#include "platform/ns_error.h"
#include "platform/xdg/mime_apps_writer.h"

#include <QDateTime>

#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace Qt::StringLiterals;
using tessik::platform::MimeAppsWriter;
using tessik::platform::NSError;

const QStringList pdfAliases{u"application/x-pdf"_s, u"image/pdf"_s};

TEST(MimeAppsWriter, EditsOnlyTheTypesEntries)
{
    MimeAppsSandbox sandbox;
    for (const QString& id : {u"a.desktop"_s, u"b.desktop"_s, u"reader.desktop"_s, u"old.desktop"_s})
        sandbox.addApplication(u"data1"_s, id);
    sandbox.write(u"home/.config/mimeapps.list"_s, "# my defaults\n"
                                                   "[Default Applications]\n"
                                                   "application/x-pdf=old.desktop;\n"
                                                   "text/plain=b.desktop;c.desktop\n"
                                                   "image/png=viewer.desktop;\n"
                                                   "\n"
                                                   "[Unknown Group]\n"
                                                   "# keep me\n"
                                                   "key = value\n"
                                                   "\n"
                                                   "[Added Associations]\n"
                                                   "text/plain=c.desktop;\n"
                                                   "image/png=viewer.desktop;\n"
                                                   "[Removed Associations]\n"
                                                   "text/plain=a.desktop;x.desktop;\n"
                                                   "application/pdf=reader.desktop;\n"
                                                   "image/png=a.desktop;\n");
    sandbox.expectDefault({u"application/pdf"_s}, u"old.desktop"_s);

    MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"a.desktop"_s);
    MimeAppsWriter::setDefault(sandbox.environment, u"application/pdf"_s, pdfAliases, u"reader.desktop"_s);
    EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s), "# my defaults\n"
                                                             "[Default Applications]\n"
                                                             "text/plain=a.desktop;b.desktop;c.desktop;\n"
                                                             "image/png=viewer.desktop;\n"
                                                             "application/pdf=reader.desktop;old.desktop;\n"
                                                             "\n"
                                                             "[Unknown Group]\n"
                                                             "# keep me\n"
                                                             "key = value\n"
                                                             "\n"
                                                             "[Added Associations]\n"
                                                             "text/plain=c.desktop;a.desktop;\n"
                                                             "image/png=viewer.desktop;\n"
                                                             "application/pdf=reader.desktop;\n"
                                                             "[Removed Associations]\n"
                                                             "text/plain=x.desktop;\n"
                                                             "image/png=a.desktop;\n");
    sandbox.expectDefault({u"application/pdf"_s}, u"reader.desktop"_s);
    sandbox.expectDefault({u"text/plain"_s}, u"a.desktop"_s);

    // Setting it again changes nothing.
    const QByteArray before = sandbox.read(u"home/.config/mimeapps.list"_s);
    MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"a.desktop"_s);
    EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s), before);
}

TEST(MimeAppsWriter, FoldsAliasEntriesInFileOrderBehindTheNewDefault)
{
    MimeAppsSandbox sandbox;
    for (const QString& id : {u"a.desktop"_s, u"b.desktop"_s, u"c.desktop"_s})
        sandbox.addApplication(u"data1"_s, id);
    sandbox.write(u"home/.config/mimeapps.list"_s,
                  "[Default Applications]\napplication/x-pdf=a.desktop;\napplication/pdf=b.desktop;\n");
    const auto expectDefault = [&](const QString& expected) {
        sandbox.expectDefault({u"application/pdf"_s}, expected);
    };
    expectDefault(u"a.desktop"_s);

    MimeAppsWriter::setDefault(sandbox.environment, u"application/pdf"_s, pdfAliases, u"c.desktop"_s);
    EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s),
              "[Default Applications]\napplication/pdf=c.desktop;a.desktop;b.desktop;\n\n"
              "[Added Associations]\napplication/pdf=c.desktop;\n");
    expectDefault(u"c.desktop"_s);
    // The fallbacks still come in the order they were in effect.
    QFile::remove(sandbox.path(u"data1/applications/c.desktop"_s));
    expectDefault(u"a.desktop"_s);
    QFile::remove(sandbox.path(u"data1/applications/a.desktop"_s));
    expectDefault(u"b.desktop"_s);
}

TEST(MimeAppsWriter, LeavesKeysOfAnotherCaseAlone)
{
    MimeAppsSandbox sandbox;
    for (const QString& id : {u"a.desktop"_s, u"b.desktop"_s})
        sandbox.addApplication(u"data1"_s, id);
    const QByteArray mixed = "[Default Applications]\n"
                             "Text/Plain=a.desktop;\n"
                             "Application/X-PDF=a.desktop;\n"
                             "[Added Associations]\n"
                             "Text/Plain=a.desktop;\n"
                             "[Removed Associations]\n"
                             "TEXT/PLAIN=b.desktop;\n";
    sandbox.write(u"home/.config/mimeapps.list"_s, mixed);
    sandbox.expectDefault({u"text/plain"_s}, QString());
    sandbox.expectDefault({u"application/pdf"_s}, QString());

    MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"b.desktop"_s);
    MimeAppsWriter::setDefault(sandbox.environment, u"application/pdf"_s, pdfAliases, u"b.desktop"_s);
    EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s), "[Default Applications]\n"
                                                             "Text/Plain=a.desktop;\n"
                                                             "Application/X-PDF=a.desktop;\n"
                                                             "text/plain=b.desktop;\n"
                                                             "application/pdf=b.desktop;\n"
                                                             "[Added Associations]\n"
                                                             "Text/Plain=a.desktop;\n"
                                                             "text/plain=b.desktop;\n"
                                                             "application/pdf=b.desktop;\n"
                                                             "[Removed Associations]\n"
                                                             "TEXT/PLAIN=b.desktop;\n");
    for (const QString& type : {u"text/plain"_s, u"application/pdf"_s})
        sandbox.expectDefault({type}, u"b.desktop"_s);
}

TEST(MimeAppsWriter, KeepsLinesThatAreNotUtf8ByteForByte)
{
    MimeAppsSandbox sandbox;
    sandbox.addApplication(u"data1"_s, u"reader.desktop"_s);
    // An alias entry that cannot be read stands in the way of nothing, so it is not folded in either.
    sandbox.write(u"home/.config/mimeapps.list"_s, "# caf\xe9\n"
                                                   "[Default Applications]\n"
                                                   "application/x-pdf=\xff;\n"
                                                   "image/png=\xfe.desktop;\n"
                                                   "[Other \xff]\n"
                                                   "k=\xff\n");
    MimeAppsWriter::setDefault(sandbox.environment, u"application/pdf"_s, pdfAliases, u"reader.desktop"_s);
    EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s), "# caf\xe9\n"
                                                             "[Default Applications]\n"
                                                             "application/x-pdf=\xff;\n"
                                                             "image/png=\xfe.desktop;\n"
                                                             "application/pdf=reader.desktop;\n"
                                                             "[Other \xff]\n"
                                                             "k=\xff\n"
                                                             "\n"
                                                             "[Added Associations]\n"
                                                             "application/pdf=reader.desktop;\n");
    sandbox.expectDefault({u"application/pdf"_s}, u"reader.desktop"_s);
}

TEST(MimeAppsWriter, CreatesAPrivateFileAndKeepsPermissionsAndLinks)
{
    MimeAppsSandbox sandbox;
    const QString list = sandbox.environment.userMimeAppsList();
    MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"a.desktop"_s);
    EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s),
              "[Default Applications]\ntext/plain=a.desktop;\n\n[Added Associations]\ntext/plain=a.desktop;\n");
    EXPECT_EQ(QFile::permissions(list),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);

    const QFileDevice::Permissions shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                            QFileDevice::WriteUser | QFileDevice::ReadGroup;
    QFile::setPermissions(list, shared);
    MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"b.desktop"_s);
    EXPECT_EQ(QFile::permissions(list), shared);

    // A list kept elsewhere and linked in: the target is edited, the link stays.
    sandbox.write(u"dotfiles/mimeapps.list"_s, "[Default Applications]\nimage/png=a.desktop;");
    QFile::remove(list);
    ASSERT_TRUE(QFile::link(sandbox.path(u"dotfiles/mimeapps.list"_s), list));
    MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"b.desktop"_s);
    EXPECT_TRUE(QFileInfo(list).isSymLink());
    EXPECT_EQ(sandbox.read(u"dotfiles/mimeapps.list"_s), "[Default Applications]\nimage/png=a.desktop;\n"
                                                         "text/plain=b.desktop;\n\n"
                                                         "[Added Associations]\ntext/plain=b.desktop;");
}

TEST(MimeAppsWriter, RefusesWhatItCannotReadWithoutTouchingIt)
{
    MimeAppsSandbox sandbox;
    const QString list = sandbox.environment.userMimeAppsList();
    QDir().mkpath(sandbox.configHome());
    const auto expectError = [&](qint64 code) {
        try {
            MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"a.desktop"_s);
            ADD_FAILURE() << "no error";
        } catch (const NSError& error) {
            EXPECT_EQ(error.domain(), tessik::platform::NSCocoaErrorDomain);
            EXPECT_EQ(error.code(), code);
            EXPECT_EQ(error.filePath(), list);
        }
    };

    ASSERT_EQ(::mkfifo(QFile::encodeName(list).constData(), 0600), 0);
    expectError(tessik::platform::NSFileReadUnknownError);
    QFile::remove(list);

    const QByteArray notAList = "some notes\n[Default Applications]\ntext/plain=b.desktop;\n";
    sandbox.write(u"home/.config/mimeapps.list"_s, notAList);
    expectError(tessik::platform::NSFileReadUnknownError);
    EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s), notAList);

    // A folder that cannot be written, unless the tests run with privileges that ignore folder permissions.
    QFile::remove(list);
    QFile::setPermissions(sandbox.configHome(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(sandbox.configHome() + u"/probe"_s);
    if (!probe.open(QIODevice::WriteOnly))
        expectError(tessik::platform::NSFileWriteUnknownError);
    QFile::setPermissions(sandbox.configHome(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(MimeAppsWriter, AWriterKilledBeforeCommittingLeavesTheOldList)
{
    MimeAppsSandbox sandbox;
    for (const QString& id : {u"a.desktop"_s, u"b.desktop"_s})
        sandbox.addApplication(u"data1"_s, id);
    const QByteArray old = "[Default Applications]\ntext/plain=a.desktop;\n";
    sandbox.write(u"home/.config/mimeapps.list"_s, old);

    EXPECT_EXIT(
        {
            MimeAppsWriter::setBeforeCommitHook([] { std::raise(SIGKILL); });
            MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"b.desktop"_s);
            std::exit(0);
        },
        testing::KilledBySignal(SIGKILL), "");

    EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s), old);
    sandbox.expectDefault({u"text/plain"_s}, u"a.desktop"_s);
    for (const QString& name : QDir(sandbox.configHome()).entryList(QDir::Files | QDir::System))
        EXPECT_TRUE(name == u"mimeapps.list"_s || !name.endsWith(u"mimeapps.list"_s)) << qPrintable(name);

    // The dead writer's lock does not hold up the next one.
    MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"b.desktop"_s);
    sandbox.expectDefault({u"text/plain"_s}, u"b.desktop"_s);
}

TEST(MimeAppsWriter, ConcurrentWritersLoseNoChange)
{
    MimeAppsSandbox sandbox;
    constexpr int writers = 8;
    std::vector<std::thread> threads;
    for (int i = 0; i < writers; ++i)
        threads.emplace_back([&, i] {
            for (int round = 0; round < 5; ++round)
                MimeAppsWriter::setDefault(sandbox.environment, u"text/x-type%1"_s.arg(i), {},
                                           u"app%1-%2.desktop"_s.arg(i).arg(round));
        });
    for (std::thread& thread : threads)
        thread.join();
    const QByteArray list = sandbox.read(u"home/.config/mimeapps.list"_s);
    for (int i = 0; i < writers; ++i) {
        // The newest default first; the added associations in the order they came.
        for (const QString& ids :
             {u"app%1-4.desktop;app%1-3.desktop;app%1-2.desktop;app%1-1.desktop;app%1-0.desktop;"_s,
              u"app%1-0.desktop;app%1-1.desktop;app%1-2.desktop;app%1-3.desktop;app%1-4.desktop;"_s})
            EXPECT_TRUE(list.contains((u"text/x-type%1="_s + ids + u"\n"_s).arg(i).toUtf8())) << list.constData();
    }
}

TEST(MimeAppsWriter, WritesNoTypeNameThatIsNotOneAndLeavesListsGLibRejectsAlone)
{
    MimeAppsSandbox sandbox;
    for (const QString& id : {u"a.desktop"_s, u"b.desktop"_s, u"evil.desktop"_s})
        sandbox.addApplication(u"data1"_s, id);
    const QString list = sandbox.environment.userMimeAppsList();
    const QByteArray good = "[Default Applications]\ntext/plain=a.desktop;\n";
    sandbox.write(u"home/.config/mimeapps.list"_s, good);
    const auto expectRefused = [&](const QString& type, const QByteArray& contents) {
        try {
            MimeAppsWriter::setDefault(sandbox.environment, type, {}, u"evil.desktop"_s);
            ADD_FAILURE() << "no error for " << contents.toPercentEncoding().constData();
        } catch (const NSError& error) {
            EXPECT_EQ(error.filePath(), list);
        }
        EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s), contents);
    };

    for (const QString& type : {u"#x-evil/doc\n[Default Applications]\nx-scheme-handler/https"_s, u"text/plain;"_s,
                                u"text/plain=x"_s, u"text/pla in"_s, u"text/"_s, u"/plain"_s, u"text"_s})
        expectRefused(type, good);
    sandbox.expectDefault({u"x-scheme-handler/https"_s}, QString());

    // Lists GLib refuses as a whole: it keeps its answer, and so does the list.
    for (const QByteArray& line : {QByteArray("[]\n"), QByteArray("[Bad\x01Group]\n"), QByteArray("a]b=c;\n"),
                                   QByteArray("a[b=c;\n"), QByteArray("a\0=b;\n", 6)}) {
        const QByteArray rejected = good + line;
        sandbox.write(u"home/.config/mimeapps.list"_s, rejected);
        expectRefused(u"text/plain"_s, rejected);
        sandbox.expectDefault({u"text/plain"_s}, QString());
    }
    const QByteArray crLines = "[Default Applications]\r\r\ntext/plain=a.desktop;\r\r\n";
    sandbox.write(u"home/.config/mimeapps.list"_s, crLines);
    expectRefused(u"text/plain"_s, crLines);
}

TEST(MimeAppsWriter, CleansUpAfterAKilledWriterAndJudgesALinkBeforeLocking)
{
    MimeAppsSandbox sandbox;
    const QString list = sandbox.environment.userMimeAppsList();
    QDir().mkpath(sandbox.configHome());
    // Left by a writer killed as it renamed; a young one may belong to a writer still at work.
    const QString stale = sandbox.write(u"home/.config/mimeapps.list.Ab3xYz"_s, "[Default Applications]\n");
    const QString young = sandbox.write(u"home/.config/mimeapps.list.Qr7pLm"_s, "[Default Applications]\n");
    const QString other = sandbox.write(u"home/.config/mimeapps.list.backup"_s, "mine");
    QFile file(stale);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    file.close();
    MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"a.desktop"_s);
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(young));
    EXPECT_TRUE(QFileInfo::exists(other));

    // A link to something that is not a regular file, or into folders that are not there: nothing is made beside
    // its target, no lock and no folder.
    QFile::remove(list);
    const QString fifo = sandbox.path(u"elsewhere/fifo"_s);
    QDir().mkpath(sandbox.path(u"elsewhere"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& target :
         {fifo, sandbox.path(u"elsewhere"_s), sandbox.path(u"missing/deeper/mimeapps.list"_s)}) {
        QFile::remove(list);
        ASSERT_TRUE(QFile::link(target, list));
        EXPECT_THROW(MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"a.desktop"_s), NSError)
            << qPrintable(target);
    }
    EXPECT_EQ(QDir(sandbox.path(u"elsewhere"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              QStringList{u"fifo"_s});
    EXPECT_FALSE(QFileInfo::exists(sandbox.path(u"missing"_s)));
    EXPECT_FALSE(QFileInfo::exists(sandbox.path(u"elsewhere.lock"_s)));
}
