#include "mime_apps_sandbox.h"
#include "platform/xdg/mime_apps_lookup.h"
#include "platform/xdg/mime_apps_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using tessik::platform::MimeAppsLookup;

namespace {

MimeAppsLookup lookupIn(const MimeAppsSandbox& sandbox)
{
    return MimeAppsLookup([&](const QString& id) { return sandbox.isInstalled(id); },
                          [](const QString& type) {
                              static const QHash<QString, QString> aliases{
                                  {u"application/x-pdf"_s, u"application/pdf"_s},
                                  {u"image/pdf"_s, u"application/pdf"_s}};
                              return aliases.value(type, type);
                          },
                          [&](const QString& id) { return sandbox.owningFolder(id); });
}

QString defaultOf(const MimeAppsSandbox& sandbox, const QStringList& chain)
{
    const auto choice = lookupIn(sandbox).defaultApplication(sandbox.environment, chain);
    return choice ? choice->desktopId : QString();
}

// Our answer must be GLib's; skipped quietly where gio is not installed.
void expectSameAsGio(const MimeAppsSandbox& sandbox, const QStringList& chain)
{
    if (const std::optional<QString> gio = sandbox.gioDefault(chain.first())) {
        EXPECT_EQ(defaultOf(sandbox, chain), *gio) << qPrintable(chain.first());
    }
}

} // namespace

TEST(MimeAppsLookup, WalksTheBaseDirectoriesInOrderAndSkipsMissingApplications)
{
    MimeAppsSandbox sandbox;
    for (const QString& id : {u"a.desktop"_s, u"b.desktop"_s, u"c.desktop"_s, u"d.desktop"_s, u"e.desktop"_s})
        sandbox.addApplication(u"data1"_s, id);
    const QStringList files{u"home/.config/mimeapps.list"_s, u"etc1/mimeapps.list"_s, u"etc2/mimeapps.list"_s,
                            u"home/.local/share/applications/mimeapps.list"_s, u"data1/applications/mimeapps.list"_s};
    const QStringList winners{u"a.desktop"_s, u"b.desktop"_s, u"c.desktop"_s, u"d.desktop"_s, u"e.desktop"_s};
    for (qsizetype i = 0; i < files.size(); ++i)
        sandbox.write(files[i], "[Default Applications]\ntext/plain=gone.desktop;" + winners[i].toUtf8() + "\n");

    for (qsizetype i = 0; i < files.size(); ++i) {
        const auto choice = lookupIn(sandbox).defaultApplication(sandbox.environment, {u"text/plain"_s});
        ASSERT_TRUE(choice);
        EXPECT_EQ(*choice, (MimeAppsLookup::Choice{winners[i], sandbox.path(files[i])}));
        expectSameAsGio(sandbox, {u"text/plain"_s});
        QFile::remove(sandbox.path(files[i]));
    }
    EXPECT_FALSE(lookupIn(sandbox).defaultApplication(sandbox.environment, {u"text/plain"_s}));
    expectSameAsGio(sandbox, {u"text/plain"_s});
}

TEST(MimeAppsLookup, DesktopFilesGiveDefaultsOnlyAndAnEmptyDesktopNamesNone)
{
    MimeAppsSandbox sandbox("KDE:GNOME");
    for (const QString& id : {u"a.desktop"_s, u"b.desktop"_s, u"c.desktop"_s})
        sandbox.addApplication(u"data1"_s, id);
    sandbox.addApplication(u"data1"_s, u"viewer.desktop"_s, "image/png;text/plain;");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Default Applications]\ntext/plain=c.desktop;\n");
    sandbox.write(u"home/.config/gnome-mimeapps.list"_s, "[Default Applications]\ntext/plain=b.desktop;\n");
    sandbox.write(u"home/.config/kde-mimeapps.list"_s,
                  "[Default Applications]\ntext/plain=a.desktop;\n[Added Associations]\nimage/png=a.desktop;\n"
                  "[Removed Associations]\ntext/plain=viewer.desktop;\n");
    EXPECT_EQ(defaultOf(sandbox, {u"text/plain"_s}), u"a.desktop"_s);
    expectSameAsGio(sandbox, {u"text/plain"_s});
    EXPECT_EQ(defaultOf(sandbox, {u"image/png"_s}), u"viewer.desktop"_s);
    expectSameAsGio(sandbox, {u"image/png"_s});
    EXPECT_TRUE(lookupIn(sandbox).associatedIds(sandbox.environment, {u"text/plain"_s}).contains(u"viewer.desktop"_s));

    QFile::remove(sandbox.path(u"data1/applications/a.desktop"_s));
    EXPECT_EQ(defaultOf(sandbox, {u"text/plain"_s}), u"b.desktop"_s);
    expectSameAsGio(sandbox, {u"text/plain"_s});

    MimeAppsSandbox plain(":");
    plain.addApplication(u"data1"_s, u"a.desktop"_s);
    plain.addApplication(u"data1"_s, u"b.desktop"_s);
    plain.write(u"home/.config/-mimeapps.list"_s, "[Default Applications]\ntext/plain=a.desktop;\n");
    plain.write(u"home/.config/mimeapps.list"_s, "[Default Applications]\ntext/plain=b.desktop;\n");
    EXPECT_EQ(defaultOf(plain, {u"text/plain"_s}), u"b.desktop"_s);
    expectSameAsGio(plain, {u"text/plain"_s});
}

