#include "app/l10n/l10n.h"
#include "app/model/app_model.h"
#include "app/update/format_catalog_updater.h"
#include "future_wait.h"
#include "temporary_system.h"
#include "ui/settings/language_setting.h"
#include "ui/sheets/add_format_sheet.h"
#include "ui/sheets/app_chooser_sheet.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::testing;
using namespace tessik::ui;

namespace {

const QString markdown = u"net.daringfireball.markdown"_s;
const QString editor = u"com.example.Editor"_s;

class SheetsTest : public ::testing::Test
{
protected:
    SheetsTest()
    {
        LanguageSetting::shared().setOverride(u"zh"_s);
        system.addApp(u"Applications/Editor.app"_s, editor,
                      {TemporarySystem::documentType({markdown}, {u"md"_s}, u"Editor"_s)},
                      {{u"CFBundleName"_s, u"Editor"_s}});
        system.addApp(u"Applications/Viewer.app"_s, u"com.example.Viewer"_s, {}, {{u"CFBundleName"_s, u"Viewer"_s}});
        system.addApp(u"Applications/Élan.app"_s, u"com.example.Elan"_s, {}, {{u"CFBundleName"_s, u"Élan"_s}});
        model.setBusyPollInterval(std::chrono::milliseconds(1));
        EXPECT_TRUE(finish(model.refresh()));
    }
    ~SheetsTest() override
    {
        AppChooserSheet::setPicker({});
        LanguageSetting::shared().setOverride(std::nullopt);
    }

    static QString zh(const QString& key) { return L10n::text(key, u"zh"_s); }

    TemporarySystem system;
    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    AppModel model{&updater};
    QWidget window;
};

} // namespace

TEST_F(SheetsTest, AddFormatReportsBadInputInRedAndAddsGoodInput)
{
    model.setSelectedApp(editor);
    auto* sheet = new AddFormatSheet(model, true, &window);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    window.show();
    sheet->open();
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->findChild<QLabel*>(u"explanation"_s)->text(),
              L10n::text(u"为 {app} 添加格式，无需应用声明支持。"_s, u"zh"_s, {{u"app"_s, u"Editor"_s}}));

    auto* input = sheet->findChild<QLineEdit*>(u"input"_s);
    auto* error = sheet->findChild<QLabel*>(u"error"_s);
    for (const QString& bad : {u"a/b"_s, u"a b"_s, u"x..y"_s, u"   "_s}) {
        input->setText(bad);
        QTest::mouseClick(sheet->findChild<QPushButton*>(u"add"_s), Qt::LeftButton);
        EXPECT_EQ(sheet->error(), zh(u"请输入单个扩展名，例如 mkk 或 .mkk，不要输入路径或分隔符。"_s))
            << bad.toStdString();
        EXPECT_EQ(error->palette().color(QPalette::WindowText), QColor(Qt::red));
        EXPECT_TRUE(sheet->isVisible());
    }
    EXPECT_TRUE(model.custom().isEmpty() && model.pending().isEmpty() && model.extraTypes().isEmpty())
        << "the model was not asked";

    // A model that cannot save the association reports it in the sheet, which stays open.
    const QString data = system.root() + u"/home/Library/Application Support/Tessik"_s;
    QDir().mkpath(QFileInfo(data).path());
    QFile blocker(data);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    input->clear();
    QTest::keyClicks(input, u" .MKK "_s);
    QTest::keyClick(input, Qt::Key_Return);
    ASSERT_TRUE(eventually([&] { return !sheet->saving(); }));
    EXPECT_TRUE(sheet->error());
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_TRUE(QFile::remove(data));

    QPointer guard(sheet);
    // A quick second Return while the first is saved adds nothing more.
    QTest::keyClick(input, Qt::Key_Return);
    if (guard)
        QTest::keyClick(input, Qt::Key_Return);
    ASSERT_TRUE(eventually([&] { return guard.isNull(); })) << "success closes the sheet";
    ASSERT_EQ(model.custom().size(), 1);
    EXPECT_EQ(model.custom().constFirst().fileExtension, u"mkk"_s);
    EXPECT_EQ(model.pending().value(model.custom().constFirst().typeIdentifier), editor) << "staged for the app";
    EXPECT_EQ(model.selectedType(), model.custom().constFirst().typeIdentifier);
}

TEST_F(SheetsTest, AddFormatWithoutAnApplicationSelectsTheNewFormat)
{
    AddFormatSheet sheet(model, false, &window);
    EXPECT_EQ(sheet.findChild<QLabel*>(u"explanation"_s)->text(), zh(u"输入扩展名，再选择默认打开应用。"_s));
    sheet.open();
    sheet.findChild<QLineEdit*>(u"input"_s)->setText(u"qqz"_s);
    QTest::mouseClick(sheet.findChild<QPushButton*>(u"add"_s), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return !sheet.isVisible(); }));
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    ASSERT_EQ(model.extraTypes().size(), 1);
    EXPECT_EQ(model.selectedType(), model.extraTypes().constBegin().key());
    EXPECT_TRUE(model.pending().isEmpty());
}

