#include "app_format_delegate.h"

#include "badge_painter.h"
#include "format_row_delegate.h"
#include "item_roles.h"

#include <QApplication>
#include <QMouseEvent>
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
    if (index.column() != 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The label, then its badges, then the description that tells look-alike rows apart.
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect textArea = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    const QStringList badges = index.data(BadgesRole).toStringList();
    const int badgeWidth = badges.isEmpty() ? 0 : BadgePainter::width(badges, option.font);
    const int labelWidth =
        qMin(QFontMetrics(option.font).horizontalAdvance(item.text) + 6, qMax(0, textArea.width() - badgeWidth));
    item.rect.setRight(textArea.left() + labelWidth + (option.rect.right() - textArea.right()));
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    int left = textArea.left() + labelWidth + BadgePainter::spacing;
    if (!badges.isEmpty()) {
        BadgePainter::paint(painter, badges, left, option.rect.center().y(), option.font, option.palette);
        left += badgeWidth + BadgePainter::spacing;
    }
    const QString description = index.data(SecondaryTextRole).toString();
    const int available = textArea.right() - left;
    if (description.isEmpty() || available <= 0)
        return;
    const QFont caption = BadgePainter::captionFont(option.font);
    const QFontMetrics captionMetrics(caption);
    painter->save();
    QColor secondary = option.palette.color(QPalette::Text);
    secondary.setAlphaF(0.6);
    painter->setPen(secondary);
    painter->setFont(caption);
    painter->drawText(QRect(left, option.rect.top(), available, option.rect.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      captionMetrics.elidedText(description, Qt::ElideRight, available));
    painter->restore();
}

// The label belongs to its box: a click anywhere on it ticks as the box does.
bool AppFormatDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                    const QModelIndex& index)
{
    const bool checkable = index.column() == 0 && (index.flags() & Qt::ItemIsUserCheckable);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (checkable && event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
        option.rect.contains(mouse->position().toPoint())) {
        const bool checked = index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
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
