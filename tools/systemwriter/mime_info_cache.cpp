#include "mime_info_cache.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

// The keys of the [Desktop Entry] group; actions and other groups do not count.
QHash<QString, QString> desktopEntry(const QString& path)
{
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == u"[Desktop Entry]"_s;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inEntry && !line.startsWith(u'#') && equals > 0)
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1));
    }
    return keys;
}

// The tool drops types whose media type is unregistered (case matters) or whose subtype is empty or not a token.
bool validMimeType(const QString& type)
{
    static const QSet<QString> media{
        u"application"_s, u"audio"_s,           u"chemical"_s,  u"font"_s, u"image"_s, u"inode"_s,
        u"message"_s,     u"model"_s,           u"multipart"_s, u"text"_s, u"video"_s, u"x-content"_s,
        u"x-epoc"_s,      u"x-scheme-handler"_s};
    const qsizetype slash = type.indexOf(u'/');
    if (slash < 0 || !media.contains(type.left(slash)))
        return false;
    const QString subtype = type.mid(slash + 1);
    return !subtype.isEmpty() && std::none_of(subtype.cbegin(), subtype.cend(), [](QChar c) {
        return c.unicode() <= u' ' || u"()<>@,;:\\\"/[]?="_s.contains(c);
    });
}

// Desktop file IDs join sub-folder names with "-".
void collect(const QString& folder, const QString& prefix, QMap<QByteArray, QSet<QByteArray>>& types)
{
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (info.isDir()) {
            collect(info.filePath(), prefix + info.fileName() + u'-', types);
            continue;
        }
        if (!info.fileName().endsWith(u".desktop"_s))
            continue;
        const QHash<QString, QString> entry = desktopEntry(info.filePath());
        const QString hidden = entry.value(u"Hidden"_s).trimmed();
        if (hidden == u"true"_s || hidden == u"1"_s)
            continue;
        const QByteArray id = (prefix + info.fileName()).toUtf8();
        for (const QString& raw : entry.value(u"MimeType"_s).split(u';', Qt::SkipEmptyParts)) {
            // Trailing white space is forgiven, leading white space is not.
            QString type = raw;
            while (!type.isEmpty() && type.back().isSpace())
                type.chop(1);
            if (validMimeType(type))
                types[type.toUtf8()].insert(id);
        }
    }
}

} // namespace

QByteArray MimeInfoCache::build(const QString& applicationsDirectory)
{
    QMap<QByteArray, QSet<QByteArray>> types;
    collect(applicationsDirectory, {}, types);
    QByteArray cache = "[MIME Cache]\n";
    for (auto it = types.cbegin(); it != types.cend(); ++it) {
        QList<QByteArray> ids(it->cbegin(), it->cend());
        std::sort(ids.begin(), ids.end());
        cache += it.key() + '=';
        for (const QByteArray& id : ids)
            cache += id + ';';
        cache += '\n';
    }
    return cache;
}

} // namespace tessik::tools
