#include "xdg_demo_system.h"

#include "app_icon_artwork.h"
#include "mime_info_cache.h"
#include "platform/xdg/desktop_entry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

const QString markerName = u".tessik-xdg-demo"_s;
const QString resourceRoot = u":/tessik/tools/xdg-demo"_s;
// The system's MIME database, which the sandbox borrows rather than listing /usr/share with its applications.
const QString systemMimeDatabase = u"/usr/share/mime"_s;
const QStringList applicationFolders{u"/usr/share/applications"_s, u"/home/.local/share/applications"_s};

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void clear(const QString& root)
{
    QDir dir(root);
    if (!dir.exists() || dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return;
    if (!QFile::exists(dir.filePath(markerName)))
        throw std::runtime_error("refusing to write into the non-empty folder " + root.toStdString() +
                                 ", which is not a Linux demo desktop");
    // Removed first, so nothing can ever walk into the system's database.
    QFile::remove(dir.filePath(u"usr/share/mime"_s));
    for (const QString& top : {u"usr"_s, u"etc"_s, u"home"_s})
        if (!QDir(dir.filePath(top)).removeRecursively())
            throw std::runtime_error("cannot remove " + dir.filePath(top).toStdString());
}

int copyResources(const QString& root)
{
    int entries = 0;
    QDirIterator it(resourceRoot, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read " + source.toStdString());
        writeFile(root + source.mid(resourceRoot.size()), file.readAll());
        entries += source.endsWith(u".desktop"_s) ? 1 : 0;
    }
    if (entries == 0)
        throw std::runtime_error("the Linux demo desktop is missing from the build");
    return entries;
}

void drawIcons(const QString& root)
{
    QFile file(u":/tessik/tools/xdg-demo-icons.json"_s);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the Linux demo desktop's icons are missing from the build");
    const QJsonObject icons = QJsonDocument::fromJson(file.readAll()).object();
    const QString theme = root + u"/usr/share/icons/hicolor"_s;
    for (auto it = icons.constBegin(); it != icons.constEnd(); ++it) {
        const QJsonObject design = it.value().toObject();
        const AppIconArtwork::Design look{QColor::fromString(design.value("base"_L1).toString()),
                                          QColor::fromString(design.value("accent"_L1).toString()),
                                          design.value("shape"_L1).toString()};
        for (const int pixels : {48, 256}) {
            const QString path = theme + u"/%1x%1/apps/"_s.arg(pixels) + it.key() + u".png"_s;
            QDir().mkpath(QFileInfo(path).path());
            if (!AppIconArtwork::render(look, pixels).save(path, "PNG"))
                throw std::runtime_error("cannot write " + path.toStdString());
        }
    }
}

QString shellQuoted(const QString& value)
{
    return u'\'' + QString(value).replace(u"'"_s, u"'\\''"_s) + u'\'';
}

// The program an Exec line runs: its first word, looking through `env NAME=value …`, which only sets variables.
QString execProgram(const QString& exec)
{
    const QStringList words = QProcess::splitCommand(exec);
    qsizetype first = 0;
    if (words.value(0) == u"env"_s) {
        first = 1;
        while (words.value(first).contains(u'='))
            ++first;
    }
    return words.value(first);
}

QByteArray standIn(const QString& program)
{
    return u"#!/bin/sh\n"
           "# A stand-in on the Linux demo desktop, where the real program is not installed.\n"
           "printf '%s: the demo desktop'\\''s stand-in, which opens nothing\\n' %1 >&2\n"
           "for file in \"$@\"; do printf '  given %s\\n' \"$file\" >&2; done\n"
           "exit 0\n"_s.arg(shellQuoted(program))
               .toUtf8();
}

void writeStandIn(const QString& bin, const QString& program)
{
    writeFile(bin + program, standIn(program));
    if (!QFile::setPermissions(bin + program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                  QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                  QFile::ExeOther))
        throw std::runtime_error("cannot make " + (bin + program).toStdString() + " executable");
}

// Every program the entries run gets a stand-in in usr/bin, so the entries count as installed.
void writeStandIns(const QString& root)
{
    for (const QString& applications : applicationFolders) {
        QDirIterator it(root + applications, {u"*.desktop"_s}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const std::optional<platform::DesktopEntry> entry = platform::DesktopEntry::read(path, u"C"_s);
            if (!entry || entry->exec.isEmpty())
                continue;
            const QString program = execProgram(entry->exec);
            // A path would bypass the stand-ins, and could lead out of usr/bin.
            if (program.isEmpty() || program.contains(u'/'))
                throw std::runtime_error("the Linux demo desktop's " + path.toStdString() +
                                         " does not run a program by its bare name");
            writeStandIn(root + u"/usr/bin/"_s, program);
        }
    }
}

} // namespace

int XdgDemoSystem::write(const QString& folder)
{
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    clear(root);
    const int entries = copyResources(root);
    drawIcons(root);
    writeStandIns(root);
    if (QFileInfo(systemMimeDatabase).isDir() && !QFile::link(systemMimeDatabase, root + u"/usr/share/mime"_s))
        throw std::runtime_error("cannot link " + root.toStdString() + "/usr/share/mime");
    for (const QString& folder : {u"home/.local/share/mime/packages"_s, u"home/.local/state"_s, u"home/.cache"_s})
        if (!QDir(root).mkpath(folder))
            throw std::runtime_error("cannot create " + QDir(root).filePath(folder).toStdString());
    for (const QString& applications : applicationFolders)
        writeFile(root + applications + u"/mimeinfo.cache"_s, MimeInfoCache::build(root + applications));
    writeFile(QDir(root).filePath(markerName), {});
    return entries;
}

bool XdgDemoSystem::isDesktop(const QString& root)
{
    return QFileInfo(QDir(root).filePath(markerName)).isFile();
}

QString XdgDemoSystem::environment(const QString& folder)
{
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    const QList<std::pair<QString, QString>> variables{
        {u"HOME"_s, root + u"/home"_s},
        {u"XDG_DATA_HOME"_s, root + u"/home/.local/share"_s},
        {u"XDG_CONFIG_HOME"_s, root + u"/home/.config"_s},
        {u"XDG_DATA_DIRS"_s, root + u"/usr/share"_s},
        {u"XDG_CONFIG_DIRS"_s, root + u"/etc/xdg"_s},
        {u"XDG_CURRENT_DESKTOP"_s, u"GNOME"_s},
        {u"XDG_CACHE_HOME"_s, root + u"/home/.cache"_s},
        {u"XDG_STATE_HOME"_s, root + u"/home/.local/state"_s},
    };
    // TESSIK_SYSTEM_ROOT would keep both programs on the Mac it names.
    QString lines = u"unset TESSIK_SYSTEM_ROOT\n"_s;
    for (const auto& [name, value] : variables)
        lines += u"export "_s + name + u'=' + shellQuoted(value) + u'\n';
    // The stand-ins come first; an empty PATH must not become ":", which would search the current folder.
    return lines + u"export PATH="_s + shellQuoted(root + u"/usr/bin"_s) + u"\"${PATH:+:$PATH}\"\n"_s;
}

} // namespace tessik::tools
