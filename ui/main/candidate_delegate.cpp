#include "candidate_delegate.h"

#include "badge_painter.h"
#include "item_roles.h"
#include "text_metrics.h"
#include "ui/icons/system_images.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>

namespace tessik::ui {

namespace {

constexpr int verticalPadding = 6;
constexpr int iconSize = 28;
constexpr int gap = 8;

} // namespace

void CandidateDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.text.clear();
    item.icon = QIcon();
    item.state &= ~QStyle::State_Selected; // the radio mark shows the choice
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const QRect rect = option.rect.adjusted(gap, 0, -gap, 0);
    const int centerY = rect.center().y();
    const QFontMetrics metrics(option.font);
    const int radioSize = metrics.height();
    const QColor accent = option.palette.color(QPalette::Highlight);
    const auto radio =
        index.data(RadioRole).toBool() ? SystemImages::Symbol::filledCircle : SystemImages::Symbol::circle;
    SystemImages::drawn(radio, accent)
        .paint(painter, QRect(rect.left(), centerY - radioSize / 2, radioSize, radioSize));
    int left = rect.left() + radioSize + gap;
    index.data(Qt::DecorationRole)
        .value<QIcon>()
        .paint(painter, QRect(left, centerY - iconSize / 2, iconSize, iconSize));
    left += iconSize + gap;

    const QStringList badges = index.data(BadgesRole).toStringList();
    const QFont caption = BadgePainter::captionFont(option.font);
    const QFontMetrics captionMetrics(caption);
    const QString name = index.data().toString();
    const QString identifier = index.data(SecondaryTextRole).toString();
    const int available = qMax(0, rect.right() - left - BadgePainter::width(badges, option.font));
    const int textWidth =
        qMin(available, qMax(metrics.horizontalAdvance(name), captionMetrics.horizontalAdvance(identifier)) + 2);
    const int nameHeight = TextMetrics::lineHeight(name, option.font);
    const int identifierHeight = TextMetrics::lineHeight(identifier, caption);
    const int top = centerY - (nameHeight + identifierHeight) / 2;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(QRect(left, top, textWidth, nameHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      metrics.elidedText(name, Qt::ElideRight, textWidth));
    QColor secondary = option.palette.color(QPalette::Text);
    secondary.setAlphaF(0.6);
    painter->setPen(secondary);
    painter->setFont(caption);
    painter->drawText(QRect(left, top + nameHeight, textWidth, identifierHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      captionMetrics.elidedText(identifier, Qt::ElideRight, textWidth));
    painter->restore();
    BadgePainter::paint(painter, badges, left + textWidth + gap, centerY, option.font, option.palette);
}

QSize CandidateDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int text =
        TextMetrics::lineHeight(index.data().toString(), option.font) +
        TextMetrics::lineHeight(index.data(SecondaryTextRole).toString(), BadgePainter::captionFont(option.font));
    return {0, qMax(iconSize, text) + 2 * verticalPadding};
}

} // namespace tessik::ui
