// The child windows' common operations, and the tab strip over the tab control's
// TCM_* messages.
#include <vector>

#include "view/win32/win32_views.h"

namespace view::win32 {

// ---- Child windows ------------------------------------------------------------------------

template <class Interface>
std::uint32_t Win32Window<Interface>::GetStyle() const {
  return static_cast<std::uint32_t>(GetWindowLongA(hwnd_, GWL_STYLE));
}

template <class Interface>
void Win32Window<Interface>::SetStyle(std::uint32_t style) {
  SetWindowLongA(hwnd_, GWL_STYLE, static_cast<LONG>(style));
}

template <class Interface>
void Win32Window<Interface>::ReapplyFrame() {
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

template <class Interface>
void Win32Window<Interface>::SetPosition(int x, int y, int width, int height) {
  SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

template <class Interface>
Rect Win32Window<Interface>::GetPosition() const {
  RECT r{};
  if (!GetWindowRect(hwnd_, &r)) return {};
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return Rect{r.left, r.top, r.right, r.bottom};
}

template <class Interface>
void Win32Window<Interface>::Enable(bool enabled) {
  EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

template <class Interface>
bool Win32Window<Interface>::IsEnabled() const {
  return IsWindowEnabled(hwnd_) != FALSE;
}

template <class Interface>
void Win32Window<Interface>::Show(bool visible) {
  const HWND focus = GetFocus();
  if (!visible && focus != nullptr && (focus == hwnd_ || IsChild(hwnd_, focus))) {
    // Hiding the window with the focus would move the focus to the dialog, which hands it
    // back at once: the host would hear the tree lose and regain the focus from inside
    // the core's own work (clearing the tree hides it). Cleared visible style hides it
    // just as well for that work, and the focus stays; Show(true) shows it again.
    SetWindowLongA(hwnd_, GWL_STYLE, static_cast<LONG>(GetStyle() & ~WS_VISIBLE));
    return;
  }
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

// The window's own visible style, as the contract means it; whether the dialog itself is
// shown plays no part.
template <class Interface>
bool Win32Window<Interface>::IsVisible() const {
  return (GetStyle() & WS_VISIBLE) != 0;
}

template <class Interface>
void Win32Window<Interface>::Focus() {
  ::SetFocus(hwnd_);
}

template <class Interface>
Point Win32Window<Interface>::ScreenToClient(Point screen) const {
  POINT p{screen.x, screen.y};
  ::ScreenToClient(hwnd_, &p);
  return Point{p.x, p.y};
}

template class Win32Window<TabStrip>;
template class Win32Window<TreeView>;

// ---- Tab strip ----------------------------------------------------------------------------

int Win32TabStrip::InsertItem(int position, const std::string& text, std::int64_t param,
                              int image) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  TCITEMA entry{};
  entry.mask = TCIF_TEXT | TCIF_PARAM;
  entry.pszText = buffer.data();
  entry.lParam = static_cast<LPARAM>(param);
  if (image >= 0) {
    entry.mask |= TCIF_IMAGE;
    entry.iImage = image;
  }
  return static_cast<int>(Send(TCM_INSERTITEMA, position, reinterpret_cast<LPARAM>(&entry)));
}

bool Win32TabStrip::SetItemImage(int position, int image) {
  TCITEMA entry{};
  entry.mask = TCIF_IMAGE;
  entry.iImage = image;
  return Send(TCM_SETITEMA, position, reinterpret_cast<LPARAM>(&entry)) != 0;
}

bool Win32TabStrip::SetItemParam(int position, std::int64_t param) {
  TCITEMA entry{};
  entry.mask = TCIF_PARAM;
  entry.lParam = static_cast<LPARAM>(param);
  return Send(TCM_SETITEMA, position, reinterpret_cast<LPARAM>(&entry)) != 0;
}

bool Win32TabStrip::GetItemParam(int position, std::int64_t& param) const {
  TCITEMA entry{};
  entry.mask = TCIF_PARAM;
  if (Send(TCM_GETITEMA, position, reinterpret_cast<LPARAM>(&entry)) == 0) return false;
  param = entry.lParam;
  return true;
}

bool Win32TabStrip::GetItemText(int position, std::string& text) const {
  std::vector<char> buffer(4096, '\0');
  TCITEMA entry{};
  entry.mask = TCIF_TEXT;
  entry.pszText = buffer.data();
  entry.cchTextMax = static_cast<int>(buffer.size());
  if (Send(TCM_GETITEMA, position, reinterpret_cast<LPARAM>(&entry)) == 0) return false;
  buffer.back() = '\0';
  text = entry.pszText != nullptr ? entry.pszText : "";
  return true;
}

int Win32TabStrip::GetItemImage(int position) const {
  TCITEMA entry{};
  entry.mask = TCIF_IMAGE;
  if (Send(TCM_GETITEMA, position, reinterpret_cast<LPARAM>(&entry)) == 0) return -1;
  return entry.iImage;
}

bool Win32TabStrip::DeleteItem(int position) { return Send(TCM_DELETEITEM, position, 0) != 0; }

bool Win32TabStrip::DeleteAllItems() { return Send(TCM_DELETEALLITEMS, 0, 0) != 0; }

int Win32TabStrip::GetItemCount() const { return static_cast<int>(Send(TCM_GETITEMCOUNT, 0, 0)); }

int Win32TabStrip::SetCurSel(int position) {
  return static_cast<int>(Send(TCM_SETCURSEL, position, 0));
}

int Win32TabStrip::GetCurSel() const { return static_cast<int>(Send(TCM_GETCURSEL, 0, 0)); }

bool Win32TabStrip::HighlightItem(int position, std::uint16_t highlight) {
  return Send(TCM_HIGHLIGHTITEM, position, MAKELPARAM(highlight, 0)) != 0;
}

bool Win32TabStrip::IsHighlighted(int position) const {
  TCITEMA entry{};
  entry.mask = TCIF_STATE;
  entry.dwStateMask = TCIS_HIGHLIGHTED;
  if (Send(TCM_GETITEMA, position, reinterpret_cast<LPARAM>(&entry)) == 0) return false;
  return (entry.dwState & TCIS_HIGHLIGHTED) != 0;
}

void Win32TabStrip::SetMinTabWidth(int width) { Send(TCM_SETMINTABWIDTH, 0, width); }

void Win32TabStrip::SetPictureList(PictureListHandle list) {
  Send(TCM_SETIMAGELIST, 0, static_cast<LPARAM>(list));
}

void Win32TabStrip::SetExtendedStyle(std::uint32_t ex_style) {
  Send(TCM_SETEXTENDEDSTYLE, 0, static_cast<LPARAM>(ex_style));
}

std::uint32_t Win32TabStrip::GetExtendedStyle() const {
  return static_cast<std::uint32_t>(Send(TCM_GETEXTENDEDSTYLE, 0, 0));
}

bool Win32TabStrip::Notify(const NMHDR& header, LRESULT& answer) {
  if (listener_ == nullptr) return false;
  switch (header.code) {
    case TCN_SELCHANGING:
      answer = listener_->OnTabSelChanging();
      return true;
    case TCN_SELCHANGE:
      answer = listener_->OnTabSelChange();
      return true;
    case NM_RCLICK:
      answer = listener_->OnTabRClick();
      return true;
    case TCN_KEYDOWN:
      answer = listener_->OnTabKeyDown(reinterpret_cast<const NMTCKEYDOWN&>(header).wVKey);
      return true;
    default:
      return false;
  }
}

}  // namespace view::win32
