#include "temporary_system.h"
#include "ui/icons/app_icon_cache.h"
#include "ui/icons/system_images.h"
#include "ui/icons/tessik_logo.h"

#include <QImage>

#include <gtest/gtest.h>

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
