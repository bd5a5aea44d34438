#include "settings_window.h"

#include "app/l10n/platform_texts.h"
#include "app/model/failure_texts.h"
#include "language_list_model.h"
#include "language_setting.h"
#include "ui/sheets/sheet_support.h"
#include "ui/shell/url_opener.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSysInfo>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tessik::ui {

SettingsWindow::SettingsWindow(QWidget* parent, platform::Bundle bundle)
    : QWidget(parent, Qt::Window), m_bundle(std::move(bundle))
{
    setObjectName(u"settingsWindow"_s);
    setFixedWidth(520);

    m_heading = new QLabel(this);
    m_heading->setObjectName(u"heading"_s);
    m_heading->setFont(SheetSupport::titleFont(font()));

    m_languageGroup = new QGroupBox(this);
    m_languageGroup->setObjectName(u"languageGroup"_s);
    m_languages = new LanguageListModel(this);
    m_language = new QComboBox(m_languageGroup);
    m_language->setObjectName(u"language"_s);
    m_language->setModel(m_languages);
    m_language->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* languageLayout = new QHBoxLayout(m_languageGroup);
    languageLayout->addWidget(m_language);
    languageLayout->addStretch();

    m_feedbackGroup = new QGroupBox(this);
    m_feedbackGroup->setObjectName(u"feedbackGroup"_s);
    m_feedbackText = new QLabel(m_feedbackGroup);
    m_feedbackText->setObjectName(u"feedbackText"_s);
    m_feedbackText->setWordWrap(true);
    m_compose = new QPushButton(m_feedbackGroup);
    m_compose->setObjectName(u"composeFeedback"_s);
    m_compose->setAutoDefault(false);
    auto* feedbackLayout = new QVBoxLayout(m_feedbackGroup);
    feedbackLayout->addWidget(m_feedbackText);
    feedbackLayout->addWidget(m_compose, 0, Qt::AlignLeading);

    m_close = new QPushButton(this);
    m_close->setObjectName(u"close"_s);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(m_close);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(18);
    column->addWidget(m_heading);
    column->addWidget(m_languageGroup);
    column->addWidget(m_feedbackGroup);
    column->addLayout(closeRow);

    m_language->setCurrentIndex(m_languages->row(LanguageSetting::shared().code()));
    connect(m_language, &QComboBox::activated, this, [this](int row) {
        LanguageSetting::shared().setCode(m_languages->index(row).data(LanguageListModel::CodeRole).toString());
    });
    connect(m_compose, &QPushButton::clicked, this, &SettingsWindow::composeFeedback);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this), &QShortcut::activated, this, &QWidget::close);
    connect(&LanguageSetting::shared(), &LanguageSetting::changed, this, &SettingsWindow::retranslate);
    retranslate();
}

// Escape closes the window, as it closes a dialog; a child that uses the key (an open list) keeps it.
void SettingsWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingsWindow::setBusy(bool busy)
{
    m_languageGroup->setEnabled(!busy);
}

QString SettingsWindow::tr(const QString& key, const L10n::Values& values) const
{
    return L10n::text(key, LanguageSetting::shared().code(), values);
}

void SettingsWindow::retranslate()
{
    const QString code = LanguageSetting::shared().code();
    if (const int row = m_languages->row(code); row != m_language->currentIndex())
        m_language->setCurrentIndex(row);
    setWindowTitle(u"Tessik · "_s + tr(u"设置"_s));
    m_heading->setText(tr(u"设置"_s));
    m_languageGroup->setTitle(tr(u"语言"_s));
    m_language->setAccessibleName(tr(u"语言"_s));
    m_feedbackGroup->setTitle(tr(u"反馈问题"_s));
    m_feedbackText->setText(PlatformTexts::isMac()
                                ? tr(u"邮件草稿会包含应用版本和 macOS 版本；请自行填写收件人并确认内容后发送。"_s)
                                : tr(u"邮件草稿会包含应用版本和系统版本；请自行填写收件人并确认内容后发送。"_s));
    m_compose->setText(tr(u"撰写反馈邮件"_s));
    m_close->setText(tr(u"关闭"_s));
    adjustSize();
}

QUrl SettingsWindow::feedbackMail() const
{
    const QVariant stored = m_bundle.infoDictionary().value(u"CFBundleShortVersionString"_s);
    const QString version = stored.typeId() == QMetaType::QString ? stored.toString() : u"1.0.0"_s;
    const L10n::Values values{{u"version"_s, version}, {u"system"_s, QSysInfo::prettyProductName()}};
    const QString body = PlatformTexts::isMac() ? tr(u"应用版本：{version}\nmacOS：{system}\n\n问题描述：\n"_s, values)
                                                : tr(u"应用版本：{version}\n系统：{system}\n\n问题描述：\n"_s, values);
    return FailureTexts::mailDraft(tr(u"Tessik 问题反馈"_s), body);
}

void SettingsWindow::composeFeedback()
{
    const QUrl mail = feedbackMail();
    if (mail.isValid() && UrlOpener::open(mail))
        return;
    auto* alert = new QMessageBox(QMessageBox::Warning, tr(u"无法打开邮件应用。"_s), tr(u"无法打开邮件应用。"_s),
                                  QMessageBox::NoButton, this);
    alert->setObjectName(u"mailAlert"_s);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->addButton(tr(u"好"_s), QMessageBox::AcceptRole)->setObjectName(u"ok"_s);
    alert->setWindowModality(Qt::WindowModal);
    alert->open();
}

} // namespace tessik::ui
