#include "core/carry/defaults_export.h"
#include "core/carry/defaults_file.h"
#include "core/carry/defaults_file_error.h"
#include "core/carry/defaults_import.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;

namespace {

using Kind = DefaultsFileError::Kind;

// The error the bytes are refused with; fails the test when they are not refused.
DefaultsFileError refusal(const QByteArray& bytes)
{
    try {
        DefaultsFile::parse(bytes);
    } catch (const DefaultsFileError& error) {
        return error;
    }
    ADD_FAILURE() << "accepted: " << bytes.toStdString();
    return DefaultsFileError(Kind::notText, -1, -1, {});
}

CarriedDefault carried(CarriedDefault::Kind kind, const QString& format, AssociationRole role, const QString& app,
                       int line = 0)
{
    CarriedDefault entry;
    entry.kind = kind;
    entry.format = format;
    entry.role = role;
    entry.bundleIdentifier = app;
    entry.line = line;
    return entry;
}

} // namespace

TEST(DefaultsFile, JsonRoundTripKeepsEveryFieldAndRefusesAFutureVersion)
{
    CarriedDefault html =
        carried(CarriedDefault::Kind::contentType, u"public.html"_s, AssociationRole::all, u"com.apple.Safari"_s);
    html.applicationName = u"Safari"_s;
    CarriedDefault mail =
        carried(CarriedDefault::Kind::urlScheme, u"mailto:"_s, AssociationRole::viewer, u"com.apple.mail"_s);
    mail.explicitChoice = false;
    const QJsonDocument document =
        DefaultsFile::toJson({html, mail}, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
    EXPECT_EQ(document.object().value("version"_L1).toInt(), 1);
    EXPECT_EQ(document.object().value("exportedAt"_L1).toString(), u"2026-01-02T03:04:05Z"_s);
    EXPECT_EQ(DefaultsFile::parse(document.toJson()), (QList<CarriedDefault>{html, mail}));

    QJsonObject future = document.object();
    future.insert(u"version"_s, 2);
    const DefaultsFileError newer = refusal(QJsonDocument(future).toJson());
    EXPECT_EQ(newer.kind(), Kind::futureVersion);
    EXPECT_EQ(newer.detail(), u"2"_s);
    future.remove(u"version"_s);
    EXPECT_EQ(refusal(QJsonDocument(future).toJson()).kind(), Kind::missingVersion);
}

TEST(DefaultsFile, MalformedFilesAreRefusedWithTheirLineOrEntry)
{
    const DefaultsFileError syntax = refusal("{\n  \"version\": 1,\n  \"defaults\": [\n    {\"type\": }\n  ]\n}\n");
    EXPECT_EQ(syntax.kind(), Kind::malformedJSON);
    EXPECT_EQ(syntax.line(), 4);

    const DefaultsFileError missing = refusal(R"({"version": 1, "defaults": [
        {"type": "public.html", "role": "all", "bundleIdentifier": "com.apple.Safari"},
        {"type": "public.json", "role": "all"}]})");
    EXPECT_EQ(missing.kind(), Kind::invalidStructure);
    EXPECT_EQ(missing.entry(), 2);
    EXPECT_EQ(missing.detail(), u"bundleIdentifier"_s);
    EXPECT_EQ(refusal(R"({"version": 1, "defaults": [{"type": "public.html", "role": "owner",
        "bundleIdentifier": "x.y"}]})")
                  .kind(),
              Kind::unknownRole);
    EXPECT_EQ(
        refusal(R"({"version": 1, "defaults": [{"type": "html", "role": "all", "bundleIdentifier": "x.y"}]})").kind(),
        Kind::invalidFormat);

    const DefaultsFileError line = refusal("# fine\ncom.apple.Safari public.html all\ncom.apple.Safari\n");
    EXPECT_EQ(line.kind(), Kind::malformedLine);
    EXPECT_EQ(line.line(), 3);
    EXPECT_EQ(refusal("com.apple.Safari public.html owner\n").kind(), Kind::unknownRole);
    EXPECT_EQ(refusal("com.apple.Safari public.html all extra\n").kind(), Kind::malformedLine);
    EXPECT_EQ(refusal("com.apple.Safari ./x all\n").kind(), Kind::invalidFormat);
    const DefaultsFileError binary = refusal("com.apple.Safari public.html all\n\xff\xfe all\n");
    EXPECT_EQ(binary.kind(), Kind::notText);
    EXPECT_EQ(binary.line(), 2);
}

TEST(DefaultsFile, ReadsTheAdministratorsLinesWithCommentsEveryRoleExtensionsAndSchemes)
{
    const QByteArray lines = "\xEF\xBB\xBF# Defaults for the design team\n"
                             "\n"
                             "com.apple.Safari\tpublic.html   all\n"
                             "  com.apple.Preview  com.adobe.pdf  viewer   # the fast one\n"
                             "com.microsoft.VSCode .MD Editor\n"
                             "com.apple.Terminal com.apple.terminal.shell-script shell\r\n"
                             "com.apple.mail mailto all\n"
                             "org.mozilla.firefox https:\n"
                             "org.gnome.TextEditor.desktop text/plain viewer\n";
    using K = CarriedDefault::Kind;
    EXPECT_EQ(
        DefaultsFile::parse(lines),
        (QList<CarriedDefault>{
            carried(K::contentType, u"public.html"_s, AssociationRole::all, u"com.apple.Safari"_s, 3),
            carried(K::contentType, u"com.adobe.pdf"_s, AssociationRole::viewer, u"com.apple.Preview"_s, 4),
            carried(K::extension, u"md"_s, AssociationRole::editor, u"com.microsoft.VSCode"_s, 5),
            carried(K::contentType, u"com.apple.terminal.shell-script"_s, AssociationRole::shell,
                    u"com.apple.Terminal"_s, 6),
            carried(K::urlScheme, u"mailto:"_s, AssociationRole::all, u"com.apple.mail"_s, 7),
            carried(K::urlScheme, u"https:"_s, AssociationRole::all, u"org.mozilla.firefox"_s, 8),
            carried(K::contentType, u"text/plain"_s, AssociationRole::viewer, u"org.gnome.TextEditor.desktop"_s, 9),
        }));
    EXPECT_TRUE(DefaultsFile::parse("# nothing but comments\n\n   \n").isEmpty());
}

