#include "core/pipeline/association_change_executor.h"
#include "scripted_services.h"
#include "temporary_system.h"

#include <QFile>

#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace tessik;
using namespace tessik::testing;

namespace {

class ChangeExecutorTest : public ::testing::Test
{
protected:
    AssociationChangeExecutor executor(int attempts = 121, double interval = 0.5) const
    {
        return AssociationChangeExecutor(writer, SnapshotStore(), VerificationService(reader), attempts, interval,
                                         sleeper);
    }

    static AssociationChange change(const QString& type, const std::optional<QString>& previous,
                                    const QString& target = u"com.example.Target"_s)
    {
        return {type, AssociationRole::editor, previous, target, {u"md"_s}};
    }

    TemporarySystem system;
    std::shared_ptr<ScriptedReader> reader = std::make_shared<ScriptedReader>();
    std::shared_ptr<ScriptedWriter> writer = std::make_shared<ScriptedWriter>();
    std::shared_ptr<RecordingSleeper> sleeper = std::make_shared<RecordingSleeper>();
};

} // namespace

TEST_F(ChangeExecutorTest, PendingWritesArePolledUntilTheyTake)
{
    reader->script(u"t"_s, {u"com.example.Old"_s, u"com.example.Old"_s, u"com.example.Target"_s});
    const ChangeExecutionResult result = executor().execute({{}, {change(u"t"_s, u"com.example.Old"_s)}});
    EXPECT_EQ(reader->reads(u"t"_s), 3);
    EXPECT_EQ(sleeper->waits, (std::vector<std::chrono::nanoseconds>{500ms, 500ms}));
    ASSERT_EQ(result.verificationResults.size(), 1);
    EXPECT_TRUE(result.succeeded());
    EXPECT_TRUE(QFile::exists(result.snapshotURL.toLocalFile()));
}

TEST_F(ChangeExecutorTest, ClassifiesWhatTheLastCheckShows)
{
    reader->script(u"unmoved"_s, {u"com.example.Old"_s});
    reader->script(u"other"_s, {u"com.example.Other"_s});
    reader->script(u"cleared"_s, {std::nullopt});
    const ChangePlan plan{{},
                          {change(u"unmoved"_s, u"com.example.Old"_s), change(u"other"_s, u"com.example.Old"_s),
                           change(u"never"_s, std::nullopt), change(u"cleared"_s, u"com.example.Old"_s)}};
    const ChangeExecutionResult result = executor(4, 0).execute(plan);
    EXPECT_EQ(reader->reads(u"unmoved"_s), 4);
    EXPECT_EQ(result.declinedChangeIDs, (QSet<QString>{u"unmoved:editor"_s, u"never:editor"_s}));
    EXPECT_EQ(result.failures.value(u"other:editor"_s),
              u"等待 macOS 确认后，系统仍返回 com.example.Other，目标为 com.example.Target。"
              "请检查系统确认窗口；该应用也可能未声明此格式对应的角色。"_s);
    EXPECT_TRUE(result.failures.value(u"cleared:editor"_s).contains(u"系统仍返回 未设置，"_s));
    EXPECT_EQ(result.failures.size(), 2);
    EXPECT_EQ(result.failureCode(u"other:editor"_s), ChangeFailureCode::notConfirmed);
    EXPECT_EQ(result.failureCode(u"cleared:editor"_s), ChangeFailureCode::notConfirmed);
    EXPECT_FALSE(result.failureCode(u"unmoved:editor"_s)) << "a declined change has no failure code";
    EXPECT_EQ(result.verificationResults.size(), 4);
    EXPECT_EQ(result.verificationResults[1].observedBundleIdentifier, u"com.example.Other"_s);
    EXPECT_FALSE(result.succeeded());
    for (auto wait : sleeper->waits)
        EXPECT_EQ(wait, 0ns);
}

