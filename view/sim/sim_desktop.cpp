#include <algorithm>

#include "view/sim/sim_views.h"

namespace view::sim {
namespace {

constexpr int kKnownCursors[] = {
    kIdcArrow,  kIdcIbeam,  kIdcWait,    kIdcCross, kIdcUpArrow, kIdcSizeNwse,    kIdcSizeNesw,
    kIdcSizeWe, kIdcSizeNs, kIdcSizeAll, kIdcNo,    kIdcHand,    kIdcAppStarting, kIdcHelp};
constexpr CursorHandle kCursorBase = 0x10000;

// The platform knows overlay numbers 1 to 15.
constexpr int kMaxOverlay = 15;

}  // namespace

SimDesktop::SimDesktop() : current_cursor_(kCursorBase + kIdcArrow) {}

void SimDesktop::GetKeyboardState(std::array<std::uint8_t, 256>& state) const { state = keys_; }

void SimDesktop::SetKeyDown(int virtual_key, bool down) {
  if (virtual_key < 0 || virtual_key > 255) return;
  auto& byte = keys_[static_cast<std::size_t>(virtual_key)];
  byte = down ? static_cast<std::uint8_t>(byte | 0x80) : static_cast<std::uint8_t>(byte & 0x7F);
}

CursorHandle SimDesktop::LoadSystemCursor(int idc) {
  const auto* end = std::end(kKnownCursors);
  if (std::find(std::begin(kKnownCursors), end, idc) == end) return 0;
  if (missing_cursors_.contains(idc)) return 0;
  return kCursorBase + static_cast<CursorHandle>(idc);
}

CursorHandle SimDesktop::SetCursor(CursorHandle cursor) {
  ++set_cursor_count_;
  CursorHandle previous = current_cursor_;
  current_cursor_ = cursor;
  return previous;
}

CursorHandle SimDesktop::GetCursor() const { return current_cursor_; }

int SimDesktop::CursorIdc(CursorHandle cursor) const {
  if (cursor <= kCursorBase) return 0;
  int idc = static_cast<int>(cursor - kCursorBase);
  const auto* end = std::end(kKnownCursors);
  return std::find(std::begin(kKnownCursors), end, idc) == end ? 0 : idc;
}

bool SimDesktop::SetClipboardText(const std::string& text) {
  if (clipboard_fails_) return false;
  ++clipboard_writes_;
  clipboard_ = text;
  return true;
}

Point SimDesktop::GetMessagePos() const { return message_pos_; }

PictureListHandle SimDesktop::CreatePictureList(int initial, int grow) {
  PictureListHandle handle = next_list_++;
  lists_[handle] = PictureList{initial, grow, {}, {}};
  return handle;
}

int SimDesktop::AddPicture(PictureListHandle list, int resource_id, std::uint32_t mask) {
  auto it = lists_.find(list);
  if (it == lists_.end() || resource_id <= 0 || missing_bitmaps_.count(resource_id) != 0) {
    return -1;
  }
  it->second.pictures.push_back(Picture{resource_id, mask});
  return static_cast<int>(it->second.pictures.size()) - 1;
}

bool SimDesktop::SetOverlayPicture(PictureListHandle list, int position, int overlay) {
  auto it = lists_.find(list);
  if (it == lists_.end() || overlay < 1 || overlay > kMaxOverlay || position < 0 ||
      position >= static_cast<int>(it->second.pictures.size())) {
    return false;
  }
  it->second.overlays[overlay] = position;
  return true;
}

int SimDesktop::PictureCount(PictureListHandle list) const {
  auto it = lists_.find(list);
  return it == lists_.end() ? 0 : static_cast<int>(it->second.pictures.size());
}

const SimDesktop::PictureList* SimDesktop::FindPictureList(PictureListHandle list) const {
  auto it = lists_.find(list);
  return it == lists_.end() ? nullptr : &it->second;
}

}  // namespace view::sim
