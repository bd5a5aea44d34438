#include "l10n.h"

#include "app/l10n/carry_texts.h"
#include "core/catalog/custom_association_error.h"
#include "core/catalog/format_knowledge_base_error.h"
#include "core/pipeline/change_planner_error.h"
#include "core/pipeline/sleeper.h"
#include "core/services/association_service_error.h"
#include "core/support/strict_json.h"
#include "core/update/server_configuration.h"
#include "platform/ns_error.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

bool isUserCancelled(const platform::NSError& error)
{
    return (error.domain() == platform::NSCocoaErrorDomain && error.code() == platform::NSUserCancelledError) ||
           (error.domain() == platform::NSOSStatusErrorDomain && error.code() == platform::userCanceledErr);
}

// The source text for a file error, by domain and code; empty when the error is of another kind.
QString fileErrorText(const platform::NSError& error)
{
    if (error.domain() == platform::NSCocoaErrorDomain) {
        switch (error.code()) {
        case 4:   // NSFileNoSuchFileError
        case 260: // NSFileReadNoSuchFileError
            return u"找不到文件：{file}"_s;
        case 257: // NSFileReadNoPermissionError
        case 513: // NSFileWriteNoPermissionError
            return u"没有权限访问文件：{file}"_s;
        case 259: // NSFileReadCorruptFileError
            return u"文件已损坏，无法读取：{file}"_s;
        case 256: // NSFileReadUnknownError
            return u"无法读取文件：{file}"_s;
        case 512: // NSFileWriteUnknownError
        case 640: // NSFileWriteOutOfSpaceError
        case 642: // NSFileWriteVolumeReadOnlyError
            return u"无法写入文件：{file}"_s;
        }
    } else if (error.domain() == platform::NSPOSIXErrorDomain) {
        if (error.code() == ENOENT)
            return u"找不到文件：{file}"_s;
        if (error.code() == EACCES || error.code() == EPERM)
            return u"没有权限访问文件：{file}"_s;
    }
    return {};
}

QString platformErrorText(const platform::NSError& error, const QString& language)
{
    if (isUserCancelled(error))
        return L10n::text(u"操作已取消。"_s, language);
    // The whole path: the user has to find that file among several lists of the same name.
    if (error.domain() == platform::TessikDesktopErrorDomain && error.code() == platform::TessikOverriddenDefaultError)
        return L10n::text(u"优先级更高的 {file} 仍决定此格式的默认应用，更改未生效。"_s, language,
                          {{u"file"_s, error.filePath()}});
    if (error.domain() == platform::TessikWorkspaceErrorDomain &&
        error.code() == platform::TessikConfirmationUnansweredError)
        return L10n::text(u"系统未回应更改默认应用的确认，无法确定更改是否生效。"_s, language);
    const QString source = fileErrorText(error);
    if (!source.isEmpty() && !error.filePath().isEmpty())
        return L10n::text(source, language, {{u"file"_s, QFileInfo(error.filePath()).fileName()}});
    return error.localizedDescription();
}

QString serviceErrorText(const AssociationServiceError& error, const QString& language)
{
    if (const auto* role = std::get_if<AssociationServiceError::UnsupportedRole>(&error.value()))
        return L10n::text(u"不支持的角色：{role}"_s, language, {{u"role"_s, rawValue(role->role)}});
    const auto& status = std::get<AssociationServiceError::LaunchServicesStatus>(error.value());
    return L10n::text(u"系统未接受此更改（错误代码 {status}）。"_s, language,
                      {{u"status"_s, QString::number(status.status)}});
}

QString decodingErrorText(const JsonDecodingError& error, const QString& language)
{
    if (error.key())
        return L10n::text(u"数据无效：{record} 中的键“{key}”缺失或类型不对。"_s, language,
                          {{u"record"_s, error.record()}, {u"key"_s, *error.key()}});
    return L10n::text(u"数据无效：{record} 的内容不是预期的格式。"_s, language, {{u"record"_s, error.record()}});
}

} // namespace

QString L10n::text(const QString& key, const QString& language, const Values& values)
{
    const Table& table = translations();
    const auto entry = table.constFind(key);
    QString text = key;
    if (entry != table.cend()) {
        if (const auto found = entry->constFind(language); found != entry->cend())
            text = *found;
        else if (const auto english = entry->constFind(u"en"_s); english != entry->cend())
            text = *english;
    }
    return fill(std::move(text), values);
}

QString L10n::fill(QString text, const Values& values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        text.replace(u'{' + it.key() + u'}', it.value());
    return text;
}

QString L10n::error(const std::exception& error, const QString& language)
{
    if (const auto* e = dynamic_cast<const CustomAssociationError*>(&error))
        return text(e->message(), language);
    if (const auto* e = dynamic_cast<const FormatKnowledgeBaseError*>(&error))
        return text(e->message(), language);
    if (const auto* e = dynamic_cast<const ChangePlannerError*>(&error))
        return text(u"同一格式存在不同目标应用：{type}"_s, language, {{u"type"_s, e->typeIdentifier()}});
    if (const auto* e = dynamic_cast<const AssociationServiceError*>(&error))
        return serviceErrorText(*e, language);
    if (const auto* e = dynamic_cast<const JsonDecodingError*>(&error))
        return decodingErrorText(*e, language);
    if (const auto* e = dynamic_cast<const DefaultsFileError*>(&error))
        return CarryTexts::fileError(*e, language);
    if (const auto* e = dynamic_cast<const platform::NSError*>(&error))
        return platformErrorText(*e, language);
    if (dynamic_cast<const CancellationError*>(&error))
        return text(u"操作已取消。"_s, language);
    if (dynamic_cast<const ServerConfiguration::ConfigurationError*>(&error))
        return text(u"更新服务器配置无效。"_s, language);
    return QString::fromUtf8(error.what());
}

QString L10n::error(const std::exception_ptr& error, const QString& language)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return L10n::error(e, language);
    } catch (...) {
        return u"Unknown error"_s;
    }
}

const L10n::Table& L10n::translations()
{
    // A function-local static is initialised once, thread-safely, on first use.
    static const Table table = [] {
        QFile file(u":/tessik/app/localizations.json"_s);
        return file.open(QIODevice::ReadOnly) ? parse(file.readAll()) : Table();
    }();
    return table;
}

L10n::Table L10n::parse(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return {};
    Table table;
    const QJsonObject root = document.object();
    for (auto entry = root.begin(); entry != root.end(); ++entry) {
        if (!entry->isObject())
            return {};
        QHash<QString, QString> texts;
        const QJsonObject languages = entry->toObject();
        for (auto text = languages.begin(); text != languages.end(); ++text) {
            if (!text->isString())
                return {};
            texts.insert(text.key(), text->toString());
        }
        table.insert(entry.key(), texts);
    }
    return table;
}

} // namespace tessik
