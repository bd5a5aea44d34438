#include "staged_changes_sheet.h"

#include "app/model/app_model.h"
#include "core/support/plain_order.h"
#include "sheet_support.h"
#include "ui/main/plain_text.h"
#include "ui/settings/language_setting.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tessik::ui {

namespace {

constexpr int typeRole = Qt::UserRole;

} // namespace

StagedChangesSheet::StagedChangesSheet(AppModel& model, QWidget* parent) : QDialog(parent), m_model(model)
{
    setObjectName(u"stagedChangesSheet"_s);
    SheetSupport::makeSheet(this);
    SheetSupport::followBusy(this, m_model);
    setMinimumSize(420, 300);
    m_title = new QLabel(this);
    m_title->setObjectName(u"title"_s);
    m_title->setFont(SheetSupport::titleFont(font()));
    m_list = new QListWidget(this);
    m_list->setObjectName(u"stagedList"_s);
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_remove = new QPushButton(this);
    m_remove->setObjectName(u"removeButton"_s);
    m_remove->setAutoDefault(false);
    m_done = new QPushButton(this);
    m_done->setObjectName(u"doneButton"_s);
    m_done->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_remove);
    buttons->addStretch();
    buttons->addWidget(m_done);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(12);
    column->addWidget(m_title);
    column->addWidget(m_list, 1);
    column->addLayout(buttons);

    connect(m_remove, &QPushButton::clicked, this, &StagedChangesSheet::removeCurrent);
    connect(m_done, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_remove->setEnabled(row >= 0); });
    connect(&m_model, &AppModel::pendingChanged, this, &StagedChangesSheet::fill);
    connect(&LanguageSetting::shared(), &LanguageSetting::changed, this, &StagedChangesSheet::retranslate);
    retranslate();
}

QString StagedChangesSheet::tr(const QString& key, const L10n::Values& values) const
{
    return L10n::text(key, LanguageSetting::shared().code(), values);
}

void StagedChangesSheet::retranslate()
{
    setWindowTitle(tr(u"待修改的格式"_s));
    m_title->setText(tr(u"待修改的格式"_s));
    m_list->setAccessibleName(tr(u"待修改的格式"_s));
    m_remove->setText(tr(u"移除"_s));
    m_done->setText(tr(u"完成"_s));
    fill();
}

void StagedChangesSheet::fill()
{
    const int row = m_list->currentRow();
    QStringList types = m_model.pending().keys();
    sortPlainBy(types, [this](const QString& type) { return m_model.label(type); });
    m_list->clear();
    for (const QString& type : types) {
        auto* item = new QListWidgetItem(
            m_model.label(type) + u"  →  "_s + m_model.appName(m_model.pending().value(type)), m_list);
        item->setData(typeRole, type);
        item->setToolTip(PlainText::asRichText(m_model.description(type)));
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(qBound(0, row, m_list->count() - 1));
    m_remove->setEnabled(m_list->currentRow() >= 0);
}

void StagedChangesSheet::removeCurrent()
{
    if (QListWidgetItem* item = m_list->currentItem())
        m_model.unstage(item->data(typeRole).toString());
    if (m_list->count() == 0)
        m_done->setFocus();
}

} // namespace tessik::ui
