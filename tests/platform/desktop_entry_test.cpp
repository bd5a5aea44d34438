#include "platform/xdg/desktop_entry.h"
#include "xdg_sandbox.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using tessik::platform::DesktopEntry;

namespace {

// Sets a variable for the test's lifetime and puts the old value back.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : m_name(name), m_old(qgetenv(name)), m_was(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedVariable() { m_was ? void(qputenv(m_name, m_old)) : void(qunsetenv(m_name)); }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_was;
};

QString nameIn(const QString& locale)
{
    const QByteArray file = "[Desktop Entry]\nType=Application\nName=Plain\nName[de]=de\nName[de_DE]=de_DE\n"
                            "Name[sr@latin]=sr@latin\nName[sr_RS@latin]=sr_RS@latin\nName[sr_RS]=sr_RS\n";
    const auto entry = DesktopEntry::parse(file, locale);
    return entry ? entry->name : u"(none)"_s;
}

} // namespace

TEST(DesktopEntries, ReadsTheDesktopEntryGroupWithEscapesAndLists)
{
    const QByteArray file = "# a comment\n"
                            "[Other Group]\nName=Not this\nMimeType=text/x-other;\n"
                            "[Desktop Entry]\r\n"
                            "Type = Application\n"
                            "# Name=Commented out\n"
                            "Name=Tab\\there\\sand\\nnew line\\\\ \\r\n"
                            "MimeType=text/plain;;image/x-semi\\;colon;text/x-Mixed\n"
                            "Icon=/icons/a.png\n"
                            "Exec=edit \\\\\"%f\\\\\"\n"
                            "TryExec=edit\n"
                            "Hidden=false\n"
                            "NoDisplay=true\n"
                            "[Desktop Action New]\nName=Action\nIcon=other\n";
    const auto entry = DesktopEntry::parse(file, u"C"_s);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->type, u"Application"_s);
    EXPECT_EQ(entry->name, u"Tab\there and\nnew line\\ \r"_s);
    EXPECT_EQ(entry->mimeTypes, (QStringList{u"text/plain"_s, u"image/x-semi;colon"_s, u"text/x-Mixed"_s}));
    EXPECT_EQ(entry->icon, u"/icons/a.png"_s);
    EXPECT_EQ(entry->exec, u"edit \\\"%f\\\""_s);
    EXPECT_EQ(entry->tryExec, u"edit"_s);
    EXPECT_FALSE(entry->hidden);
    EXPECT_TRUE(entry->noDisplay);

    // An escaped backslash before a semicolon leaves the semicolon a separator; the trailing one is optional.
    EXPECT_EQ(DesktopEntry::parse("[Desktop Entry]\nMimeType=a\\\\;b", u"C"_s)->mimeTypes,
              (QStringList{u"a\\"_s, u"b"_s}));
    EXPECT_FALSE(DesktopEntry::parse("[Desktop Entry]\nHidden=yes", u"C"_s)->hidden);
    EXPECT_TRUE(DesktopEntry::parse("[Desktop Entry]\nHidden=true", u"C"_s)->hidden);

    EXPECT_FALSE(DesktopEntry::parse("[Desktop Action]\nType=Application\n", u"C"_s));
    EXPECT_FALSE(DesktopEntry::parse("Type=Application\nName=No group\n", u"C"_s));
    EXPECT_FALSE(DesktopEntry::parse("[Desktop Entry]\nName=Bad \xff\xfe UTF-8\n", u"C"_s));
}

