#include "platform/emulated/property_list.h"
#include "platform/emulated/strings_file.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>

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

// Whether any string or key in the tree holds a NUL character.
bool holdsNul(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString)
        return value.toString().contains(QChar(0));
    if (value.typeId() == QMetaType::QVariantList) {
        const QVariantList list = value.toList();
        return std::any_of(list.begin(), list.end(), holdsNul);
    }
    if (value.typeId() == QMetaType::QVariantMap) {
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            if (it.key().contains(QChar(0)) || holdsNul(it.value()))
                return true;
    }
    return false;
}

// One random damage of the kinds found in real bundles: a changed byte, a cut, an insertion, or a NUL put into a
// key or string (raw, or as a character reference in XML).
void mutate(QByteArray& data, QRandomGenerator& random, const QList<QByteArray>& words)
{
    auto at = [&](qsizetype size) { return qsizetype(random.bounded(int(std::max<qsizetype>(1, size)))); };
    switch (random.bounded(6)) {
    case 0:
        data[at(data.size())] = char(random.bounded(256));
        break;
    case 1:
        data.remove(at(data.size()), 1 + at(16));
        break;
    case 2: {
        QByteArray inserted(1 + at(8), Qt::Uninitialized);
        for (char& c : inserted)
            c = char(random.bounded(256));
        data.insert(at(data.size()), inserted);
        break;
    }
    case 3:
        data.insert(at(data.size()), random.bounded(2) ? QByteArray("&#0;") : QByteArray("&#x0;"));
        break;
    default: {
        const QByteArray& word = words[at(words.size())];
        const qsizetype found = data.indexOf(word);
        if (found >= 0)
            data[found + at(word.size())] = random.bounded(2) ? '\0' : char(random.bounded(256));
    }
    }
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

TEST(PropertyList, RefusesNulCharactersInStringsAndKeys)
{
    const QByteArray header = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>";
    auto xml = [&](const QByteArray& key, const QByteArray& value) {
        return header + "<key>" + key + "</key><string>" + value + "</string></dict></plist>";
    };
    for (const QByteArray& bad : {QByteArray("a\0b", 3), QByteArray("a&#0;b"), QByteArray("&#x0;"),
                                  QByteArray("&#x000;"), QByteArray("&#00;"), QByteArray("&#X0;")}) {
        EXPECT_FALSE(PropertyList::read(xml("k", bad))) << bad.toPercentEncoding().constData();
        EXPECT_FALSE(PropertyList::read(xml(bad, "v"))) << bad.toPercentEncoding().constData();
    }
    const auto escaped = PropertyList::read(xml("k&#x41;", "&#65;&amp;&#x10;"));
    ASSERT_TRUE(escaped);
    EXPECT_EQ(escaped->toMap().value(u"kA"_s).toString(), u"A&\x10"_s);

    // A dictionary of one entry whose key and value are the objects given.
    auto binary = [](const QByteArray& key, const QByteArray& value) {
        return binaryPlist({QByteArray("\xD1\x01\x02", 3), key, value}, 1);
    };
    const QByteArray asciiNul("\x53"
                              "a\0b",
                              4);
    const QByteArray utf16Nul("\x62\x00\x61\x00\x00", 5);
    const QByteArray plain("\x51x", 2);
    EXPECT_FALSE(PropertyList::read(binary(plain, asciiNul)));
    EXPECT_FALSE(PropertyList::read(binary(plain, utf16Nul)));
    EXPECT_FALSE(PropertyList::read(binary(asciiNul, plain)));
    EXPECT_FALSE(PropertyList::read(binary(utf16Nul, plain)));
    // Data may hold any byte.
    const auto data = PropertyList::read(binary(plain, QByteArray("\x42\x00\x01", 3)));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->toMap().value(u"x"_s).toByteArray(), QByteArray("\x00\x01", 2));
}

TEST(PropertyList, SurvivesMutatedInformationDictionaries)
{
    const QVariantMap info{
        {u"CFBundleIdentifier"_s, u"com.example.Mutant"_s},
        {u"CFBundleName"_s, u"Mütant 編集"_s},
        {u"CFBundleVersion"_s, 7},
        {u"LSRequiresNativeExecution"_s, true},
        {u"Built"_s, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC)},
        {u"Blob"_s, QByteArray("\x01\x02\x03", 3)},
        {u"CFBundleDocumentTypes"_s,
         QVariantList{QVariantMap{{u"LSItemContentTypes"_s, QStringList{u"public.plain-text"_s, u"public.html"_s}},
                                  {u"CFBundleTypeExtensions"_s, QStringList{u"txt"_s, u"htm"_s}},
                                  {u"CFBundleTypeRole"_s, u"Editor"_s}},
                      QVariantMap{{u"LSItemContentTypes"_s, QStringList{u"public.jpeg"_s}},
                                  {u"CFBundleTypeRole"_s, u"Viewer"_s}}}}};
    QList<QByteArray> words;
    for (auto it = info.cbegin(); it != info.cend(); ++it)
        words.append(it.key().toUtf8());
    words += {"LSItemContentTypes", "CFBundleTypeExtensions", "public.plain-text", "com.example.Mutant", "Editor"};

    QElapsedTimer timer;
    timer.start();
    int refused = 0, read = 0;
    for (quint32 seed = 1; seed <= 200; ++seed) {
        QRandomGenerator random(seed);
        for (auto format : {PropertyList::Format::Xml, PropertyList::Format::Binary}) {
            QByteArray data = PropertyList::write(info, format);
            for (int n = 1 + random.bounded(4); n > 0; --n)
                mutate(data, random, words);
            // What the scanner reads for Info.plist and InfoPlist.strings, and the handler database for its file.
            const std::optional<QVariant> value = PropertyList::read(data);
            EXPECT_FALSE(value && holdsNul(*value)) << "seed " << seed;
            tessik::platform::StringsFile::parse(data);
            ++(value ? read : refused);
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(read, 0);
    EXPECT_LT(timer.elapsed(), 10000);
}
