#pragma once

#include <QByteArrayView>

namespace tessik::platform {

// Measures how deeply arrays and dictionaries nest in a property list without building it, so that a
// hostile file cannot exhaust the stack of a recursive parser.
class PropertyListNesting
{
public:
    // Whether an XML property list nests no deeper than `limit`.
    static bool xmlWithin(QByteArrayView data, int limit);
    // Whether a binary property list nests no deeper than `limit`, has no reference cycle and no
    // reference outside its object table.
    static bool binaryWithin(QByteArrayView data, int limit);
};

} // namespace tessik::platform
