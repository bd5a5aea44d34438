#pragma once

namespace tessik::testing {

// Points HOME and every freedesktop.org variable into a temporary folder that lives as long as the test program,
// before anything reads them, and makes reaching the desktop backend outside such a sandbox end the program.
void enterDesktopSandbox();

} // namespace tessik::testing
