#include "mime_apps_sandbox.h"
#include "platform/xdg/desktop_entry.h"

#include <array>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using tessik::platform::DesktopEntry;

TEST(DesktopEntries, ReadsTheDesktopEntryGroupWithEscapesAndLists)
{
    const QByteArray file = "# a comment\n"
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
                            "[Desktop Action New]\nName=Action\nIcon=other\n"
                            "[Other Group]\nName=Not this\nMimeType=text/x-other;\n";
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
    // As GLib reads them: the entry must be the first group of a file its parser takes whole; a value that is not
    // UTF-8 costs only that value, and trailing blanks are part of the value.
    for (const QByteArray& refused :
         {QByteArray("[Desktop Action]\nType=Application\n"), QByteArray("Type=Application\nName=No group\n"),
          QByteArray("[Other Group]\nName=Not this\n[Desktop Entry]\nType=Application\n"),
          QByteArray("[Desktop Entry]\nType=Application\n[]\n"),
          QByteArray("[Desktop Entry]\r\r\nType=Application\r\r\n")})
        EXPECT_FALSE(DesktopEntry::parse(refused, u"C"_s)) << refused.constData();
    const auto badName = DesktopEntry::parse("[Desktop Entry]\nName=Bad \xff\xfe UTF-8\nType=Application \n", u"C"_s);
    ASSERT_TRUE(badName);
    EXPECT_TRUE(badName->name.isEmpty());
    EXPECT_EQ(badName->type, u"Application "_s);
}

TEST(DesktopEntries, ChoosesTheMostSpecificLocalisedName)
{
    const QByteArray file = "[Desktop Entry]\nType=Application\nName=Plain\nName[de]=de\nName[de_DE]=de_DE\n"
                            "Name[sr@latin]=sr@latin\nName[sr_RS@latin]=sr_RS@latin\nName[sr_RS]=sr_RS\n";
    const QList<std::pair<QString, QString>> names{{u"de_DE.UTF-8@euro"_s, u"de_DE"_s},
                                                   {u"de_AT.UTF-8"_s, u"de"_s},
                                                   {u"sr_RS.UTF-8@latin"_s, u"sr_RS@latin"_s},
                                                   {u"sr_RS"_s, u"sr_RS"_s},
                                                   {u"sr_ME@latin"_s, u"sr@latin"_s},
                                                   {u"fr_FR.UTF-8"_s, u"Plain"_s},
                                                   {QString(), u"Plain"_s}};
    for (const auto& [locale, name] : names)
        EXPECT_EQ(DesktopEntry::parse(file, locale)->name, name) << qPrintable(locale);

    // The first of LC_ALL, LC_MESSAGES and LANG that is set and not empty.
    const QList<std::array<QByteArray, 4>> locales{{"", "fr_FR.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"},
                                                   {"ja_JP.UTF-8", "", "de_DE.UTF-8", "ja_JP.UTF-8"},
                                                   {"", "", "", "C"}};
    for (const auto& [all, messages, lang, expected] : locales) {
        MimeAppsSandbox sandbox;
        sandbox.setVariable("LC_ALL", all);
        sandbox.setVariable("LC_MESSAGES", messages);
        sandbox.setVariable("LANG", lang);
        EXPECT_EQ(DesktopEntry::messageLocale(), QString::fromUtf8(expected));
    }
}

TEST(DesktopEntries, OpensOnlyRegularFilesOfBoundedSize)
{
    const MimeAppsSandbox sandbox;
    const QString plain = sandbox.write(u"apps/plain.desktop"_s, "[Desktop Entry]\nName=Plain\n");
    ASSERT_TRUE(QFile::link(plain, sandbox.path(u"apps/link.desktop"_s)));
    EXPECT_EQ(DesktopEntry::read(sandbox.path(u"apps/link.desktop"_s), u"C"_s)->name, u"Plain"_s);

    // Opening a pipe for reading would wait for a writer forever.
    const QString pipe = sandbox.path(u"apps/pipe.desktop"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, sandbox.path(u"apps/pipe-link.desktop"_s)));
    QByteArray large = "[Desktop Entry]\nName=Large\n#";
    large.append(QByteArray(16 * 1024 * 1024, '#'));
    sandbox.write(u"apps/large.desktop"_s, large);
    large.truncate(16 * 1024 * 1024);
    EXPECT_TRUE(DesktopEntry::read(sandbox.write(u"apps/limit.desktop"_s, large), u"C"_s));
    QDir().mkpath(sandbox.path(u"apps/folder.desktop"_s));
    for (const QString& name : {u"pipe"_s, u"pipe-link"_s, u"large"_s, u"folder"_s, u"missing"_s})
        EXPECT_FALSE(DesktopEntry::read(sandbox.path(u"apps/%1.desktop"_s.arg(name)), u"C"_s)) << qPrintable(name);
}

