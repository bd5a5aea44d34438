#include "capability_parser.h"

#include "core/records/url_scheme.h"
#include "core/support/plain_order.h"
#include "platform/bundle.h"

#include <QVariantList>
#include <QVariantMap>

#include <optional>

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

// The value as a list of strings, or nothing when it is anything else.
std::optional<QStringList> stringList(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QStringList list;
    for (const QVariant& item : value.toList()) {
        if (item.typeId() != QMetaType::QString)
            return std::nullopt;
        list.append(item.toString());
    }
    return list;
}

} // namespace

QList<TypeCapability> CapabilityParser::parse(const QUrl& bundleURL) const
{
    const auto bundle = platform::Bundle::bundleWithURL(bundleURL);
    return bundle ? parse(*bundle) : QList<TypeCapability>();
}

QList<TypeCapability> CapabilityParser::parse(const platform::Bundle& bundle) const
{
    QList<TypeCapability> capabilities = documentTypes(bundle);
    for (const QString& scheme : urlSchemes(bundle))
        capabilities.append({scheme, {}});
    return capabilities;
}

QList<TypeCapability> CapabilityParser::documentTypes(const platform::Bundle& bundle)
{
    const QVariant documentTypes = bundle.objectForInfoDictionaryKey(u"CFBundleDocumentTypes"_s);
    if (documentTypes.typeId() != QMetaType::QVariantList)
        return {};
    const QVariantList entries = documentTypes.toList();
    if (!std::all_of(entries.begin(), entries.end(),
                     [](const QVariant& entry) { return entry.typeId() == QMetaType::QVariantMap; }))
        return {};

    QList<TypeCapability> capabilities;
    for (const QVariant& entryValue : entries) {
        const QVariantMap entry = entryValue.toMap();
        const QStringList types = stringList(entry.value(u"LSItemContentTypes"_s)).value_or(QStringList());
        QStringList extensions = stringList(entry.value(u"CFBundleTypeExtensions"_s)).value_or(QStringList());
        for (QString& extension : extensions)
            extension = extension.toLower();
        sortPlain(extensions);
        for (const QString& type : types)
            capabilities.append({type, extensions});
    }
    return capabilities;
}

QStringList CapabilityParser::urlSchemes(const platform::Bundle& bundle)
{
    QStringList schemes;
    // A malformed entry costs only itself: the links of the others still count.
    for (const QVariant& entry : bundle.objectForInfoDictionaryKey(u"CFBundleURLTypes"_s).toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        // Launch Services takes every name that is a string, so the list shows what it answers.
        for (const QVariant& name : entry.toMap().value(u"CFBundleURLSchemes"_s).toList()) {
            const auto identifier =
                name.typeId() == QMetaType::QString ? URLScheme::identifier(name.toString()) : std::nullopt;
            if (identifier && !schemes.contains(*identifier))
                schemes.append(*identifier);
        }
    }
    return schemes;
}

} // namespace tessik
