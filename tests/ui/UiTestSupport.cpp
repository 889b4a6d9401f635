#include "UiTestSupport.h"

#include <QColor>
#include <QImage>
#include <QPainter>

namespace quillan::uitest {

QApplication& app() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "quillan_ui_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing a QApplication down after main() has returned crashes inside Qt.
    static auto* application = new QApplication(argc, argv);
    return *application;
}

namespace {

// Pictures saved as PNG under the installation's names, one of them in other letter case.
void writePicture(const std::filesystem::path& file, QColor colour) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setBrush(colour);
    p.drawRect(2, 2, 11, 11);
    p.end();
    image.save(QString::fromStdString(file.string()), "PNG");
}

} // namespace

ProgramFolder::ProgramFolder(bool withPictures) : TempDir("quillan-ui") {
    const std::filesystem::path& folder = path();
    std::filesystem::create_directories(folder / "Images");
    if (withPictures) {
        writePicture(folder / "Images" / "New.Gif", QColor(120, 120, 220));
        writePicture(folder / "Images" / "Process.gif", QColor(240, 200, 0));
        writePicture(folder / "Images" / "SUCESS.GIF", QColor(0, 180, 0));
        writePicture(folder / "Images" / "failed.gif", QColor(200, 0, 0));
        QImage logo(48, 48, QImage::Format_RGB32);
        logo.fill(QColor(31, 63, 122));
        logo.save(QString::fromStdString((folder / "Images" / "Quillan.bmp").string()), "BMP");
    }
}

} // namespace quillan::uitest
