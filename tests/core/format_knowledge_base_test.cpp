#include "core/catalog/format_knowledge_base.h"
#include "core/catalog/format_knowledge_base_error.h"
#include "core/discovery/app_scanner.h"
#include "core/support/strict_json.h"
#include "desktop_sandbox.h"
#include "platform/uniform_type.h"
#include "systemwriter/demo_system.h"
#include "systemwriter/xdg_demo_system.h"
#include "temporary_system.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using tessik::testing::TemporarySystem;

namespace {

using Kind = FormatKnowledgeBaseError::Kind;

QJsonObject category(const QString& id, const QStringList& extensions = {u"jpg"_s})
{
    return {{u"id"_s, id}, {u"name"_s, u"图像"_s}, {u"extensions"_s, QJsonArray::fromStringList(extensions)}};
}

QJsonObject app(const QStringList& formats = {u"pdf"_s}, const QStringList& conditional = {})
{
    return {{u"name"_s, u"Viewer"_s},
            {u"aliases"_s, QJsonArray()},
            {u"bundleIdentifiers"_s, QJsonArray()},
            {u"formats"_s, QJsonArray::fromStringList(formats)},
            {u"conditionalFormats"_s, QJsonArray::fromStringList(conditional)},
            {u"source"_s, u"https://example.com/formats"_s}};
}

QJsonObject catalog(const QJsonArray& categories = {category(u"images"_s)}, const QJsonArray& apps = {app()})
{
    return {{u"schemaVersion"_s, 1}, {u"categories"_s, categories}, {u"apps"_s, apps}};
}

QByteArray bytes(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The error kind decoding raises, or nothing when it succeeds.
std::optional<Kind> failure(const QJsonObject& object)
{
    try {
        FormatKnowledgeBase::decode(bytes(object));
        return std::nullopt;
    } catch (const FormatKnowledgeBaseError& error) {
        return error.kind();
    }
}

// Selects the Linux desktop in `root` as its printed shell lines do, stand-ins first on PATH, and puts the
// sandbox's values back when it ends.
class DesktopSession
{
public:
    explicit DesktopSession(const QString& root)
    {
        static const QRegularExpression line(u"^export (\\w+)='([^']*)'$"_s, QRegularExpression::MultilineOption);
        for (auto it = line.globalMatch(tools::XdgDemoSystem::environment(root)); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            set(match.captured(1).toUtf8(), match.captured(2).toUtf8());
        }
        set("PATH", QFile::encodeName(root) + "/usr/bin:" + qgetenv("PATH"));
    }
    ~DesktopSession()
    {
        for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
            if (it.value())
                qputenv(it.key().constData(), *it.value());
            else
                qunsetenv(it.key().constData());
        }
    }

private:
    void set(const QByteArray& name, const QByteArray& value)
    {
        if (!m_saved.contains(name))
            m_saved.insert(name, qEnvironmentVariableIsSet(name.constData())
                                     ? std::optional<QByteArray>(qgetenv(name.constData()))
                                     : std::nullopt);
        qputenv(name.constData(), value);
    }

    QMap<QByteArray, std::optional<QByteArray>> m_saved;
};

QJsonArray repeated(const std::function<QJsonObject(int)>& make, int count)
{
    QJsonArray array;
    for (int i = 0; i < count; ++i)
        array.append(make(i));
    return array;
}

} // namespace

TEST(FormatKnowledgeBase, SizeIsCheckedBeforeParsing)
{
    QByteArray exact = bytes(catalog());
    exact += QByteArray(FormatKnowledgeBase::maximumSize - exact.size(), ' ');
    ASSERT_EQ(exact.size(), 1000000);
    EXPECT_NO_THROW(FormatKnowledgeBase::decode(exact));
    try {
        FormatKnowledgeBase::decode(QByteArray(1000001, 'x'));
        FAIL() << "an oversized document was decoded";
    } catch (const FormatKnowledgeBaseError& error) {
        EXPECT_EQ(error.kind(), Kind::fileTooLarge);
        EXPECT_EQ(error.message(), u"格式目录文件过大。"_s);
    }
}

