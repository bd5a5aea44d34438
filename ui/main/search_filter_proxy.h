#pragma once

#include <QSortFilterProxyModel>

namespace tessik::ui {

// Filters rows by a search text and a category without touching the source's data. A row matches when one of its
// SearchTextRole texts contains the query; a heading stays while one of its rows matches.
class SearchFilterProxy : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit SearchFilterProxy(QObject* parent = nullptr);

    // The comparable form of a text: canonically composed and case-folded, the same rule in every language.
    static QString fold(const QString& text);

    const QString& query() const { return m_query; }
    void setQuery(const QString& query);
    // "all" keeps every category.
    void setCategory(const QString& category);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_query;
    QString m_category = QStringLiteral("all");
};

} // namespace tessik::ui
