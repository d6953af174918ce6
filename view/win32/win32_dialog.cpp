// The control's dialog and its procedure.
#include "view/win32/win32_views.h"

namespace view::win32 {

std::unique_ptr<Win32Dialog> Win32Dialog::Create(HINSTANCE resources, HWND parent,
                                                 Win32Desktop& desktop, DialogHost& host) {
  std::unique_ptr<Win32Dialog> dialog(new Win32Dialog(desktop, host));
  // The procedure learns its object from WM_INITDIALOG; messages before it (the
  // children's WM_NOTIFYFORMAT) are answered without one.
  HWND hwnd = CreateDialogParamA(resources, MAKEINTRESOURCEA(kTemplateId), parent, Procedure,
                                 reinterpret_cast<LPARAM>(dialog.get()));
  if (hwnd == nullptr) return nullptr;
  HWND tabs = GetDlgItem(hwnd, kTabStripId);
  HWND tree = GetDlgItem(hwnd, kTreeId);
  if (tabs != nullptr) dialog->tabs_ = std::make_unique<Win32TabStrip>(tabs);
  if (tree != nullptr) dialog->tree_ = std::make_unique<Win32TreeView>(tree);
  for (HWND view : {tabs, tree}) {
    // Without it the host does not hear the focus leave from that view.
    if (view != nullptr) {
      (void)SetWindowSubclass(view, &ViewFront, 1, reinterpret_cast<DWORD_PTR>(dialog.get()));
    }
  }
  dialog->dialog_manager_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NotifyFront)));
  dialog->SetBackground(GetSysColor(COLOR_WINDOW));
  desktop.SetClipboardOwner(hwnd);
  return dialog;
}

Win32Dialog::~Win32Dialog() {
  if (hwnd_ != nullptr) {
    // No listener hears the destruction's reports: the core has let go of the views.
    if (tabs_) tabs_->SetListener(nullptr);
    if (tree_) tree_->SetListener(nullptr);
    desktop_.SetClipboardOwner(nullptr);
    // The destruction moves the focus; nobody is told.
    for (HWND view : {tabs_ ? tabs_->Window() : nullptr, tree_ ? tree_->Window() : nullptr}) {
      if (view != nullptr) (void)RemoveWindowSubclass(view, &ViewFront, 1);  // gone with it
    }
    if (dialog_manager_ != nullptr &&
        GetWindowLongPtrA(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&NotifyFront)) {
      SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialog_manager_));
    }
    SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
  if (background_ != nullptr) DeleteObject(background_);
}

Rect Win32Dialog::GetClientRect() const {
  RECT r{};
  if (!::GetClientRect(hwnd_, &r)) return {};
  return Rect{r.left, r.top, r.right, r.bottom};
}

void Win32Dialog::Invalidate() { InvalidateRect(hwnd_, nullptr, TRUE); }

void Win32Dialog::SetBackground(COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  if (brush == nullptr) return;  // the old brush stays
  if (background_ != nullptr) DeleteObject(background_);
  background_ = brush;
}

// The host asks once per batch of queued requests.
void Win32Dialog::PostRunQueued() {
  // Without a post the queue still runs: it does at the host's next operation.
  PostMessageA(hwnd_, kRunQueuedMessage, 0, 0);
}

INT_PTR CALLBACK Win32Dialog::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NOTIFYFORMAT) {
    // The controls report in ANSI, as the procedure decodes them.
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, NFR_ANSI);
    return TRUE;
  }
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<Win32Dialog*>(lparam);
    dialog->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lparam);
    return FALSE;  // no focus is set on creation
  }
  auto* dialog = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  return dialog->Handle(message, wparam, lparam);
}

LRESULT CALLBACK Win32Dialog::NotifyFront(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* dialog = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (message == WM_NOTIFY && dialog != nullptr && lparam != 0) {
    LRESULT answer = 0;
    if (dialog->Notify(*reinterpret_cast<const NMHDR*>(lparam), answer)) return answer;
  }
  // The dialog's object is gone only while the window is being destroyed; the dialog
  // manager of an ANSI dialog is DefDlgProcA.
  const WNDPROC next = dialog != nullptr ? dialog->dialog_manager_ : nullptr;
  return next != nullptr ? CallWindowProcA(next, hwnd, message, wparam, lparam)
                         : DefDlgProcA(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK Win32Dialog::ViewFront(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR /*id*/, DWORD_PTR dialog) {
  const LRESULT answer = DefSubclassProc(hwnd, message, wparam, lparam);
  if (message == WM_KILLFOCUS) {
    reinterpret_cast<Win32Dialog*>(dialog)->FocusMovedTo(reinterpret_cast<HWND>(wparam));
  }
  return answer;
}

void Win32Dialog::FocusMovedTo(HWND next) {
  if (next == nullptr || (next != hwnd_ && !IsChild(hwnd_, next))) host_.OnFocusLeft();
}

bool Win32Dialog::Notify(const NMHDR& header, LRESULT& answer) {
  bool handled = false;
  if (header.idFrom == kTabStripId && tabs_ && header.hwndFrom == tabs_->Window()) {
    // The core rebuilds the tree for the new tab inside TCN_SELCHANGE (see the header).
    const bool bracket = header.code != static_cast<UINT>(TCN_SELCHANGE);
    if (bracket) host_.BeginNotification();
    handled = tabs_->Notify(header, answer);
    if (bracket) host_.EndNotification();
  } else if (header.idFrom == kTreeId && tree_ && header.hwndFrom == tree_->Window()) {
    host_.BeginNotification();
    handled = tree_->Notify(header, answer);
    host_.EndNotification();
  }
  return handled;
}

INT_PTR Win32Dialog::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NOTIFY: {
      // NotifyFront had it first; this answers for a window it could not stand in front of.
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header == nullptr || dialog_manager_ != nullptr) return FALSE;
      LRESULT answer = 0;
      if (!Notify(*header, answer)) return FALSE;
      Answer(answer);
      return TRUE;
    }
    case WM_SETCURSOR:
      if (!host_.OnSetCursor()) return FALSE;
      Answer(TRUE);
      return TRUE;
    case WM_SETFOCUS:
      host_.OnDialogFocus();
      return TRUE;
    case WM_KILLFOCUS:
      FocusMovedTo(reinterpret_cast<HWND>(wparam));
      return FALSE;
    case WM_MOUSEACTIVATE:
      host_.OnMouseActivate();
      return FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(background_);
    case WM_ERASEBKGND: {
      RECT r{};
      if (background_ == nullptr || !::GetClientRect(hwnd_, &r)) return FALSE;
      FillRect(reinterpret_cast<HDC>(wparam), &r, background_);
      Answer(TRUE);
      return TRUE;
    }
    default:
      if (message == kRunQueuedMessage) {
        host_.RunQueued();
        return TRUE;
      }
      if (message == kRelayoutMessage) {
        if (tree_) tree_->RunRelayout();
        return TRUE;
      }
      return FALSE;
  }
}

}  // namespace view::win32
