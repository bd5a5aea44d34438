#include "change_runner.h"

#include "app/l10n/platform_texts.h"
#include "app/model/catalog_loader.h"
#include "app/model/change_applier.h"
#include "app/model/failure_texts.h"
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
    ConfirmationScope(bool assumeYes, CliStreams& io)
    {
        platform::Workspace::setConfirmationHandler([assumeYes, &io](const platform::DefaultApplicationQuestion& q) {
            if (assumeYes)
                return true;
            // The answer stays y or yes in every language, as the prompt shows.
            io.err << L10n::text(u"要在所有角色中将“{app}”（{id}）设为{format}（{type}）的默认应用吗？[y/N] "_s,
                                 io.language,
                                 {{u"app"_s, q.applicationName},
                                  {u"id"_s, q.bundleIdentifier},
                                  {u"format"_s, q.contentTypeDescription},
                                  {u"type"_s, q.contentType}});
            io.err.flush();
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
        throw UsageError(L10n::text(u"--wait 需要 0 到 {maximum} 之间的秒数，而不是“{value}”"_s, io.language,
                                    {{u"maximum"_s, QString::number(maximumWaitSeconds)}, {u"value"_s, text}}));
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
    const QString& language = m_io.language;
    LoadedCatalog catalog;
    try {
        catalog = CatalogLoader::load(CustomAssociationStore().load(), CatalogLoader::chooseKnowledge(std::nullopt));
    } catch (const std::exception& error) {
        m_io.err << L10n::text(u"读取失败：{reason}"_s, language, {{u"reason"_s, L10n::error(error, language)}})
                 << u'\n';
        return 1;
    }
    QSet<QString> installed;
    for (const InstalledApp& app : catalog.apps)
        installed.insert(app.bundleIdentifier);
    for (const ChangeRequest& request : requests) {
        if (!installed.contains(request.targetBundleIdentifier)) {
            m_io.err << PlatformTexts::noInstalledApp(request.targetBundleIdentifier, language) << u'\n';
            return 1;
        }
    }

    ChangePlan plan;
    try {
        plan = ChangeApplier::plan(requests, ChangeApplier::knownExtensions(catalog.associations));
    } catch (const std::exception& error) {
        m_io.err << L10n::error(error, language) << u'\n';
        return 1;
    }
    QSet<QString> planned;
    for (const AssociationChange& change : plan.changes)
        planned.insert(change.id());
    for (const ChangeRequest& request : requests) {
        const QString id = request.typeIdentifier + u':' + rawValue(request.role);
        if (!planned.contains(id))
            m_io.out << L10n::text(u"已生效  {change} → {app}"_s, language,
                                   {{u"change"_s, id}, {u"app"_s, request.targetBundleIdentifier}})
                     << u'\n';
    }
    if (plan.changes.isEmpty())
        return 0;

    const ConfirmationScope confirmation(m_assumeYes, m_io);
    const AppliedChanges applied = ChangeApplier::execute(
        plan, {}, [&language](const std::exception& error) { return L10n::error(error, language); },
        std::make_shared<MonotonicSleeper>(), m_attempts);
    bool allTook = true;
    if (applied.result) {
        for (const VerificationResult& verification : applied.result->verificationResults) {
            const AssociationChange& change = verification.change;
            const QString id = change.id();
            QString outcome = L10n::text(u"成功"_s, language);
            if (applied.result->declinedChangeIDs.contains(id)) {
                outcome = L10n::text(u"已拒绝"_s, language);
            } else if (applied.result->failures.contains(id)) {
                outcome = L10n::text(u"失败：{reason}"_s, language,
                                     {{u"reason"_s, FailureTexts::reason(applied.result->failureCode(id),
                                                                         applied.result->failures.value(id),
                                                                         verification.observedBundleIdentifier,
                                                                         change.targetBundleIdentifier, language)}});
            } else if (!verification.succeeded) {
                outcome =
                    L10n::text(u"失败：{reason}"_s, language, {{u"reason"_s, L10n::text(u"验证失败"_s, language)}});
            }
            allTook = allTook && verification.succeeded;
            m_io.out << L10n::text(u"{outcome}  {change} → {app}（原为 {previous}）"_s, language,
                                   {{u"outcome"_s, outcome},
                                    {u"change"_s, id},
                                    {u"app"_s, change.targetBundleIdentifier},
                                    {u"previous"_s,
                                     change.previousBundleIdentifier.value_or(L10n::text(u"未设置"_s, language))}})
                     << u'\n';
        }
        m_io.out << L10n::text(u"快照：{path}"_s, language, {{u"path"_s, applied.result->snapshotURL.toLocalFile()}})
                 << u'\n';
    } else {
        allTook = false;
        m_io.out << L10n::text(u"无法执行更改：{reason}"_s, language, {{u"reason"_s, *applied.executionError}})
                 << u'\n';
    }
    if (applied.reportPath)
        m_io.out << L10n::text(u"失败原因已记录：{path}"_s, language, {{u"path"_s, *applied.reportPath}}) << u'\n';
    if (applied.reportError)
        m_io.out << L10n::text(u"保存失败原因时出错：{reason}"_s, language, {{u"reason"_s, *applied.reportError}})
                 << u'\n';
    return allTook ? 0 : 1;
}

} // namespace tessik::cli
