#pragma once

#include <QImage>

namespace tessik::tools {

// The program's own artwork (ui/resources/TessikIcon.png): a document with a bold arrow choosing where it goes,
// drawn with vector paths so it is the same on every machine.
class TessikArtwork
{
public:
    static QImage logo(int pixels);
};

} // namespace tessik::tools
