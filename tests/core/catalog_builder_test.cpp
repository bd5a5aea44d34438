#include "core/catalog/association_catalog_builder.h"
#include "core/catalog/format_knowledge_base.h"
#include "core/discovery/app_scanner.h"
#include "core/services/association_service_error.h"
#include "core/services/launch_services_association_reader.h"
#include "platform/lookup_batch.h"
#include "systemwriter/synthetic_system.h"
#include "temporary_system.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using tessik::testing::TemporarySystem;

namespace {

// Handlers from a table; a type listed in `failing` makes the read throw.
class TableReader : public AssociationReading
{
public:
    QHash<QPair<QString, AssociationRole>, QString> handlers;
    QString failing;

    std::optional<QString> defaultHandler(const QString& type, AssociationRole role) const override
    {
        if (type == failing)
            throw AssociationServiceError(AssociationServiceError::UnsupportedRole{role});
        const auto it = handlers.constFind({type, role});
        return it == handlers.cend() ? std::nullopt : std::optional<QString>(*it);
    }
};

class CatalogBuilderTest : public ::testing::Test
{
protected:
    InstalledApp install(const QString& path, const QString& identifier, const QString& name,
                         const QVariantList& documentTypes)
    {
        const QString bundle = system.addApp(path, identifier, documentTypes, {{u"CFBundleName"_s, name}});
        return *AppScanner().installedApp(QUrl::fromLocalFile(bundle));
    }

    QList<FileAssociation> build(const QList<InstalledApp>& apps, const QList<CustomAssociation>& custom = {},
                                 const QList<CatalogSuggestion>& suggestions = {})
    {
        return AssociationCatalogBuilder(reader).build(apps, custom, suggestions);
    }

    static const FileAssociation* row(const QList<FileAssociation>& catalog, const QString& type)
    {
        for (const FileAssociation& association : catalog)
            if (association.typeIdentifier == type)
                return &association;
        return nullptr;
    }

    static QStringList names(const QList<InstalledApp>& apps)
    {
        QStringList result;
        for (const InstalledApp& app : apps)
            result.append(app.name);
        return result;
    }

    TemporarySystem system;
    std::shared_ptr<TableReader> reader = std::make_shared<TableReader>();
};

FormatKnowledgeBase knowledgeWith(const QJsonArray& apps)
{
    const QJsonObject catalog{
        {u"schemaVersion"_s, 1},
        {u"categories"_s, QJsonArray{QJsonObject{
                              {u"id"_s, u"text"_s}, {u"name"_s, u"文本"_s}, {u"extensions"_s, QJsonArray{u"txt"_s}}}}},
        {u"apps"_s, apps}};
    return FormatKnowledgeBase::decode(QJsonDocument(catalog).toJson());
}

QJsonObject recommendation(const QString& name, const QStringList& identifiers, const QStringList& formats,
                           const QStringList& conditional = {})
{
    return {{u"name"_s, name},
            {u"aliases"_s, QJsonArray{u"Alias "_s + name}},
            {u"bundleIdentifiers"_s, QJsonArray::fromStringList(identifiers)},
            {u"formats"_s, QJsonArray::fromStringList(formats)},
            {u"conditionalFormats"_s, QJsonArray::fromStringList(conditional)},
            {u"source"_s, u"https://example.com"_s}};
}

} // namespace

TEST_F(CatalogBuilderTest, JoinsDeclaredTypesWithHandlersAndExtensions)
{
    const QString text = u"public.plain-text"_s;
    const InstalledApp zed =
        install(u"Applications/Zed.app"_s, u"dev.zed"_s, u"zed"_s,
                {TemporarySystem::documentType({text}, {u"TXT"_s, u"*"_s, u"tar.gz"_s, u".Conf"_s})});
    const InstalledApp apple = install(u"Applications/Apple.app"_s, u"com.example.apple"_s, u"Apple"_s,
                                       {TemporarySystem::documentType({text, u"com.example.own"_s}, {})});
    reader->handlers.insert({text, AssociationRole::all}, u"dev.zed"_s);
    reader->handlers.insert({text, AssociationRole::editor}, u"com.example.apple"_s);

    const QList<FileAssociation> catalog = build({zed, apple});
    ASSERT_EQ(catalog.size(), 2);
    EXPECT_EQ(catalog[0].typeIdentifier, u"com.example.own"_s);
    const FileAssociation* plain = row(catalog, text);
    ASSERT_TRUE(plain);
    EXPECT_EQ(names(plain->capableApps), (QStringList{u"Apple"_s, u"zed"_s}));
    EXPECT_TRUE(plain->extensions.contains(u"conf"_s));
    EXPECT_TRUE(plain->extensions.contains(u"txt"_s));
    EXPECT_FALSE(plain->extensions.contains(u"*"_s));
    EXPECT_TRUE(std::is_sorted(plain->extensions.begin(), plain->extensions.end()));
    EXPECT_EQ(plain->defaultHandlers.size(), 2);
    EXPECT_EQ(plain->defaultHandlers.value(AssociationRole::editor), u"com.example.apple"_s);
    EXPECT_TRUE(catalog[0].defaultHandlers.isEmpty());
    EXPECT_TRUE(catalog[0].extensions.isEmpty());

    reader->failing = text;
    EXPECT_THROW(build({zed, apple}), AssociationServiceError);
}

