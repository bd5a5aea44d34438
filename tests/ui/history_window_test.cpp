#include "app/model/app_model.h"
#include "app/update/format_catalog_updater.h"
#include "future_wait.h"
#include "platform/launch_services.h"
#include "platform/workspace.h"
#include "scripted_services.h"
#include "temporary_system.h"
#include "ui/history/history_window.h"
#include "ui/main/elided_label.h"
#include "ui/main/main_window.h"
#include "ui/settings/language_setting.h"
#include "ui/shell/shell.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::testing;
using namespace tessik::ui;

namespace {

const QString markdown = u"net.daringfireball.markdown"_s;
const QString png = u"public.png"_s;
const QString preview = u"com.apple.Preview"_s;
const QString textEdit = u"com.apple.TextEdit"_s;

class HistoryWindowTest : public ::testing::Test
{
protected:
    HistoryWindowTest()
    {
        LanguageSetting::shared().setOverride(u"zh"_s);
        system.addApp(u"Applications/Preview.app"_s, preview,
                      {TemporarySystem::documentType({png}, {u"png"_s}, u"Viewer"_s, u"Owner"_s),
                       TemporarySystem::documentType({markdown}, {u"md"_s}, u"Viewer"_s, u"Alternate"_s)},
                      {{u"CFBundleName"_s, u"Preview"_s}});
        system.addApp(u"Applications/TextEdit.app"_s, textEdit,
                      {TemporarySystem::documentType({markdown, png}, {u"md"_s}, u"Editor"_s)},
                      {{u"CFBundleName"_s, u"TextEdit"_s}});
    }

    ~HistoryWindowTest() override { LanguageSetting::shared().setOverride(std::nullopt); }

    MainWindow& open()
    {
        auto& window = static_cast<MainWindow&>(*shell.mainWindow());
        window.model().setSleeper(sleeper);
        window.show();
        EXPECT_TRUE(eventually([&] { return !window.model().busy() && !window.model().apps().isEmpty(); }));
        return window;
    }

    // Answers the restore question that is open over `parent`, after checking what it says.
    void confirm(QWidget* parent, const QString& mentions)
    {
        QMessageBox* box = nullptr;
        ASSERT_TRUE(eventually([&] { return (box = parent->findChild<QMessageBox*>(u"restoreQuestion"_s)); }));
        EXPECT_TRUE(box->informativeText().contains(mentions)) << box->informativeText().toStdString();
        QTest::mouseClick(box->findChild<QPushButton*>(u"confirmRestoreButton"_s), Qt::LeftButton);
    }

    std::optional<QString> viewerOf(const QString& type)
    {
        return platform::LSCopyDefaultRoleHandlerForContentType(type, platform::kLSRolesViewer);
    }

    TemporarySystem system;
    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    std::shared_ptr<RecordingSleeper> sleeper = std::make_shared<RecordingSleeper>();
    Shell shell{[this] { return new MainWindow(&updater); }};
};

} // namespace

TEST_F(HistoryWindowTest, ListsEachRunAndRestoresOrUndoesItAfterAsking)
{
    MainWindow& window = open();
    AppModel& model = window.model();
    model.setRole(AssociationRole::viewer);
    model.stage(png, textEdit);
    ASSERT_TRUE(finish(model.applyPending()));
    ASSERT_EQ(viewerOf(png), textEdit);

    shell.historyAction()->trigger();
    auto* history = shell.showHistory();
    ASSERT_TRUE(history);
    ASSERT_TRUE(finish(history->loaded()));
    auto* list = history->findChild<QTreeView*>(u"historyList"_s);
    auto* changes = history->findChild<QTreeView*>(u"historyChanges"_s);
    QAbstractItemModelTester listTester(list->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    QAbstractItemModelTester tableTester(changes->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    ASSERT_EQ(list->model()->rowCount(), 1);
    ASSERT_EQ(changes->model()->rowCount(), 1);
    const auto cell = [&](int row, int column) { return changes->model()->index(row, column).data().toString(); };
    EXPECT_EQ(cell(0, 0), model.label(png) + u"（查看器）"_s);
    EXPECT_EQ(cell(0, 1), u"Preview"_s);
    EXPECT_EQ(cell(0, 2), u"TextEdit"_s);
    EXPECT_EQ(cell(0, 3), u"已生效"_s);

    // Restore asks first, then goes through the pipeline; its own run joins the list.
    QTest::mouseClick(history->findChild<QPushButton*>(u"restoreButton"_s), Qt::LeftButton);
    confirm(history, u"TextEdit → Preview"_s);
    ASSERT_TRUE(eventually([&] { return viewerOf(png) == preview && !model.busy(); }));
    ASSERT_TRUE(eventually([&] { return list->model()->rowCount() == 2 && !history->loaded().isRunning(); }));

    // The window's Ctrl+Z undoes the newest run, the restore, after asking.
    window.activateWindow();
    ASSERT_TRUE(eventually([&] { return QApplication::activeWindow() == &window; }));
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    confirm(&window, u"Preview → TextEdit"_s);
    ASSERT_TRUE(eventually([&] { return viewerOf(png) == textEdit && !model.busy(); }));
    ASSERT_TRUE(eventually([&] { return list->model()->rowCount() == 3; }));

    // An application that has gone is said per change, and the question names what cannot be put back.
    ASSERT_TRUE(QDir(system.root() + u"/Applications/Preview.app"_s).removeRecursively());
    ASSERT_TRUE(finish(model.refresh()));
    ASSERT_TRUE(finish(history->reload()));
    list->setCurrentIndex(list->model()->index(2, 0));
    EXPECT_EQ(cell(0, 1), u"com.apple.Preview（已不在此电脑上）"_s);
    EXPECT_TRUE(list->model()->index(2, 0).data(Qt::ToolTipRole).toString().contains(u"1 个原应用已不在此电脑上"_s));
    QTest::mouseClick(history->findChild<QPushButton*>(u"restoreButton"_s), Qt::LeftButton);
    QMessageBox* box = nullptr;
    ASSERT_TRUE(eventually([&] { return (box = history->findChild<QMessageBox*>(u"restoreQuestion"_s)); }));
    EXPECT_EQ(box->text(), u"没有可以恢复的默认应用。"_s);
    EXPECT_TRUE(box->informativeText().contains(u"com.apple.Preview 已不在此电脑上"_s));
    box->accept();
    EXPECT_EQ(viewerOf(png), textEdit);

    QTest::keyClick(history, Qt::Key_Escape);
    EXPECT_FALSE(history->isVisible());
}

TEST_F(HistoryWindowTest, MakeDefaultForAllStagesWhatTheApplicationDeclares)
{
    MainWindow& window = open();
    AppModel& model = window.model();
    model.setRole(AssociationRole::editor);
    model.setSelectedApp(preview);
    QTest::mouseClick(window.findChild<QPushButton*>(u"makeDefaultForAllButton"_s), Qt::LeftButton);
    EXPECT_EQ(model.pending(), (AppModel::StringMap{{png, preview}, {markdown, preview}}));
    EXPECT_EQ(window.findChild<ElidedLabel*>(u"noticeLabel"_s)->fullText(), u"已暂存 2 种格式改由 Preview 打开"_s);
    EXPECT_EQ(window.findChild<QPushButton*>(u"stagedChangesButton"_s)->text(), u"待修改 2 种格式"_s);
}
