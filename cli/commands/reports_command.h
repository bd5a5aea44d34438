#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Lists the saved failure reports, or prints one.
class ReportsCommand : public CliCommand
{
public:
    ReportsCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
