// quillan-screengrab FILE.png [DELAY_MS]: saves a picture of the whole screen of the display it
// runs on (for example an Xvfb display on which quillan runs), after an optional delay. Used to
// look at the real window; see docs/window.md.
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillan-screengrab FILE.png [DELAY_MS]\n");
        return 64;
    }
    QApplication app(argc, argv);
    if (argc > 2)
        QThread::msleep(static_cast<unsigned long>(std::strtoul(argv[2], nullptr, 10)));
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "quillan-screengrab: no screen\n");
        return 1;
    }
    const QPixmap shot = screen->grabWindow(0);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "quillan-screengrab: could not save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