TEST_F(CatalogBuilderTest, RawViewersMoveToTheConcreteRawFormats)
{
    const QString raw = u"public.camera-raw-image"_s;
    const InstalledApp viewer =
        install(u"Applications/Raw.app"_s, u"com.example.raw"_s, u"Raw"_s, {TemporarySystem::documentType({raw}, {})});
    QList<FileAssociation> catalog = build({viewer});
    EXPECT_FALSE(row(catalog, raw));
    const FileAssociation* dng = row(catalog, u"com.adobe.raw-image"_s);
    ASSERT_TRUE(dng);
    EXPECT_EQ(names(dng->capableApps), QStringList{u"Raw"_s});
    EXPECT_TRUE(dng->extensions.contains(u"dng"_s));
    EXPECT_TRUE(row(catalog, u"com.canon.cr2-raw-image"_s));
    EXPECT_EQ(catalog.size(), 16) << "one row per concrete raw type";

    const InstalledApp listing = install(u"Applications/Raw2.app"_s, u"com.example.raw2"_s, u"Raw 2"_s,
                                         {TemporarySystem::documentType({raw}, {u"raw"_s})});
    catalog = build({viewer, listing});
    ASSERT_TRUE(row(catalog, raw));
    EXPECT_EQ(row(catalog, raw)->capableApps.size(), 2);

    // A wildcard is no extension: the abstract row must not survive on it alone.
    const InstalledApp wildcard = install(u"Applications/Raw3.app"_s, u"com.example.raw3"_s, u"Raw 3"_s,
                                          {TemporarySystem::documentType({raw}, {u"*"_s, u"tar.gz"_s})});
    catalog = build({viewer, wildcard});
    EXPECT_FALSE(row(catalog, raw));
    ASSERT_TRUE(row(catalog, u"com.adobe.raw-image"_s));
    EXPECT_EQ(names(row(catalog, u"com.adobe.raw-image"_s)->capableApps), (QStringList{u"Raw"_s, u"Raw 3"_s}));
}

TEST_F(CatalogBuilderTest, CustomAssociationsAndSuggestionsAddRows)
{
    const InstalledApp editor = install(u"Applications/Editor.app"_s, u"com.example.Editor"_s, u"Editor"_s, {});
    InstalledApp gone{u"Gone"_s, u"com.example.gone"_s, QUrl::fromLocalFile(u"/nowhere/Gone.app"_s), {}};
    InstalledApp staleCopy = editor;
    staleCopy.name = u"Old name"_s;
    const QList<CustomAssociation> custom{{u"mkk"_s, u"dyn.example"_s, gone},
                                          {QString(), u"com.example.typeonly"_s, staleCopy}};
    const QList<CatalogSuggestion> suggestions{{u"net.daringfireball.markdown"_s, u"md"_s, editor, false}};
    const QList<FileAssociation> catalog = build({editor}, custom, suggestions);

    EXPECT_FALSE(row(catalog, u"dyn.example"_s)) << "an uninstalled application contributes nothing";
    const FileAssociation* typeOnly = row(catalog, u"com.example.typeonly"_s);
    ASSERT_TRUE(typeOnly);
    EXPECT_EQ(names(typeOnly->capableApps), QStringList{u"Editor"_s}) << "the scanned record, not the stored copy";
    EXPECT_TRUE(typeOnly->extensions.isEmpty());
    const FileAssociation* markdown = row(catalog, u"net.daringfireball.markdown"_s);
    ASSERT_TRUE(markdown);
    EXPECT_EQ(markdown->suggestedAppIDs, QStringList{u"com.example.Editor"_s});
    EXPECT_TRUE(markdown->extensions.contains(u"md"_s));
    EXPECT_TRUE(markdown->extensions.contains(u"markdown"_s));
}

