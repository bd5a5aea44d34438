#include "app/model/app_model.h"
#include "app/update/format_catalog_updater.h"
#include "core/catalog/custom_association_store.h"
#include "future_wait.h"
#include "pipe_watch.h"
#include "platform/emulated/emulation_settings.h"
#include "platform/launch_services.h"
#include "platform/workspace.h"
#include "scripted_services.h"
#include "temporary_system.h"
#include "ui/main/elided_label.h"
#include "ui/main/item_roles.h"
#include "ui/main/main_window.h"
#include "ui/settings/language_setting.h"
#include "ui/sheets/add_format_sheet.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>
#include <latch>
#include <utility>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::testing;
using namespace tessik::ui;

namespace {

const QString markdown = u"net.daringfireball.markdown"_s;
const QString png = u"public.png"_s;
const QString mpeg4 = u"public.mpeg-4"_s;
const QString preview = u"com.apple.Preview"_s;
const QString quickTime = u"com.apple.QuickTimePlayerX"_s;
const QString textEdit = u"com.apple.TextEdit"_s;

class MainWindowTest : public ::testing::Test
{
protected:
    MainWindowTest()
    {
        LanguageSetting::shared().setOverride(u"zh"_s);
        system.addApp(u"Applications/Preview.app"_s, preview,
                      {TemporarySystem::documentType({png}, {u"png"_s}, u"Viewer"_s, u"Owner"_s),
                       TemporarySystem::documentType({markdown}, {u"md"_s}, u"Viewer"_s, u"Alternate"_s)},
                      {{u"CFBundleName"_s, u"Preview"_s}});
        system.addApp(u"Applications/QuickTime Player.app"_s, quickTime,
                      {TemporarySystem::documentType({mpeg4}, {u"mp4"_s}, u"Viewer"_s, u"Owner"_s)},
                      {{u"CFBundleName"_s, u"QuickTime Player"_s}});
        system.addApp(u"Applications/TextEdit.app"_s, textEdit,
                      {TemporarySystem::documentType({markdown}, {u"md"_s}, u"Editor"_s)},
                      {{u"CFBundleName"_s, u"TextEdit"_s}});
        platform::Workspace::setConfirmationHandler([](const auto&) { return true; });
    }

    ~MainWindowTest() override
    {
        platform::Workspace::setConfirmationHandler({});
        LanguageSetting::shared().setOverride(std::nullopt);
    }

    void open()
    {
        window.emplace(&updater);
        window->model().setSleeper(sleeper);
        window->model().setBusyPollInterval(std::chrono::milliseconds(1));
        window->show();
        ASSERT_TRUE(eventually([&] { return !model().busy() && !model().apps().isEmpty(); }));
    }

    AppModel& model() { return window->model(); }
    template <typename T> T* find(const QString& name) { return window->findChild<T*>(name); }

    // The row of an application or a type in a view, headings searched too.
    QModelIndex row(QAbstractItemView* view, const QString& identifier, int column = 0)
    {
        QAbstractItemModel* items = view->model();
        for (int top = 0; top < items->rowCount(); ++top) {
            const QModelIndex heading = items->index(top, 0);
            if (heading.data(IdentifierRole) == identifier && !heading.data(SectionRole).toBool())
                return items->index(top, column);
            for (int child = 0; child < items->rowCount(heading); ++child)
                if (items->index(child, 0, heading).data(IdentifierRole) == identifier)
                    return items->index(child, column, heading);
        }
        return {};
    }

    int visibleTypes(QAbstractItemView* view)
    {
        int count = 0;
        for (int top = 0; top < view->model()->rowCount(); ++top)
            count += view->model()->rowCount(view->model()->index(top, 0));
        return count;
    }

    void click(QAbstractItemView* view, const QModelIndex& index)
    {
        ASSERT_TRUE(index.isValid());
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }

    // The checkbox sits at the leading edge of the row.
    void toggle(QTreeView* view, const QModelIndex& index)
    {
        ASSERT_TRUE(index.isValid());
        view->scrollTo(index);
        const QRect rect = view->visualRect(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 10, rect.center().y()));
    }

    void selectApp(const QString& bundleIdentifier)
    {
        find<QToolButton>(u"byAppButton"_s)->click();
        auto* list = find<QListView>(u"appList"_s);
        click(list, row(list, bundleIdentifier));
        ASSERT_EQ(model().selectedApp(), bundleIdentifier);
    }

