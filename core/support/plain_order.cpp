#include "plain_order.h"

#include <algorithm>

namespace tessik {
namespace {

char32_t nextScalar(QStringView text, qsizetype& i)
{
    const QChar c = text[i++];
    if (c.isHighSurrogate() && i < text.size() && text[i].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[i++]);
    return c.unicode();
}

int compareScalars(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = nextScalar(a, i);
        const char32_t y = nextScalar(b, j);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return i < a.size() ? 1 : (j < b.size() ? -1 : 0);
}

} // namespace

int comparePlain(const QString& a, const QString& b)
{
    return compareScalars(a.normalized(QString::NormalizationForm_C), b.normalized(QString::NormalizationForm_C));
}

void sortPlain(QStringList& list)
{
    // Normalise each string once rather than at every comparison.
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(list.size());
    for (const QString& item : list)
        keyed.emplace_back(item.normalized(QString::NormalizationForm_C), item);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return compareScalars(a.first, b.first) < 0; });
    for (qsizetype i = 0; i < list.size(); ++i)
        list[i] = keyed[size_t(i)].second;
}

void sortPlainBy(QStringList& items, const std::function<QString(const QString&)>& key)
{
    struct Keyed
    {
        QString key;
        QString item;
        QString original;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(items.size()));
    for (const QString& item : items)
        keyed.push_back({key(item).normalized(QString::NormalizationForm_C),
                         item.normalized(QString::NormalizationForm_C), item});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int byKey = compareScalars(a.key, b.key);
        return byKey != 0 ? byKey < 0 : compareScalars(a.item, b.item) < 0;
    });
    for (qsizetype i = 0; i < items.size(); ++i)
        items[i] = keyed[size_t(i)].original;
}

QStringList sortedUniquePlain(QStringList list)
{
    sortPlain(list);
    list.erase(std::unique(list.begin(), list.end()), list.end());
    return list;
}

} // namespace tessik
