#include "mime_apps_sandbox.h"
#include "platform/xdg/desktop_entry_index.h"

#include <QDateTime>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using tessik::platform::DesktopEntryIndex;

namespace {

// A test sandbox whose $PATH is its own bin folder, with one program every application runs.
class DesktopEntryIndexTest : public ::testing::Test
{
protected:
    DesktopEntryIndexTest()
    {
        m_sandbox.setVariable("PATH", QFile::encodeName(m_sandbox.path(u"bin"_s)));
        m_sandbox.setVariable("LC_ALL", "");
        m_sandbox.setVariable("LC_MESSAGES", "");
        m_sandbox.setVariable("LANG", "C");
    }

    static QString user(const QString& relativePath) { return u"home/.local/share/applications/"_s + relativePath; }
    static QString system(const QString& relativePath) { return u"data1/applications/"_s + relativePath; }
    QByteArray application(const QByteArray& name, const QByteArray& extra = {}) const
    {
        return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + m_program + " %f\n" + extra;
    }

    MimeAppsSandbox m_sandbox;
    QByteArray m_program = QFile::encodeName(m_sandbox.writeProgram(u"bin/tessik-app"_s));
};

} // namespace

TEST_F(DesktopEntryIndexTest, TheFirstFileOfAnIdDecidesWhetherItIsInstalled)
{
    m_sandbox.writeProgram(u"bin/tessik-present"_s);
    const QByteArray bin = QFile::encodeName(m_sandbox.path(u"bin"_s));
    const QList<std::pair<QString, QByteArray>> files{
        {user(u"kde4/okular.desktop"_s), application("Okular")},
        {user(u"shadow.desktop"_s), application("User copy")},
        {system(u"shadow.desktop"_s), application("System copy")},
        {user(u"masked.desktop"_s), application("Masked", "Hidden=true\n")},
        {system(u"masked.desktop"_s), application("Masked")},
        {user(u"broken.desktop"_s), "Type=Application\n"},
        {system(u"broken.desktop"_s), application("Broken")},
        {system(u"a/b/deep.desktop"_s), application("Deep")},
        {system(u"link.desktop"_s), "[Desktop Entry]\nType=Link\nName=Link\nURL=https://example.org\n"},
        {system(u"no-type.desktop"_s), "[Desktop Entry]\nName=No type\n"},
        {system(u"quiet.desktop"_s), application("Quiet", "NoDisplay=true\n")},
        {system(u"readme.txt"_s), application("Not a desktop file")},
        {system(u"absent-program.desktop"_s), application("Absent", "TryExec=" + bin + "/absent\n")},
        {system(u"absent-name.desktop"_s), application("Absent", "TryExec=tessik-absent\n")},
        {system(u"present-program.desktop"_s), application("Present", "TryExec=" + bin + "/tessik-present\n")},
        {system(u"present-name.desktop"_s), application("Present", "TryExec=tessik-present\n")}};
    for (const auto& [path, contents] : files)
        m_sandbox.write(path, contents);
    // A pipe is never waited on, and a folder linking back to its parent is walked once.
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_sandbox.path(system(u"pipe.desktop"_s))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(m_sandbox.path(u"data1/applications"_s), m_sandbox.path(system(u"a/loop"_s))));

    const auto index = DesktopEntryIndex::current();
    EXPECT_EQ(index->installedIds(),
              (QStringList{u"kde4-okular.desktop"_s, u"shadow.desktop"_s, u"a-b-deep.desktop"_s,
                           u"present-name.desktop"_s, u"present-program.desktop"_s, u"quiet.desktop"_s}));
    EXPECT_EQ(index->installedEntry(u"shadow.desktop"_s)->name, u"User copy"_s);
    EXPECT_EQ(index->filePath(u"shadow.desktop"_s), m_sandbox.path(user(u"shadow.desktop"_s)));
    EXPECT_EQ(index->filePath(u"kde4-okular.desktop"_s), m_sandbox.path(user(u"kde4/okular.desktop"_s)));
    EXPECT_TRUE(index->installedEntry(u"quiet.desktop"_s)->noDisplay);
    for (const QString& id : {u"masked.desktop"_s, u"broken.desktop"_s, u"link.desktop"_s, u"no-type.desktop"_s,
                              u"absent-program.desktop"_s, u"absent-name.desktop"_s, u"pipe.desktop"_s,
                              u"okular.desktop"_s, u"readme.txt"_s}) {
        EXPECT_FALSE(index->isInstalled(id)) << qPrintable(id);
        EXPECT_FALSE(index->installedEntry(id)) << qPrintable(id);
        EXPECT_TRUE(index->filePath(id).isEmpty()) << qPrintable(id);
    }

    // The folder of an ID's first file, whatever that file is.
    const QString userFolder = m_sandbox.path(u"home/.local/share/applications"_s);
    const QString systemFolder = m_sandbox.path(u"data1/applications"_s);
    for (const QString& id : {u"kde4-okular.desktop"_s, u"shadow.desktop"_s, u"masked.desktop"_s, u"broken.desktop"_s})
        EXPECT_EQ(index->folderOf(id), userFolder) << qPrintable(id);
    for (const QString& id : {u"a-b-deep.desktop"_s, u"link.desktop"_s, u"pipe.desktop"_s, u"absent-name.desktop"_s})
        EXPECT_EQ(index->folderOf(id), systemFolder) << qPrintable(id);
    for (const QString& id : {u"okular.desktop"_s, u"readme.txt"_s, u"none.desktop"_s})
        EXPECT_TRUE(index->folderOf(id).isEmpty()) << qPrintable(id);

    EXPECT_EQ(index->idForFile(m_sandbox.path(user(u"kde4/../kde4//okular.desktop"_s))), u"kde4-okular.desktop"_s);
    EXPECT_EQ(index->idForFile(m_sandbox.path(system(u"a/b/deep.desktop"_s))), u"a-b-deep.desktop"_s);
    for (const QString& shadowed : {u"shadow.desktop"_s, u"masked.desktop"_s, u"a/loop/shadow.desktop"_s})
        EXPECT_TRUE(index->idForFile(m_sandbox.path(system(shadowed))).isEmpty()) << qPrintable(shadowed);
}

