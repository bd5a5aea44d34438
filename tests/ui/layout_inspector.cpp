#include "layout_inspector.h"

#include "app/l10n/l10n.h"
#include "ui/main/badge_painter.h"
#include "ui/main/item_roles.h"
#include "ui/main/text_metrics.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace tessik::testing {
namespace {

QString describe(const QWidget* widget)
{
    return u"%1 “%2”"_s.arg(QString::fromLatin1(widget->metaObject()->className()),
                            widget->objectName().isEmpty() ? u"(unnamed)"_s : widget->objectName());
}

QString plain(QString text)
{
    return text.remove(u'&');
}

// The width the widget needs to show its whole text on one line.
std::optional<int> neededWidth(const QWidget* widget, QString& text)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->wordWrap() || label->textFormat() == Qt::RichText || !label->pixmap().isNull())
            return std::nullopt;
        text = label->text();
        const QMargins margins = label->contentsMargins();
        return label->fontMetrics().horizontalAdvance(text) + margins.left() + margins.right() + 2 * label->margin() +
               2 * label->indent() * (label->indent() > 0);
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        text = plain(button->text());
        if (text.isEmpty())
            return std::nullopt;
        const QStyle* style = button->style();
        int needed = button->fontMetrics().horizontalAdvance(text);
        if (!button->icon().isNull())
            needed += button->iconSize().width() + 4;
        if (qobject_cast<const QCheckBox*>(button) || qobject_cast<const QRadioButton*>(button))
            needed +=
                style->pixelMetric(QStyle::PM_IndicatorWidth) + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        else
            needed += 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) / 2;
        return needed;
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
        text = box->title();
        return box->fontMetrics().horizontalAdvance(text) + 12;
    }
    return std::nullopt;
}

QStringList visibleTexts(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return {label->text()};
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return {plain(button->text()), button->toolTip()};
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return {edit->placeholderText()};
    if (const auto* box = qobject_cast<const QGroupBox*>(widget))
        return {box->title()};
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        return items;
    }
    return {};
}

// The rows of an item view that are lower than the lines they stack: the name, and below it the secondary text
// in the caption font where the view draws one (property "stacksSecondaryText").
void checkRows(const QAbstractItemView* view, QStringList& found)
{
    const QAbstractItemModel* model = view->model();
    if (!model)
        return;
    const bool stacked = view->property("stacksSecondaryText").toBool();
    const auto check = [&](const QModelIndex& index) {
        const QRect rect = view->visualRect(index);
        const QString text = index.data().toString();
        if (rect.isEmpty() || text.isEmpty() || index.data(tessik::ui::SectionRole).toBool())
            return;
        int needed = tessik::ui::TextMetrics::lineHeight(text, view->font());
        if (stacked)
            needed += tessik::ui::TextMetrics::lineHeight(index.data(tessik::ui::SecondaryTextRole).toString(),
                                                          tessik::ui::BadgePainter::captionFont(view->font()));
        if (needed > rect.height())
            found.append(u"%1: the row “%2” is %3 px high, its text needs %4"_s.arg(describe(view), text)
                             .arg(rect.height())
                             .arg(needed));
    };
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex top = model->index(row, 0);
        check(top);
        for (int child = 0; child < model->rowCount(top); ++child)
            check(model->index(child, 0, top));
    }
}

} // namespace

QStringList LayoutInspector::problems(const QWidget* window, const QString& language)
{
    QStringList found;
    const L10n::Table& table = L10n::translations();
    QList<const QWidget*> widgets{window};
    for (QWidget* child : window->findChildren<QWidget*>())
        widgets.append(child);
    for (const QWidget* widget : widgets) {
        if (!widget->isVisibleTo(window) || widget->width() <= 0)
            continue;
        if (const auto* view = qobject_cast<const QAbstractItemView*>(widget))
            checkRows(view, found);
        // A wrapped label lower than its text at its width cuts the last lines.
        if (const auto* label = qobject_cast<const QLabel*>(widget);
            label && label->wordWrap() && !label->text().isEmpty() &&
            label->heightForWidth(label->width()) > label->height() + 1)
            found.append(u"%1 is %2 px high, its wrapped text “%3” needs %4"_s.arg(describe(widget))
                             .arg(label->height())
                             .arg(label->text())
                             .arg(label->heightForWidth(label->width())));
        QString text;
        if (const auto needed = neededWidth(widget, text);
            needed && *needed > widget->width() + 1 && !widget->property("elided").toBool())
            found.append(u"%1 is %2 px wide, its text “%3” needs %4"_s.arg(describe(widget))
                             .arg(widget->width())
                             .arg(text)
                             .arg(*needed));
        if (language != u"zh"_s) {
            for (const QString& shown : visibleTexts(widget)) {
                const auto entry = table.constFind(shown);
                if (entry != table.cend() && entry->value(language, shown) != shown)
                    found.append(u"%1 shows the untranslated “%2”"_s.arg(describe(widget), shown));
            }
        }
        // Visible siblings must not cover each other.
        const QObjectList siblings = widget->parentWidget() ? widget->parentWidget()->children() : QObjectList();
        for (const QObject* object : siblings) {
            const auto* other = qobject_cast<const QWidget*>(object);
            if (!other || other <= widget || !other->isVisibleTo(window) || other->isWindow() || widget->isWindow())
                continue;
            const QRect overlap = widget->geometry().intersected(other->geometry());
            if (overlap.width() > 1 && overlap.height() > 1)
                found.append(u"%1 and %2 overlap"_s.arg(describe(widget), describe(other)));
        }
    }
    found.removeDuplicates();
    return found;
}

} // namespace tessik::testing
