#include "handler_explanation_text.h"

#include "l10n.h"
#include "platform/file_manager.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

using Explanation = platform::HandlerExplanation;

QString appName(const HandlerExplanationText::Names& names, const QString& identifier)
{
    return names.app ? names.app(identifier) : identifier;
}

QString typeName(const HandlerExplanationText::Names& names, const QString& identifier)
{
    return names.type ? names.type(identifier) : identifier;
}

bool isOtherType(const Explanation& explanation, const QString& asked)
{
    return !explanation.decidingType.isEmpty() && explanation.decidingType.compare(asked, Qt::CaseInsensitive) != 0;
}

// How the deciding entry reached the type asked about, when not directly: a sentence that names the deciding type
// only marks it as a parent; one that does not, names it.
QString route(const Explanation& explanation, const QString& asked, bool sentenceNamesType,
              const HandlerExplanationText::Names& names, const QString& language)
{
    QString text;
    if (isOtherType(explanation, asked))
        text = sentenceNamesType ? L10n::text(u"（上级类型）"_s, language)
                                 : L10n::text(u"（经由上级类型 {type}）"_s, language,
                                              {{u"type"_s, typeName(names, explanation.decidingType)}});
    if (!explanation.listedAs.isEmpty())
        text += L10n::text(u"（经由别名 {alias}）"_s, language, {{u"alias"_s, explanation.listedAs}});
    return text;
}

} // namespace

HandlerExplanationText::Names HandlerExplanationText::identifiers()
{
    return {{}, {}, platform::FileManager::homeDirectoryForCurrentUser().toLocalFile()};
}

QString HandlerExplanationText::displayPath(const QString& path, const QString& home)
{
    const QString cleanHome = QDir::cleanPath(home);
    if (!home.isEmpty() && cleanHome != u"/"_s && path.startsWith(cleanHome + u'/'))
        return u'~' + path.mid(cleanHome.size());
    return path;
}

QString HandlerExplanationText::decision(const Explanation& explanation, const QString& asked, const Names& names,
                                         const QString& language)
{
    using Source = Explanation::Source;
    const QString handler = explanation.handler ? appName(names, *explanation.handler) : QString();
    const L10n::Values values{{u"file"_s, displayPath(explanation.file, names.home)},
                              {u"app"_s, handler},
                              {u"type"_s, typeName(names, explanation.decidingType)}};
    switch (explanation.source) {
    case Source::none:
        return L10n::text(u"没有应用打开此格式"_s, language);
    case Source::storedAllRoles:
        return L10n::text(u"在 {file} 中设为所有角色的默认应用"_s, language, values);
    case Source::storedRole:
        if (explanation.group.endsWith(u"Editor"_s))
            return L10n::text(u"在 {file} 中设为默认编辑器"_s, language, values);
        if (explanation.group.endsWith(u"Shell"_s))
            return L10n::text(u"在 {file} 中设为 Shell 的默认应用"_s, language, values);
        return L10n::text(u"在 {file} 中设为默认查看器"_s, language, values);
    case Source::claimant: {
        const QString via = route(explanation, asked, true, names, language);
        if (explanation.rank == u"Owner"_s)
            return L10n::text(u"由系统选择：{app} 以所有者身份声明了 {type}"_s, language, values) + via;
        if (explanation.rank == u"Alternate"_s)
            return L10n::text(u"由系统选择：{app} 以备选身份声明了 {type}"_s, language, values) + via;
        return L10n::text(u"由系统选择：{app} 以默认身份声明了 {type}"_s, language, values) + via;
    }
    case Source::defaultApplications:
        return L10n::text(u"在 {file} 中设定"_s, language, values) + route(explanation, asked, false, names, language);
    case Source::addedAssociation:
        return L10n::text(u"在 {file} 的 [Added Associations] 中添加"_s, language, values) +
               route(explanation, asked, false, names, language);
    case Source::desktopEntry:
        return L10n::text(u"由桌面选择：{app} 的桌面文件声明了 {type}（{file}）"_s, language, values) +
               route(explanation, asked, true, names, language);
    case Source::system:
        return L10n::text(u"由系统选择"_s, language);
    }
    return {};
}

QString HandlerExplanationText::passedOver(const Explanation::PassedOver& entry, const Names& names,
                                           const QString& language)
{
    using Reason = Explanation::PassOverReason;
    const L10n::Values values{{u"app"_s, appName(names, entry.handler)},
                              {u"file"_s, displayPath(entry.removedBy, names.home)}};
    switch (entry.reason) {
    case Reason::notInstalled:
        return L10n::text(u"跳过 {app}：未安装"_s, language, values);
    case Reason::hidden:
        return L10n::text(u"跳过 {app}：已隐藏"_s, language, values);
    case Reason::notStartable:
        return L10n::text(u"跳过 {app}：无法启动"_s, language, values);
    case Reason::removed:
        return L10n::text(u"跳过 {app}：已被 {file} 移除"_s, language, values);
    }
    return {};
}

QString HandlerExplanationText::line(const Explanation& explanation, const QString& asked, const Names& names,
                                     const QString& language)
{
    QString text = decision(explanation, asked, names, language);
    for (const Explanation::PassedOver& entry : explanation.passedOver)
        text = L10n::text(u"{first}；{second}"_s, language,
                          {{u"first"_s, text}, {u"second"_s, passedOver(entry, names, language)}});
    return text;
}

QStringList HandlerExplanationText::passedOverLines(const Explanation& explanation, const Names& names,
                                                    const QString& language)
{
    QStringList lines;
    for (const Explanation::PassedOver& entry : explanation.passedOver) {
        QString place = displayPath(entry.file, names.home);
        if (!entry.group.isEmpty())
            place += u" ["_s + entry.group + u']';
        if (!entry.type.isEmpty())
            place += u' ' + entry.type;
        lines.append(passedOver(entry, names, language) + u" ("_s + place + u')');
    }
    return lines;
}

} // namespace tessik
