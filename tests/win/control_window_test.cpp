// The control's window over the real views: made, destroyed and made again through the
// facade, and the dialog's own messages (set-cursor, focus, background) answered as the
// control's properties say.
#include <string>

#include "shown_control.h"

namespace zortab_test {
namespace {

class ControlWindowTest : public ::testing::Test, public ShownControl {
 protected:
  void SetUp() override {
    ASSERT_NE(ControlResources(), nullptr);
    ASSERT_NE(host.Get(), nullptr);
    list.AddItemList(
        "TAB:A,TEXT:Alpha,ID:a\r\nTAB:A,TEXT:Child,ID:a1,PARENT:a\r\nTAB:B,TEXT:Beta,ID:b");
  }

  // Window creation alone, without the activation's Refresh.
  HRESULT Open() { return window.Open(host.Get(), RECT{10, 10, 310, 260}, RGB(0, 128, 0)); }
  HWND Tabs() { return GetDlgItem(window.Window(), view::win32::kTabStripId); }
  HWND Tree() { return GetDlgItem(window.Window(), view::win32::kTreeId); }
  int TabCount() { return static_cast<int>(SendMessageA(Tabs(), TCM_GETITEMCOUNT, 0, 0)); }
  int NodeCount() { return static_cast<int>(SendMessageA(Tree(), TVM_GETCOUNT, 0, 0)); }
};

TEST_F(ControlWindowTest, OpensClosesAndOpensAgainWithTheViewsBuilt) {
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(Open(), S_OK);
    ASSERT_TRUE(IsWindow(window.Window()));
    EXPECT_EQ(GetParent(window.Window()), host.Get());
    EXPECT_TRUE(IsWindowVisible(window.Window()));
    EXPECT_EQ(TabCount(), 2);
    EXPECT_EQ(NodeCount(), 2);  // tab A: a and its child
    EXPECT_EQ(list.GetSelectedTab(), "A");
    EXPECT_EQ(list.GetReadyState(), 1);
    // Both views laid out inside the window: the strip one row high above the tree.
    RECT tabs{}, tree{};
    ASSERT_TRUE(GetWindowRect(Tabs(), &tabs));
    ASSERT_TRUE(GetWindowRect(Tree(), &tree));
    EXPECT_EQ(tabs.bottom - tabs.top, 20);
    EXPECT_EQ(tree.top, tabs.bottom);
    EXPECT_EQ(tree.bottom - tabs.top, 250);
    // Window creation leaves no tab current, so an item arriving now is shown by the next
    // Refresh, which makes the shown tab current again.
    list.AddItem("TAB:A,TEXT:Late,ID:late" + std::to_string(round));
    EXPECT_EQ(list.Refresh(), control::kOk);
    EXPECT_EQ(NodeCount(), 3);
    list.AddItem("TAB:A,TEXT:Later,ID:later" + std::to_string(round));
    EXPECT_EQ(NodeCount(), 4);
    const HWND old = window.Window();
    window.Close();
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(list.Impl().AttachedWindow(), nullptr);
    // Without a window the store alone changes.
    list.DeleteItem("late" + std::to_string(round));
    list.DeleteItem("later" + std::to_string(round));
    EXPECT_EQ(list.GetItemCount(), 3);
  }
}

TEST_F(ControlWindowTest, SetCursorFollowsMousePointer) {
  ASSERT_EQ(Open(), S_OK);
  struct Case {
    std::int32_t pointer;
    LRESULT answer;
    LPCSTR cursor;  // the cursor made current, or null when it must stay
  };
  const Case cases[] = {{0, FALSE, nullptr}, {99, TRUE, nullptr}, {11, TRUE, IDC_WAIT}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pointer);
    list.PutMousePointer(c.pointer);
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    const LRESULT answer =
        SendMessageA(window.Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Tree()), HTCLIENT);
    EXPECT_EQ(answer != FALSE, c.answer != FALSE);
    EXPECT_EQ(GetCursor(), c.cursor ? LoadCursorA(nullptr, c.cursor) : arrow);
  }
}

TEST_F(ControlWindowTest, FocusOnTheDialogGoesToTheViewThatDisplayStyleNames) {
  ASSERT_EQ(Open(), S_OK);
  ASSERT_NE(SetForegroundWindow(host.Get()), FALSE);
  for (const int style : {0, 1}) {
    list.PutDisplayStyle(style);
    SetFocus(host.Get());
    SetFocus(window.Window());
    EXPECT_EQ(GetFocus(), style == 1 ? Tabs() : Tree()) << style;
  }
}

TEST_F(ControlWindowTest, BackgroundBrushPaintsTheDialog) {
  ASSERT_EQ(Open(), S_OK);
  HDC dc = GetDC(window.Window());
  ASSERT_NE(dc, nullptr);
  const auto brush = reinterpret_cast<HBRUSH>(
      SendMessageA(window.Window(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(window.Window())));
  ReleaseDC(window.Window(), dc);
  ASSERT_NE(brush, nullptr);
  LOGBRUSH info{};
  ASSERT_NE(GetObjectA(brush, sizeof info, &info), 0);
  EXPECT_EQ(info.lbColor, RGB(0, 128, 0));
}

}  // namespace
}  // namespace zortab_test
