#include "history_list_model.h"

#include "history_texts.h"
#include "ui/main/item_roles.h"

#include <QApplication>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

// Enough to recognise a run; the detail lists every change.
constexpr int formatsShown = 6;

} // namespace

HistoryListModel::HistoryListModel(const AppModel& model, QObject* parent) : QAbstractListModel(parent), m_model(model)
{
}

void HistoryListModel::setHistory(const QList<HistoryEntry>& entries)
{
    beginResetModel();
    m_entries = entries;
    endResetModel();
}

QModelIndex HistoryListModel::indexOf(const QUuid& snapshotID) const
{
    for (int row = 0; row < m_entries.size(); ++row)
        if (m_entries[row].snapshot.id == snapshotID)
            return index(row);
    return {};
}

void HistoryListModel::retranslate()
{
    if (!m_entries.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_entries.size()) - 1));
}

int HistoryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const HistoryEntry& entry = m_entries[index.row()];
    switch (role) {
    case Qt::DisplayRole: {
        QStringList formats;
        for (const HistoryEntry::Change& change : entry.changes.first(std::min<qsizetype>(entry.changes.size(),
                                                                                          formatsShown)))
            formats.append(HistoryTexts::subject(m_model, change.typeIdentifier, change.role));
        if (entry.changes.size() > formatsShown)
            formats.append(u"…"_s);
        return HistoryTexts::when(m_model, entry.snapshot.createdAt) + u'\n' + formats.join(u", "_s);
    }
    case Qt::ToolTipRole:
        return HistoryTexts::summary(m_model, entry);
    case Qt::DecorationRole:
        if (entry.goneCount() > 0 || entry.count(ChangeRecord::Outcome::declined) > 0 ||
            entry.count(ChangeRecord::Outcome::failed) > 0)
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        return {};
    case IdentifierRole:
        return entry.snapshot.id.toString(QUuid::WithoutBraces).toUpper();
    default:
        return {};
    }
}

} // namespace tessik::ui
