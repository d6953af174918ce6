// The DLL's resources as the control and its hosts use them: the child dialog that
// holds the two views, the 55 item pictures and 8 overlays with their transparent
// colours, the toolbox picture and the embedded registration script. The DLL is
// loaded as a data file, so none of its code runs.
#include <windows.h>
// <commctrl.h> needs the types of <windows.h>.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

class DataModule {
 public:
  explicit DataModule(const wchar_t* path)
      : module_(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~DataModule() {
    if (module_) FreeLibrary(module_);
  }
  DataModule(const DataModule&) = delete;
  DataModule& operator=(const DataModule&) = delete;
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

const wchar_t* const kDialog = MAKEINTRESOURCEW(5);  // RT_DIALOG
const wchar_t* const kBitmap = MAKEINTRESOURCEW(2);  // RT_BITMAP

// The bytes of one resource, empty when it does not exist.
std::vector<unsigned char> Resource(HMODULE module, const wchar_t* type, int id) {
  std::vector<unsigned char> bytes;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return bytes;
  HGLOBAL loaded = LoadResource(module, found);
  const auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
  if (data) bytes.assign(data, data + SizeofResource(module, found));
  return bytes;
}

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(dll_.Get(), nullptr) << "cannot load the DLL"; }
  DataModule dll_{ZORTAB_DLL_PATH};
};

// --- Dialog 103 ------------------------------------------------------------------------

// Reads a DLGTEMPLATEEX: WORDs, DWORDs and "string or ordinal" fields, items aligned on
// DWORD boundaries.
class TemplateReader {
 public:
  explicit TemplateReader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}
  bool Ok() const { return ok_; }
  WORD Word() {
    WORD value = 0;
    Take(&value, 2);
    return value;
  }
  DWORD Dword() {
    DWORD value = 0;
    Take(&value, 4);
    return value;
  }
  BYTE Byte() {
    BYTE value = 0;
    Take(&value, 1);
    return value;
  }
  // A class or title field: an ordinal is answered as "#<number>".
  std::wstring Text() {
    WORD first = Word();
    if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
    std::wstring text;
    for (WORD c = first; ok_ && c != 0; c = Word()) text += static_cast<wchar_t>(c);
    return text;
  }
  void AlignDword() { at_ = (at_ + 3) & ~size_t{3}; }
  void Skip(size_t count) { at_ += count; }

 private:
  void Take(void* out, size_t size) {
    if (at_ + size > bytes_.size()) {
      ok_ = false;
      return;
    }
    std::memcpy(out, &bytes_[at_], size);
    at_ += size;
  }
  const std::vector<unsigned char>& bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

struct DialogItem {
  DWORD ex_style, style, id;
  std::wstring window_class, title;
};

const DWORD kTabStyle =
    WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | TCS_TOOLTIPS | TCS_RAGGEDRIGHT;
const DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS |
                         TVS_HASLINES | TVS_DISABLEDRAGDROP | TVS_INFOTIP | TVS_FULLROWSELECT;

