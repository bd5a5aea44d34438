#include "app_row_delegate.h"

#include "app_list_model.h"
#include "ui/icons/app_icon_cache.h"

#include <QWidget>

namespace tessik::ui {

void AppRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const qreal ratio = option->widget ? option->widget->devicePixelRatioF() : 1.0;
    const InstalledApp app{index.data(Qt::DisplayRole).toString(),
                           index.data(AppListModel::BundleIdentifierRole).toString(),
                           index.data(AppListModel::BundleURLRole).toUrl(),
                           {}};
    option->icon = QIcon(AppIconCache::icon(app, iconPoints, ratio));
    option->decorationSize = QSize(iconPoints, iconPoints);
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->textElideMode = Qt::ElideRight;
}

QSize AppRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), iconPoints + 8));
    return size;
}

} // namespace tessik::ui
