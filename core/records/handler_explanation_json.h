#pragma once

#include "platform/handler_explanation.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace tessik {

// The stored and printed form of a handler's explanation: its codes as raw strings, empty members left out.
struct HandlerExplanationJson
{
    static QJsonObject toJson(const platform::HandlerExplanation& explanation);
    // Throws JsonDecodingError. A source this version does not know reads as the system's own choice, and a
    // passed-over entry with an unknown reason is left out, so newer records still load.
    static platform::HandlerExplanation fromJson(const QJsonObject& object);

    static QString rawValue(platform::HandlerExplanation::Source source);
    static QString rawValue(platform::HandlerExplanation::PassOverReason reason);
};

} // namespace tessik
