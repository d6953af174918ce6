// The control's window made from the core inside a shown top-level window, with a
// recording sink, for the Windows tests that drive or photograph the real views.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "control/com/control_window.h"
#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"
#include "support/event_recorder.h"
#include "window_test_support.h"

namespace zortab_test {

// Dispatches messages until none has arrived for a while: input and the control's posted
// work reach the queue some time after the call that caused them. Timers do not count:
// the tab strip ticks for as long as the pointer rests on it.
inline void Settle() {
  constexpr DWORD kQuietMs = 60;
  for (int round = 0, quiet = 0; quiet < 2 && round < 100; ++round) {
    PumpMessages();
    const DWORD wait =
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kQuietMs, QS_ALLINPUT & ~QS_TIMER);
    quiet = wait == WAIT_TIMEOUT ? quiet + 1 : 0;
  }
}

class ShownControl {
 public:
  static constexpr RECT kPlace{8, 8, 328, 288};  // the control in the host's client area

  ShownControl() { list.Impl().events.Sinks().Connect(recorder); }

  // Creates the control window from the core and gives it the activation's Refresh.
  void Open() {
    ASSERT_NE(host.Get(), nullptr);
    ASSERT_EQ(window.Open(host.Get(), kPlace, GetSysColor(COLOR_WINDOW)), S_OK);
    ASSERT_EQ(list.Refresh(), control::kOk);
    Settle();
  }
  view::win32::Win32Dialog& Dialog() { return *window.Dialog(); }
  HWND TreeWindow() { return Dialog().Tree()->Window(); }
  HWND TabsWindow() { return Dialog().Tabs()->Window(); }
  const model::Item* Item(const std::string& id) { return list.Impl().store.FindItemById(id); }
  view::Node NodeOf(const std::string& id) {
    const model::Item* item = Item(id);
    return item != nullptr ? item->TreeNode : view::kNoNode;
  }

  // Declared in the order of teardown's needs: the control window goes first, while the
  // facade and the host window still exist.
  HostWindow host{480, 360};
  control::TabbedList list;
  std::shared_ptr<testing_support::EventRecorder> recorder =
      std::make_shared<testing_support::EventRecorder>();
  control::com::ControlWindow window{list, ControlResources()};
};

}  // namespace zortab_test
