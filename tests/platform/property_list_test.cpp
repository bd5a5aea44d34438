#include "platform/emulated/property_list.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tessik::platform::PropertyList;

namespace {

// A binary property list whose objects are given as raw bytes, with `refSize`-byte references.
QByteArray binaryPlist(const std::vector<QByteArray>& objects, int refSize)
{
    QByteArray data("bplist00");
    std::vector<quint64> offsets;
    for (const QByteArray& object : objects) {
        offsets.push_back(quint64(data.size()));
        data += object;
    }
    const quint64 tableOffset = quint64(data.size());
    auto appendBigEndian = [&](quint64 value, int size) {
        for (int i = size - 1; i >= 0; --i)
            data += char((value >> (8 * i)) & 0xFF);
    };
    for (quint64 offset : offsets)
        appendBigEndian(offset, 8);
    data += QByteArray(6, '\0');
    data += char(8);
    data += char(refSize);
    appendBigEndian(objects.size(), 8);
    appendBigEndian(0, 8);
    appendBigEndian(tableOffset, 8);
    return data;
}

QByteArray reference(quint64 index, int refSize)
{
    QByteArray bytes;
    for (int i = refSize - 1; i >= 0; --i)
        bytes += char((index >> (8 * i)) & 0xFF);
    return bytes;
}

// An array holding `count` references to the next object, `depth` levels deep.
QByteArray chainedArrays(int depth, int count)
{
    std::vector<QByteArray> objects;
    for (int i = 0; i < depth; ++i) {
        QByteArray object(1, char(0xA0 | count));
        for (int c = 0; c < count; ++c)
            object += reference(i + 1, 4);
        objects.push_back(object);
    }
    objects.push_back(QByteArray(1, char(0xA0)));
    return binaryPlist(objects, 4);
}

} // namespace

TEST(PropertyList, RoundTripsBothFormats)
{
    const QDateTime when(QDate(2024, 5, 1), QTime(12, 30, 15), Qt::UTC);
    const QVariantMap value{{u"CFBundleIdentifier"_s, u"com.example.Ünïcode"_s},
                            {u"count"_s, 42},
                            {u"negative"_s, -7},
                            {u"enabled"_s, true},
                            {u"ratio"_s, 0.5},
                            {u"when"_s, when},
                            {u"blob"_s, QByteArray("\x00\x01\xFF", 3)},
                            {u"list"_s, QVariantList{u"a"_s, QVariantMap{{u"k"_s, u"v"_s}}}}};
    for (auto format : {PropertyList::Format::Xml, PropertyList::Format::Binary}) {
        const auto read = PropertyList::read(PropertyList::write(value, format));
        ASSERT_TRUE(read);
        const QVariantMap map = read->toMap();
        EXPECT_EQ(map.value(u"CFBundleIdentifier"_s).toString(), u"com.example.Ünïcode"_s);
        EXPECT_EQ(map.value(u"count"_s).toLongLong(), 42);
        EXPECT_EQ(map.value(u"negative"_s).toLongLong(), -7);
        EXPECT_TRUE(map.value(u"enabled"_s).toBool());
        EXPECT_EQ(map.value(u"when"_s).toDateTime(), when);
        EXPECT_EQ(map.value(u"blob"_s).toByteArray(), QByteArray("\x00\x01\xFF", 3));
        EXPECT_EQ(map.value(u"list"_s).toList().value(1).toMap().value(u"k"_s).toString(), u"v"_s);
    }
}

TEST(PropertyList, RefusesBrokenInputWithoutCrashing)
{
    const QByteArray xml = PropertyList::write(QVariantMap{{u"a"_s, QVariantList{1, 2, 3}}}, PropertyList::Format::Xml);
    const QByteArray binary =
        PropertyList::write(QVariantMap{{u"a"_s, QVariantList{1, 2, 3}}}, PropertyList::Format::Binary);
    EXPECT_FALSE(PropertyList::read({}));
    EXPECT_FALSE(PropertyList::read(xml.left(xml.size() / 2)));
    EXPECT_FALSE(PropertyList::read(binary.left(binary.size() - 5)));
    EXPECT_FALSE(PropertyList::read("bplist00" + QByteArray(64, '\xEE')));
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) % 251);
    EXPECT_FALSE(PropertyList::read(garbage));
}

TEST(PropertyList, RefusesNestingThatWouldExhaustTheStack)
{
    const int deep = 300000;
    const QByteArray header = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    EXPECT_FALSE(PropertyList::read(header + QByteArray("<array>").repeated(deep) +
                                    QByteArray("</array>").repeated(deep) + "</plist>"));
    // Closing tags hidden in a comment must not cancel the nesting that follows.
    EXPECT_FALSE(PropertyList::read(header + "<!-- " + QByteArray("</array>").repeated(deep) + " -->" +
                                    QByteArray("<array>").repeated(deep) + QByteArray("</array>").repeated(deep) +
                                    "</plist>"));
    const auto shallow = PropertyList::read(header + QByteArray("<array>").repeated(50) +
                                            QByteArray("</array>").repeated(50) + "</plist>");
    ASSERT_TRUE(shallow);
    EXPECT_EQ(shallow->typeId(), QMetaType::QVariantList);

    EXPECT_FALSE(PropertyList::read(chainedArrays(deep, 1)));
    EXPECT_TRUE(PropertyList::read(chainedArrays(50, 1)));
    // Shared children double at every level: 2^40 copies once expanded.
    EXPECT_FALSE(PropertyList::read(chainedArrays(40, 2)));
    // An array that holds itself.
    EXPECT_FALSE(PropertyList::read(binaryPlist({QByteArray(1, char(0xA1)) + reference(0, 1)}, 1)));
    // A reference past the object table.
    EXPECT_FALSE(PropertyList::read(binaryPlist({QByteArray(1, char(0xA1)) + reference(9, 1)}, 1)));
}
