#include "core/discovery/app_scanner.h"
#include "core/services/launch_services_association_reader.h"
#include "platform/system_root.h"
#include "systemwriter/demo_system.h"
#include "systemwriter/synthetic_system.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;

namespace {

// A digest of every file's path and contents under the folder.
QByteArray treeDigest(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next().mid(root.size()));
    files.sort();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& file : files) {
        QFile f(root + file);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        hash.addData(file.toUtf8());
        hash.addData(f.readAll());
    }
    return hash.result();
}

} // namespace

TEST(SyntheticSystem, IsReproducibleFromItsSeed)
{
    QTemporaryDir a, b, c;
    const auto summary = tools::SyntheticSystem::write(a.path(), 120, 7);
    tools::SyntheticSystem::write(b.path(), 120, 7);
    tools::SyntheticSystem::write(c.path(), 120, 8);
    EXPECT_EQ(summary.bundles, 120);
    EXPECT_EQ(treeDigest(a.path()), treeDigest(b.path()));
    EXPECT_NE(treeDigest(a.path()), treeDigest(c.path()));

    platform::setSystemRoot(a.path());
    EXPECT_EQ(AppScanner().scan().size(), summary.distinctIdentifiers);
    platform::setSystemRoot({});
}

TEST(DemoSystem, HasTheApplicationsAndChoicesItDescribes)
{
    QTemporaryDir dir;
    tools::DemoSystem::write(dir.path());
    platform::setSystemRoot(dir.path());
    QFile description(u":/tessik/tools/demo-system.json"_s);
    ASSERT_TRUE(description.open(QIODevice::ReadOnly));
    const QJsonObject demo = QJsonDocument::fromJson(description.readAll()).object();
    EXPECT_GE(demo.value("apps"_L1).toArray().size(), 25);
    for (const QJsonValue& value : demo.value("handlers"_L1).toArray()) {
        const QJsonObject handler = value.toObject();
        const auto role = associationRoleFromRawValue(handler.value("role"_L1).toString());
        ASSERT_TRUE(role);
        EXPECT_EQ(LaunchServicesAssociationReader().defaultHandler(handler.value("contentType"_L1).toString(), *role),
                  handler.value("bundleIdentifier"_L1).toString());
    }
    // Writing again over an earlier demo replaces it; a folder that is not a machine is refused.
    EXPECT_NO_THROW(tools::DemoSystem::write(dir.path()));
    QTemporaryDir other;
    QFile precious(other.filePath(u"precious.txt"_s));
    ASSERT_TRUE(precious.open(QIODevice::WriteOnly));
    precious.close();
    EXPECT_THROW(tools::DemoSystem::write(other.path()), std::runtime_error);
    EXPECT_TRUE(precious.exists());
    platform::setSystemRoot({});
}