    void selectType(const QString& typeIdentifier)
    {
        QTest::mouseClick(find<QToolButton>(u"byFormatButton"_s), Qt::LeftButton);
        auto* tree = find<QTreeView>(u"formatTree"_s);
        click(tree, row(tree, typeIdentifier));
        ASSERT_EQ(model().selectedType(), typeIdentifier);
    }

    QStringList badges(QAbstractItemView* view, const QString& identifier)
    {
        return row(view, identifier).data(BadgesRole).toStringList();
    }

    TemporarySystem system;
    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    std::shared_ptr<RecordingSleeper> sleeper = std::make_shared<RecordingSleeper>();
    std::optional<MainWindow> window;
};

} // namespace

TEST_F(MainWindowTest, SwitchingTheViewModeClearsTheSearchesAndTheCategory)
{
    open();
    auto* sidebarSearch = find<QLineEdit>(u"sidebarSearch"_s);
    auto* detailSearch = find<QLineEdit>(u"detailSearch"_s);
    auto* appList = find<QListView>(u"appList"_s);
    EXPECT_EQ(sidebarSearch->placeholderText(), u"搜索应用"_s);

    QTest::keyClicks(sidebarSearch, u"TEXT"_s);
    EXPECT_EQ(appList->model()->rowCount(), 1) << "names match case-insensitively";
    selectApp(textEdit);
    QTest::keyClicks(detailSearch, u"zzz"_s);
    EXPECT_EQ(visibleTypes(find<QTreeView>(u"appFormatTree"_s)), 0);
    EXPECT_TRUE(find<QLabel>(u"appFormatsEmptyLabel"_s)->isHidden()) << "the application has formats";

    QTest::mouseClick(find<QToolButton>(u"byFormatButton"_s), Qt::LeftButton);
    EXPECT_FALSE(window->byApp());
    EXPECT_EQ(sidebarSearch->placeholderText(), u"搜索格式"_s);
    auto* tree = find<QTreeView>(u"formatTree"_s);
    const int all = visibleTypes(tree);

    // Search and the category "other" narrow the formats; their headings follow.
    QTest::keyClicks(sidebarSearch, u"PNG"_s);
    EXPECT_TRUE(row(tree, png).isValid());
    EXPECT_FALSE(row(tree, markdown).isValid());
    sidebarSearch->clear();
    auto* category = find<QComboBox>(u"sidebarCategoryPicker"_s);
    EXPECT_EQ(category->itemText(0), u"全部分类"_s);
    EXPECT_EQ(category->itemText(category->count() - 1), u"其他格式"_s);
    category->setCurrentIndex(category->count() - 1);
    Q_EMIT category->activated(category->count() - 1);
    for (int top = 0; top < tree->model()->rowCount(); ++top)
        EXPECT_EQ(tree->model()->index(top, 0).data(IdentifierRole), u"other"_s);
    EXPECT_LT(visibleTypes(tree), all);
    EXPECT_EQ(find<QComboBox>(u"detailCategoryPicker"_s)->currentData(), u"other"_s) << "one filter, two pickers";
    QTest::keyClicks(sidebarSearch, u"md"_s);

    QTest::mouseClick(find<QToolButton>(u"byAppButton"_s), Qt::LeftButton);
    EXPECT_TRUE(sidebarSearch->text().isEmpty());
    EXPECT_TRUE(detailSearch->text().isEmpty());
    EXPECT_EQ(category->currentData(), u"all"_s);
    EXPECT_EQ(appList->model()->rowCount(), 3);
    QTest::mouseClick(find<QToolButton>(u"byFormatButton"_s), Qt::LeftButton);
    EXPECT_EQ(visibleTypes(tree), all);
}

