#pragma once

#include <QJsonDocument>
#include <QUrl>

namespace tessik {

// The system's own JSON files: read whole and parsed strictly; written pretty-printed with sorted keys,
// atomically, after creating the folder.
class JsonFile
{
public:
    // Throws platform::NSError when the file cannot be read and JsonDecodingError when it is not JSON.
    static QJsonDocument read(const QUrl& url);
    // Throws platform::NSError; the previous file stays in place on failure.
    static void write(const QJsonDocument& document, const QUrl& url);
};

} // namespace tessik
