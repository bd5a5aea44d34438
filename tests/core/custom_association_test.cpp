#include "core/catalog/custom_association_error.h"
#include "core/catalog/custom_association_store.h"
#include "core/support/strict_json.h"
#include "platform/ns_error.h"
#include "temporary_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;
using namespace tessik;
using tessik::testing::TemporarySystem;

namespace {

const InstalledApp editor{
    u"Editor"_s, u"com.example.Editor"_s, QUrl::fromLocalFile(u"/Applications/Editor.app"_s), {u"public.plain-text"_s}};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

} // namespace

TEST(CustomAssociation, NormalisesAndResolvesExtensions)
{
    const tessik::testing::TemporarySystem mac; // the Mac's own type table
    for (const QString& input : {u"mkk"_s, u".mkk"_s, u" .MKK "_s, u"MKK\n"_s}) {
        const CustomAssociation association = CustomAssociation::forExtension(input, editor);
        EXPECT_EQ(association.fileExtension, u"mkk"_s);
        EXPECT_TRUE(association.typeIdentifier.startsWith(u"dyn."_s));
    }
    EXPECT_EQ(CustomAssociation::forExtension(u"MD"_s, editor).typeIdentifier, u"net.daringfireball.markdown"_s);
    EXPECT_THROW(CustomAssociation::forExtension(u"..mkk"_s, editor), CustomAssociationError);
    const CustomAssociation typeOnly = CustomAssociation::forType(u"not a real type!"_s, std::nullopt, editor);
    EXPECT_EQ(typeOnly.fileExtension, QString());
    EXPECT_EQ(typeOnly.typeIdentifier, u"not a real type!"_s);
    EXPECT_EQ(CustomAssociation::forType(u"public.jpeg"_s, u".PNG"_s, editor).fileExtension, u"png"_s);
    EXPECT_THROW(CustomAssociation::forType(u"public.jpeg"_s, u"a b"_s, editor), CustomAssociationError);
}

TEST(CustomAssociationStore, SavesSortedWithoutDuplicatesAndLoadsBack)
{
    TemporarySystem system;
    const CustomAssociationStore store;
    EXPECT_TRUE(
        store.fileURL().toLocalFile().endsWith(u"/Library/Application Support/Tessik/CustomAssociations.json"_s));
    EXPECT_TRUE(store.load().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(store.fileURL().toLocalFile())) << "loading creates nothing";

    InstalledApp moved = editor;
    moved.name = u"Editor 2"_s;
    moved.url = QUrl::fromLocalFile(u"/Users/me/Applications/Editor.app"_s);
    const CustomAssociation first = CustomAssociation::forExtension(u"mkk"_s, editor);
    const CustomAssociation second = CustomAssociation::forType(u"public.jpeg"_s, std::nullopt, editor);
    store.save({first, CustomAssociation::forExtension(u"mkk"_s, moved), second});
    EXPECT_EQ(store.load(), (QList<CustomAssociation>{first, second}));

    const QString text = QString::fromUtf8(contents(store.fileURL().toLocalFile()));
    EXPECT_LT(text.indexOf(u"\"app\""_s), text.indexOf(u"\"fileExtension\""_s));
    EXPECT_LT(text.indexOf(u"\"fileExtension\""_s), text.indexOf(u"\"typeIdentifier\""_s));
    EXPECT_LT(text.indexOf(u"\"bundleIdentifier\""_s), text.indexOf(u"\"url\""_s));
    EXPECT_TRUE(text.contains(u"\"url\": \"file:///Applications/Editor.app\""_s));
}

TEST(CustomAssociationStore, BrokenFilesFailLoudlyAndStayIntact)
{
    TemporarySystem system;
    const CustomAssociationStore store;
    const QString path = store.fileURL().toLocalFile();
    writeFile(path, "[]");
    EXPECT_TRUE(store.load().isEmpty());

    const QByteArray lacking = R"([{"app": {"bundleIdentifier": "a", "name": "A", "supportedTypeIdentifiers": [],
                                   "url": "file:///A.app"}, "typeIdentifier": "public.jpeg"}])";
    for (const QByteArray& broken : {lacking, QByteArray("[{\"app\": "), QByteArray("\x89PNG\r\n\x1a\n", 8),
                                     QByteArray("{\"not\": \"a list\"}")}) {
        writeFile(path, broken);
        EXPECT_THROW(store.load(), JsonDecodingError);
        EXPECT_EQ(contents(path), broken);
    }
}

TEST(CustomAssociationStore, APlainPathIsAFileURL)
{
    TemporarySystem system;
    const CustomAssociationStore store;
    const QString path = store.fileURL().toLocalFile();
    const auto entry = [](const char* url) {
        return QByteArray(
                   R"([{"app": {"bundleIdentifier": "a", "name": "A", "supportedTypeIdentifiers": [], "url": ")") +
               url + R"("}, "fileExtension": "", "typeIdentifier": "public.jpeg"}])";
    };
    for (const char* plain : {"/Applications/X Y.app", "//Applications/X Y.app"}) {
        writeFile(path, entry(plain));
        const QList<CustomAssociation> loaded = store.load();
        ASSERT_EQ(loaded.size(), 1) << plain;
        EXPECT_EQ(loaded[0].app.url, QUrl::fromLocalFile(u"/Applications/X Y.app"_s)) << plain;
    }
    for (const char* notURL : {"Applications/X.app", "", "not a url", "http://[broken"}) {
        writeFile(path, entry(notURL));
        EXPECT_THROW(store.load(), JsonDecodingError) << notURL;
    }
}

TEST(CustomAssociationStore, AFailedSaveLeavesThePreviousFile)
{
    TemporarySystem system;
    // The temporary file beside the target gets a longer name than the file system allows.
    const QString folder = system.root() + u"/store"_s;
    const QString path = folder + u'/' + QString(250, u'c');
    writeFile(path, "[]");
    const CustomAssociationStore store(QUrl::fromLocalFile(path));
    EXPECT_THROW(store.save({CustomAssociation::forExtension(u"mkk"_s, editor)}), platform::NSError);
    EXPECT_EQ(contents(path), QByteArray("[]"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(CustomAssociationStore, ProgramsAddingAtTheSameTimeLoseNothing)
{
    TemporarySystem system;
    const CustomAssociationStore store;
    constexpr int writers = 8;
    std::vector<std::thread> threads;
    for (int i = 0; i < writers; ++i)
        threads.emplace_back([&store, i] {
            for (int round = 0; round < 3; ++round)
                store.add(CustomAssociation::forExtension(u"x%1n%2"_s.arg(i).arg(round), editor));
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(store.load().size(), writers * 3);
    EXPECT_EQ(store.add(CustomAssociation::forExtension(u"x0n0"_s, editor)).size(), writers * 3) << "no duplicate";
}
