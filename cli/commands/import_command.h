#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Makes the defaults of an exported file (or of an administrator's list of lines) this machine's, as one plan.
class ImportCommand : public CliCommand
{
public:
    // What --check answers when the machine does not yet match the file.
    static constexpr int wouldChangeStatus = 3;

    ImportCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
