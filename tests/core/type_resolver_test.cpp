#include "core/catalog/custom_association_error.h"
#include "core/services/target_type_resolver.h"
#include "core/services/type_resolver.h"
#include "platform/emulated/type_database.h"
#include "temporary_system.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;

TEST(TypeResolver, NormalisesOneExtension)
{
    EXPECT_EQ(TypeResolver::normalize(u" .MKK \n"_s), u"mkk"_s);
    EXPECT_EQ(TypeResolver::normalize(u"mkk"_s), TypeResolver::normalize(u".mkk"_s));
    EXPECT_EQ(TypeResolver::normalize(u"my-ext_2"_s), u"my-ext_2"_s);
    EXPECT_EQ(TypeResolver::normalize(u"文档"_s), u"文档"_s);
    EXPECT_EQ(TypeResolver::normalize(u"ÉTÉ"_s), u"été"_s);
    for (const QString& bad : {u"..mkk"_s, u"tar.gz"_s, u"a/b"_s, u"a b"_s, u"*"_s, QString(), u"."_s, u"   "_s}) {
        try {
            TypeResolver::normalize(bad);
            ADD_FAILURE() << "accepted " << qPrintable(bad);
        } catch (const CustomAssociationError& error) {
            EXPECT_EQ(error.kind(), CustomAssociationError::Kind::invalidExtension);
            EXPECT_EQ(error.message(), u"请输入单个扩展名，例如 mkk 或 .mkk，不要输入路径或分隔符。"_s);
        }
    }
}

TEST(TypeResolver, TranslatesBetweenExtensionsAndTypes)
{
    const tessik::testing::TemporarySystem mac; // the Mac's own type table
    const TypeResolver resolver;
    EXPECT_EQ(resolver.typeIdentifier(u".MD"_s), u"net.daringfireball.markdown"_s);
    EXPECT_FALSE(resolver.typeIdentifier(u"..mkk"_s));
    const auto dynamic = resolver.typeIdentifier(u"mkk"_s);
    ASSERT_TRUE(dynamic);
    EXPECT_TRUE(dynamic->startsWith(u"dyn."_s));
    EXPECT_EQ(resolver.extensions(*dynamic), QStringList{u"mkk"_s});

    const QStringList jpeg = resolver.extensions(u"public.jpeg"_s);
    EXPECT_TRUE(jpeg.contains(u"jpg"_s) && jpeg.contains(u"jpeg"_s));
    EXPECT_TRUE(std::is_sorted(jpeg.begin(), jpeg.end()));
    EXPECT_TRUE(resolver.extensions(u"com.example.unknown"_s).isEmpty());
    EXPECT_TRUE(resolver.extensions(u"public.data"_s).isEmpty());
}

TEST(TargetTypeResolver, AcceptsExtensionsAndKnownTypesOnly)
{
    const tessik::testing::TemporarySystem mac; // the Mac's own type table
    const InstalledApp pages{u"Pages"_s,
                             u"com.apple.iWork.Pages"_s,
                             QUrl::fromLocalFile(u"/Applications/Pages.app"_s),
                             {u"com.apple.iwork.pages.template"_s}};
    const TargetTypeResolver resolver({pages});
    EXPECT_EQ(resolver.typeForTarget(u".md"_s), u"net.daringfireball.markdown"_s);
    EXPECT_EQ(resolver.typeForTarget(u"md"_s), u"net.daringfireball.markdown"_s);
    EXPECT_EQ(resolver.typeForTarget(u"public.html"_s), u"public.html"_s);
    EXPECT_EQ(resolver.typeForTarget(u"Public.HTML"_s), u"public.html"_s) << "spelled as the system spells it";
    EXPECT_EQ(resolver.typeForTarget(u"com.apple.iwork.pages.template"_s), u"com.apple.iwork.pages.template"_s);
    const QString dynamic = platform::TypeDatabase::dynamicIdentifier(u"mkk"_s);
    EXPECT_EQ(resolver.typeForTarget(dynamic), dynamic);
    EXPECT_EQ(resolver.typeForTarget(u"mkk"_s), dynamic);

    for (const QString& bad :
         {u"tar.gz"_s, u"x y/../z"_s, u"..md"_s, u"com.example.unknown"_s, u"com.apple.iwork.pages.TEMPLATE"_s,
          platform::TypeDatabase::dynamicIdentifier(u"tar.gz"_s), platform::TypeDatabase::dynamicIdentifier(u"a b"_s),
          u"dyn.a-broken"_s, QString()})
        EXPECT_FALSE(resolver.typeForTarget(bad)) << qPrintable(bad);

    // A path is read as its file's type, by extension on a Mac, whether or not the file is there.
    EXPECT_EQ(resolver.typeForTarget(u"./notes/Todo.MD"_s), u"net.daringfireball.markdown"_s);
    EXPECT_EQ(resolver.resolve(u"notes/README"_s).problem, TargetTypeResolver::Problem::unknownFileType);
    EXPECT_EQ(resolver.resolve(u"README"_s).problem, TargetTypeResolver::Problem::notATarget);
}
