#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Makes applications the defaults for formats through the whole change pipeline.
class SetCommand : public CliCommand
{
public:
    SetCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
