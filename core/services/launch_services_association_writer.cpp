#include "launch_services_association_writer.h"

#include "association_service_error.h"
#include "core/records/url_scheme.h"
#include "platform/launch_services.h"
#include "platform/ns_error.h"
#include "platform/uniform_type.h"
#include "platform/workspace.h"

namespace tessik {

AssociationWriteOutcome LaunchServicesAssociationWriter::setDefaultHandler(const QString& bundleIdentifier,
                                                                           const QString& typeIdentifier,
                                                                           AssociationRole role, std::stop_token)
{
    if (const auto scheme = URLScheme::fromIdentifier(typeIdentifier))
        return setURLSchemeHandler(bundleIdentifier, *scheme);

    // Where the system asks the user before changing every role, that question is the path; elsewhere the change
    // goes in directly like any other role's and is verified by reading it back.
    if (role == AssociationRole::all && platform::Workspace::defaultApplicationChangesNeedConfirmation()) {
        const auto application = platform::Workspace::urlForApplicationWithBundleIdentifier(bundleIdentifier);
        const auto contentType = platform::UTType::typeWithIdentifier(typeIdentifier);
        if (application && contentType) {
            const auto error = platform::Workspace::setDefaultApplication(*application, *contentType);
            if (!error)
                return AssociationWriteOutcome::confirmed;
            if (isUserCancellation(*error))
                return AssociationWriteOutcome::declined;
            throw *error;
        }
    }

    const auto mask = lsRole(role);
    if (!mask)
        throw AssociationServiceError(AssociationServiceError::UnsupportedRole{role});
    const platform::OSStatus status =
        platform::LSSetDefaultRoleHandlerForContentType(typeIdentifier, *mask, bundleIdentifier);
    if (status != platform::noErr)
        throw AssociationServiceError(AssociationServiceError::LaunchServicesStatus{status});
    return AssociationWriteOutcome::pendingVerification;
}

AssociationWriteOutcome LaunchServicesAssociationWriter::setURLSchemeHandler(const QString& bundleIdentifier,
                                                                             const QString& scheme)
{
    // A scheme has one handler whatever the role; the system asks before some schemes change hands.
    if (platform::Workspace::urlSchemeChangesNeedConfirmation(scheme)) {
        if (const auto application = platform::Workspace::urlForApplicationWithBundleIdentifier(bundleIdentifier)) {
            const auto error = platform::Workspace::setDefaultApplicationToOpenURLsWithScheme(*application, scheme);
            if (!error)
                return AssociationWriteOutcome::confirmed;
            if (isUserCancellation(*error))
                return AssociationWriteOutcome::declined;
            throw *error;
        }
    }
    const platform::OSStatus status = platform::LSSetDefaultHandlerForURLScheme(scheme, bundleIdentifier);
    if (status != platform::noErr)
        throw AssociationServiceError(AssociationServiceError::LaunchServicesStatus{status});
    return AssociationWriteOutcome::pendingVerification;
}

bool LaunchServicesAssociationWriter::isUserCancellation(const platform::NSError& error)
{
    for (const platform::NSError* current = &error; current; current = current->underlyingError()) {
        if (current->domain() == platform::NSCocoaErrorDomain && current->code() == platform::NSUserCancelledError)
            return true;
        if (current->domain() == platform::NSOSStatusErrorDomain && current->code() == platform::userCanceledErr)
            return true;
    }
    return false;
}

} // namespace tessik
