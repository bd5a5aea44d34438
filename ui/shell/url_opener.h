#pragma once

#include <QUrl>

#include <functional>

namespace tessik::ui {

// How the program hands a URL (a mail draft, the website) to the desktop: the workspace by default, which on the
// emulated machine records it; a real desktop backend installs its own.
class UrlOpener
{
public:
    using Function = std::function<bool(const QUrl&)>;

    // False when nothing could open it.
    static bool open(const QUrl& url);
    // An empty function restores the workspace.
    static void set(Function opener);
};

} // namespace tessik::ui
