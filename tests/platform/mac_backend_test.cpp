#include "core/services/launch_services_association_writer.h"
#include "platform/macos/confirmation_wait.h"
#include "platform/macos/mac_backend.h"
#include "platform/macos/mac_error.h"
#include "platform/type_record.h"
#include "temporary_system.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;
using namespace tessik::platform;
using tessik::testing::TemporarySystem;

namespace {

// The system as the tests script it; every call is recorded.
class FakeMacSystem final : public MacSystemCalls
{
public:
    std::optional<QString> copyDefaultRoleHandler(const QString& contentType, LSRolesMask role) override
    {
        reads.append({contentType, role});
        return handler;
    }
    OSStatus setDefaultRoleHandler(const QString& contentType, LSRolesMask role, const QString& bundle) override
    {
        writes.append({contentType + u' ' + bundle, role});
        return writeStatus;
    }
    OSStatus registerURL(const QUrl& url) override
    {
        registered.append(url);
        return noErr;
    }
    std::optional<QUrl> urlForApplication(const QString& bundleIdentifier) override
    {
        lookups.append(bundleIdentifier);
        return application;
    }
    QStringList applicationsForURLScheme(const QString& scheme) override { return schemes.value(scheme); }
    bool setDefaultApplication(const QUrl&, const QString& contentType, Completion completion) override
    {
        if (!types.contains(contentType))
            return false;
        pending = completion;
        if (answer)
            completion(*answer);
        return true;
    }
    std::optional<MacTypeFacts> typeWithIdentifier(const QString& identifier) override
    {
        return types.contains(identifier) ? std::optional(types.value(identifier)) : std::nullopt;
    }
    std::optional<MacTypeFacts> typeWithFilenameExtension(const QString&, const QString&) override
    {
        return extensionAnswer;
    }
    bool writeIconPNG(const QString& path, int pixels, const QString& pngPath) override
    {
        drawn.append(path);
        if (!drawingWorks)
            return false;
        QFile file(pngPath);
        return file.open(QIODevice::WriteOnly) && file.write(QByteArray::number(pixels)) > 0;
    }
    bool openURL(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    QStringList preferredLanguages() override { return languages; }

    std::optional<QString> handler;
    OSStatus writeStatus = noErr;
    std::optional<QUrl> application;
    QHash<QString, MacTypeFacts> types{{u"public.data"_s, {u"public.data"_s, u"Data"_s, {}, {}, {u"public.item"_s}}}};
    std::optional<MacTypeFacts> extensionAnswer;
    QHash<QString, QStringList> schemes;
    std::optional<MacErrorChain> answer;
    Completion pending;
    bool drawingWorks = true;
    QStringList languages;

    QList<std::pair<QString, LSRolesMask>> reads;
    QList<std::pair<QString, LSRolesMask>> writes;
    QList<QUrl> registered;
    QStringList lookups;
    QStringList drawn;
    QList<QUrl> opened;
};

struct MacBackendTest : ::testing::Test
{
    // Bundles on disk, and a uniform type to hand over, come from an emulated machine.
    TemporarySystem machine;
    std::shared_ptr<FakeMacSystem> system = std::make_shared<FakeMacSystem>();
    MacBackend backend{system};
    const UTType data = *UTType::typeWithIdentifier(u"public.data"_s);
};

} // namespace

TEST_F(MacBackendTest, PassesRoleMasksUnchangedAndAnswersNoHandlerAsAbsent)
{
    for (const LSRolesMask role : {kLSRolesViewer, kLSRolesEditor, kLSRolesShell, kLSRolesAll}) {
        system->handler = u"com.example.Editor"_s;
        EXPECT_EQ(backend.defaultHandler(u"public.plain-text"_s, role), u"com.example.Editor"_s);
        EXPECT_EQ(system->reads.last(), std::pair(u"public.plain-text"_s, role));
        system->handler = u""_s;
        EXPECT_FALSE(backend.defaultHandler(u"public.plain-text"_s, role));
        system->writeStatus = -10814;
        EXPECT_EQ(backend.setDefaultHandler(u"public.plain-text"_s, role, u"com.example.Editor"_s), -10814);
        EXPECT_EQ(system->writes.last(), std::pair(u"public.plain-text com.example.Editor"_s, role));
    }
    const auto calls = system->reads.size() + system->writes.size();
    EXPECT_FALSE(backend.defaultHandler(u""_s, kLSRolesAll));
    EXPECT_EQ(backend.setDefaultHandler(u"public.plain-text"_s, kLSRolesAll, u""_s), paramErr);
    EXPECT_EQ(system->reads.size() + system->writes.size(), calls);
}

TEST_F(MacBackendTest, MapsTheSystemsAnswerToAConfirmedChange)
{
    const QUrl app = QUrl::fromLocalFile(u"/Applications/Editor.app"_s);
    system->answer = MacErrorChain();
    EXPECT_FALSE(backend.setDefaultApplication(app, data, {}));

    // A refusal wrapped in another error is still a refusal; domain, code, text and file survive at every level.
    system->answer = MacErrorChain{{u"NSOSStatusErrorDomain"_s, -54, u"Outer"_s, u"/tmp/a"_s},
                                   {NSCocoaErrorDomain, NSUserCancelledError, u"Cancelled"_s, {}}};
    const auto refused = backend.setDefaultApplication(app, data, {});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code(), -54);
    EXPECT_EQ(refused->filePath(), u"/tmp/a"_s);
    ASSERT_TRUE(refused->underlyingError());
    EXPECT_EQ(refused->underlyingError()->localizedDescription(), u"Cancelled"_s);
    EXPECT_TRUE(tessik::LaunchServicesAssociationWriter::isUserCancellation(*refused));

