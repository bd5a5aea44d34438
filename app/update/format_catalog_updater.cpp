#include "format_catalog_updater.h"

#include "platform/file_manager.h"
#include "platform/user_defaults.h"
#include "runtime_configuration.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QPromise>
#include <QThread>

#include <memory>

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

FormatCatalogUpdater::Check outcome(FormatCatalogUpdater::Outcome kind, QString detail = {})
{
    return {kind, std::nullopt, std::move(detail)};
}

} // namespace

FormatCatalogUpdater::FormatCatalogUpdater(Configuration configuration, Clock clock, QObject* parent)
    : QObject(parent), m_configuration(std::move(configuration)), m_clock(std::move(clock))
{
}

FormatCatalogUpdater& FormatCatalogUpdater::shared()
{
    // Owned by the application object, so that its network client goes before Qt does.
    static FormatCatalogUpdater* updater =
        new FormatCatalogUpdater(defaultConfiguration(), &QDateTime::currentDateTimeUtc, QCoreApplication::instance());
    return *updater;
}

FormatCatalogUpdater::Configuration FormatCatalogUpdater::defaultConfiguration()
{
    return {RuntimeConfiguration::server(),
            QUrl::fromLocalFile(RuntimeConfiguration::dataDirectory().toLocalFile() + u"/format-catalog.json"_s),
            RuntimeConfiguration::defaultsKey(u"TessikFormatCatalogLastCheck"_s),
            RuntimeConfiguration::defaultsKey(u"TessikFormatCatalogETag"_s)};
}

std::optional<FormatKnowledgeBase> FormatCatalogUpdater::loadCached(const QUrl& cacheURL)
{
    try {
        return FormatKnowledgeBase::load(cacheURL);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

QFuture<std::optional<FormatKnowledgeBase>> FormatCatalogUpdater::checkIfDue()
{
    return check().then([](const Check& result) { return result.knowledge; });
}

QFuture<FormatCatalogUpdater::Check> FormatCatalogUpdater::check(bool ignoreIntervals)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_isChecking)
        return QtFuture::makeReadyFuture(outcome(Outcome::busy));
    if (!m_configuration.server)
        return QtFuture::makeReadyFuture(outcome(Outcome::notConfigured));
    const QDateTime now = m_clock();
    if (!ignoreIntervals) {
        if (m_lastAttempt && m_lastAttempt->msecsTo(now) < qint64(retryInterval * 1000))
            return QtFuture::makeReadyFuture(outcome(Outcome::notDue, u"tried less than an hour ago"_s));
        const double lastSuccess = platform::UserDefaults::objectForKey(m_configuration.lastSuccessKey).toDouble();
        if (lastSuccess > 0 && now.toMSecsSinceEpoch() / 1000.0 - lastSuccess < checkInterval)
            return QtFuture::makeReadyFuture(outcome(Outcome::notDue, u"checked less than a day ago"_s));
    }
    m_lastAttempt = now;
    m_isChecking = true;

    QUrl url = m_configuration.server->serverURL;
    QString path = url.path();
    while (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path + u"/v1/formats/catalog"_s);
    QNetworkRequest request(url);
    request.setTransferTimeout(int(m_timeout.count()));
    const QVariant etag = platform::UserDefaults::objectForKey(m_configuration.etagKey);
    // Conditional only when the copy it names is still usable.
    if (etag.typeId() == QMetaType::QString && !etag.toString().isEmpty() && cached())
        request.setRawHeader("If-None-Match", etag.toString().toUtf8());

    QNetworkReply* reply = m_network.get(request);
    // Qt's network thread would otherwise keep receiving while this thread is busy; one byte past the limit tells
    // that the body is larger.
    reply->setReadBufferSize(maximumBodySize + 1);
    auto promise = std::make_shared<QPromise<Check>>();
    promise->start();
    auto body = std::make_shared<QByteArray>();
    auto tooLarge = std::make_shared<bool>(false);
    // The body is never held beyond the limit: the download stops as soon as it is known to be larger.
    auto refuseLarge = [reply, tooLarge] {
        *tooLarge = true;
        reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [reply, refuseLarge] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maximumBodySize)
            refuseLarge();
    });
    connect(reply, &QNetworkReply::readyRead, this, [reply, body, tooLarge, refuseLarge] {
        if (*tooLarge)
            return;
        *body += reply->read(maximumBodySize + 1 - body->size());
        if (body->size() > maximumBodySize)
            refuseLarge();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, body, tooLarge, promise] {
        // A reply that failed or was aborted is closed and has nothing more to read.
        if (!*tooLarge && reply->error() == QNetworkReply::NoError)
            *body += reply->read(maximumBodySize + 1 - body->size());
        const Check result = finish(reply, *body, *tooLarge || body->size() > maximumBodySize);
        reply->deleteLater();
        m_isChecking = false;
        promise->addResult(result);
        promise->finish();
    });
    return promise->future();
}

FormatCatalogUpdater::Check FormatCatalogUpdater::finish(QNetworkReply* reply, const QByteArray& body, bool tooLarge)
{
    if (tooLarge)
        return outcome(Outcome::failed, u"the catalog is larger than 1,000,000 bytes"_s);
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return outcome(Outcome::failed, reply->errorString());
    if (status.toInt() != 200 && status.toInt() != 304)
        return outcome(Outcome::failed, u"the server answered with HTTP status %1"_s.arg(status.toInt()));
    // The connection broke off or timed out after the headers: what arrived is not the answer.
    if (reply->error() != QNetworkReply::NoError)
        return outcome(Outcome::failed, reply->errorString());
    const double now = m_clock().toMSecsSinceEpoch() / 1000.0;
    if (status.toInt() == 304) {
        platform::UserDefaults::setObject(m_configuration.lastSuccessKey, now);
        return outcome(Outcome::notModified);
    }

    Check result{Outcome::updated, std::nullopt, {}};
    try {
        result.knowledge = FormatKnowledgeBase::decode(body);
        platform::FileManager::writeAtomically(body, m_configuration.cacheURL);
    } catch (const std::exception& error) {
        return outcome(Outcome::failed, QString::fromUtf8(error.what()));
    }
    if (reply->hasRawHeader("ETag"))
        platform::UserDefaults::setObject(m_configuration.etagKey, QString::fromUtf8(reply->rawHeader("ETag")));
    else
        platform::UserDefaults::removeObject(m_configuration.etagKey);
    platform::UserDefaults::setObject(m_configuration.lastSuccessKey, now);
    return result;
}

} // namespace tessik
