#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Lists the saved snapshots, newest first.
class SnapshotsCommand : public CliCommand
{
public:
    SnapshotsCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
