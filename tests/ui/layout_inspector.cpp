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
#include <QPaintEngine>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QTextLayout>

#include <optional>

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

class DeviceMetrics : public QWidget
{
public:
    using QWidget::metric;
};

// A paint device that draws nothing and keeps every run of text painted on it: where its baseline is, in which font,
// and the clip it is drawn under.
class TextRecorder : public QPaintDevice, private QPaintEngine
{
public:
    struct Run
    {
        QPointF baseline;
        QString text;
        QFont font;
        std::optional<QRectF> clip;
    };

    explicit TextRecorder(const QWidget* like) : QPaintEngine(AllFeatures), m_like(like) {}

    QList<Run> runs;

    QPaintEngine* paintEngine() const override { return const_cast<TextRecorder*>(this); }

protected:
    // Fonts are sized for the device they draw on: the same as on the view.
    int metric(PaintDeviceMetric metric) const override { return (m_like->*(&DeviceMetrics::metric))(metric); }

private:
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    Type type() const override { return User; }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QTransform transform = painter()->transform();
        runs.append({transform.map(p), item.text(), item.font(),
                     painter()->hasClipping() ? std::optional(transform.mapRect(painter()->clipBoundingRect()))
                                              : std::nullopt});
    }

    const QWidget* m_like;
};

// Lets the inspector prepare a row's style option as the view itself does.
class ViewOptions : public QAbstractItemView
{
public:
    using QAbstractItemView::initViewItemOption;
};

// The runs of text that the row's delegate draws outside the row or outside the rectangle it clips them to, as
// tall as the fonts that draw them (fallback fonts included) make them.
void checkDrawnText(const QAbstractItemView* view, const QModelIndex& index, const QRect& rect, QStringList& found)
{
    QStyleOptionViewItem option;
    (view->*(&ViewOptions::initViewItemOption))(&option);
    option.rect = rect;
    TextRecorder recorder(view->viewport());
    {
        QPainter painter(&recorder);
        view->itemDelegateForIndex(index)->paint(&painter, option, index);
    }
    // Font metrics round ascent and descent to whole pixels apart; less than a pixel over cuts no glyph.
    constexpr qreal tolerance = 1;
    for (const TextRecorder::Run& run : std::as_const(recorder.runs)) {
        if (run.text.trimmed().isEmpty())
            continue;
        QTextLayout layout(run.text, run.font);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        const qreal top = run.baseline.y() - line.ascent();
        const qreal bottom = run.baseline.y() + line.descent();
        const auto outside = [&](const QRectF& bounds) {
            return top < bounds.top() - tolerance || bottom > bounds.bottom() + tolerance;
        };
        const auto report = [&](const QString& where, const QRectF& bounds) {
            found.append(u"%1: “%2” is drawn from y %3 to %4, outside %5 (y %6 to %7)"_s.arg(describe(view), run.text)
                             .arg(top, 0, 'f', 1)
                             .arg(bottom, 0, 'f', 1)
                             .arg(where)
                             .arg(bounds.top(), 0, 'f', 1)
                             .arg(bounds.bottom(), 0, 'f', 1));
        };
        if (outside(QRectF(rect)))
            report(u"its row"_s, QRectF(rect));
        else if (run.clip && outside(*run.clip))
            report(u"the rectangle it is clipped to"_s, *run.clip);
    }
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
        checkDrawnText(view, index, rect, found);
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
