// A drawing surface for the Windows tests whose pixels are read back.
#pragma once

#include <windows.h>

#include "control/com/gdi_handles.h"

namespace zortab_test {

// A white 32-bit DIB section selected into a memory DC, whose pixels are read back.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc_ || !bitmap_) return;
    pixels_ = static_cast<const DWORD*>(bits);
    previous_ = SelectObject(dc_.Get(), bitmap_.Get());
    const RECT all = {0, 0, width, height};
    FillRect(dc_.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    if (previous_) SelectObject(dc_.Get(), previous_);  // the bitmap goes after this
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool Ready() const { return previous_ != nullptr; }
  HDC Dc() const { return dc_.Get(); }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const DWORD pixel = pixels_[y * width_ + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  }
  int Count(const RECT& area, COLORREF colour) const {
    int found = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) found += At(x, y) == colour;
    }
    return found;
  }

 private:
  int width_;
  control::com::UniqueDc dc_;
  control::com::UniqueGdiObject bitmap_;
  const DWORD* pixels_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace zortab_test
