#include "handler_explanation.h"

#include "backend.h"

namespace tessik::platform {

HandlerExplanation explainDefaultRoleHandler(const QString& contentType, LSRolesMask role)
{
    return Backend::current().explainDefaultHandler(contentType, role);
}

HandlerExplanation explainDefaultHandlerForURLScheme(const QString& scheme)
{
    return Backend::current().explainURLSchemeHandler(scheme);
}

} // namespace tessik::platform
