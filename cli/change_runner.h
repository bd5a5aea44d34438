#pragma once

#include "cli_command.h"
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

    // 0 when every requested handler is now the target, else 1.
    int run(const QList<ChangeRequest>& requests) const;

private:
    CliStreams& m_io;
    bool m_assumeYes;
    bool m_json;
    int m_attempts;
};

} // namespace tessik::cli
