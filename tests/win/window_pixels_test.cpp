// What the control window made from the core draws on the screen: the tab strip and the
// tree drew, and the pictures of known items appear beside their labels as the DLL's bitmap
// resources show them (their transparent colour left to the background), an overlay drawn
// over its picture. Each screenshot is saved as a BMP beside the test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "shown_control.h"

namespace zortab_test {
namespace {

struct ScreenDcRelease {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDelete {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct ObjectDelete {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, ScreenDcRelease>;
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDelete>;
using GdiObject = std::unique_ptr<void, ObjectDelete>;

constexpr int kFirstItemPicture = 202;     // picture 0
constexpr int kFirstOverlayPicture = 301;  // overlay 1
constexpr COLORREF kItemClear = RGB(255, 255, 255);
constexpr COLORREF kOverlayClear = RGB(0, 255, 255);
constexpr COLORREF kClear = 0xFF000000;  // a pattern pixel that shows the background
constexpr COLORREF kAny = 0xFE000000;    // a pattern pixel not looked at

// Pixels as COLORREF, row by row from the top.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> at;
  COLORREF At(int x, int y) const { return at[static_cast<size_t>(y * width + x)]; }
};

COLORREF FromDib(DWORD v) { return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF); }

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  return info;
}

// The screen under `window` as it shows now.
void Screenshot(HWND window, Pixels& out, RECT& where) {
  ASSERT_TRUE(GetWindowRect(window, &where));
  out.width = where.right - where.left;
  out.height = where.bottom - where.top;
  ScreenDc screen(GetDC(nullptr));
  ASSERT_NE(screen, nullptr);
  MemoryDc memory(CreateCompatibleDC(screen.get()));
  ASSERT_NE(memory, nullptr);
  BITMAPINFO info = TopDown32(out.width, out.height);
  void* bits = nullptr;
  GdiObject canvas(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_NE(canvas, nullptr);
  HGDIOBJ previous = SelectObject(memory.get(), canvas.get());
  ASSERT_NE(previous, nullptr);
  const BOOL copied = BitBlt(memory.get(), 0, 0, out.width, out.height, screen.get(), where.left,
                             where.top, SRCCOPY);
  GdiFlush();
  SelectObject(memory.get(), previous);
  ASSERT_TRUE(copied);
  const auto* dib = static_cast<const DWORD*>(bits);
  out.at.resize(static_cast<size_t>(out.width * out.height));
  for (size_t i = 0; i < out.at.size(); ++i) out.at[i] = FromDib(dib[i]);
}

// A 16 x 16 bitmap resource of the DLL; its transparent colour becomes kClear.
void LoadPicture(int resource_id, COLORREF transparent, Pixels& out) {
  GdiObject bitmap(LoadImageA(ControlResources(), MAKEINTRESOURCEA(resource_id), IMAGE_BITMAP, 0, 0,
                              LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr) << resource_id;
  ScreenDc screen(GetDC(nullptr));
  ASSERT_NE(screen, nullptr);
  BITMAPINFO info = TopDown32(16, 16);
  std::vector<DWORD> dib(256);
  ASSERT_EQ(GetDIBits(screen.get(), static_cast<HBITMAP>(bitmap.get()), 0, 16, dib.data(), &info,
                      DIB_RGB_COLORS),
            16);
  out.width = out.height = 16;
  out.at.clear();
  for (DWORD v : dib) out.at.push_back(FromDib(v) == transparent ? kClear : FromDib(v));
}

// `below` with the pixels that `top` covers left out.
Pixels Under(const Pixels& top, const Pixels& below) {
  Pixels out = below;
  for (size_t i = 0; i < out.at.size(); ++i) {
    if (top.at[i] != kClear) out.at[i] = kAny;
  }
  return out;
}

// Where `picture` appears inside `area` of `shot`: every opaque pixel the same, and its
// clear pixels show one background colour (all but a few: the tree's lines may reach under
// a picture's clear edge).
std::optional<POINT> Find(const Pixels& shot, const RECT& area, const Pixels& picture) {
  const LONG bottom = std::min<LONG>(shot.height, area.bottom);
  const LONG right = std::min<LONG>(shot.width, area.right);
  for (LONG y = std::max<LONG>(0, area.top); y + 16 <= bottom; ++y) {
    for (LONG x = std::max<LONG>(0, area.left); x + 16 <= right; ++x) {
      bool same = true;
      std::vector<COLORREF> background;
      for (int i = 0; i < 256 && same; ++i) {
        const COLORREF seen = shot.At(x + i % 16, y + i / 16);
        const COLORREF want = picture.at[static_cast<size_t>(i)];
        if (want == kClear) {
          background.push_back(seen);
        } else if (want != kAny) {
          same = seen == want;
        }
      }
      if (!same) continue;
      const auto first = background.empty() ? COLORREF{0} : background.front();
      const auto alike = std::count(background.begin(), background.end(), first);
      if (static_cast<size_t>(alike) * 10 >= background.size() * 9) return POINT{x, y};
    }
  }
  return std::nullopt;
}

// Pixels of `area` that differ from the colour most of it has.
int Drawn(const Pixels& shot, const RECT& area) {
  std::vector<COLORREF> colours;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) colours.push_back(shot.At(x, y));
  }
  std::sort(colours.begin(), colours.end());
  size_t most = 0;
  for (size_t i = 0, run = 0; i < colours.size(); ++i) {
    run = i > 0 && colours[i] == colours[i - 1] ? run + 1 : 1;
    most = std::max(most, run);
  }
  return static_cast<int>(colours.size() - most);
}

// Writes a 32-bit top-down BMP beside the test program and answers its path.
std::string SaveBmp(const Pixels& shot, const std::string& name) {
  char program[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string path(program, length);
  path = path.substr(0, path.find_last_of("\\/") + 1) + name + ".bmp";
  const DWORD pixel_bytes = static_cast<DWORD>(shot.at.size() * 4);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + pixel_bytes;
  const BITMAPINFOHEADER header = TopDown32(shot.width, shot.height).bmiHeader;
  std::vector<DWORD> dib;
  for (COLORREF c : shot.at) {
    dib.push_back((DWORD{GetRValue(c)} << 16) | (DWORD{GetGValue(c)} << 8) | GetBValue(c));
  }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(dib.data()), pixel_bytes);
  return out.good() ? path : std::string();
}

class WindowPixels : public ::testing::Test, public ShownControl {
 protected:
  // A rectangle of `window`'s client area in the coordinates of a shot of `shot_window`.
  RECT InShot(HWND window, RECT r, const RECT& shot_origin) {
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    MapWindowPoints(window, nullptr, corners, 2);
    return RECT{corners[0].x - shot_origin.left, corners[0].y - shot_origin.top,
                corners[1].x - shot_origin.left, corners[1].y - shot_origin.top};
  }
  RECT ClientInShot(HWND window, const RECT& shot_origin) {
    RECT r{};
    EXPECT_TRUE(GetClientRect(window, &r));
    return InShot(window, r, shot_origin);
  }
  // The whole row of an item's node, and its label, in shot coordinates.
  void Row(const std::string& id, const RECT& shot_origin, RECT& row, RECT& label) {
    ASSERT_TRUE(Dialog().Tree()->GetItemRect(NodeOf(id), false, row)) << id;
    ASSERT_TRUE(Dialog().Tree()->GetItemRect(NodeOf(id), true, label)) << id;
    row = InShot(TreeWindow(), row, shot_origin);
    label = InShot(TreeWindow(), label, shot_origin);
  }
  // The picture shows in the item's row, ending just before the label.
  void ExpectPictureBeside(const Pixels& shot, const RECT& origin, const std::string& id,
                           const Pixels& picture) {
    RECT row{}, label{};
    ASSERT_NO_FATAL_FAILURE(Row(id, origin, row, label));
    const RECT before_label{row.left, row.top - 1, label.left, row.bottom + 1};
    const std::optional<POINT> at = Find(shot, before_label, picture);
    ASSERT_TRUE(at.has_value()) << "picture of " << id << " not in its row";
    EXPECT_LE(at->x + 16, label.left) << id;
    EXPECT_GE(at->x + 16, label.left - 6) << id;
  }
  // The picture shows outside the overlay, and the overlay changed it. Wine's image list
  // draws an overlay with a faulty mask (every other row of its opaque pixels goes
  // missing; drawing the same overlay as a picture of its own is exact), so its pixels are
  // not compared one by one.
  void ExpectOverlaidPictureBeside(const Pixels& shot, const RECT& origin, const std::string& id,
                                   const Pixels& overlay, const Pixels& picture) {
    ASSERT_NO_FATAL_FAILURE(ExpectPictureBeside(shot, origin, id, Under(overlay, picture)));
    RECT row{}, label{};
    ASSERT_NO_FATAL_FAILURE(Row(id, origin, row, label));
    EXPECT_FALSE(Find(shot, row, picture).has_value()) << "no overlay on " << id;
  }
  void Shoot(Pixels& shot, RECT& origin, const std::string& name) {
    ASSERT_TRUE(RedrawWindow(Dialog().Window(), nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN));
    Settle();
    ASSERT_NO_FATAL_FAILURE(Screenshot(Dialog().Window(), shot, origin));
    const std::string path = SaveBmp(shot, name);
    EXPECT_NE(path, "");
    std::printf("screenshot: %s\n", path.c_str());
  }
};

TEST_F(WindowPixels, TabsTreeAndPicturesDraw) {
  ASSERT_NO_FATAL_FAILURE(Open());
  list.AddItemList(
      "TAB:Pictures,TABPIC:9,TEXT:folder,ID:f,CPIC:0,OPIC:1,EXPAND:1\n"
      "TAB:Pictures,TEXT:document,ID:d,PARENT:f,PIC:2\n"
      "TAB:Pictures,TEXT:marked,ID:m,PARENT:f,PIC:2,OVERLAY:3\n"
      "TAB:Pictures,TEXT:globe,ID:g,PARENT:f,PIC:6\n"
      "TAB:Other,TEXT:computer,ID:c,PIC:10\n"
      "TAB:Other,TEXT:drive,ID:h,PIC:7,OVERLAY:4");
  Settle();
  auto item_picture = [](int number, Pixels& out) {
    LoadPicture(kFirstItemPicture + number, kItemClear, out);
  };
  auto overlay = [](int number, Pixels& out) {
    LoadPicture(kFirstOverlayPicture + number - 1, kOverlayClear, out);
  };
  Pixels closed_folder, document, globe, tab_picture, crossed, computer, drive, shortcut;
  ASSERT_NO_FATAL_FAILURE(item_picture(0, closed_folder));
  ASSERT_NO_FATAL_FAILURE(item_picture(2, document));
  ASSERT_NO_FATAL_FAILURE(item_picture(6, globe));
  ASSERT_NO_FATAL_FAILURE(item_picture(9, tab_picture));
  ASSERT_NO_FATAL_FAILURE(item_picture(10, computer));
  ASSERT_NO_FATAL_FAILURE(item_picture(7, drive));
  ASSERT_NO_FATAL_FAILURE(overlay(3, crossed));
  ASSERT_NO_FATAL_FAILURE(overlay(4, shortcut));

  Pixels shot;
  RECT origin{};
  ASSERT_NO_FATAL_FAILURE(Shoot(shot, origin, "window_pixels_first_tab"));
  EXPECT_GT(Drawn(shot, ClientInShot(TabsWindow(), origin)), 50);
  EXPECT_GT(Drawn(shot, ClientInShot(TreeWindow(), origin)), 50);
  // A node made expanded keeps its closed picture until the user opens it.
  ExpectPictureBeside(shot, origin, "f", closed_folder);
  ExpectPictureBeside(shot, origin, "d", document);
  ExpectPictureBeside(shot, origin, "g", globe);
  ExpectOverlaidPictureBeside(shot, origin, "m", crossed, document);
  RECT tab{};
  ASSERT_TRUE(SendMessageA(TabsWindow(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab)));
  EXPECT_TRUE(Find(shot, InShot(TabsWindow(), tab, origin), tab_picture).has_value());

  list.PutSelectedTab("Other");
  Settle();
  ASSERT_NO_FATAL_FAILURE(Shoot(shot, origin, "window_pixels_second_tab"));
  EXPECT_GT(Drawn(shot, ClientInShot(TreeWindow(), origin)), 50);
  ExpectPictureBeside(shot, origin, "c", computer);
  ExpectOverlaidPictureBeside(shot, origin, "h", shortcut, drive);
}

}  // namespace
}  // namespace zortab_test
