#pragma once

#include <QtGlobal>

namespace tessik::platform {

// Lookups made on a thread while one of these lives there form one batch: each file the defaults are read from
// (the handler database, each mimeapps.list) is looked at once per batch, and that reading answers every type and
// role the batch asks about. The next batch, or a lookup outside any, looks at the disk again, so a check that
// must see what is there now is a batch of its own. A batch opened inside another joins it.
class LookupBatch
{
public:
    LookupBatch();
    // Makes this thread's lookups part of a batch another thread opened (a helper of one piece of work); a thread
    // inside a batch of its own stays in it.
    explicit LookupBatch(quint64 joined);
    ~LookupBatch();
    LookupBatch(const LookupBatch&) = delete;
    LookupBatch& operator=(const LookupBatch&) = delete;

    // The batch open on this thread; 0 outside any. Every batch has a number of its own.
    static quint64 current();
    // Whether a file looked at during `batch` need not be looked at again now.
    static bool covers(quint64 batch) { return batch != 0 && batch == current(); }
    // After this thread wrote a file the defaults are read from: its later lookups look again.
    static void renew();

    // How many batches this process opened (a renewal counts as one), and how often such a file was looked at (a
    // stat) and read; for benchmarks and tests.
    static qint64 batches();
    static qint64 looks();
    static qint64 reads();
    static void countLook();
    static void countRead();

private:
    bool m_outermost;
};

} // namespace tessik::platform
