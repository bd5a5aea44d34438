#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Runs one check of the format catalog updater and says what happened.
class UpdateCatalogCommand : public CliCommand
{
public:
    UpdateCatalogCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;
};

} // namespace tessik::cli
