// The control's window: the dialog of the real views, created as a child of a container's
// (or a test's) window and attached to the facade, so that the core drives the platform's
// tab control and tree view. It can be opened again after it was closed.
#pragma once

#include <windows.h>

#include <memory>

#include "control/tabbed_list.h"
#include "view/win32/win32_views.h"

namespace control::com {

class ControlWindow final : public view::win32::DialogHost {
 public:
  // What the OLE frame hears of the window.
  class FrameListener {
   public:
    virtual ~FrameListener() = default;
    // A click on the window or one of its views (WM_MOUSEACTIVATE).
    virtual void OnMouseActivate() = 0;
    // The focus went from the window or its views to a window outside it.
    virtual void OnFocusLeft() = 0;
  };

  // `resources`: the module that holds template 103 and the pictures.
  ControlWindow(TabbedList& list, HINSTANCE resources);
  ~ControlWindow() override;
  ControlWindow(const ControlWindow&) = delete;
  ControlWindow& operator=(const ControlWindow&) = delete;

  // Creates the window inside `parent` at `rect` (parent's client coordinates) with the
  // given background, shows it without activating it and builds the views (InitView, then
  // CurrentTab -1). A window already open is closed first. E_FAIL when the platform
  // refuses the dialog.
  HRESULT Open(HWND parent, const RECT& rect, COLORREF background);
  // Detaches the facade (every node is forgotten) and destroys the window.
  void Close();
  bool IsOpen() const { return dialog_ != nullptr; }
  HWND Window() const { return dialog_ ? dialog_->Window() : nullptr; }
  view::win32::Win32Dialog* Dialog() { return dialog_.get(); }
  view::win32::Win32Desktop& Desktop() { return desktop_; }
  // Null: nobody listens.
  void SetFrameListener(FrameListener* listener) { frame_listener_ = listener; }
  // Places the views inside the window (builds them first if the window never had them).
  void LayoutView();

  // view::win32::DialogHost
  bool OnSetCursor() override;
  void OnDialogFocus() override;
  void BeginNotification() override;
  void EndNotification() override;
  void RunQueued() override;
  void OnMouseActivate() override;
  void OnFocusLeft() override;

 private:
  TabbedList& list_;
  HINSTANCE resources_;
  view::win32::Win32Desktop desktop_;
  std::unique_ptr<view::win32::Win32Dialog> dialog_;
  FrameListener* frame_listener_ = nullptr;
};

}  // namespace control::com
