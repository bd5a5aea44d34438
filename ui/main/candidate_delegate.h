#pragma once

#include <QStyledItemDelegate>

namespace tessik::ui {

// A candidate application: radio mark in the accent colour, icon, name over bundle identifier, badges.
class CandidateDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace tessik::ui
