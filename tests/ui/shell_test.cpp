#include "app/l10n/l10n.h"
#include "future_wait.h"
#include "platform/launch_services.h"
#include "platform/uniform_type.h"
#include "platform/workspace.h"
#include "temporary_system.h"
#include "ui/settings/language_setting.h"
#include "ui/shell/about_panel.h"
#include "ui/shell/confirmation_prompt.h"
#include "ui/shell/shell.h"
#include "ui/shell/url_opener.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <future>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::testing;
using namespace tessik::ui;

namespace {

const QString markdown = u"net.daringfireball.markdown"_s;

std::future<std::optional<platform::NSError>> askInBackground(const QString& appPath)
{
    return std::async(std::launch::async, [appPath] {
        return platform::Workspace::setDefaultApplication(QUrl::fromLocalFile(appPath),
                                                          *platform::UTType::typeWithIdentifier(markdown));
    });
}

} // namespace

TEST(ShellTest, OneMainWindowWithTheMenusOfTheProgram)
{
    TemporarySystem system;
    LanguageSetting::shared().setCode(u"zh"_s);
    int made = 0;
    Shell shell([&made] {
        ++made;
        return new QMainWindow;
    });
    shell.launch();
    QMainWindow* window = shell.mainWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(shell.mainWindow(), window);
    EXPECT_EQ(made, 1);
    EXPECT_FALSE(QApplication::windowIcon().isNull());

    QStringList items;
    for (QAction* menu : window->menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            items.append(item->text());
    EXPECT_EQ(items, (QStringList{u"关于 Tessik"_s, u"设置…"_s, u"退出 Tessik"_s, u"Tessik 官网"_s}))
        << "no item makes a second window";
    EXPECT_EQ(shell.quitAction()->shortcut(), QKeySequence(u"Ctrl+Q"_s));
    // Qt's own dialogs speak the interface language.
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Find Directory"), u"Find Directory"_s);
    LanguageSetting::shared().setCode(u"en"_s);
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Find Directory"), u"Find Directory"_s);
    LanguageSetting::shared().setCode(u"zh"_s);

    QList<QUrl> opened;
    UrlOpener::set([&opened](const QUrl& url) {
        opened.append(url);
        return true;
    });
    shell.websiteAction()->trigger();
    UrlOpener::set({});
    EXPECT_EQ(opened, QList<QUrl>{Shell::website});

    shell.aboutAction()->trigger();
    auto* about = window->findChild<QMessageBox*>(u"aboutPanel"_s);
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible()) << "open, not a nested loop";
    EXPECT_TRUE(about->informativeText().contains(L10n::text(u"按照自己的方式打开文件。"_s, u"zh"_s)));
    EXPECT_TRUE(about->informativeText().contains(L10n::text(u"按格式或应用选择默认打开方式。"_s, u"zh"_s)));
    about->close();
}

TEST(ShellTest, TheConfirmationIsAskedOnTheInterfaceThreadAndNeverLeavesAThreadWaiting)
{
    TemporarySystem system;
    LanguageSetting::shared().setCode(u"en"_s);
    const QString editor =
        system.addApp(u"Applications/Editor.app"_s, u"com.example.Editor"_s, {}, {{u"CFBundleName"_s, u"Editor"_s}});
    QWidget window;
    window.show();
    // Declared before the prompt, so a failed check still releases the waiting threads before they are joined.
    std::vector<std::future<std::optional<platform::NSError>>> asked;
    asked.reserve(4);
    const auto ask = [&asked, &editor ]() -> auto&
    {
        return asked.emplace_back(askInBackground(editor));
    };
    ConfirmationPrompt prompt;
    prompt.setWindow(&window);
    prompt.install();

    auto& accepted = ask();
    ASSERT_TRUE(eventually([&] { return prompt.openQuestion() != nullptr; }));
    QMessageBox* box = prompt.openQuestion();
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->text(), L10n::text(u"要让“{app}”成为 {format} 的默认打开方式吗？"_s, u"en"_s,
                                      {{u"app"_s, u"Editor"_s}, {u"format"_s, u".markdn, .markdown, .md, .mdown"_s}}));
    QTest::mouseClick(box->findChild<QPushButton*>(u"confirm"_s), Qt::LeftButton);
    EXPECT_FALSE(accepted.get());
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(markdown, platform::kLSRolesAll),
              u"com.example.Editor"_s);

    auto& declined = ask();
    ASSERT_TRUE(eventually([&] { return prompt.openQuestion() != nullptr; }));
    QTest::mouseClick(prompt.openQuestion()->findChild<QPushButton*>(u"decline"_s), Qt::LeftButton);
    const auto refusal = declined.get();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->code(), platform::NSUserCancelledError);

    // Quitting with a question open answers it, and later questions are refused at once.
    auto& waiting = ask();
    ASSERT_TRUE(eventually([&] { return prompt.openQuestion() != nullptr; }));
    prompt.shutdown();
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(waiting.get()->code(), platform::NSUserCancelledError);
    EXPECT_TRUE(eventually([&] { return prompt.openQuestion() == nullptr; }));
    EXPECT_TRUE(ask().get());
    LanguageSetting::shared().setCode(u"zh"_s);
}
