#include "platform/xdg/desktop_entry_index.h"
#include "xdg_sandbox.h"

#include <QDateTime>
#include <QProcess>
#include <QStandardPaths>

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
        for (const char* variable : m_variables)
            m_oldValues.append(qgetenv(variable));
        qputenv("PATH", QFile::encodeName(m_sandbox.bin()));
        qputenv("LC_ALL", "");
        qputenv("LC_MESSAGES", "");
        qputenv("LANG", "C");
        m_program = QFile::encodeName(program(u"tessik-app"_s));
    }
    ~DesktopEntryIndexTest() override
    {
        for (qsizetype i = 0; i < m_oldValues.size(); ++i)
            qputenv(m_variables[i], m_oldValues[i]);
    }

    QString user(const QString& relativePath) const
    {
        return m_sandbox.dataHome() + u"/applications/"_s + relativePath;
    }
    QString system(const QString& relativePath) const
    {
        return m_sandbox.dataDir() + u"/applications/"_s + relativePath;
    }
    QString program(const QString& name) const
    {
        const QString path = XdgSandbox::write(m_sandbox.bin() + u'/' + name, "#!/bin/sh\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    QByteArray application(const QByteArray& name, const QByteArray& extra = {}) const
    {
        return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + m_program + " %f\n" + extra;
    }

    // Entries for text/plain whose Exec programs are there or not, listed in a mimeinfo.cache as GLib needs.
    void writeEntriesRunningPrograms() const
    {
        const QByteArray bin = QFile::encodeName(m_sandbox.bin());
        const QString spaced = m_sandbox.root() + u"/with space/tessik-app"_s;
        QDir().mkpath(QFileInfo(spaced).path());
        QFile::copy(QFile::decodeName(m_program), spaced);
        const QList<std::pair<QString, QByteArray>> entries{
            {u"absolute-missing.desktop"_s, "Exec=" + bin + "/tessik-gone %f"},
            {u"name-missing.desktop"_s, "Exec=tessik-later %U"},
            {u"name-present.desktop"_s, "Exec=tessik-app %U"},
            {u"quoted-space.desktop"_s, "Exec=\"" + QFile::encodeName(spaced) + "\" %f"},
            {u"unquoted-space.desktop"_s, "Exec=" + QFile::encodeName(spaced) + " %f"},
            {u"unbalanced.desktop"_s, "Exec=\"" + m_program + " %f"},
            {u"blank-exec.desktop"_s, "Exec=\\s"},
            {u"no-exec.desktop"_s, "Name[de]=Ohne"},
        };
        QByteArray cache = "[MIME Cache]\ntext/plain=";
        for (const auto& [id, line] : entries) {
            XdgSandbox::write(system(id), "[Desktop Entry]\nType=Application\nName=" + id.toUtf8() +
                                              "\nMimeType=text/plain;\n" + line + "\n");
            cache += id.toUtf8() + ';';
        }
        XdgSandbox::write(system(u"mimeinfo.cache"_s), cache + '\n');
    }

    XdgSandbox m_sandbox;
    QByteArray m_program;
    static constexpr const char* m_variables[] = {"PATH", "LC_ALL", "LC_MESSAGES", "LANG"};
    QByteArrayList m_oldValues;
};

} // namespace

