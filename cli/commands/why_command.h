#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Prints why an application currently opens a content type in a role, as the system that decided tells it.
class WhyCommand : public CliCommand
{
public:
    WhyCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
