#include "desktop_icon_theme.h"

#include "platform/file_stamp.h"
#include "platform/xdg/key_file_document.h"
#include "platform/xdg/xdg_environment.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

// Follows the environment, which a test or a sandboxed session may point elsewhere.
void useSearchPaths()
{
    const platform::XdgEnvironment environment = platform::XdgEnvironment::current();
    QStringList paths{environment.dataHome + u"/icons"_s};
    for (const QString& folder : environment.dataDirs)
        paths.append(folder + u"/icons"_s);
    if (QIcon::themeSearchPaths() != paths)
        QIcon::setThemeSearchPaths(paths);
    if (QIcon::fallbackThemeName().isEmpty())
        QIcon::setFallbackThemeName(u"hicolor"_s);
    // Without a desktop session no theme is named, and hicolor is where every application installs its icon.
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(u"hicolor"_s);
}

QStringList commaList(const std::optional<QString>& value)
{
    QStringList items;
    for (const QString& item : value.value_or(QString()).split(u',', Qt::SkipEmptyParts))
        if (const QString trimmed = item.trimmed(); !trimmed.isEmpty())
            items.append(trimmed);
    return items;
}

// The folders where Qt looks for a theme icon's files, read from the themes' indexes; nothing when an index or an
// icon cache is not a regular file. Every icon shares one reading per set of themes and search paths.
std::optional<QStringList> themeIconFolders()
{
    static QString cachedKey;
    static std::optional<QStringList> cached;
    const QString key = QStringList{QIcon::themeName(), QIcon::fallbackThemeName(),
                                    QIcon::themeSearchPaths().join(u'\n')}.join(u'\n');
    if (key == cachedKey)
        return cached;

    constexpr qint64 maximumIndexSize = 1024 * 1024;
    QStringList themes{QIcon::themeName(), QIcon::fallbackThemeName(), u"hicolor"_s};
    QSet<QString> seen;
    QStringList iconFolders;
    bool regular = true;
    while (regular && !themes.isEmpty()) {
        const QString theme = themes.takeFirst();
        if (theme.isEmpty() || seen.contains(theme))
            continue;
        seen.insert(theme);
        QStringList folders;
        QStringList subfolders;
        for (const QString& base : QIcon::themeSearchPaths()) {
            const QString folder = base + u'/' + theme;
            if (!QFileInfo(folder).isDir())
                continue;
            folders.append(folder);
            for (const QString& file : {u"/index.theme"_s, u"/icon-theme.cache"_s})
                regular = regular && platform::FileStamp::isMissingOrRegular(folder + file);
            if (!regular)
                break;
            platform::FileStamp stamp;
            const std::optional<QByteArray> index =
                platform::FileStamp::read(folder + u"/index.theme"_s, maximumIndexSize, stamp);
            if (!index)
                continue;
            const platform::KeyFileDocument document = platform::KeyFileDocument::parse(*index);
            const QString group = u"Icon Theme"_s;
            subfolders += commaList(document.value(group, u"Directories"_s));
            subfolders += commaList(document.value(group, u"ScaledDirectories"_s));
            // Inherited themes come before the fallbacks already queued.
            const QStringList inherited = commaList(document.value(group, u"Inherits"_s));
            for (qsizetype i = 0; i < inherited.size(); ++i)
                themes.insert(i, inherited.at(i));
        }
        subfolders.removeDuplicates();
        for (const QString& folder : folders)
            for (const QString& subfolder : subfolders)
                iconFolders.append(folder + u'/' + subfolder + u'/');
    }
    cachedKey = key;
    cached = regular ? std::optional<QStringList>(iconFolders) : std::nullopt;
    return cached;
}

// Qt opens a theme's index, its icon cache and the icon's files in the theme's folders as they are, and opening a
// named pipe waits for a writer that may never come. So a theme icon is taken only when every file its lookup may
// open is missing or a regular file, which a stat tells without opening anything.
bool lookupOpensOnlyRegularFiles(const QString& iconName)
{
    const std::optional<QStringList> folders = themeIconFolders();
    if (!folders)
        return false;
    for (const QString& folder : *folders)
        for (const QString& suffix : {u".png"_s, u".svg"_s, u".xpm"_s})
            if (!platform::FileStamp::isMissingOrRegular(folder + iconName + suffix))
                return false;
    return true;
}

} // namespace

QIcon DesktopIconTheme::icon(const QString& name)
{
    if (name.isEmpty())
        return {};
    useSearchPaths();
    // Entries written for old desktops sometimes name the file rather than the icon.
    QString iconName = name;
    for (const QString& suffix : {u".png"_s, u".svg"_s, u".xpm"_s})
        if (iconName.endsWith(suffix))
            iconName.chop(suffix.size());
    if (!lookupOpensOnlyRegularFiles(iconName))
        return {};
    if (QIcon icon = QIcon::fromTheme(iconName); !icon.isNull())
        return icon;
    // The pixmaps folders come last and hold files, not themes.
    const platform::XdgEnvironment environment = platform::XdgEnvironment::current();
    for (const QString& folder : environment.dataDirs)
        for (const QString& suffix : {u".png"_s, u".svg"_s, u".xpm"_s})
            if (const QString path = folder + u"/pixmaps/"_s + iconName + suffix; QFileInfo(path).isFile())
                return QIcon(path);
    return {};
}

} // namespace tessik::ui