TEST_F(MainWindowTest, ChangingTheRoleAsksBeforeDroppingStagedChanges)
{
    open();
    model().stage(png, preview);
    model().stage(markdown, textEdit);
    model().stage(mpeg4, quickTime);
    auto* staged = find<QPushButton>(u"stagedChangesButton"_s);
    auto* cancel = find<QPushButton>(u"cancelButton"_s);
    auto* apply = find<QPushButton>(u"applyButton"_s);
    EXPECT_EQ(staged->text(), u"待修改 3 种格式"_s);
    EXPECT_TRUE(cancel->isEnabled());
    EXPECT_TRUE(apply->isEnabled());

    auto* role = find<QComboBox>(u"rolePicker"_s);
    EXPECT_EQ(role->count(), 3) << "no shell role";
    const auto answer = [&](const QString& button) {
        QMessageBox* question = nullptr;
        ASSERT_TRUE(
            eventually([&] { return (question = find<QMessageBox>(u"roleQuestion"_s)) && question->isVisible(); }));
        EXPECT_TRUE(question->text().contains(u'3'));
        QTest::mouseClick(question->findChild<QPushButton*>(button), Qt::LeftButton);
    };
    QTest::keyClick(role, Qt::Key_Down);
    answer(u"keepButton"_s);
    EXPECT_EQ(model().role(), AssociationRole::all) << "kept: nothing is dropped";
    EXPECT_EQ(role->currentData(), int(AssociationRole::all));
    EXPECT_EQ(model().pending().size(), 3);

    QTest::keyClick(role, Qt::Key_Down);
    answer(u"discardButton"_s);
    EXPECT_EQ(model().role(), AssociationRole::viewer);
    EXPECT_TRUE(model().pending().isEmpty());
    EXPECT_EQ(staged->text(), u"待修改 0 种格式"_s);
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_FALSE(apply->isEnabled());

    // Nothing staged: nothing to ask.
    QTest::keyClick(role, Qt::Key_Down);
    EXPECT_EQ(model().role(), AssociationRole::editor);
    model().stage(png, preview);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(model().pending().isEmpty());
}

TEST_F(MainWindowTest, StagingFromBothViewsAndApplyingChangesTheHandlers)
{
    open();
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(png, platform::kLSRolesAll), preview);

    // By application: tick markdown for Preview.
    selectApp(preview);
    auto* formats = find<QTreeView>(u"appFormatTree"_s);
    EXPECT_EQ(formats->model()->headerData(1, Qt::Horizontal), u"当前默认应用"_s);
    EXPECT_EQ(row(formats, markdown, 1).data(), u"TextEdit"_s);
    toggle(formats, row(formats, markdown));
    EXPECT_EQ(model().pending().value(markdown), preview);
    EXPECT_EQ(row(formats, markdown).data(Qt::CheckStateRole), Qt::Checked);

    // By format: pick TextEdit among png's candidates after choosing it as another application.
    selectType(png);
    auto* candidates = find<QListView>(u"candidateList"_s);
    EXPECT_EQ(find<QLabel>(u"formatDetailDefault"_s)->text(), u"当前默认：Preview"_s);
    ASSERT_TRUE(finish(model().chooseApp(model().index().appsByID.value(textEdit))));
    model().unstage(png);
    click(candidates, row(candidates, textEdit));
    EXPECT_EQ(model().pending().value(png), textEdit);
    EXPECT_TRUE(row(candidates, textEdit).data(RadioRole).toBool());
    EXPECT_FALSE(row(candidates, preview).data(RadioRole).toBool());
    EXPECT_EQ(find<QPushButton>(u"stagedChangesButton"_s)->text(), u"待修改 2 种格式"_s);

    QTest::mouseClick(find<QPushButton>(u"applyButton"_s), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return !model().busy() && model().pending().isEmpty(); }))
        << model().message().value_or(QString()).toStdString() << model().pending().size() << model().busy();
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(png, platform::kLSRolesAll), textEdit);
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(markdown, platform::kLSRolesAll), preview);

    selectApp(preview);
    ASSERT_TRUE(eventually([&] { return row(formats, markdown, 1).data() == u"Preview"_s; }));
    EXPECT_EQ(row(formats, png, 1).data(), u"TextEdit"_s);
    EXPECT_EQ(row(formats, png).data(DefaultNameRole), u"TextEdit"_s);
    EXPECT_FALSE(model().message());
}

