#include "demo_system.h"

#include "app_icon_artwork.h"
#include "system_root_writer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

QVariantMap documentType(const QJsonObject& entry)
{
    QVariantMap type{{u"CFBundleTypeName"_s, entry.value("name"_L1).toString()},
                     {u"CFBundleTypeRole"_s, entry.value("role"_L1).toString()}};
    if (entry.contains("rank"_L1))
        type.insert(u"LSHandlerRank"_s, entry.value("rank"_L1).toString());
    if (entry.contains("contentTypes"_L1))
        type.insert(u"LSItemContentTypes"_s, entry.value("contentTypes"_L1).toArray().toVariantList());
    if (entry.contains("extensions"_L1))
        type.insert(u"CFBundleTypeExtensions"_s, entry.value("extensions"_L1).toArray().toVariantList());
    return type;
}

// Drawing and encoding every icon takes most of a demo's writing time, and tests write the demo many times.
QByteArray iconFile(const QJsonObject& icon)
{
    static QMutex mutex;
    static QHash<QByteArray, QByteArray> files;
    const QByteArray key = QJsonDocument(icon).toJson(QJsonDocument::Compact);
    const QMutexLocker locker(&mutex);
    if (const auto found = files.constFind(key); found != files.cend())
        return *found;
    return files
        .insert(key, AppIconArtwork::icns({QColor::fromString(icon.value("base"_L1).toString()),
                                           QColor::fromString(icon.value("accent"_L1).toString()),
                                           icon.value("shape"_L1).toString()}))
        .value();
}

BundleDescription describeBundle(const QJsonObject& app)
{
    BundleDescription bundle;
    bundle.path = app.value("path"_L1).toString();
    const QString name = app.value("name"_L1).toString();
    bundle.info = {{u"CFBundleIdentifier"_s, app.value("bundleIdentifier"_L1).toString()},
                   {u"CFBundleName"_s, name},
                   {u"CFBundleExecutable"_s, name},
                   {u"CFBundlePackageType"_s, u"APPL"_s},
                   {u"CFBundleInfoDictionaryVersion"_s, u"6.0"_s},
                   {u"CFBundleDevelopmentRegion"_s, u"en"_s},
                   {u"CFBundleShortVersionString"_s, app.value("version"_L1).toString()},
                   {u"CFBundleVersion"_s, app.value("version"_L1).toString()}};
    if (app.contains("displayName"_L1))
        bundle.info.insert(u"CFBundleDisplayName"_s, app.value("displayName"_L1).toString());
    QVariantList types;
    for (const QJsonValue& entry : app.value("documentTypes"_L1).toArray())
        types.append(documentType(entry.toObject()));
    if (!types.isEmpty())
        bundle.info.insert(u"CFBundleDocumentTypes"_s, types);
    if (app.contains("urlSchemes"_L1))
        bundle.info.insert(
            u"CFBundleURLTypes"_s,
            QVariantList{QVariantMap{{u"CFBundleURLName"_s, app.value("bundleIdentifier"_L1).toString()},
                                     {u"CFBundleURLSchemes"_s, app.value("urlSchemes"_L1).toArray().toVariantList()}}});
    // Type declarations are written as the bundle's Info.plist spells them.
    if (app.contains("exportedTypes"_L1))
        bundle.info.insert(u"UTExportedTypeDeclarations"_s, app.value("exportedTypes"_L1).toArray().toVariantList());
    if (app.contains("importedTypes"_L1))
        bundle.info.insert(u"UTImportedTypeDeclarations"_s, app.value("importedTypes"_L1).toArray().toVariantList());
    bundle.format = app.value("format"_L1).toString() == u"binary"_s ? platform::PropertyList::Format::Binary
                                                                     : platform::PropertyList::Format::Xml;
    if (app.contains("icon"_L1)) {
        const QJsonObject icon = app.value("icon"_L1).toObject();
        bundle.info.insert(u"CFBundleIconFile"_s, icon.value("file"_L1).toString());
        bundle.icon = iconFile(icon);
    }
    const QJsonObject localized = app.value("localizedNames"_L1).toObject();
    for (auto it = localized.constBegin(); it != localized.constEnd(); ++it)
        bundle.localizedStrings.insert(
            it.key(), {{u"CFBundleDisplayName"_s, it.value().toString()}, {u"CFBundleName"_s, it.value().toString()}});
    return bundle;
}

} // namespace

int DemoSystem::write(const QString& root, const QStringList& preferredLanguages)
{
    QFile file(u":/tessik/tools/demo-system.json"_s);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the demo system's description is missing from the build");
    const QJsonObject demo = QJsonDocument::fromJson(file.readAll()).object();

    const SystemRootWriter writer(root);
    QStringList languages;
    for (const QJsonValue& language : demo.value("languages"_L1).toArray())
        languages.append(language.toString());
    writer.setPreferredLanguages(preferredLanguages.isEmpty() ? languages : preferredLanguages);
    const QJsonArray apps = demo.value("apps"_L1).toArray();
    for (const QJsonValue& app : apps)
        writer.addBundle(describeBundle(app.toObject()));
    for (const QJsonValue& value : demo.value("handlers"_L1).toArray()) {
        const QJsonObject handler = value.toObject();
        const auto role = associationRoleFromRawValue(handler.value("role"_L1).toString());
        if (!role)
            throw std::runtime_error("the demo system names an unknown role");
        writer.setHandler(handler.value("contentType"_L1).toString(), *role,
                          handler.value("bundleIdentifier"_L1).toString());
    }
    return int(apps.size());
}

} // namespace tessik::tools
