#include "app/update/format_catalog_updater.h"
#include "core/carry/defaults_file_error.h"
#include "future_wait.h"
#include "platform/launch_services.h"
#include "platform/workspace.h"
#include "scripted_services.h"
#include "temporary_system.h"
#include "ui/main/main_window.h"
#include "ui/settings/language_setting.h"
#include "ui/sheets/import_sheet.h"
#include "ui/shell/defaults_transfer.h"
#include "ui/shell/shell.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

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

QStringList texts(const QListWidget* list)
{
    QStringList rows;
    for (int row = 0; row < list->count(); ++row)
        rows.append(list->item(row)->text());
    return rows;
}

class DefaultsTransferTest : public ::testing::Test
{
protected:
    DefaultsTransferTest()
    {
        LanguageSetting::shared().setOverride(u"en"_s);
        system.addApp(u"Applications/Preview.app"_s, preview,
                      {TemporarySystem::documentType({png}, {u"png"_s}, u"Viewer"_s, u"Owner"_s),
                       TemporarySystem::documentType({markdown}, {u"md"_s}, u"Viewer"_s, u"Alternate"_s)},
                      {{u"CFBundleName"_s, u"Preview"_s}});
        system.addApp(u"Applications/TextEdit.app"_s, textEdit,
                      {TemporarySystem::documentType({markdown}, {u"md"_s}, u"Editor"_s)},
                      {{u"CFBundleName"_s, u"TextEdit"_s}});
        platform::Workspace::setConfirmationHandler([](const auto&) { return true; });
    }
    ~DefaultsTransferTest() override
    {
        platform::Workspace::setConfirmationHandler({});
        LanguageSetting::shared().setOverride(std::nullopt);
    }

    MainWindow& open()
    {
        shell.launch();
        auto& window = static_cast<MainWindow&>(*shell.mainWindow());
        window.model().setSleeper(std::make_shared<RecordingSleeper>());
        EXPECT_TRUE(eventually([&] { return !window.model().busy() && !window.model().apps().isEmpty(); }));
        return window;
    }
    QString write(const QString& name, const QByteArray& text)
    {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }

    TemporarySystem system;
    QTemporaryDir folder;
    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    Shell shell{[this] { return new MainWindow(&updater); }};
};

} // namespace

TEST_F(DefaultsTransferTest, TheFileMenuExportsTheChoicesAndStagesAnImportForReview)
{
    ASSERT_EQ(platform::LSSetDefaultRoleHandlerForContentType(markdown, platform::kLSRolesViewer, preview),
              platform::noErr);
    MainWindow& window = open();
    auto* fileMenu = window.menuBar()->findChild<QMenu*>(u"fileMenu"_s);
    ASSERT_TRUE(fileMenu);
    EXPECT_EQ(fileMenu->title(), u"File"_s);
    EXPECT_EQ(shell.exportAction()->text(), u"Export…"_s);
    EXPECT_EQ(shell.importAction()->text(), u"Import…"_s);

    // Export… through its dialog.
    shell.exportAction()->trigger();
    auto* save = window.findChild<QFileDialog*>(u"exportDialog"_s);
    ASSERT_TRUE(save);
    const QString exported = folder.filePath(u"defaults.json"_s);
    save->selectFile(exported);
    static_cast<QDialog*>(save)->accept();
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonArray defaults = QJsonDocument::fromJson(file.readAll()).object().value("defaults"_L1).toArray();
    EXPECT_EQ(defaults, (QJsonArray{QJsonObject{{u"application"_s, u"Preview"_s},
                                                {u"bundleIdentifier"_s, preview},
                                                {u"explicit"_s, true},
                                                {u"role"_s, u"viewer"_s},
                                                {u"type"_s, markdown}}}));

    // Import…: the plan becomes staged changes in the file's role, what cannot be taken is listed.
    // Changed behind the window's back, which shows it once it reads the catalog again.
    ASSERT_EQ(platform::LSSetDefaultRoleHandlerForContentType(markdown, platform::kLSRolesViewer, textEdit),
              platform::noErr);
    ASSERT_TRUE(finish(window.model().refresh()));
    const QString lines = write(u"team.conf"_s, "# viewers\n"
                                                "com.apple.Preview .md viewer\n"
                                                "com.example.Gone public.png viewer\n");
    shell.importAction()->trigger();
    auto* choose = window.findChild<QFileDialog*>(u"importDialog"_s);
    ASSERT_TRUE(choose);
    choose->selectFile(lines);
    static_cast<QDialog*>(choose)->accept();
    auto* sheet = window.findChild<ImportSheet*>(u"importSheet"_s);
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(window.model().role(), AssociationRole::viewer);
    EXPECT_EQ(window.model().pending(), (AppModel::StringMap{{markdown, preview}}));
    EXPECT_EQ(texts(sheet->findChild<QListWidget*>(u"stagedList"_s)).size(), 1);
    EXPECT_EQ(texts(sheet->findChild<QListWidget*>(u"skippedList"_s)),
              QStringList{u"public.png:viewer → com.example.Gone (line 3): the application is not installed on this "
                          "computer"_s});
    sheet->findChild<QPushButton*>(u"applyButton"_s)->click();
    ASSERT_TRUE(eventually([&] { return !window.model().busy() && window.model().pending().isEmpty(); }));
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(markdown, platform::kLSRolesViewer), preview);
}

TEST_F(DefaultsTransferTest, AFileThatDoesNotReadIsToldAndStagesNothing)
{
    MainWindow& window = open();
    const QString broken = write(u"broken.conf"_s, "com.apple.Preview public.png all\ncom.apple.Preview\n");
    EXPECT_THROW(DefaultsTransfer::importFrom(window, broken), DefaultsFileError);
    EXPECT_TRUE(window.model().pending().isEmpty());

    shell.importAction()->trigger();
    auto* choose = window.findChild<QFileDialog*>(u"importDialog"_s);
    ASSERT_TRUE(choose);
    choose->selectFile(broken);
    static_cast<QDialog*>(choose)->accept();
    auto* message = window.findChild<QMessageBox*>(u"transferMessage"_s);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text(), u"“broken.conf” was not imported and nothing was changed: line 2: expected "
                               "“BUNDLE_ID FORMAT ROLE”, not “com.apple.Preview”."_s);
    EXPECT_FALSE(window.findChild<ImportSheet*>());
    EXPECT_TRUE(window.model().pending().isEmpty());
}
