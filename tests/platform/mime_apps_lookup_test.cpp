#include "mime_apps_sandbox.h"
#include "platform/lookup_batch.h"
#include "platform/xdg/key_file_document.h"
#include "platform/xdg/mime_apps_lookup.h"
#include "platform/xdg/mime_apps_writer.h"

#include <QElapsedTimer>

#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using tessik::platform::MimeAppsLookup;

namespace {

void addApplications(const MimeAppsSandbox& sandbox, const QStringList& ids)
{
    for (const QString& id : ids)
        sandbox.addApplication(u"data1"_s, id);
}

} // namespace

TEST(MimeAppsLookup, WalksTheBaseDirectoriesInOrderAndSkipsMissingApplications)
{
    MimeAppsSandbox sandbox;
    const QStringList winners{u"a.desktop"_s, u"b.desktop"_s, u"c.desktop"_s, u"d.desktop"_s, u"e.desktop"_s};
    addApplications(sandbox, winners);
    const QStringList files{u"home/.config/mimeapps.list"_s, u"etc1/mimeapps.list"_s, u"etc2/mimeapps.list"_s,
                            u"home/.local/share/applications/mimeapps.list"_s, u"data1/applications/mimeapps.list"_s};
    for (qsizetype i = 0; i < files.size(); ++i)
        sandbox.write(files[i], "[Default Applications]\ntext/plain=gone.desktop;" + winners[i].toUtf8() + "\n");

    for (qsizetype i = 0; i < files.size(); ++i) {
        EXPECT_EQ(sandbox.lookup().defaultApplication(sandbox.environment, {u"text/plain"_s}),
                  (MimeAppsLookup::Choice{winners[i], sandbox.path(files[i])}));
        sandbox.expectDefault({u"text/plain"_s}, winners[i]);
        QFile::remove(sandbox.path(files[i]));
    }
    sandbox.expectDefault({u"text/plain"_s}, QString());
}

TEST(MimeAppsLookup, DesktopFilesGiveDefaultsOnlyAndAnEmptyDesktopNamesNone)
{
    MimeAppsSandbox sandbox("KDE:GNOME");
    addApplications(sandbox, {u"a.desktop"_s, u"b.desktop"_s, u"c.desktop"_s});
    sandbox.addApplication(u"data1"_s, u"viewer.desktop"_s, "image/png;text/plain;");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Default Applications]\ntext/plain=c.desktop;\n");
    sandbox.write(u"home/.config/gnome-mimeapps.list"_s, "[Default Applications]\ntext/plain=b.desktop;\n");
    sandbox.write(u"home/.config/kde-mimeapps.list"_s,
                  "[Default Applications]\ntext/plain=a.desktop;\n[Added Associations]\nimage/png=a.desktop;\n"
                  "[Removed Associations]\ntext/plain=viewer.desktop;\n");
    sandbox.expectDefault({u"text/plain"_s}, u"a.desktop"_s);
    sandbox.expectDefault({u"image/png"_s}, u"viewer.desktop"_s);
    EXPECT_TRUE(sandbox.lookup().associatedIds(sandbox.environment, {u"text/plain"_s}).contains(u"viewer.desktop"_s));
    QFile::remove(sandbox.path(u"data1/applications/a.desktop"_s));
    sandbox.expectDefault({u"text/plain"_s}, u"b.desktop"_s);

    MimeAppsSandbox plain(":");
    plain.addApplication(u"data1"_s, u"a.desktop"_s);
    plain.addApplication(u"data1"_s, u"b.desktop"_s);
    plain.write(u"home/.config/-mimeapps.list"_s, "[Default Applications]\ntext/plain=a.desktop;\n");
    plain.write(u"home/.config/mimeapps.list"_s, "[Default Applications]\ntext/plain=b.desktop;\n");
    plain.expectDefault({u"text/plain"_s}, u"b.desktop"_s);
}

