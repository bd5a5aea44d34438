#include "format_row_delegate.h"

#include "badge_painter.h"
#include "item_roles.h"
#include "text_metrics.h"

#include <QApplication>
#include <QPainter>

namespace tessik::ui {

namespace {

constexpr int margin = 4;

QFont bold(const QFont& font)
{
    QFont result = font;
    result.setBold(true);
    return result;
}

} // namespace

void FormatRowDelegate::paintHeading(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    painter->save();
    painter->setFont(bold(option.font));
    painter->setPen(option.palette.color(QPalette::Disabled, QPalette::Text));
    const QRect text = option.rect.adjusted(margin, 0, -margin, 0);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignBottom,
                      QFontMetrics(painter->font()).elidedText(index.data().toString(), Qt::ElideRight, text.width()));
    painter->restore();
}

QSize FormatRowDelegate::headingSize(const QStyleOptionViewItem& option)
{
    return {0, QFontMetrics(bold(option.font)).height() + 3 * margin};
}

void FormatRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.data(SectionRole).toBool()) {
        paintHeading(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QRect text = option.rect.adjusted(margin + 2, margin, -margin, -margin);
    const QFont caption = BadgePainter::captionFont(option.font);
    const QFontMetrics labelMetrics(option.font);
    const QFontMetrics captionMetrics(caption);
    const QString label = index.data().toString();
    const QString description = index.data(SecondaryTextRole).toString();
    const int labelHeight = TextMetrics::lineHeight(label, option.font);
    painter->save();
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(QRect(text.left(), text.top(), text.width(), labelHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      labelMetrics.elidedText(label, Qt::ElideRight, text.width()));
    QColor secondary = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    secondary.setAlphaF(0.6);
    painter->setPen(secondary);
    painter->setFont(caption);
    painter->drawText(
        QRect(text.left(), text.top() + labelHeight, text.width(), TextMetrics::lineHeight(description, caption)),
        Qt::AlignLeft | Qt::AlignVCenter, captionMetrics.elidedText(description, Qt::ElideRight, text.width()));
    painter->restore();
}

QSize FormatRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.data(SectionRole).toBool())
        return headingSize(option);
    return {0, TextMetrics::lineHeight(index.data().toString(), option.font) +
                   TextMetrics::lineHeight(index.data(SecondaryTextRole).toString(),
                                           BadgePainter::captionFont(option.font)) +
                   2 * margin};
}

} // namespace tessik::ui
