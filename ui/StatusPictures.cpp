#include "ui/StatusPictures.h"

#include "platform/PathMap.h"

#include <QColor>
#include <QPainter>
#include <QString>

namespace quillan::ui {

namespace {

QPixmap loadScaled(const std::filesystem::path& file, int height) {
    QPixmap p;
    // The suffix does not decide the format: a ".Gif" that is really a PNG still loads.
    if (!p.load(QString::fromStdString(resolveCase(file).string())) || p.isNull())
        return {};
    if (p.height() > height)
        p = p.scaledToHeight(height, Qt::SmoothTransformation);
    return p;
}

} // namespace

const char* StatusPictures::fileName(RowStatus s) {
    switch (s) {
    case RowStatus::New:
        return "New.Gif";
    case RowStatus::InProgress:
        return "Process.gif";
    case RowStatus::Completed:
        return "Sucess.gif";
    case RowStatus::Failed:
        return "Failed.Gif";
    }
    return "";
}

QPixmap StatusPictures::dot(RowStatus s) {
    QColor colour;
    switch (s) {
    case RowStatus::New:
        colour = QColor(160, 160, 160);
        break;
    case RowStatus::InProgress:
        colour = QColor(230, 150, 0);
        break;
    case RowStatus::Completed:
        colour = QColor(0, 150, 60);
        break;
    case RowStatus::Failed:
        colour = QColor(210, 30, 30);
        break;
    }
    QPixmap p(kSize, kSize);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(colour.darker(130));
    painter.setBrush(colour);
    painter.drawEllipse(2, 2, kSize - 4, kSize - 4);
    return p;
}

StatusPictures::StatusPictures(const std::filesystem::path& programFolder) {
    for (RowStatus s : {RowStatus::New, RowStatus::InProgress, RowStatus::Completed, RowStatus::Failed}) {
        QPixmap p = loadScaled(programFolder / "Images" / fileName(s), kSize);
        fromFile_[index(s)] = !p.isNull();
        pictures_[index(s)] = p.isNull() ? dot(s) : p;
    }
}

QPixmap loadLogo(const std::filesystem::path& programFolder) {
    return loadScaled(programFolder / "Images" / "Quillan.bmp", 48);
}

} // namespace quillan::ui
