#include "lookup_batch.h"

#include <atomic>

namespace tessik::platform {
namespace {

std::atomic<quint64> lastBatch{0};
std::atomic<qint64> batchCount{0};
std::atomic<qint64> lookCount{0};
std::atomic<qint64> readCount{0};
thread_local quint64 openBatch = 0;

} // namespace

LookupBatch::LookupBatch() : m_outermost(openBatch == 0)
{
    if (m_outermost) {
        openBatch = ++lastBatch;
        ++batchCount;
    }
}

LookupBatch::LookupBatch(quint64 joined) : m_outermost(openBatch == 0)
{
    if (m_outermost)
        openBatch = joined;
}

LookupBatch::~LookupBatch()
{
    if (m_outermost)
        openBatch = 0;
}

quint64 LookupBatch::current()
{
    return openBatch;
}

void LookupBatch::renew()
{
    if (openBatch != 0) {
        openBatch = ++lastBatch;
        ++batchCount;
    }
}

qint64 LookupBatch::batches()
{
    return batchCount;
}

qint64 LookupBatch::looks()
{
    return lookCount;
}

qint64 LookupBatch::reads()
{
    return readCount;
}

void LookupBatch::countLook()
{
    ++lookCount;
}

void LookupBatch::countRead()
{
    ++readCount;
}

} // namespace tessik::platform
