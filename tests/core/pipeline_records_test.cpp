#include "core/pipeline/failure_report_store.h"
#include "core/pipeline/snapshot_store.h"
#include "core/support/iso_date.h"
#include "core/support/strict_json.h"
#include "temporary_system.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using tessik::testing::TemporarySystem;

namespace {

AssociationChange change(const QString& type, const QStringList& extensions = {u"md"_s, u"markdown"_s})
{
    return {type, AssociationRole::shell, u"com.example.Old"_s, u"com.example.New"_s, extensions};
}

QByteArray contents(const QUrl& url)
{
    QFile file(url.toLocalFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void replaceFile(const QUrl& url, const QByteArray& data)
{
    QFile file(url.toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

} // namespace

TEST(SnapshotStore, WritesTheFileFormatAndReadsItBack)
{
    TemporarySystem system;
    const SnapshotStore store;
    EXPECT_TRUE(store.directory().toLocalFile().endsWith(u"/Library/Application Support/Tessik/Snapshots"_s));
    ChangePlan plan{{}, {change(u"t1"_s)}};
    plan.changes.append({u"t2"_s, AssociationRole::viewer, std::nullopt, u"com.example.New"_s, {}});
    AssociationSnapshot snapshot = store.makeSnapshot(plan);
    snapshot.createdAt = QDateTime(QDate(2025, 1, 31), QTime(8, 15, 0, 640), Qt::UTC);
    const QUrl url = store.save(snapshot);

    EXPECT_EQ(url.fileName(), RecordFolder::uuidText(snapshot.id) + u".json"_s);
    EXPECT_TRUE(QRegularExpression(u"^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.json$"_s)
                    .match(url.fileName())
                    .hasMatch());
    const QByteArray expected = "{\n    \"createdAt\": \"2025-01-31T08:15:00Z\",\n    \"handlers\": [\n        {\n"
                                "            \"bundleIdentifier\": \"com.example.Old\",\n"
                                "            \"role\": \"shell\",\n            \"typeIdentifier\": \"t1\"\n        },\n"
                                "        {\n            \"role\": \"viewer\",\n            \"typeIdentifier\": \"t2\"\n"
                                "        }\n    ],\n    \"id\": \"" +
                                RecordFolder::uuidText(snapshot.id).toUtf8() + "\"\n}\n";
    EXPECT_EQ(contents(url), expected);

    const AssociationSnapshot loaded = store.load(snapshot.id);
    EXPECT_EQ(loaded.id, snapshot.id);
    EXPECT_EQ(loaded.handlers, snapshot.handlers);
    EXPECT_EQ(loaded.createdAt, QDateTime(QDate(2025, 1, 31), QTime(8, 15, 0), Qt::UTC));
    EXPECT_EQ(store.ids(), QList<QUuid>{snapshot.id});

    const QByteArray saved = contents(url);
    replaceFile(url, QByteArray(saved).replace("2025-01-31T08:15:00Z", "2025-01-31T09:15:00+01:00"));
    EXPECT_EQ(store.load(snapshot.id).createdAt, loaded.createdAt);
    for (const auto& [from, to] :
         {std::pair{"2025-01-31T08:15:00Z", "2025-01-31T08:15:00.5Z"}, std::pair{"\"shell\"", "\"Shell\""}}) {
        replaceFile(url, QByteArray(saved).replace(from, to));
        EXPECT_THROW(store.load(snapshot.id), JsonDecodingError) << to;
    }
    EXPECT_THROW(store.load(QUuid::createUuid()), std::exception);
}

TEST(FailureReport, CollectsTheFailedChangesInPlanOrder)
{
    ChangeExecutionResult result;
    result.snapshotURL = QUrl::fromLocalFile(u"/tmp/S.json"_s);
    for (const QString& type : {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s})
        result.plan.changes.append(change(type));
    result.plan.changes[3].affectedExtensions.clear();
    for (const AssociationChange& c : result.plan.changes)
        result.verificationResults.append(
            {c, c.typeIdentifier == u"b"_s ? std::optional<QString>(u"com.x"_s) : std::nullopt,
             c.typeIdentifier == u"a"_s});
    result.failures = {{u"d:shell"_s, u"reason d"_s}, {u"b:shell"_s, u"reason b"_s}};
    result.failureCodes = {{u"b:shell"_s, ChangeFailureCode::notConfirmed}};
    result.declinedChangeIDs = {u"c:shell"_s};

    const FailureReport report = FailureReport::fromResult(result);
    ASSERT_EQ(report.entries.size(), 2);
    EXPECT_EQ(report.entries[0].reasonCode, ChangeFailureCode::notConfirmed);
    EXPECT_FALSE(report.entries[1].reasonCode);
    // The code is kept beside the text; a report without it, or with a code this version does not know, reads.
    const QJsonObject json = report.toJson();
    EXPECT_EQ(json.value(u"entries"_s).toArray()[0].toObject().value(u"reasonCode"_s), u"notConfirmed"_s);
    EXPECT_EQ(FailureReport::fromJson(json).entries, report.entries);
    QJsonArray entries = json.value(u"entries"_s).toArray();
    QJsonObject newer = entries[0].toObject();
    newer.insert(u"reasonCode"_s, u"somethingLater"_s);
    entries[0] = newer;
    QJsonObject older = json;
    older.insert(u"entries"_s, entries);
    const FailureReport read = FailureReport::fromJson(older);
    EXPECT_FALSE(read.entries[0].reasonCode);
    EXPECT_EQ(read.entries[0].reason, u"reason b"_s);
    EXPECT_EQ(report.entries[0].typeIdentifier, u"b"_s);
    EXPECT_EQ(report.entries[0].observedBundleIdentifier, u"com.x"_s);
    EXPECT_EQ(report.entries[1].reason, u"reason d"_s);
    EXPECT_EQ(report.snapshotPath, u"/tmp/S.json"_s);
    EXPECT_FALSE(report.toJson().value(u"entries"_s).toArray()[1].toObject().contains(u"observedBundleIdentifier"_s));

    const QString body = report.emailBody();
    EXPECT_TRUE(body.startsWith(u"Tessik 文件关联失败报告\n时间："_s + IsoDate::format(report.createdAt) + u"\n\n"_s));
    EXPECT_TRUE(body.contains(
        u"格式：.md, .markdown\n类型：b\n角色：shell\n目标：com.example.New\n实际：com.x\n原因：reason b"_s));
    EXPECT_TRUE(body.contains(u"原因：reason b\n\n格式：d\n"_s));
    EXPECT_TRUE(body.contains(u"实际：未设置\n"_s));
    EXPECT_TRUE(body.endsWith(u"\n\n快照：/tmp/S.json"_s));

    result.failures.clear();
    EXPECT_TRUE(FailureReport::fromResult(result).entries.isEmpty());
    const QString empty = FailureReport::fromResult(result).emailBody();
    EXPECT_TRUE(empty.endsWith(u"Z\n\n\n\n快照：/tmp/S.json"_s)) << qPrintable(empty);
}

TEST(FailureReport, FromAPlanThatCouldNotStart)
{
    TemporarySystem system;
    const FailureReport report =
        FailureReport::fromPlan({{}, {change(u"a"_s), change(u"b"_s), change(u"c"_s)}}, u"no snapshot"_s);
    ASSERT_EQ(report.entries.size(), 3);
    for (const auto& entry : report.entries)
        EXPECT_EQ(entry.reason, u"no snapshot"_s);
    EXPECT_FALSE(report.toJson().contains(u"snapshotPath"_s));
    EXPECT_TRUE(report.emailBody().endsWith(u"\n\n快照：无"_s));

    const FailureReportStore store;
    EXPECT_TRUE(store.directory().toLocalFile().endsWith(u"/Tessik/Failures"_s));
    const QUrl url = store.save(report);
    EXPECT_EQ(url.fileName(), RecordFolder::uuidText(report.id) + u".json"_s);
    FailureReport expected = report;
    expected.createdAt = QDateTime::fromSecsSinceEpoch(report.createdAt.toSecsSinceEpoch(), Qt::UTC);
    EXPECT_EQ(store.load(report.id), expected);
}

TEST(FailureReport, RecordsWhyTheSystemAnswersWhatItDoesForEachFailedChange)
{
    using platform::HandlerExplanation;
    ChangeExecutionResult result;
    for (const QString& type : {u"a"_s, u"b"_s})
        result.plan.changes.append(change(type));
    for (const AssociationChange& c : result.plan.changes)
        result.verificationResults.append({c, u"com.example.Kept"_s, c.typeIdentifier == u"a"_s});
    result.failures = {{u"b:shell"_s, u"reason b"_s}};
    HandlerExplanation kept{HandlerExplanation::Source::defaultApplications, u"com.example.Kept"_s, u"b"_s,
                            u"b-alias"_s, u"/home/u/.config/kde-mimeapps.list"_s, u"Default Applications"_s};
    kept.passedOver.append({u"gone.desktop"_s, HandlerExplanation::PassOverReason::removed, u"/x/mimeinfo.cache"_s,
                            u"MIME Cache"_s, u"parent/type"_s, u"/home/u/.config/mimeapps.list"_s});
    QStringList asked;
    const FailureReport report = FailureReport::fromResult(result, [&](const QString& type, AssociationRole role) {
        asked.append(type + u':' + rawValue(role));
        return std::optional(kept);
    });
    EXPECT_EQ(asked, QStringList{u"b:shell"_s}) << "only failed changes are explained";
    ASSERT_EQ(report.entries.size(), 1);
    EXPECT_EQ(report.entries[0].explanation, kept);
    EXPECT_EQ(FailureReport::fromJson(report.toJson()).entries, report.entries);

    // A report of an older version has none; one of a newer version may know sources and reasons this one does not.
    QJsonObject entry = report.toJson().value(u"entries"_s).toArray()[0].toObject();
    QJsonObject explanation = entry.take(u"explanation"_s).toObject();
    const auto withEntry = [&](const QJsonObject& changed) {
        QJsonObject json = report.toJson();
        json.insert(u"entries"_s, QJsonArray{changed});
        return FailureReport::fromJson(json).entries[0];
    };
    EXPECT_FALSE(withEntry(entry).explanation);
    explanation.insert(u"source"_s, u"somethingLater"_s);
    QJsonArray passed = explanation.value(u"passedOver"_s).toArray();
    QJsonObject newerReason = passed[0].toObject();
    newerReason.insert(u"reason"_s, u"somethingLater"_s);
    passed.append(newerReason);
    explanation.insert(u"passedOver"_s, passed);
    entry.insert(u"explanation"_s, explanation);
    const auto newer = withEntry(entry).explanation;
    ASSERT_TRUE(newer);
    EXPECT_EQ(newer->source, HandlerExplanation::Source::system);
    EXPECT_EQ(newer->passedOver, kept.passedOver);
    entry.insert(u"explanation"_s, u"not an object"_s);
    EXPECT_THROW(withEntry(entry), JsonDecodingError);
}
