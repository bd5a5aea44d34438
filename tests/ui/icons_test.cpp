#include "core/discovery/app_scanner.h"
#include "desktop_sandbox.h"
#include "pipe_watch.h"
#include "platform/workspace.h"
#include "systemwriter/demo_system.h"
#include "temporary_system.h"
#include "ui/icons/app_icon_cache.h"
#include "ui/icons/system_images.h"
#include "ui/icons/tessik_logo.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <map>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::ui;

TEST(Icons, EveryApplicationHasAnIconAtTheSizeDrawnAndThePlatformIsAskedOncePerBundle)
{
    tessik::testing::TemporarySystem system;
    const QString path = system.addApp(u"Applications/Plain.app"_s, u"com.example.Plain"_s);
    const InstalledApp app{u"Plain"_s, u"com.example.Plain"_s, QUrl::fromLocalFile(path), {}};
    const int before = AppIconCache::platformLookups();
    const QPixmap small = AppIconCache::icon(app, 28, 2);
    EXPECT_EQ(small.size(), QSize(56, 56));
    EXPECT_FALSE(small.toImage().allGray() && small.toImage().pixelColor(28, 28).alpha() == 0) << "not blank";
    EXPECT_EQ(AppIconCache::icon(app, 48, 1).size(), QSize(48, 48));
    EXPECT_EQ(AppIconCache::platformLookups(), before + 1);
}

TEST(Icons, DemoApplicationsShowTheirOwnArtwork)
{
    tessik::testing::TemporarySystem system;
    tools::DemoSystem::write(system.root());
    const QImage generic = SystemImages::drawn(SystemImages::Symbol::genericApplication).pixmap(28, 28).toImage();
    // The tile's colour near its top edge, where no glyph is drawn (the base colours of demo-system.json).
    const auto tileColour = [](const QPixmap& pixmap) {
        const QImage image = pixmap.toImage();
        return image.pixelColor(image.width() / 2, image.height() / 8);
    };
    const auto near = [](const QColor& a, const QColor& b) {
        return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 60;
    };
    const InstalledApp music{
        u"Music"_s, u"com.apple.Music"_s, QUrl::fromLocalFile(system.root() + u"/System/Applications/Music.app"_s), {}};
    const QPixmap row = AppIconCache::icon(music, 28, 1);
    EXPECT_EQ(row.size(), QSize(28, 28));
    EXPECT_NE(row.toImage(), generic);
    EXPECT_TRUE(near(tileColour(row), QColor(0xFA, 0x3C, 0x5A))) << qPrintable(tileColour(row).name());
    const QPixmap header = AppIconCache::icon(music, 48, 2);
    EXPECT_EQ(header.size(), QSize(96, 96));
    EXPECT_TRUE(near(tileColour(header), QColor(0xFA, 0x3C, 0x5A))) << qPrintable(tileColour(header).name());

    // The same identifier at two places: each bundle shows its own icon.
    const InstalledApp code{u"Code"_s,
                            u"com.microsoft.VSCode"_s,
                            QUrl::fromLocalFile(system.root() + u"/Applications/Visual Studio Code.app"_s),
                            {}};
    InstalledApp userCode = code;
    userCode.url = QUrl::fromLocalFile(system.root() + u"/home/Applications/Visual Studio Code.app"_s);
    EXPECT_TRUE(near(tileColour(AppIconCache::icon(code, 28, 1)), QColor(0x1E, 0x6F, 0xD0)));
    EXPECT_TRUE(near(tileColour(AppIconCache::icon(userCode, 28, 1)), QColor(0x24, 0xA0, 0x5A)));
}

TEST(Icons, SymbolsAreNeverBlank)
{
    for (const auto symbol : {SystemImages::Symbol::refresh, SystemImages::Symbol::plus, SystemImages::Symbol::circle,
                              SystemImages::Symbol::filledCircle, SystemImages::Symbol::genericApplication}) {
        const QImage image = SystemImages::icon(symbol, Qt::blue).pixmap(32, 32).toImage();
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                painted += image.pixelColor(x, y).alpha() > 0;
        EXPECT_GT(painted, 20) << int(symbol);
    }
    EXPECT_FALSE(TessikLogo::artwork().isNull());
}

