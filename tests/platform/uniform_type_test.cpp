#include "platform/uniform_type.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tessik::platform::UTType;

namespace {

QString typeOf(const QString& extension)
{
    const auto type = UTType::typeWithFilenameExtension(extension);
    return type ? type->identifier() : QString();
}

} // namespace

TEST(UniformTypes, MapsWellKnownExtensions)
{
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