TEST(DesktopEntries, TheExecProgramIsTheFirstWordAsAShellSplitsIt)
{
    const QList<std::pair<QByteArray, std::optional<QString>>> programs{
        {"edit %U", u"edit"_s},
        {"\"/opt/My Editor/edit\" --new %f", u"/opt/My Editor/edit"_s},
        {"'/opt/it''s \"here\"/edit'", u"/opt/its \"here\"/edit"_s},
        // The file's own escapes come first: "\\ " is a backslash and a space, which the shell reads as a space.
        {"/opt/with\\\\ space/edit", u"/opt/with space/edit"_s},
        {"\"/opt/\\\\\"quoted\\\\\"/edit\"", u"/opt/\"quoted\"/edit"_s},
        {"\"/opt/\\\\n/edit\"", u"/opt/\\n/edit"_s},
        {"ed\"i\"t", u"edit"_s},
        {"\\n\\tedit #comment", u"edit"_s},
        {"#comment\\nedit", u"edit"_s},
        {"ed#it", u"ed#it"_s},
        {"\"\" edit", QString()},
        {"sh -c \"echo \\\\$HOME\"", u"sh"_s},
        {"", std::nullopt},
        {"\"edit %f", std::nullopt},
        {"edit 'a", std::nullopt},
        {"edit \\\\", std::nullopt},
        {"\\s", std::nullopt},
        {"#edit", std::nullopt}};
    for (const auto& [exec, program] : programs)
        EXPECT_EQ(DesktopEntry::parse("[Desktop Entry]\nExec=" + exec + "\n", u"C"_s)->execProgram(), program)
            << exec.constData();
    EXPECT_FALSE(DesktopEntry::parse("[Desktop Entry]\nName=No Exec\n", u"C"_s)->execProgram());
}

TEST(DesktopEntries, ProgramsMustBeExecutableFiles)
{
    MimeAppsSandbox sandbox;
    sandbox.setVariable("PATH", QFile::encodeName(sandbox.path(u"bin"_s)));
    const QString tool = sandbox.writeProgram(u"bin/tessik-tool"_s);
    sandbox.write(u"bin/not-executable"_s, "data");
    QDir().mkpath(sandbox.path(u"bin/folder"_s));
    const QString spaced = sandbox.writeProgram(u"with space/tessik-tool"_s);

    for (const QString& program : {tool, u"tessik-tool"_s})
        EXPECT_TRUE(DesktopEntry::programFound(program)) << qPrintable(program);
    for (const QString& program :
         {QString(), sandbox.path(u"bin/not-executable"_s), u"not-executable"_s, sandbox.path(u"bin/folder"_s),
          u"folder"_s, sandbox.path(u"bin/missing"_s), u"tessik-no-such-tool"_s})
        EXPECT_FALSE(DesktopEntry::programFound(program)) << qPrintable(program);
    // A relative path with a slash is taken from the current folder, not from $PATH.
    const QString oldCurrent = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(sandbox.root()));
    EXPECT_TRUE(DesktopEntry::programFound(u"./bin/tessik-tool"_s));
    ASSERT_TRUE(QDir::setCurrent(sandbox.path(u"bin"_s)));
    EXPECT_FALSE(DesktopEntry::programFound(u"bin/tessik-tool"_s));
    QDir::setCurrent(oldCurrent);

    // Both TryExec and the Exec program must be there; an entry without either asks for nothing.
    const QByteArray toolPath = QFile::encodeName(tool);
    const QList<std::pair<QByteArray, bool>> entries{{"", true},
                                                     {"Exec=\n", true},
                                                     {"Exec=tessik-tool %U\n", true},
                                                     {"Exec=" + toolPath + " %U\nTryExec=tessik-tool\n", true},
                                                     {"Exec=\"" + QFile::encodeName(spaced) + "\" %f\n", true},
                                                     {"TryExec=" + toolPath + "\n", true},
                                                     {"Exec=" + toolPath + "\nTryExec=tessik-no-such-tool\n", false},
                                                     {"Exec=tessik-no-such-tool %f\nTryExec=tessik-tool\n", false},
                                                     {"Exec=" + QFile::encodeName(spaced) + " %f\n", false},
                                                     {"Exec=\"tessik-tool %f\n", false},
                                                     {"Exec=\\s\n", false},
                                                     {"Exec=\"\" tessik-tool\n", false}};
    for (const auto& [keys, found] : entries)
        EXPECT_EQ(DesktopEntry::parse("[Desktop Entry]\n" + keys, u"C"_s)->programsFound(), found) << keys.constData();
}