TEST_F(DesktopEntryIndexTest, AnEntryWhoseProgramIsMissingIsNotInstalledAsGioDecides)
{
    // Listed in a mimeinfo.cache, as GLib needs.
    const QByteArray bin = QFile::encodeName(m_sandbox.path(u"bin"_s));
    const QByteArray spaced = QFile::encodeName(m_sandbox.writeProgram(u"with space/tessik-app"_s));
    const QList<std::pair<QString, QByteArray>> entries{
        {u"absolute-missing.desktop"_s, "Exec=" + bin + "/tessik-gone %f"},
        {u"name-missing.desktop"_s, "Exec=tessik-later %U"},
        {u"name-present.desktop"_s, "Exec=tessik-app %U"},
        {u"quoted-space.desktop"_s, "Exec=\"" + spaced + "\" %f"},
        {u"unquoted-space.desktop"_s, "Exec=" + spaced + " %f"},
        {u"unbalanced.desktop"_s, "Exec=\"" + m_program + " %f"},
        {u"blank-exec.desktop"_s, "Exec=\\s"},
        {u"no-exec.desktop"_s, "Name[de]=Ohne"},
    };
    QByteArray cache = "[MIME Cache]\ntext/plain=";
    for (const auto& [id, line] : entries) {
        m_sandbox.write(system(id), "[Desktop Entry]\nType=Application\nName=" + id.toUtf8() +
                                        "\nMimeType=text/plain;\n" + line + "\n");
        cache += id.toUtf8() + ';';
    }
    m_sandbox.write(system(u"mimeinfo.cache"_s), cache + '\n');
    const QStringList installed{u"name-present.desktop"_s, u"no-exec.desktop"_s, u"quoted-space.desktop"_s};
    EXPECT_EQ(DesktopEntryIndex::current()->installedIds(), installed);

    if (const std::optional<QStringList> registered = m_sandbox.gioRegistered(u"text/plain"_s)) {
        EXPECT_EQ(*registered, installed);
    }

    // Programs appearing and going away show at the next look.
    m_sandbox.writeProgram(u"bin/tessik-later"_s);
    EXPECT_TRUE(DesktopEntryIndex::current()->isInstalled(u"name-missing.desktop"_s));
    const QString gone = m_sandbox.writeProgram(u"bin/tessik-gone"_s);
    EXPECT_TRUE(DesktopEntryIndex::current()->isInstalled(u"absolute-missing.desktop"_s));
    ASSERT_TRUE(QFile::remove(gone));
    ASSERT_TRUE(QFile::remove(QFile::decodeName(spaced)));
    EXPECT_EQ(DesktopEntryIndex::current()->installedIds(),
              (QStringList{u"name-missing.desktop"_s, u"name-present.desktop"_s, u"no-exec.desktop"_s}));
}