TEST_F(MainWindowTest, ACheckboxOnlyRemovesItsOwnApplicationsStaging)
{
    open();
    selectApp(textEdit);
    auto* formats = find<QTreeView>(u"appFormatTree"_s);
    model().stage(markdown, preview);
    const QModelIndex markdownRow = row(formats, markdown);
    EXPECT_EQ(markdownRow.data(Qt::CheckStateRole), Qt::Unchecked) << "staged for another application";

    // Turning it off while another application is staged leaves that staging alone.
    formats->model()->setData(markdownRow, Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_EQ(model().pending().value(markdown), preview);

    // Turning it on replaces the other application; off again removes it.
    toggle(formats, markdownRow);
    EXPECT_EQ(model().pending().value(markdown), textEdit);
    toggle(formats, row(formats, markdown));
    EXPECT_FALSE(model().pending().contains(markdown));
}

TEST_F(MainWindowTest, BadgesSitOnTheRightRows)
{
    open();
    // Preview is suggested for jpeg, which it does not declare; it declares png itself.
    selectApp(preview);
    auto* formats = find<QTreeView>(u"appFormatTree"_s);
    const QString jpeg = u"public.jpeg"_s;
    EXPECT_EQ(badges(formats, jpeg), QStringList{u"推荐"_s});
    EXPECT_TRUE(badges(formats, png).isEmpty()) << "a declared type carries no suggestion";
    // QuickTime needs an extension for mxf.
    selectApp(quickTime);
    QString mxf;
    for (const CatalogSuggestion& suggestion : model().suggestions())
        if (suggestion.app.bundleIdentifier == quickTime && suggestion.fileExtension == u"mxf"_s)
            mxf = suggestion.typeIdentifier;
    ASSERT_FALSE(mxf.isEmpty());
    EXPECT_EQ(badges(formats, mxf), QStringList{u"需扩展"_s});
    EXPECT_TRUE(badges(formats, mpeg4).isEmpty());

    // A chosen application is a manual addition; the staged one waits, the current handler is marked.
    selectType(png);
    ASSERT_TRUE(finish(model().chooseApp(model().index().appsByID.value(textEdit))));
    auto* candidates = find<QListView>(u"candidateList"_s);
    EXPECT_EQ(badges(candidates, textEdit), (QStringList{u"手动添加"_s, u"待设为默认"_s}));
    EXPECT_EQ(badges(candidates, preview), QStringList{u"当前默认"_s});
    EXPECT_EQ(row(candidates, textEdit).data(SecondaryTextRole), textEdit);
    selectApp(textEdit);
    EXPECT_EQ(badges(formats, png), QStringList{u"手动添加"_s});
    EXPECT_EQ(row(formats, png).data(Qt::CheckStateRole), Qt::Checked);
}

TEST_F(MainWindowTest, TheAlertOffersTheMailOnlyWithAFailureReport)
{
    // Unreadable custom associations: a message without a report.
    const QUrl store = CustomAssociationStore::defaultFileURL();
    QDir().mkpath(QFileInfo(store.toLocalFile()).path());
    QFile corrupt(store.toLocalFile());
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write("{not json");
    corrupt.close();
    window.emplace(&updater);
    window->model().setSleeper(sleeper);
    window->show();
    QMessageBox* alert = nullptr;
    ASSERT_TRUE(eventually([&] { return (alert = find<QMessageBox>(u"messageAlert"_s)) && alert->isVisible(); }));
    EXPECT_EQ(alert->windowTitle(), u"Tessik"_s);
    EXPECT_TRUE(alert->text().contains(store.toLocalFile())) << "the damaged file is named";
    EXPECT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(find<QListView>(u"appList"_s)->model()->rowCount(), 3) << "the catalog is shown without it";
    QTest::mouseClick(alert->findChild<QPushButton*>(u"okButton"_s), Qt::LeftButton);
    EXPECT_FALSE(model().message());

    // A change that does not take: the report can be mailed.
    ASSERT_TRUE(QFile::remove(store.toLocalFile()));
    ASSERT_TRUE(finish(model().refresh()));
    platform::EmulationSettings emulation;
    emulation.overriddenContentTypes.insert(markdown, quickTime);
    tools::SystemRootWriter::writeEmulation(system.root(), emulation);
    model().stage(markdown, preview);
    QTest::mouseClick(find<QPushButton>(u"applyButton"_s), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return model().failureReport() && !model().busy(); }));
    ASSERT_TRUE(eventually([&] { return (alert = find<QMessageBox>(u"messageAlert"_s)) && alert->isVisible(); }));
    EXPECT_EQ(alert->text(), *model().message());
    auto* mail = alert->findChild<QPushButton*>(u"mailReportButton"_s);
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->text(), u"用邮件反馈"_s);

    // No mail application: the alert comes back with the reason and the report kept.
    QTest::mouseClick(mail, Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return (alert = find<QMessageBox>(u"messageAlert"_s)) && alert->isVisible(); }));
    EXPECT_EQ(alert->text(), u"无法打开邮件应用。失败原因已保存在本地。"_s);
    QTest::mouseClick(alert->findChild<QPushButton*>(u"okButton"_s), Qt::LeftButton);
    EXPECT_FALSE(model().message());
    EXPECT_FALSE(model().failureReport());
}

