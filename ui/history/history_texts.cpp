#include "history_texts.h"

#include "app/l10n/l10n.h"
#include "app/model/app_model.h"
#include "core/records/url_scheme.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace tessik::ui {

QString HistoryTexts::subject(const AppModel& model, const QString& typeIdentifier, AssociationRole role)
{
    const QString& language = model.languageCode();
    QString label = model.label(typeIdentifier);
    if (label == typeIdentifier)
        if (const auto scheme = URLScheme::fromIdentifier(typeIdentifier))
            label = L10n::text(u"{scheme} 链接"_s, language, {{u"scheme"_s, *scheme}});
    switch (role) {
    case AssociationRole::viewer:
        return L10n::text(u"{format}（查看器）"_s, language, {{u"format"_s, label}});
    case AssociationRole::editor:
        return L10n::text(u"{format}（编辑器）"_s, language, {{u"format"_s, label}});
    case AssociationRole::shell:
        return L10n::text(u"{format}（Shell）"_s, language, {{u"format"_s, label}});
    case AssociationRole::all:
        break;
    }
    return label;
}

QString HistoryTexts::when(const AppModel& model, const QDateTime& time)
{
    return QLocale(model.languageCode()).toString(time.toLocalTime(), QLocale::ShortFormat);
}

QString HistoryTexts::outcome(const AppModel& model, const HistoryEntry::Change& change)
{
    const QString& language = model.languageCode();
    if (!change.outcome)
        return L10n::text(u"未记录"_s, language);
    switch (*change.outcome) {
    case ChangeRecord::Outcome::succeeded:
        return L10n::text(u"已生效"_s, language);
    case ChangeRecord::Outcome::declined:
        return L10n::text(u"未被接受"_s, language);
    case ChangeRecord::Outcome::failed:
        break;
    }
    return L10n::text(u"失败"_s, language);
}

QString HistoryTexts::summary(const AppModel& model, const HistoryEntry& entry)
{
    const QString& language = model.languageCode();
    const auto number = [](qsizetype count) { return QString::number(count); };
    QStringList parts{L10n::text(u"{count} 项更改"_s, language, {{u"count"_s, number(entry.changes.size())}})};
    if (!entry.recorded) {
        parts.append(L10n::text(u"结果未记录"_s, language));
    } else {
        parts.append(L10n::text(u"{count} 项已生效"_s, language,
                                {{u"count"_s, number(entry.count(ChangeRecord::Outcome::succeeded))}}));
        if (const int declined = entry.count(ChangeRecord::Outcome::declined))
            parts.append(L10n::text(u"{count} 项未被接受"_s, language, {{u"count"_s, number(declined)}}));
        if (const int failed = entry.count(ChangeRecord::Outcome::failed))
            parts.append(L10n::text(u"{count} 项失败"_s, language, {{u"count"_s, number(failed)}}));
    }
    if (const int gone = entry.goneCount())
        parts.append(L10n::text(u"{count} 个原应用已不在此电脑上"_s, language, {{u"count"_s, number(gone)}}));
    return parts.join(u" · "_s);
}

QString HistoryTexts::obstacle(const AppModel& model, const SnapshotRestore::Skipped& skipped)
{
    const QString format = subject(model, skipped.handler.typeIdentifier, skipped.handler.role);
    if (skipped.obstacle == SnapshotRestore::Obstacle::noPreviousHandler)
        return L10n::text(u"无法恢复 {format}：原先没有默认应用"_s, model.languageCode(), {{u"format"_s, format}});
    return L10n::text(u"无法恢复 {format}：{app} 已不在此电脑上"_s, model.languageCode(),
                      {{u"format"_s, format}, {u"app"_s, model.appName(skipped.handler.bundleIdentifier)}});
}

} // namespace tessik::ui
