#include "candidate_list_view.h"

#include "item_roles.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace tessik::ui {

namespace {

// One candidate as a radio button: its name, its bundle identifier and badges as the description, checked when
// it is the effective choice; pressing it chooses it.
class CandidateRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    CandidateRowAccessible(CandidateListView* view, int row) : m_view(view), m_row(row) {}

    bool isValid() const override { return m_view && m_view->model() && m_row < m_view->model()->rowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_view); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::RadioButton; }

    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        const QModelIndex row = index();
        if (kind == QAccessible::Name)
            return row.data().toString();
        if (kind == QAccessible::Description)
            return (QStringList{row.data(SecondaryTextRole).toString()} + row.data(BadgesRole).toStringList())
                .join(u", "_s);
        return {};
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = m_view->visualRect(index());
        return QRect(m_view->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.checkable = true;
        state.checked = index().data(RadioRole).toBool();
        state.focusable = true;
        state.focused = m_view->hasFocus() && m_view->currentIndex() == index();
        state.disabled = !m_view->isEnabled();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid() && m_view->isEnabled())
            Q_EMIT m_view->chosen(index());
    }

private:
    QModelIndex index() const { return m_view->model()->index(m_row, 0); }

    QPointer<CandidateListView> m_view;
    int m_row;
};

class CandidateListAccessible : public QAccessibleWidget
{
public:
    explicit CandidateListAccessible(CandidateListView* view) : QAccessibleWidget(view, QAccessible::List) {}

    CandidateListView* view() const { return static_cast<CandidateListView*>(widget()); }
    int childCount() const override { return view()->model() ? view()->model()->rowCount() : 0; }
    QAccessibleInterface* child(int index) const override
    {
        return index >= 0 && index < childCount() ? view()->rowInterface(index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (int row = 0; row < childCount(); ++row)
            if (view()->rowInterface(row) == child)
                return row;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? view()->rowInterface(index.row()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        const QModelIndex current = view()->currentIndex();
        return view()->hasFocus() && current.isValid() ? view()->rowInterface(current.row()) : nullptr;
    }
};

QAccessibleInterface* candidateListFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(CandidateListView::staticMetaObject.className()) && object->isWidgetType())
        return new CandidateListAccessible(static_cast<CandidateListView*>(object));
    return nullptr;
}

} // namespace

CandidateListView::CandidateListView(QWidget* parent) : QListView(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(candidateListFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setSelectionMode(QAbstractItemView::NoSelection);
    connect(this, &QListView::clicked, this, &CandidateListView::chosen);
}

CandidateListView::~CandidateListView()
{
    forgetRows();
}

void CandidateListView::setModel(QAbstractItemModel* model)
{
    forgetRows();
    QListView::setModel(model);
    if (!model)
        return;
    connect(model, &QAbstractItemModel::modelReset, this, &CandidateListView::forgetRows);
    connect(model, &QAbstractItemModel::layoutChanged, this, &CandidateListView::forgetRows);
    connect(model, &QAbstractItemModel::rowsInserted, this, &CandidateListView::forgetRows);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &CandidateListView::forgetRows);
    connect(model, &QAbstractItemModel::dataChanged, this, &CandidateListView::announceChecked);
}

QAccessibleInterface* CandidateListView::rowInterface(int row)
{
    if (const auto found = m_rows.constFind(row); found != m_rows.cend())
        return QAccessible::accessibleInterface(*found);
    auto* interface = new CandidateRowAccessible(this, row);
    m_rows.insert(row, QAccessible::registerAccessibleInterface(interface));
    return interface;
}

void CandidateListView::forgetRows()
{
    for (const QAccessible::Id id : std::as_const(m_rows))
        QAccessible::deleteAccessibleInterface(id);
    m_rows.clear();
}

void CandidateListView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentIndex().isValid()) {
            Q_EMIT chosen(currentIndex());
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QListView::keyPressEvent(event);
}

void CandidateListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QListView::currentChanged(current, previous);
    if (current.isValid() && hasFocus() && QAccessible::isActive()) {
        QAccessibleEvent focus(rowInterface(current.row()), QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

// A screen reader hears which row became the choice.
void CandidateListView::announceChecked(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                        const QList<int>& roles)
{
    if (!QAccessible::isActive() || (!roles.isEmpty() && !roles.contains(RadioRole)))
        return;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(rowInterface(row), changed);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace tessik::ui
