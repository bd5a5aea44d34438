#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Prints the application that currently opens a content type in a role, or a URL scheme's links.
class GetCommand : public CliCommand
{
public:
    GetCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;

private:
    // The web browser, or what opens each web scheme when they differ.
    int printBrowser(const QCommandLineParser& parser, CliStreams& io) const;
};

} // namespace tessik::cli