TEST(MimeAppsLookup, ReadsKeysAsGLibDoes)
{
    MimeAppsSandbox sandbox;
    addApplications(sandbox, {u"a.desktop"_s, u"b.desktop"_s, u"c.desktop"_s});
    sandbox.write(u"etc1/mimeapps.list"_s, "[Default Applications]\ntext/plain=c.desktop;\ntext/html=c.desktop;\n");
    const QString pdf = u"application/pdf"_s, plain = u"text/plain"_s, html = u"text/html"_s;
    const QList<std::tuple<QByteArray, QString, QString>> cases{
        // An alias key counts as the type; of two entries the earlier one comes first, the later one falls back.
        {"[Default Applications]\napplication/x-pdf=a.desktop;\napplication/pdf=b.desktop;\n", pdf, u"a.desktop"_s},
        {"[Default Applications]\napplication/pdf=b.desktop;\napplication/x-pdf=a.desktop;\n", pdf, u"b.desktop"_s},
        {"[Default Applications]\nimage/pdf=gone.desktop;\napplication/pdf=b.desktop;\n", pdf, u"b.desktop"_s},
        // Keys are case-sensitive.
        {"[Default Applications]\nText/Plain=a.desktop;\n", plain, u"c.desktop"_s},
        // A repeated key counts by its last line only.
        {"[Default Applications]\ntext/plain=a.desktop;\ntext/plain=b.desktop;\n", plain, u"b.desktop"_s},
        {"[Default Applications]\ntext/plain=b.desktop;\ntext/plain=gone.desktop;\n", plain, u"c.desktop"_s},
        // Spaces around the key, CRLF lines and no final semicolon are all fine; a malformed file counts for nothing.
        {"[Default Applications]\n  text/plain = a.desktop\r\n", plain, u"a.desktop"_s},
        {"[Default Applications]\ntext/plain=a.desktop;\nnot a key line\n", plain, u"c.desktop"_s},
        // Bytes that are not UTF-8 lose only the value, key or group they are in.
        {"# caf\xe9\n[Default Applications]\ntext/plain=a.desktop;\n", plain, u"a.desktop"_s},
        {"[Default Applications]\nimage/png=\xff;\ntext/\xff=c;\ntext/plain=a.desktop;\n", plain, u"a.desktop"_s},
        {"[Default Applications]\ntext/plain=a.desktop;\xff.desktop;\ntext/html=b.desktop;\n", plain, u"c.desktop"_s},
        {"[Default Applications]\ntext/plain=a.desktop;\xff.desktop;\ntext/html=b.desktop;\n", html, u"b.desktop"_s},
        // ... even where the last line spoils an earlier, readable one.
        {"[Default Applications]\ntext/plain=a.desktop;\ntext/plain=\xff;\n", plain, u"c.desktop"_s},
        {"[Default Applications]\ntext/plain=a.desktop;\n[Bad \xff]\ntext/html=b.desktop;\n", plain, u"a.desktop"_s},
        {"[Default Applications]\ntext/plain=a.desktop;\n[Bad \xff]\ntext/html=b.desktop;\n", html, u"c.desktop"_s},
        // A line that is no key file line at all still spoils the whole file.
        {"[Default Applications]\ntext/plain=a.desktop;\nnot a key \xff\n", plain, u"c.desktop"_s}};
    for (const auto& [list, type, expected] : cases) {
        sandbox.write(u"home/.config/mimeapps.list"_s, list);
        SCOPED_TRACE(list.constData());
        sandbox.expectDefault({type}, expected);
    }
}

TEST(MimeAppsLookup, FallsBackThroughParentTypesAfterTheTypesOwnAssociations)
{
    MimeAppsSandbox sandbox;
    sandbox.addApplication(u"data1"_s, u"c-editor.desktop"_s, "text/x-csrc;");
    sandbox.addApplication(u"data1"_s, u"cpp-editor.desktop"_s, "text/x-c++src;");
    sandbox.addApplication(u"data1"_s, u"notes.desktop"_s, "text/plain;");
    const QStringList chain{u"text/x-c++src"_s, u"text/x-csrc"_s, u"text/plain"_s};
    sandbox.write(u"home/.config/mimeapps.list"_s,
                  "[Default Applications]\ntext/x-csrc=c-editor.desktop;\ntext/plain=notes.desktop;\n");
    sandbox.expectDefault(chain, u"c-editor.desktop"_s);

    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    sandbox.expectDefault(chain, u"cpp-editor.desktop"_s);
    EXPECT_EQ(sandbox.lookup().defaultApplication(sandbox.environment, chain)->file,
              sandbox.path(u"data1/applications/mimeinfo.cache"_s));
    EXPECT_EQ(sandbox.lookup().associatedIds(sandbox.environment, chain),
              (QStringList{u"cpp-editor.desktop"_s, u"c-editor.desktop"_s, u"notes.desktop"_s}));
}

TEST(MimeAppsLookup, ARemovedAssociationHoldsForTheParentTypesToo)
{
    MimeAppsSandbox sandbox;
    sandbox.addApplication(u"data1"_s, u"a.desktop"_s, "text/plain;");
    sandbox.addApplication(u"data1"_s, u"b.desktop"_s, "text/plain;");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Removed Associations]\ntext/x-csrc=a.desktop;\n");
    const QStringList chain{u"text/x-csrc"_s, u"text/plain"_s};
    sandbox.expectDefault(chain, u"b.desktop"_s);
    EXPECT_EQ(sandbox.lookup().associatedIds(sandbox.environment, chain), QStringList{u"b.desktop"_s});
    sandbox.expectDefault({u"text/plain"_s}, u"a.desktop"_s);
}

