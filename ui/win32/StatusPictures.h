#pragma once
// The four status pictures of the checklist and the event grid, read once from the program
// folder's "Images" into one image list (index = status code - 1). A picture that is missing or
// unreadable is drawn as a coloured dot, so a window without its pictures still tells the states
// apart.
#include "base/ConsoleModel.h"

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <filesystem>

namespace quillan::ui::win32 {

class StatusPictures {
public:
    // `size`: the pictures' side in pixels (16 at 96 dots per inch).
    StatusPictures(const std::filesystem::path& programFolder, int size);
    ~StatusPictures();
    StatusPictures(const StatusPictures&) = delete;
    StatusPictures& operator=(const StatusPictures&) = delete;

    HIMAGELIST imageList() const { return list_; }
    int size() const { return size_; }
    static int index(RowStatus s) { return static_cast<int>(s) - 1; }
    // True when the picture came from its file rather than the drawn stand-in.
    bool fromFile(RowStatus s) const { return fromFile_[static_cast<std::size_t>(index(s))]; }
    void draw(HDC dc, RowStatus s, int x, int y) const;

    // The file names as the installation ships them.
    static const wchar_t* fileName(RowStatus s);

private:
    HIMAGELIST list_ = nullptr;
    int size_;
    std::array<bool, 4> fromFile_{};
};

// The logo "Images\Quillan.bmp", or null when it is missing or unreadable. The caller owns it.
HBITMAP loadLogo(const std::filesystem::path& programFolder);

} // namespace quillan::ui::win32
