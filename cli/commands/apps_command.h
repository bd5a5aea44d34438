#pragma once

#include "cli/cli_command.h"

namespace tessik::cli {

// Lists the installed applications as the scanner finds them.
class AppsCommand : public CliCommand
{
public:
    AppsCommand();
    void configure(QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, CliStreams& io) const override;

private:
    // The applications that can open the type, as "gio mime TYPE" lists them.
    int listHandlers(const QString& type, bool json, CliStreams& io) const;
};

} // namespace tessik::cli
