#include "app_chooser_sheet.h"

#include "app/l10n/platform_texts.h"
#include "app/model/app_model.h"
#include "core/discovery/app_scanner.h"
#include "sheet_support.h"
#include "ui/main/app_list_model.h"
#include "ui/main/item_roles.h"
#include "ui/main/search_filter_proxy.h"
#include "ui/settings/language_setting.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

AppChooserSheet::Picker& picker()
{
    static AppChooserSheet::Picker current;
    return current;
}

} // namespace

AppChooserSheet::AppChooserSheet(AppModel& model, QWidget* parent) : QDialog(parent), m_model(model)
{
    setObjectName(u"appChooserSheet"_s);
    SheetSupport::makeSheet(this);
    SheetSupport::followBusy(this, m_model);
    setFixedSize(520, 500);

    m_apps = new AppListModel(model, this);
    m_filter = new SearchFilterProxy(this);
    m_filter->setSourceModel(m_apps);

    m_content = new QWidget(this);
    m_content->setObjectName(u"content"_s);
    m_title = new QLabel(m_content);
    m_title->setObjectName(u"title"_s);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(SheetSupport::titleFont(font()));
    m_title->setWordWrap(true);
    m_search = new QLineEdit(m_content);
    m_search->setObjectName(u"search"_s);
    m_search->setClearButtonEnabled(true);
    m_list = new QListView(m_content);
    m_list->setObjectName(u"apps"_s);
    m_list->setModel(m_filter);
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setIconSize(QSize(28, 28));
    m_error = SheetSupport::makeErrorLabel(m_content);
    m_error->setObjectName(u"error"_s);
    m_browse = new QPushButton(m_content);
    m_browse->setObjectName(u"browse"_s);
    m_browse->setAutoDefault(false);
    m_cancel = new QPushButton(m_content);
    m_cancel->setObjectName(u"cancel"_s);
    m_cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_browse);
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);
    column->addWidget(m_title);
    column->addWidget(m_search);
    column->addWidget(m_list, 1);
    column->addWidget(m_error);
    column->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_content);

    connect(m_search, &QLineEdit::textChanged, m_filter, &SearchFilterProxy::setQuery);
    // The row's own copy: two copies of one bundle identifier are two rows.
    const auto chooseRow = [this](const QModelIndex& index) {
        if (const int row = m_filter->mapToSource(index).row(); index.isValid() && row < m_model.apps().size())
            choose(m_model.apps().at(row));
    };
    connect(m_list, &QListView::clicked, this, chooseRow);
    connect(m_list, &QListView::activated, this, chooseRow);
    connect(m_browse, &QPushButton::clicked, this, &AppChooserSheet::browse);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(&model, &AppModel::selectedTypeChanged, this, &AppChooserSheet::retranslate);
    connect(&LanguageSetting::shared(), &LanguageSetting::changed, this, &AppChooserSheet::retranslate);
    retranslate();
}

void AppChooserSheet::setPicker(Picker newPicker)
{
    picker() = std::move(newPicker);
}

namespace {

// The browse panel of the emulated Mac: an application is a folder, but not every folder is an application.
class BundlePanel : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override
    {
        const QStringList chosen = selectedFiles();
        const QFileInfo info(chosen.value(0));
        if (chosen.size() == 1 && info.isDir() && info.suffix().compare(u"app"_s, Qt::CaseInsensitive) == 0) {
            QFileDialog::accept();
            return;
        }
        auto* refusal =
            new QMessageBox(QMessageBox::Information, u"Tessik"_s,
                            L10n::text(u"请选择一个 .app 应用，而不是普通文件夹。"_s, LanguageSetting::shared().code()),
                            QMessageBox::Ok, this);
        refusal->setObjectName(u"bundleRefusal"_s);
        refusal->setTextFormat(Qt::PlainText);
        refusal->setAttribute(Qt::WA_DeleteOnClose);
        refusal->open();
    }
};

} // namespace

void AppChooserSheet::pickWithFileDialog(QWidget* parent, std::function<void(const std::optional<QString>&)> answer)
{
    auto* dialog = PlatformTexts::isMac() ? new BundlePanel(parent) : new QFileDialog(parent);
    if (const auto* sheet = qobject_cast<AppChooserSheet*>(parent))
        dialog->setWindowTitle(sheet->m_browse->text().remove(u'…'));
    dialog->setObjectName(u"browseDialog"_s);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    // The native panel would let the platform decide what a bundle is; ours is checked by the scanner.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // A Mac application is a folder; a desktop application is one file.
    if (PlatformTexts::isMac()) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setNameFilter(u"*.app"_s);
    } else {
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setNameFilter(u"*.desktop"_s);
    }
    if (const QList<QUrl> folders = AppScanner::defaultApplicationDirectories(); !folders.isEmpty())
        dialog->setDirectory(folders.first().toLocalFile());
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [answer](const QString& path) { answer(path); });
    QObject::connect(dialog, &QDialog::rejected, dialog, [answer] { answer(std::nullopt); });
    dialog->open();
}

std::optional<QString> AppChooserSheet::error() const
{
    return m_error->isVisibleTo(this) ? std::optional(m_error->text()) : std::nullopt;
}

QAbstractItemModel* AppChooserSheet::rows() const
{
    return m_filter;
}

QString AppChooserSheet::tr(const QString& key, const L10n::Values& values) const
{
    return L10n::text(key, LanguageSetting::shared().code(), values);
}

void AppChooserSheet::retranslate()
{
    const auto type = m_model.selectedType();
    m_title->setText(tr(u"为 {format} 选择应用"_s, {{u"format"_s, type ? m_model.label(*type) : tr(u"格式"_s)}}));
    m_search->setPlaceholderText(tr(u"搜索全部已安装应用"_s));
    m_browse->setText(PlatformTexts::isMac() ? tr(u"浏览 .app…"_s) : tr(u"浏览 .desktop…"_s));
    m_cancel->setText(tr(u"取消"_s));
}

void AppChooserSheet::choose(const InstalledApp& app)
{
    // A click can arrive as both a click and an activation; the first one wins.
    if (m_saving || !isVisible())
        return;
    setSaving(true);
    QFuture<void> chosen;
    try {
        chosen = m_model.chooseApp(app);
    } catch (...) {
        SheetSupport::showError(m_error, L10n::error(std::current_exception(), LanguageSetting::shared().code()));
        setSaving(false);
        return;
    }
    SheetSupport::whenDone(
        chosen, this,
        [this] {
            setSaving(false);
            accept();
        },
        [this](const std::exception_ptr& failure) {
            SheetSupport::showError(m_error, L10n::error(failure, LanguageSetting::shared().code()));
            setSaving(false);
        });
}

void AppChooserSheet::browse()
{
    if (m_saving)
        return;
    const Picker pick = picker() ? picker() : Picker(&AppChooserSheet::pickWithFileDialog);
    pick(this, [sheet = QPointer(this)](const std::optional<QString>& path) {
        if (sheet)
            sheet->browsed(path);
    });
}

void AppChooserSheet::browsed(const std::optional<QString>& path)
{
    if (!path || path->isEmpty())
        return;
    const auto app = AppScanner().installedApp(QUrl::fromLocalFile(*path));
    if (!app) {
        SheetSupport::showError(m_error, PlatformTexts::isMac() ? tr(u"请选择包含有效 Bundle ID 的应用。"_s)
                                                                : tr(u"请选择已安装应用的 .desktop 文件。"_s));
        return;
    }
    choose(*app);
}

void AppChooserSheet::setSaving(bool saving)
{
    m_saving = saving;
    m_content->setEnabled(!saving);
}

} // namespace tessik::ui
