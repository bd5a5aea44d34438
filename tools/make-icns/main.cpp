// Writes an .icns file of a square picture at every size a Mac asks for; the build makes the icon of Tessik.app so.
#include "systemwriter/app_icon_artwork.h"

#include <QCoreApplication>
#include <QImage>
#include <QSaveFile>

#include <cstdio>
#include <stdexcept>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: make-icns PICTURE OUTPUT.icns\n", stderr);
        return 2;
    }
    const QImage picture(arguments[1]);
    if (picture.isNull()) {
        std::fprintf(stderr, "make-icns: cannot read the picture %s\n", qPrintable(arguments[1]));
        return 1;
    }
    try {
        QSaveFile file(arguments[2]);
        if (!file.open(QIODevice::WriteOnly) || file.write(tessik::tools::AppIconArtwork::icns(picture)) < 0 ||
            !file.commit()) {
            std::fprintf(stderr, "make-icns: cannot write %s: %s\n", qPrintable(arguments[2]),
                         qPrintable(file.errorString()));
            return 1;
        }
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "make-icns: %s\n", error.what());
        return 1;
    }
    return 0;
}
