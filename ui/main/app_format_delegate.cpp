#include "app_format_delegate.h"

#include "badge_painter.h"
#include "format_row_delegate.h"
#include "item_roles.h"

#include <QApplication>
#include <QPainter>

namespace tessik::ui {

namespace {

constexpr int verticalPadding = 5;

} // namespace

void AppFormatDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.data(SectionRole).toBool()) {
        if (index.column() == 0)
            FormatRowDelegate::paintHeading(painter, option, index);
        return;
    }
    const QStringList badges = index.data(BadgesRole).toStringList();
    if (index.column() != 0 || badges.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The label gives way to the badges, which follow it.
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const int badgeWidth = BadgePainter::width(badges, option.font);
    item.rect.setRight(item.rect.right() - badgeWidth);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    const int textWidth = qMin(QFontMetrics(option.font).horizontalAdvance(item.text) + 6, text.width());
    BadgePainter::paint(painter, badges, text.left() + textWidth + BadgePainter::spacing, option.rect.center().y(),
                        option.font, option.palette);
}

QSize AppFormatDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.data(SectionRole).toBool())
        return FormatRowDelegate::headingSize(option);
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(qMax(size.height(), BadgePainter::size(QStringLiteral("X"), option.font).height()) +
                   2 * verticalPadding);
    return size;
}

} // namespace tessik::ui
