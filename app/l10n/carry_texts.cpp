#include "carry_texts.h"

#include "app/l10n/l10n.h"

using namespace Qt::StringLiterals;

namespace tessik {

QString CarryTexts::entry(const CarriedDefault& entry)
{
    const QString format = entry.kind == CarriedDefault::Kind::extension ? u'.' + entry.format : entry.format;
    return format + u':' + rawValue(entry.role) + u" → "_s + entry.bundleIdentifier;
}

QString CarryTexts::skipped(const DefaultsImport::Skipped& skipped, const QString& language)
{
    QString reason;
    switch (skipped.reason) {
    case DefaultsImport::SkipReason::missingApplication:
        reason = L10n::text(u"此电脑上没有安装该应用"_s, language);
        break;
    case DefaultsImport::SkipReason::unknownExtension:
        reason = L10n::text(u"此电脑上没有与该扩展名对应的类型"_s, language);
        break;
    }
    return L10n::text(u"{entry}：{reason}"_s, language,
                      {{u"entry"_s, located(skipped.entry, language)}, {u"reason"_s, reason}});
}

QString CarryTexts::located(const CarriedDefault& carried, const QString& language)
{
    if (carried.line <= 0)
        return entry(carried);
    return L10n::text(u"{entry}（第 {line} 行）"_s, language,
                      {{u"entry"_s, entry(carried)}, {u"line"_s, QString::number(carried.line)}});
}

QString CarryTexts::fileError(const DefaultsFileError& error, const QString& language)
{
    using Kind = DefaultsFileError::Kind;
    QString place;
    if (error.line() > 0)
        place = L10n::text(u"第 {line} 行"_s, language, {{u"line"_s, QString::number(error.line())}});
    else if (error.entry() > 0)
        place = L10n::text(u"第 {entry} 项"_s, language, {{u"entry"_s, QString::number(error.entry())}});
    const L10n::Values values{{u"place"_s, place}, {u"detail"_s, error.detail()}};
    switch (error.kind()) {
    case Kind::notText:
        return L10n::text(u"{place}：不是 UTF-8 文本。"_s, language, values);
    case Kind::malformedJSON:
        return L10n::text(u"{place}：JSON 格式错误（{detail}）。"_s, language, values);
    case Kind::missingVersion:
        return L10n::text(u"文件没有可识别的版本号（“version”）。"_s, language, values);
    case Kind::futureVersion:
        return L10n::text(u"此文件的版本为 {detail}，由更新版本的 Tessik 写成；本程序只能读取版本 1。"_s, language,
                          values);
    case Kind::invalidStructure:
        if (error.entry() == 0)
            return L10n::text(u"文件中的键“{detail}”缺失或类型不对。"_s, language, values);
        return error.detail().isEmpty() ? L10n::text(u"{place}：应为一个对象。"_s, language, values)
                                        : L10n::text(u"{place}：键“{detail}”缺失或类型不对。"_s, language, values);
    case Kind::malformedLine:
        return L10n::text(u"{place}：应为“应用标识符 格式 角色”，而不是“{detail}”。"_s, language, values);
    case Kind::unknownRole:
        return L10n::text(u"{place}：未知角色“{detail}”，应为 all、viewer、editor 或 shell。"_s, language, values);
    case Kind::invalidFormat:
        return L10n::text(u"{place}：“{detail}”既不是内容类型、扩展名，也不是 URL 协议。"_s, language, values);
    case Kind::invalidBundleIdentifier:
        return L10n::text(u"{place}：“{detail}”不是有效的应用标识符。"_s, language, values);
    }
    return QString::fromUtf8(error.what());
}

} // namespace tessik
