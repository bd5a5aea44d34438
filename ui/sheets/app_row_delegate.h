#pragma once

#include <QStyledItemDelegate>

namespace tessik::ui {

// Draws an application row as the platform draws list items, with the bundle's icon at 28 points.
class AppRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int iconPoints = 28;

    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace tessik::ui
