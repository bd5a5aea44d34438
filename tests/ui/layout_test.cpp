#include "app/l10n/app_language.h"
#include "app/update/format_catalog_updater.h"
#include "desktop_sandbox.h"
#include "future_wait.h"
#include "layout_inspector.h"
#include "systemwriter/demo_system.h"
#include "temporary_system.h"
#include "ui/main/main_window.h"
#include "ui/settings/language_setting.h"
#include "ui/settings/settings_window.h"
#include "ui/sheets/add_format_sheet.h"
#include "ui/sheets/app_chooser_sheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::ui;
using tessik::testing::LayoutInspector;

namespace {

// Runs the posted layout requests and the window resizes they cause; nothing waits for time to pass.
void settle()
{
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
}

// Saves what the test looked at when TESSIK_UI_SCREENSHOTS names a folder.
void keep(QWidget& widget, const QString& name)
{
    if (const QString folder = qEnvironmentVariable("TESSIK_UI_SCREENSHOTS"); !folder.isEmpty())
        widget.grab().save(folder + u'/' + name + u".png"_s);
}

void expectClean(QWidget& window, const QString& language, const QString& what)
{
    const QStringList problems = LayoutInspector::problems(&window, language);
    EXPECT_TRUE(problems.isEmpty()) << qPrintable(what + u" in "_s + language + u":\n"_s + problems.join(u'\n'));
    keep(window, what + u'-' + language);
}

// The window at its minimum size with the catalog loaded.
bool showLoaded(MainWindow& window)
{
    window.setCatalogUpdatesEnabled(false);
    window.resize(950, 600);
    window.show();
    return tessik::testing::eventually([&] { return !window.model().busy() && !window.model().apps().isEmpty(); });
}

// Both views of the window in the language, one application and one format selected.
void expectBothViewsClean(MainWindow& window, const QString& language, const QString& app, const QString& type,
                          const QString& what)
{
    for (const bool byApp : {true, false}) {
        window.setByApp(byApp);
        if (byApp)
            window.model().setSelectedApp(app);
        else
            window.model().setSelectedType(type);
        settle();
        expectClean(window, language, what + (byApp ? u"-by-app"_s : u"-by-format"_s));
    }
}

class LayoutTest : public ::testing::Test
{
protected:
    LayoutTest() { tools::DemoSystem::write(system.root()); }
    ~LayoutTest() override { LanguageSetting::shared().setOverride(std::nullopt); }

    tessik::testing::TemporarySystem system;
    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
};

} // namespace

TEST(LayoutInspector, SeesClippedTextOverlapsAndUntranslatedTexts)
{
    QWidget good;
    auto* row = new QHBoxLayout(&good);
    row->addWidget(new QLabel(u"Tessik"_s));
    row->addWidget(new QPushButton(u"Apply Changes"_s));
    good.resize(400, 60);
    good.show();
    EXPECT_TRUE(LayoutInspector::problems(&good, u"en"_s).isEmpty())
        << qPrintable(LayoutInspector::problems(&good, u"en"_s).join(u'\n'));

    QWidget bad;
    auto* clipped = new QPushButton(u"A button whose text is far too long"_s, &bad);
    clipped->setGeometry(0, 0, 40, 30);
    auto* covering = new QLabel(u"刷新应用与关联"_s, &bad);
    covering->setGeometry(20, 10, 300, 30);
    bad.resize(400, 60);
    bad.show();
    const QStringList problems = LayoutInspector::problems(&bad, u"de"_s);
    EXPECT_EQ(problems.filter(u"needs"_s).size(), 1) << qPrintable(problems.join(u'\n'));
    EXPECT_EQ(problems.filter(u"overlap"_s).size(), 1);
    EXPECT_EQ(problems.filter(u"untranslated"_s).size(), 1);
    EXPECT_TRUE(LayoutInspector::problems(&bad, u"zh"_s).filter(u"untranslated"_s).isEmpty());
}

