#include "core/services/association_service_error.h"
#include "core/services/launch_services_association_reader.h"
#include "core/services/launch_services_association_writer.h"
#include "platform/emulated/machine_paths.h"
#include "platform/ns_error.h"
#include "platform/workspace.h"
#include "temporary_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using tessik::platform::NSError;
using tessik::testing::TemporarySystem;

namespace {

class AssociationServicesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        system.addApp(u"Applications/Editor.app"_s, u"com.example.Editor"_s,
                      {TemporarySystem::documentType({markdown}, {u"md"_s}, u"Editor"_s)});
        system.addApp(u"Applications/Viewer.app"_s, u"com.example.Viewer"_s,
                      {TemporarySystem::documentType({markdown}, {u"md"_s}, u"Viewer"_s, u"Owner"_s)});
    }
    void TearDown() override { platform::Workspace::setConfirmationHandler({}); }

    void answerConfirmation(bool accept)
    {
        platform::Workspace::setConfirmationHandler([this, accept](const platform::DefaultApplicationQuestion&) {
            ++questions;
            return accept;
        });
    }

    void corruptHandlerDatabase()
    {
        QFile file(platform::MachinePaths::handlerDatabase());
        QDir().mkpath(QFileInfo(file).absolutePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("garbage");
    }

    TemporarySystem system;
    const QString markdown = u"net.daringfireball.markdown"_s;
    LaunchServicesAssociationReader reader;
    LaunchServicesAssociationWriter writer;
    int questions = 0;
};

} // namespace

TEST_F(AssociationServicesTest, DirectWritesNeverAskAndAreReadBack)
{
    EXPECT_EQ(reader.defaultHandler(markdown, AssociationRole::editor), u"com.example.Editor"_s);
    EXPECT_EQ(reader.defaultHandler(markdown, AssociationRole::viewer), u"com.example.Viewer"_s);
    EXPECT_EQ(reader.defaultHandler(markdown, AssociationRole::shell), std::nullopt);
    answerConfirmation(true);
    EXPECT_EQ(writer.setDefaultHandler(u"com.example.Editor"_s, markdown, AssociationRole::viewer),
              AssociationWriteOutcome::pendingVerification);
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(reader.defaultHandler(markdown, AssociationRole::viewer), u"com.example.Editor"_s);
}

TEST_F(AssociationServicesTest, AllRolesGoThroughTheUsersConfirmation)
{
    answerConfirmation(false);
    EXPECT_EQ(writer.setDefaultHandler(u"com.example.Editor"_s, markdown, AssociationRole::all),
              AssociationWriteOutcome::declined);
    EXPECT_EQ(reader.defaultHandler(markdown, AssociationRole::all), u"com.example.Viewer"_s);
    answerConfirmation(true);
    EXPECT_EQ(writer.setDefaultHandler(u"com.example.Editor"_s, markdown, AssociationRole::all),
              AssociationWriteOutcome::confirmed);
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(reader.defaultHandler(markdown, AssociationRole::all), u"com.example.Editor"_s);

    // An application the workspace cannot find, or a type it does not know, takes the direct path.
    EXPECT_EQ(writer.setDefaultHandler(u"com.example.NotInstalled"_s, markdown, AssociationRole::all),
              AssociationWriteOutcome::pendingVerification);
    EXPECT_EQ(writer.setDefaultHandler(u"com.example.Editor"_s, u"com.example.undeclared"_s, AssociationRole::all),
              AssociationWriteOutcome::pendingVerification);
    EXPECT_EQ(questions, 2);
}

TEST_F(AssociationServicesTest, FailuresCarryThePlatformsOwnError)
{
    try {
        writer.setDefaultHandler(QString(), markdown, AssociationRole::editor);
        FAIL() << "an empty handler was accepted";
    } catch (const AssociationServiceError& error) {
        EXPECT_EQ(error.value(), AssociationServiceError::Case(AssociationServiceError::LaunchServicesStatus{-50}));
    }
    corruptHandlerDatabase();
    EXPECT_THROW(writer.setDefaultHandler(u"com.example.Editor"_s, markdown, AssociationRole::viewer),
                 AssociationServiceError);
    answerConfirmation(true);
    try {
        writer.setDefaultHandler(u"com.example.Editor"_s, markdown, AssociationRole::all);
        FAIL() << "the write succeeded";
    } catch (const NSError& error) {
        EXPECT_EQ(error.domain(), platform::NSOSStatusErrorDomain);
        EXPECT_EQ(error.code(), -36);
    }
}

TEST(UserCancellation, IsFoundAtAnyDepth)
{
    using platform::NSCocoaErrorDomain;
    using platform::NSOSStatusErrorDomain;
    const NSError cocoa(NSCocoaErrorDomain, 3072, u"cancelled"_s);
    const NSError status(NSOSStatusErrorDomain, -128, u"cancelled"_s);
    const NSError other(NSCocoaErrorDomain, 4, u"missing"_s);
    auto wrap = [](const NSError& inner) {
        return NSError(u"LSErrorDomain"_s, 1, u"outer"_s, std::make_shared<NSError>(inner));
    };
    EXPECT_TRUE(LaunchServicesAssociationWriter::isUserCancellation(cocoa));
    EXPECT_TRUE(LaunchServicesAssociationWriter::isUserCancellation(status));
    EXPECT_TRUE(LaunchServicesAssociationWriter::isUserCancellation(wrap(wrap(cocoa))));
    EXPECT_TRUE(LaunchServicesAssociationWriter::isUserCancellation(wrap(status)));
    EXPECT_FALSE(LaunchServicesAssociationWriter::isUserCancellation(other));
    EXPECT_FALSE(LaunchServicesAssociationWriter::isUserCancellation(wrap(other)));
    EXPECT_FALSE(LaunchServicesAssociationWriter::isUserCancellation(NSError(NSOSStatusErrorDomain, 3072, {})));
}
