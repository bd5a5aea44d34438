#include "app/model/catalog_display_index.h"
#include "temporary_system.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using tessik::testing::TemporarySystem;

namespace {

FormatKnowledgeBase knowledge()
{
    const QJsonObject images{{u"id"_s, u"images"_s},
                             {u"name"_s, u"图片"_s},
                             {u"extensions"_s, QJsonArray{u"jpeg"_s, u"jpg"_s, u"png"_s, u"zed"_s, u"avi"_s}}};
    const QJsonObject text{{u"id"_s, u"text"_s}, {u"name"_s, u"文本"_s}, {u"extensions"_s, QJsonArray{u"txt"_s}}};
    const QJsonObject root{
        {u"schemaVersion"_s, 1}, {u"categories"_s, QJsonArray{images, text}}, {u"apps"_s, QJsonArray{}}};
    return FormatKnowledgeBase::decode(QJsonDocument(root).toJson());
}

InstalledApp app(const QString& id)
{
    return {id, u"com.example."_s + id, QUrl::fromLocalFile(u"/Applications/"_s + id + u".app"_s), {}};
}

} // namespace

TEST(CatalogDisplayIndexTest, ListsTypesWithExtensionsByCategoryAndApplicationInPlainOrder)
{
    const TemporarySystem system;
    const InstalledApp a = app(u"A"_s), b = app(u"B"_s), c = app(u"C"_s);
    const QList<FileAssociation> associations{
        {u"public.jpeg"_s, {u"jpeg"_s, u"jpg"_s}, {a, b, c}, {}, {}},
        {u"public.png"_s, {u"png"_s}, {a}, {}, {}},
        {u"public.avi"_s, {u"avi"_s}, {b}, {}, {}},
        {u"com.example.zed"_s, {u"Zed"_s}, {b}, {}, {}},
        {u"com.example.unknown"_s, {u"qqq"_s}, {c}, {}, {}},
        {u"public.folder"_s, {}, {a}, {}, {}},
    };
    const CatalogSuggestion early{u"public.png"_s, u"png"_s, b, false}, late{u"public.png"_s, u"png"_s, b, true};
    const QList<CustomAssociation> custom{{u"png"_s, u"public.png"_s, c}};
    const CatalogDisplayIndex index({a, b, c}, associations, custom, {early, late}, knowledge());

    EXPECT_EQ(index.labels.value(u"public.jpeg"_s), u".jpeg, .jpg"_s);
    EXPECT_EQ(index.typesByCategory.value(u"images"_s),
              (QStringList{u"com.example.zed"_s, u"public.avi"_s, u"public.jpeg"_s, u"public.png"_s}))
        << "upper case before lower case, then by first extension";
    EXPECT_EQ(index.typesByCategory.value(CatalogDisplayIndex::otherCategory), QStringList{u"com.example.unknown"_s});
    EXPECT_EQ(index.types.size(), 5);
    EXPECT_EQ(index.types.constFirst(), u"com.example.zed"_s);
    for (const InstalledApp& each : {a, b, c})
        EXPECT_TRUE(index.typesByAppAndCategory.value(each.id()).value(u"images"_s).contains(u"public.jpeg"_s));
    EXPECT_EQ(index.typesByAppAndCategory.value(b.id()).value(u"images"_s),
              (QStringList{u"com.example.zed"_s, u"public.avi"_s, u"public.jpeg"_s}));

    // A record without extensions is reachable by its type only.
    EXPECT_TRUE(index.associationsByType.contains(u"public.folder"_s));
    EXPECT_FALSE(index.types.contains(u"public.folder"_s));
    EXPECT_FALSE(index.labels.contains(u"public.folder"_s) || index.descriptions.contains(u"public.folder"_s) ||
                 index.categoryByType.contains(u"public.folder"_s));

    EXPECT_FALSE(index.descriptions.value(u"public.jpeg"_s).isEmpty());
    EXPECT_NE(index.descriptions.value(u"public.jpeg"_s), u"public.jpeg"_s) << "the type database describes it";
    EXPECT_FALSE(index.descriptions.contains(u"com.example.unknown"_s)) << "no identifier stands in for a description";

    const QString key = CatalogDisplayIndex::key(u"public.png"_s, c.id());
    EXPECT_EQ(key, u"public.png"_s + QChar(0) + c.id());
    EXPECT_EQ(index.manualKeys, QSet<QString>{key});
    EXPECT_TRUE(index.suggestionByTypeAndApp.value(CatalogDisplayIndex::key(u"public.png"_s, b.id())).requiresExtension)
        << "the later suggestion for a pair wins";

    EXPECT_EQ(CatalogDisplayIndex({}, {}, {}, {}, knowledge()), CatalogDisplayIndex());
}

TEST(CatalogDisplayIndexTest, EqualLabelsKeepOneOrderWhateverTheInputOrder)
{
    const TemporarySystem system;
    const InstalledApp a = app(u"A"_s);
    QList<FileAssociation> associations{{u"org.b.same"_s, {u"same"_s}, {a}, {}, {}},
                                        {u"org.a.same"_s, {u"same"_s}, {a}, {}, {}}};
    const CatalogDisplayIndex forward({a}, associations, {}, {}, knowledge());
    std::reverse(associations.begin(), associations.end());
    const CatalogDisplayIndex backward({a}, associations, {}, {}, knowledge());
    EXPECT_EQ(forward.types, backward.types);
    EXPECT_EQ(forward.types, (QStringList{u"org.a.same"_s, u"org.b.same"_s}));
}

TEST(CatalogDisplayIndexTest, LinksAreTheirOwnCategoryWithTheWebAndMailFirst)
{
    const TemporarySystem system;
    const InstalledApp browser = app(u"Browser"_s), mail = app(u"Mail"_s);
    const QList<FileAssociation> associations{
        {u"zoommtg:"_s, {}, {mail}, {}, {}},  {u"mailto:"_s, {}, {mail}, {}, {}},
        {u"https:"_s, {}, {browser}, {}, {}}, {u"ftp:"_s, {}, {browser}, {}, {}},
        {u"http:"_s, {}, {browser}, {}, {}},  {u"public.png"_s, {u"png"_s}, {browser}, {}, {}},
    };
    const CatalogDisplayIndex index({browser, mail}, associations, {}, {}, knowledge());
    EXPECT_EQ(index.typesByCategory.value(CatalogDisplayIndex::linksCategory),
              (QStringList{u"http:"_s, u"https:"_s, u"mailto:"_s, u"ftp:"_s, u"zoommtg:"_s}));
    EXPECT_EQ(index.types,
              (QStringList{u"public.png"_s, u"http:"_s, u"https:"_s, u"mailto:"_s, u"ftp:"_s, u"zoommtg:"_s}))
        << "the formats, then the links";
    EXPECT_EQ(index.typesByAppAndCategory.value(mail.id()).value(CatalogDisplayIndex::linksCategory),
              (QStringList{u"mailto:"_s, u"zoommtg:"_s}));
    EXPECT_EQ(index.labels.value(u"https:"_s), u"https:"_s);
    EXPECT_EQ(index.categoryByType.value(u"mailto:"_s), CatalogDisplayIndex::linksCategory);
}
