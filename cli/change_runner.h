#pragma once

#include "cli_command.h"
#include "core/discovery/app_scanner.h"
#include "core/pipeline/change_request.h"

#include <QList>

namespace tessik::cli {

// Puts requests through the whole change pipeline as the program applies them, asking the terminal (or
// obeying --yes) when the system wants confirmation, and prints how each change ended.
class ChangeRunner
{
public:
    // Reads the options that addChangeOptions declared (--yes, --wait, --json).
    ChangeRunner(CliStreams& io, const QCommandLineParser& parser);

    // The options of every command that changes handlers.
    static void addChangeOptions(QCommandLineParser& parser);

    // 0 when every requested handler is now the target, else 1. `scanned` is the command's one scan of the
    // applications (with any it registered itself); only the handlers of the requested types are read.
    int run(const QList<ChangeRequest>& requests, const AppScanner::Result& scanned) const;

private:
    CliStreams& m_io;
    bool m_assumeYes;
    bool m_json;
    int m_attempts;
};

} // namespace tessik::cli
