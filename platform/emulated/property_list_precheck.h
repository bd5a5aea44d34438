#pragma once

#include <QByteArrayView>

namespace tessik::platform {

// Looks at a property list before the parser does, for what the parser cannot be trusted with: nesting that
// would exhaust the stack of its recursion, and NUL characters in strings or keys, which its getters assert
// against (and abort the program).
class PropertyListPrecheck
{
public:
    // Whether an XML property list nests no deeper than `limit` and holds no NUL character, raw or as a
    // character reference (XML allows neither).
    static bool xmlAcceptable(QByteArrayView data, int limit);
    // Whether a binary property list nests no deeper than `limit`, has no reference cycle, no reference outside
    // its object table and no NUL character in a reachable string.
    static bool binaryAcceptable(QByteArrayView data, int limit);
};

} // namespace tessik::platform