TEST(MimeAppsLookup, TakesLegacyDefaultsAndTheCacheLessRemovedAssociations)
{
    MimeAppsSandbox sandbox;
    sandbox.addApplication(u"data1"_s, u"first.desktop"_s, "text/markdown;");
    addApplications(sandbox, {u"legacy.desktop"_s, u"added.desktop"_s});
    sandbox.addApplication(u"data2"_s, u"second.desktop"_s, "text/markdown;");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data2"_s));
    const QStringList chain{u"text/markdown"_s};

    // A removal hides the application from its own folder's cache and later ones, never from earlier folders.
    sandbox.write(u"data2/applications/mimeapps.list"_s, "[Removed Associations]\ntext/markdown=first.desktop;\n");
    sandbox.expectDefault(chain, u"first.desktop"_s);
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Removed Associations]\ntext/markdown=first.desktop;\n");
    sandbox.expectDefault(chain, u"second.desktop"_s);

    sandbox.write(u"etc1/mimeapps.list"_s, "[Added Associations]\ntext/markdown=added.desktop;\n");
    sandbox.expectDefault(chain, u"added.desktop"_s);
    sandbox.write(u"data2/applications/defaults.list"_s, "[Default Applications]\ntext/markdown=legacy.desktop;\n");
    sandbox.expectDefault(chain, u"legacy.desktop"_s);
    EXPECT_EQ(sandbox.lookup().associatedIds(sandbox.environment, chain),
              (QStringList{u"legacy.desktop"_s, u"added.desktop"_s, u"second.desktop"_s}));
}

TEST(MimeAppsLookup, AnApplicationFoldersAssociationsSkipIdsShadowedByAnEarlierFolder)
{
    MimeAppsSandbox sandbox;
    sandbox.addApplication(u"data1"_s, u"a.desktop"_s, "text/html;");
    sandbox.addApplication(u"data1"_s, u"b.desktop"_s, "text/html;");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    // The user's copy says something else, and no cache of the user's folder says anything.
    sandbox.addApplication(u"home/.local/share"_s, u"a.desktop"_s, "image/png;");
    sandbox.expectDefault({u"text/html"_s, u"text/plain"_s}, u"b.desktop"_s);

    // So do that folder's added associations; a config folder's never are, nor are defaults.
    sandbox.write(u"data1/applications/mimeapps.list"_s, "[Added Associations]\ntext/plain=a.desktop;\n");
    sandbox.expectDefault({u"text/plain"_s}, QString());
    sandbox.write(u"etc1/mimeapps.list"_s, "[Added Associations]\ntext/plain=a.desktop;\n");
    sandbox.expectDefault({u"text/plain"_s}, u"a.desktop"_s);
    QFile::remove(sandbox.path(u"etc1/mimeapps.list"_s));
    sandbox.write(u"data1/applications/mimeapps.list"_s, "[Default Applications]\ntext/plain=a.desktop;\n");
    sandbox.expectDefault({u"text/plain"_s}, u"a.desktop"_s);

    // And its removed associations, which would otherwise reach the user's folder through a parent type.
    sandbox.addApplication(u"home/.local/share"_s, u"a.desktop"_s, "text/plain;");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"home/.local/share"_s));
    sandbox.write(u"data1/applications/mimeapps.list"_s, "[Removed Associations]\ntext/x-csrc=a.desktop;\n");
    sandbox.expectDefault({u"text/x-csrc"_s, u"text/plain"_s}, u"a.desktop"_s);
}

TEST(MimeAppsLookup, RereadsOnlyChangedFilesAndNeverOpensAPipe)
{
    MimeAppsSandbox sandbox;
    addApplications(sandbox, {u"a.desktop"_s, u"b.desktop"_s});
    sandbox.write(u"etc1/mimeapps.list"_s, "[Default Applications]\ntext/plain=a.desktop;\n");
    const MimeAppsLookup lookup = sandbox.lookup();
    const auto defaultId = [&] { return lookup.defaultApplication(sandbox.environment, {u"text/plain"_s})->desktopId; };
    EXPECT_EQ(defaultId(), u"a.desktop"_s);
    EXPECT_EQ(defaultId(), u"a.desktop"_s);
    EXPECT_EQ(lookup.fileReads(), 1);

    // Our own write, within the same clock tick, is seen at once.
    tessik::platform::MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"b.desktop"_s);
    EXPECT_EQ(defaultId(), u"b.desktop"_s);
    EXPECT_EQ(lookup.fileReads(), 2);

    QFile::remove(sandbox.environment.userMimeAppsList());
    ASSERT_EQ(::mkfifo(QFile::encodeName(sandbox.environment.userMimeAppsList()).constData(), 0600), 0);
    EXPECT_EQ(defaultId(), u"a.desktop"_s);
    EXPECT_EQ(lookup.fileReads(), 2);
}

