#include "app/update/format_catalog_updater.h"
#include "app/update/runtime_configuration.h"
#include "loopback_http_server.h"
#include "platform/user_defaults.h"
#include "temporary_system.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::testing;
using Outcome = FormatCatalogUpdater::Outcome;

namespace {

QByteArray catalogBody(int schemaVersion = 1)
{
    return QJsonDocument(
               QJsonObject{{u"schemaVersion"_s, schemaVersion},
                           {u"categories"_s, QJsonArray{QJsonObject{{u"id"_s, u"text"_s},
                                                                    {u"name"_s, u"文本"_s},
                                                                    {u"extensions"_s, QJsonArray{u"txt"_s}}}}},
                           {u"apps"_s, QJsonArray()}})
        .toJson();
}

class UpdaterTest : public ::testing::Test
{
protected:
    UpdaterTest()
    {
        configuration.server = ServerConfiguration{server.url(), true};
        configuration.cacheURL = QUrl::fromLocalFile(system.root() + u"/cache/format-catalog.json"_s);
        configuration.lastSuccessKey = u"LastCheck"_s;
        configuration.etagKey = u"ETag"_s;
    }

    FormatCatalogUpdater& updater()
    {
        if (!m_updater)
            m_updater = std::make_unique<FormatCatalogUpdater>(configuration, [this] { return now; });
        return *m_updater;
    }

    FormatCatalogUpdater::Check check(bool force = false)
    {
        QFuture<FormatCatalogUpdater::Check> pending = updater().check(force);
        const QDeadlineTimer deadline(20000);
        while (!pending.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_TRUE(pending.isFinished());
        return pending.isFinished() ? pending.result() : FormatCatalogUpdater::Check{};
    }

    QByteArray cacheFile() const
    {
        QFile file(configuration.cacheURL.toLocalFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QVariant stored(const QString& key) { return platform::UserDefaults::objectForKey(key); }

    TemporarySystem system;
    LoopbackHttpServer server;
    FormatCatalogUpdater::Configuration configuration;
    QDateTime now = QDateTime(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);

private:
    std::unique_ptr<FormatCatalogUpdater> m_updater;
};

} // namespace

TEST_F(UpdaterTest, StoresAnAcceptedCatalogAndAsksConditionallyAfterADay)
{
    server.respond({200, {{"ETag", "\"v1\""}}, catalogBody()});
    const auto first = check();
    ASSERT_EQ(first.outcome, Outcome::updated) << qPrintable(first.detail);
    ASSERT_TRUE(first.knowledge);
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].method, "GET");
    EXPECT_EQ(server.requests()[0].path, "/v1/formats/catalog");
    EXPECT_FALSE(server.requests()[0].headers.contains("if-none-match"));
    EXPECT_EQ(cacheFile(), catalogBody());
    EXPECT_EQ(stored(u"ETag"_s).toString(), u"\"v1\""_s);
    EXPECT_EQ(stored(u"LastCheck"_s).toDouble(), now.toSecsSinceEpoch());
    EXPECT_TRUE(updater().cached());

    now = now.addSecs(23 * 3600);
    EXPECT_EQ(check().outcome, Outcome::notDue);
    now = now.addSecs(3600);
    server.respond({304, {}, {}});
    EXPECT_EQ(check().outcome, Outcome::notModified);
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests()[1].headers.value("if-none-match"), "\"v1\"");
    EXPECT_EQ(stored(u"LastCheck"_s).toDouble(), now.toSecsSinceEpoch());
    EXPECT_EQ(cacheFile(), catalogBody());

    // A success stored in the future (the clock was set back) waits a day past it.
    platform::UserDefaults::setObject(u"LastCheck"_s, double(now.addSecs(3 * 3600).toSecsSinceEpoch()));
    now = now.addSecs(2 * 3600);
    EXPECT_EQ(check().outcome, Outcome::notDue);
    EXPECT_EQ(check(true).outcome, Outcome::notModified) << "forced";
}

TEST_F(UpdaterTest, WithoutAnEntityTagOrAUsableCopyTheRequestIsUnconditional)
{
    server.respond({200, {}, catalogBody()});
    platform::UserDefaults::setObject(u"ETag"_s, u"\"old\""_s);
    ASSERT_EQ(check().outcome, Outcome::updated);
    EXPECT_FALSE(server.requests()[0].headers.contains("if-none-match")) << "no copy to be conditional on";
    EXPECT_FALSE(stored(u"ETag"_s).isValid()) << "removed: the answer had no ETag";

    platform::UserDefaults::setObject(u"ETag"_s, u"\"v2\""_s);
    QFile damaged(configuration.cacheURL.toLocalFile());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("{\"schemaVersion\": 1");
    damaged.close();
    check(true);
    EXPECT_FALSE(server.requests()[1].headers.contains("if-none-match"));
}