TEST_F(DesktopEntryIndexTest, TheFirstFileOfAnIdDecidesWhetherItIsInstalled)
{
    XdgSandbox::write(user(u"kde4/okular.desktop"_s), application("Okular"));
    XdgSandbox::write(user(u"shadow.desktop"_s), application("User copy"));
    XdgSandbox::write(system(u"shadow.desktop"_s), application("System copy"));
    XdgSandbox::write(user(u"masked.desktop"_s), application("Masked", "Hidden=true\n"));
    XdgSandbox::write(system(u"masked.desktop"_s), application("Masked"));
    XdgSandbox::write(user(u"broken.desktop"_s), "Type=Application\n");
    XdgSandbox::write(system(u"broken.desktop"_s), application("Broken"));
    XdgSandbox::write(system(u"a/b/deep.desktop"_s), application("Deep"));
    XdgSandbox::write(system(u"link.desktop"_s), "[Desktop Entry]\nType=Link\nName=Link\nURL=https://example.org\n");
    XdgSandbox::write(system(u"no-type.desktop"_s), "[Desktop Entry]\nName=No type\n");
    XdgSandbox::write(system(u"quiet.desktop"_s), application("Quiet", "NoDisplay=true\n"));
    XdgSandbox::write(system(u"readme.txt"_s), application("Not a desktop file"));
    XdgSandbox::write(system(u"absent-program.desktop"_s),
                      application("Absent", "TryExec=" + QFile::encodeName(m_sandbox.bin()) + "/absent\n"));
    XdgSandbox::write(system(u"absent-name.desktop"_s), application("Absent", "TryExec=tessik-absent\n"));
    XdgSandbox::write(system(u"present-program.desktop"_s),
                      application("Present", "TryExec=" + QFile::encodeName(program(u"present"_s)) + "\n"));
    program(u"tessik-present"_s);
    XdgSandbox::write(system(u"present-name.desktop"_s), application("Present", "TryExec=tessik-present\n"));
    // A pipe is never waited on, and a folder linking back to its parent is walked once.
    ASSERT_EQ(::mkfifo(QFile::encodeName(system(u"pipe.desktop"_s)).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(system(QString()), system(u"a/loop"_s)));

    const auto index = DesktopEntryIndex::current();
    EXPECT_EQ(index->installedIds(),
              (QStringList{u"kde4-okular.desktop"_s, u"shadow.desktop"_s, u"a-b-deep.desktop"_s,
                           u"present-name.desktop"_s, u"present-program.desktop"_s, u"quiet.desktop"_s}));
    EXPECT_EQ(index->installedEntry(u"shadow.desktop"_s)->name, u"User copy"_s);
    EXPECT_EQ(index->filePath(u"shadow.desktop"_s), user(u"shadow.desktop"_s));
    EXPECT_EQ(index->filePath(u"kde4-okular.desktop"_s), user(u"kde4/okular.desktop"_s));
    EXPECT_TRUE(index->installedEntry(u"quiet.desktop"_s)->noDisplay);
    for (const QString& id : {u"masked.desktop"_s, u"broken.desktop"_s, u"link.desktop"_s, u"no-type.desktop"_s,
                              u"absent-program.desktop"_s, u"absent-name.desktop"_s, u"pipe.desktop"_s,
                              u"okular.desktop"_s, u"readme.txt"_s}) {
        EXPECT_FALSE(index->isInstalled(id)) << qPrintable(id);
        EXPECT_FALSE(index->installedEntry(id)) << qPrintable(id);
        EXPECT_TRUE(index->filePath(id).isEmpty()) << qPrintable(id);
    }

    // The folder of an ID's first file, whatever that file is.
    const QString userFolder = m_sandbox.dataHome() + u"/applications"_s;
    const QString systemFolder = m_sandbox.dataDir() + u"/applications"_s;
    for (const QString& id : {u"kde4-okular.desktop"_s, u"shadow.desktop"_s, u"masked.desktop"_s, u"broken.desktop"_s})
        EXPECT_EQ(index->folderOf(id), userFolder) << qPrintable(id);
    for (const QString& id : {u"a-b-deep.desktop"_s, u"link.desktop"_s, u"pipe.desktop"_s, u"absent-name.desktop"_s})
        EXPECT_EQ(index->folderOf(id), systemFolder) << qPrintable(id);
    for (const QString& id : {u"okular.desktop"_s, u"readme.txt"_s, u"none.desktop"_s})
        EXPECT_TRUE(index->folderOf(id).isEmpty()) << qPrintable(id);

    EXPECT_EQ(index->idForFile(user(u"kde4/okular.desktop"_s)), u"kde4-okular.desktop"_s);
    EXPECT_EQ(index->idForFile(user(u"kde4/../kde4//okular.desktop"_s)), u"kde4-okular.desktop"_s);
    EXPECT_EQ(index->idForFile(system(u"a/b/deep.desktop"_s)), u"a-b-deep.desktop"_s);
    EXPECT_TRUE(index->idForFile(system(u"shadow.desktop"_s)).isEmpty());
    EXPECT_TRUE(index->idForFile(system(u"masked.desktop"_s)).isEmpty());
    EXPECT_TRUE(index->idForFile(system(u"a/loop/shadow.desktop"_s)).isEmpty());
}

TEST_F(DesktopEntryIndexTest, AnEntryWhoseProgramIsMissingIsNotInstalled)
{
    writeEntriesRunningPrograms();
    EXPECT_EQ(DesktopEntryIndex::current()->installedIds(),
              (QStringList{u"name-present.desktop"_s, u"no-exec.desktop"_s, u"quoted-space.desktop"_s}));

    // Programs appearing and going away show at the next look.
    program(u"tessik-later"_s);
    EXPECT_TRUE(DesktopEntryIndex::current()->isInstalled(u"name-missing.desktop"_s));
    const QString gone = program(u"tessik-gone"_s);
    EXPECT_TRUE(DesktopEntryIndex::current()->isInstalled(u"absolute-missing.desktop"_s));
    ASSERT_TRUE(QFile::remove(gone));
    EXPECT_FALSE(DesktopEntryIndex::current()->isInstalled(u"absolute-missing.desktop"_s));
    ASSERT_TRUE(QFile::remove(m_sandbox.root() + u"/with space/tessik-app"_s));
    EXPECT_EQ(DesktopEntryIndex::current()->installedIds(),
              (QStringList{u"name-missing.desktop"_s, u"name-present.desktop"_s, u"no-exec.desktop"_s}));
}

TEST_F(DesktopEntryIndexTest, AgreesWithGioOnWhichProgramsAreThere)
{
    const QStringList oldPath = QFile::decodeName(m_oldValues[0]).split(u':', Qt::SkipEmptyParts);
    const QString gio = QStandardPaths::findExecutable(u"gio"_s, oldPath);
    if (gio.isEmpty())
        GTEST_SKIP() << "gio is not installed";
    writeEntriesRunningPrograms();
    m_sandbox.linkSystemMimeDatabase();

    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    variables.insert(u"GIO_USE_VFS"_s, u"local"_s);
    variables.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + m_sandbox.root() + u"/runtime/no-bus"_s);
    process.setProcessEnvironment(variables);
    process.start(gio, {u"mime"_s, u"text/plain"_s});
    ASSERT_TRUE(process.waitForFinished(20000));
    // The IDs listed under "Registered applications:", one per tab-indented line.
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    QStringList registered;
    bool inList = false;
    for (const QString& line : output.split(u'\n')) {
        if (!line.startsWith(u'\t'))
            inList = line == u"Registered applications:"_s;
        else if (inList)
            registered.append(line.trimmed());
    }
    registered.sort();
    QStringList installed = DesktopEntryIndex::current()->installedIds();
    installed.sort();
    EXPECT_EQ(installed, registered) << qPrintable(output);
    EXPECT_EQ(installed.size(), 3);
}

