#pragma once

#include <QDateTime>

#include <functional>

namespace tessik::platform {

// The machine's wall clock. In-process tests replace it to move time forward without waiting.
class Clock
{
public:
    using Source = std::function<QDateTime()>;

    static QDateTime now();
    // An empty source puts the system clock back.
    static void setSource(Source source);
};

} // namespace tessik::platform
