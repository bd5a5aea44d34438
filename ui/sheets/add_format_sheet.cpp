#include "add_format_sheet.h"

#include "app/model/app_model.h"
#include "core/services/type_resolver.h"
#include "sheet_support.h"
#include "ui/settings/language_setting.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tessik::ui {

AddFormatSheet::AddFormatSheet(AppModel& model, bool forApp, QWidget* parent)
    : QDialog(parent), m_model(model), m_forApp(forApp)
{
    setObjectName(u"addFormatSheet"_s);
    SheetSupport::makeSheet(this);
    SheetSupport::followBusy(this, m_model);

    m_content = new QWidget(this);
    m_content->setObjectName(u"content"_s);
    m_content->setFixedWidth(440);
    m_title = new QLabel(m_content);
    m_title->setObjectName(u"title"_s);
    m_title->setFont(SheetSupport::titleFont(font()));
    m_explanation = new QLabel(m_content);
    m_explanation->setObjectName(u"explanation"_s);
    m_explanation->setTextFormat(Qt::PlainText);
    m_explanation->setWordWrap(true);
    m_input = new QLineEdit(m_content);
    m_input->setObjectName(u"input"_s);
    m_error = SheetSupport::makeErrorLabel(m_content);
    m_error->setObjectName(u"error"_s);
    m_cancel = new QPushButton(m_content);
    m_cancel->setObjectName(u"cancel"_s);
    m_cancel->setAutoDefault(false);
    m_add = new QPushButton(m_content);
    m_add->setObjectName(u"add"_s);
    m_add->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_add);
    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);
    column->addWidget(m_title);
    column->addWidget(m_explanation);
    column->addWidget(m_input);
    column->addWidget(m_error);
    column->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    // The sheet grows and shrinks with its wrapped texts, the error included, at its one width.
    outer->setSizeConstraint(QLayout::SetFixedSize);
    outer->addWidget(m_content);

    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_add, &QPushButton::clicked, this, &AddFormatSheet::add);
    connect(m_input, &QLineEdit::returnPressed, this, &AddFormatSheet::add);
    connect(&LanguageSetting::shared(), &LanguageSetting::changed, this, &AddFormatSheet::retranslate);
    retranslate();
}

std::optional<QString> AddFormatSheet::error() const
{
    return m_error->isVisibleTo(this) ? std::optional(m_error->text()) : std::nullopt;
}

QString AddFormatSheet::tr(const QString& key, const L10n::Values& values) const
{
    return L10n::text(key, LanguageSetting::shared().code(), values);
}

void AddFormatSheet::retranslate()
{
    m_title->setText(tr(u"添加格式"_s));
    SheetSupport::showError(m_error, QString()); // it spoke of the last input, in the last language
    if (m_forApp) {
        const auto app = m_model.currentApp();
        m_explanation->setText(
            tr(u"为 {app} 添加格式，无需应用声明支持。"_s, {{u"app"_s, app ? app->name : tr(u"所选应用"_s)}}));
    } else {
        m_explanation->setText(tr(u"输入扩展名，再选择默认打开应用。"_s));
    }
    m_input->setPlaceholderText(tr(u"例如 .mkk"_s));
    m_cancel->setText(tr(u"取消"_s));
    m_add->setText(tr(u"添加"_s));
}

void AddFormatSheet::add()
{
    if (m_saving)
        return;
    const QString input = m_input->text();
    const QString language = LanguageSetting::shared().code();
    // Checked here first, so a malformed extension never reaches the model.
    try {
        TypeResolver::normalize(input);
    } catch (const std::exception& invalid) {
        SheetSupport::showError(m_error, L10n::error(invalid, language));
        return;
    }
    setSaving(true);
    QFuture<void> added;
    try {
        added = m_model.addFormat(input, m_forApp);
    } catch (...) {
        SheetSupport::showError(m_error, L10n::error(std::current_exception(), language));
        setSaving(false);
        return;
    }
    SheetSupport::whenDone(
        added, this,
        [this] {
            setSaving(false);
            accept();
        },
        [this](const std::exception_ptr& failure) {
            SheetSupport::showError(m_error, L10n::error(failure, LanguageSetting::shared().code()));
            setSaving(false);
        });
}

void AddFormatSheet::setSaving(bool saving)
{
    m_saving = saving;
    m_content->setEnabled(!saving);
}

} // namespace tessik::ui
