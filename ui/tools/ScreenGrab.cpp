// quillan-screengrab FILE.png [DELAY_MS] [--crop]: saves a picture of the whole screen of the
// display it runs on (for example an Xvfb display on which quillan runs), after an optional delay;
// with --crop only the part that is not the bare (black) root window. Used to look at the real
// window; see docs/window.md.
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The smallest rectangle holding every pixel that is not black: the windows on a bare display.
QRect drawnPart(const QImage& image) {
    QRect part;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) != 0)
                part |= QRect(x, y, 1, 1);
    }
    return part.isEmpty() ? image.rect() : part;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillan-screengrab FILE.png [DELAY_MS] [--crop]\n");
        return 64;
    }
    const bool crop = argc > 3 && std::strcmp(argv[3], "--crop") == 0;
    QApplication app(argc, argv);
    if (argc > 2)
        QThread::msleep(static_cast<unsigned long>(std::strtoul(argv[2], nullptr, 10)));
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "quillan-screengrab: no screen\n");
        return 1;
    }
    QImage shot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    if (crop && !shot.isNull())
        shot = shot.copy(drawnPart(shot));
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "quillan-screengrab: could not save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
