#include "handler_explanation.h"

#include "backend.h"

namespace tessik::platform {

HandlerExplanation explainDefaultRoleHandler(const QString& contentType, LSRolesMask role)
{
    return Backend::current().explainDefaultHandler(contentType, role);
}

} // namespace tessik::platform
