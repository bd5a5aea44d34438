#pragma once

#include <QCollator>
#include <QList>
#include <QString>

#include <algorithm>
#include <vector>

namespace tessik {

// The order of application names: the current locale's, ignoring case.
class NameOrder
{
public:
    NameOrder();
    bool less(const QString& a, const QString& b) const { return m_collator.compare(a, b) < 0; }
    // Sorts by the name `key` gives, computing each collation key once, and items whose names compare equal by
    // `tieLess`. The names are case-folded first: without ICU, Qt's sort keys ignore the collator's case setting.
    template <typename T, typename Key, typename TieLess> void sort(QList<T>& items, Key key, TieLess tieLess) const
    {
        std::vector<std::pair<QCollatorSortKey, qsizetype>> keyed;
        keyed.reserve(items.size());
        for (qsizetype i = 0; i < items.size(); ++i)
            keyed.emplace_back(m_collator.sortKey(key(items[i]).toCaseFolded()), i);
        std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
            const int order = a.first.compare(b.first);
            return order != 0 ? order < 0 : tieLess(items[a.second], items[b.second]);
        });
        QList<T> sorted;
        sorted.reserve(items.size());
        for (const auto& entry : keyed)
            sorted.append(std::move(items[entry.second]));
        items = std::move(sorted);
    }

private:
    QCollator m_collator;
};

} // namespace tessik
