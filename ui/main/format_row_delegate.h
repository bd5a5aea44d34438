#pragma once

#include <QStyledItemDelegate>

namespace tessik::ui {

// A sidebar format: the label, and the description below it in the caption font and secondary colour. Category
// headings are drawn in bold.
class FormatRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Draws a category heading; shared by the format lists.
    static void paintHeading(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);
    static QSize headingSize(const QStyleOptionViewItem& option);
};

} // namespace tessik::ui
