// Build-time tool: icon 128 as PNG files for the desktop's icon theme. Each
// argument "SIZE:PATH" writes the icon scaled to SIZE x SIZE by whole pixels
// (nearest neighbour, so the stripes stay sharp).
#include <QImage>

#include <charconv>
#include <cstdio>
#include <cstring>

#include "res/pictures.h"

int main(int argc, char** argv)
{
    const QImage icon = velk::MakeIcon128();
    for (int i = 1; i < argc; ++i) {
        const char* colon = std::strchr(argv[i], ':');
        int size = 0;
        const bool parsed = colon != nullptr && std::from_chars(argv[i], colon, size).ptr == colon;
        if (!parsed || size <= 0 || size > 1024 || size % icon.width() != 0 || colon[1] == '\0') {
            std::fprintf(stderr, "icon_png: expected SIZE:PATH with SIZE a multiple of %d, got \"%s\"\n",
                         icon.width(), argv[i]);
            return 2;
        }
        const QImage scaled = icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!scaled.save(QString::fromLocal8Bit(colon + 1), "PNG")) {
            std::fprintf(stderr, "icon_png: cannot write %s\n", colon + 1);
            return 1;
        }
    }
    return 0;
}