TEST(DesktopEntries, ChoosesTheMostSpecificLocalisedName)
{
    EXPECT_EQ(nameIn(u"de_DE.UTF-8@euro"_s), u"de_DE"_s);
    EXPECT_EQ(nameIn(u"de_AT.UTF-8"_s), u"de"_s);
    EXPECT_EQ(nameIn(u"de"_s), u"de"_s);
    EXPECT_EQ(nameIn(u"sr_RS.UTF-8@latin"_s), u"sr_RS@latin"_s);
    EXPECT_EQ(nameIn(u"sr_RS"_s), u"sr_RS"_s);
    EXPECT_EQ(nameIn(u"sr_ME@latin"_s), u"sr@latin"_s);
    EXPECT_EQ(nameIn(u"fr_FR.UTF-8"_s), u"Plain"_s);
    EXPECT_EQ(nameIn(u"C"_s), u"Plain"_s);
    EXPECT_EQ(nameIn(QString()), u"Plain"_s);

    {
        ScopedVariable all("LC_ALL", "");
        ScopedVariable messages("LC_MESSAGES", "fr_FR.UTF-8");
        ScopedVariable lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(DesktopEntry::messageLocale(), u"fr_FR.UTF-8"_s);
    }
    {
        ScopedVariable all("LC_ALL", "ja_JP.UTF-8");
        ScopedVariable lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(DesktopEntry::messageLocale(), u"ja_JP.UTF-8"_s);
    }
    {
        ScopedVariable all("LC_ALL", "");
        ScopedVariable messages("LC_MESSAGES", "");
        ScopedVariable lang("LANG", "");
        EXPECT_EQ(DesktopEntry::messageLocale(), u"C"_s);
    }
}

TEST(DesktopEntries, OpensOnlyRegularFilesOfBoundedSize)
{
    const XdgSandbox sandbox;
    const QString folder = sandbox.dataHome() + u"/applications"_s;
    const QString plain = XdgSandbox::write(folder + u"/plain.desktop"_s, "[Desktop Entry]\nName=Plain\n");
    ASSERT_TRUE(DesktopEntry::read(plain, u"C"_s));
    ASSERT_TRUE(QFile::link(plain, folder + u"/link.desktop"_s));
    EXPECT_EQ(DesktopEntry::read(folder + u"/link.desktop"_s, u"C"_s)->name, u"Plain"_s);

    // Opening a pipe for reading would wait for a writer forever.
    const QString pipe = folder + u"/pipe.desktop"_s;
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_FALSE(DesktopEntry::read(pipe, u"C"_s));
    ASSERT_TRUE(QFile::link(pipe, folder + u"/pipe-link.desktop"_s));
    EXPECT_FALSE(DesktopEntry::read(folder + u"/pipe-link.desktop"_s, u"C"_s));

    QByteArray large = "[Desktop Entry]\nName=Large\n";
    large.append(QByteArray(1024 * 1024, '#'));
    EXPECT_FALSE(DesktopEntry::read(XdgSandbox::write(folder + u"/large.desktop"_s, large), u"C"_s));
    large.truncate(1024 * 1024);
    EXPECT_TRUE(DesktopEntry::read(XdgSandbox::write(folder + u"/limit.desktop"_s, large), u"C"_s));

    QDir().mkpath(folder + u"/folder.desktop"_s);
    EXPECT_FALSE(DesktopEntry::read(folder + u"/folder.desktop"_s, u"C"_s));
    EXPECT_FALSE(DesktopEntry::read(folder + u"/missing.desktop"_s, u"C"_s));
}

TEST(DesktopEntries, TheExecProgramIsTheFirstWordAsAShellSplitsIt)
{
    const auto program = [](const QByteArray& exec) {
        return DesktopEntry::parse("[Desktop Entry]\nExec=" + exec + "\n", u"C"_s)->execProgram();
    };
    EXPECT_EQ(program("edit %U"), u"edit"_s);
    EXPECT_EQ(program("\"/opt/My Editor/edit\" --new %f"), u"/opt/My Editor/edit"_s);
    EXPECT_EQ(program("'/opt/it''s \"here\"/edit'"), u"/opt/its \"here\"/edit"_s);
    // The file's own escapes come first: "\\ " is a backslash and a space, which the shell reads as a space.
    EXPECT_EQ(program("/opt/with\\\\ space/edit"), u"/opt/with space/edit"_s);
    EXPECT_EQ(program("\"/opt/\\\\\"quoted\\\\\"/edit\""), u"/opt/\"quoted\"/edit"_s);
    EXPECT_EQ(program("\"/opt/\\\\n/edit\""), u"/opt/\\n/edit"_s);
    EXPECT_EQ(program("ed\"i\"t"), u"edit"_s);
    EXPECT_EQ(program("\\n\\tedit #comment"), u"edit"_s);
    EXPECT_EQ(program("#comment\\nedit"), u"edit"_s);
    EXPECT_EQ(program("ed#it"), u"ed#it"_s);
    EXPECT_EQ(program("\"\" edit"), QString());
    EXPECT_EQ(program("sh -c \"echo \\\\$HOME\""), u"sh"_s);

    for (const QByteArray& exec : {QByteArray(), QByteArray("\"edit %f"), QByteArray("edit 'a"),
                                   QByteArray("edit \\\\"), QByteArray("\\s"), QByteArray("#edit")})
        EXPECT_FALSE(program(exec)) << exec.constData();
    EXPECT_FALSE(DesktopEntry::parse("[Desktop Entry]\nName=No Exec\n", u"C"_s)->execProgram());
}

