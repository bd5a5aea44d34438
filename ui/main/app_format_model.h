#pragma once

#include "category_tree_model.h"
#include "core/records/installed_app.h"

namespace tessik::ui {

// The formats of the selected application by category, each with a checkbox that stages the application for it,
// its badges, and the name of its current default application in the second column.
class AppFormatModel : public CategoryTreeModel
{
    Q_OBJECT

public:
    explicit AppFormatModel(AppModel& model, QObject* parent = nullptr);

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    void prepare() override;
    std::optional<QString> appID() const override;
    QVariant typeData(const QString& typeIdentifier, int column, int role) const override;

private:
    std::optional<InstalledApp> m_app;
};

} // namespace tessik::ui
