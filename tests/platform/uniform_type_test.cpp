#include "platform/uniform_type.h"
#include "temporary_system.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tessik::platform::UTType;
using tessik::testing::TemporarySystem;

namespace {

QString typeOf(const QString& extension)
{
    const auto type = UTType::typeWithFilenameExtension(extension);
    return type ? type->identifier() : QString();
}

} // namespace

TEST(UniformTypes, MapsWellKnownExtensions)
{
    const TemporarySystem mac; // the Mac's own type table
    EXPECT_EQ(typeOf(u"jpg"_s), u"public.jpeg"_s);
    EXPECT_EQ(typeOf(u"JPEG"_s), u"public.jpeg"_s);
    EXPECT_EQ(typeOf(u"png"_s), u"public.png"_s);
    EXPECT_EQ(typeOf(u"pdf"_s), u"com.adobe.pdf"_s);
    EXPECT_EQ(typeOf(u"txt"_s), u"public.plain-text"_s);
    EXPECT_EQ(typeOf(u"md"_s), u"net.daringfireball.markdown"_s);
    EXPECT_EQ(typeOf(u"html"_s), u"public.html"_s);
    EXPECT_EQ(typeOf(u"dng"_s), u"com.adobe.raw-image"_s);
    EXPECT_EQ(typeOf(u"cr2"_s), u"com.canon.cr2-raw-image"_s);
    const auto jpeg = UTType::typeWithIdentifier(u"public.jpeg"_s);
    ASSERT_TRUE(jpeg);
    EXPECT_TRUE(jpeg->conformsTo(*UTType::typeWithIdentifier(u"public.image"_s)));
    EXPECT_TRUE(jpeg->conformsTo(UTType::data()));
    EXPECT_TRUE(jpeg->filenameExtensions().contains(u"jpg"_s));
    EXPECT_FALSE(UTType::typeWithIdentifier(u"com.example.nothing-declares-this"_s));
}

TEST(UniformTypes, EveryCameraRawExtensionIsARawImage)
{
    const TemporarySystem mac; // the Mac's own type table
    const QStringList raw{u"3fr"_s, u"arw"_s, u"cr2"_s, u"cr3"_s, u"crw"_s, u"dng"_s, u"fff"_s, u"iiq"_s,
                          u"nef"_s, u"nrw"_s, u"orf"_s, u"pef"_s, u"raf"_s, u"rw2"_s, u"rwl"_s, u"srw"_s};
    for (const QString& extension : raw) {
        const auto type = UTType::typeWithFilenameExtension(extension);
        ASSERT_TRUE(type) << qPrintable(extension);
        EXPECT_FALSE(type->isDynamic()) << qPrintable(extension);
        EXPECT_TRUE(type->conformsTo(UTType::cameraRawImage())) << qPrintable(extension);
        EXPECT_NE(type->identifier(), u"public.camera-raw-image"_s);
    }
}

TEST(UniformTypes, UnclaimedExtensionsGetReversibleDynamicTypes)
{
    const TemporarySystem mac; // the Mac's own type table
    const auto dynamic = UTType::typeWithFilenameExtension(u"mkk"_s);
    ASSERT_TRUE(dynamic);
    EXPECT_TRUE(dynamic->isDynamic());
    EXPECT_TRUE(dynamic->identifier().startsWith(u"dyn."_s));
    EXPECT_TRUE(dynamic->conformsTo(UTType::data()));
    EXPECT_EQ(typeOf(u"MKK"_s), dynamic->identifier());
    EXPECT_NE(typeOf(u"mkl"_s), dynamic->identifier());

    const auto back = UTType::typeWithIdentifier(dynamic->identifier());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->filenameExtensions(), QStringList{u"mkk"_s});
    const auto unicode = UTType::typeWithFilenameExtension(u"文档"_s);
    ASSERT_TRUE(unicode);
    EXPECT_EQ(UTType::typeWithIdentifier(unicode->identifier())->filenameExtensions(), QStringList{u"文档"_s});
    EXPECT_FALSE(UTType::typeWithIdentifier(u"dyn.a!!"_s));
    EXPECT_FALSE(UTType::typeWithFilenameExtension(QString()));
}

namespace {

QVariantMap declaration(const QString& identifier, const QVariant& extensions, const QVariant& conformsTo,
                        const QVariant& mimeTypes = {})
{
    QVariantMap tags{{u"public.filename-extension"_s, extensions}};
    if (mimeTypes.isValid())
        tags.insert(u"public.mime-type"_s, mimeTypes);
    return {{u"UTTypeIdentifier"_s, identifier},
            {u"UTTypeDescription"_s, identifier + u" document"_s},
            {u"UTTypeConformsTo"_s, conformsTo},
            {u"UTTypeTagSpecification"_s, tags}};
}

QVariantMap declaring(const QVariantList& exported, const QVariantList& imported = {})
{
    return {{u"UTExportedTypeDeclarations"_s, exported}, {u"UTImportedTypeDeclarations"_s, imported}};
}

} // namespace