TEST_F(DesktopEntryIndexTest, AnEntryGLibsParserRefusesIsNotInstalled)
{
    const QByteArray start = "[Desktop Entry]\nName=App\nMimeType=text/plain;\nExec=" + m_program + " %f\n";
    const QList<std::pair<QString, QByteArray>> entries{
        {u"plain.desktop"_s, start + "Type=Application\n"},
        {u"type-blank.desktop"_s, start + "Type=Application  \n"},
        {u"type-tab.desktop"_s, start + "Type=Application\t\n"},
        {u"try-blank.desktop"_s, start + "Type=Application\nTryExec=" + m_program + " \n"},
        {u"other-first.desktop"_s, "[Other]\nx=y\n" + start + "Type=Application\n"},
        {u"empty-group.desktop"_s, start + "Type=Application\n[]\n"},
        {u"cr-lines.desktop"_s, start + "Type=Application\n[Desktop Action A]\r\r\nName=A\n"},
        {u"bad-key.desktop"_s, start + "Type=Application\nName[de=x\n"},
        {u"bad-name.desktop"_s, start + "Type=Application\nName=\xff\n"},
    };
    QByteArray cache = "[MIME Cache]\ntext/plain=";
    for (const auto& [id, contents] : entries) {
        m_sandbox.write(system(id), contents);
        cache += id.toUtf8() + ';';
    }
    m_sandbox.write(system(u"mimeinfo.cache"_s), cache + '\n');
    const QStringList installed{u"bad-name.desktop"_s, u"plain.desktop"_s};
    EXPECT_EQ(DesktopEntryIndex::current()->installedIds(), installed);
    if (const std::optional<QStringList> registered = m_sandbox.gioRegistered(u"text/plain"_s)) {
        EXPECT_EQ(*registered, installed);
    }
}

TEST_F(DesktopEntryIndexTest, RebuildsOnlyWhenSomethingItWasBuiltFromChanged)
{
    const QString editor = m_sandbox.write(system(u"editor.desktop"_s), application("Editor"));
    const auto first = DesktopEntryIndex::current();
    EXPECT_EQ(DesktopEntryIndex::current(), first);
    EXPECT_EQ(first->installedIds(), QStringList{u"editor.desktop"_s});

    // A new file in a new sub-folder of a folder that did not exist.
    m_sandbox.write(user(u"tools/viewer.desktop"_s), application("Viewer", "Name[de]=Betrachter\n"));
    const auto second = DesktopEntryIndex::current();
    EXPECT_NE(second, first);
    EXPECT_EQ(second->installedIds(), (QStringList{u"tools-viewer.desktop"_s, u"editor.desktop"_s}));

    // The same size rewritten in place: only the modification time tells.
    const QDateTime modified = QFileInfo(editor).lastModified();
    m_sandbox.write(editor, application("Rotide"));
    QFile file(editor);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified.addSecs(-60), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(DesktopEntryIndex::current()->installedEntry(u"editor.desktop"_s)->name, u"Rotide"_s);

    qputenv("LANG", "de_DE.UTF-8");
    EXPECT_EQ(DesktopEntryIndex::current()->installedEntry(u"tools-viewer.desktop"_s)->name, u"Betrachter"_s);

    // TryExec follows the program's appearance and $PATH.
    m_sandbox.write(editor, application("Editor", "TryExec=tessik-editor\n"));
    EXPECT_FALSE(DesktopEntryIndex::current()->isInstalled(u"editor.desktop"_s));
    const QString editorProgram = m_sandbox.writeProgram(u"bin/tessik-editor"_s);
    EXPECT_TRUE(DesktopEntryIndex::current()->isInstalled(u"editor.desktop"_s));
    qputenv("PATH", QFile::encodeName(m_sandbox.root()));
    EXPECT_FALSE(DesktopEntryIndex::current()->isInstalled(u"editor.desktop"_s));
    m_sandbox.write(editor, application("Editor", "TryExec=" + QFile::encodeName(editorProgram) + "\n"));
    EXPECT_TRUE(DesktopEntryIndex::current()->isInstalled(u"editor.desktop"_s));
    ASSERT_TRUE(QFile::remove(editorProgram));
    EXPECT_FALSE(DesktopEntryIndex::current()->isInstalled(u"editor.desktop"_s));

    // Another environment is another index.
    const MimeAppsSandbox other;
    EXPECT_TRUE(DesktopEntryIndex::current()->installedIds().isEmpty());
}