TEST(DefaultsExport, CarriesStoredChoicesWithNamesAndOnRequestWhatIsInEffect)
{
    using platform::StoredHandler;
    const QList<StoredHandler> stored{
        {StoredHandler::Kind::contentType, u"public.plain-text"_s, platform::kLSRolesEditor, u"com.barebones.BBEdit"_s},
        {StoredHandler::Kind::urlScheme, u"MailTo"_s, platform::kLSRolesAll, u"com.apple.mail"_s},
        {StoredHandler::Kind::contentType, u"public.html"_s, platform::kLSRolesAll, u"com.gone.Browser"_s},
    };
    const QList<InstalledApp> installed{{u"BBEdit"_s, u"com.barebones.bbedit"_s, {}, {}},
                                        {u"Mail"_s, u"com.apple.mail"_s, {}, {}},
                                        {u"TextEdit"_s, u"com.apple.TextEdit"_s, {}, {}}};
    const QList<CarriedDefault> chosen = DefaultsExport::collect(stored, installed);
    ASSERT_EQ(chosen.size(), 3);
    EXPECT_EQ(chosen[0].format, u"mailto:"_s);
    EXPECT_EQ(chosen[0].kind, CarriedDefault::Kind::urlScheme);
    EXPECT_EQ(chosen[0].applicationName, u"Mail"_s);
    EXPECT_EQ(chosen[1].format, u"public.html"_s);
    EXPECT_FALSE(chosen[1].applicationName) << "an application that is gone still travels, without a name";
    EXPECT_EQ(chosen[2].bundleIdentifier, u"com.barebones.BBEdit"_s);
    EXPECT_EQ(chosen[2].applicationName, u"BBEdit"_s);

    // In effect: the all-roles default, and a role only where it differs from it; a stored choice wins.
    FileAssociation text{u"public.plain-text"_s, {u"txt"_s}, {}, {}, {}};
    text.defaultHandlers = {{AssociationRole::all, u"com.apple.TextEdit"_s},
                            {AssociationRole::viewer, u"com.apple.TextEdit"_s},
                            {AssociationRole::editor, u"com.apple.TextEdit"_s}};
    const QList<CarriedDefault> all = DefaultsExport::collect(stored, installed, {text});
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[2].format, u"public.plain-text"_s);
    EXPECT_EQ(all[2].role, AssociationRole::all);
    EXPECT_FALSE(all[2].explicitChoice);
    EXPECT_EQ(all[3].role, AssociationRole::editor);
    EXPECT_TRUE(all[3].explicitChoice);
}

TEST(DefaultsImport, SkipsWhatThisMachineCannotTakeAndKeepsTheRestInOrder)
{
    using K = CarriedDefault::Kind;
    const QList<CarriedDefault> defaults{
        carried(K::contentType, u"public.html"_s, AssociationRole::all, u"COM.APPLE.SAFARI"_s, 1),
        carried(K::contentType, u"public.json"_s, AssociationRole::editor, u"com.example.Missing"_s, 2),
        carried(K::extension, u"md"_s, AssociationRole::editor, u"com.apple.TextEdit"_s, 3),
        carried(K::extension, u"zzz"_s, AssociationRole::all, u"com.apple.TextEdit"_s, 4),
        carried(K::urlScheme, u"mailto:"_s, AssociationRole::viewer, u"com.apple.Safari"_s, 5),
    };
    const QList<InstalledApp> installed{{u"Safari"_s, u"com.apple.Safari"_s, {}, {}},
                                        {u"TextEdit"_s, u"com.apple.TextEdit"_s, {}, {}}};
    const auto prepared = DefaultsImport::prepare(defaults, installed, [](const QString& extension) {
        return extension == u"md"_s ? std::optional(u"net.daringfireball.markdown"_s) : std::nullopt;
    });
    EXPECT_EQ(prepared.requests, (QList<ChangeRequest>{{u"public.html"_s, AssociationRole::all, u"com.apple.Safari"_s},
                                                       {u"net.daringfireball.markdown"_s, AssociationRole::editor,
                                                        u"com.apple.TextEdit"_s},
                                                       {u"mailto:"_s, AssociationRole::all, u"com.apple.Safari"_s}}));
    EXPECT_EQ(prepared.sources, (QList<CarriedDefault>{defaults[0], defaults[2], defaults[4]}));
    using R = DefaultsImport::SkipReason;
    EXPECT_EQ(prepared.skipped, (QList<DefaultsImport::Skipped>{{defaults[1], R::missingApplication},
                                                                {defaults[3], R::unknownExtension}}));
}
