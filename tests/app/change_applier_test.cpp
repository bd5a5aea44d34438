#include "app/l10n/handler_explanation_text.h"
#include "app/model/change_applier.h"
#include "app/model/failure_texts.h"
#include "core/pipeline/change_planner_error.h"
#include "core/pipeline/failure_report_store.h"
#include "core/pipeline/snapshot_store.h"
#include "platform/emulated/emulation_settings.h"
#include "platform/launch_services.h"
#include "scripted_services.h"
#include "temporary_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::testing;

namespace {

const QString markdown = u"net.daringfireball.markdown"_s;

class ChangeApplierTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        system.addApp(u"Applications/Editor.app"_s, u"com.example.Editor"_s,
                      {TemporarySystem::documentType({markdown}, {u"md"_s}, u"Editor"_s)});
        system.addApp(u"Applications/Other.app"_s, u"com.example.Other"_s,
                      {TemporarySystem::documentType({markdown}, {u"md"_s}, u"Editor"_s, u"Owner"_s)});
    }

    TemporarySystem system;
    std::shared_ptr<RecordingSleeper> sleeper = std::make_shared<RecordingSleeper>();
};

} // namespace

TEST_F(ChangeApplierTest, AppliesASnapshottedVerifiedPlan)
{
    const auto known = ChangeApplier::knownExtensions({{markdown, {u"md"_s}, {}, {}, {}}}, {{markdown, u"mdown"_s}});
    EXPECT_EQ(known.value(markdown), (QStringList{u"md"_s, u"mdown"_s}));

    const ChangePlan plan = ChangeApplier::plan({{markdown, AssociationRole::editor, u"com.example.Editor"_s},
                                                 {markdown, AssociationRole::viewer, u"com.example.Other"_s}},
                                                known);
    ASSERT_EQ(plan.changes.size(), 1) << "the viewer is the Owner already";
    EXPECT_EQ(plan.changes[0].previousBundleIdentifier, u"com.example.Other"_s);
    EXPECT_TRUE(plan.changes[0].affectedExtensions.contains(u"mdown"_s));

    const AppliedChanges applied = ChangeApplier::execute(plan, {}, ChangeApplier::whatOf, sleeper);
    ASSERT_TRUE(applied.result);
    EXPECT_TRUE(applied.result->succeeded());
    EXPECT_FALSE(applied.report);
    EXPECT_TRUE(sleeper->waits.empty()) << "the first check already shows the new handler";
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(markdown, platform::kLSRolesEditor),
              u"com.example.Editor"_s);
    const AssociationSnapshot snapshot = SnapshotStore().load(SnapshotStore().ids().constFirst());
    EXPECT_EQ(snapshot.handlers.constFirst().bundleIdentifier, u"com.example.Other"_s);

    EXPECT_THROW(ChangeApplier::plan({{markdown, AssociationRole::editor, u"com.example.Editor"_s},
                                      {markdown, AssociationRole::editor, u"com.example.Other"_s}},
                                     {}),
                 ChangePlannerError);
}

TEST_F(ChangeApplierTest, AChangeThatDoesNotTakeIsPolledThenDeclined)
{
    // A handler for an application that is not installed is stored but never takes effect.
    const ChangePlan plan = ChangeApplier::plan({{markdown, AssociationRole::editor, u"com.example.Gone"_s}}, {});
    const AppliedChanges applied = ChangeApplier::execute(plan, {}, ChangeApplier::whatOf, sleeper);
    ASSERT_TRUE(applied.result);
    EXPECT_EQ(sleeper->waits.size(), 120u);
    EXPECT_EQ(applied.result->declinedChangeIDs, QSet<QString>{markdown + u":editor"_s});
    EXPECT_FALSE(applied.report) << "a declined change is no failure";
}

TEST_F(ChangeApplierTest, AnExecutionThatCannotStartIsReported)
{
    QFile blocker(SnapshotStore::defaultDirectory().toLocalFile());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(blocker).absolutePath()));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ChangePlan plan = ChangeApplier::plan({{markdown, AssociationRole::editor, u"com.example.Editor"_s}}, {});
    const AppliedChanges applied = ChangeApplier::execute(
        plan, {}, [](const std::exception&) { return u"快照无法保存"_s; }, sleeper);
    EXPECT_FALSE(applied.result);
    EXPECT_EQ(applied.executionError, u"快照无法保存"_s);
    ASSERT_TRUE(applied.report && applied.reportPath);
    const FailureReport saved = FailureReportStore().load(applied.report->id);
    EXPECT_EQ(saved.entries.size(), 1);
    EXPECT_EQ(saved.entries[0].reason, u"快照无法保存"_s);
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(markdown, platform::kLSRolesEditor),
              u"com.example.Other"_s)
        << "nothing was written";
}

