#pragma once

#include "core/records/installed_app.h"

#include <QAbstractListModel>

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// Every scanned application, in the model's order: the name to show, the identity and the bundle whose icon is drawn.
class AppListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        BundleIdentifierRole = Qt::UserRole + 1,
        BundleURLRole,
    };

    explicit AppListModel(const AppModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    const InstalledApp& app(int row) const { return m_apps.at(row); }

private:
    const AppModel& m_model;
    QList<InstalledApp> m_apps;
};

} // namespace tessik::ui
