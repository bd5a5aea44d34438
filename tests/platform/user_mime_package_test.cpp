#include "mime_apps_sandbox.h"
#include "platform/ns_error.h"
#include "platform/xdg/user_mime_package.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tessik::platform::UserMimePackage;

TEST(UserMimePackage, DefinesATypeForTheExtensionAndRebuildsTheDatabase)
{
    MimeAppsSandbox sandbox;
    if (QStandardPaths::findExecutable(u"update-mime-database"_s).isEmpty())
        GTEST_SKIP() << "update-mime-database is not installed";
    const UserMimePackage::Registration registration =
        UserMimePackage::registerExtension(sandbox.environment, u"tsk"_s);
    EXPECT_EQ(registration.mimeType, u"application/x-extension-tsk"_s);
    EXPECT_EQ(registration.packageFile, sandbox.dataHome() + u"/mime/packages/user-extension-tsk.xml"_s);
    EXPECT_TRUE(registration.databaseRebuilt);

    QXmlStreamReader xml(sandbox.read(u"home/.local/share/mime/packages/user-extension-tsk.xml"_s));
    QStringList seen;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"mime-type"_s)
            seen << xml.attributes().value(u"type"_s).toString();
        else if (xml.name() == u"glob"_s)
            seen << xml.attributes().value(u"pattern"_s).toString();
        else if (xml.name() == u"comment"_s)
            seen << xml.readElementText();
        if (xml.name() != u"mime-info"_s && xml.name() != u"mime-type"_s && !xml.isEndElement())
            xml.skipCurrentElement();
    }
    EXPECT_FALSE(xml.hasError());
    EXPECT_EQ(seen, (QStringList{u"application/x-extension-tsk"_s, u"tsk document"_s, u"*.tsk"_s}));
    EXPECT_TRUE(sandbox.read(u"home/.local/share/mime/globs2"_s).contains("application/x-extension-tsk:*.tsk"));
}

TEST(UserMimePackage, WritesThePackageWithoutTheToolAndRefusesPathLikeExtensions)
{
    MimeAppsSandbox sandbox;
    sandbox.setVariable("PATH", QFile::encodeName(sandbox.path(u"cache"_s)));
    const UserMimePackage::Registration registration =
        UserMimePackage::registerExtension(sandbox.environment, u"tsk"_s);
    EXPECT_FALSE(registration.databaseRebuilt);
    EXPECT_TRUE(QFileInfo(registration.packageFile).isFile());

    for (const QString& bad : {u""_s, u"../x"_s, u"a/b"_s, u"*"_s, u".hidden"_s})
        EXPECT_THROW(UserMimePackage::registerExtension(sandbox.environment, bad), tessik::platform::NSError);
    EXPECT_EQ(QDir(sandbox.dataHome() + u"/mime/packages"_s).entryList(QDir::Files),
              QStringList{u"user-extension-tsk.xml"_s});
}