TEST_F(UpdaterTest, RefusedAnswersStoreNothing)
{
    QByteArray oversized = catalogBody();
    oversized += QByteArray(FormatCatalogUpdater::maximumBodySize + 1 - oversized.size(), ' ');
    const QList<HttpResponse> refused{
        {201, {}, catalogBody()}, {203, {}, catalogBody()},    {404, {}, "missing"},
        {500, {}, "broken"},      {200, {}, catalogBody(2)},   {200, {}, "{\"schemaVersion\": 1, \"categ"},
        {200, {}, oversized},     {200, {}, oversized, false}, {200, {}, QByteArray(3000000, 'x'), false}};
    for (const HttpResponse& response : refused) {
        server.respond(response);
        const auto result = check(true);
        EXPECT_EQ(result.outcome, Outcome::failed) << response.status;
        EXPECT_FALSE(result.knowledge);
    }
    EXPECT_EQ(server.requests().size(), refused.size());
    EXPECT_TRUE(cacheFile().isEmpty());
    EXPECT_FALSE(stored(u"LastCheck"_s).isValid());
    EXPECT_FALSE(stored(u"ETag"_s).isValid());
}

TEST_F(UpdaterTest, ABrokenTransferStoresNothing)
{
    // Warnings of the network layer, such as a read from a reply that was aborted.
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { warnings.append(message); });
    updater().setTimeout(std::chrono::milliseconds(200));

    // Each answer carries a whole valid catalog, then drops or stalls before the length it declared.
    HttpResponse dropped{200, {{"ETag", "\"cut\""}}, catalogBody()};
    dropped.missingBytes = 100;
    HttpResponse stalled = dropped;
    stalled.close = false;
    for (const HttpResponse& response : {dropped, stalled}) {
        server.respond(response);
        const auto result = check(true);
        EXPECT_EQ(result.outcome, Outcome::failed) << "closed: " << response.close;
        EXPECT_FALSE(result.knowledge);
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(server.requests().size(), 2);
    EXPECT_TRUE(cacheFile().isEmpty());
    EXPECT_FALSE(stored(u"LastCheck"_s).isValid());
    EXPECT_FALSE(stored(u"ETag"_s).isValid());
    EXPECT_TRUE(warnings.isEmpty()) << qPrintable(warnings.join(u'\n'));
}

namespace {

// A server on its own thread that streams a body without a length and without end, so it goes on while the
// interface thread is blocked. It tells whether the client stopped taking the body past the size limit or
// took far more than any limit.
class EndlessServer
{
public:
    static constexpr qint64 flood = 64 * 1024 * 1024;

    EndlessServer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 1) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~EndlessServer()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
            m_changed.notify_all();
        }
        ::shutdown(m_listener, SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
    }

    QUrl url() const { return QUrl(u"http://127.0.0.1:%1"_s.arg(m_port)); }
    bool requested() const { return m_requested; }
    // Blocks the calling thread until the client stops reading or has read a flood.
    struct Progress
    {
        bool stalled = false;
        qint64 sent = 0;
        int error = 0;
    };
    Progress waitForStallOrFlood()
    {
        std::unique_lock lock(m_mutex);
        m_blocked = true;
        m_changed.notify_all();
        m_changed.wait_for(lock, std::chrono::seconds(60),
                           [this] { return m_stalled || m_sent >= flood || m_error != 0; });
        return {m_stalled, m_sent, m_error};
    }

