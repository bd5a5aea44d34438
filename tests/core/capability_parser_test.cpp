#include "core/discovery/capability_parser.h"
#include "temporary_system.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using tessik::platform::PropertyList;
using tessik::testing::TemporarySystem;

class CapabilityParserTest : public ::testing::TestWithParam<PropertyList::Format>
{
protected:
    QList<TypeCapability> parse(const QVariantList& documentTypes)
    {
        const QString path = system.addApp(u"Applications/App%1.app"_s.arg(++count), u"com.example.app"_s,
                                           documentTypes, {}, GetParam());
        return CapabilityParser().parse(QUrl::fromLocalFile(path));
    }

    TemporarySystem system;
    int count = 0;
};

TEST_P(CapabilityParserTest, OneRecordPerEntryAndType)
{
    const auto capabilities =
        parse({TemporarySystem::documentType({u"public.jpeg"_s, u"public.png"_s}, {u"JPG"_s, u"png"_s}),
               TemporarySystem::documentType({u"public.jpeg"_s}, {u"JPG"_s, u"jpeg"_s, u"jpg"_s, u"*"_s, u".Raw"_s}),
               TemporarySystem::documentType({}, {u"txt"_s})});
    ASSERT_EQ(capabilities.size(), 3);
    EXPECT_EQ(capabilities[0], (TypeCapability{u"public.jpeg"_s, {u"jpg"_s, u"png"_s}}));
    EXPECT_EQ(capabilities[1], (TypeCapability{u"public.png"_s, {u"jpg"_s, u"png"_s}}));
    EXPECT_EQ(capabilities[2], (TypeCapability{u"public.jpeg"_s, {u"*"_s, u".raw"_s, u"jpeg"_s, u"jpg"_s, u"jpg"_s}}));
}

TEST_P(CapabilityParserTest, MalformedDeclarationsCountAsAbsent)
{
    EXPECT_TRUE(parse({}).isEmpty());
    QVariantMap singleString{{u"LSItemContentTypes"_s, u"public.jpeg"_s}};
    QVariantMap mixedList{{u"LSItemContentTypes"_s, QVariantList{u"public.png"_s}},
                          {u"CFBundleTypeExtensions"_s, QVariantList{u"png"_s, 7}}};
    QVariantMap preserved{{u"LSItemContentTypes"_s, QVariantList{u"Com.Example.Mixed"_s}}};
    const auto capabilities = parse({singleString, mixedList, preserved});
    ASSERT_EQ(capabilities.size(), 2);
    EXPECT_EQ(capabilities[0], (TypeCapability{u"public.png"_s, {}}));
    EXPECT_EQ(capabilities[1].typeIdentifier, u"Com.Example.Mixed"_s);

    // Document types that are not a list of dictionaries give nothing at all.
    const QString path = system.addApp(u"Applications/Bad.app"_s, u"com.example.bad"_s, {},
                                       {{u"CFBundleDocumentTypes"_s, QVariantList{QVariantMap(), u"x"_s}}}, GetParam());
    EXPECT_TRUE(CapabilityParser().parse(QUrl::fromLocalFile(path)).isEmpty());
    EXPECT_TRUE(CapabilityParser().parse(QUrl::fromLocalFile(system.root() + u"/Missing.app"_s)).isEmpty());
}

TEST_P(CapabilityParserTest, DeclaredURLSchemesAreLinksOfTheirOwnKind)
{
    const QVariantList urlTypes{
        QVariantMap{{u"CFBundleURLName"_s, u"Web"_s}, {u"CFBundleURLSchemes"_s, QVariantList{u"HTTPS"_s, u"http"_s}}},
        u"not a dictionary"_s,
        QVariantMap{{u"CFBundleURLSchemes"_s, QVariantList{u"https"_s, u"zoom mtg"_s, u"x-tessik+1"_s}}},
        QVariantMap{{u"CFBundleURLSchemes"_s, QVariantList{u"mailto"_s, 3}}}};
    const QString path = system.addApp(u"Applications/Links.app"_s, u"com.example.links"_s,
                                       {TemporarySystem::documentType({u"public.html"_s}, {u"html"_s})},
                                       {{u"CFBundleURLTypes"_s, urlTypes}}, GetParam());
    const auto capabilities = CapabilityParser().parse(QUrl::fromLocalFile(path));
    // Each valid scheme once, by its identifier; a malformed entry or name costs only itself.
    EXPECT_EQ(capabilities, (QList<TypeCapability>{{u"public.html"_s, {u"html"_s}},
                                                   {u"https:"_s, {}},
                                                   {u"http:"_s, {}},
                                                   {u"x-tessik+1:"_s, {}},
                                                   {u"mailto:"_s, {}}}));
}

INSTANTIATE_TEST_SUITE_P(BothFormats, CapabilityParserTest,
                         ::testing::Values(PropertyList::Format::Xml, PropertyList::Format::Binary));