TEST(MimeAppsLookup, ReadsKeysAsGLibDoes)
{
    MimeAppsSandbox sandbox;
    for (const QString& id : {u"a.desktop"_s, u"b.desktop"_s, u"c.desktop"_s})
        sandbox.addApplication(u"data1"_s, id);
    const auto expectDefault = [&](const QByteArray& list, const QString& type, const QString& expected) {
        sandbox.write(u"home/.config/mimeapps.list"_s, "[Default Applications]\n" + list);
        EXPECT_EQ(defaultOf(sandbox, {type}), expected) << list.constData();
        expectSameAsGio(sandbox, {type});
    };
    // An alias key counts as the type; of two entries the earlier one comes first, the later one falls back.
    expectDefault("application/x-pdf=a.desktop;\napplication/pdf=b.desktop;\n", u"application/pdf"_s, u"a.desktop"_s);
    expectDefault("application/pdf=b.desktop;\napplication/x-pdf=a.desktop;\n", u"application/pdf"_s, u"b.desktop"_s);
    expectDefault("image/pdf=gone.desktop;\napplication/pdf=b.desktop;\n", u"application/pdf"_s, u"b.desktop"_s);
    // Keys are case-sensitive.
    expectDefault("Text/Plain=a.desktop;\n", u"text/plain"_s, QString());
    // A repeated key counts by its last line only.
    expectDefault("text/plain=a.desktop;\ntext/plain=b.desktop;\n", u"text/plain"_s, u"b.desktop"_s);
    expectDefault("text/plain=a.desktop;\ntext/plain=gone.desktop;\n", u"text/plain"_s, QString());
    // Spaces around the key, CRLF lines and no final semicolon are all fine; a malformed file counts for nothing.
    expectDefault("  text/plain = c.desktop\r\n", u"text/plain"_s, u"c.desktop"_s);
    sandbox.write(u"etc1/mimeapps.list"_s, "[Default Applications]\ntext/plain=b.desktop;\n");
    expectDefault("text/plain=a.desktop;\nnot a key line\n", u"text/plain"_s, u"b.desktop"_s);
}