    system->answer = MacErrorChain{{NSCocoaErrorDomain, NSFileWriteUnknownError, u"Failed"_s, {}}};
    const auto failed = backend.setDefaultApplication(app, data, {});
    ASSERT_TRUE(failed);
    EXPECT_FALSE(tessik::LaunchServicesAssociationWriter::isUserCancellation(*failed));
    EXPECT_EQ(failed->underlyingError(), nullptr);

    // A type the system does not know cannot be offered to it.
    system->types.clear();
    const auto unknown = backend.setDefaultApplication(app, data, {});
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->domain(), NSOSStatusErrorDomain);
    EXPECT_EQ(unknown->code(), kLSUnknownTypeErr);
}

TEST_F(MacBackendTest, GivesUpWaitingForAnAnswerThatNeverComes)
{
    MacBackend impatient(system, std::chrono::milliseconds(0));
    const auto error = impatient.setDefaultApplication(QUrl::fromLocalFile(u"/Applications/A.app"_s), data, {});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), TessikWorkspaceErrorDomain);
    EXPECT_EQ(error->code(), TessikConfirmationUnansweredError);
    // The system may still answer later; nobody is waiting any more, and nothing breaks.
    ASSERT_TRUE(system->pending);
    system->pending({});
}

TEST(ConfirmationWait, TakesTheFirstAnswerFromAnyThread)
{
    const ConfirmationWait wait;
    std::thread system([completion = wait.completion()] {
        completion({{NSCocoaErrorDomain, NSUserCancelledError, u"No"_s, {}}});
        completion({});
    });
    const auto answer = wait.wait(std::chrono::hours(1));
    system.join();
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->size(), 1);
    EXPECT_EQ(answer->first().code, NSUserCancelledError);
    EXPECT_EQ(wait.wait(std::chrono::milliseconds(0)), answer);
}

