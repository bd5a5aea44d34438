// Each function is the system call and the conversions around it; what to make of the answers is decided in
// MacBackend, which the tests run against a fake of this class.
#include "cocoa_system_calls.h"

#import <AppKit/AppKit.h>
#import <CoreServices/CoreServices.h>
#import <Foundation/Foundation.h>
#import <UniformTypeIdentifiers/UniformTypeIdentifiers.h>

#if !__has_feature(objc_arc)
#error "cocoa_system_calls.mm is written for automatic reference counting (-fobjc-arc)"
#endif

namespace tessik::platform {
namespace {

QString string(NSString* _Nullable value)
{
    return value ? QString::fromNSString(value) : QString();
}

QStringList strings(NSArray<NSString*>* _Nullable values)
{
    QStringList list;
    for (NSString* value in values)
        list.append(QString::fromNSString(value));
    return list;
}

MacTypeFacts facts(UTType* type)
{
    MacTypeFacts facts;
    facts.identifier = string(type.identifier);
    facts.localizedDescription = string(type.localizedDescription);
    facts.filenameExtensions = strings(type.tags[UTTagClassFilenameExtension]);
    facts.mimeTypes = strings(type.tags[UTTagClassMIMEType]);
    for (UTType* supertype in type.supertypes)
        facts.supertypes.append(string(supertype.identifier));
    facts.dynamic = type.dynamic;
    return facts;
}

MacErrorChain chain(NSError* _Nullable error)
{
    MacErrorChain chain;
    // Wrapped errors are a few deep; a bound keeps a malformed loop of them from running forever.
    for (int depth = 0; error && depth < 16; ++depth) {
        MacErrorFacts facts;
        facts.domain = string(error.domain);
        facts.code = error.code;
        facts.description = string(error.localizedDescription);
        id path = error.userInfo[NSFilePathErrorKey];
        if ([path isKindOfClass:[NSString class]])
            facts.filePath = string(path);
        chain.append(facts);
        id underlying = error.userInfo[NSUnderlyingErrorKey];
        error = [underlying isKindOfClass:[NSError class]] ? underlying : nil;
    }
    return chain;
}

} // namespace

QVariantList CocoaSystemCalls::storedLaunchServicesHandlers()
{
    @autoreleasepool {
        // Launch Services keeps the user's choices in this preferences domain and offers no call that lists them.
        CFStringRef domain = CFSTR("com.apple.LaunchServices/com.apple.launchservices.secure");
        CFPreferencesAppSynchronize(domain);
        id handlers = (__bridge_transfer id)CFPreferencesCopyAppValue(CFSTR("LSHandlers"), domain);
        QVariantList list;
        if (![handlers isKindOfClass:[NSArray class]])
            return list;
        for (id entry in (NSArray*)handlers) {
            if (![entry isKindOfClass:[NSDictionary class]])
                continue;
            QVariantMap map;
            for (id key in (NSDictionary*)entry) {
                id value = ((NSDictionary*)entry)[key];
                if ([key isKindOfClass:[NSString class]] && [value isKindOfClass:[NSString class]])
                    map.insert(string(key), string(value));
            }
            list.append(map);
        }
        return list;
    }
}

// Launch Services' role-handler functions are deprecated from macOS 12 on, yet they are the only ones that read and
// write a single role.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-declarations"

std::optional<QString> CocoaSystemCalls::copyDefaultRoleHandler(const QString& contentType, LSRolesMask role)
{
    @autoreleasepool {
        NSString* handler = (__bridge_transfer NSString*)LSCopyDefaultRoleHandlerForContentType(
            (__bridge CFStringRef)contentType.toNSString(), role);
        if (!handler)
            return std::nullopt;
        return QString::fromNSString(handler);
    }
}

OSStatus CocoaSystemCalls::setDefaultRoleHandler(const QString& contentType, LSRolesMask role, const QString& handler)
{
    @autoreleasepool {
        return LSSetDefaultRoleHandlerForContentType((__bridge CFStringRef)contentType.toNSString(), role,
                                                     (__bridge CFStringRef)handler.toNSString());
    }
}

// The scheme functions are deprecated too; a custom scheme's handler still changes through them without a question.
std::optional<QString> CocoaSystemCalls::copyDefaultHandlerForURLScheme(const QString& scheme)
{
    @autoreleasepool {
        NSString* handler =
            (__bridge_transfer NSString*)LSCopyDefaultHandlerForURLScheme((__bridge CFStringRef)scheme.toNSString());
        if (!handler)
            return std::nullopt;
        return QString::fromNSString(handler);
    }
}

OSStatus CocoaSystemCalls::setDefaultHandlerForURLScheme(const QString& scheme, const QString& handler)
{
    @autoreleasepool {
        return LSSetDefaultHandlerForURLScheme((__bridge CFStringRef)scheme.toNSString(),
                                               (__bridge CFStringRef)handler.toNSString());
    }
}

#pragma clang diagnostic pop

OSStatus CocoaSystemCalls::registerURL(const QUrl& url)
{
    @autoreleasepool {
        return LSRegisterURL((__bridge CFURLRef)url.toNSURL(), true);
    }
}

std::optional<QUrl> CocoaSystemCalls::urlForApplication(const QString& bundleIdentifier)
{
    @autoreleasepool {
        NSURL* url = [NSWorkspace.sharedWorkspace URLForApplicationWithBundleIdentifier:bundleIdentifier.toNSString()];
        if (!url)
            return std::nullopt;
        return QUrl::fromNSURL(url);
    }
}

bool CocoaSystemCalls::setDefaultApplication(const QUrl& applicationURL, const QString& contentType,
                                             Completion completion)
{
    @autoreleasepool {
        UTType* type = [UTType typeWithIdentifier:contentType.toNSString()];
        if (!type)
            return false;
        [NSWorkspace.sharedWorkspace setDefaultApplicationAtURL:applicationURL.toNSURL()
                                              toOpenContentType:type
                                              completionHandler:^(NSError* _Nullable error) {
                                                @autoreleasepool {
                                                    completion(chain(error));
                                                }
                                              }];
        return true;
    }
}

bool CocoaSystemCalls::setDefaultApplicationForURLScheme(const QUrl& applicationURL, const QString& scheme,
                                                         Completion completion)
{
    @autoreleasepool {
        NSURL* application = applicationURL.toNSURL();
        if (!application || scheme.isEmpty())
            return false;
        [NSWorkspace.sharedWorkspace setDefaultApplicationAtURL:application
                                           toOpenURLsWithScheme:scheme.toNSString()
                                              completionHandler:^(NSError* _Nullable error) {
                                                @autoreleasepool {
                                                    completion(chain(error));
                                                }
                                              }];
        return true;
    }
}

std::optional<MacTypeFacts> CocoaSystemCalls::typeWithIdentifier(const QString& identifier)
{
    @autoreleasepool {
        UTType* type = [UTType typeWithIdentifier:identifier.toNSString()];
        if (!type)
            return std::nullopt;
        return facts(type);
    }
}

std::optional<MacTypeFacts> CocoaSystemCalls::typeWithFilenameExtension(const QString& extension,
                                                                        const QString& supertype)
{
    @autoreleasepool {
        UTType* conforming = [UTType typeWithIdentifier:supertype.toNSString()];
        if (!conforming)
            return std::nullopt;
        UTType* type = [UTType typeWithFilenameExtension:extension.toNSString() conformingToType:conforming];
        if (!type || ![type conformsToType:conforming])
            return std::nullopt;
        return facts(type);
    }
}

bool CocoaSystemCalls::writeIconPNG(const QString& path, int pixels, const QString& pngPath)
{
    @autoreleasepool {
        NSImage* icon = [NSWorkspace.sharedWorkspace iconForFile:path.toNSString()];
        NSRect rect = NSMakeRect(0, 0, pixels, pixels);
        CGImageRef image = [icon CGImageForProposedRect:&rect context:nil hints:nil];
        if (!image)
            return false;
        NSBitmapImageRep* bitmap = [[NSBitmapImageRep alloc] initWithCGImage:image];
        NSData* png = [bitmap representationUsingType:NSBitmapImageFileTypePNG properties:@{}];
        return png && [png writeToFile:pngPath.toNSString() atomically:YES];
    }
}

QStringList CocoaSystemCalls::applicationsForURLScheme(const QString& scheme)
{
    @autoreleasepool {
        QStringList identifiers;
        NSURL* link = [NSURL URLWithString:[scheme.toNSString() stringByAppendingString:@":"]];
        if (!link)
            return identifiers;
        for (NSURL* application in [NSWorkspace.sharedWorkspace URLsForApplicationsToOpenURL:link]) {
            NSString* identifier = [NSBundle bundleWithURL:application].bundleIdentifier;
            if (identifier && !identifiers.contains(QString::fromNSString(identifier)))
                identifiers.append(QString::fromNSString(identifier));
        }
        return identifiers;
    }
}

bool CocoaSystemCalls::openURL(const QUrl& url)
{
    @autoreleasepool {
        NSURL* native = url.toNSURL();
        return native && [NSWorkspace.sharedWorkspace openURL:native];
    }
}

QStringList CocoaSystemCalls::preferredLanguages()
{
    @autoreleasepool {
        return strings(NSLocale.preferredLanguages);
    }
}

} // namespace tessik::platform