TEST(FormatKnowledgeBase, DecoderErrorsComeBeforeTheVersion)
{
    QJsonObject version2 = catalog();
    version2.insert(u"schemaVersion"_s, 2);
    EXPECT_EQ(failure(version2), Kind::unsupportedSchema);
    version2.remove(u"apps"_s);
    EXPECT_THROW(FormatKnowledgeBase::decode(bytes(version2)), JsonDecodingError);
    QJsonObject mistyped = catalog({QJsonObject{{u"id"_s, u"a"_s}, {u"name"_s, u"A"_s}, {u"extensions"_s, u"jpg"_s}}});
    try {
        FormatKnowledgeBase::decode(bytes(mistyped));
        FAIL() << "a mistyped key was accepted";
    } catch (const JsonDecodingError& error) {
        EXPECT_TRUE(error.message().contains(u"\"extensions\""_s)) << qPrintable(error.message());
    }
    EXPECT_THROW(FormatKnowledgeBase::decode("{\"schemaVersion\": 1,"), JsonDecodingError);
    EXPECT_THROW(FormatKnowledgeBase::decode("[]"), JsonDecodingError);
}

TEST(FormatKnowledgeBase, ListLimitsAreInclusive)
{
    auto categories = [](int count) { return repeated([](int i) { return category(u"c%1"_s.arg(i)); }, count); };
    auto apps = [](int count) { return repeated([](int) { return app(); }, count); };
    EXPECT_EQ(failure(catalog({})), Kind::invalidCatalog);
    EXPECT_EQ(failure(catalog(categories(64))), std::nullopt);
    EXPECT_EQ(failure(catalog(categories(65))), Kind::invalidCatalog);
    EXPECT_EQ(failure(catalog(categories(1), apps(1000))), std::nullopt);
    EXPECT_EQ(failure(catalog(categories(1), apps(1001))), Kind::invalidCatalog);
    EXPECT_EQ(failure(catalog(categories(1), {})), std::nullopt);

    QStringList many;
    for (int i = 0; i < 1001; ++i)
        many.append(u"x%1"_s.arg(i));
    EXPECT_EQ(failure(catalog({category(u"a"_s, many.mid(0, 1000))})), std::nullopt);
    EXPECT_EQ(failure(catalog({category(u"a"_s, many)})), Kind::invalidCatalog);
    EXPECT_EQ(failure(catalog({category(u"a"_s)}, {app(many.mid(0, 500), many.mid(500, 500))})), std::nullopt);
    EXPECT_EQ(failure(catalog({category(u"a"_s)}, {app(many.mid(0, 500), many.mid(500, 501))})), Kind::invalidCatalog);
}

TEST(FormatKnowledgeBase, ContentRules)
{
    EXPECT_EQ(failure(catalog({category(u"a"_s), category(u"a"_s, {u"png"_s})})), Kind::invalidCatalog);
    EXPECT_EQ(failure(catalog({category(u"a"_s, {u"jpg"_s, u"jpg"_s})})), Kind::invalidCatalog);
    for (const QString& bad : {u"JPG"_s, u".jpg"_s, u" jpg"_s, u"tar.gz"_s, u"c++"_s, QString()})
        EXPECT_EQ(failure(catalog({category(u"a"_s, {bad})})), Kind::invalidCatalog) << qPrintable(bad);
    for (const QString& good : {u"rw2"_s, u"my-ext_2"_s, u"文档"_s})
        EXPECT_EQ(failure(catalog({category(u"a"_s, {good})})), std::nullopt) << qPrintable(good);

    auto named = [](const QJsonValue& names) {
        QJsonObject object = category(u"a"_s);
        object.insert(u"names"_s, names);
        return catalog({object});
    };
    EXPECT_EQ(failure(named(QJsonObject())), std::nullopt);
    EXPECT_EQ(failure(named(QJsonValue::Null)), std::nullopt);
    EXPECT_EQ(failure(named(QJsonObject{{u"en"_s, u""_s}})), Kind::invalidCatalog);
    QJsonObject seventeen;
    for (int i = 0; i < 17; ++i)
        seventeen.insert(u"l%1"_s.arg(i), u"name"_s);
    EXPECT_EQ(failure(named(seventeen)), Kind::invalidCatalog);

    EXPECT_EQ(failure(catalog({category(u"a"_s)}, {app({}, {u"pdf"_s})})), Kind::invalidCatalog);
    EXPECT_EQ(failure(catalog({category(u"a"_s)}, {app({u"pdf"_s}, {u"pdf"_s})})), Kind::invalidCatalog);
    for (const QString& source :
         {u"http://example.com"_s, u"docs/formats.html"_s, u"HTTPS://example.com"_s, QString()}) {
        QJsonObject recommendation = app();
        recommendation.insert(u"source"_s, source);
        EXPECT_EQ(failure(catalog({category(u"a"_s)}, {recommendation})), Kind::invalidCatalog) << qPrintable(source);
    }
}

