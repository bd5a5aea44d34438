#include "strict_json.h"

#include "iso_date.h"

#include <QDir>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace tessik {

JsonDecodingError::JsonDecodingError(const QString& message, QString record, std::optional<QString> key)
    : std::runtime_error(message.toStdString()), m_record(std::move(record)), m_key(std::move(key))
{
}

QJsonValue StrictJson::require(const QString& key, QJsonValue::Type type, const char* typeName) const
{
    const auto it = m_object.constFind(key);
    if (it == m_object.constEnd())
        throw JsonDecodingError(u"%1: the required key \"%2\" is missing."_s.arg(m_record, key), m_record, key);
    if (it->type() != type)
        mismatch(key, typeName);
    return *it;
}

void StrictJson::mismatch(const QString& key, const char* typeName) const
{
    throw JsonDecodingError(u"%1: the value of \"%2\" is not %3."_s.arg(m_record, key, QString::fromLatin1(typeName)),
                            m_record, key);
}

QString StrictJson::string(const QString& key) const
{
    return require(key, QJsonValue::String, "a string").toString();
}

std::optional<QString> StrictJson::optionalString(const QString& key) const
{
    const auto it = m_object.constFind(key);
    if (it == m_object.constEnd() || it->isNull())
        return std::nullopt;
    if (!it->isString())
        mismatch(key, "a string");
    return it->toString();
}

qint64 StrictJson::integer(const QString& key) const
{
    const QJsonValue value = require(key, QJsonValue::Double, "an integer");
    const double number = value.toDouble();
    if (number != double(qint64(number)))
        mismatch(key, "an integer");
    return qint64(number);
}

bool StrictJson::boolean(const QString& key) const
{
    return require(key, QJsonValue::Bool, "a Boolean").toBool();
}

QStringList StrictJson::stringList(const QString& key) const
{
    QStringList list;
    for (const QJsonValue& item : array(key)) {
        if (!item.isString())
            mismatch(key, "a list of strings");
        list.append(item.toString());
    }
    return list;
}

QJsonArray StrictJson::array(const QString& key) const
{
    return require(key, QJsonValue::Array, "a list").toArray();
}

QJsonObject StrictJson::object(const QString& key) const
{
    return require(key, QJsonValue::Object, "an object").toObject();
}

std::optional<QJsonObject> StrictJson::optionalObject(const QString& key) const
{
    const auto it = m_object.constFind(key);
    if (it == m_object.constEnd() || it->isNull())
        return std::nullopt;
    if (!it->isObject())
        mismatch(key, "an object");
    return it->toObject();
}

QUrl StrictJson::url(const QString& key) const
{
    const QString text = string(key);
    // A hand-written plain path names a local file; cleaning it keeps "//x" from reading as a host.
    if (text.startsWith(u'/'))
        return QUrl::fromLocalFile(QDir::cleanPath(text));
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        mismatch(key, "an absolute URL");
    return url;
}

QDateTime StrictJson::date(const QString& key) const
{
    const auto date = IsoDate::parse(string(key));
    if (!date)
        mismatch(key, "an ISO 8601 date-time");
    return *date;
}

QUuid StrictJson::uuid(const QString& key) const
{
    const QUuid id = QUuid::fromString(string(key));
    if (id.isNull())
        mismatch(key, "a UUID");
    return id;
}

QJsonDocument StrictJson::parse(const QByteArray& data, const QString& what)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError)
        throw JsonDecodingError(
            u"%1 is not valid JSON (%2 at byte %3)."_s.arg(what, error.errorString()).arg(error.offset), what);
    return document;
}

} // namespace tessik
