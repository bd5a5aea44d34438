#include "scripted_services.h"

#include "core/services/association_service_error.h"
#include "platform/clock.h"

namespace tessik::testing {

int ScriptedReader::totalReads() const
{
    int total = 0;
    for (int count : m_reads)
        total += count;
    return total;
}

std::optional<QString> ScriptedReader::defaultHandler(const QString& type, AssociationRole role) const
{
    const int index = m_reads[type]++;
    if (type == m_failing)
        throw AssociationServiceError(AssociationServiceError::UnsupportedRole{role});
    const auto it = m_answers.constFind(type);
    if (it == m_answers.cend() || it->empty())
        return std::nullopt;
    return (*it)[std::min<size_t>(size_t(index), it->size() - 1)];
}

AssociationWriteOutcome ScriptedWriter::setDefaultHandler(const QString& bundleIdentifier, const QString& type,
                                                          AssociationRole, std::stop_token)
{
    written.append(type + u'=' + bundleIdentifier);
    if (type == failingType)
        throw AssociationServiceError(AssociationServiceError::LaunchServicesStatus{-54});
    if (afterWrite)
        afterWrite(type);
    return outcome;
}

void RecordingSleeper::sleep(std::chrono::nanoseconds duration, std::stop_token stop)
{
    if (stop.stop_requested())
        throw CancellationError();
    waits.push_back(duration);
}

FakeClock::FakeClock() : m_now(QDateTime(QDate(2025, 1, 31), QTime(8, 15), Qt::UTC))
{
    platform::Clock::setSource([this] { return now(); });
}

FakeClock::~FakeClock()
{
    platform::Clock::setSource({});
}

QDateTime FakeClock::now() const
{
    QMutexLocker locker(&m_mutex);
    return m_now;
}

void FakeClock::advance(std::chrono::milliseconds duration)
{
    QMutexLocker locker(&m_mutex);
    m_now = m_now.addMSecs(duration.count());
}

void ClockSleeper::sleep(std::chrono::nanoseconds duration, std::stop_token stop)
{
    RecordingSleeper::sleep(duration, stop);
    m_clock.advance(std::chrono::duration_cast<std::chrono::milliseconds>(duration));
}

} // namespace tessik::testing
