#pragma once

#include "cli_command.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace tessik::cli {

// Parses "tessik-cli [--system-root DIR] COMMAND [options]", chooses the machine and runs the command.
class CliApplication
{
public:
    CliApplication();
    ~CliApplication();

    // The exit status: 0 success, 1 failure, 2 usage error.
    int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

    // The program's version.
    static QString version();

private:
    QString generalHelp() const;
    const CliCommand* command(const QString& name) const;

    std::vector<std::unique_ptr<CliCommand>> m_commands;
};

} // namespace tessik::cli
