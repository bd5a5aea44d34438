#include "defaults_transfer.h"

#include "app/l10n/l10n.h"
#include "app/model/staged_import.h"
#include "core/carry/defaults_export.h"
#include "core/carry/defaults_file.h"
#include "core/support/iso_date.h"
#include "core/support/json_file.h"
#include "platform/file_manager.h"
#include "platform/launch_services.h"
#include "ui/main/main_window.h"
#include "ui/settings/language_setting.h"
#include "ui/sheets/import_sheet.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

QString tr(const QString& key, const L10n::Values& values = {})
{
    return L10n::text(key, LanguageSetting::shared().code(), values);
}

void tell(MainWindow& window, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, &window);
    box->setObjectName(u"transferMessage"_s);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QFileDialog* fileDialog(MainWindow& window, QFileDialog::AcceptMode mode)
{
    auto* dialog = new QFileDialog(&window);
    dialog->setObjectName(mode == QFileDialog::AcceptSave ? u"exportDialog"_s : u"importDialog"_s);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setDirectory(QDir::homePath());
    dialog->setNameFilters({tr(u"默认应用文件 (*.json *.txt *.conf)"_s), tr(u"所有文件 (*)"_s)});
    return dialog;
}

} // namespace

qsizetype DefaultsTransfer::exportTo(MainWindow& window, const QString& path)
{
    const QList<CarriedDefault> defaults =
        DefaultsExport::collect(platform::LSCopyStoredHandlers(), window.model().apps());
    JsonFile::write(DefaultsFile::toJson(defaults, IsoDate::now()), QUrl::fromLocalFile(path));
    return defaults.size();
}

ImportSheet* DefaultsTransfer::importFrom(MainWindow& window, const QString& path)
{
    const QList<CarriedDefault> defaults =
        DefaultsFile::parse(platform::FileManager::contentsOfFile(QUrl::fromLocalFile(path)));
    auto* sheet = new ImportSheet(window.model(), QFileInfo(path).fileName(),
                                  StagedImport::stage(window.model(), defaults), &window);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
    return sheet;
}

QFileDialog* DefaultsTransfer::askExport(MainWindow& window)
{
    QFileDialog* dialog = fileDialog(window, QFileDialog::AcceptSave);
    dialog->setWindowTitle(tr(u"导出默认应用"_s));
    dialog->setDefaultSuffix(u"json"_s);
    dialog->selectFile(u"Tessik-defaults.json"_s);
    QObject::connect(dialog, &QFileDialog::fileSelected, &window, [&window](const QString& path) {
        try {
            const qsizetype count = exportTo(window, path);
            tell(window, QMessageBox::Information, tr(u"导出默认应用"_s),
                 tr(u"已将 {count} 个默认应用导出到 {path}"_s,
                    {{u"count"_s, QString::number(count)}, {u"path"_s, QDir::toNativeSeparators(path)}}));
        } catch (const std::exception& error) {
            tell(window, QMessageBox::Warning, tr(u"无法导出"_s), L10n::error(error, LanguageSetting::shared().code()));
        }
    });
    dialog->open();
    return dialog;
}

QFileDialog* DefaultsTransfer::askImport(MainWindow& window)
{
    QFileDialog* dialog = fileDialog(window, QFileDialog::AcceptOpen);
    dialog->setWindowTitle(tr(u"导入默认应用"_s));
    QObject::connect(dialog, &QFileDialog::fileSelected, &window, [&window](const QString& path) {
        try {
            importFrom(window, path);
        } catch (const std::exception& error) {
            tell(window, QMessageBox::Warning, tr(u"无法导入"_s),
                 tr(u"“{file}”未导入，什么也没有更改：{reason}"_s,
                    {{u"file"_s, QFileInfo(path).fileName()},
                     {u"reason"_s, L10n::error(error, LanguageSetting::shared().code())}}));
        }
    });
    dialog->open();
    return dialog;
}

} // namespace tessik::ui
