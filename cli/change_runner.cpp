#include "change_runner.h"

#include "app/l10n/platform_texts.h"
#include "app/model/catalog_loader.h"
#include "app/model/change_applier.h"
#include "app/model/failure_texts.h"
#include "core/catalog/custom_association_store.h"
#include "core/records/url_scheme.h"
#include "platform/uniform_type.h"
#include "platform/workspace.h"
#include "terminal_text.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tessik::cli {
namespace {

// How a change is named on a line: a link has one role, so its scheme alone names it.
QString changeName(const QString& typeIdentifier, AssociationRole role)
{
    return URLScheme::isIdentifier(typeIdentifier) ? typeIdentifier : typeIdentifier + u':' + rawValue(role);
}

// The yes-words of the interface's languages, besides y and yes; compared after NFKC folding and lower-casing.
bool isYes(const QString& answer)
{
    static const QSet<QString> words{u"y"_s, u"yes"_s, u"是"_s, u"是的"_s, u"好"_s,   u"oui"_s, u"o"_s, u"ja"_s,
                                     u"j"_s, u"sí"_s,  u"si"_s, u"s"_s,    u"はい"_s, u"예"_s,  u"네"_s};
    return words.contains(answer.normalized(QString::NormalizationForm_KC).trimmed().toLower());
}

bool isTerminal(FILE* stream)
{
    return ::isatty(::fileno(stream)) == 1;
}

// Asks on the terminal (or answers yes for --yes) while a run lasts, remembering the types the person refused.
class ConfirmationScope
{
public:
    ConfirmationScope(bool assumeYes, CliStreams& io)
    {
        platform::Workspace::setConfirmationHandler([this, assumeYes,
                                                     &io](const platform::DefaultApplicationQuestion& q) {
            if (assumeYes)
                return true;
            io.err << L10n::text(u"要在所有角色中将“{app}”（{id}）设为{format}（{type}）的默认应用吗？"_s, io.language,
                                 {{u"app"_s, TerminalText::escaped(q.applicationName)},
                                  {u"id"_s, TerminalText::escaped(q.bundleIdentifier)},
                                  {u"format"_s, TerminalText::escaped(q.contentTypeDescription)},
                                  {u"type"_s, q.contentType}})
                   << u' ' << L10n::text(u"[y/N] "_s, io.language);
            if (!isTerminal(stdin))
                io.err << u'\n' << L10n::text(u"标准输入不是终端：用 --yes 回答“是”。"_s, io.language) << u'\n';
            io.err.flush();
            std::string answer;
            const bool yes = std::getline(std::cin, answer) && isYes(QString::fromStdString(answer));
            if (!yes)
                m_refused.insert(q.contentType);
            return yes;
        });
    }
    ~ConfirmationScope() { platform::Workspace::setConfirmationHandler({}); }

    const QSet<QString>& refused() const { return m_refused; }

private:
    QSet<QString> m_refused;
};

// Shows on a terminal, in one line updated in place, how long the run has waited for changes to take.
class ProgressSleeper : public Sleeper
{
public:
    explicit ProgressSleeper(CliStreams& io) : m_io(io), m_shown(isTerminal(stderr)) {}
    ~ProgressSleeper() override
    {
        if (m_shown && m_waited.count() > 0) {
            m_io.err << u"\r\x1b[K"_s;
            m_io.err.flush();
        }
    }

    void sleep(std::chrono::nanoseconds duration, std::stop_token stop) override
    {
        if (m_shown) {
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(m_waited).count();
            m_io.err << u'\r'
                     << L10n::text(u"正在等待更改生效…已等 {seconds} 秒，按 Ctrl-C 停止等待"_s, m_io.language,
                                   {{u"seconds"_s, QString::number(seconds)}})
                     << u"\x1b[K"_s;
            m_io.err.flush();
        }
        m_waited += duration;
        m_inner.sleep(duration, stop);
    }

private:
    CliStreams& m_io;
    bool m_shown;
    std::chrono::nanoseconds m_waited{0};
    MonotonicSleeper m_inner;
};

constexpr int maximumWaitSeconds = 86400;

} // namespace