TEST_F(MainWindowTest, ModelsKeepTheirContract)
{
    window.emplace(&updater);
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    for (const QString& name : {u"appList"_s, u"formatTree"_s, u"appFormatTree"_s, u"candidateList"_s}) {
        auto* view = find<QAbstractItemView>(name);
        auto* proxy = qobject_cast<QSortFilterProxyModel*>(view->model());
        for (QAbstractItemModel* items : {view->model(), proxy ? proxy->sourceModel() : nullptr})
            if (items)
                testers.push_back(std::make_unique<QAbstractItemModelTester>(
                    items, QAbstractItemModelTester::FailureReportingMode::Fatal));
    }
    EXPECT_EQ(testers.size(), 7u) << "four models, three behind a filter";
    window->model().setSleeper(sleeper);
    window->show();
    ASSERT_TRUE(eventually([&] { return !model().busy() && !model().apps().isEmpty(); }));
    selectApp(textEdit);
    QTest::keyClicks(find<QLineEdit>(u"detailSearch"_s), u"m"_s);
    model().stage(markdown, textEdit);
    model().setRole(AssociationRole::editor);
    selectType(png);
    QTest::keyClicks(find<QLineEdit>(u"sidebarSearch"_s), u"p"_s);
    LanguageSetting::shared().setOverride(u"de"_s);
    Q_EMIT LanguageSetting::shared().changed(u"de"_s);
    ASSERT_TRUE(finish(model().refresh()));
    EXPECT_EQ(find<QPushButton>(u"applyButton"_s)->text(), u"Änderungen anwenden"_s);
    EXPECT_EQ(model().languageCode(), u"de"_s);
}

TEST_F(MainWindowTest, TheKeyboardChoosesAnApplicationForAFormat)
{
    open();
    selectType(markdown);
    auto* candidates = find<QListView>(u"candidateList"_s);
    ASSERT_EQ(candidates->model()->rowCount(), 2);
    const QString first = candidates->model()->index(0, 0).data(IdentifierRole).toString();
    const QString second = candidates->model()->index(1, 0).data(IdentifierRole).toString();
    candidates->setCurrentIndex(candidates->model()->index(0, 0));
    QTest::keyClick(candidates, Qt::Key_Down);
    EXPECT_FALSE(model().pending().contains(markdown)) << "arrows move, they do not choose";
    QTest::keyClick(candidates, Qt::Key_Space);
    EXPECT_EQ(model().pending().value(markdown), second);
    QTest::keyClick(candidates, Qt::Key_Up);
    QTest::keyClick(candidates, Qt::Key_Return);
    EXPECT_EQ(model().pending().value(markdown), first);

    // A screen reader sees radio buttons, which is checked, and why.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(candidates);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->childCount(), 2);
    QAccessibleInterface* firstRow = list->child(0);
    EXPECT_EQ(firstRow->role(), QAccessible::RadioButton);
    EXPECT_EQ(firstRow->text(QAccessible::Name), model().appName(first));
    EXPECT_TRUE(firstRow->state().checkable);
    EXPECT_TRUE(firstRow->state().checked);
    EXPECT_TRUE(firstRow->text(QAccessible::Description).contains(u"待设为默认"_s));
    EXPECT_FALSE(list->child(1)->state().checked);
    EXPECT_EQ(list->indexOfChild(list->child(1)), 1);
    ASSERT_TRUE(list->child(1)->actionInterface());
    list->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(model().pending().value(markdown), second);
    EXPECT_TRUE(list->child(1)->state().checked);

    // By application a click on a format's label ticks it, as its box does.
    selectApp(textEdit);
    auto* formats = find<QTreeView>(u"appFormatTree"_s);
    const QModelIndex png = row(formats, u"public.png"_s);
    EXPECT_FALSE(png.isValid()) << "TextEdit does not open png";
    model().unstage(markdown);
    const QModelIndex markdownRow = row(formats, markdown);
    formats->scrollTo(markdownRow);
    QTest::mouseClick(formats->viewport(), Qt::LeftButton, {}, formats->visualRect(markdownRow).center());
    EXPECT_EQ(model().pending().value(markdown), textEdit);
}

