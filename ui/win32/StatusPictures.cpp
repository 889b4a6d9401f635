#include "ui/win32/StatusPictures.h"

// GDI+ reads the GIF pictures; GDI has no GIF reader of its own.
#include <objidl.h>

#include <gdiplus.h>

namespace quillan::ui::win32 {

namespace {

// Pixels of this colour are the pictures' transparent background in the image list.
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

// A picture file as a bitmap of size x size on the mask colour, or null.
HBITMAP loadPicture(const std::filesystem::path& file, int size) {
    using namespace Gdiplus;
    GpBitmap* bitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromFile(file.wstring().c_str(), &bitmap) != Ok || !bitmap)
        return nullptr;
    GpImage* scaled = nullptr;
    UINT width = 0, height = 0;
    DllExports::GdipGetImageWidth(bitmap, &width);
    DllExports::GdipGetImageHeight(bitmap, &height);
    HBITMAP result = nullptr;
    if (width == static_cast<UINT>(size) && height == static_cast<UINT>(size)) {
        DllExports::GdipCreateHBITMAPFromBitmap(bitmap, &result, 0xFFFF00FF);
    } else if (DllExports::GdipGetImageThumbnail(bitmap, static_cast<UINT>(size), static_cast<UINT>(size),
                                                 &scaled, nullptr, nullptr) == Ok &&
               scaled) {
        DllExports::GdipCreateHBITMAPFromBitmap(static_cast<GpBitmap*>(scaled), &result, 0xFFFF00FF);
        DllExports::GdipDisposeImage(scaled);
    }
    DllExports::GdipDisposeImage(bitmap);
    return result;
}

COLORREF dotColour(RowStatus s) {
    switch (s) {
    case RowStatus::New:
        return RGB(160, 160, 160);
    case RowStatus::InProgress:
        return RGB(230, 150, 0);
    case RowStatus::Completed:
        return RGB(0, 150, 60);
    case RowStatus::Failed:
        return RGB(210, 30, 30);
    }
    return RGB(0, 0, 0);
}

HBITMAP drawDot(RowStatus s, int size) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH background = CreateSolidBrush(kMaskColour);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, background);
    DeleteObject(background);
    HBRUSH fill = CreateSolidBrush(dotColour(s));
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    const int inset = size / 8;
    Ellipse(dc, inset, inset, size - inset, size - inset);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(fill);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

} // namespace

const wchar_t* StatusPictures::fileName(RowStatus s) {
    switch (s) {
    case RowStatus::New:
        return L"New.Gif";
    case RowStatus::InProgress:
        return L"Process.gif";
    case RowStatus::Completed:
        return L"Sucess.gif";
    case RowStatus::Failed:
        return L"Failed.Gif";
    }
    return L"";
}

StatusPictures::StatusPictures(const std::filesystem::path& programFolder, int size) : size_(size) {
    list_ = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 4, 0);
    for (RowStatus s : {RowStatus::New, RowStatus::InProgress, RowStatus::Completed, RowStatus::Failed}) {
        HBITMAP picture = loadPicture(programFolder / L"Images" / fileName(s), size);
        fromFile_[static_cast<std::size_t>(index(s))] = picture != nullptr;
        if (!picture)
            picture = drawDot(s, size);
        ImageList_AddMasked(list_, picture, kMaskColour);
        DeleteObject(picture);
    }
}

StatusPictures::~StatusPictures() {
    if (list_)
        ImageList_Destroy(list_);
}

void StatusPictures::draw(HDC dc, RowStatus s, int x, int y) const {
    ImageList_Draw(list_, index(s), dc, x, y, ILD_TRANSPARENT);
}

HBITMAP loadLogo(const std::filesystem::path& programFolder) {
    const auto file = programFolder / L"Images" / L"Quillan.bmp";
    return static_cast<HBITMAP>(LoadImageW(nullptr, file.wstring().c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

} // namespace quillan::ui::win32
