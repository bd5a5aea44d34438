#pragma once

#include <QStringView>

namespace tessik::platform {

// What may stand as a MIME type name on this desktop: a token, "/" and a token as RFC 2045 has them (printable
// ASCII without spaces and the marks `()<>@,;:\"/[]?=`), so "+xml" suffixes are fine and nothing can break a line
// or the syntax of a key file. A name that fails is never listed, looked up or written.
struct MimeTypeName
{
    static bool isValid(QStringView name);
};

} // namespace tessik::platform