TEST_F(MainWindowTest, SearchingFiltersWithoutChangingTheSelection)
{
    open();
    selectApp(textEdit);
    auto* search = find<QLineEdit>(u"sidebarSearch"_s);
    auto* apps = find<QListView>(u"appList"_s);
    QTest::keyClicks(search, u"quick"_s);
    EXPECT_EQ(apps->model()->rowCount(), 1);
    EXPECT_EQ(model().selectedApp(), textEdit) << "the detail stays with the selection";
    EXPECT_EQ(find<QLabel>(u"appDetailName"_s)->text(), u"TextEdit"_s);
    search->clear();
    EXPECT_EQ(apps->currentIndex().data(IdentifierRole), textEdit) << "the selected row is highlighted again";
    EXPECT_TRUE(apps->selectionModel()->isSelected(apps->currentIndex()));

    selectType(png);
    auto* tree = find<QTreeView>(u"formatTree"_s);
    QTest::keyClicks(search, u"mp4"_s);
    EXPECT_EQ(model().selectedType(), png);
    EXPECT_EQ(find<ElidedLabel>(u"formatDetailLabel"_s)->fullText(), model().label(png));
    EXPECT_FALSE(row(tree, png).isValid());
    search->clear();
    EXPECT_EQ(tree->currentIndex().data(IdentifierRole), png);
}

TEST_F(MainWindowTest, EveryOutcomeIsToldAndStagedChangesCanBeReviewed)
{
    open();
    QStringList waiting;
    QObject::connect(&model(), &AppModel::busyMessageChanged, [&] { waiting.append(model().busyMessage()); });
    model().setRole(AssociationRole::viewer);
    model().stage(png, textEdit);
    model().stage(mpeg4, preview);
    QTest::mouseClick(find<QPushButton>(u"applyButton"_s), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return !model().busy() && model().pending().isEmpty(); }));
    EXPECT_TRUE(waiting.contains(u"正在检查更改是否生效…"_s)) << "no confirmation is asked for a viewer";
    EXPECT_FALSE(waiting.contains(u"正在等待 macOS 确认并验证…"_s));
    auto* notice = find<ElidedLabel>(u"noticeLabel"_s);
    EXPECT_EQ(notice->fullText(), u"已更改的格式：2"_s);
    EXPECT_EQ(notice->text(), notice->fullText()) << "room for it";

    // The count opens the staged changes; each can be removed on its own.
    model().stage(png, preview);
    model().stage(markdown, textEdit);
    EXPECT_TRUE(notice->fullText().isEmpty()) << "the next action replaces the outcome";
    QTest::mouseClick(find<QPushButton>(u"stagedChangesButton"_s), Qt::LeftButton);
    QDialog* sheet = nullptr;
    ASSERT_TRUE(eventually([&] { return (sheet = find<QDialog>(u"stagedChangesSheet"_s)) && sheet->isVisible(); }));
    auto* list = sheet->findChild<QListWidget*>(u"stagedList"_s);
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(0)->text().contains(model().label(markdown)));
    list->setCurrentRow(0);
    QTest::mouseClick(sheet->findChild<QPushButton*>(u"removeButton"_s), Qt::LeftButton);
    EXPECT_EQ(model().pending(), (AppModel::StringMap{{png, preview}}));
    EXPECT_EQ(list->count(), 1);
    QTest::mouseClick(sheet->findChild<QPushButton*>(u"doneButton"_s), Qt::LeftButton);
    EXPECT_TRUE(eventually([&] { return !find<QDialog>(u"stagedChangesSheet"_s); }));
}

