#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Lists the installed applications as the scanner finds them.
class AppsCommand : public CliCommand
{
public:
    AppsCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
