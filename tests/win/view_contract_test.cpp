// The view contract run against the real tab control and tree view of the control's
// dialog (template 103), inside a shown top-level window.
#include <memory>

#include "tests/contract/view_contract_suite.h"
#include "view/win32/win32_views.h"
#include "window_test_support.h"

namespace zortab_test {
namespace {

using view::contract::ViewBackend;
using view::contract::ViewContract;
using view::contract::ViewPair;

// The dialog's own messages matter nothing to the contract.
class QuietHost final : public view::win32::DialogHost {
 public:
  bool OnSetCursor() override { return false; }
  void OnDialogFocus() override {}
  void BeginNotification() override {}
  void EndNotification() override {}
  void RunQueued() override {}
};

struct Keep {
  HostWindow window{400, 400};
  QuietHost host;
};

ViewPair MakeReal() {
  ViewPair views;
  auto keep = std::make_shared<Keep>();
  auto desktop = std::make_unique<view::win32::Win32Desktop>(ControlResources());
  auto dialog = view::win32::Win32Dialog::Create(ControlResources(), keep->window.Get(), *desktop,
                                                 keep->host);
  if (dialog) {
    SetWindowPos(dialog->Window(), nullptr, 0, 0, 300, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(dialog->Window(), SW_SHOWNOACTIVATE);
  }
  views.keep_alive = keep;
  views.desktop = std::move(desktop);
  views.dialog = std::move(dialog);
  return views;
}

INSTANTIATE_TEST_SUITE_P(Win32, ViewContract, ::testing::Values(ViewBackend{"Win32", MakeReal}),
                         view::contract::BackendName);

}  // namespace
}  // namespace zortab_test
