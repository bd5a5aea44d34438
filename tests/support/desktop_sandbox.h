#pragma once

#include <QString>

namespace tessik::testing {

// Points HOME and every freedesktop.org variable into a temporary folder that lives as long as the test program,
// before anything reads them, and makes reaching the desktop backend outside such a sandbox end the program.
void enterDesktopSandbox();

// A new folder inside that sandbox, kept until the program ends: Qt's MIME database goes on using the MIME
// folders it found for a few seconds, so no test may delete one while the program runs.
QString newDesktopFolder();

// Writes the Linux demo desktop into a new such folder and points this program at it, as its printed lines would a
// shell; returns the folder.
QString enterXdgDemo();

} // namespace tessik::testing