TEST_F(ChangeApplierTest, ADelayedChangeIsCheckedUntilItShows)
{
    EXPECT_EQ(ChangeApplier::verificationAttempts, 121);
    EXPECT_EQ(ChangeApplier::attemptsWithin(0), 1);
    EXPECT_EQ(ChangeApplier::attemptsWithin(1.2), 3);

    FakeClock clock;
    platform::EmulationSettings emulation;
    emulation.handlerWriteDelay = 5;
    tools::SystemRootWriter::writeEmulation(system.root(), emulation);
    const auto clockSleeper = std::make_shared<ClockSleeper>(clock);
    const ChangePlan plan = ChangeApplier::plan({{markdown, AssociationRole::editor, u"com.example.Editor"_s}}, {});
    const AppliedChanges applied = ChangeApplier::execute(plan, {}, ChangeApplier::whatOf, clockSleeper);
    ASSERT_TRUE(applied.result);
    EXPECT_TRUE(applied.result->succeeded());
    EXPECT_EQ(clockSleeper->waits.size(), 10u) << "five seconds of half-second waits";

    // With fewer checks than the delay needs, the change that has not shown yet counts as declined.
    const ChangePlan back = ChangeApplier::plan({{markdown, AssociationRole::editor, u"com.example.Other"_s}}, {});
    const AppliedChanges early =
        ChangeApplier::execute(back, {}, ChangeApplier::whatOf, clockSleeper, ChangeApplier::attemptsWithin(2));
    ASSERT_TRUE(early.result);
    EXPECT_EQ(early.result->declinedChangeIDs, QSet<QString>{markdown + u":editor"_s});
    clock.advance(std::chrono::seconds(3));
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(markdown, platform::kLSRolesEditor),
              u"com.example.Other"_s);
}

TEST_F(ChangeApplierTest, AFailedChangeIsReportedWithWhyTheSystemKeepsItsAnswer)
{
    // The machine records a third application whatever is asked for markdown.
    system.addApp(u"Applications/Third.app"_s, u"com.example.Third"_s,
                  {TemporarySystem::documentType({markdown}, {u"md"_s}, u"Editor"_s)});
    platform::EmulationSettings emulation;
    emulation.overriddenContentTypes.insert(markdown, u"com.example.Third"_s);
    tools::SystemRootWriter::writeEmulation(system.root(), emulation);

    const ChangePlan plan = ChangeApplier::plan({{markdown, AssociationRole::editor, u"com.example.Editor"_s}}, {});
    const AppliedChanges applied =
        ChangeApplier::execute(plan, {}, ChangeApplier::whatOf, sleeper, ChangeApplier::attemptsWithin(0));
    ASSERT_TRUE(applied.report && applied.reportPath);
    const FailureReport saved = FailureReportStore().load(applied.report->id);
    ASSERT_EQ(saved.entries.size(), 1);
    ASSERT_TRUE(saved.entries[0].explanation);
    EXPECT_EQ(saved.entries[0].explanation->source, platform::HandlerExplanation::Source::storedRole);
    EXPECT_EQ(saved.entries[0].explanation->handler, u"com.example.Third"_s);

    // The mail says it in the reader's language, with the home folder shortened.
    const QString body = FailureTexts::body(saved, u"en"_s);
    EXPECT_TRUE(body.contains(u"\nWhy: set in ~/Library/Preferences/com.apple.LaunchServices/"
                              "com.apple.launchservices.secure.plist as the default editor"_s))
        << qPrintable(body);
}

TEST(HandlerExplanationText, NamesTheRouteAndWhatWasPassedOverInTheLanguage)
{
    using platform::HandlerExplanation;
    const HandlerExplanationText::Names names{
        [](const QString& id) { return id == u"com.apple.Preview"_s ? u"Preview"_s : id; },
        [](const QString& type) { return type == u"public.image"_s ? u"image"_s : type; }, u"/home/u"_s};
    HandlerExplanation claimed{HandlerExplanation::Source::claimant, u"com.apple.Preview"_s, u"public.image"_s};
    claimed.rank = u"Owner"_s;
    claimed.claimedRole = u"Viewer"_s;
    claimed.passedOver.append({u"com.example.Gone"_s, HandlerExplanation::PassOverReason::notInstalled});
    EXPECT_EQ(HandlerExplanationText::line(claimed, u"public.jpeg"_s, names, u"en"_s),
              u"chosen by the system: Preview claims image as its owner (a parent type); "
              "passed over com.example.Gone: not installed"_s);
    EXPECT_EQ(HandlerExplanationText::decision(claimed, u"public.image"_s, names, u"zh"_s),
              u"由系统选择：Preview 以所有者身份声明了 image"_s);

    HandlerExplanation listed{HandlerExplanation::Source::defaultApplications, u"editor.desktop"_s,
                              u"application/pdf"_s, u"application/x-pdf"_s, u"/home/u/.config/mimeapps.list"_s};
    listed.passedOver.append({u"viewer.desktop"_s, HandlerExplanation::PassOverReason::removed,
                              u"/usr/share/applications/mimeinfo.cache"_s, u"MIME Cache"_s, u"text/plain"_s,
                              u"/home/u/.config/mimeapps.list"_s});
    EXPECT_EQ(HandlerExplanationText::decision(listed, u"application/pdf"_s, names, u"en"_s),
              u"set in ~/.config/mimeapps.list (through the alias application/x-pdf)"_s);
    EXPECT_EQ(HandlerExplanationText::decision(listed, u"application/x-bzpdf"_s, names, u"de"_s),
              u"in ~/.config/mimeapps.list festgelegt (über den übergeordneten Typ application/pdf)"
              " (über den Alias application/x-pdf)"_s);
    EXPECT_EQ(HandlerExplanationText::passedOverLines(listed, names, u"en"_s),
              QStringList{u"passed over viewer.desktop: removed by ~/.config/mimeapps.list "
                          "(/usr/share/applications/mimeinfo.cache [MIME Cache] text/plain)"_s});
    // A folder merely beginning like the home folder is not in it.
    EXPECT_EQ(HandlerExplanationText::displayPath(u"/home/user2/x"_s, u"/home/u"_s), u"/home/user2/x"_s);
}
