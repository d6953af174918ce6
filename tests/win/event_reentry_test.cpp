// A host whose handler calls back into the control from every event: the registered
// control active in the test container, driven by real gestures on its tab strip and
// tree, with a sink that reads and writes properties, adds and deletes items and moves
// the selection while each event is being delivered. The control must survive, keep its
// tree in step with its items, and still deliver the events each gesture brings.
//
// Two requests this platform's tree view never makes are sent as the tree would send
// them: the tip request (TVN_GETINFOTIP) and the right double click (NM_RDBLCLK).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "event_sink_support.h"
#include "ole_container.h"
#include "real_input.h"

namespace zortab_test {
namespace {

constexpr int kTabsId = 201;
constexpr int kTreeId = 202;
constexpr LONG kSingleExpand = 8;  // TreeStyle bit
// More events than this from one gesture means the host and the control feed each other.
constexpr std::size_t kRunaway = 400;

// The label of a tree node.
std::string Label(HWND tree, HTREEITEM node) {
  char text[64] = {};
  TVITEMA item{};
  item.mask = TVIF_HANDLE | TVIF_TEXT;
  item.hItem = node;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  return SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? text : "";
}

HTREEITEM Next(HWND tree, UINT how, HTREEITEM from) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from)));
}

// The node labelled `text`, searched depth first from `first`.
HTREEITEM FindNode(HWND tree, const std::string& text, HTREEITEM first) {
  for (HTREEITEM node = first; node; node = Next(tree, TVGN_NEXT, node)) {
    if (Label(tree, node) == text) return node;
    if (HTREEITEM inner = FindNode(tree, text, Next(tree, TVGN_CHILD, node))) return inner;
  }
  return nullptr;
}

// What a gesture does: which window, where, and with which input.
enum class Act {
  kClickTab,
  kRightClickTabs,
  kTabKey,
  kClick,
  kDoubleClick,
  kRightClick,
  kTreeKey,
  kClickOutside,
  kTip,
  kRightDoubleClick,
  kHost
};

struct Step {
  const char* what;
  Act act;
  const char* label;                                    // the node (tree gestures)
  int number;                                           // tab position or virtual key
  std::set<DISPID> brings;                              // events it must deliver
  std::function<void(IZorTabbedList&)> host = nullptr;  // kHost: the host's own call
};

