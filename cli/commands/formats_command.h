#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Prints the format catalog as the program builds it at a refresh.
class FormatsCommand : public CliCommand
{
public:
    FormatsCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
