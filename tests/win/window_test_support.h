// Shared pieces of the Windows tests that show the real views: the module that holds the
// control's dialog template and pictures, a top-level host window, and message pumping.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <memory>

#include "com_test_support.h"

namespace zortab_test {

// The built control DLL, loaded once for its resources (template 103, the pictures);
// its start-up also registers the common controls' window classes.
inline HINSTANCE ControlResources() {
  static Library* library = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&init);
    return new Library(BuiltDllPath());
  }();
  return library->Get();
}

// A visible top-level window that hosts the control's dialog; destroyed with its owner.
class HostWindow {
 public:
  HostWindow(int width, int height) {
    static const ATOM atom = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = DefWindowProcA;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = "ZorTabTestHost";
      return RegisterClassA(&wc);
    }();
    hwnd_ = CreateWindowExA(0, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(atom)),
                            "ZorTabbedList test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                            width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (hwnd_ != nullptr) {
      ShowWindow(hwnd_, SW_SHOW);
      SetForegroundWindow(hwnd_);
      UpdateWindow(hwnd_);
    }
  }
  ~HostWindow() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND Get() const { return hwnd_; }
  RECT Client() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r;
  }

 private:
  HWND hwnd_ = nullptr;
};

// `window`'s rectangle in `parent`'s client coordinates.
inline RECT RectIn(HWND parent, HWND window) {
  RECT r{};
  EXPECT_TRUE(GetWindowRect(window, &r));
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Dispatches every message waiting for this thread, posted work included.
inline void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace zortab_test