TEST(FormatKnowledgeBase, LookupsTakeTheFirstCategoryInFileOrder)
{
    QJsonObject localized = category(u"photos"_s, {u"jpg"_s, u"heic"_s});
    localized.insert(u"names"_s, QJsonObject{{u"en"_s, u"Photos"_s}, {u"ja"_s, u"写真"_s}});
    const auto knowledge =
        FormatKnowledgeBase::decode(bytes(catalog({localized, category(u"images"_s, {u"png"_s, u"jpg"_s})})));
    ASSERT_TRUE(knowledge.category({u"JPG"_s}));
    EXPECT_EQ(knowledge.category({u"JPG"_s})->id, u"photos"_s);
    EXPECT_EQ(knowledge.category({u"txt"_s, u"png"_s})->id, u"images"_s);
    EXPECT_FALSE(knowledge.category({}));
    EXPECT_EQ(knowledge.categories({u"jpg"_s}).size(), 2);

    const FormatCategory& photos = knowledge.categories().constFirst();
    EXPECT_EQ(photos.localizedName(u"ja"_s), u"写真"_s);
    EXPECT_EQ(photos.localizedName(u"fr"_s), u"Photos"_s);
    EXPECT_EQ(knowledge.categories().constLast().localizedName(u"fr"_s), u"图像"_s);
    EXPECT_EQ(FormatCategory::fromJson(photos.toJson()), photos);
}

TEST(FormatKnowledgeBase, TheShippedCatalogIsValidAndComplete)
{
    const FormatKnowledgeBase knowledge = FormatKnowledgeBase::bundled();
    EXPECT_GE(knowledge.categories().size(), 14);
    EXPECT_GE(knowledge.apps().size(), 60);
    for (const FormatCategory& category : knowledge.categories()) {
        ASSERT_TRUE(category.names) << qPrintable(category.id);
        for (const QString& language : {u"zh"_s, u"en"_s, u"fr"_s, u"de"_s, u"es"_s, u"ja"_s, u"ko"_s})
            EXPECT_TRUE(category.names->contains(language)) << qPrintable(category.id + u' ' + language);
    }
    for (const QString& raw : {u"3fr"_s, u"arw"_s, u"cr2"_s, u"cr3"_s, u"crw"_s, u"dng"_s, u"fff"_s, u"iiq"_s, u"nef"_s,
                               u"nrw"_s, u"orf"_s, u"pef"_s, u"raf"_s, u"rw2"_s, u"rwl"_s, u"srw"_s})
        EXPECT_TRUE(knowledge.category({raw})) << qPrintable(raw);
    for (const AppFormatRecommendation& app : knowledge.apps())
        EXPECT_EQ(AppFormatRecommendation::fromJson(app.toJson()), app);
}