TEST_F(DesktopEntryIndexTest, RebuildsOnlyWhenSomethingItWasBuiltFromChanged)
{
    const QString editor = XdgSandbox::write(system(u"editor.desktop"_s), application("Editor"));
    const auto first = DesktopEntryIndex::current();
    EXPECT_EQ(DesktopEntryIndex::current(), first);
    EXPECT_EQ(first->installedIds(), QStringList{u"editor.desktop"_s});

    // A new file in a new sub-folder of a folder that did not exist.
    XdgSandbox::write(user(u"tools/viewer.desktop"_s), application("Viewer", "Name[de]=Betrachter\n"));
    const auto second = DesktopEntryIndex::current();
    EXPECT_NE(second, first);
    EXPECT_EQ(second->installedIds(), (QStringList{u"tools-viewer.desktop"_s, u"editor.desktop"_s}));

    // The same size rewritten in place: only the modification time tells.
    const QDateTime modified = QFileInfo(editor).lastModified();
    XdgSandbox::write(editor, application("Rotide"));
    QFile file(editor);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified.addSecs(-60), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(DesktopEntryIndex::current()->installedEntry(u"editor.desktop"_s)->name, u"Rotide"_s);

    qputenv("LANG", "de_DE.UTF-8");
    EXPECT_EQ(DesktopEntryIndex::current()->installedEntry(u"tools-viewer.desktop"_s)->name, u"Betrachter"_s);

    // TryExec follows the program's appearance and $PATH.
    XdgSandbox::write(editor, application("Editor", "TryExec=tessik-editor\n"));
    EXPECT_FALSE(DesktopEntryIndex::current()->isInstalled(u"editor.desktop"_s));
    const QString editorProgram = program(u"tessik-editor"_s);
    EXPECT_TRUE(DesktopEntryIndex::current()->isInstalled(u"editor.desktop"_s));
    qputenv("PATH", QFile::encodeName(m_sandbox.root()));
    EXPECT_FALSE(DesktopEntryIndex::current()->isInstalled(u"editor.desktop"_s));
    XdgSandbox::write(editor, application("Editor", "TryExec=" + QFile::encodeName(editorProgram) + "\n"));
    EXPECT_TRUE(DesktopEntryIndex::current()->isInstalled(u"editor.desktop"_s));
    ASSERT_TRUE(QFile::remove(editorProgram));
    EXPECT_FALSE(DesktopEntryIndex::current()->isInstalled(u"editor.desktop"_s));

    // Another environment is another index.
    const XdgSandbox other;
    EXPECT_TRUE(DesktopEntryIndex::current()->installedIds().isEmpty());
}