class EventReentry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.Result()));
    outside_ =
        CreateWindowExA(0, "BUTTON", "outside", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 340, 8, 100,
                        30, container_.frame, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(outside_, nullptr);
    ASSERT_EQ(container_.Create(), S_OK);
    list_ = container_.As<IZorTabbedList>();
    ASSERT_EQ(list_->AddItemList(MakeBstr(L"TAB:A,TEXT:a1,ID:a1\n"
                                          L"TAB:A,TEXT:p,ID:p\n"
                                          L"TAB:A,TEXT:k,ID:k,PARENT:p\n"
                                          L"TAB:A,TEXT:g,ID:g,PARENT:k\n"
                                          L"TAB:A,TEXT:a2,ID:a2\n"
                                          L"TAB:B,TEXT:b1,ID:b1\n"
                                          L"TAB:B,TEXT:q,ID:q\n"
                                          L"TAB:B,TEXT:r,ID:r,PARENT:q")
                                     .Get()),
              S_OK);
    ASSERT_EQ(list_->put_EnableToolTips(VARIANT_TRUE), S_OK);
    ASSERT_EQ(container_.DoVerb(OLEIVERB_UIACTIVATE), S_OK);
    container_.Settle();
    const HWND window = container_.ControlWindow();
    ASSERT_NE(window, nullptr);
    tree_ = GetDlgItem(window, kTreeId);
    tabs_ = GetDlgItem(window, kTabsId);
    ASSERT_TRUE(tree_ && tabs_);
    point_ = EventPoint(list_.Get());
    ASSERT_NE(point_, nullptr);
    sink_.handler = [this](const EventCall& call) { React(call); };
    ASSERT_EQ(point_->Advise(static_cast<IDispatch*>(&sink_), &cookie_), S_OK);
  }
  void TearDown() override {
    if (point_) {
      EXPECT_EQ(point_->Unadvise(cookie_), S_OK);
    }
    point_.Reset();
    list_.Reset();
    container_.CloseAndRelease();
    EXPECT_EQ(sink_.references, 1);
    if (outside_) {
      EXPECT_TRUE(DestroyWindow(outside_));
    }
  }

  // The host's handler, for every event: reads at every depth; at the outermost one it
  // also adds an item to the shown tab, deletes the one it added before, makes the
  // reported item bold and selects it. The events those calls bring re-enter it again
  // (now or when the control runs what was asked inside a notification).
  void React(const EventCall& call) {
    ++depth_;
    IZorTabbedList& list = *list_.Get();
    LONG number = 0;
    EXPECT_EQ(list.get_ItemCount(&number), S_OK);
    EXPECT_EQ(list.get_EventKeyState(VK_SHIFT, &number), S_OK);
    UniqueBstr text;
    EXPECT_EQ(list.get_SelectedItem(text.Out()), S_OK);
    UniqueBstr tab;
    EXPECT_EQ(list.get_SelectedTab(tab.Out()), S_OK);
    // The reported item is the last text argument (the first declared parameter).
    std::wstring id;
    for (const EventArgument& argument : call.args) {
      if (argument.type == VT_BSTR) id = argument.text;
    }
    const UniqueBstr id_text = MakeBstr(id);
    EXPECT_EQ(list.get_Text(id_text.Get(), text.Out()), S_OK);
    if (call.dispid == kTreeGetToolTipText) {
      EXPECT_EQ(list.put_ToolTipText(MakeBstr(L"tip " + id).Get()), S_OK);
    }
    if (call.dispid == kTreeSortCompare && call.args.size() == 2) {  // descending
      const std::wstring& first = call.args[1].text;
      const std::wstring& second = call.args[0].text;
      EXPECT_EQ(list.put_SortCompare(first < second ? 1 : (second < first ? -1 : 0)), S_OK);
    }
    // Mutations from the events they cause themselves would never end (a host that
    // deletes from every deletion, or selects from every selection, loops by itself).
    const bool own_echo = call.dispid == kTreeSelChanged || call.dispid == kTreeSelChanging ||
                          call.dispid == kTreeItemDeleted;
    if (depth_ == 1 && call.dispid != kTreeSortCompare && !own_echo && journal_.size() < kRunaway) {
      const std::wstring added = L"x" + std::to_wstring(++added_);
      EXPECT_EQ(
          list.AddItem(MakeBstr(L"TAB:" + Text(tab) + L",TEXT:" + added + L",ID:" + added).Get()),
          S_OK);
      EXPECT_EQ(list.DeleteItem(MakeBstr(L"x" + std::to_wstring(added_ - 1)).Get()), S_OK);
      if (!id.empty()) {
        EXPECT_EQ(list.put_Bold(id_text.Get(), 1), S_OK);
        EXPECT_EQ(list.put_SelectedItem(id_text.Get()), S_OK);
      }
    }
    --depth_;
  }

  void Perform(const Step& step) {
    switch (step.act) {
      case Act::kClickTab:
      case Act::kRightClickTabs: {
        RECT r{};
        ASSERT_TRUE(
            SendMessageA(tabs_, TCM_GETITEMRECT, step.number, reinterpret_cast<LPARAM>(&r)));
        Press(tabs_, r, step.act == Act::kRightClickTabs);
        break;
      }
      case Act::kTabKey:
      case Act::kTreeKey:
        SetFocus(step.act == Act::kTabKey ? tabs_ : tree_);
        container_.Settle();
        PressKey(static_cast<WORD>(step.number));
        break;
      case Act::kClick:
      case Act::kDoubleClick:
      case Act::kRightClick:
        Press(tree_, LabelRect(step.label), step.act == Act::kRightClick,
              step.act == Act::kDoubleClick ? 2 : 1);
        break;
      case Act::kClickOutside: {
        RECT r{};
        ASSERT_TRUE(GetClientRect(outside_, &r));
        Press(outside_, r);
        break;
      }
      case Act::kTip:
        Tip(step.label);
        break;
      case Act::kRightDoubleClick: {
        // The control reads the pointer's place from the last message, as for a real one.
        ASSERT_NO_FATAL_FAILURE(PointAt(tree_, LabelRect(step.label)));
        container_.Settle();
        NMHDR header{tree_, static_cast<UINT_PTR>(kTreeId), static_cast<UINT>(NM_RDBLCLK)};
        SendMessageA(GetParent(tree_), WM_NOTIFY, kTreeId, reinterpret_cast<LPARAM>(&header));
        break;
      }
      case Act::kHost:
        step.host(*list_.Get());
        break;
    }
    container_.Settle();
  }

  RECT LabelRect(const char* label) {
    RECT r{};
    HTREEITEM node = FindNode(tree_, label, Next(tree_, TVGN_ROOT, nullptr));
    EXPECT_NE(node, nullptr) << label;
    std::memcpy(&r, &node, sizeof node);  // the tree reads the item from the rectangle
    EXPECT_TRUE(SendMessageA(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
    return r;
  }

  // Real presses of the left or right button at the centre of `r` (client coordinates of
  // `window`).
  void Press(HWND window, const RECT& r, bool right = false, int times = 1) {
    // Presses too close in time to the last one would pair with it.
    Sleep(GetDoubleClickTime() + 50);
    ASSERT_NO_FATAL_FAILURE(PointAt(window, r));
    container_.Settle();
    ASSERT_NO_FATAL_FAILURE(PressMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN,
                                       right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, times));
  }

  void Tip(const char* label) {
    HTREEITEM node = FindNode(tree_, label, Next(tree_, TVGN_ROOT, nullptr));
    ASSERT_NE(node, nullptr) << label;
    TVITEMA item{};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = node;
    ASSERT_TRUE(SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    char buffer[80] = {};
    NMTVGETINFOTIPA tip{};
    tip.hdr = NMHDR{tree_, static_cast<UINT_PTR>(kTreeId), static_cast<UINT>(TVN_GETINFOTIPA)};
    tip.pszText = buffer;
    tip.cchTextMax = sizeof buffer;
    tip.hItem = node;
    tip.lParam = item.lParam;
    SendMessageA(GetParent(tree_), WM_NOTIFY, kTreeId, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ(std::string(buffer), "tip " + std::string(label));
  }

  // Every node of the tree names an item of the shown tab, by label. Once the user has
  // chosen a tab the tree shows all of them: before, items added to the tab shown at
  // activation wait for the next rebuild (the control starts with no current tab).
  void ExpectTreeMatchesItems(bool all) {
    UniqueBstr tab;
    ASSERT_EQ(list_->get_SelectedTab(tab.Out()), S_OK);
    std::multiset<std::string> items;
    UniqueBstr id;
    ASSERT_EQ(list_->get_GetFirstItem(id.Out()), S_OK);
    while (id.Length() > 0) {
      UniqueBstr item_tab;
      UniqueBstr text;
      ASSERT_EQ(list_->get_Tab(id.Get(), item_tab.Out()), S_OK);
      ASSERT_EQ(list_->get_Text(id.Get(), text.Out()), S_OK);
      const std::wstring wide = Text(text);
      if (Text(item_tab) == Text(tab)) items.insert(std::string(wide.begin(), wide.end()));
      ASSERT_EQ(list_->get_GetNextItem(id.Out()), S_OK);
    }
    std::multiset<std::string> nodes;
    CollectLabels(Next(tree_, TVGN_ROOT, nullptr), nodes);
    if (all) {
      EXPECT_EQ(nodes, items);
    } else {
      EXPECT_TRUE(std::includes(items.begin(), items.end(), nodes.begin(), nodes.end()))
          << ::testing::PrintToString(nodes) << " not all in " << ::testing::PrintToString(items);
    }
  }
  void CollectLabels(HTREEITEM first, std::multiset<std::string>& out) {
    for (HTREEITEM node = first; node; node = Next(tree_, TVGN_NEXT, node)) {
      out.insert(Label(tree_, node));
      CollectLabels(Next(tree_, TVGN_CHILD, node), out);
    }
  }

  std::vector<EventCall> journal_;
  RecordingSink sink_{journal_, 1};  // outlives the container and the control
  Apartment apartment_;
  OleContainer container_;
  ComPtr<IZorTabbedList> list_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
  HWND outside_ = nullptr;  // a child of the shared frame: destroyed by TearDown
  HWND tree_ = nullptr;
  HWND tabs_ = nullptr;
  int depth_ = 0;
  int added_ = 0;
};

TEST_F(EventReentry, HandlersThatCallBackFromEveryEvent) {
  // clang-format off
  const Step steps[] = {
      {"click an item", Act::kClick, "a2", 0, {kTreeClicked, kTreeSelChanged, kTreeSelChanging}},
      {"double click a parent", Act::kDoubleClick, "p", 0,
       {kTreeDblClicked, kTreeOpening, kTreeOpened}},
      {"right click an item", Act::kRightClick, "k", 0, {kTreeRClicked}},
      {"right double click", Act::kRightDoubleClick, "a1", 0, {kTreeRDblClicked}},
      {"key down in the tree", Act::kTreeKey, "", VK_DOWN,
       {kTreeKeyPress, kTreeSelChanging, kTreeSelChanged}},
      {"close by key", Act::kTreeKey, "", VK_LEFT, {kTreeKeyPress}},
      {"enter", Act::kTreeKey, "", VK_RETURN, {kTreeKeyPress, kTreeClicked}},
      {"tip", Act::kTip, "a1", 0, {kTreeGetToolTipText}},
      {"host closes and opens", Act::kHost, "", 0, {kTreeClosing, kTreeOpening},
       [](IZorTabbedList& list) {
         EXPECT_EQ(list.put_Expand(MakeBstr(L"p").Get(), 0), S_OK);
         EXPECT_EQ(list.put_Expand(MakeBstr(L"p").Get(), 1), S_OK);
       }},
      {"host deletes an item", Act::kHost, "", 0, {kTreeItemDeleted},
       [](IZorTabbedList& list) { EXPECT_EQ(list.DeleteItem(MakeBstr(L"g").Get()), S_OK); }},
      {"host sorts through its handler", Act::kHost, "", 0, {kTreeSortCompare},
       [](IZorTabbedList& list) { EXPECT_EQ(list.put_Sorted(2), S_OK); }},
      {"host asks for single expand", Act::kHost, "", 0, {},
       [](IZorTabbedList& list) { EXPECT_EQ(list.put_TreeStyle(kSingleExpand), S_OK); }},
      {"click a parent in single-expand mode", Act::kClick, "p", 0,
       {kTreeClicked, kTreeSingleExpand}},
      {"focus leaves", Act::kClickOutside, "", 0, {kTreeLostFocus}},
      {"click into the tree again", Act::kClick, "a1", 0, {kTreeGotFocus, kTreeClicked}},
      {"right click the tabs", Act::kRightClickTabs, "", 0, {kTabRClicked}},
      {"click another tab", Act::kClickTab, "", 1, {kTabChanging, kTabChanged}},
      {"key on the tabs", Act::kTabKey, "", VK_LEFT, {kTabKeyPress, kTabChanging, kTabChanged}},
  };
  // clang-format on
  std::set<DISPID> all;
  bool tab_chosen = false;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    journal_.clear();
    ASSERT_NO_FATAL_FAILURE(Perform(step));
    std::set<DISPID> seen;
    for (const EventCall& call : journal_) seen.insert(call.dispid);
    all.insert(seen.begin(), seen.end());
    for (DISPID dispid : step.brings) EXPECT_TRUE(seen.count(dispid)) << "event " << dispid;
    EXPECT_LT(journal_.size(), kRunaway);
    EXPECT_EQ(depth_, 0);
    tab_chosen = tab_chosen || step.act == Act::kClickTab;
    ASSERT_NO_FATAL_FAILURE(ExpectTreeMatchesItems(tab_chosen));
  }
  // Every one of the 21 events came, and the host changed the control from inside them.
  std::string missing;
  for (DISPID dispid = kTabChanged; dispid <= kTabChanging; ++dispid) {
    if (!all.count(dispid)) missing += " " + std::to_string(dispid);
  }
  EXPECT_EQ(missing, "");
  EXPECT_GT(added_, 15);
}

}  // namespace
}  // namespace zortab_test
