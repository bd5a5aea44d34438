#pragma once

#include "core/catalog/format_knowledge_base.h"
#include "core/update/server_configuration.h"

#include <QDateTime>
#include <QFuture>
#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

namespace tessik {

// Keeps the downloaded copy of the format catalog fresh: at most once a day after a success and once an hour
// within a run, one conditional GET; an accepted catalog is validated, then stored atomically. Confined to
// the thread it lives on; failures are silent for the program.
class FormatCatalogUpdater : public QObject
{
    Q_OBJECT

public:
    enum class Outcome
    {
        notConfigured,
        busy,
        notDue,
        notModified,
        updated,
        failed
    };

    // What one check came to; `detail` says why a check failed.
    struct Check
    {
        Outcome outcome = Outcome::failed;
        std::optional<FormatKnowledgeBase> knowledge;
        QString detail;
    };

    struct Configuration
    {
        std::optional<ServerConfiguration> server;
        QUrl cacheURL;
        QString lastSuccessKey;
        QString etagKey;
    };

    using Clock = std::function<QDateTime()>;

    static constexpr double checkInterval = 86400;
    static constexpr double retryInterval = 3600;
    static constexpr qint64 maximumBodySize = FormatKnowledgeBase::maximumSize;

    explicit FormatCatalogUpdater(Configuration configuration, Clock clock = &QDateTime::currentDateTimeUtc,
                                  QObject* parent = nullptr);

    // The process's updater, configured from the runtime configuration. Main thread only.
    static FormatCatalogUpdater& shared();
    static Configuration defaultConfiguration();
    // The stored copy, when it loads and passes every rule.
    static std::optional<FormatKnowledgeBase> loadCached(const QUrl& cacheURL);

    const Configuration& configuration() const { return m_configuration; }
    std::optional<FormatKnowledgeBase> cached() const { return loadCached(m_configuration.cacheURL); }

    // A newly stored knowledge base, or nothing.
    QFuture<std::optional<FormatKnowledgeBase>> checkIfDue();
    // The same check, telling what happened; `ignoreIntervals` skips the daily and hourly limits once.
    QFuture<Check> check(bool ignoreIntervals = false);

    // Inactivity limit of a request (15 seconds).
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

private:
    Check finish(class QNetworkReply* reply, const QByteArray& body, bool tooLarge);

    Configuration m_configuration;
    Clock m_clock;
    QNetworkAccessManager m_network;
    std::chrono::milliseconds m_timeout{15000};
    std::optional<QDateTime> m_lastAttempt;
    bool m_isChecking = false;
};

} // namespace tessik
