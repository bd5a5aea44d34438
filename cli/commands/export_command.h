#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Writes the machine's chosen defaults to a file that import reads on this or another machine.
class ExportCommand : public CliCommand
{
public:
    ExportCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
