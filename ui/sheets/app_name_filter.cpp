#include "app_name_filter.h"

namespace tessik::ui {

QString AppNameFilter::fold(const QString& text)
{
    return text.normalized(QString::NormalizationForm_C).toCaseFolded();
}

void AppNameFilter::setSearch(const QString& search)
{
    const QString folded = fold(search);
    if (folded == m_folded)
        return;
    m_folded = folded;
    invalidateFilter();
}

bool AppNameFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_folded.isEmpty())
        return true;
    const QString name = sourceModel()->index(sourceRow, 0, sourceParent).data(Qt::DisplayRole).toString();
    return fold(name).contains(m_folded);
}

} // namespace tessik::ui
