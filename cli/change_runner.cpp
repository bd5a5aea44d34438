#include "change_runner.h"

#include "app/model/catalog_loader.h"
#include "app/model/change_applier.h"
#include "core/catalog/custom_association_store.h"
#include "platform/workspace.h"

#include <QSet>

#include <iostream>
#include <string>

using namespace Qt::StringLiterals;

namespace tessik::cli {
namespace {

// Restores the previous confirmation handler when the run ends.
class ConfirmationScope
{
public:
    ConfirmationScope(bool assumeYes, QTextStream& err)
    {
        platform::Workspace::setConfirmationHandler([assumeYes, &err](const platform::DefaultApplicationQuestion& q) {
            if (assumeYes)
                return true;
            err << u"Make “%1” (%2) the default application for %3 (%4) in every role? [y/N] "_s.arg(
                q.applicationName, q.bundleIdentifier, q.contentTypeDescription, q.contentType);
            err.flush();
            std::string answer;
            if (!std::getline(std::cin, answer))
                return false;
            const QString text = QString::fromStdString(answer).trimmed().toLower();
            return text == u"y"_s || text == u"yes"_s;
        });
    }
    ~ConfirmationScope() { platform::Workspace::setConfirmationHandler({}); }
};

constexpr int maximumWaitSeconds = 86400;

} // namespace

ChangeRunner::ChangeRunner(CliStreams& io, const QCommandLineParser& parser)
    : m_io(io), m_assumeYes(parser.isSet(u"yes"_s))
{
    bool ok = false;
    const QString text = parser.value(u"wait"_s);
    const double seconds = text.toDouble(&ok);
    if (!ok || !(seconds >= 0 && seconds <= maximumWaitSeconds))
        throw UsageError(u"--wait needs a number of seconds from 0 to %1, not “%2”"_s.arg(
            QString::number(maximumWaitSeconds), text));
    m_attempts = ChangeApplier::attemptsWithin(seconds);
}

void ChangeRunner::addChangeOptions(QCommandLineParser& parser)
{
    parser.addOption({u"yes"_s, u"Answer the system's confirmation with yes."_s});
    parser.addOption({u"wait"_s,
                      u"How long to keep checking that a change took, in seconds (default 60; 0 checks once)."_s,
                      u"seconds"_s, QString::number(ChangeApplier::defaultWaitSeconds)});
}

int ChangeRunner::run(const QList<ChangeRequest>& requests) const
{
    LoadedCatalog catalog;
    try {
        catalog = CatalogLoader::load(CustomAssociationStore().load(), CatalogLoader::chooseKnowledge(std::nullopt));
    } catch (const std::exception& error) {
        m_io.err << u"读取失败：%1\n"_s.arg(QString::fromUtf8(error.what()));
        return 1;
    }
    QSet<QString> installed;
    for (const InstalledApp& app : catalog.apps)
        installed.insert(app.bundleIdentifier);
    for (const ChangeRequest& request : requests) {
        if (!installed.contains(request.targetBundleIdentifier)) {
            m_io.err << u"No installed application has the bundle identifier %1.\n"_s.arg(
                request.targetBundleIdentifier);
            return 1;
        }
    }

    ChangePlan plan;
    try {
        plan = ChangeApplier::plan(requests, ChangeApplier::knownExtensions(catalog.associations));
    } catch (const std::exception& error) {
        m_io.err << QString::fromUtf8(error.what()) << u'\n';
        return 1;
    }
    QSet<QString> planned;
    for (const AssociationChange& change : plan.changes)
        planned.insert(change.id());
    for (const ChangeRequest& request : requests) {
        const QString id = request.typeIdentifier + u':' + rawValue(request.role);
        if (!planned.contains(id))
            m_io.out << u"already in effect  "_s << id << u" → "_s << request.targetBundleIdentifier << u'\n';
    }
    if (plan.changes.isEmpty())
        return 0;

    const ConfirmationScope confirmation(m_assumeYes, m_io.err);
    const AppliedChanges applied =
        ChangeApplier::execute(plan, {}, ChangeApplier::whatOf, std::make_shared<MonotonicSleeper>(), m_attempts);
    bool allTook = true;
    if (applied.result) {
        for (const VerificationResult& verification : applied.result->verificationResults) {
            const QString id = verification.change.id();
            QString outcome = u"succeeded"_s;
            if (applied.result->declinedChangeIDs.contains(id))
                outcome = u"declined"_s;
            else if (applied.result->failures.contains(id))
                outcome = u"failed: "_s + applied.result->failures.value(id);
            else if (!verification.succeeded)
                outcome = u"failed: 验证失败"_s;
            allTook = allTook && verification.succeeded;
            m_io.out << outcome << u"  "_s << id << u" → "_s << verification.change.targetBundleIdentifier
                     << u" (was "_s << verification.change.previousBundleIdentifier.value_or(u"未设置"_s) << u")\n"_s;
        }
        m_io.out << u"snapshot: "_s << applied.result->snapshotURL.toLocalFile() << u'\n';
    } else {
        allTook = false;
        m_io.out << u"无法执行更改：%1\n"_s.arg(*applied.executionError);
    }
    if (applied.reportPath)
        m_io.out << u"failure report: "_s << *applied.reportPath << u'\n';
    if (applied.reportError)
        m_io.out << u"保存失败原因时出错：%1\n"_s.arg(*applied.reportError);
    return allTook ? 0 : 1;
}

} // namespace tessik::cli