TEST(DesktopEntries, ProgramsMustBeExecutableFiles)
{
    const XdgSandbox sandbox;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(sandbox.bin()));
    const QString tool = XdgSandbox::write(sandbox.bin() + u"/tessik-tool"_s, "#!/bin/sh\n");
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString plainFile = XdgSandbox::write(sandbox.bin() + u"/not-executable"_s, "data");
    QDir().mkpath(sandbox.bin() + u"/folder"_s);
    const QString spaced = sandbox.root() + u"/with space/tessik-tool"_s;
    QDir().mkpath(QFileInfo(spaced).path());
    ASSERT_TRUE(QFile::copy(tool, spaced));

    EXPECT_TRUE(DesktopEntry::programFound(tool));
    EXPECT_TRUE(DesktopEntry::programFound(u"tessik-tool"_s));
    EXPECT_FALSE(DesktopEntry::programFound(QString()));
    EXPECT_FALSE(DesktopEntry::programFound(plainFile));
    EXPECT_FALSE(DesktopEntry::programFound(u"not-executable"_s));
    EXPECT_FALSE(DesktopEntry::programFound(sandbox.bin() + u"/folder"_s));
    EXPECT_FALSE(DesktopEntry::programFound(u"folder"_s));
    EXPECT_FALSE(DesktopEntry::programFound(sandbox.bin() + u"/missing"_s));
    EXPECT_FALSE(DesktopEntry::programFound(u"tessik-no-such-tool"_s));
    {
        // A relative path with a slash is taken from the current folder, not from $PATH.
        const QString oldCurrent = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(sandbox.root()));
        EXPECT_TRUE(DesktopEntry::programFound(u"bin/tessik-tool"_s));
        EXPECT_TRUE(DesktopEntry::programFound(u"./bin/tessik-tool"_s));
        ASSERT_TRUE(QDir::setCurrent(sandbox.bin()));
        EXPECT_FALSE(DesktopEntry::programFound(u"bin/tessik-tool"_s));
        QDir::setCurrent(oldCurrent);
    }

    // Both TryExec and the Exec program must be there; an entry without either asks for nothing.
    const auto found = [](const QByteArray& keys) {
        return DesktopEntry::parse("[Desktop Entry]\n" + keys, u"C"_s)->programsFound();
    };
    const QByteArray toolPath = QFile::encodeName(tool);
    EXPECT_TRUE(found(""));
    EXPECT_TRUE(found("Exec=\n"));
    EXPECT_TRUE(found("Exec=tessik-tool %U\n"));
    EXPECT_TRUE(found("Exec=" + toolPath + " %U\nTryExec=tessik-tool\n"));
    EXPECT_TRUE(found("Exec=\"" + QFile::encodeName(spaced) + "\" %f\n"));
    EXPECT_TRUE(found("TryExec=" + toolPath + "\n"));
    EXPECT_FALSE(found("Exec=" + toolPath + "\nTryExec=tessik-no-such-tool\n"));
    EXPECT_FALSE(found("Exec=" + QFile::encodeName(sandbox.bin()) + "/missing %f\n"));
    EXPECT_FALSE(found("Exec=tessik-no-such-tool %f\nTryExec=tessik-tool\n"));
    EXPECT_FALSE(found("Exec=" + QFile::encodeName(spaced) + " %f\n"));
    EXPECT_FALSE(found("Exec=\"tessik-tool %f\n"));
    EXPECT_FALSE(found("Exec=\\s\n"));
    EXPECT_FALSE(found("Exec=\"\" tessik-tool\n"));
    qputenv("PATH", oldPath);
}