TEST_F(ChangeExecutorTest, AttemptLimitsFollowTheWriteOutcome)
{
    reader->script(u"t"_s, {u"com.example.Old"_s});
    writer->outcome = AssociationWriteOutcome::confirmed;
    executor(121).execute({{}, {change(u"t"_s, u"com.example.Old"_s)}});
    EXPECT_EQ(reader->reads(u"t"_s), 7);
    executor(3).execute({{}, {change(u"u"_s, u"com.example.Old"_s)}});
    EXPECT_EQ(reader->reads(u"u"_s), 3);

    writer->outcome = AssociationWriteOutcome::declined;
    reader->script(u"accepted"_s, {u"com.example.Target"_s});
    const auto result = executor().execute(
        {{}, {change(u"declined"_s, u"com.example.Old"_s), change(u"accepted"_s, u"com.example.Old"_s)}});
    EXPECT_EQ(reader->reads(u"declined"_s), 1);
    EXPECT_EQ(result.declinedChangeIDs, QSet<QString>{u"declined:editor"_s});
    EXPECT_TRUE(result.verificationResults[1].succeeded);
    EXPECT_TRUE(result.failures.isEmpty());

    const AssociationChangeExecutor clamped = executor(0, -3);
    EXPECT_EQ(clamped.verificationAttempts(), 1);
    EXPECT_EQ(clamped.verificationInterval(), 0.0);
}

TEST_F(ChangeExecutorTest, WriteErrorsAreRecordedAndThePlanGoesOn)
{
    reader->script(u"a"_s, {u"com.example.Target"_s});
    reader->script(u"b"_s, {u"com.example.Old"_s});
    reader->script(u"c"_s, {u"com.example.Target"_s});
    writer->failingType = u"b"_s;
    const auto result = executor().execute(
        {{}, {change(u"a"_s, std::nullopt), change(u"b"_s, std::nullopt), change(u"c"_s, std::nullopt)}});
    EXPECT_EQ(writer->written.size(), 3);
    ASSERT_EQ(result.verificationResults.size(), 3);
    EXPECT_EQ(result.verificationResults[1].observedBundleIdentifier, u"com.example.Old"_s)
        << "the report names the handler in effect after the failed write";
    EXPECT_FALSE(result.verificationResults[1].succeeded);
    EXPECT_EQ(result.failures.keys(), QStringList{u"b:editor"_s});
    EXPECT_TRUE(result.failures.value(u"b:editor"_s).contains(u"-54"_s));
    EXPECT_EQ(result.failureCode(u"b:editor"_s), ChangeFailureCode::writeFailed);
    EXPECT_EQ(result.failureCodes.size(), 1);
    EXPECT_FALSE(result.succeeded());

    const auto empty = executor().execute({});
    EXPECT_TRUE(empty.succeeded());
    EXPECT_TRUE(QFile::exists(empty.snapshotURL.toLocalFile()));
}

TEST_F(ChangeExecutorTest, AnUnsavedSnapshotStopsEverythingBeforeAnyWrite)
{
    QFile blocker(system.root() + u"/blocker"_s);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const AssociationChangeExecutor blocked(writer,
                                            SnapshotStore(QUrl::fromLocalFile(blocker.fileName() + u"/Snapshots"_s)),
                                            VerificationService(reader), 121, 0.5, sleeper);
    EXPECT_THROW(blocked.execute({{}, {change(u"t"_s, std::nullopt)}}), std::exception);
    EXPECT_TRUE(writer->written.isEmpty());
}

TEST_F(ChangeExecutorTest, CancellationEndsWaitsButEveryChangeIsStillWrittenAndChecked)
{
    reader->script(u"slow"_s, {u"com.example.Old"_s});
    reader->script(u"quick"_s, {u"com.example.Target"_s});
    std::stop_source stop;
    stop.request_stop();
    const auto result = executor().execute(
        {{}, {change(u"slow"_s, u"com.example.Old"_s), change(u"quick"_s, u"com.example.Old"_s)}}, stop.get_token());
    EXPECT_EQ(writer->written.size(), 2);
    EXPECT_EQ(reader->reads(u"slow"_s), 1);
    EXPECT_EQ(result.failures.value(u"slow:editor"_s), u"The operation was cancelled."_s);
    EXPECT_FALSE(result.verificationResults[0].observedBundleIdentifier);
    EXPECT_TRUE(result.verificationResults[1].succeeded);
}

TEST(MonotonicSleeper, WakesAtOnceWhenStopped)
{
    MonotonicSleeper sleeper;
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_THROW(sleeper.sleep(1h, stopped.get_token()), CancellationError);

    std::stop_source later;
    std::jthread canceller([&] { later.request_stop(); });
    EXPECT_THROW(sleeper.sleep(1h, later.get_token()), CancellationError);
    EXPECT_NO_THROW(sleeper.sleep(0ns, {}));
}
