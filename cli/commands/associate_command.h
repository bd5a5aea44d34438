#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Stores a custom association between a format and an installed application.
class AssociateCommand : public CliCommand
{
public:
    AssociateCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
