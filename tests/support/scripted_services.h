#pragma once

#include "core/pipeline/sleeper.h"
#include "core/services/association_reading.h"
#include "core/services/association_writing.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace tessik::testing {

// A reader whose answers follow a script: each read of a type pops the next answer, the last one repeats.
class ScriptedReader : public AssociationReading
{
public:
    using Answer = std::optional<QString>;

    void script(const QString& type, std::vector<Answer> answers) { m_answers[type] = std::move(answers); }
    // A read of this type throws.
    void failOn(const QString& type) { m_failing = type; }
    int reads(const QString& type) const { return m_reads.value(type); }
    int totalReads() const;

    std::optional<QString> defaultHandler(const QString& type, AssociationRole role) const override;

private:
    QHash<QString, std::vector<Answer>> m_answers;
    mutable QHash<QString, int> m_reads;
    QString m_failing;
};

// A writer that records its calls and answers with a fixed outcome, or throws for one type.
class ScriptedWriter : public AssociationWriting
{
public:
    AssociationWriteOutcome outcome = AssociationWriteOutcome::pendingVerification;
    QString failingType;
    QStringList written;
    // Runs after each write, to let a test change what the reader will say.
    std::function<void(const QString& type)> afterWrite;

    AssociationWriteOutcome setDefaultHandler(const QString& bundleIdentifier, const QString& type,
                                              AssociationRole role, std::stop_token stop) override;
};

// Records the waits it is asked for and returns at once; honours stop requests like the real one.
class RecordingSleeper : public Sleeper
{
public:
    std::vector<std::chrono::nanoseconds> waits;
    void sleep(std::chrono::nanoseconds duration, std::stop_token stop) override;
};

// Replaces the platform's clock for its lifetime; time moves only when a test advances it.
class FakeClock
{
public:
    FakeClock();
    ~FakeClock();
    QDateTime now() const;
    void advance(std::chrono::milliseconds duration);

private:
    mutable QMutex m_mutex;
    QDateTime m_now;
};

// A sleeper whose waits pass on a fake clock, so a delayed change shows after the checks it takes.
class ClockSleeper : public RecordingSleeper
{
public:
    explicit ClockSleeper(FakeClock& clock) : m_clock(clock) {}
    void sleep(std::chrono::nanoseconds duration, std::stop_token stop) override;

private:
    FakeClock& m_clock;
};

} // namespace tessik::testing
