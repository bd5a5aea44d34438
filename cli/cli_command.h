#pragma once

#include "app/l10n/l10n.h"
#include "core/records/association_role.h"

#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QTextStream>
#include <QUuid>

#include <algorithm>
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

// The value of --role, which must be one of the four roles.
// The --role option, naming the roles the platform has.
QCommandLineOption roleOption();
AssociationRole requireRole(const QCommandLineParser& parser, const QString& language);

// Every record of a snapshot or report store, newest first; unreadable files are named on standard error.
template <typename Store> auto loadNewestFirst(const Store& store, CliStreams& io)
{
    using namespace Qt::StringLiterals;
    QList<decltype(store.load(QUuid()))> records;
    for (const QUuid& id : store.ids()) {
        try {
            records.append(store.load(id));
        } catch (const std::exception& error) {
            io.err << L10n::text(u"跳过无法读取的文件：{reason}"_s, io.language,
                                 {{u"reason"_s, L10n::error(error, io.language)}})
                   << u'\n';
        }
    }
    std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
        return a.createdAt != b.createdAt ? a.createdAt > b.createdAt : a.id < b.id;
    });
    return records;
}

} // namespace tessik::cli
