#include "platform/xdg/key_file_document.h"
#include "systemwriter/mime_info_cache.h"
#include "systemwriter/xdg_demo_system.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The keys of a file's [Desktop Entry] group.
QHash<QString, QString> desktopEntry(const QString& path)
{
    const platform::KeyFileDocument file = platform::KeyFileDocument::parse(readAll(path));
    QHash<QString, QString> keys;
    for (const QString& key : file.keys(u"Desktop Entry"_s))
        keys.insert(key, file.value(u"Desktop Entry"_s, key).value_or(QString()));
    return keys;
}

// Desktop file ID → path, for one applications folder.
QMap<QString, QString> desktopIds(const QString& folder)
{
    QMap<QString, QString> ids;
    QDirIterator it(folder, {u"*.desktop"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        ids.insert(QDir(folder).relativeFilePath(path).replace(u'/', u'-'), path);
    }
    return ids;
}

void writeText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

struct ProcessResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProcessResult run(const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

ProcessResult makeSystem(const QStringList& arguments)
{
    return run(QString::fromUtf8(TESSIK_MAKE_SYSTEM_PATH), arguments);
}

} // namespace

TEST(XdgDemoSystem, WritesADesktopOfRealApplicationsWithStandInsAndIcons)
{
    QTemporaryDir dir;
    const QString root = dir.filePath(u"desktop"_s);
    const int written = tools::XdgDemoSystem::write(root);

    const QMap<QString, QString> system = desktopIds(root + u"/usr/share/applications"_s);
    const QMap<QString, QString> user = desktopIds(root + u"/home/.local/share/applications"_s);
    EXPECT_EQ(written, system.size() + user.size());
    EXPECT_GE(system.size(), 25);
    for (const QString& id : {u"org.gnome.TextEditor.desktop"_s, u"org.gnome.Evince.desktop"_s,
                              u"org.kde.okular.desktop"_s, u"libreoffice-writer.desktop"_s, u"vlc.desktop"_s,
                              u"code.desktop"_s, u"firefox-esr.desktop"_s, u"kde4-kwrite.desktop"_s})
        EXPECT_TRUE(system.contains(id)) << qPrintable(id);

    const QString bin = root + u"/usr/bin/"_s;
    const QString theme = root + u"/usr/share/icons/hicolor"_s;
    EXPECT_TRUE(readAll(theme + u"/index.theme"_s).contains("Directories=48x48/apps,256x256/apps"));
    QSet<QString> translatedLanguages, programs, icons;
    QSet<QByteArray> looks;
    bool hiddenFromMenus = false;
    for (const QString& path : system.values() + user.values()) {
        const QHash<QString, QString> entry = desktopEntry(path);
        if (path.startsWith(root + u"/usr/"_s)) {
            EXPECT_EQ(entry.value(u"Type"_s), u"Application"_s) << qPrintable(path);
            for (const QString& key : {u"Name"_s, u"Exec"_s, u"Icon"_s, u"Categories"_s, u"MimeType"_s})
                EXPECT_FALSE(entry.value(key).isEmpty()) << qPrintable(path + u' ' + key);
            for (const QString& type : entry.value(u"MimeType"_s).split(u';', Qt::SkipEmptyParts))
                EXPECT_TRUE(QRegularExpression(u"^[a-z-]+/[a-z0-9.+_-]+$"_s).match(type).hasMatch())
                    << qPrintable(path + u' ' + type);
            for (const QString& key : entry.keys())
                if (key.startsWith(u"Name["_s))
                    translatedLanguages.insert(key.mid(5).chopped(1));
            hiddenFromMenus |= entry.value(u"NoDisplay"_s) == u"true"_s;
            EXPECT_FALSE(entry.contains(u"Hidden"_s)) << qPrintable(path);
        }

        // Every program an entry runs has a stand-in; `env NAME=value program` runs the program.
        QStringList words = entry.value(u"Exec"_s).split(u' ', Qt::SkipEmptyParts);
        if (!words.isEmpty() && words.constFirst() == u"env"_s)
            do
                words.removeFirst();
            while (!words.isEmpty() && words.constFirst().contains(u'='));
        if (!words.isEmpty()) {
            EXPECT_FALSE(words.constFirst().contains(u'/')) << qPrintable(path);
            EXPECT_TRUE(QFileInfo(bin + words.constFirst()).isExecutable()) << qPrintable(words.constFirst());
            programs.insert(words.constFirst());
        }

        // Every icon name has a picture of its own in both sizes.
        const QString icon = entry.value(u"Icon"_s);
        if (icon.isEmpty() || icons.contains(icon))
            continue;
        icons.insert(icon);
        for (const int pixels : {48, 256}) {
            const QImage image(theme + u"/%1x%1/apps/"_s.arg(pixels) + icon + u".png"_s);
            ASSERT_EQ(image.size(), QSize(pixels, pixels)) << qPrintable(icon);
            const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
            if (pixels == 48)
                looks.insert(QByteArray(reinterpret_cast<const char*>(argb.constBits()), argb.sizeInBytes()));
        }
    }
    EXPECT_EQ(translatedLanguages, (QSet<QString>{u"zh_CN"_s, u"ja"_s, u"ko"_s, u"de"_s, u"fr"_s, u"es"_s}));
    EXPECT_TRUE(hiddenFromMenus) << "one handler is kept out of the menus";
    EXPECT_GE(icons.size(), 25);
    EXPECT_EQ(looks.size(), icons.size()) << "no two icons look the same";
    EXPECT_TRUE(programs.contains(u"vlc"_s) && programs.contains(u"audacity"_s));
    // Nothing else, so no real tool such as env is shadowed.
    const QStringList standIns = QDir(bin).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(QSet<QString>(standIns.cbegin(), standIns.cend()), programs);
    const ProcessResult vlc = run(bin + u"vlc"_s, {u"--started-from-file"_s, u"/media/it's a clip.mp4"_s});
    EXPECT_EQ(vlc.exitCode, 0);
    EXPECT_TRUE(vlc.out.isEmpty());
    EXPECT_TRUE(vlc.err.startsWith("vlc: ") && vlc.err.contains("stand-in") &&
                vlc.err.contains("/media/it's a clip.mp4\n"))
        << vlc.err.constData();

    // The user's copies shadow system entries: one changed, one masked.
    ASSERT_EQ(user.keys(), (QStringList{u"code.desktop"_s, u"org.gnome.eog.desktop"_s}));
    EXPECT_NE(desktopEntry(user[u"code.desktop"_s]).value(u"Exec"_s),
              desktopEntry(system[u"code.desktop"_s]).value(u"Exec"_s));
    EXPECT_EQ(desktopEntry(user[u"org.gnome.eog.desktop"_s]).value(u"Hidden"_s), u"true"_s);
    EXPECT_TRUE(system.contains(u"org.gnome.eog.desktop"_s));

    const QByteArray userList = readAll(root + u"/home/.config/mimeapps.list"_s);
    for (const char* line :
         {"[Default Applications]", "[Added Associations]", "[Removed Associations]",
          "text/plain=org.gnome.TextEditor.desktop;org.kde.kate.desktop;\n", "text/html=chromium.desktop;", "\n#"})
        EXPECT_TRUE(userList.contains(line)) << line;
    EXPECT_TRUE(readAll(root + u"/home/.config/gnome-mimeapps.list"_s).contains("text/html=firefox-esr.desktop;"));
    EXPECT_TRUE(readAll(root + u"/etc/xdg/mimeapps.list"_s).startsWith("#"));
    EXPECT_TRUE(readAll(root + u"/usr/share/applications/mimeapps.list"_s).contains("[Default Applications]"));

    EXPECT_TRUE(QDir(root + u"/home/.local/share/mime/packages"_s).isEmpty());
    if (QFileInfo(u"/usr/share/mime"_s).isDir()) {
        EXPECT_EQ(QFileInfo(root + u"/usr/share/mime"_s).symLinkTarget(), u"/usr/share/mime"_s);
    }
}

TEST(MimeInfoCache, IsWhatUpdateDesktopDatabaseWrites)
{
    QTemporaryDir dir;
    const QString apps = dir.filePath(u"applications"_s);
    writeText(apps + u"/b.desktop"_s, "[Desktop Entry]\nType=Application\nName=B\nExec=b\n"
                                      "MimeType=text/plain;image/png;text/plain;  text/x-lead;text/x-trail  ;\n"
                                      "[Desktop Action new]\nMimeType=video/mp4;\n");
    writeText(apps + u"/a.desktop"_s, "[Desktop Entry]\nType=Application\nName=A\nExec=a\n"
                                      "MimeType=image/png;Text/X-Case;text/;all/all;text/x y;x-scheme-handler/https\n");
    writeText(apps + u"/hidden.desktop"_s,
              "[Desktop Entry]\nType=Application\nName=H\nHidden=true\nMimeType=text/plain;\n");
    writeText(apps + u"/kde4/nested.desktop"_s, "[Desktop Entry]\nType=Application\nName=N\nMimeType=text/plain;\n");
    writeText(apps + u"/notes.txt"_s, "[Desktop Entry]\nMimeType=text/plain;\n");
    EXPECT_EQ(tools::MimeInfoCache::build(apps), QByteArray("[MIME Cache]\n"
                                                            "image/png=a.desktop;b.desktop;\n"
                                                            "text/plain=b.desktop;kde4-nested.desktop;\n"
                                                            "text/x-trail=b.desktop;\n"
                                                            "x-scheme-handler/https=a.desktop;\n"));

    // The same answer as the tool itself, on these entries and on the whole demo.
    const QString tool = QStandardPaths::findExecutable(u"update-desktop-database"_s);
    if (tool.isEmpty())
        GTEST_SKIP() << "update-desktop-database (desktop-file-utils) is not installed";
    const QString demo = dir.filePath(u"demo"_s);
    tools::XdgDemoSystem::write(demo);
    for (const QString& folder : {apps, demo + u"/usr/share/applications"_s}) {
        const QByteArray ours = tools::MimeInfoCache::build(folder);
        QFile::remove(folder + u"/mimeinfo.cache"_s);
        ASSERT_EQ(run(tool, {u"--quiet"_s, folder}).exitCode, 0);
        EXPECT_EQ(readAll(folder + u"/mimeinfo.cache"_s), ours) << qPrintable(folder);
    }
}

TEST(MakeSystem, WritesTheLinuxDesktopAndPrintsHowToSelectIt)
{
    QTemporaryDir dir;
    // A name the shell must be told to take literally.
    const QString root = dir.filePath(u"it's a $HOME"_s);
    EXPECT_EQ(makeSystem({u"--xdg-demo"_s, root, u"--language"_s, u"de"_s}).exitCode, 2);
    EXPECT_EQ(makeSystem({u"--xdg-demo"_s, root, u"--demo"_s, root}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(root));

    const ProcessResult written = makeSystem({u"--xdg-demo"_s, root});
    ASSERT_EQ(written.exitCode, 0);
    // What a shell makes of the printed lines.
    QProcessEnvironment environment;
    environment.insert(u"PATH"_s, u"/usr/bin:/bin"_s);
    const ProcessResult shell =
        run(u"/bin/sh"_s, {u"-c"_s, u"eval \"$1\"; env"_s, u"sh"_s, QString::fromUtf8(written.out)}, environment);
    ASSERT_EQ(shell.exitCode, 0);
    QHash<QString, QString> variables;
    for (const QString& line : QString::fromUtf8(shell.out).split(u'\n'))
        variables.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    const QHash<QString, QString> expected{{u"HOME"_s, root + u"/home"_s},
                                           {u"XDG_DATA_HOME"_s, root + u"/home/.local/share"_s},
                                           {u"XDG_CONFIG_HOME"_s, root + u"/home/.config"_s},
                                           {u"XDG_DATA_DIRS"_s, root + u"/usr/share"_s},
                                           {u"XDG_CONFIG_DIRS"_s, root + u"/etc/xdg"_s},
                                           {u"XDG_CURRENT_DESKTOP"_s, u"GNOME"_s},
                                           {u"XDG_CACHE_HOME"_s, root + u"/home/.cache"_s},
                                           {u"XDG_STATE_HOME"_s, root + u"/home/.local/state"_s},
                                           {u"PATH"_s, root + u"/usr/bin:/usr/bin:/bin"_s}};
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        EXPECT_EQ(variables.value(it.key()), *it) << qPrintable(it.key());
        if (it.key() != u"XDG_CURRENT_DESKTOP"_s && it.key() != u"PATH"_s) {
            EXPECT_TRUE(QFileInfo(*it).isDir()) << qPrintable(*it);
        }
    }
    EXPECT_TRUE(QFileInfo(root + u"/usr/bin/gnome-text-editor"_s).isExecutable());
    // An empty PATH stays free of an empty element, which would mean the current folder.
    environment.insert(u"PATH"_s, QString());
    EXPECT_EQ(run(u"/bin/sh"_s,
                  {u"-c"_s, u"eval \"$1\"; printf %s \"$PATH\""_s, u"sh"_s, QString::fromUtf8(written.out)},
                  environment)
                  .out,
              (root + u"/usr/bin"_s).toUtf8());

    // The lines let go of an emulated Mac the shell had chosen, and can be printed again.
    EXPECT_TRUE(written.out.startsWith("unset TESSIK_SYSTEM_ROOT\n"));
    environment.insert(u"TESSIK_SYSTEM_ROOT"_s, dir.path());
    EXPECT_EQ(run(u"/bin/sh"_s,
                  {u"-c"_s, u"eval \"$1\"; printf %s \"${TESSIK_SYSTEM_ROOT-unset}\""_s, u"sh"_s,
                   QString::fromUtf8(written.out)},
                  environment)
                  .out,
              "unset");
    EXPECT_EQ(makeSystem({u"--print-env"_s, root}).out, written.out);
    EXPECT_EQ(makeSystem({u"--print-env"_s, dir.path()}).exitCode, 1);

    // Writing again keeps what was done on the desktop unless --force starts over; a folder holding anything
    // else is refused and left alone either way.
    writeText(root + u"/home/.config/mimeapps.list"_s, "changed");
    const ProcessResult kept = makeSystem({u"--xdg-demo"_s, root});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_TRUE(kept.err.contains("--force") && kept.err.contains("--print-env")) << kept.err.constData();
    EXPECT_EQ(readAll(root + u"/home/.config/mimeapps.list"_s), "changed");
    ASSERT_EQ(makeSystem({u"--xdg-demo"_s, root, u"--force"_s}).exitCode, 0);
    EXPECT_TRUE(readAll(root + u"/home/.config/mimeapps.list"_s).startsWith("#"));
    const QString other = dir.filePath(u"other"_s);
    writeText(other + u"/precious.txt"_s, "keep");
    EXPECT_EQ(makeSystem({u"--xdg-demo"_s, other}).exitCode, 1);
    EXPECT_EQ(makeSystem({u"--xdg-demo"_s, other, u"--force"_s}).exitCode, 1);
    EXPECT_EQ(QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{u"precious.txt"_s});
}

TEST(MakeSystem, GioFindsTheDefaultsOfTheLinuxDesktop)
{
    const QString gio = QStandardPaths::findExecutable(u"gio"_s);
    if (gio.isEmpty())
        GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
    QTemporaryDir dir;
    const QString root = dir.filePath(u"desktop"_s);
    const ProcessResult written = makeSystem({u"--xdg-demo"_s, root});
    ASSERT_EQ(written.exitCode, 0);
    // GLib ignores an entry whose program is not installed: the printed PATH must bring the demo's stand-ins.
    QProcessEnvironment environment;
    environment.insert(u"PATH"_s, u"/usr/bin:/bin"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, dir.path());
    const auto defaultFor = [&](const QString& type) {
        const ProcessResult answer = run(
            u"/bin/sh"_s,
            {u"-c"_s, u"eval \"$1\"; exec \"$2\" mime \"$3\""_s, u"sh"_s, QString::fromUtf8(written.out), gio, type},
            environment);
        return QString::fromUtf8(answer.out).section(u'\n', 0, 0);
    };
    EXPECT_TRUE(defaultFor(u"text/plain"_s).endsWith(u": org.gnome.TextEditor.desktop"_s));
    // GNOME's own list decides web pages, whatever mimeapps.list says.
    EXPECT_TRUE(defaultFor(u"text/html"_s).endsWith(u": firefox-esr.desktop"_s));
    // Entries whose real program lives elsewhere (/usr/bin/vlc, /usr/share/code/code) count too.
    EXPECT_TRUE(defaultFor(u"video/mp4"_s).endsWith(u": vlc.desktop"_s));
    EXPECT_TRUE(defaultFor(u"text/markdown"_s).endsWith(u": code.desktop"_s));
}
