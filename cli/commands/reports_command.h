#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Lists the saved failure reports, or prints one.
class ReportsCommand : public CliCommand
{
public:
    QString name() const override;
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