ChangeRunner::ChangeRunner(CliStreams& io, const QCommandLineParser& parser)
    : m_io(io), m_assumeYes(parser.isSet(u"yes"_s)), m_json(parser.isSet(u"json"_s))
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
    parser.addOption({u"yes"_s, u"Answer the system’s confirmation with yes."_s});
    parser.addOption({u"json"_s, u"Print how each change ended as JSON: changes (typeIdentifier, role, "
                                 "bundleIdentifier, previousBundleIdentifier, outcome, reason), snapshotPath, "
                                 "reportPath, registeredTypes."_s});
    parser.addOption({u"wait"_s,
                      u"How long to keep checking that a change took, in seconds (default 60; 0 checks once)."_s,
                      u"seconds"_s, QString::number(ChangeApplier::defaultWaitSeconds)});
}

int ChangeRunner::run(const QList<ChangeRequest>& requests, const AppScanner::Result& scanned) const
{
    const QString& language = m_io.language;
    // What the plan needs of the catalog, and nothing more: the applications and the extensions of its types.
    QList<InstalledApp> apps;
    QHash<QString, QStringList> known;
    try {
        const QList<CustomAssociation> custom = CustomAssociationStore().load();
        apps = CatalogLoader::withCustomApps(scanned.apps, custom);
        QStringList types;
        for (const ChangeRequest& request : requests)
            types.append(request.typeIdentifier);
        known = CatalogLoader::knownExtensions(apps, custom, CatalogLoader::chooseKnowledge(std::nullopt),
                                               scanned.capabilities, types);
    } catch (const std::exception& error) {
        m_io.err << L10n::text(u"读取失败：{reason}"_s, language, {{u"reason"_s, L10n::error(error, language)}})
                 << u'\n';
        return 1;
    }
    QSet<QString> installed;
    for (const InstalledApp& app : std::as_const(apps))
        installed.insert(app.bundleIdentifier);
    for (const ChangeRequest& request : requests) {
        if (!installed.contains(request.targetBundleIdentifier)) {
            m_io.err << PlatformTexts::noInstalledApp(request.targetBundleIdentifier, language) << u'\n';
            return 1;
        }
    }

    ChangePlan plan;
    try {
        plan = ChangeApplier::plan(requests, known);
    } catch (const std::exception& error) {
        m_io.err << L10n::error(error, language) << u'\n';
        return 1;
    }

    QJsonArray rows;
    QJsonObject summary;
    const auto report = [&](const QString& outcome, const QString& line, QJsonObject row) {
        if (m_json) {
            row.insert(u"outcome"_s, outcome);
            rows.append(row);
        } else {
            m_io.out << line << u'\n';
        }
    };
    QSet<QString> planned;
    for (const AssociationChange& change : plan.changes)
        planned.insert(change.id());
    for (const ChangeRequest& request : requests) {
        const QString id = request.typeIdentifier + u':' + rawValue(request.role);
        if (!planned.contains(id))
            report(u"alreadyInEffect"_s,
                   L10n::text(u"已生效  {change} → {app}"_s, language,
                              {{u"change"_s, changeName(request.typeIdentifier, request.role)},
                               {u"app"_s, TerminalText::escaped(request.targetBundleIdentifier)}}),
                   {{u"typeIdentifier"_s, request.typeIdentifier},
                    {u"role"_s, rawValue(request.role)},
                    {u"bundleIdentifier"_s, request.targetBundleIdentifier}});
    }

    // A desktop writes a MIME type of its own for an extension no type claims.
    QList<std::pair<QString, QString>> newTypes;
    if (!PlatformTexts::isMac()) {
        for (const AssociationChange& change : plan.changes) {
            const auto type = platform::UTType::typeWithIdentifier(change.typeIdentifier);
            if (type && type->isDynamic() && !type->preferredFilenameExtension().isEmpty())
                newTypes.append({change.typeIdentifier, type->preferredFilenameExtension()});
        }
    }

    bool allTook = true;
    if (!plan.changes.isEmpty()) {
        const ConfirmationScope confirmation(m_assumeYes, m_io);
        AppliedChanges applied;
        {
            const auto sleeper = std::make_shared<ProgressSleeper>(m_io);
            applied = ChangeApplier::execute(
                plan, {}, [&language](const std::exception& error) { return L10n::error(error, language); }, sleeper,
                m_attempts);
        }
        if (applied.result) {
            bool anyTook = false;
            for (const VerificationResult& verification : applied.result->verificationResults)
                anyTook = anyTook || verification.succeeded;
            // Nothing to put back when the person said no to every change.
            const bool allRefused = !anyTook && applied.result->declinedChangeIDs.size() == plan.changes.size() &&
                                    confirmation.refused().size() > 0 &&
                                    std::all_of(plan.changes.begin(), plan.changes.end(), [&](const auto& change) {
                                        return confirmation.refused().contains(change.typeIdentifier);
                                    });
            if (allRefused)
                ChangeApplier::forget(*applied.result);
            else
                summary.insert(u"snapshotPath"_s, applied.result->snapshotURL.toLocalFile());

            for (const VerificationResult& verification : applied.result->verificationResults) {
                const AssociationChange& change = verification.change;
                const QString id = change.id();
                QString outcome = u"succeeded"_s;
                QString outcomeText = L10n::text(u"成功"_s, language);
                QString reason;
                if (applied.result->declinedChangeIDs.contains(id)) {
                    outcome = u"declined"_s;
                    reason = confirmation.refused().contains(change.typeIdentifier)
                                 ? L10n::text(u"确认时回答了“否”"_s, language)
                                 : L10n::text(u"系统保留了原来的应用"_s, language);
                    outcomeText = L10n::text(u"已拒绝（{reason}）"_s, language, {{u"reason"_s, reason}});
                } else if (applied.result->failures.contains(id)) {
                    outcome = u"failed"_s;
                    reason =
                        FailureTexts::reason(applied.result->failureCode(id), applied.result->failures.value(id),
                                             verification.observedBundleIdentifier, change.targetBundleIdentifier,
                                             language);
                    outcomeText = L10n::text(u"失败：{reason}"_s, language, {{u"reason"_s, reason}});
                } else if (!verification.succeeded) {
                    outcome = u"failed"_s;
                    reason = L10n::text(u"验证失败"_s, language);
                    outcomeText = L10n::text(u"失败：{reason}"_s, language, {{u"reason"_s, reason}});
                }
                allTook = allTook && verification.succeeded;
                QJsonObject row{{u"typeIdentifier"_s, change.typeIdentifier},
                                {u"role"_s, rawValue(change.role)},
                                {u"bundleIdentifier"_s, change.targetBundleIdentifier},
                                {u"previousBundleIdentifier"_s, change.previousBundleIdentifier
                                                                    ? QJsonValue(*change.previousBundleIdentifier)
                                                                    : QJsonValue()}};
                if (!reason.isEmpty())
                    row.insert(u"reason"_s, reason);
                report(outcome,
                       L10n::text(u"{outcome}  {change} → {app}（原为 {previous}）"_s, language,
                                  {{u"outcome"_s, outcomeText},
                                   {u"change"_s, changeName(change.typeIdentifier, change.role)},
                                   {u"app"_s, TerminalText::escaped(change.targetBundleIdentifier)},
                                   {u"previous"_s, TerminalText::escaped(change.previousBundleIdentifier.value_or(
                                                       L10n::text(u"未设置"_s, language)))}}),
                       row);
            }
            QJsonArray registered;
            for (const auto& [type, extension] : newTypes) {
                registered.append(type);
                if (!m_json)
                    m_io.out << L10n::text(u"已为 .{extension} 注册新的 MIME 类型 {type}"_s, language,
                                           {{u"extension"_s, extension}, {u"type"_s, type}})
                             << u'\n';
            }
            if (!registered.isEmpty())
                summary.insert(u"registeredTypes"_s, registered);
            if (!m_json && !allRefused)
                m_io.out << L10n::text(u"快照：{path}"_s, language,
                                       {{u"path"_s, applied.result->snapshotURL.toLocalFile()}})
                         << u'\n';
        } else {
            allTook = false;
            summary.insert(u"error"_s, *applied.executionError);
            if (!m_json)
                m_io.out << L10n::text(u"无法执行更改：{reason}"_s, language, {{u"reason"_s, *applied.executionError}})
                         << u'\n';
        }
        if (applied.reportPath) {
            summary.insert(u"reportPath"_s, *applied.reportPath);
            if (!m_json)
                m_io.out << L10n::text(u"失败原因已记录：{path}"_s, language, {{u"path"_s, *applied.reportPath}})
                         << u'\n';
        }
        if (applied.reportError) {
            summary.insert(u"reportError"_s, *applied.reportError);
            if (!m_json)
                m_io.out << L10n::text(u"保存失败原因时出错：{reason}"_s, language,
                                       {{u"reason"_s, *applied.reportError}})
                         << u'\n';
        }
    }
    if (m_json) {
        summary.insert(u"changes"_s, rows);
        printJson(m_io.out, summary);
    }
    return allTook ? 0 : 1;
}

} // namespace tessik::cli
