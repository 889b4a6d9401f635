#pragma once
// The four status pictures of the checklist and the event grid, loaded once from the program
// folder's "Images". A picture that is missing or unreadable is drawn as a coloured dot, so a
// window without its pictures still tells the states apart.
#include "base/ConsoleModel.h"

#include <QPixmap>

#include <array>
#include <filesystem>

namespace quillan::ui {

class StatusPictures {
public:
    static constexpr int kSize = 16;

    explicit StatusPictures(const std::filesystem::path& programFolder);

    const QPixmap& picture(RowStatus s) const { return pictures_[index(s)]; }
    // True when the picture came from its file rather than the drawn stand-in.
    bool fromFile(RowStatus s) const { return fromFile_[index(s)]; }

    // The file names as the installation ships them (found without regard to case).
    static const char* fileName(RowStatus s);
    static QPixmap dot(RowStatus s);

private:
    static std::size_t index(RowStatus s) { return static_cast<std::size_t>(s) - 1; }
    std::array<QPixmap, 4> pictures_;
    std::array<bool, 4> fromFile_{};
};

// The logo "Images\Quillan.bmp", or a null pixmap when it is missing.
QPixmap loadLogo(const std::filesystem::path& programFolder);

} // namespace quillan::ui
