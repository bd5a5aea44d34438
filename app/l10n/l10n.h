#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <exception>

namespace tessik {

// Turns the program's Chinese source texts, which are also the keys of their translations, into the user's
// language, and errors into texts a user can read.
class L10n
{
public:
    // Source text → language code → translation.
    using Table = QHash<QString, QHash<QString, QString>>;
    using Values = QHash<QString, QString>;

    // The translation in the language, else the English one, else the source text; then every "{name}" of the
    // values is replaced by its value. Callable from any thread.
    static QString text(const QString& key, const QString& language, const Values& values = {});
    static QString error(const std::exception& error, const QString& language);
    // Whatever was thrown, as `error` shows it.
    static QString error(const std::exception_ptr& error, const QString& language);

    // The shipped table, loaded on first use.
    static const Table& translations();
    // Anything but an object of objects of strings yields an empty table.
    static Table parse(const QByteArray& json);
    static QString fill(QString text, const Values& values);
};

} // namespace tessik
