#pragma once

#include "app/model/change_history.h"

#include <QAbstractTableModel>

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// The changes of one run: the format, the application it had, the one it was to get, and whether it took. An
// application that has gone says so in its own cell.
class HistoryChangeModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        formatColumn,
        fromColumn,
        toColumn,
        outcomeColumn,
        columnCount_
    };

    explicit HistoryChangeModel(const AppModel& model, QObject* parent = nullptr);

    void setEntry(const std::optional<HistoryEntry>& entry);
    void retranslate();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString text(const HistoryEntry::Change& change, int column) const;

    const AppModel& m_model;
    QList<HistoryEntry::Change> m_changes;
};

} // namespace tessik::ui
