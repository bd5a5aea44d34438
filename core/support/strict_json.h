#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <optional>
#include <stdexcept>

namespace tessik {

// A JSON document that does not have the shape its reader requires; the message names the key.
class JsonDecodingError : public std::runtime_error
{
public:
    // `record` names what was being read; `key` the member that is missing or of the wrong type, if any.
    JsonDecodingError(const QString& message, QString record, std::optional<QString> key = std::nullopt);
    QString message() const { return QString::fromUtf8(what()); }
    const QString& record() const { return m_record; }
    const std::optional<QString>& key() const { return m_key; }

private:
    QString m_record;
    std::optional<QString> m_key;
};

// Reads the members of one JSON object strictly: a missing required key or a member of the wrong JSON type
// is a JsonDecodingError naming the key and the record.
class StrictJson
{
public:
    StrictJson(QJsonObject object, QString record) : m_object(std::move(object)), m_record(std::move(record)) {}

    QString string(const QString& key) const;
    std::optional<QString> optionalString(const QString& key) const;
    qint64 integer(const QString& key) const;
    bool boolean(const QString& key) const;
    QStringList stringList(const QString& key) const;
    QJsonArray array(const QString& key) const;
    QJsonObject object(const QString& key) const;
    // Nothing when the key is absent or null.
    std::optional<QJsonObject> optionalObject(const QString& key) const;
    // An absolute URL, or an absolute path taken as a file URL.
    QUrl url(const QString& key) const;
    // An ISO 8601 date-time in whole seconds.
    QDateTime date(const QString& key) const;
    // A UUID in its canonical form.
    QUuid uuid(const QString& key) const;

    // Parses a whole document; throws JsonDecodingError when it is not valid JSON.
    static QJsonDocument parse(const QByteArray& data, const QString& what);

private:
    QJsonValue require(const QString& key, QJsonValue::Type type, const char* typeName) const;
    [[noreturn]] void mismatch(const QString& key, const char* typeName) const;

    QJsonObject m_object;
    QString m_record;
};

} // namespace tessik
