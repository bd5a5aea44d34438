#pragma once

#include <QString>
#include <QStringList>

namespace tessik {

// The order of identifiers and extensions: Unicode scalar values of the canonically composed strings,
// case-sensitive and independent of the locale.
int comparePlain(const QString& a, const QString& b);
inline bool plainLess(const QString& a, const QString& b)
{
    return comparePlain(a, b) < 0;
}
void sortPlain(QStringList& list);
// Sorted plain and without duplicates; of canonically equal spellings (composed and decomposed) the composed one
// is kept.
QStringList sortedUniquePlain(QStringList list);

} // namespace tessik
