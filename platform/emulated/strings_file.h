#pragma once

#include <QByteArray>
#include <QVariantMap>

namespace tessik::platform {

// Reads a localised .strings file: the old-style "key" = "value"; form in UTF-8 or UTF-16, or a property
// list dictionary. Reading stops at the first malformed entry and keeps the entries before it.
class StringsFile
{
public:
    static QVariantMap parse(const QByteArray& data);
};

} // namespace tessik::platform
