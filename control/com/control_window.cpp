#include "control/com/control_window.h"

#include "control/tabbed_list_impl.h"

namespace control::com {

ControlWindow::ControlWindow(TabbedList& list, HINSTANCE resources)
    : list_(list), resources_(resources), desktop_(resources) {
  // The busy cursor works before the window exists.
  list_.Impl().view.SetDesktop(&desktop_);
  list_.Impl().view.SetPostHook([this] {
    if (dialog_) dialog_->PostRunQueued();
  });
}

ControlWindow::~ControlWindow() {
  Close();
  list_.Impl().view.SetPostHook(nullptr);
  list_.Impl().view.SetDesktop(nullptr);
}

HRESULT ControlWindow::Open(HWND parent, const RECT& rect, COLORREF background) {
  Close();
  dialog_ = view::win32::Win32Dialog::Create(resources_, parent, desktop_, *this);
  if (!dialog_) return E_FAIL;
  dialog_->SetBackground(background);
  if (!SetWindowPos(dialog_->Window(), nullptr, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE)) {
    dialog_.reset();
    return E_FAIL;
  }
  ShowWindow(dialog_->Window(), SW_SHOWNOACTIVATE);
  list_.Impl().AttachWindow(dialog_.get(), &desktop_);
  return S_OK;
}

void ControlWindow::Close() {
  if (!dialog_) return;
  list_.Impl().DetachWindow();
  dialog_.reset();
}

bool ControlWindow::OnSetCursor() { return list_.Impl().view.AnswerSetCursor(); }

void ControlWindow::OnDialogFocus() { list_.SetFocus(); }

void ControlWindow::BeginNotification() { list_.Impl().view.BeginPlatformNotification(); }

void ControlWindow::EndNotification() { list_.Impl().view.EndPlatformNotification(); }

void ControlWindow::RunQueued() { list_.Impl().view.RunQueued(); }

void ControlWindow::LayoutView() { list_.Impl().view.LayoutView(); }

void ControlWindow::OnMouseActivate() {
  if (frame_listener_ != nullptr) frame_listener_->OnMouseActivate();
}

void ControlWindow::OnFocusLeft() {
  if (frame_listener_ != nullptr) frame_listener_->OnFocusLeft();
}

}  // namespace control::com
