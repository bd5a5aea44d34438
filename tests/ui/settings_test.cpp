#include "app/l10n/l10n.h"
#include "future_wait.h"
#include "platform/system_root.h"
#include "temporary_system.h"
#include "ui/settings/language_setting.h"
#include "ui/settings/settings_window.h"
#include "ui/shell/shell.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::testing;
using namespace tessik::ui;

namespace {

QString text(const QString& key, const QString& language)
{
    return L10n::text(key, language);
}

} // namespace

TEST(SettingsWindowTest, ChangingTheLanguageRetranslatesEveryWindowAtOnce)
{
    TemporarySystem system;
    LanguageSetting::shared().setCode(u"zh"_s);
    Shell shell([] { return new QMainWindow; });
    shell.mainWindow();
    SettingsWindow* settings = shell.showSettings();
    EXPECT_EQ(shell.showSettings(), settings) << "one settings window";
    EXPECT_EQ(settings->windowTitle(), u"Tessik · 设置"_s);
    EXPECT_EQ(settings->width(), 520);

    auto* picker = settings->findChild<QComboBox*>(u"language"_s);
    QAbstractItemModelTester tester(picker->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(picker->count(), 7);
    EXPECT_EQ(picker->itemText(0), u"中文"_s);
    EXPECT_EQ(picker->itemText(6), u"한국어"_s);

    for (const auto& [downs, language] : {std::pair{1, u"en"_s}, std::pair{2, u"de"_s}}) {
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(picker, Qt::Key_Down);
        EXPECT_EQ(LanguageSetting::shared().code(), language);
        EXPECT_EQ(settings->windowTitle(), u"Tessik · "_s + text(u"设置"_s, language));
        EXPECT_EQ(settings->findChild<QLabel*>(u"heading"_s)->text(), text(u"设置"_s, language));
        EXPECT_EQ(settings->findChild<QGroupBox*>(u"languageGroup"_s)->title(), text(u"语言"_s, language));
        EXPECT_EQ(settings->findChild<QPushButton*>(u"composeFeedback"_s)->text(), text(u"撰写反馈邮件"_s, language));
        EXPECT_EQ(shell.aboutAction()->text(), text(u"关于 Tessik"_s, language));
        EXPECT_EQ(shell.websiteAction()->text(), text(u"Tessik 官网"_s, language));
    }
    EXPECT_NE(text(u"关于 Tessik"_s, u"de"_s), text(u"关于 Tessik"_s, u"en"_s));
    LanguageSetting::shared().setCode(u"zh"_s);
    EXPECT_EQ(picker->currentIndex(), 0) << "the picker follows a change made elsewhere";
}

TEST(SettingsWindowTest, EscapeAndCloseKeysCloseIt)
{
    TemporarySystem system;
    SettingsWindow settings;
    for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::CTRL | Qt::Key_W)}) {
        settings.show();
        settings.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&settings));
        QTest::keyClick(&settings, keys.key(), keys.keyboardModifiers());
        EXPECT_FALSE(settings.isVisible()) << QKeySequence(keys).toString().toStdString();
    }
}

TEST(SettingsWindowTest, FeedbackMailCarriesTheVersionAndSystem)
{
    TemporarySystem system;
    LanguageSetting::shared().setCode(u"en"_s);
    const QString bare = system.root() + u"/Bare.app"_s;
    QDir().mkpath(bare + u"/Contents"_s);
    SettingsWindow settings(nullptr, *platform::Bundle::bundleWithURL(QUrl::fromLocalFile(bare)));
    settings.show();

    // Nothing takes mailto yet: the alert says so.
    QTest::mouseClick(settings.findChild<QPushButton*>(u"composeFeedback"_s), Qt::LeftButton);
    auto* alert = settings.findChild<QMessageBox*>(u"mailAlert"_s);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), text(u"无法打开邮件应用。"_s, u"en"_s));
    EXPECT_TRUE(alert->isVisible());
    QTest::mouseClick(alert->findChild<QPushButton*>(u"ok"_s), Qt::LeftButton);
    EXPECT_TRUE(eventually([&] { return !settings.findChild<QMessageBox*>(u"mailAlert"_s); }));

    system.addApp(
        u"Applications/Mail.app"_s, u"com.apple.mail"_s, {},
        {{u"CFBundleURLTypes"_s, QVariantList{QVariantMap{{u"CFBundleURLSchemes"_s, QStringList{u"mailto"_s}}}}}});
    QTest::mouseClick(settings.findChild<QPushButton*>(u"composeFeedback"_s), Qt::LeftButton);
    EXPECT_FALSE(settings.findChild<QMessageBox*>(u"mailAlert"_s));
    QFile log(system.root() + u"/home/Library/Logs/OpenedURLs.log"_s);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QUrl opened = QUrl::fromEncoded(log.readAll().trimmed());
    EXPECT_EQ(opened.scheme(), u"mailto"_s);
    EXPECT_TRUE(opened.path().isEmpty()) << "no recipient";
    const QUrlQuery query(opened);
    EXPECT_EQ(query.queryItemValue(u"subject"_s, QUrl::FullyDecoded), text(u"Tessik 问题反馈"_s, u"en"_s));
    EXPECT_EQ(query.queryItemValue(u"body"_s, QUrl::FullyDecoded),
              L10n::text(u"应用版本：{version}\nmacOS：{system}\n\n问题描述：\n"_s, u"en"_s,
                         {{u"version"_s, u"1.0.0"_s}, {u"system"_s, QSysInfo::prettyProductName()}}));

    EXPECT_TRUE(
        QUrlQuery(SettingsWindow().feedbackMail())
            .queryItemValue(u"body"_s, QUrl::FullyDecoded)
            .contains(
                platform::Bundle::mainBundle().infoDictionary().value(u"CFBundleShortVersionString"_s).toString()))
        << "the program's own version when it has one";
    LanguageSetting::shared().setCode(u"zh"_s);
}
