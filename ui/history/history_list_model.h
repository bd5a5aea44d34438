#pragma once

#include "app/model/change_history.h"

#include <QAbstractListModel>

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// The runs of changes, newest first: when, and which formats. A run with something to look at (a change that
// did not take, an application that has gone) carries a warning sign.
class HistoryListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit HistoryListModel(const AppModel& model, QObject* parent = nullptr);

    void setHistory(const QList<HistoryEntry>& entries);
    const QList<HistoryEntry>& entries() const { return m_entries; }
    // The row of a snapshot, invalid when it is not listed.
    QModelIndex indexOf(const QUuid& snapshotID) const;
    // Texts follow the model's language.
    void retranslate();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const AppModel& m_model;
    QList<HistoryEntry> m_entries;
};

} // namespace tessik::ui
