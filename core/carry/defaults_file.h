#pragma once

#include "carried_default.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonDocument>
#include <QList>

namespace tessik {

// The files in which defaults travel between machines: the program's own JSON document, and the plain lines
// administrators have long kept for the job ("BUNDLE_ID  FORMAT  ROLE", `#` comments).
class DefaultsFile
{
public:
    static constexpr int currentVersion = 1;

    // Either kind, told apart by the first character that is not white space ("{" starts a JSON document).
    // Throws DefaultsFileError, with the line or entry, for a file it cannot read whole: nothing of it is taken then.
    static QList<CarriedDefault> parse(const QByteArray& bytes);
    // Extension entries are not part of this form; callers resolve them to their content types first.
    static QJsonDocument toJson(const QList<CarriedDefault>& defaults, const QDateTime& exportedAt);

private:
    static QList<CarriedDefault> parseJson(const QByteArray& bytes);
    static QList<CarriedDefault> parseLines(const QString& text);
};

} // namespace tessik