TEST_F(SheetsTest, ChooserListsSearchesAndChoosesApplications)
{
    model.setSelectedType(std::nullopt);
    AppChooserSheet sheet(model, &window);
    window.show();
    sheet.open();
    EXPECT_EQ(sheet.findChild<QLabel*>(u"title"_s)->text(),
              L10n::text(u"为 {format} 选择应用"_s, u"zh"_s, {{u"format"_s, zh(u"格式"_s)}}));
    model.setSelectedType(markdown);
    EXPECT_EQ(sheet.findChild<QLabel*>(u"title"_s)->text(),
              L10n::text(u"为 {format} 选择应用"_s, u"zh"_s, {{u"format"_s, model.label(markdown)}}));
    // A label holding markup shows as written.
    model.setSelectedType(u"<b>x-evil</b>"_s);
    auto* title = sheet.findChild<QLabel*>(u"title"_s);
    ASSERT_TRUE(title->text().contains(u"<b>x-evil</b>"_s));
    EXPECT_EQ(title->textFormat(), Qt::PlainText);
    model.setSelectedType(markdown);

    QAbstractItemModelTester tester(sheet.rows(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(sheet.rows()->rowCount(), 3);
    auto* search = sheet.findChild<QLineEdit*>(u"search"_s);
    QTest::keyClicks(search, u"ÉL"_s);
    ASSERT_EQ(sheet.rows()->rowCount(), 1);
    EXPECT_EQ(sheet.rows()->index(0, 0).data().toString(), u"Élan"_s);
    // Decomposed input finds the composed name.
    search->setText(u"e\u0301lan"_s);
    EXPECT_EQ(sheet.rows()->rowCount(), 1);
    search->setText(u"vie"_s);
    ASSERT_EQ(sheet.rows()->rowCount(), 1);

    auto* list = sheet.findChild<QListView*>(u"apps"_s);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(sheet.rows()->index(0, 0)).center());
    ASSERT_TRUE(eventually([&] { return !sheet.isVisible(); }));
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(model.pending().value(markdown), u"com.example.Viewer"_s);
}

TEST_F(SheetsTest, TheBrowsePanelTakesOnlyApplications)
{
    QDir().mkpath(system.root() + u"/Applications/Folder"_s);
    const QString app = system.addApp(u"Applications/Some.app"_s, u"com.example.Some"_s, {}, {});
    AppChooserSheet sheet(model, &window);
    window.show();
    sheet.open();
    std::optional<QString> picked;
    AppChooserSheet::pickWithFileDialog(&sheet, [&picked](const std::optional<QString>& path) { picked = path; });
    auto* panel = sheet.findChild<QFileDialog*>(u"browseDialog"_s);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->windowTitle(), zh(u"浏览 .app…"_s).remove(u'…'));
    panel->selectFile(system.root() + u"/Applications/Folder"_s);
    static_cast<QDialog*>(panel)->accept();
    EXPECT_TRUE(panel->isVisible()) << "a plain folder is refused";
    EXPECT_TRUE(panel->findChild<QMessageBox*>(u"bundleRefusal"_s));
    EXPECT_FALSE(picked);
    panel->selectFile(app);
    static_cast<QDialog*>(panel)->accept();
    EXPECT_EQ(picked, app);
}

TEST_F(SheetsTest, ChooserChecksWhatIsBrowsedTo)
{
    model.setSelectedType(markdown);
    const QString outside =
        system.addApp(u"Elsewhere/Outside.app"_s, u"com.example.Outside"_s, {}, {{u"CFBundleName"_s, u"Outside"_s}});
    QDir().mkpath(system.root() + u"/Elsewhere/Folder"_s);
    QDir().mkpath(system.root() + u"/Elsewhere/NoID.app/Contents"_s);
    std::optional<QString> next;
    AppChooserSheet::setPicker([&next](QWidget*, auto answer) { answer(next); });

    AppChooserSheet sheet(model, &window);
    window.show();
    sheet.open();
    auto* browse = sheet.findChild<QPushButton*>(u"browse"_s);
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_FALSE(sheet.error()) << "cancelling does nothing";
    for (const QString& wrong : {u"/Elsewhere/Folder"_s, u"/Elsewhere/NoID.app"_s, u"/Elsewhere/Missing.app"_s}) {
        next = system.root() + wrong;
        QTest::mouseClick(browse, Qt::LeftButton);
        EXPECT_EQ(sheet.error(), zh(u"请选择包含有效 Bundle ID 的应用。"_s)) << wrong.toStdString();
        EXPECT_TRUE(sheet.isVisible());
    }
    next = outside;
    QTest::mouseClick(browse, Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return !sheet.isVisible(); }));
    EXPECT_EQ(model.pending().value(markdown), u"com.example.Outside"_s);
    ASSERT_EQ(model.custom().size(), 1);
    EXPECT_EQ(model.custom().constFirst().app.url, QUrl::fromLocalFile(outside)) << "the location picked";
}