TEST_F(CatalogBuilderTest, SuggestionsSkipWhatTheApplicationDeclares)
{
    const InstalledApp viewer = install(u"Applications/Viewer.app"_s, u"com.Example.Viewer"_s, u"Photo Viewer"_s,
                                        {TemporarySystem::documentType({u"public.jpeg"_s}, {})});
    const InstalledApp byName = install(u"Applications/Other.app"_s, u"com.example.other"_s, u"alias OTHER tool"_s, {});
    const FormatKnowledgeBase knowledge = knowledgeWith(
        {recommendation(u"Viewer"_s, {u"com.example.viewer"_s}, {u"jpg"_s, u"webp"_s, u"mkk"_s}, {u"psd"_s}),
         recommendation(u"Second"_s, {u"com.example.viewer"_s}, {u"gif"_s}),
         recommendation(u"Other Tool"_s, {}, {u"md"_s})});
    const QList<CatalogSuggestion> suggestions = knowledge.suggestions({viewer, byName});
    QStringList made;
    for (const CatalogSuggestion& s : suggestions)
        made.append(s.app.name + u':' + s.fileExtension + (s.requiresExtension ? u"+"_s : QString()));
    EXPECT_EQ(made, (QStringList{u"Photo Viewer:webp"_s, u"Photo Viewer:mkk"_s, u"Photo Viewer:psd+"_s,
                                 u"alias OTHER tool:md"_s}));
    EXPECT_TRUE(suggestions[1].typeIdentifier.startsWith(u"dyn."_s));
    EXPECT_EQ(suggestions[2].typeIdentifier, u"com.adobe.photoshop-image"_s);
}

TEST_F(CatalogBuilderTest, TakesTheDocumentTypesTheScanRead)
{
    tools::SyntheticSystem::write(system.root(), 120, 7);
    const AppScanner::Result scanned = AppScanner().scanWithCapabilities();
    const AssociationCatalogBuilder builder(reader);
    EXPECT_EQ(builder.build(scanned.apps, {}, {}, scanned.capabilities), builder.build(scanned.apps, {}, {}));

    // What the scan read counts, and only bundles it did not read are opened.
    const QString text = u"public.plain-text"_s;
    const InstalledApp read = install(u"Applications/Read.app"_s, u"com.example.read"_s, u"Read"_s,
                                      {TemporarySystem::documentType({text}, {u"txt"_s})});
    const InstalledApp opened = install(u"Applications/Opened.app"_s, u"com.example.opened"_s, u"Opened"_s,
                                        {TemporarySystem::documentType({text}, {u"text"_s})});
    const QList<FileAssociation> catalog =
        builder.build({read, opened}, {}, {}, {{read.url, {TypeCapability{text, {u"scanned"_s}}}}});
    const FileAssociation* plain = row(catalog, text);
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->extensions.contains(u"scanned"_s));
    EXPECT_TRUE(plain->extensions.contains(u"text"_s));
}

TEST_F(CatalogBuilderTest, ThePoolsThreadsMakeTheSameCatalogFromOneLookAtTheHandlers)
{
    tools::SyntheticSystem::write(system.root(), 200, 5);
    const AppScanner::Result scanned = AppScanner().scanWithCapabilities();
    const AssociationCatalogBuilder builder(std::make_shared<LaunchServicesAssociationReader>());
    const QList<FileAssociation> serial = builder.build(scanned.apps, {}, {}, scanned.capabilities);
    ASSERT_GT(serial.size(), 20);
    QThreadPool pool;
    pool.setMaxThreadCount(4);
    for (int round = 0; round < 3; ++round) {
        const qint64 looks = platform::LookupBatch::looks();
        EXPECT_EQ(builder.build(scanned.apps, {}, {}, scanned.capabilities, &pool), serial);
        EXPECT_EQ(platform::LookupBatch::looks() - looks, 1) << "the helpers join the builder's batch";
    }
}

TEST_F(CatalogBuilderTest, ThePlannedTypesGetTheCatalogsExtensionsWithoutAHandlerRead)
{
    tools::SyntheticSystem::write(system.root(), 120, 7);
    const AppScanner::Result scanned = AppScanner().scanWithCapabilities();
    const QList<CatalogSuggestion> suggestions = FormatKnowledgeBase::bundled().suggestions(scanned.apps);
    const QList<FileAssociation> catalog =
        AssociationCatalogBuilder(reader).build(scanned.apps, {}, suggestions, scanned.capabilities);
    ASSERT_GT(catalog.size(), 3);
    const QStringList types{catalog[0].typeIdentifier, catalog[catalog.size() / 2].typeIdentifier,
                            catalog.last().typeIdentifier, u"com.example.unlisted"_s};

    const QHash<QString, QStringList> extensions =
        AssociationCatalogBuilder::extensions(scanned.apps, {}, suggestions, scanned.capabilities, types);
    EXPECT_EQ(extensions.size(), 3) << "a type the catalog does not list has none";
    for (const QString& type : types.first(3))
        EXPECT_EQ(extensions.value(type), row(catalog, type)->extensions) << qPrintable(type);
}
