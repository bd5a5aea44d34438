#include "iso_date.h"

#include <QRegularExpression>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace tessik {

QString IsoDate::format(const QDateTime& date)
{
    QDateTime utc = date.toUTC();
    utc.setTime(QTime(utc.time().hour(), utc.time().minute(), utc.time().second()));
    return utc.toString(Qt::ISODate);
}

std::optional<QDateTime> IsoDate::parse(const QString& text)
{
    static const QRegularExpression form(u"^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}(Z|[+-]\\d{2}:\\d{2})$"_s);
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(text, Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    return date.toUTC();
}

QDateTime IsoDate::now()
{
    const QDateTime current = QDateTime::currentDateTimeUtc();
    return QDateTime::fromSecsSinceEpoch(current.toSecsSinceEpoch(), Qt::UTC);
}

} // namespace tessik
