#include "clock.h"

#include <QMutex>

namespace tessik::platform {
namespace {

QMutex sourceMutex;
Clock::Source clockSource;

} // namespace

QDateTime Clock::now()
{
    Source source;
    {
        QMutexLocker locker(&sourceMutex);
        source = clockSource;
    }
    return source ? source() : QDateTime::currentDateTimeUtc();
}

void Clock::setSource(Source source)
{
    QMutexLocker locker(&sourceMutex);
    clockSource = std::move(source);
}

} // namespace tessik::platform
