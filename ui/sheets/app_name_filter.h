#pragma once

#include <QSortFilterProxyModel>

namespace tessik::ui {

// Keeps the rows whose name contains the search text, compared composed and case-folded so that every language
// we ship matches the same way; an empty search keeps every row.
class AppNameFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    static QString fold(const QString& text);
    void setSearch(const QString& search);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_folded;
};

} // namespace tessik::ui
