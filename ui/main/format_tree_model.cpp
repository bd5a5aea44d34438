#include "format_tree_model.h"

#include "app/model/app_model.h"
#include "item_roles.h"

namespace tessik::ui {

FormatTreeModel::FormatTreeModel(AppModel& model, QObject* parent) : CategoryTreeModel(model, 1, parent)
{
    rebuild();
}

QVariant FormatTreeModel::typeData(const QString& typeIdentifier, int column, int role) const
{
    if (role == SecondaryTextRole)
        return m_model.description(typeIdentifier);
    return CategoryTreeModel::typeData(typeIdentifier, column, role);
}

} // namespace tessik::ui
