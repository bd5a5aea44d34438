#include "failure_texts.h"

#include "app/l10n/handler_explanation_text.h"
#include "app/l10n/l10n.h"
#include "app/model/catalog_display_index.h"
#include "core/support/iso_date.h"

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

QString notSet(const QString& language)
{
    return L10n::text(u"未设置"_s, language);
}

} // namespace

QString FailureTexts::subject(const QStringList& extensions, const QString& typeIdentifier)
{
    return extensions.isEmpty() ? typeIdentifier : CatalogDisplayIndex::label(extensions);
}

QString FailureTexts::reason(std::optional<ChangeFailureCode> code, const QString& recorded,
                             const std::optional<QString>& observed, const QString& target, const QString& language)
{
    if (code != ChangeFailureCode::notConfirmed)
        return recorded;
    return L10n::text(
        u"等待 macOS 确认后，系统仍返回 {observed}，目标为 {target}。请检查系统确认窗口；该应用也可能未声明此格式对应的角色。"_s,
        language, {{u"observed"_s, observed.value_or(notSet(language))}, {u"target"_s, target}});
}

QString FailureTexts::roleName(AssociationRole role, const QString& language)
{
    switch (role) {
    case AssociationRole::all:
        return L10n::text(u"默认打开方式（所有角色）"_s, language);
    case AssociationRole::viewer:
        return L10n::text(u"默认查看器"_s, language);
    case AssociationRole::editor:
    case AssociationRole::shell:
        return L10n::text(u"默认编辑器"_s, language);
    }
    return {};
}

QString FailureTexts::savedLine(const SavedReport& saved, const QString& language)
{
    if (saved.path)
        return L10n::text(u"失败原因已记录：{path}"_s, language, {{u"path"_s, *saved.path}});
    return L10n::text(u"保存失败原因时出错：{reason}"_s, language,
                      {{u"reason"_s, saved.error.value_or(u"Unknown error"_s)}});
}

QString FailureTexts::failureMessage(const ChangeExecutionResult& result, const SavedReport& saved,
                                     const QString& language)
{
    QStringList lines;
    for (const VerificationResult& verification : result.verificationResults) {
        const AssociationChange& change = verification.change;
        if (verification.succeeded || result.declinedChangeIDs.contains(change.id()))
            continue;
        const auto failure = result.failures.constFind(change.id());
        const QString recorded = failure != result.failures.cend() ? *failure : L10n::text(u"验证失败"_s, language);
        lines.append(subject(change.affectedExtensions, change.typeIdentifier) + u"："_s +
                     reason(result.failureCode(change.id()), recorded, verification.observedBundleIdentifier,
                            change.targetBundleIdentifier, language));
    }
    return L10n::text(u"以下格式修改失败："_s, language) + u'\n' + lines.join(u'\n') + u"\n\n"_s +
           savedLine(saved, language);
}

QString FailureTexts::executionErrorMessage(const QString& reason, const SavedReport& saved, const QString& language)
{
    return L10n::text(u"无法执行更改：{reason}"_s, language, {{u"reason"_s, reason}}) + u"\n\n"_s +
           savedLine(saved, language);
}

QString FailureTexts::body(const FailureReport& report, const QString& language)
{
    const auto tr = [&language](const QString& key, const QString& name, const QString& value) {
        return L10n::text(key, language, {{name, value}});
    };
    const HandlerExplanationText::Names names = HandlerExplanationText::identifiers();
    QStringList entries;
    for (const FailureReport::Entry& entry : report.entries) {
        QStringList lines{
            tr(u"格式：{format}"_s, u"format"_s, subject(entry.extensions, entry.typeIdentifier)),
            tr(u"类型：{type}"_s, u"type"_s, entry.typeIdentifier),
            tr(u"角色：{role}"_s, u"role"_s, roleName(entry.role, language)),
            tr(u"目标：{target}"_s, u"target"_s, entry.targetBundleIdentifier),
            tr(u"实际：{observed}"_s, u"observed"_s, entry.observedBundleIdentifier.value_or(notSet(language))),
            tr(u"原因：{reason}"_s, u"reason"_s,
               reason(entry.reasonCode, entry.reason, entry.observedBundleIdentifier, entry.targetBundleIdentifier,
                      language)),
        };
        if (entry.explanation)
            lines.append(tr(u"依据：{explanation}"_s, u"explanation"_s,
                            HandlerExplanationText::line(*entry.explanation, entry.typeIdentifier, names, language)));
        entries.append(lines.join(u'\n'));
    }
    return L10n::text(u"Tessik 文件关联失败报告"_s, language) + u'\n' +
           tr(u"时间：{date}"_s, u"date"_s, IsoDate::format(report.createdAt)) + u"\n\n"_s + entries.join(u"\n\n"_s) +
           u"\n\n"_s + tr(u"快照：{path}"_s, u"path"_s, report.snapshotPath.value_or(notSet(language)));
}

QUrl FailureTexts::failureEmail(const FailureReport& report, const QString& language)
{
    return mailDraft(L10n::text(u"Tessik 文件关联失败反馈"_s, language), body(report, language));
}

QUrl FailureTexts::mailDraft(const QString& subject, const QString& body)
{
    // Encoded by hand: every reserved character of the texts, "&" and "+" included, must survive the round trip.
    const auto encoded = [](const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); };
    QUrl url;
    url.setScheme(u"mailto"_s);
    url.setQuery(u"subject="_s + encoded(subject) + u"&body="_s + encoded(body), QUrl::StrictMode);
    return url;
}

} // namespace tessik
