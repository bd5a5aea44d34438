#include "platform/xdg/key_file_document.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;
using tessik::platform::KeyFileDocument;

TEST(KeyFileDocument, KeepsAnUntouchedDocumentByteForByte)
{
    for (const QByteArray& text : {QByteArray("# c\n[A]\nx=1\n\n[B]\r\ny = 2 \r\n"), QByteArray("[A]\nx=1"),
                                   QByteArray(), QByteArray("\n\n"), QByteArray("[A]\nbroken line\n")})
        EXPECT_EQ(KeyFileDocument::parse(text).toByteArray(), text);
}

TEST(KeyFileDocument, ReadsGroupsKeysAndValues)
{
    const KeyFileDocument document = KeyFileDocument::parse(
        "# c\n[Default Applications]\n  application/vnd.ms-excel+xml = a.desktop;\ntext/x-c++src=b.desktop\r\n"
        "text/x-c++src=c.desktop\n[Other]\nk=v \n[Default Applications]\nimage/png=d.desktop\n");
    EXPECT_TRUE(document.isWellFormed());
    EXPECT_EQ(document.groups(), (QStringList{u"Default Applications"_s, u"Other"_s}));
    EXPECT_EQ(document.keys(u"Default Applications"_s),
              (QStringList{u"application/vnd.ms-excel+xml"_s, u"text/x-c++src"_s, u"image/png"_s}));
    EXPECT_EQ(document.value(u"Default Applications"_s, u"application/vnd.ms-excel+xml"_s), u"a.desktop;"_s);
    EXPECT_EQ(document.value(u"Default Applications"_s, u"text/x-c++src"_s), u"c.desktop"_s);
    EXPECT_EQ(document.value(u"Other"_s, u"k"_s), u"v "_s);
    EXPECT_FALSE(document.value(u"Other"_s, u"K"_s));

    EXPECT_FALSE(KeyFileDocument::parse("key=before any group\n[A]\n").isWellFormed());
    EXPECT_FALSE(KeyFileDocument::parse("[A]\nno equals sign\n").isWellFormed());

    EXPECT_EQ(KeyFileDocument::splitList(u"a.desktop;;b\\;c.desktop;\\sd\\\\e"_s),
              (QStringList{u"a.desktop"_s, u"b;c.desktop"_s, u" d\\e"_s}));
    EXPECT_EQ(KeyFileDocument::splitList(KeyFileDocument::joinList({u"x;y"_s, u" z\\"_s})),
              (QStringList{u"x;y"_s, u" z\\"_s}));
    // GLib ignores a list with an escape it does not know, or a backslash at its end, whole.
    for (const QString& unreadable : {u"b.desktop;\\q"_s, u"b.desktop;x\\"_s, u"\\x;b.desktop"_s})
        EXPECT_FALSE(KeyFileDocument::splitList(unreadable)) << qPrintable(unreadable);
}

TEST(KeyFileDocument, EditsOnlyTheLinesItChanges)
{
    KeyFileDocument document = KeyFileDocument::parse("# head\r\n[A]\r\nx=1\r\n# about y\r\ny=2\r\n\r\n[B]\r\n"
                                                      "dup=old\r\nz=3\r\ndup=counted\r\n[C]\r\n# nothing yet\r\n");
    document.setValue(u"A"_s, u"y"_s, u"20"_s);
    document.setValue(u"A"_s, u"new/key+x.y-z"_s, u"n"_s);
    document.setValue(u"B"_s, u"dup"_s, u"changed"_s);
    document.setValue(u"C"_s, u"first"_s, u"f"_s);
    EXPECT_TRUE(document.remove(u"A"_s, u"x"_s));
    EXPECT_FALSE(document.remove(u"A"_s, u"x"_s));
    document.setValue(u"D"_s, u"k"_s, u"v"_s);
    EXPECT_EQ(document.toByteArray(), "# head\r\n[A]\r\n# about y\r\ny=20\r\nnew/key+x.y-z=n\r\n\r\n[B]\r\n"
                                      "z=3\r\ndup=changed\r\n[C]\r\nfirst=f\r\n# nothing yet\r\n\r\n[D]\r\nk=v\r\n");

    KeyFileDocument unterminated = KeyFileDocument::parse("[A]\nx=1");
    unterminated.setValue(u"B"_s, u"y"_s, u"2"_s);
    EXPECT_EQ(unterminated.toByteArray(), "[A]\nx=1\n\n[B]\ny=2");
    KeyFileDocument blankEnd = KeyFileDocument::parse("[A]\nx=1\n\n");
    blankEnd.setValue(u"B"_s, u"y"_s, u"2"_s);
    EXPECT_EQ(blankEnd.toByteArray(), "[A]\nx=1\n\n[B]\ny=2\n");
    KeyFileDocument empty;
    empty.setValue(u"A"_s, u"x"_s, u"1"_s);
    EXPECT_EQ(empty.toByteArray(), "[A]\nx=1\n");
}