TEST_F(MainWindowTest, KeyboardAndScreenReaderFindTheirWay)
{
    open();
    const QList<std::pair<QString, QString>> names{{u"refreshButton"_s, u"刷新应用与关联"_s},
                                                   {u"sidebarSearch"_s, u"搜索应用"_s},
                                                   {u"detailSearch"_s, u"搜索格式"_s},
                                                   {u"formatTree"_s, u"格式"_s},
                                                   {u"rolePicker"_s, u"角色"_s}};
    for (const auto& [name, expected] : names) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(find<QWidget>(name));
        ASSERT_TRUE(accessible) << name.toStdString();
        EXPECT_EQ(find<QWidget>(name)->accessibleName(), expected) << name.toStdString();
        // Linux names a combo box by its value; there its description says what it is.
        const QString named = accessible->text(QAccessible::Name);
        EXPECT_TRUE(named == expected || accessible->text(QAccessible::Description) == expected) << name.toStdString();
    }

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&*window));
    QTest::keyClick(&*window, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(find<QLineEdit>(u"sidebarSearch"_s)->hasFocus());

    // The focus comes back after a busy period, held open by the system's question; a sheet waits meanwhile.
    selectApp(textEdit);
    auto* detailSearch = find<QLineEdit>(u"detailSearch"_s);
    detailSearch->setFocus();
    ASSERT_TRUE(detailSearch->hasFocus());
    std::latch answered(1);
    bool released = false;
    const auto release = qScopeGuard([&] {
        if (!std::exchange(released, true))
            answered.count_down();
    });
    platform::Workspace::setConfirmationHandler([&answered](const auto&) {
        answered.wait();
        return true;
    });
    model().stage(png, textEdit);
    QFuture<void> applying = model().applyPending();
    ASSERT_TRUE(eventually([&] { return model().busyMessage() == u"正在等待 macOS 确认并验证…"_s; }));
    EXPECT_FALSE(detailSearch->hasFocus());
    AddFormatSheet sheet(model(), false, &*window);
    EXPECT_FALSE(sheet.isEnabled());
    released = true;
    answered.count_down();
    ASSERT_TRUE(finish(applying));
    EXPECT_TRUE(detailSearch->hasFocus());
    EXPECT_TRUE(sheet.isEnabled());

    // Headings are passed over.
    QTest::mouseClick(find<QToolButton>(u"byFormatButton"_s), Qt::LeftButton);
    auto* tree = find<QTreeView>(u"formatTree"_s);
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Home);
    EXPECT_FALSE(tree->currentIndex().data(SectionRole).toBool());
    EXPECT_EQ(model().selectedType(), tree->currentIndex().data(IdentifierRole).toString());
}

TEST_F(MainWindowTest, TheFirstViewAndSelectionCanBeChosen)
{
    window.emplace(&updater);
    window->model().setSleeper(sleeper);
    window->showFirst(false, png);
    window->show();
    ASSERT_TRUE(eventually([&] { return !model().busy() && !model().apps().isEmpty(); }));
    EXPECT_FALSE(window->byApp());
    EXPECT_EQ(model().selectedType(), png);
    EXPECT_EQ(find<ElidedLabel>(u"formatDetailLabel"_s)->fullText(), model().label(png));
    EXPECT_EQ(find<QTreeView>(u"formatTree"_s)->currentIndex().data(IdentifierRole), png);
}

TEST_F(MainWindowTest, RowsThatLookAlikeAreToldApartByTheirDescription)
{
    open();
    selectApp(textEdit);
    auto* formats = find<QTreeView>(u"appFormatTree"_s);
    EXPECT_EQ(row(formats, markdown).data(SecondaryTextRole), model().description(markdown));
    // A format no type describes reads as its extension in the interface language, before and after it is listed.
    auto* tree = find<QTreeView>(u"formatTree"_s);
    ASSERT_TRUE(finish(model().addFormat(u"mkk"_s, false)));
    const QString type = *model().selectedType();
    EXPECT_EQ(model().description(type), u".mkk 文件"_s);
    ASSERT_TRUE(finish(model().addFormat(u"mkk"_s, true)));
    EXPECT_EQ(row(formats, type).data(SecondaryTextRole), u".mkk 文件"_s);
    QTest::mouseClick(find<QToolButton>(u"byFormatButton"_s), Qt::LeftButton);
    EXPECT_EQ(row(tree, type).data(SecondaryTextRole), u".mkk 文件"_s);
    EXPECT_FALSE(find<QLabel>(u"formatDetailDescription"_s)->text().startsWith(u"dyn."_s));
}

