#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

namespace tessik::tools {

// Application icons drawn from a small description: a rounded tile in the base colour with a glyph in the accent
// colour, all vector paths (no text, so nothing depends on the fonts installed).
class AppIconArtwork
{
public:
    struct Design
    {
        QColor base;
        QColor accent;
        QString shape;
    };

    // The glyphs known; a design naming another is refused.
    static QStringList shapes();
    // The icon at `pixels` × `pixels`. Throws std::runtime_error for an unknown shape or an invalid colour.
    static QImage render(const Design& design, int pixels);
    // An .icns file holding the icon at 16, 32, 64, 128, 256 and 512 pixels.
    static QByteArray icns(const Design& design);
    // An .icns file of the picture at those sizes, scaled smoothly. Throws std::runtime_error unless it is square.
    static QByteArray icns(const QImage& picture);

private:
    static QByteArray icnsOf(const std::function<QImage(int pixels)>& imageAt);
};

} // namespace tessik::tools
