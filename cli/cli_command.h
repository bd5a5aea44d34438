#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QTextStream>

#include <stdexcept>

namespace tessik::cli {

// Where a command writes.
struct CliStreams
{
    QTextStream& out;
    QTextStream& err;
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
    virtual ~CliCommand() = default;
    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    // Declares the command's options and arguments.
    virtual void configure(QCommandLineParser& parser) const = 0;
    // Exit status 0 on success, 1 on failure; throws UsageError for a bad command line.
    virtual int execute(const QCommandLineParser& parser, CliStreams& io) const = 0;
};

// The positional arguments, which must number exactly `count`.
QStringList requirePositional(const QCommandLineParser& parser, qsizetype count);

} // namespace tessik::cli
