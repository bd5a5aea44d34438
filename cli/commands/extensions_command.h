#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Prints the filename extensions of a content type.
class ExtensionsCommand : public CliCommand
{
public:
    ExtensionsCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