TEST(FormatKnowledgeBase, TheShippedCatalogPlacesEachFormatOnce)
{
    TemporarySystem system;
    tools::DemoSystem::write(system.root());
    const auto package = platform::UTType::typeWithIdentifier(u"com.apple.package"_s);
    ASSERT_TRUE(package);

    const FormatKnowledgeBase knowledge = FormatKnowledgeBase::bundled();
    QHash<QString, QString> categoryOf;
    for (const FormatCategory& category : knowledge.categories()) {
        for (const QString& extension : category.extensions) {
            EXPECT_FALSE(categoryOf.contains(extension))
                << qPrintable(extension + u" in "_s + categoryOf.value(extension) + u" and "_s + category.id);
            categoryOf.insert(extension, category.id);
            // A package is a folder: no default application applies to documents of its kind.
            if (const auto type = platform::UTType::typeWithFilenameExtension(extension, platform::UTType::item())) {
                EXPECT_FALSE(type->conformsTo(*package)) << qPrintable(extension + u' ' + type->identifier());
            }
        }
    }
    for (const AppFormatRecommendation& app : knowledge.apps()) {
        for (const QString& extension : app.formats + app.conditionalFormats)
            EXPECT_TRUE(categoryOf.contains(extension)) << qPrintable(app.name + u' ' + extension);
        // Without an identifier only the name can match; abbreviations are never the name of an installed bundle.
        EXPECT_FALSE(app.bundleIdentifiers.isEmpty()) << qPrintable(app.name);
        for (const QString& alias : app.aliases)
            EXPECT_FALSE(QRegularExpression(u"^[A-Za-z]{1,2}$"_s).match(alias).hasMatch()) << qPrintable(alias);
    }
}

TEST(FormatKnowledgeBase, TheShippedCatalogKnowsLinuxDesktopIds)
{
    const FormatKnowledgeBase knowledge = FormatKnowledgeBase::bundled();
    // A desktop file ID names one application; two entries claiming it would suggest both for one program.
    QHash<QString, QString> appOf;
    for (const AppFormatRecommendation& app : knowledge.apps()) {
        for (const QString& identifier : app.bundleIdentifiers) {
            if (!identifier.endsWith(u".desktop"_s))
                continue;
            EXPECT_TRUE(QRegularExpression(u"^[A-Za-z0-9_][A-Za-z0-9._-]*\\.desktop$"_s).match(identifier).hasMatch())
                << qPrintable(identifier);
            EXPECT_FALSE(appOf.contains(identifier))
                << qPrintable(identifier + u" in "_s + appOf.value(identifier) + u" and "_s + app.name);
            appOf.insert(identifier, app.name);
        }
    }
    // Each application of the Linux demo desktop, which holds their real IDs, is known (the file manager and a
    // handler kept out of the menus aside).
    QTemporaryDir dir;
    tools::XdgDemoSystem::write(dir.path());
    const QString applications = dir.filePath(u"usr/share/applications"_s);
    QDirIterator it(applications, {u"*.desktop"_s}, QDir::Files, QDirIterator::Subdirectories);
    int known = 0;
    while (it.hasNext()) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray entry = file.readAll();
        if (entry.contains("NoDisplay=true") || entry.contains(";FileManager;"))
            continue;
        const QString id = QDir(applications).relativeFilePath(file.fileName()).replace(u'/', u'-');
        EXPECT_TRUE(appOf.contains(id)) << qPrintable(id);
        ++known;
    }
    EXPECT_GE(known, 24);
    EXPECT_EQ(appOf.value(u"org.gimp.GIMP.desktop"_s), u"GIMP"_s);
    EXPECT_EQ(appOf.value(u"firefox-esr.desktop"_s), u"Firefox"_s);
}