TEST_F(MacBackendTest, AnswersNothingForUnknownIdentifiersAndForeignAnswers)
{
    EXPECT_FALSE(backend.applicationURL(u""_s));
    EXPECT_TRUE(system->lookups.isEmpty());
    EXPECT_FALSE(backend.applicationURL(u"com.example.Missing"_s));
    system->application = QUrl(u"https://example.com/App.app"_s);
    EXPECT_FALSE(backend.applicationURL(u"com.example.Remote"_s));
    system->application = QUrl::fromLocalFile(u"/Applications/Editor.app"_s);
    EXPECT_EQ(backend.applicationURL(u"com.example.Editor"_s), system->application);

    EXPECT_EQ(backend.type(u"com.example.unknown"_s), nullptr);
    system->types.insert(u"public.jpeg"_s, {u"public.jpeg"_s,
                                            u"JPEG image"_s,
                                            {u"jpeg"_s, u"jpg"_s},
                                            {u"image/jpeg"_s},
                                            {u"public.image"_s, u"public.data"_s, u"public.item"_s}});
    const auto jpeg = backend.type(u"public.jpeg"_s);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->extensions, QStringList({u"jpeg"_s, u"jpg"_s}));
    EXPECT_TRUE(jpeg->conformance.contains(u"public.jpeg"_s));
    EXPECT_TRUE(jpeg->conformance.contains(u"public.data"_s));
    EXPECT_FALSE(jpeg->conformance.contains(u"public.text"_s));

    // An answer of another kind than asked for is none; a dynamic type of the right kind is kept as such.
    system->extensionAnswer =
        MacTypeFacts{u"com.apple.package"_s, u"Package"_s, {u"pkgx"_s}, {}, {u"public.directory"_s}};
    EXPECT_EQ(backend.typeForExtension(u"pkgx"_s, u"public.data"_s), nullptr);
    system->extensionAnswer = MacTypeFacts{u"dyn.ah62d4rv4ge8086xh"_s, {}, {u"qqq"_s}, {}, {u"public.data"_s}, true};
    const auto dynamic = backend.typeForExtension(u"qqq"_s, u"public.data"_s);
    ASSERT_TRUE(dynamic);
    EXPECT_TRUE(dynamic->dynamic);
    EXPECT_EQ(backend.typeForExtension(u""_s, u"public.data"_s), nullptr);
    // A file is read by its extension; one without an extension has no type to tell.
    EXPECT_TRUE(backend.typeForFile(u"/tmp/Notes.QQQ"_s));
    EXPECT_EQ(backend.typeForFile(u"/tmp/README"_s), nullptr);

    system->schemes.insert(u"mailto"_s, {u"com.apple.mail"_s});
    EXPECT_EQ(backend.urlSchemeHandlers(u"mailto"_s), QStringList{u"com.apple.mail"_s});
    EXPECT_TRUE(backend.urlSchemeHandlers(u""_s).isEmpty());
}

