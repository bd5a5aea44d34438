#include "import_sheet.h"

#include "app/l10n/carry_texts.h"
#include "app/model/app_model.h"
#include "core/support/plain_order.h"
#include "sheet_support.h"
#include "ui/settings/language_setting.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tessik::ui {

ImportSheet::ImportSheet(AppModel& model, QString fileName, StagedImport::Outcome outcome, QWidget* parent)
    : QDialog(parent), m_model(model), m_fileName(std::move(fileName)), m_outcome(std::move(outcome))
{
    setObjectName(u"importSheet"_s);
    SheetSupport::makeSheet(this);
    SheetSupport::followBusy(this, m_model);
    setMinimumSize(520, 420);
    m_title = new QLabel(this);
    m_title->setObjectName(u"title"_s);
    m_title->setFont(SheetSupport::titleFont(font()));
    m_summary = new QLabel(this);
    m_summary->setObjectName(u"summary"_s);
    m_summary->setWordWrap(true);
    m_staged = new QListWidget(this);
    m_staged->setObjectName(u"stagedList"_s);
    m_staged->setTextElideMode(Qt::ElideMiddle);
    m_staged->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_skippedTitle = new QLabel(this);
    m_skippedTitle->setObjectName(u"skippedTitle"_s);
    m_skipped = new QListWidget(this);
    m_skipped->setObjectName(u"skippedList"_s);
    m_skipped->setWordWrap(true);
    m_skipped->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_apply = new QPushButton(this);
    m_apply->setObjectName(u"applyButton"_s);
    m_apply->setDefault(true);
    m_done = new QPushButton(this);
    m_done->setObjectName(u"doneButton"_s);
    m_done->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_done);
    buttons->addWidget(m_apply);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(12);
    column->addWidget(m_title);
    column->addWidget(m_summary);
    column->addWidget(m_staged, 2);
    column->addWidget(m_skippedTitle);
    column->addWidget(m_skipped, 1);
    column->addLayout(buttons);

    connect(m_apply, &QPushButton::clicked, this, [this] {
        m_model.applyPending();
        accept();
    });
    connect(m_done, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_model, &AppModel::pendingChanged, this, &ImportSheet::fill);
    connect(&LanguageSetting::shared(), &LanguageSetting::changed, this, &ImportSheet::retranslate);
    retranslate();
}

QString ImportSheet::tr(const QString& key, const L10n::Values& values) const
{
    return L10n::text(key, LanguageSetting::shared().code(), values);
}

void ImportSheet::retranslate()
{
    setWindowTitle(tr(u"导入默认应用"_s));
    m_title->setText(tr(u"导入默认应用"_s));
    m_staged->setAccessibleName(tr(u"待修改的格式"_s));
    m_skippedTitle->setText(tr(u"已跳过"_s));
    m_skipped->setAccessibleName(tr(u"已跳过"_s));
    m_apply->setText(tr(u"应用更改"_s));
    m_done->setText(tr(u"稍后应用"_s));
    fill();
}

void ImportSheet::fill()
{
    const QString language = LanguageSetting::shared().code();
    QString summary = m_outcome.staged > 0
                          ? tr(u"已从“{file}”暂存 {count} 项更改，请检查后应用。"_s,
                               {{u"file"_s, m_fileName}, {u"count"_s, QString::number(m_outcome.staged)}})
                          : tr(u"“{file}”中没有需要更改的默认应用。"_s, {{u"file"_s, m_fileName}});
    if (m_outcome.inEffect > 0)
        summary += u'\n' + tr(u"{count} 项已是当前默认应用。"_s, {{u"count"_s, QString::number(m_outcome.inEffect)}});
    m_summary->setText(summary);

    QStringList types = m_model.pending().keys();
    sortPlainBy(types, [this](const QString& type) { return m_model.label(type); });
    m_staged->clear();
    for (const QString& type : types)
        m_staged->addItem(m_model.label(type) + u"  →  "_s + m_model.appName(m_model.pending().value(type)));

    m_skipped->clear();
    for (const DefaultsImport::Skipped& skipped : m_outcome.skipped)
        m_skipped->addItem(CarryTexts::skipped(skipped, language));
    for (const CarriedDefault& entry : m_outcome.otherRoles)
        m_skipped->addItem(tr(u"{entry}：属于另一个角色，请切换到该角色后再次导入"_s,
                              {{u"entry"_s, CarryTexts::located(entry, language)}}));
    m_skippedTitle->setVisible(m_skipped->count() > 0);
    m_skipped->setVisible(m_skipped->count() > 0);
    m_apply->setEnabled(!m_model.pending().isEmpty());
}

} // namespace tessik::ui
