#pragma once

#include "core/records/installed_app.h"

#include <QAbstractListModel>

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// The applications that can open the selected format: radio mark on the effective choice, icon, name, bundle
// identifier and badges.
class CandidateModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit CandidateModel(AppModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Stages the row's application for the selected format.
    void choose(const QModelIndex& index);

private:
    void rebuild();
    void repaint();

    AppModel& m_model;
    QString m_type;
    QList<InstalledApp> m_apps;
};

} // namespace tessik::ui
