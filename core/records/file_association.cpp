#include "file_association.h"

namespace tessik {

size_t qHash(const FileAssociation& association, size_t seed)
{
    // The handler map hashes order-independently, as its equality is.
    size_t handlers = 0;
    for (auto it = association.defaultHandlers.cbegin(); it != association.defaultHandlers.cend(); ++it)
        handlers += qHashMulti(0, it.key(), it.value());
    return qHashMulti(seed, association.typeIdentifier, association.extensions, association.capableApps,
                      association.suggestedAppIDs, handlers);
}

} // namespace tessik
