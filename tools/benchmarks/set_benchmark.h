#pragma once

#include <QtGlobal>

namespace tessik::tools {

// Counts the work of one `tessik-cli set` run in this process: on the demo machine (`set md com.microsoft.VSCode`)
// and on the Linux demo desktop (`set md org.gnome.TextEditor.desktop`), the application scans, the looks at the
// files the defaults are read from (the handler database; each mimeapps.list, defaults.list and mimeinfo.cache)
// and the reads of them, against what the work needs: one look at each such file per lookup batch (the planning,
// each verification check and, on a desktop, the look after its write for a list that still decides).
class SetBenchmark
{
public:
    struct Counts
    {
        int changes = 0;
        qint64 scans = 0;
        qint64 looks = 0;
        qint64 reads = 0;
        // The files one lookup consults, and the lookup batches the run made.
        qint64 filesPerLookup = 0;
        qint64 batches = 0;
        double ms = 0;
    };
    struct Result
    {
        Counts mac;
        Counts desktop;
    };

    static Result run();
};

} // namespace tessik::tools
