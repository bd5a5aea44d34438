#include "app_list_model.h"

#include "app/model/app_model.h"
#include "item_roles.h"
#include "plain_text.h"
#include "search_filter_proxy.h"
#include "ui/icons/app_icon_cache.h"

#include <QGuiApplication>
#include <QIcon>

namespace tessik::ui {

AppListModel::AppListModel(AppModel& model, QObject* parent) : QAbstractListModel(parent), m_model(model)
{
    connect(&m_model, &AppModel::appsChanged, this, &AppListModel::rebuild);
    rebuild();
}

void AppListModel::rebuild()
{
    beginResetModel();
    m_foldedNames.clear();
    for (const InstalledApp& app : m_model.apps())
        m_foldedNames.append(SearchFilterProxy::fold(app.name));
    endResetModel();
}

int AppListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_foldedNames.size());
}

QVariant AppListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const InstalledApp& app = m_model.apps().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return app.name;
    case Qt::ToolTipRole:
        return PlainText::asRichText(app.name);
    case Qt::DecorationRole:
        return QIcon(AppIconCache::icon(app, 28, qApp->devicePixelRatio()));
    case IdentifierRole:
        return app.bundleIdentifier;
    case SearchTextRole:
        return QStringList{m_foldedNames.at(index.row())};
    default:
        return {};
    }
}

QModelIndex AppListModel::indexOfApp(const QString& bundleIdentifier) const
{
    const QList<InstalledApp>& apps = m_model.apps();
    for (int row = 0; row < apps.size(); ++row)
        if (apps.at(row).bundleIdentifier == bundleIdentifier)
            return index(row);
    return {};
}

} // namespace tessik::ui
