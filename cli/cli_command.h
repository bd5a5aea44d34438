#pragma once

#include "app/l10n/l10n.h"
#include "core/records/association_role.h"
#include "core/records/installed_app.h"
#include "core/support/newest_first.h"
#include "core/support/record_folder.h"

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QTextStream>
#include <QUuid>

#include <functional>
#include <stdexcept>

namespace tessik::cli {

// Where a command writes, and in which language.
struct CliStreams
{
    QTextStream& out;
    QTextStream& err;
    QString language;
};

// A command line that names an unknown option, lacks an argument or gives a value out of range.
class UsageError : public std::runtime_error
{
public:
    explicit UsageError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// One sub-command of tessik-cli.
class CliCommand
{
public:
    CliCommand(QString name, QString summary) : m_name(std::move(name)), m_summary(std::move(summary)) {}
    virtual ~CliCommand() = default;

    const QString& name() const { return m_name; }
    const QString& summary() const { return m_summary; }
    // Declares the command's options and arguments.
    virtual void configure(QCommandLineParser& parser) const = 0;
    // Exit status 0 on success, 1 on failure; throws UsageError for a bad command line.
    virtual int execute(const QCommandLineParser& parser, CliStreams& io) const = 0;

private:
    QString m_name;
    QString m_summary;
};

// The positional arguments, which must number exactly `count`.
QStringList requirePositional(const QCommandLineParser& parser, qsizetype count, const QString& language);

// The --role option, naming the roles the platform has; its value must be one of them.
QCommandLineOption roleOption();
AssociationRole requireRole(const QCommandLineParser& parser, const QString& language);

// The content type a TARGET argument stands for: an extension, a known content type or a file's path. Throws
// UsageError naming what was expected otherwise.
QString requireTarget(const QString& target, const QString& language);
// The same, with the types these applications name in their document types as known ones.
QString requireTarget(const QString& target, const QString& language, const QList<InstalledApp>& installed);
// The help text of a TARGET argument.
QString targetHelp();

// The --json option of the commands that answer a query.
QCommandLineOption jsonOption();
// Prints the value, or the document, as indented JSON.
void printJson(QTextStream& out, const QJsonValue& value);
void printJson(QTextStream& out, const QJsonDocument& document);
// Prints an array of one object per item, made and written on the pool's threads: the same text as printJson of
// the array, side by side for the long lists of a large machine.
void printJsonArray(QTextStream& out, qsizetype count, const std::function<QJsonObject(qsizetype)>& object);

// Every record of a snapshot or report store, newest first; unreadable files are named on standard error.
template <typename Store> auto loadNewestFirst(const Store& store, CliStreams& io)
{
    using namespace Qt::StringLiterals;
    auto loaded = newestFirst(store);
    for (const std::exception_ptr& error : loaded.unreadable)
        io.err << L10n::text(u"跳过无法读取的文件：{reason}"_s, io.language,
                             {{u"reason"_s, L10n::error(error, io.language)}})
               << u'\n';
    return loaded.records;
}

} // namespace tessik::cli