TEST(MimeAppsLookup, ABatchLooksAtEachListOnceWhateverItAsks)
{
    using tessik::platform::LookupBatch;
    MimeAppsSandbox sandbox;
    addApplications(sandbox, {u"a.desktop"_s, u"b.desktop"_s});
    sandbox.write(u"etc1/mimeapps.list"_s, "[Default Applications]\ntext/plain=a.desktop;\ntext/html=b.desktop;\n");
    const MimeAppsLookup lookup = sandbox.lookup();
    const auto defaultId = [&](const QStringList& chain) {
        const auto choice = lookup.defaultApplication(sandbox.environment, chain);
        return choice ? choice->desktopId : QString();
    };
    qint64 before = LookupBatch::looks();
    qint64 lists = 0;
    {
        const LookupBatch batch;
        EXPECT_EQ(defaultId({u"text/plain"_s}), u"a.desktop"_s);
        lists = LookupBatch::looks() - before;
        ASSERT_GT(lists, 1);
        EXPECT_EQ(defaultId({u"text/x-csrc"_s, u"text/plain"_s}), u"a.desktop"_s);
        EXPECT_EQ(defaultId({u"text/html"_s}), u"b.desktop"_s);
        EXPECT_TRUE(
            lookup.associatedIds(sandbox.environment, {u"text/markdown"_s, u"text/plain"_s}).contains(u"a.desktop"_s));
        EXPECT_EQ(LookupBatch::looks() - before, lists) << "each list looked at once in the batch";
    }

    // Outside a batch every lookup looks again, and sees another program's change.
    sandbox.write(u"etc1/mimeapps.list"_s, "[Default Applications]\ntext/plain=b.desktop;\n");
    before = LookupBatch::looks();
    EXPECT_EQ(defaultId({u"text/plain"_s}), u"b.desktop"_s);
    EXPECT_GE(LookupBatch::looks() - before, lists);
}

TEST(MimeAppsLookup, ThousandsOfIdsOnOneLineAreReadAndWrittenInLinearTime)
{
    MimeAppsSandbox sandbox;
    constexpr int count = 20000;
    QByteArray ids;
    for (int i = 0; i < count; ++i)
        ids += "gone" + QByteArray::number(i) + ".desktop;";
    const QByteArray list = "[Default Applications]\ntext/plain=" + ids + "\n[Added Associations]\ntext/plain=" + ids +
                            "\n[Removed Associations]\ntext/plain=" + ids + "\n";
    sandbox.write(u"etc1/mimeapps.list"_s, list);
    sandbox.write(u"data1/applications/mimeinfo.cache"_s, "[MIME Cache]\ntext/plain=" + ids + "\n");

    // The floor: reading the same list once. Checking each ID against those before it is thousands of times
    // slower; the best of a few runs keeps a busy machine from deciding.
    qint64 floor = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto document = tessik::platform::KeyFileDocument::parse(list);
        const QStringList split = tessik::platform::KeyFileDocument::splitList(
                                      document.value(u"Default Applications"_s, u"text/plain"_s).value_or(QString()))
                                      .value_or(QStringList());
        floor = std::min(floor, timer.nsecsElapsed());
        ASSERT_EQ(split.size(), count);
    }
    const auto timed = [&](const std::function<void()>& work) {
        qint64 best = std::numeric_limits<qint64>::max();
        for (int run = 0; run < 3 && best > 100 * floor; ++run) {
            QElapsedTimer timer;
            timer.start();
            work();
            best = std::min(best, timer.nsecsElapsed());
        }
        return best;
    };
    const QStringList chain{u"text/x-csrc"_s, u"text/plain"_s};
    const auto notInstalled = [](const QString&) { return false; };
    const auto itself = [](const QString& type) { return type; };
    EXPECT_LE(timed([&] {
                  const MimeAppsLookup lookup(notInstalled, itself, [](const QString&) { return QString(); });
                  EXPECT_FALSE(lookup.defaultApplication(sandbox.environment, chain));
                  EXPECT_TRUE(lookup.associatedIds(sandbox.environment, chain).isEmpty());
              }),
              100 * floor)
        << "floor " << floor << " ns";

    QDir().mkpath(sandbox.configHome());
    QFile::copy(sandbox.path(u"etc1/mimeapps.list"_s), sandbox.environment.userMimeAppsList());
    EXPECT_LE(timed([&] {
                  tessik::platform::MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {},
                                                               u"new.desktop"_s);
              }),
              100 * floor)
        << "floor " << floor << " ns";
}
