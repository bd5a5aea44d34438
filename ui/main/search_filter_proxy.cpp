#include "search_filter_proxy.h"

#include "item_roles.h"

using namespace Qt::StringLiterals;

namespace tessik::ui {

SearchFilterProxy::SearchFilterProxy(QObject* parent) : QSortFilterProxyModel(parent)
{
    setRecursiveFilteringEnabled(true);
}

QString SearchFilterProxy::fold(const QString& text)
{
    return text.normalized(QString::NormalizationForm_C).toCaseFolded();
}

void SearchFilterProxy::setQuery(const QString& query)
{
    const QString folded = fold(query);
    if (folded == m_query)
        return;
    m_query = folded;
    invalidateRowsFilter();
}

void SearchFilterProxy::setCategory(const QString& category)
{
    if (category == m_category)
        return;
    m_category = category;
    invalidateRowsFilter();
}

bool SearchFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QModelIndex row = sourceModel()->index(sourceRow, 0, sourceParent);
    if (row.data(SectionRole).toBool())
        return false; // shown through its rows
    const QVariant category = row.data(CategoryRole);
    if (m_category != u"all"_s && category.isValid() && category.toString() != m_category)
        return false;
    if (m_query.isEmpty())
        return true;
    const QStringList texts = row.data(SearchTextRole).toStringList();
    return std::any_of(texts.begin(), texts.end(), [this](const QString& text) { return text.contains(m_query); });
}

} // namespace tessik::ui
