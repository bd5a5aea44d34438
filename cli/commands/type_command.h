#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Prints the content type of a filename extension.
class TypeCommand : public CliCommand
{
public:
    TypeCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