TEST_F(ResourcesTest, DialogTemplate) {
  const std::vector<unsigned char> bytes = Resource(dll_.Get(), kDialog, IDD_ZORTABLIST);
  ASSERT_FALSE(bytes.empty());
  TemplateReader r(bytes);
  ASSERT_EQ(r.Word(), 1) << "an extended template";
  ASSERT_EQ(r.Word(), 0xFFFF);
  r.Dword();  // help id
  const DWORD ex_style = r.Dword();
  const DWORD style = r.Dword();
  const WORD items = r.Word();
  const short x = static_cast<short>(r.Word()), y = static_cast<short>(r.Word());
  const short cx = static_cast<short>(r.Word()), cy = static_cast<short>(r.Word());
  EXPECT_EQ(r.Text(), L"");  // no menu
  EXPECT_EQ(r.Text(), L"");  // the standard dialog class
  EXPECT_EQ(r.Text(), L"");  // no title
  ASSERT_TRUE(style & DS_SETFONT);
  const WORD points = r.Word();
  r.Word();  // weight
  r.Byte();  // italic
  r.Byte();  // character set
  const std::wstring font = r.Text();
  ASSERT_TRUE(r.Ok());

  EXPECT_EQ(style & (WS_CHILD | WS_POPUP | WS_VISIBLE), static_cast<DWORD>(WS_CHILD));
  EXPECT_EQ(ex_style, static_cast<DWORD>(WS_EX_CONTROLPARENT));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(cx, 59);
  EXPECT_EQ(cy, 25);
  EXPECT_EQ(points, 8);
  EXPECT_EQ(font, L"MS Sans Serif");

  ASSERT_EQ(items, 2);
  std::vector<DialogItem> read;
  for (WORD i = 0; i < items; ++i) {
    r.AlignDword();
    DialogItem item;
    r.Dword();  // help id
    item.ex_style = r.Dword();
    item.style = r.Dword();
    for (int n = 0; n < 4; ++n) r.Word();  // placement, replaced by the control's layout
    item.id = r.Dword();
    item.window_class = r.Text();
    item.title = r.Text();
    r.Skip(r.Word());  // creation data
    ASSERT_TRUE(r.Ok());
    read.push_back(item);
  }
  EXPECT_EQ(read[0].id, static_cast<DWORD>(IDC_TABSTRIP));
  // windres writes class names in capitals; window classes are found regardless of case.
  EXPECT_EQ(_wcsicmp(read[0].window_class.c_str(), L"SysTabControl32"), 0);
  EXPECT_EQ(read[0].title, L"Tab1");
  EXPECT_EQ(read[0].style, kTabStyle);
  EXPECT_EQ(read[0].ex_style, static_cast<DWORD>(WS_EX_TRANSPARENT));
  EXPECT_EQ(read[1].id, static_cast<DWORD>(IDC_TREE));
  EXPECT_EQ(_wcsicmp(read[1].window_class.c_str(), L"SysTreeView32"), 0);
  EXPECT_EQ(read[1].title, L"Tree1");
  EXPECT_EQ(read[1].style, kTreeStyle);
  EXPECT_EQ(read[1].ex_style, 0u);
}

class Window {
 public:
  explicit Window(HWND window) : window_(window) {}
  ~Window() {
    if (window_) DestroyWindow(window_);
  }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  HWND Get() const { return window_; }

 private:
  HWND window_;
};

INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  const int length = GetClassNameW(window, name, 64);
  return std::wstring(name, length > 0 ? length : 0);
}

