#include "app/l10n/app_language.h"
#include "app/l10n/l10n.h"
#include "core/catalog/custom_association_error.h"
#include "core/catalog/format_knowledge_base.h"
#include "core/catalog/format_knowledge_base_error.h"
#include "core/pipeline/change_planner_error.h"
#include "core/pipeline/sleeper.h"
#include "core/services/association_service_error.h"
#include "core/support/strict_json.h"
#include "platform/ns_error.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;

namespace {

QSet<QString> placeholders(const QString& text)
{
    static const QRegularExpression name(u"\\{[A-Za-z]+\\}"_s);
    QSet<QString> found;
    for (auto it = name.globalMatch(text); it.hasNext();)
        found.insert(it.next().captured());
    return found;
}

// Every literal the sources hand to a lookup: tr(u"…"_s …) and L10n::text(u"…"_s …).
QSet<QString> literalKeys()
{
    static const QRegularExpression call(uR"re((?:\btr|L10n::text)\(\s*u"((?:[^"\\]|\\.)*)"_s)re"_s);
    QSet<QString> keys;
    for (const QString& folder : {u"app"_s, u"cli"_s, u"ui"_s}) {
        QDirIterator files(QStringLiteral(TESSIK_SOURCE_DIR) + u'/' + folder, {u"*.cpp"_s, u"*.h"_s}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString source = QString::fromUtf8(file.readAll());
            for (auto it = call.globalMatch(source); it.hasNext();)
                keys.insert(it.next().captured(1).replace(u"\\n"_s, u"\n"_s));
        }
    }
    return keys;
}

} // namespace

TEST(L10nTest, FallsBackToEnglishThenTheSourceAndFillsEveryPlaceholder)
{
    EXPECT_EQ(L10n::text(u"没有这样的文本：{reason}"_s, u"fr"_s, {{u"reason"_s, u"x"_s}}), u"没有这样的文本：x"_s);
    EXPECT_EQ(L10n::text(u"未设置"_s, u"de"_s), L10n::translations().value(u"未设置"_s).value(u"de"_s));
    EXPECT_EQ(L10n::text(u"未设置"_s, u"xx"_s), L10n::translations().value(u"未设置"_s).value(u"en"_s))
        << "an unknown language falls back to English";
    EXPECT_EQ(L10n::fill(u"{a}-{a}-{b}"_s, {{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}}), u"1-1-2"_s);
    EXPECT_TRUE(L10n::fill(u"{a}-{a}-{b}-{c}"_s, {{u"a"_s, u"1"_s}}).endsWith(u"{b}-{c}"_s))
        << "a placeholder without a value stays as written";
}

TEST(L10nTest, AnyOtherShapeOfTheTableIsEmpty)
{
    for (const char* broken : {"", "[]", "\"text\"", "{\"a\": \"b\"}", "{\"a\": {\"en\": 1}}",
                               "{\"a\": {\"en\": null}}", "{\"a\": {\"en\": \"x\"}", "{\"a\": [\"en\"]}"})
        EXPECT_TRUE(L10n::parse(broken).isEmpty()) << broken;
    const L10n::Table table = L10n::parse(R"({"a": {"en": "A", "ja": "あ"}, "b": {}})");
    EXPECT_EQ(table.value(u"a"_s).value(u"ja"_s), u"あ"_s);
    EXPECT_TRUE(table.contains(u"b"_s));
}

TEST(L10nTest, ErrorsReadInTheUsersLanguage)
{
    const auto en = u"en"_s;
    const auto table = L10n::translations();
    const auto english = [&table](const QString& key) { return table.value(key).value(u"en"_s); };

    EXPECT_EQ(L10n::error(CustomAssociationError(CustomAssociationError::Kind::invalidExtension), en),
              english(CustomAssociationError::messageFor(CustomAssociationError::Kind::invalidExtension)));
    EXPECT_EQ(
        L10n::error(ChangePlannerError(u"public.png"_s), u"ja"_s),
        L10n::fill(table.value(u"同一格式存在不同目标应用：{type}"_s).value(u"ja"_s), {{u"type"_s, u"public.png"_s}}));
    EXPECT_TRUE(L10n::error(AssociationServiceError(AssociationServiceError::LaunchServicesStatus{-54}), en)
                    .contains(u"-54"_s));
    EXPECT_TRUE(L10n::error(JsonDecodingError(u"x"_s, u"CustomAssociation"_s, u"url"_s), en).contains(u"url"_s));
    EXPECT_EQ(L10n::error(CancellationError(), u"ko"_s), table.value(u"操作已取消。"_s).value(u"ko"_s));

    const platform::NSError missing(platform::NSCocoaErrorDomain, platform::NSFileReadNoSuchFileError,
                                    u"The file “a.json” couldn’t be opened."_s, {}, u"/x/a.json"_s);
    EXPECT_EQ(L10n::error(missing, u"de"_s),
              L10n::fill(table.value(u"找不到文件：{file}"_s).value(u"de"_s), {{u"file"_s, u"a.json"_s}}));
    const platform::NSError cancelled(platform::NSOSStatusErrorDomain, platform::userCanceledErr, u"cancelled"_s);
    EXPECT_EQ(L10n::error(cancelled, en), english(u"操作已取消。"_s));
    const platform::NSError unanswered(platform::TessikWorkspaceErrorDomain,
                                       platform::TessikConfirmationUnansweredError, u"no answer"_s);
    EXPECT_EQ(L10n::error(unanswered, u"fr"_s),
              table.value(u"系统未回应更改默认应用的确认，无法确定更改是否生效。"_s).value(u"fr"_s));
    const platform::NSError other(u"SomeDomain"_s, 7, u"Something else"_s);
    EXPECT_EQ(L10n::error(other, en), u"Something else"_s) << "anything else keeps its own description";
    EXPECT_EQ(L10n::error(std::make_exception_ptr(42), en), u"Unknown error"_s);
}

TEST(L10nTest, EveryTextTheProgramLooksUpIsTranslatedIntoEveryLanguage)
{
    QSet<QString> keys = literalKeys();
    ASSERT_GT(keys.size(), 20) << "the scan of the sources found the lookups";
    // Keys built at run time.
    keys += {u"正在处理…"_s,
             u"正在刷新…"_s,
             u"正在等待 macOS 确认并验证…"_s,
             u"正在检查更改是否生效…"_s,
             u"默认打开方式（所有角色）"_s,
             u"默认查看器"_s,
             u"默认编辑器"_s,
             u"category.other"_s,
             u"category.links"_s,
             u"找不到文件：{file}"_s,
             u"没有权限访问文件：{file}"_s,
             u"文件已损坏，无法读取：{file}"_s,
             u"无法读取文件：{file}"_s,
             u"无法写入文件：{file}"_s};
    for (const auto kind :
         {CustomAssociationError::Kind::invalidExtension, CustomAssociationError::Kind::unresolvedExtension})
        keys.insert(CustomAssociationError::messageFor(kind));
    for (const auto kind :
         {FormatKnowledgeBaseError::Kind::unsupportedSchema, FormatKnowledgeBaseError::Kind::fileTooLarge,
          FormatKnowledgeBaseError::Kind::invalidCatalog})
        keys.insert(FormatKnowledgeBaseError::messageFor(kind));
    const FormatKnowledgeBase shipped = FormatKnowledgeBase::bundled();
    for (const FormatCategory& category : shipped.categories())
        keys.insert(u"category."_s + category.id);

    const L10n::Table& table = L10n::translations();
    for (const QString& key : keys) {
        const auto entry = table.constFind(key);
        if (entry == table.cend()) {
            ADD_FAILURE() << "no translation of " << key.toStdString();
            continue;
        }
        for (const AppLanguage language : AppLanguage::allCases()) {
            const QString text = entry->value(language.rawValue());
            EXPECT_FALSE(text.isEmpty()) << key.toStdString() << " in " << language.rawValue().toStdString();
            if (!key.startsWith(u"category."_s)) {
                EXPECT_EQ(placeholders(text), placeholders(key))
                    << key.toStdString() << " in " << language.rawValue().toStdString();
            }
        }
    }
}

TEST(L10nTest, LanguagesInPickerOrder)
{
    QStringList codes, names;
    for (const AppLanguage language : AppLanguage::allCases()) {
        codes.append(language.id());
        names.append(language.name());
    }
    EXPECT_EQ(codes.join(u' '), u"zh en fr de es ja ko"_s);
    EXPECT_EQ(names.constFirst(), u"中文"_s);
    EXPECT_EQ(AppLanguage::fromRawValue(u"ja"_s), AppLanguage(AppLanguage::ja));
    EXPECT_FALSE(AppLanguage::fromRawValue(u"JA"_s));
}
