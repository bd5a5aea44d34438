#include "cli_command.h"

#include "app/l10n/platform_texts.h"
#include "core/discovery/app_scanner.h"
#include "core/services/target_type_resolver.h"
#include "core/support/pool_work.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThreadPool>

#include <vector>

using namespace Qt::StringLiterals;

namespace tessik::cli {

QStringList requirePositional(const QCommandLineParser& parser, qsizetype count, const QString& language)
{
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() < count)
        throw UsageError(L10n::text(u"缺少参数"_s, language));
    if (arguments.size() > count)
        throw UsageError(L10n::text(u"多余的参数“{argument}”"_s, language, {{u"argument"_s, arguments.at(count)}}));
    return arguments;
}

QCommandLineOption roleOption()
{
    return {u"role"_s,
            PlatformTexts::isMac() ? u"viewer, editor, shell or all (default all)."_s
                                   : u"viewer, editor or all (default all): this desktop keeps one default per type."_s,
            u"role"_s, u"all"_s};
}

AssociationRole requireRole(const QCommandLineParser& parser, const QString& language)
{
    const QString value = parser.value(u"role"_s);
    const auto role = associationRoleFromRawValue(value);
    // A freedesktop.org desktop has no shell role to read or write.
    if (!PlatformTexts::isMac() && (!role || *role == AssociationRole::shell))
        throw UsageError(
            L10n::text(u"角色必须是 viewer、editor 或 all，而不是“{role}”"_s, language, {{u"role"_s, value}}));
    if (!role)
        throw UsageError(
            L10n::text(u"角色必须是 viewer、editor、shell 或 all，而不是“{role}”"_s, language, {{u"role"_s, value}}));
    return *role;
}

QString requireTarget(const QString& target, const QString& language)
{
    return requireTarget(target, language, AppScanner().scan());
}

QString requireTarget(const QString& target, const QString& language, const QList<InstalledApp>& installed)
{
    const TargetTypeResolver::Resolution resolution = TargetTypeResolver(installed).resolve(target);
    if (resolution.type)
        return *resolution.type;
    const L10n::Values values{{u"target"_s, target},
                              {u"example"_s, PlatformTexts::isMac() ? u"public.html"_s : u"text/html"_s}};
    switch (resolution.problem) {
    case TargetTypeResolver::Problem::urlScheme:
        throw UsageError(
            L10n::text(u"“{target}”是链接的协议，不是扩展名：链接带冒号书写（{target}:）"_s, language, values));
    case TargetTypeResolver::Problem::unknownFileType:
        throw UsageError(L10n::text(u"无法判断文件“{target}”的类型"_s, language, values));
    case TargetTypeResolver::Problem::notATarget:
        break;
    }
    throw UsageError(L10n::text(
        u"“{target}”既不是扩展名（如 md）、已知的内容类型（如 {example}），也不是文件路径（如 ./report.pdf）"_s,
        language, values));
}

QString targetHelp()
{
    return PlatformTexts::isMac() ? u"An extension (md or .md), a known content type (public.html), a file path "
                                    "(./report.pdf) or a link scheme with its colon (https:)."_s
                                  : u"An extension (md or .md), a known MIME type (text/html), a file path "
                                    "(./report.pdf) or a link scheme with its colon (https:)."_s;
}

QCommandLineOption jsonOption()
{
    return {u"json"_s, u"Print the answer as JSON."_s};
}

void printJson(QTextStream& out, const QJsonValue& value)
{
    printJson(out, value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject()));
}

namespace {

// UTF-8 already: a stream on a device takes the bytes as they are, not by way of UTF-16 and back.
void printUtf8(QTextStream& out, const QByteArray& text)
{
    if (QIODevice* device = out.device()) {
        out.flush();
        device->write(text);
    } else {
        out << QString::fromUtf8(text);
    }
}

} // namespace

void printJson(QTextStream& out, const QJsonDocument& document)
{
    printUtf8(out, document.toJson(QJsonDocument::Indented));
}

void printJsonArray(QTextStream& out, qsizetype count, const std::function<QJsonObject(qsizetype)>& object)
{
    if (count == 0) {
        printJson(out, QJsonDocument(QJsonArray()));
        return;
    }
    // Each object as an indented document of its own, one level deeper: how an indented array lays it out.
    std::vector<QByteArray> texts(static_cast<size_t>(count));
    runOnPool(QThreadPool::globalInstance(), count, [&](qsizetype i) {
        const QByteArray text = QJsonDocument(object(i)).toJson(QJsonDocument::Indented);
        QByteArray& indented = texts[size_t(i)];
        indented.reserve(text.size() + text.count('\n') * 4);
        // Every line, the last one's newline left for the separator.
        for (qsizetype start = 0; start < text.size();) {
            qsizetype end = text.indexOf('\n', start);
            if (end < 0)
                end = text.size();
            indented.append("    ").append(QByteArrayView(text).sliced(start, end - start));
            start = end + 1;
            if (start < text.size())
                indented.append('\n');
        }
    });
    QByteArray text = "[\n";
    for (size_t i = 0; i < texts.size(); ++i)
        text.append(texts[i]).append(i + 1 < texts.size() ? ",\n" : "\n");
    text.append("]\n");
    printUtf8(out, text);
}

} // namespace tessik::cli
