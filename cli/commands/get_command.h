#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Prints the application that currently opens a content type in a role.
class GetCommand : public CliCommand
{
public:
    GetCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
