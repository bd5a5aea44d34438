#include "app_list_model.h"

#include "app/model/app_model.h"

namespace tessik::ui {

AppListModel::AppListModel(const AppModel& model, QObject* parent)
    : QAbstractListModel(parent), m_model(model), m_apps(model.apps())
{
    connect(&model, &AppModel::appsChanged, this, [this] {
        beginResetModel();
        m_apps = m_model.apps();
        endResetModel();
    });
}

int AppListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_apps.size());
}

QVariant AppListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const InstalledApp& app = m_apps.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return app.name;
    case Qt::ToolTipRole:
        return app.url.toLocalFile();
    case BundleIdentifierRole:
        return app.bundleIdentifier;
    case BundleURLRole:
        return app.url;
    default:
        return {};
    }
}

} // namespace tessik::ui
