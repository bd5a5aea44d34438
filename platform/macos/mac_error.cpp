#include "mac_error.h"

using namespace Qt::StringLiterals;

namespace tessik::platform {

NSError macError(const MacErrorChain& chain)
{
    if (chain.isEmpty())
        return NSError(NSOSStatusErrorDomain, kLSUnknownTypeErr, u"The content type is not known to the system."_s);
    std::shared_ptr<const NSError> underlying;
    for (auto it = chain.crbegin(); it != chain.crend(); ++it) {
        auto error = std::make_shared<const NSError>(it->domain, it->code, it->description, underlying, it->filePath);
        underlying = std::move(error);
    }
    return *underlying;
}

} // namespace tessik::platform
