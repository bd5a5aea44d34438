#include "xdg_demo_system.h"

#include "app_icon_artwork.h"
#include "mime_info_cache.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

const QString markerName = u".tessik-xdg-demo"_s;
const QString resourceRoot = u":/tessik/tools/xdg-demo"_s;
// The system's MIME database, which the sandbox borrows rather than listing /usr/share with its applications.
const QString systemMimeDatabase = u"/usr/share/mime"_s;

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

} // namespace

int XdgDemoSystem::write(const QString& folder)
{
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    clear(root);
    const int entries = copyResources(root);
    drawIcons(root);
    if (QFileInfo(systemMimeDatabase).isDir() && !QFile::link(systemMimeDatabase, root + u"/usr/share/mime"_s))
        throw std::runtime_error("cannot link " + root.toStdString() + "/usr/share/mime");
    for (const QString& folder : {u"home/.local/share/mime/packages"_s, u"home/.local/state"_s, u"home/.cache"_s})
        if (!QDir(root).mkpath(folder))
            throw std::runtime_error("cannot create " + QDir(root).filePath(folder).toStdString());
    for (const QString& applications : {u"/usr/share/applications"_s, u"/home/.local/share/applications"_s})
        writeFile(root + applications + u"/mimeinfo.cache"_s, MimeInfoCache::build(root + applications));
    writeFile(QDir(root).filePath(markerName), {});
    return entries;
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
    QString lines;
    for (const auto& [name, value] : variables)
        lines += u"export "_s + name + u'=' + shellQuoted(value) + u'\n';
    return lines;
}

} // namespace tessik::tools
