#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tessik {

// The order of identifiers and extensions: Unicode scalar values of the canonically composed strings,
// case-sensitive and independent of the locale.
int comparePlain(const QString& a, const QString& b);
inline bool plainLess(const QString& a, const QString& b)
{
    return comparePlain(a, b) < 0;
}
void sortPlain(QStringList& list);
// Sorts items by the plain order of their keys; items with equal keys by their own order, so the result never
// depends on the order they came in.
void sortPlainBy(QStringList& items, const std::function<QString(const QString&)>& key);
// Sorted plain and without duplicates; of canonically equal spellings (composed and decomposed) the composed one
// is kept.
QStringList sortedUniquePlain(QStringList list);

} // namespace tessik
