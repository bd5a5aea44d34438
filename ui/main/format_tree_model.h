#pragma once

#include "category_tree_model.h"

namespace tessik::ui {

// The sidebar's formats by category: a label with the description below it.
class FormatTreeModel : public CategoryTreeModel
{
    Q_OBJECT

public:
    explicit FormatTreeModel(AppModel& model, QObject* parent = nullptr);

protected:
    std::optional<QString> appID() const override { return std::nullopt; }
    QVariant typeData(const QString& typeIdentifier, int column, int role) const override;
};

} // namespace tessik::ui
