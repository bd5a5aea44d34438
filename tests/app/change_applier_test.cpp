#include "app/model/change_applier.h"
#include "core/pipeline/change_planner_error.h"
#include "core/pipeline/failure_report_store.h"
#include "core/pipeline/snapshot_store.h"
#include "platform/emulated/emulation_settings.h"
#include "platform/launch_services.h"
#include "platform/lookup_batch.h"
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

TEST_F(ChangeApplierTest, PlanningAndEachCheckReadTheHandlersOnce)
{
    using platform::LookupBatch;
    FakeClock clock;
    platform::EmulationSettings emulation;
    emulation.handlerWriteDelay = 1;
    tools::SystemRootWriter::writeEmulation(system.root(), emulation);
    const QList<ChangeRequest> requests{{markdown, AssociationRole::editor, u"com.example.Editor"_s},
                                        {markdown, AssociationRole::viewer, u"com.example.Editor"_s},
                                        {u"public.html"_s, AssociationRole::viewer, u"com.example.Editor"_s}};
    qint64 before = LookupBatch::looks();
    const ChangePlan plan = ChangeApplier::plan(requests, {});
    EXPECT_EQ(plan.changes.size(), 3);
    EXPECT_EQ(LookupBatch::looks() - before, 1);

    // Each change shows after two half-second waits: three checks, each a fresh reading that sees the change.
    const auto clockSleeper = std::make_shared<ClockSleeper>(clock);
    before = LookupBatch::looks();
    const AppliedChanges applied = ChangeApplier::execute(plan, {}, ChangeApplier::whatOf, clockSleeper);
    ASSERT_TRUE(applied.result);
    EXPECT_TRUE(applied.result->succeeded());
    EXPECT_EQ(clockSleeper->waits.size(), 6u);
    EXPECT_EQ(LookupBatch::looks() - before, 9);
}
