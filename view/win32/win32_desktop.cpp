// Desktop services over USER, GDI and the picture list functions.
#include <cstring>

#include "view/win32/win32_views.h"

namespace view::win32 {

namespace {
HIMAGELIST AsList(PictureListHandle handle) { return reinterpret_cast<HIMAGELIST>(handle); }
}  // namespace

Win32Desktop::Win32Desktop(HINSTANCE resources) : resources_(resources) {}

Win32Desktop::~Win32Desktop() {
  for (auto& [handle, list] : lists_) ImageList_Destroy(list);
}

void Win32Desktop::GetKeyboardState(std::array<std::uint8_t, 256>& state) const {
  BYTE keys[256] = {};
  if (!::GetKeyboardState(keys)) std::memset(keys, 0, sizeof keys);
  std::memcpy(state.data(), keys, state.size());
}

CursorHandle Win32Desktop::LoadSystemCursor(int idc) {
  return reinterpret_cast<CursorHandle>(LoadCursorA(nullptr, MAKEINTRESOURCEA(idc)));
}

CursorHandle Win32Desktop::SetCursor(CursorHandle cursor) {
  return reinterpret_cast<CursorHandle>(::SetCursor(reinterpret_cast<HCURSOR>(cursor)));
}

CursorHandle Win32Desktop::GetCursor() const {
  return reinterpret_cast<CursorHandle>(::GetCursor());
}

bool Win32Desktop::SetClipboardText(const std::string& text) {
  if (!OpenClipboard(clipboard_owner_)) return false;
  bool done = false;
  if (EmptyClipboard()) {
    // The shared-memory flag only, as the clipboard's readers of ANSI text expect.
    HGLOBAL memory = GlobalAlloc(GMEM_DDESHARE, text.size() + 1);
    if (memory != nullptr) {
      if (void* bytes = GlobalLock(memory)) {
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        done = SetClipboardData(CF_TEXT, memory) != nullptr;
      }
      if (!done) GlobalFree(memory);  // the clipboard owns it only once taken
    }
  }
  CloseClipboard();
  return done;
}

Point Win32Desktop::GetMessagePos() const {
  const DWORD position = ::GetMessagePos();
  return Point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
}

PictureListHandle Win32Desktop::CreatePictureList(int initial, int grow) {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_MASK, initial, grow);
  if (list == nullptr) return 0;
  const auto handle = reinterpret_cast<PictureListHandle>(list);
  lists_[handle] = list;
  return handle;
}

int Win32Desktop::AddPicture(PictureListHandle list, int resource_id, std::uint32_t mask) {
  if (lists_.count(list) == 0) return -1;
  HBITMAP bitmap = LoadBitmapA(resources_, MAKEINTRESOURCEA(resource_id));
  if (bitmap == nullptr) return -1;
  const int position = ImageList_AddMasked(AsList(list), bitmap, mask);
  DeleteObject(bitmap);
  return position;
}

bool Win32Desktop::SetOverlayPicture(PictureListHandle list, int position, int overlay) {
  if (lists_.count(list) == 0) return false;
  return ImageList_SetOverlayImage(AsList(list), position, overlay) != FALSE;
}

int Win32Desktop::PictureCount(PictureListHandle list) const {
  if (lists_.count(list) == 0) return 0;
  return ImageList_GetImageCount(AsList(list));
}

}  // namespace view::win32