private:
    void serve()
    {
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        QByteArray request;
        char buffer[4096];
        while (!request.contains("\r\n\r\n")) {
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, got);
        }
        {
            // Not a byte before the client's thread is blocked, which would read and refuse the body itself.
            std::unique_lock lock(m_mutex);
            m_requested = true;
            m_changed.wait(lock, [this] { return m_blocked || m_stop; });
        }
        const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n";
        ::send(client, head.constData(), size_t(head.size()), MSG_NOSIGNAL);
        const QByteArray chunk(64 * 1024, ' ');
        while (!m_stop) {
            const ssize_t sent = ::send(client, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent > 0) {
                const std::lock_guard lock(m_mutex);
                m_sent += sent;
                if (m_sent >= flood)
                    m_changed.notify_all();
                continue;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                const std::lock_guard lock(m_mutex);
                m_error = errno; // the client closed
                m_changed.notify_all();
                break;
            }
            // A client that reads takes more within a quarter of a second; one that stopped, after the size limit
            // at least, takes nothing more (its kernel's buffers are full).
            pollfd writable{client, POLLOUT, 0};
            if (m_sent > FormatCatalogUpdater::maximumBodySize && ::poll(&writable, 1, 250) == 0) {
                const std::lock_guard lock(m_mutex);
                m_stalled = true;
                m_changed.notify_all();
            }
            while (!m_stop && ::poll(&writable, 1, 100) == 0) {
            }
        }
        ::close(client);
    }

    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    std::atomic<bool> m_requested = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_blocked = false;
    bool m_stalled = false;
    qint64 m_sent = 0;
    int m_error = 0;
};

} // namespace

TEST_F(UpdaterTest, ABodyWithoutEndIsNotReceivedWhileTheInterfaceThreadIsBusy)
{
    EndlessServer endless;
    configuration.server = ServerConfiguration{endless.url(), true};
    QFuture<FormatCatalogUpdater::Check> pending = updater().check(true);
    const QDeadlineTimer deadline(20000);
    while (!endless.requested() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(endless.requested());

    // This thread stays blocked: only Qt's network thread could go on receiving.
    const EndlessServer::Progress progress = endless.waitForStallOrFlood();
    EXPECT_TRUE(progress.stalled) << progress.sent << " bytes were taken while nobody read them; error "
                                  << progress.error;
    EXPECT_LT(progress.sent, EndlessServer::flood);

    while (!pending.isFinished() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(pending.isFinished());
    EXPECT_EQ(pending.result().outcome, Outcome::failed);
    EXPECT_TRUE(cacheFile().isEmpty());
}

TEST_F(UpdaterTest, AttemptsAtMostHourlyAndNeverOverlap)
{
    server.respond({200, {}, catalogBody(), true, false});
    updater().setTimeout(std::chrono::milliseconds(300));
    QFuture<FormatCatalogUpdater::Check> first = updater().check();
    EXPECT_EQ(check().outcome, Outcome::busy);
    while (!first.isFinished())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(first.result().outcome, Outcome::failed) << "the server never answered";
    EXPECT_EQ(server.requests().size(), 1);

    server.respond({500, {}, {}});
    now = now.addSecs(59 * 60);
    EXPECT_EQ(check().outcome, Outcome::notDue);
    now = now.addSecs(60);
    EXPECT_EQ(check().outcome, Outcome::failed);
    EXPECT_EQ(server.requests().size(), 2);
}

TEST_F(UpdaterTest, NoServerMeansNoRequest)
{
    configuration.server.reset();
    EXPECT_EQ(check(true).outcome, Outcome::notConfigured);
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(UpdaterTest, AnOverridingServerKeepsItsOwnCopyAndKeys)
{
    const auto scope = RuntimeConfiguration::scope(ServerConfiguration{server.url(), true});
    configuration.cacheURL =
        QUrl::fromLocalFile(RuntimeConfiguration::dataDirectory(scope).toLocalFile() + u"/format-catalog.json"_s);
    configuration.lastSuccessKey = RuntimeConfiguration::defaultsKey(u"TessikFormatCatalogLastCheck"_s, scope);
    configuration.etagKey = RuntimeConfiguration::defaultsKey(u"TessikFormatCatalogETag"_s, scope);
    server.respond({200, {{"ETag", "\"scoped\""}}, catalogBody()});
    ASSERT_EQ(check().outcome, Outcome::updated);
    EXPECT_TRUE(configuration.cacheURL.toLocalFile().contains(u"/Tessik/Debug/"_s + *scope + u"/"_s));
    EXPECT_FALSE(
        QFile::exists(RuntimeConfiguration::dataDirectory(std::nullopt).toLocalFile() + u"/format-catalog.json"_s));
    EXPECT_EQ(stored(u"TessikFormatCatalogETag."_s + *scope).toString(), u"\"scoped\""_s);
    EXPECT_FALSE(stored(u"TessikFormatCatalogETag"_s).isValid());
    EXPECT_FALSE(stored(u"TessikFormatCatalogLastCheck"_s).isValid());
}