TEST_F(MacBackendTest, DrawsAnIconOnlyForBundlesWithoutAnIconFile)
{
    const QString withIcon = machine.addApp(u"Applications/Painted.app"_s, u"com.example.Painted"_s, {},
                                            {{u"CFBundleIconFile"_s, u"Painted"_s}});
    QDir().mkpath(withIcon + u"/Contents/Resources"_s);
    QFile icns(withIcon + u"/Contents/Resources/Painted.icns"_s);
    ASSERT_TRUE(icns.open(QIODevice::WriteOnly) && icns.write("icns") == 4);
    icns.close();
    EXPECT_EQ(backend.applicationIcon(QUrl::fromLocalFile(withIcon)), icns.fileName());
    EXPECT_TRUE(system->drawn.isEmpty());

    const QString catalogOnly = machine.addApp(u"Applications/Catalog.app"_s, u"com.example.Catalog"_s, {},
                                               {{u"CFBundleIconName"_s, u"AppIcon"_s}});
    const auto drawn = backend.applicationIcon(QUrl::fromLocalFile(catalogOnly));
    ASSERT_TRUE(drawn);
    EXPECT_TRUE(drawn->startsWith(QDir::homePath() + u"/Library/Caches/com.tessik.Tessik/Icons/"_s))
        << qPrintable(*drawn);
    EXPECT_TRUE(QFileInfo(*drawn).isFile());
    EXPECT_EQ(backend.applicationIcon(QUrl::fromLocalFile(catalogOnly)), drawn);
    EXPECT_EQ(system->drawn, QStringList{catalogOnly});

    // A bundle changed after its picture was drawn is drawn again.
    QFile picture(*drawn);
    ASSERT_TRUE(picture.open(QIODevice::ReadWrite));
    ASSERT_TRUE(picture.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    picture.close();
    EXPECT_EQ(backend.applicationIcon(QUrl::fromLocalFile(catalogOnly)), drawn);
    EXPECT_EQ(system->drawn.size(), 2);

    system->drawingWorks = false;
    const QString other = machine.addApp(u"Applications/Other.app"_s, u"com.example.Other"_s);
    EXPECT_FALSE(backend.applicationIcon(QUrl::fromLocalFile(other)));
    EXPECT_FALSE(backend.applicationIcon(QUrl::fromLocalFile(machine.root() + u"/Applications/Gone.app"_s)));
    EXPECT_EQ(system->drawn.size(), 3);
}

TEST_F(MacBackendTest, KeepsWhatIsNotTheSystemsAwayFromIt)
{
    const QString app = machine.addApp(u"Applications/Editor.app"_s, u"com.example.Editor"_s);
    EXPECT_EQ(backend.registerApplication(QUrl::fromLocalFile(machine.root() + u"/Applications"_s)), paramErr);
    EXPECT_EQ(backend.registerApplication(QUrl::fromLocalFile(app)), noErr);
    EXPECT_EQ(system->registered, QList<QUrl>{QUrl::fromLocalFile(app)});

    EXPECT_FALSE(backend.openURL(QUrl()));
    EXPECT_FALSE(backend.openURL(QUrl(u"no-scheme"_s)));
    EXPECT_TRUE(backend.openURL(QUrl(u"mailto:support@example.com"_s)));
    EXPECT_EQ(system->opened.size(), 1);

    EXPECT_EQ(backend.preferredLanguages(), QLocale::system().uiLanguages());
    system->languages = {u"de-AT"_s, u"en"_s};
    EXPECT_EQ(backend.preferredLanguages(), system->languages);

    EXPECT_EQ(backend.applicationSupportDirectory().toLocalFile(),
              QDir::homePath() + u"/Library/Application Support"_s);
    EXPECT_EQ(MacBackend::settingsNames(u"com.tessik.Tessik"_s), std::pair(u"tessik.com"_s, u"Tessik"_s));
    EXPECT_EQ(MacBackend::settingsNames(u"Tessik"_s), std::pair(u"Tessik"_s, u"Tessik"_s));
}

TEST_F(MacBackendTest, ExplainsAStoredChoiceOnlyWhenItIsWhatTheSystemAnswers)
{
    const QString text = u"public.plain-text"_s;
    // The user's stored choices, in the file the system keeps them in.
    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(text, kLSRolesViewer, u"com.example.Viewer"_s), noErr);
    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(text, kLSRolesAll, u"com.example.Gone"_s), noErr);

    system->handler = u"com.example.viewer"_s;
    HandlerExplanation explanation = backend.explainDefaultHandler(text, kLSRolesViewer);
    EXPECT_EQ(explanation.source, HandlerExplanation::Source::storedRole);
    EXPECT_EQ(explanation.group, u"LSHandlerRoleViewer"_s);

    // The stored all-roles choice is no installed application, and the system answers another: that much is
    // known, and no more.
    system->handler = u"com.example.Editor"_s;
    explanation = backend.explainDefaultHandler(text, kLSRolesEditor);
    EXPECT_EQ(explanation.source, HandlerExplanation::Source::system);
    EXPECT_EQ(explanation.handler, u"com.example.Editor"_s);
    ASSERT_EQ(explanation.passedOver.size(), 1);
    EXPECT_EQ(explanation.passedOver[0].handler, u"com.example.Gone"_s);
    EXPECT_EQ(explanation.passedOver[0].reason, HandlerExplanation::PassOverReason::notInstalled);

    // An installed stored choice the system does not answer is not claimed as a reason either way.
    system->application = QUrl::fromLocalFile(u"/Applications/Gone.app"_s);
    explanation = backend.explainDefaultHandler(text, kLSRolesEditor);
    EXPECT_EQ(explanation.source, HandlerExplanation::Source::system);
    EXPECT_TRUE(explanation.passedOver.isEmpty());

    system->handler.reset();
    EXPECT_EQ(backend.explainDefaultHandler(text, kLSRolesAll).source, HandlerExplanation::Source::none);
}