TEST(UniformTypes, ApplicationsDeclareTypesInOrderOfPrecedence)
{
    TemporarySystem system;
    EXPECT_TRUE(UTType::typeWithFilenameExtension(u"torrent"_s)->isDynamic());

    // Strings and arrays alike; a later folder loses to an earlier one, a later path to an earlier one.
    system.addApp(u"Applications/Torrent.app"_s, u"com.example.torrent"_s, {},
                  declaring({declaration(u"org.bittorrent.torrent"_s, u"torrent"_s, u"public.data"_s,
                                         u"application/x-bittorrent"_s)}));
    system.addApp(u"home/Applications/Other.app"_s, u"com.example.other"_s, {},
                  declaring({declaration(u"org.bittorrent.torrent"_s, u"tor"_s, u"public.data"_s)}));
    system.addApp(u"Applications/Zeta.app"_s, u"com.example.zeta"_s, {},
                  declaring({declaration(u"com.example.comic"_s, u"cbz"_s, u"public.data"_s)}));
    system.addApp(u"Applications/Comics/Alpha.app"_s, u"com.example.alpha"_s, {},
                  declaring({declaration(u"com.example.comic"_s, QStringList{u"cbr"_s, u"CBT"_s},
                                         QStringList{u"public.archive"_s, u"public.image"_s},
                                         QStringList{u"application/x-cbr"_s, u"application/x-cbt"_s})}));
    // Imported declarations lose to exported ones, even of a later folder; none overrides the system table.
    system.addApp(u"Applications/Importer.app"_s, u"com.example.importer"_s, {},
                  declaring({declaration(u"public.jpeg"_s, u"jjj"_s, u"public.data"_s)},
                            {declaration(u"com.example.shared"_s, u"shr"_s, u"public.data"_s),
                             declaration(u"com.example.markdown"_s, u"md"_s, u"public.data"_s)}));
    system.addApp(u"System/Applications/Exporter.app"_s, u"com.example.exporter"_s, {},
                  declaring({declaration(u"com.example.shared"_s, u"shared"_s, u"public.data"_s)}));

    const auto torrent = UTType::typeWithFilenameExtension(u"torrent"_s);
    ASSERT_TRUE(torrent);
    EXPECT_EQ(torrent->identifier(), u"org.bittorrent.torrent"_s);
    EXPECT_EQ(torrent->filenameExtensions(), QStringList{u"torrent"_s});
    EXPECT_EQ(torrent->preferredMIMETypes(), QStringList{u"application/x-bittorrent"_s});
    EXPECT_EQ(torrent->localizedDescription(), u"org.bittorrent.torrent document"_s);
    EXPECT_TRUE(torrent->conformsTo(UTType::item()));
    EXPECT_TRUE(UTType::typeWithFilenameExtension(u"tor"_s)->isDynamic());

    const auto comic = UTType::typeWithIdentifier(u"com.example.comic"_s);
    ASSERT_TRUE(comic);
    EXPECT_EQ(comic->filenameExtensions(), (QStringList{u"cbr"_s, u"CBT"_s}));
    EXPECT_EQ(comic->preferredMIMETypes().size(), 2);
    EXPECT_TRUE(comic->conformsTo(*UTType::typeWithIdentifier(u"public.image"_s)));
    EXPECT_TRUE(comic->conformsTo(*UTType::typeWithIdentifier(u"public.archive"_s)));
    EXPECT_TRUE(comic->conformsTo(UTType::data()));
    EXPECT_EQ(typeOf(u"cbt"_s), u"com.example.comic"_s);
    EXPECT_TRUE(UTType::typeWithFilenameExtension(u"cbz"_s)->isDynamic());

    EXPECT_EQ(UTType::typeWithIdentifier(u"com.example.shared"_s)->filenameExtensions(), QStringList{u"shared"_s});
    EXPECT_EQ(typeOf(u"jjj"_s).left(4), u"dyn."_s);
    EXPECT_EQ(typeOf(u"md"_s), u"net.daringfireball.markdown"_s);
    EXPECT_EQ(UTType::typeWithIdentifier(u"com.example.markdown"_s)->filenameExtensions(), QStringList{u"md"_s});

    // A declaration that is not one is passed over.
    system.addApp(
        u"Applications/Broken.app"_s, u"com.example.broken"_s, {},
        {{u"UTExportedTypeDeclarations"_s, QVariantList{u"text"_s, QVariantMap{{u"UTTypeIdentifier"_s, 7}}}}});
    EXPECT_EQ(typeOf(u"torrent"_s), u"org.bittorrent.torrent"_s);
}

TEST(UniformTypes, DescribeTypesInTheMachinesLanguage)
{
    const TemporarySystem system;
    const auto markdown = UTType::typeWithIdentifier(u"net.daringfireball.markdown"_s);
    ASSERT_TRUE(markdown);
    const auto describe = [&](const QStringList& languages) {
        system.writer().setPreferredLanguages(languages);
        return markdown->localizedDescription();
    };
    EXPECT_EQ(describe({u"de-DE"_s, u"en"_s}), u"Markdown-Dokument"_s);
    EXPECT_EQ(describe({u"zh-Hans"_s}), u"Markdown 文稿"_s);
    EXPECT_EQ(describe({u"pt-BR"_s, u"fr"_s}), u"Document Markdown"_s) << "the first language the system describes";
    EXPECT_EQ(describe({u"pt-BR"_s}), u"Markdown document"_s) << "English otherwise";
}