TEST(MimeAppsLookup, LosesOnlyTheEntriesThatAreNotUtf8)
{
    MimeAppsSandbox sandbox;
    for (const QString& id : {u"a.desktop"_s, u"b.desktop"_s, u"c.desktop"_s})
        sandbox.addApplication(u"data1"_s, id);
    sandbox.write(u"etc1/mimeapps.list"_s, "[Default Applications]\ntext/plain=c.desktop;\ntext/html=c.desktop;\n");
    const auto expectDefaults = [&](const QByteArray& list, const QString& plain, const QString& html) {
        sandbox.write(u"home/.config/mimeapps.list"_s, list);
        EXPECT_EQ(defaultOf(sandbox, {u"text/plain"_s}), plain) << list.constData();
        EXPECT_EQ(defaultOf(sandbox, {u"text/html"_s}), html) << list.constData();
        expectSameAsGio(sandbox, {u"text/plain"_s});
        expectSameAsGio(sandbox, {u"text/html"_s});
    };
    expectDefaults("# caf\xe9\n[Default Applications]\ntext/plain=a.desktop;\ntext/html=b.desktop;\n", u"a.desktop"_s,
                   u"b.desktop"_s);
    expectDefaults(
        "[Default Applications]\ntext/plain=a.desktop;\nimage/png=\xff;\ntext/\xff=c;\ntext/html=b.desktop;\n",
        u"a.desktop"_s, u"b.desktop"_s);
    // The value in question is lost as a whole, even where its last line spoils an earlier, readable one.
    expectDefaults("[Default Applications]\ntext/plain=a.desktop;\xff.desktop;\ntext/html=b.desktop;\n", u"c.desktop"_s,
                   u"b.desktop"_s);
    expectDefaults("[Default Applications]\ntext/plain=a.desktop;\ntext/plain=\xff;\ntext/html=b.desktop;\n",
                   u"c.desktop"_s, u"b.desktop"_s);
    expectDefaults("[Default Applications]\ntext/plain=a.desktop;\n[Bad \xff]\ntext/html=b.desktop;\n", u"a.desktop"_s,
                   u"c.desktop"_s);
    // A line that is no key file line at all still spoils the whole file.
    expectDefaults("[Default Applications]\ntext/plain=a.desktop;\nnot a key \xff\n", u"c.desktop"_s, u"c.desktop"_s);
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
    EXPECT_EQ(defaultOf(sandbox, chain), u"c-editor.desktop"_s);
    expectSameAsGio(sandbox, chain);

    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    const auto choice = lookupIn(sandbox).defaultApplication(sandbox.environment, chain);
    ASSERT_TRUE(choice);
    EXPECT_EQ(*choice,
              (MimeAppsLookup::Choice{u"cpp-editor.desktop"_s, sandbox.path(u"data1/applications/mimeinfo.cache"_s)}));
    expectSameAsGio(sandbox, chain);
    EXPECT_EQ(lookupIn(sandbox).associatedIds(sandbox.environment, chain),
              (QStringList{u"cpp-editor.desktop"_s, u"c-editor.desktop"_s, u"notes.desktop"_s}));
}

TEST(MimeAppsLookup, TakesLegacyDefaultsAndTheCacheLessRemovedAssociations)
{
    MimeAppsSandbox sandbox;
    sandbox.addApplication(u"data1"_s, u"first.desktop"_s, "text/markdown;");
    sandbox.addApplication(u"data1"_s, u"legacy.desktop"_s);
    sandbox.addApplication(u"data1"_s, u"added.desktop"_s);
    sandbox.addApplication(u"data2"_s, u"second.desktop"_s, "text/markdown;");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data2"_s));
    const QStringList chain{u"text/markdown"_s};
    EXPECT_EQ(defaultOf(sandbox, chain), u"first.desktop"_s);

    // A removal hides the application from its own folder's cache and later ones, never from earlier folders.
    sandbox.write(u"data2/applications/mimeapps.list"_s, "[Removed Associations]\ntext/markdown=first.desktop;\n");
    EXPECT_EQ(defaultOf(sandbox, chain), u"first.desktop"_s);
    expectSameAsGio(sandbox, chain);
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Removed Associations]\ntext/markdown=first.desktop;\n");
    EXPECT_EQ(defaultOf(sandbox, chain), u"second.desktop"_s);
    expectSameAsGio(sandbox, chain);

    sandbox.write(u"etc1/mimeapps.list"_s, "[Added Associations]\ntext/markdown=added.desktop;\n");
    EXPECT_EQ(defaultOf(sandbox, chain), u"added.desktop"_s);
    sandbox.write(u"data2/applications/defaults.list"_s, "[Default Applications]\ntext/markdown=legacy.desktop;\n");
    EXPECT_EQ(defaultOf(sandbox, chain), u"legacy.desktop"_s);
    expectSameAsGio(sandbox, chain);
    EXPECT_EQ(lookupIn(sandbox).associatedIds(sandbox.environment, chain),
              (QStringList{u"legacy.desktop"_s, u"added.desktop"_s, u"second.desktop"_s}));
}

TEST(MimeAppsLookup, ARemovedAssociationHoldsForTheParentTypesToo)
{
    MimeAppsSandbox sandbox;
    sandbox.addApplication(u"data1"_s, u"a.desktop"_s, "text/plain;");
    sandbox.addApplication(u"data1"_s, u"b.desktop"_s, "text/plain;");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Removed Associations]\ntext/x-csrc=a.desktop;\n");
    const QStringList chain{u"text/x-csrc"_s, u"text/plain"_s};
    EXPECT_EQ(defaultOf(sandbox, chain), u"b.desktop"_s);
    expectSameAsGio(sandbox, chain);
    EXPECT_EQ(lookupIn(sandbox).associatedIds(sandbox.environment, chain), QStringList{u"b.desktop"_s});
    EXPECT_EQ(defaultOf(sandbox, {u"text/plain"_s}), u"a.desktop"_s);
    expectSameAsGio(sandbox, {u"text/plain"_s});
}

