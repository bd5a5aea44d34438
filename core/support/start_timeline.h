#pragma once

#include <QLoggingCategory>

namespace tessik {

Q_DECLARE_LOGGING_CATEGORY(startTimeline)

// Marks a step on the way from a program's start to its first answer, for finding where the time goes. Written to
// the log category "tessik.start" (QT_LOGGING_RULES="tessik.start.debug=true") as the milliseconds since the first
// mark; costs a test of the category otherwise.
void markStart(const char* step);

} // namespace tessik