TEST_F(LayoutTest, TheMainWindowFitsItsTextsAtTheMinimumSizeInEveryLanguage)
{
    MainWindow window(&updater);
    ASSERT_TRUE(showLoaded(window));
    EXPECT_GE(window.minimumSizeHint().width(), 0);
    window.model().stage(u"public.jpeg"_s, u"com.apple.Preview"_s);
    // The format with the longest title.
    const auto& labels = window.model().index().labels;
    const QString longest =
        *std::max_element(labels.keyBegin(), labels.keyEnd(), [&](const QString& a, const QString& b) {
            return labels.value(a).size() < labels.value(b).size();
        });
    for (const AppLanguage language : AppLanguage::allCases()) {
        LanguageSetting::shared().setOverride(language.rawValue());
        expectBothViewsClean(window, language.rawValue(), u"com.microsoft.VSCode"_s, u"public.jpeg"_s, u"main"_s);
        expectBothViewsClean(window, language.rawValue(), u"com.microsoft.VSCode"_s, longest, u"main-long"_s);
    }
}

TEST(LayoutOnAChineseMachine, ApplicationNamesFitTheRowsThatDrawThem)
{
    tessik::testing::TemporarySystem system;
    tools::DemoSystem::write(system.root(), {u"zh-Hans"_s});
    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    MainWindow window(&updater);
    ASSERT_TRUE(showLoaded(window));
    ASSERT_EQ(window.model().appName(u"com.apple.Safari"_s), u"Safari浏览器"_s);
    for (const AppLanguage language : AppLanguage::allCases()) {
        LanguageSetting::shared().setOverride(language.rawValue());
        for (const QString& type : {u"public.html"_s, u"com.apple.iwork.pages.pages"_s})
            expectBothViewsClean(window, language.rawValue(), u"com.apple.iWork.Pages"_s, type, u"zh-machine"_s);
    }
    LanguageSetting::shared().setOverride(std::nullopt);
}

TEST_F(LayoutTest, TheSheetsAndTheSettingsFitTheirTextsInEveryLanguage)
{
    MainWindow window(&updater);
    ASSERT_TRUE(showLoaded(window));
    window.model().setSelectedApp(u"com.microsoft.VSCode"_s);
    window.model().setSelectedType(u"public.jpeg"_s);
    AddFormatSheet forApp(window.model(), true, &window);
    AddFormatSheet forFormat(window.model(), false, &window);
    AppChooserSheet chooser(window.model(), &window);
    SettingsWindow settings;
    const QList<std::pair<QWidget*, QString>> windows{{&forApp, u"add-format-for-app"_s},
                                                      {&forFormat, u"add-format"_s},
                                                      {&chooser, u"choose-app"_s},
                                                      {&settings, u"settings"_s}};
    for (const auto& [each, name] : windows)
        each->show();
    for (const AppLanguage language : AppLanguage::allCases()) {
        LanguageSetting::shared().setOverride(language.rawValue());
        settle();
        for (const auto& [each, name] : windows)
            expectClean(*each, language.rawValue(), name);
        // Again with the red error under the input, in this language.
        for (AddFormatSheet* sheet : {&forApp, &forFormat}) {
            sheet->findChild<QLineEdit*>(u"input"_s)->setText(u"not/an extension"_s);
            QTest::mouseClick(sheet->findChild<QPushButton*>(u"add"_s), Qt::LeftButton);
            ASSERT_TRUE(sheet->error());
            settle();
            expectClean(*sheet, language.rawValue(),
                        sheet == &forApp ? u"add-format-for-app-error"_s : u"add-format-error"_s);
        }
    }
}

TEST(LayoutOnADesktop, TheMainWindowAndTheChooserFitTheirTextsOnALinuxDesktop)
{
    tessik::testing::enterXdgDemo();
    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    MainWindow window(&updater);
    ASSERT_TRUE(showLoaded(window));
    AppChooserSheet chooser(window.model(), &window);
    for (const AppLanguage language : AppLanguage::allCases()) {
        LanguageSetting::shared().setOverride(language.rawValue());
        expectBothViewsClean(window, language.rawValue(), u"libreoffice-writer.desktop"_s, u"text/plain"_s,
                             u"desktop"_s);
        chooser.show();
        settle();
        expectClean(chooser, language.rawValue(), u"desktop-choose-app"_s);
        chooser.hide();
    }
    LanguageSetting::shared().setOverride(std::nullopt);
}
