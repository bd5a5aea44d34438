#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace tessik {

// Dates in the system's own files: ISO 8601 internet date-times in UTC, whole seconds.
class IsoDate
{
public:
    // The form 2025-01-31T08:15:00Z; fractions of a second are dropped.
    static QString format(const QDateTime& date);
    // Accepts Z or a numeric offset; refuses fractional seconds and anything else.
    static std::optional<QDateTime> parse(const QString& text);
    // The current time to the whole second.
    static QDateTime now();
};

} // namespace tessik
