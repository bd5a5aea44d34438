#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Puts the handlers a snapshot recorded back, through the change pipeline.
class RestoreCommand : public CliCommand
{
public:
    RestoreCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