TEST(KeyFileDocument, LosesOnlyWhatIsNotUtf8)
{
    // Bytes that do not decode cost the value or key they are in, never the rest of the file.
    const QByteArray text = "# caf\xe9\n[Bad \xff]\nk=in bad group\n[A]\nk=a\nother=\xff\xfe\nk\xff=x\n"
                            "twice=ok\ntwice=\xc3\n";
    const KeyFileDocument document = KeyFileDocument::parse(text);
    EXPECT_TRUE(document.isWellFormed());
    EXPECT_EQ(document.toByteArray(), text);
    EXPECT_EQ(document.value(u"A"_s, u"k"_s), u"a"_s);
    EXPECT_FALSE(document.value(u"A"_s, u"other"_s));
    EXPECT_FALSE(document.value(u"A"_s, u"twice"_s));
    EXPECT_EQ(document.keys(u"A"_s), (QStringList{u"k"_s, u"other"_s, u"twice"_s}));
    EXPECT_FALSE(KeyFileDocument::parse("[A]\nno equals \xff\n").isWellFormed());

    KeyFileDocument edited = KeyFileDocument::parse(text);
    edited.setValue(u"A"_s, u"k"_s, u"b"_s);
    edited.setValue(u"A"_s, u"new"_s, u"n"_s);
    EXPECT_EQ(edited.toByteArray(), "# caf\xe9\n[Bad \xff]\nk=in bad group\n[A]\nk=b\nother=\xff\xfe\nk\xff=x\n"
                                    "twice=ok\ntwice=\xc3\nnew=n\n");
}

TEST(KeyFileDocument, ReadsALargeFileInLinearTime)
{
    constexpr int count = 50000;
    QByteArray text = "[Default Applications]\n";
    for (int i = 0; i < count; ++i)
        text += "application/x-type" + QByteArray::number(i) + "=app" + QByteArray::number(i) + ".desktop;\n";

    // The floor: only cutting the same bytes into lines. A reading that rescans the file per key is thousands of
    // times slower, so a wide margin still catches it; the best of a few runs on each side keeps a busy machine
    // from deciding the outcome.
    qint64 floor = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QList<QByteArray> lines = text.split('\n');
        floor = std::min(floor, timer.nsecsElapsed());
        ASSERT_EQ(lines.size(), count + 2);
    }
    qint64 best = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 3 && best > 200 * floor; ++run) {
        QElapsedTimer timer;
        timer.start();
        const KeyFileDocument document = KeyFileDocument::parse(text);
        const QStringList keys = document.keys(u"Default Applications"_s);
        qsizetype found = 0;
        for (const QString& key : keys)
            found += document.value(u"Default Applications"_s, key).has_value();
        best = std::min(best, timer.nsecsElapsed());
        ASSERT_EQ(found, count);
    }
    EXPECT_LE(best, 200 * floor) << "floor " << floor << " ns";
}

TEST(KeyFileDocument, RefusesWhatGLibsParserRefuses)
{
    // Each line after a valid start, judged as GLib 2.74 judged it under `gio mime`.
    const QByteArray start = "[Default Applications]\ntext/plain=b.desktop\n";
    const QList<std::pair<QByteArray, bool>> lines{
        {"[]\n", false},
        {"[Bad\x01Group]\n", false},
        {"[a\tb]\n", false},
        {"[a\x7f"
         "b]\n",
         false},
        {"[a[b]\n", false},
        {"[a] x\n", false},
        {"[a]  \t\n", true},
        {"[a\xff"
         "b]\n",
         true},
        {"a]b=c;\n", false},
        {"a[b=c;\n", false},
        {"a[de]x=c;\n", false},
        {"a[d e]=c;\n", false},
        {"a[d+e]=c;\n", false},
        {"a[d\xff]=c;\n", false},
        {"a[de_DE.UTF-8@euro]=c;\n", true},
        {"a[d\xc3\xa9]=c;\n", true},
        {"a[]=c;\n", true},
        {" =c\n", false},
        {" a b =c\n", true},
        {"a=\n", true},
        {"a\x01"
         "b=c\n",
         true},
        // The parser reads a line only up to a NUL byte.
        {QByteArray("x=a\0b\n", 6), true},
        {QByteArray("\0\n", 2), true},
        {QByteArray("a\0=b\n", 5), false},
        {QByteArray("[X\0Y]\n", 6), false},
        // Only one carriage return belongs to the line ending; the vertical tab is no blank.
        {"[X]\r\r\n", false},
        {"x=y\r\r\n", true},
        {"\r\r\n", true},
        {"[X]\r", false},
        {"\v#x\n", false},
        {"\f#x\n", true},
        {"\va=b\n", true},
        // The encoding may only be UTF-8, and only the first group says.
        {"Encoding=latin1\n", false},
        {"Encoding=utf-8\n", true},
        {"[X]\nEncoding=latin1\n", true},
    };
    for (const auto& [line, accepted] : lines)
        EXPECT_EQ(KeyFileDocument::parse(start + line).isWellFormed(), accepted) << line.toPercentEncoding().data();
    EXPECT_FALSE(KeyFileDocument::parse("\xef\xbb\xbf" + start).isWellFormed()) << "a byte order mark";
    EXPECT_TRUE(KeyFileDocument::parse("[Default Applications]\r\ntext/plain=b.desktop\r\n").isWellFormed());
    EXPECT_EQ(KeyFileDocument::parse(start + QByteArray("x=a\0b\n", 6)).value(u"Default Applications"_s, u"x"_s),
              u"a"_s);
}

TEST(KeyFileDocument, NeverWritesALineBreakOfItsOwn)
{
    const QByteArray text = "[A]\nx=1\n";
    KeyFileDocument document = KeyFileDocument::parse(text);
    for (const QString& evil : {u"a\nb"_s, u"a\rb"_s, QString(u"a\0b"_s)}) {
        EXPECT_FALSE(document.setValue(u"A"_s, evil, u"v"_s));
        EXPECT_FALSE(document.setValue(u"A"_s, u"x"_s, evil));
        EXPECT_FALSE(document.setValue(evil, u"x"_s, u"v"_s));
    }
    EXPECT_EQ(document.toByteArray(), text);
    EXPECT_TRUE(document.setValue(u"A"_s, u"x"_s, KeyFileDocument::joinList({u"a\nb\r"_s})));
    EXPECT_EQ(document.toByteArray(), "[A]\nx=a\\nb\\r;\n");
}