namespace {

// What a person reads: Qt renders a text as HTML when its format says so or, left to guess, when it looks like it.
QString shown(const QString& text, Qt::TextFormat format = Qt::AutoText)
{
    const bool rich = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
    return rich ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

} // namespace

TEST_F(MainWindowTest, NamesAndDescriptionsShowAsWrittenAndNeverLoadAFile)
{
    PipeWatch pipe(system.root() + u"/picture"_s);
    ASSERT_TRUE(pipe.ready());
    const QString name = u"<font color=red size=7>WARNING</font><img src=\"%1/picture\">Zero"_s.arg(system.root());
    const QString description = u"<b>Evil</b> <img src=\"%1/picture\">"_s.arg(system.root());
    const QString evil = u"com.example.evil"_s;
    const QVariantMap declared{
        {u"UTTypeIdentifier"_s, u"com.example.evil-doc"_s},
        {u"UTTypeDescription"_s, description},
        {u"UTTypeConformsTo"_s, QVariantList{u"public.data"_s}},
        {u"UTTypeTagSpecification"_s, QVariantMap{{u"public.filename-extension"_s, QVariantList{u"evil"_s}}}}};
    system.addApp(u"Applications/Evil.app"_s, evil,
                  {TemporarySystem::documentType({u"com.example.evil-doc"_s, png}, {}, u"Viewer"_s, u"Owner"_s)},
                  {{u"CFBundleName"_s, name}, {u"UTExportedTypeDeclarations"_s, QVariantList{declared}}});
    open();
    const auto expectLabel = [&](const QString& objectName, const QString& text) {
        auto* label = find<QLabel>(objectName);
        ASSERT_TRUE(label) << qPrintable(objectName);
        EXPECT_EQ(shown(label->text(), label->textFormat()), text) << qPrintable(objectName);
    };

    selectApp(evil);
    expectLabel(u"appDetailName"_s, name);
    expectLabel(u"appDetailSubtitle"_s, u"选择格式，将 %1 设为默认打开应用"_s.arg(name));
    auto* apps = find<QListView>(u"appList"_s);
    EXPECT_EQ(shown(row(apps, evil).data(Qt::ToolTipRole).toString()), name);
    auto* formats = find<QTreeView>(u"appFormatTree"_s);
    EXPECT_EQ(shown(row(formats, u"com.example.evil-doc"_s, 1).data(Qt::ToolTipRole).toString()), name);

    selectType(u"com.example.evil-doc"_s);
    expectLabel(u"formatDetailDescription"_s, description);
    expectLabel(u"formatDetailDefault"_s, u"当前默认：%1"_s.arg(name));
    EXPECT_EQ(shown(row(find<QListView>(u"candidateList"_s), evil).data(Qt::ToolTipRole).toString()), name);
    window->grab(); // paints every label and delegate
    EXPECT_EQ(pipe.opens(), 0) << "an <img> in a name was loaded";
}

TEST_F(MainWindowTest, ViewsAndSheetsGoBeforeTheModelTheyShow)
{
    open();
    selectApp(textEdit); // the format tree's header asks the model for its titles
    auto* sheet = new QDialog(&*window);
    sheet->show();
    QStringList order;
    const auto record = [&order](QObject* object, const QString& name) {
        QObject::connect(object, &QObject::destroyed, [&order, name] { order.append(name); });
    };
    record(&model(), u"model"_s);
    record(sheet, u"sheet"_s);
    for (auto* view : window->findChildren<QAbstractItemView*>())
        record(view, view->objectName());
    for (auto* items : window->findChildren<QAbstractItemModel*>(Qt::FindDirectChildrenOnly))
        record(items, u"item model"_s);
    window.reset();
    ASSERT_FALSE(order.isEmpty());
    EXPECT_EQ(order.last(), u"model"_s) << qPrintable(order.join(u", "_s));
    EXPECT_GT(order.size(), 8);
}

TEST_F(MainWindowTest, TheFormatDetailSaysWhyTheDefaultIsWhatItIs)
{
    open();
    selectType(png);
    auto* reason = find<QLabel>(u"formatDetailReason"_s);
    ASSERT_TRUE(eventually([&] { return !reason->text().isEmpty(); }));
    EXPECT_TRUE(reason->text().startsWith(u"由系统选择：Preview 以所有者身份声明了 "_s)) << qPrintable(reason->text());

    // After the catalog is read again the system is asked again; the language follows the setting.
    ASSERT_EQ(platform::LSSetDefaultRoleHandlerForContentType(png, platform::kLSRolesAll, textEdit), platform::noErr);
    ASSERT_TRUE(finish(model().reloadCatalog()));
    const QString stored = u"在 ~/Library/Preferences/com.apple.LaunchServices/com.apple.launchservices.secure.plist "
                           "中设为所有角色的默认应用"_s;
    ASSERT_TRUE(eventually([&] { return reason->text() == stored; })) << qPrintable(reason->text());
    LanguageSetting::shared().setOverride(u"en"_s);
    EXPECT_EQ(reason->text(), u"set in ~/Library/Preferences/com.apple.LaunchServices/"
                              "com.apple.launchservices.secure.plist for every role"_s);
}
