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

struct Keyed
{
    QString composed;
    QString original;
};

// Sorted plain; canonically equal spellings with the composed one first, then in code-unit order, so that the result
// never depends on the order the strings came in.
std::vector<Keyed> sortedKeyed(const QStringList& list)
{
    // Normalise each string once rather than at every comparison.
    std::vector<Keyed> keyed;
    keyed.reserve(list.size());
    for (const QString& item : list)
        keyed.push_back({item.normalized(QString::NormalizationForm_C), item});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (const int order = compareScalars(a.composed, b.composed); order != 0)
            return order < 0;
        const bool aComposed = a.original == a.composed, bComposed = b.original == b.composed;
        return aComposed != bComposed ? aComposed : a.original < b.original;
    });
    return keyed;
}

} // namespace

int comparePlain(const QString& a, const QString& b)
{
    return compareScalars(a.normalized(QString::NormalizationForm_C), b.normalized(QString::NormalizationForm_C));
}

void sortPlain(QStringList& list)
{
    const std::vector<Keyed> keyed = sortedKeyed(list);
    for (qsizetype i = 0; i < list.size(); ++i)
        list[i] = keyed[size_t(i)].original;
}

void sortPlainBy(QStringList& items, const std::function<QString(const QString&)>& key)
{
    // Keys normalised once; ties fall back to the items' own order.
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(size_t(items.size()));
    for (const QString& item : items)
        keyed.emplace_back(key(item).normalized(QString::NormalizationForm_C), item);
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (const int order = compareScalars(a.first, b.first); order != 0)
            return order < 0;
        return comparePlain(a.second, b.second) < 0 || (comparePlain(a.second, b.second) == 0 && a.second < b.second);
    });
    for (qsizetype i = 0; i < items.size(); ++i)
        items[i] = keyed[size_t(i)].second;
}

QStringList sortedUniquePlain(QStringList list)
{
    const std::vector<Keyed> keyed = sortedKeyed(list);
    list.clear();
    for (size_t i = 0; i < keyed.size(); ++i)
        if (i == 0 || keyed[i].composed != keyed[i - 1].composed)
            list.append(keyed[i].original);
    return list;
}

} // namespace tessik