TEST(MimeAppsLookup, AnApplicationFoldersAssociationsSkipIdsShadowedByAnEarlierFolder)
{
    MimeAppsSandbox sandbox;
    sandbox.addApplication(u"data1"_s, u"a.desktop"_s, "text/html;");
    sandbox.addApplication(u"data1"_s, u"b.desktop"_s, "text/html;");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    // The user's copy says something else, and no cache of the user's folder says anything.
    sandbox.addApplication(u"home/.local/share"_s, u"a.desktop"_s, "image/png;");
    const QStringList html{u"text/html"_s, u"text/plain"_s};
    EXPECT_EQ(defaultOf(sandbox, html), u"b.desktop"_s);
    expectSameAsGio(sandbox, html);

    // So do that folder's added associations; a config folder's never are, nor are defaults.
    sandbox.write(u"data1/applications/mimeapps.list"_s, "[Added Associations]\ntext/plain=a.desktop;\n");
    EXPECT_EQ(defaultOf(sandbox, {u"text/plain"_s}), QString());
    expectSameAsGio(sandbox, {u"text/plain"_s});
    sandbox.write(u"etc1/mimeapps.list"_s, "[Added Associations]\ntext/plain=a.desktop;\n");
    EXPECT_EQ(defaultOf(sandbox, {u"text/plain"_s}), u"a.desktop"_s);
    expectSameAsGio(sandbox, {u"text/plain"_s});
    QFile::remove(sandbox.path(u"etc1/mimeapps.list"_s));
    sandbox.write(u"data1/applications/mimeapps.list"_s, "[Default Applications]\ntext/plain=a.desktop;\n");
    EXPECT_EQ(defaultOf(sandbox, {u"text/plain"_s}), u"a.desktop"_s);
    expectSameAsGio(sandbox, {u"text/plain"_s});

    // And its removed associations, which would otherwise reach the user's folder through a parent type.
    sandbox.addApplication(u"home/.local/share"_s, u"a.desktop"_s, "text/plain;");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"home/.local/share"_s));
    sandbox.write(u"data1/applications/mimeapps.list"_s, "[Removed Associations]\ntext/x-csrc=a.desktop;\n");
    const QStringList chain{u"text/x-csrc"_s, u"text/plain"_s};
    EXPECT_EQ(defaultOf(sandbox, chain), u"a.desktop"_s);
    expectSameAsGio(sandbox, chain);
}

TEST(MimeAppsLookup, RereadsOnlyChangedFilesAndNeverOpensAPipe)
{
    MimeAppsSandbox sandbox;
    sandbox.addApplication(u"data1"_s, u"a.desktop"_s);
    sandbox.addApplication(u"data1"_s, u"b.desktop"_s);
    sandbox.write(u"etc1/mimeapps.list"_s, "[Default Applications]\ntext/plain=a.desktop;\n");
    const MimeAppsLookup lookup = lookupIn(sandbox);
    EXPECT_EQ(lookup.defaultApplication(sandbox.environment, {u"text/plain"_s})->desktopId, u"a.desktop"_s);
    const qint64 reads = lookup.fileReads();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(lookup.defaultApplication(sandbox.environment, {u"text/plain"_s})->desktopId, u"a.desktop"_s);
    EXPECT_EQ(lookup.fileReads(), reads);

    // Our own write, within the same clock tick, is seen at once.
    tessik::platform::MimeAppsWriter::setDefault(sandbox.environment, u"text/plain"_s, {}, u"b.desktop"_s);
    EXPECT_EQ(lookup.defaultApplication(sandbox.environment, {u"text/plain"_s})->desktopId, u"b.desktop"_s);
    EXPECT_EQ(lookup.fileReads(), reads + 1);

    QFile::remove(sandbox.environment.userMimeAppsList());
    ASSERT_EQ(::mkfifo(QFile::encodeName(sandbox.environment.userMimeAppsList()).constData(), 0600), 0);
    EXPECT_EQ(lookup.defaultApplication(sandbox.environment, {u"text/plain"_s})->desktopId, u"a.desktop"_s);
    EXPECT_EQ(lookup.fileReads(), reads + 1);
}
