#include "platform/emulated/property_list.h"
#include "platform/emulated/strings_file.h"
#include "systemwriter/bundle_writer.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tessik::platform::StringsFile;

TEST(StringsFile, ReadsWhatXcodeWrites)
{
    const QVariantMap entries{{u"CFBundleDisplayName"_s, u"预览 \"quoted\" \\ done"_s},
                              {u"CFBundleName"_s, u"プレビュー"_s}};
    EXPECT_EQ(StringsFile::parse(tessik::tools::BundleWriter::stringsFile(entries)), entries);
}

TEST(StringsFile, ReadsOldStyleSyntaxAndStopsAtTheFirstFault)
{
    const QByteArray text = "/* comment */\n// line comment\n\"a\" = \"x\\ny\\U00e9\";\nb = plain;\n\"only\";\n"
                            "\"broken\" = \"no end;\n\"after\" = \"lost\";";
    const QVariantMap parsed = StringsFile::parse(text);
    EXPECT_EQ(parsed.value(u"a"_s).toString(), u"x\nyé"_s);
    EXPECT_EQ(parsed.value(u"b"_s).toString(), u"plain"_s);
    EXPECT_EQ(parsed.value(u"only"_s).toString(), u"only"_s);
    EXPECT_FALSE(parsed.contains(u"broken"_s));
    EXPECT_FALSE(parsed.contains(u"after"_s));
}

TEST(StringsFile, AcceptsPropertyListForm)
{
    const QVariantMap entries{{u"CFBundleDisplayName"_s, u"Vorschau"_s}};
    EXPECT_EQ(StringsFile::parse(
                  tessik::platform::PropertyList::write(entries, tessik::platform::PropertyList::Format::Binary)),
              entries);
    EXPECT_TRUE(StringsFile::parse(
                    tessik::platform::PropertyList::write(QVariantList{1}, tessik::platform::PropertyList::Format::Xml))
                    .isEmpty());
}
