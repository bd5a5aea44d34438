#include "json_file.h"

#include "platform/file_manager.h"
#include "strict_json.h"

namespace tessik {

QJsonDocument JsonFile::read(const QUrl& url)
{
    return StrictJson::parse(platform::FileManager::contentsOfFile(url), url.fileName());
}

void JsonFile::write(const QJsonDocument& document, const QUrl& url)
{
    // QJsonObject keeps its keys sorted, so the indented form lists them in order.
    platform::FileManager::writeAtomically(document.toJson(QJsonDocument::Indented), url);
}

} // namespace tessik
