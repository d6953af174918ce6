// The control in the platform's own container window ("AtlAxWin" of atl.dll), which
// creates it by ProgID, sites it its own way and hands out its IUnknown: the control must
// lay itself out inside the host, follow the host's size, show what the interface fed it
// and answer a real click on a tab.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <string>

#include "com_test_support.h"
#include "real_input.h"
#include "shown_control.h"

namespace zortab_test {
namespace {

using AxWinInitFn = BOOL(WINAPI*)();
using AxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

struct Views {
  HWND tabs = nullptr;
  HWND tree = nullptr;
};

BOOL CALLBACK CollectView(HWND hwnd, LPARAM data) {
  Views& views = *reinterpret_cast<Views*>(data);
  char name[32] = {};
  if (GetClassNameA(hwnd, name, sizeof name) == 0) return TRUE;
  if (lstrcmpiA(name, WC_TABCONTROLA) == 0) views.tabs = hwnd;
  if (lstrcmpiA(name, WC_TREEVIEWA) == 0) views.tree = hwnd;
  return TRUE;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom && inner.right > inner.left && inner.bottom > inner.top;
}

std::string FirstNodeText(HWND tree) {
  char text[64] = {};
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  item.pszText = text;
  item.cchTextMax = sizeof text;
  if (item.hItem == nullptr ||
      !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
    return {};
  return text;
}

class AtlHost : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.Result()));
    ASSERT_NE(atl_.Get(), nullptr);
    const auto init = atl_.Find<AxWinInitFn>("AtlAxWinInit");
    const auto get_control = atl_.Find<AxGetControlFn>("AtlAxGetControl");
    ASSERT_TRUE(init != nullptr && get_control != nullptr);
    ASSERT_TRUE(init());
    ASSERT_NE(frame_.Get(), nullptr);
    host_ = CreateWindowExW(0, L"AtlAxWin", L"ZorTabList.ZorTabbedList",
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, 400, 300, frame_.Get(),
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(get_control(host_, unknown.GetAddressOf()), S_OK);
    ASSERT_EQ(unknown.As(&control_), S_OK);
    Settle();
    ASSERT_TRUE(EnumChildWindows(host_, CollectView, reinterpret_cast<LPARAM>(&views_)) ||
                views_.tree != nullptr);
    ASSERT_NE(views_.tabs, nullptr);
    ASSERT_NE(views_.tree, nullptr);
  }

  void TearDown() override {
    if (host_ != nullptr) DestroyWindow(host_);
  }

  void Add(const wchar_t* record) {
    UniqueBstr text = MakeBstr(record);
    ASSERT_EQ(control_->AddItem(text.Get()), S_OK);
  }

  void ExpectLaidOutInsideTheHost() {
    RECT client{};
    ASSERT_TRUE(GetClientRect(host_, &client));
    const RECT tabs = RectIn(host_, views_.tabs);
    const RECT tree = RectIn(host_, views_.tree);
    EXPECT_TRUE(Inside(tabs, client));
    EXPECT_TRUE(Inside(tree, client));
    EXPECT_LE(tabs.bottom, tree.top + 4) << "the tree lies below the tab strip";
    // The tree takes the host's width, less the margins of the layout.
    EXPECT_GT(tree.right - tree.left, (client.right - client.left) / 2);
  }

  Apartment apartment_;
  Library atl_{L"atl.dll"};
  HostWindow frame_{480, 360};
  HWND host_ = nullptr;
  ComPtr<IZorTabbedList> control_;
  Views views_;
};

TEST_F(AtlHost, LaysItselfOutInsideTheHostAndFollowsItsSize) {
  ExpectLaidOutInsideTheHost();
  const RECT before = RectIn(host_, views_.tree);
  ASSERT_TRUE(SetWindowPos(host_, nullptr, 0, 0, 260, 180, SWP_NOMOVE | SWP_NOZORDER));
  Settle();
  ExpectLaidOutInsideTheHost();
  EXPECT_LT(RectIn(host_, views_.tree).right, before.right);
}

TEST_F(AtlHost, ShowsItemsFedThroughTheHostAndATabClickSwitchesTheTree) {
  Add(L"TAB:First,TEXT:one,ID:one,OPIC:3");
  Add(L"TAB:First,TEXT:two,ID:two");
  Add(L"TAB:Second,TEXT:three,ID:three");
  // Items added after the window exists appear at the next rebuild.
  ASSERT_EQ(control_->Refresh(), S_OK);
  Settle();
  EXPECT_EQ(SendMessageA(views_.tabs, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(views_.tree, TVM_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(FirstNodeText(views_.tree), "one");

  RECT tab{};
  ASSERT_TRUE(SendMessageA(views_.tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab)));
  ASSERT_NO_FATAL_FAILURE(PointAt(views_.tabs, tab));
  Settle();
  ASSERT_NO_FATAL_FAILURE(PressMouse());
  Settle();

  EXPECT_EQ(SendMessageA(views_.tree, TVM_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(FirstNodeText(views_.tree), "three");
  UniqueBstr selected;
  ASSERT_EQ(control_->get_SelectedTab(selected.Out()), S_OK);
  EXPECT_EQ(std::wstring(selected.Get(), selected.Length()), L"Second");
}

TEST_F(AtlHost, DestroyingTheHostClosesTheWindowAndLeavesAWorkingObject) {
  Add(L"TAB:First,TEXT:one,ID:one");
  const HWND tree = views_.tree;
  ASSERT_TRUE(DestroyWindow(host_));
  host_ = nullptr;
  Settle();
  EXPECT_FALSE(IsWindow(tree));
  LONG count = 0;
  EXPECT_EQ(control_->get_ItemCount(&count), S_OK);
  EXPECT_EQ(count, 1);
  LONG ready = 0;
  EXPECT_EQ(control_->get_ReadyState(&ready), S_OK);
  EXPECT_EQ(ready, 1);
}

}  // namespace
}  // namespace zortab_test
