#include "history_change_model.h"

#include "app/l10n/l10n.h"
#include "app/model/app_model.h"
#include "history_texts.h"
#include "ui/main/item_roles.h"

#include <QApplication>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace tessik::ui {

HistoryChangeModel::HistoryChangeModel(const AppModel& model, QObject* parent)
    : QAbstractTableModel(parent), m_model(model)
{
}

void HistoryChangeModel::setEntry(const std::optional<HistoryEntry>& entry)
{
    beginResetModel();
    m_changes = entry ? entry->changes : QList<HistoryEntry::Change>();
    endResetModel();
}

void HistoryChangeModel::retranslate()
{
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount_ - 1);
    if (!m_changes.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_changes.size()) - 1, columnCount_ - 1));
}

int HistoryChangeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_changes.size());
}

int HistoryChangeModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnCount_;
}

QString HistoryChangeModel::text(const HistoryEntry::Change& change, int column) const
{
    const QString& language = m_model.languageCode();
    switch (column) {
    case formatColumn:
        return HistoryTexts::subject(m_model, change.typeIdentifier, change.role);
    case fromColumn:
        if (change.fromGone)
            return L10n::text(u"{app}（已不在此电脑上）"_s, language, {{u"app"_s, m_model.appName(change.from)}});
        return m_model.appName(change.from);
    case toColumn:
        return change.to ? m_model.appName(change.to) : L10n::text(u"未记录"_s, language);
    case outcomeColumn:
        return HistoryTexts::outcome(m_model, change);
    default:
        return {};
    }
}

QVariant HistoryChangeModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const HistoryEntry::Change& change = m_changes[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return text(change, index.column());
    case Qt::DecorationRole: {
        const bool attention = (index.column() == fromColumn && change.fromGone) ||
                               (index.column() == outcomeColumn && change.outcome &&
                                *change.outcome != ChangeRecord::Outcome::succeeded);
        if (attention)
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        return {};
    }
    case IdentifierRole:
        return change.typeIdentifier;
    default:
        return {};
    }
}

QVariant HistoryChangeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const QString& language = m_model.languageCode();
    switch (section) {
    case formatColumn:
        return L10n::text(u"格式"_s, language);
    case fromColumn:
        return L10n::text(u"原来的应用"_s, language);
    case toColumn:
        return L10n::text(u"改为"_s, language);
    case outcomeColumn:
        return L10n::text(u"结果"_s, language);
    default:
        return {};
    }
}

} // namespace tessik::ui