TEST(Icons, DesktopApplicationsShowTheirThemeIcons)
{
    tessik::testing::enterXdgDemo();

    const QImage generic = SystemImages::drawn(SystemImages::Symbol::genericApplication).pixmap(28, 28).toImage();
    const QList<InstalledApp> apps = AppScanner().scan();
    ASSERT_GT(apps.size(), 20);
    for (const InstalledApp& app : apps)
        EXPECT_NE(AppIconCache::icon(app, 28, 1).toImage(), generic) << qPrintable(app.bundleIdentifier);
    // Two sizes of the theme: the larger picture serves a header on a high-density screen.
    const auto editor = std::find_if(apps.begin(), apps.end(), [](const InstalledApp& app) {
        return app.bundleIdentifier == u"org.gnome.TextEditor.desktop"_s;
    });
    ASSERT_NE(editor, apps.end());
    EXPECT_EQ(AppIconCache::icon(*editor, 48, 2).size(), QSize(96, 96));
}

TEST(Icons, APipeNamedAsAnIconIsNeverOpened)
{
    const QImage generic = SystemImages::drawn(SystemImages::Symbol::genericApplication).pixmap(28, 28).toImage();

    // A bundle whose icon file is a pipe.
    {
        tessik::testing::TemporarySystem system;
        const QString path = system.addApp(u"Applications/Piped.app"_s, u"com.example.Piped"_s, {},
                                           {{u"CFBundleIconFile"_s, u"Piped.icns"_s}});
        ASSERT_TRUE(QDir().mkpath(path + u"/Contents/Resources"_s));
        tessik::testing::PipeWatch pipe(path + u"/Contents/Resources/Piped.icns"_s);
        ASSERT_TRUE(pipe.ready());
        const InstalledApp app{u"Piped"_s, u"com.example.Piped"_s, QUrl::fromLocalFile(path), {}};
        EXPECT_EQ(AppIconCache::icon(app, 28, 1).toImage(), generic);
        EXPECT_EQ(pipe.opens(), 0);
    }

    // A desktop entry naming a pipe by its path, and one whose theme icon is a pipe.
    const QString root = tessik::testing::enterXdgDemo();
    const QString applications = root + u"/home/.local/share/applications/"_s;
    const QString themed = root + u"/home/.local/share/icons/hicolor/48x48/apps/"_s;
    ASSERT_TRUE(QDir().mkpath(themed));
    tessik::testing::PipeWatch absolute(root + u"/piped-icon.png"_s);
    tessik::testing::PipeWatch theme(themed + u"piped-theme.png"_s);
    ASSERT_TRUE(absolute.ready() && theme.ready());
    const std::map<QString, QString> icons{{u"absolute.desktop"_s, root + u"/piped-icon.png"_s},
                                           {u"theme.desktop"_s, u"piped-theme"_s}};
    for (const auto& [file, icon] : icons) {
        QFile entry(applications + file);
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Piped\nExec=true %f\nIcon=" + icon.toUtf8() + '\n');
    }
    int piped = 0;
    for (const InstalledApp& app : AppScanner().scan()) {
        if (!icons.contains(app.bundleIdentifier))
            continue;
        ++piped;
        ASSERT_EQ(platform::Workspace::iconFileForApplication(app.url), icons.at(app.bundleIdentifier));
        EXPECT_EQ(AppIconCache::icon(app, 28, 1).toImage(), generic) << qPrintable(app.bundleIdentifier);
    }
    EXPECT_EQ(piped, 2);
    EXPECT_EQ(absolute.opens(), 0);
    EXPECT_EQ(theme.opens(), 0);
}
