#include "url_opener.h"

#include "platform/workspace.h"

namespace tessik::ui {
namespace {

UrlOpener::Function& current()
{
    static UrlOpener::Function opener;
    return opener;
}

} // namespace

bool UrlOpener::open(const QUrl& url)
{
    return current() ? current()(url) : platform::Workspace::openURL(url);
}

void UrlOpener::set(Function opener)
{
    current() = std::move(opener);
}

} // namespace tessik::ui