TEST(FormatKnowledgeBase, EachLinuxDesktopEntryIsItsOwnProgram)
{
    const FormatKnowledgeBase knowledge = FormatKnowledgeBase::bundled();
    // The recommendation suggestions are made from: the first that matches.
    const auto recommendationOf = [&](const InstalledApp& app) -> const AppFormatRecommendation* {
        for (const AppFormatRecommendation& recommendation : knowledge.apps())
            if (recommendation.matches(app))
                return &recommendation;
        return nullptr;
    };

    // A suite's programs are separate desktop entries, each known by its ID and by its name, each with what that
    // program opens. (ID, Name, a format it opens, a format it does not open or "".)
    struct Program
    {
        QString id;
        QString name;
        QString opens;
        QString doesNotOpen;
    };
    const QList<Program> programs{
        {u"libreoffice-startcenter.desktop"_s, u"LibreOffice"_s, u"odt"_s, {}},
        {u"libreoffice-writer.desktop"_s, u"LibreOffice Writer"_s, u"docx"_s, u"xlsx"_s},
        {u"libreoffice-calc.desktop"_s, u"LibreOffice Calc"_s, u"xlsx"_s, u"odt"_s},
        {u"libreoffice-impress.desktop"_s, u"LibreOffice Impress"_s, u"pptx"_s, u"txt"_s},
        {u"libreoffice-draw.desktop"_s, u"LibreOffice Draw"_s, u"vsdx"_s, u"docx"_s},
        {u"libreoffice-math.desktop"_s, u"LibreOffice Math"_s, u"odf"_s, u"ods"_s},
        {u"libreoffice-base.desktop"_s, u"LibreOffice Base"_s, u"odb"_s, u"xls"_s},
        {u"calibre-gui.desktop"_s, u"calibre"_s, u"epub"_s, {}},
        {u"calibre-ebook-viewer.desktop"_s, u"E-book viewer"_s, u"mobi"_s, {}},
        {u"calibre-ebook-edit.desktop"_s, u"E-book editor"_s, u"azw3"_s, u"cbz"_s},
    };
    QSet<QString> recommendations;
    for (const Program& program : programs) {
        const AppFormatRecommendation* byId = recommendationOf({QString(), program.id, {}, {}});
        const AppFormatRecommendation* byName = recommendationOf({program.name, u"unknown.desktop"_s, {}, {}});
        if (!byId) {
            ADD_FAILURE() << "unknown: " << qPrintable(program.id);
            continue;
        }
        EXPECT_EQ(byName, byId) << qPrintable(program.name);
        EXPECT_TRUE(byId->formats.contains(program.opens)) << qPrintable(program.id + u' ' + program.opens);
        if (!program.doesNotOpen.isEmpty()) {
            EXPECT_FALSE((byId->formats + byId->conditionalFormats).contains(program.doesNotOpen))
                << qPrintable(program.id + u' ' + program.doesNotOpen);
        }
        recommendations.insert(byId->name);
    }
    EXPECT_EQ(recommendations.size(), programs.size()) << "two programs share one recommendation";
    // Their Flatpak editions are the same programs.
    for (const auto& [flatpak, native] : QList<std::pair<QString, QString>>{
             {u"org.libreoffice.LibreOffice.desktop"_s, u"libreoffice-startcenter.desktop"_s},
             {u"org.libreoffice.LibreOffice.calc.desktop"_s, u"libreoffice-calc.desktop"_s},
             {u"org.libreoffice.LibreOffice.base.desktop"_s, u"libreoffice-base.desktop"_s},
             {u"com.calibre_ebook.calibre.ebook_edit.desktop"_s, u"calibre-ebook-edit.desktop"_s}}) {
        EXPECT_EQ(recommendationOf({QString(), flatpak, {}, {}}), recommendationOf({QString(), native, {}, {}}))
            << qPrintable(flatpak);
    }

    // On the Linux demo desktop no recommendation stands for two applications, and LibreOffice Calc is suggested
    // a spreadsheet format it does not declare, never a text document.
    const QString root = tessik::testing::newDesktopFolder();
    tools::XdgDemoSystem::write(root);
    const DesktopSession session(root);
    const QList<InstalledApp> apps = AppScanner().scan();
    ASSERT_GE(apps.size(), 24);
    QHash<QString, QString> matchedBy;
    for (const InstalledApp& app : apps) {
        if (const AppFormatRecommendation* recommendation = recommendationOf(app)) {
            EXPECT_FALSE(matchedBy.contains(recommendation->name))
                << qPrintable(recommendation->name + u": "_s + matchedBy.value(recommendation->name) + u" and "_s +
                              app.bundleIdentifier);
            matchedBy.insert(recommendation->name, app.bundleIdentifier);
        }
    }
    QHash<QString, QSet<QString>> suggested;
    for (const CatalogSuggestion& suggestion : knowledge.suggestions(apps))
        suggested[suggestion.app.bundleIdentifier].insert(suggestion.fileExtension);
    const QSet<QString> calc = suggested.value(u"libreoffice-calc.desktop"_s);
    for (const QString& extension : {u"odt"_s, u"txt"_s, u"docx"_s, u"pptx"_s})
        EXPECT_FALSE(calc.contains(extension)) << qPrintable(extension);
    EXPECT_TRUE(calc.contains(u"dif"_s));
    EXPECT_FALSE(suggested.value(u"libreoffice-impress.desktop"_s).contains(u"txt"_s));
}