// The template really makes the two common controls, with the styles asked for.
TEST_F(ResourcesTest, DialogCreatesTheTwoViews) {
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&classes));
  Window host(CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_NE(host.Get(), nullptr);
  HRSRC found = FindResourceW(dll_.Get(), MAKEINTRESOURCEW(IDD_ZORTABLIST), kDialog);
  ASSERT_NE(found, nullptr);
  HGLOBAL loaded = LoadResource(dll_.Get(), found);
  ASSERT_NE(loaded, nullptr);
  auto* dialog_template = static_cast<const DLGTEMPLATE*>(LockResource(loaded));
  ASSERT_NE(dialog_template, nullptr);
  Window dialog(CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog_template, host.Get(),
                                           &PlainDialog, 0));
  ASSERT_NE(dialog.Get(), nullptr) << GetLastError();
  EXPECT_EQ(GetParent(dialog.Get()), host.Get());

  HWND tab = GetDlgItem(dialog.Get(), IDC_TABSTRIP);
  HWND tree = GetDlgItem(dialog.Get(), IDC_TREE);
  ASSERT_NE(tab, nullptr);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(ClassOf(tab), L"SysTabControl32");
  EXPECT_EQ(ClassOf(tree), L"SysTreeView32");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(tab, GWL_STYLE)) & kTabStyle, kTabStyle);
  // The tree view trades its border for a client edge when it is created.
  const DWORD tree_style = static_cast<DWORD>(GetWindowLongW(tree, GWL_STYLE));
  const DWORD tree_ex_style = static_cast<DWORD>(GetWindowLongW(tree, GWL_EXSTYLE));
  EXPECT_EQ(tree_style & kTreeStyle & ~WS_BORDER, kTreeStyle & ~WS_BORDER);
  EXPECT_TRUE((tree_style & WS_BORDER) || (tree_ex_style & WS_EX_CLIENTEDGE));
  EXPECT_TRUE(GetWindowLongW(tab, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_TRUE(GetWindowLongW(dialog.Get(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
}

// --- Pictures --------------------------------------------------------------------------

// A 4-bit bitmap resource decoded to colours, row 0 at the top.
struct Picture {
  LONG width = 0, height = 0;
  WORD bits = 0;
  std::vector<COLORREF> pixels;
};

Picture Decode(const std::vector<unsigned char>& bytes) {
  Picture picture;
  if (bytes.size() < sizeof(BITMAPINFOHEADER)) return picture;
  BITMAPINFOHEADER header;
  std::memcpy(&header, bytes.data(), sizeof(header));
  picture.width = header.biWidth;
  picture.height = header.biHeight;
  picture.bits = header.biBitCount;
  if (header.biBitCount != 4 || header.biCompression != BI_RGB || header.biWidth <= 0 ||
      header.biHeight <= 0) {
    return picture;
  }
  const size_t colours = header.biClrUsed ? header.biClrUsed : 16;
  const size_t palette_at = header.biSize;
  const size_t stride = ((static_cast<size_t>(header.biWidth) * 4 + 31) / 32) * 4;
  const size_t pixels_at = palette_at + 4 * colours;
  if (bytes.size() < pixels_at + stride * static_cast<size_t>(header.biHeight)) return picture;
  for (LONG y = 0; y < header.biHeight; ++y) {
    const size_t row = pixels_at + stride * static_cast<size_t>(header.biHeight - 1 - y);
    for (LONG x = 0; x < header.biWidth; ++x) {
      const unsigned char pair = bytes[row + static_cast<size_t>(x) / 2];
      const size_t index = (x % 2) ? (pair & 0x0F) : (pair >> 4);
      const unsigned char* quad = &bytes[palette_at + 4 * (index < colours ? index : 0)];
      picture.pixels.push_back(RGB(quad[2], quad[1], quad[0]));
    }
  }
  return picture;
}

struct PictureSet {
  int first, last;
  COLORREF transparent;
  bool overlays;
};
const PictureSet kItems = {IDB_PICTURE_FIRST, IDB_PICTURE_LAST, RGB(255, 255, 255), false};
const PictureSet kOverlays = {IDB_OVERLAY_FIRST, IDB_OVERLAY_LAST, RGB(0, 255, 255), true};

TEST_F(ResourcesTest, PictureNumbering) {
  EXPECT_EQ(ZORTAB_PICTURE_COUNT, 55);
  EXPECT_EQ(ZORTAB_OVERLAY_COUNT, 8);
  for (const PictureSet& set : {kItems, kOverlays}) {
    for (int id = set.first; id <= set.last; ++id) {
      EXPECT_FALSE(Resource(dll_.Get(), kBitmap, id).empty()) << id;
    }
    EXPECT_TRUE(Resource(dll_.Get(), kBitmap, set.first - 1).empty()) << set.first - 1;
    EXPECT_TRUE(Resource(dll_.Get(), kBitmap, set.last + 1).empty()) << set.last + 1;
  }
  const Picture toolbox = Decode(Resource(dll_.Get(), kBitmap, IDB_ZORTABLIST));
  EXPECT_EQ(toolbox.width, 16);
  EXPECT_EQ(toolbox.height, 16);
  EXPECT_EQ(toolbox.bits, 4);
}

// Every picture is 16 x 16 and shows something over a transparent background; an overlay
// leaves most of the picture below it visible.
TEST_F(ResourcesTest, PicturesAndTheirTransparentColours) {
  for (const PictureSet& set : {kItems, kOverlays}) {
    for (int id = set.first; id <= set.last; ++id) {
      SCOPED_TRACE(testing::Message() << "bitmap " << id);
      const Picture picture = Decode(Resource(dll_.Get(), kBitmap, id));
      ASSERT_EQ(picture.width, 16);
      ASSERT_EQ(picture.height, 16);
      ASSERT_EQ(picture.pixels.size(), 256u);
      size_t clear = 0;
      for (COLORREF pixel : picture.pixels) clear += pixel == set.transparent;
      EXPECT_GT(clear, 0u);
      EXPECT_LT(clear, 256u);
      if (set.overlays) {
        EXPECT_GE(clear, 128u);
      }
    }
  }
}

class Dc {
 public:
  Dc() : dc_(CreateCompatibleDC(nullptr)) {}
  ~Dc() {
    if (dc_) DeleteDC(dc_);
  }
  Dc(const Dc&) = delete;
  Dc& operator=(const Dc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ object) : object_(object) {}
  ~GdiObject() {
    if (object_) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  HGDIOBJ Get() const { return object_; }

 private:
  HGDIOBJ object_;
};

class ImageList {
 public:
  explicit ImageList(HIMAGELIST list) : list_(list) {}
  ~ImageList() {
    if (list_) ImageList_Destroy(list_);
  }
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;
  HIMAGELIST Get() const { return list_; }

 private:
  HIMAGELIST list_;
};

// The picture list made as the control makes it: drawn over a background, transparent
// pixels show the background and the others their own colour.
TEST_F(ResourcesTest, PictureListDrawsWithTheTransparentColours) {
  ImageList list(ImageList_Create(16, 16, ILC_MASK, 32, 16));
  ASSERT_NE(list.Get(), nullptr);
  for (const PictureSet& set : {kItems, kOverlays}) {
    for (int id = set.first; id <= set.last; ++id) {
      GdiObject bitmap(LoadImageW(dll_.Get(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
      ASSERT_NE(bitmap.Get(), nullptr) << id;
      ASSERT_GE(
          ImageList_AddMasked(list.Get(), static_cast<HBITMAP>(bitmap.Get()), set.transparent), 0)
          << id;
    }
  }
  ASSERT_EQ(ImageList_GetImageCount(list.Get()), ZORTAB_PICTURE_COUNT + ZORTAB_OVERLAY_COUNT);
  for (int i = 0; i < ZORTAB_OVERLAY_COUNT; ++i) {
    EXPECT_TRUE(ImageList_SetOverlayImage(list.Get(), ZORTAB_PICTURE_COUNT + i, i + 1)) << i;
  }

  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  GdiObject canvas(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_NE(canvas.Get(), nullptr);
  Dc dc;
  ASSERT_NE(dc.Get(), nullptr);
  HGDIOBJ previous = SelectObject(dc.Get(), canvas.Get());
  auto* pixels = static_cast<DWORD*>(bits);
  const DWORD background = 0x00123456;  // 0x00RRGGBB in a 32-bit DIB; in no picture
  auto colour_at = [&](int x, int y) {
    const DWORD v = pixels[y * 16 + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  };
  int position = 0;
  for (const PictureSet& set : {kItems, kOverlays}) {
    for (int id = set.first; id <= set.last; ++id, ++position) {
      SCOPED_TRACE(testing::Message() << "bitmap " << id);
      const Picture picture = Decode(Resource(dll_.Get(), kBitmap, id));
      ASSERT_EQ(picture.pixels.size(), 256u);
      std::fill(pixels, pixels + 256, background);
      GdiFlush();
      ASSERT_TRUE(ImageList_Draw(list.Get(), position, dc.Get(), 0, 0, ILD_TRANSPARENT));
      GdiFlush();
      int wrong = 0;
      for (int p = 0; p < 256; ++p) {
        const COLORREF want =
            picture.pixels[p] == set.transparent ? RGB(0x12, 0x34, 0x56) : picture.pixels[p];
        wrong += colour_at(p % 16, p / 16) != want;
      }
      EXPECT_EQ(wrong, 0);
    }
  }
  SelectObject(dc.Get(), previous);
}

// --- Registration script and toolbox picture --------------------------------------------

TEST_F(ResourcesTest, RegistrationScriptIsTheSourceFile) {
  HANDLE file = CreateFileW(ZORTAB_RGS_PATH, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::vector<unsigned char> source(64 * 1024);
  DWORD read = 0;
  const BOOL ok = ReadFile(file, source.data(), static_cast<DWORD>(source.size()), &read, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(ok);
  source.resize(read);
  EXPECT_EQ(Resource(dll_.Get(), L"REGISTRY", IDR_ZORTABLIST), source);
}

}  // namespace
