// Writes the player's skin PNGs into the folder given on the command line:
//   make_artwork player/resources
// The images are committed; run this after changing how they are drawn.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <functional>

#include "bar.h"
#include "logo.h"
#include "strips.h"

namespace {

struct Artwork {
    const char* file;
    std::function<QImage()> make;
};

const Artwork kArtwork[] = {
    {"Progress.png", skin::MakeTrack},
    {"Progress_ruler.png", skin::MakeFill},
    {"progress_thumb2.png", skin::MakeHiddenThumb},
    {"progress_thumb.png", skin::MakePreviewThumb},
    {"play_pause.png", skin::MakePlayPauseStrip},
    {"volume.png", skin::MakeVolumeStrip},
    {"fullscreen.png", skin::MakeFullScreenStrip},
    {"logo.png", skin::MakeLogo},
    {"orvo-player.png", skin::MakeIcon},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    // Text needs a GUI application, but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const Artwork& art : kArtwork) {
        const QString path = folder.filePath(QString::fromLatin1(art.file));
        if (!art.make().save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
