#pragma once

#include "core/carry/carried_default.h"
#include "core/carry/defaults_file_error.h"
#include "core/carry/defaults_import.h"

#include <QString>

namespace tessik {

// The words for what an import set aside and for a file of defaults it refused, shared by the window and the
// command line.
class CarryTexts
{
public:
    // The entry as its file names it: "public.html:all → com.apple.Safari", ".md:editor → …", "mailto::all → …".
    static QString entry(const CarriedDefault& entry);
    // The entry and, when it was read from a line, "(line 4)".
    static QString located(const CarriedDefault& entry, const QString& language);
    // "<entry> (line 4): <reason>".
    static QString skipped(const DefaultsImport::Skipped& skipped, const QString& language);
    static QString fileError(const DefaultsFileError& error, const QString& language);
};

} // namespace tessik
