// Real input on the control window made from the core: mouse and keys go through
// SendInput to the platform's tab control and tree view, and the events the host receives
// are compared with the orders the native event-order tests expect of the simulated views.
//
// Where the platform's tree view (Wine's comctl32) orders a gesture differently from the
// simulated one, the expectations below follow the platform:
// - a left click on an item reports NM_CLICK before it selects the node, so TreeClicked
//   comes before TreeSelChanging/TreeSelChanged; the focus report of a first click comes
//   last;
// - a right click moves the focus into the tree before NM_RCLICK, and a tree that takes the
//   focus with nothing selected selects its first node (action 0) before it reports the
//   focus;
// - a letter key runs the tree's incremental search, which moves the selection by keyboard
//   (action 2) after TreeKeyPress.
// Gestures this platform does not turn into notifications, and so are not driven here:
// a double click below the last node (no NM_DBLCLK without a node), a right double click
// (no NM_RDBLCLK), and tips: the tree view never sends TVN_GETINFOTIP, however long the
// pointer rests on a node, so TreeGetToolTipText cannot be produced by input.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "shown_control.h"

namespace zortab_test {
namespace {

using Log = std::vector<std::string>;

enum class Gesture { kClick, kDoubleClick, kRightClick, kKey };
// Keys go to the window with the focus (kFocus); the other targets are pointer places.
enum class Target { kLabel, kButton, kBelowNodes, kTab, kOutside, kFocus };

struct Input {
  Gesture gesture;
  Target target;
  const char* id = "";  // the item (kLabel, kButton)
  int number = 0;       // the tab position (kTab) or the virtual key (kKey)
};

// One gesture of a script, the events it brings and what the test reads afterwards.
struct Step {
  Input input;
  Log events;
  std::string after;
};

class WindowInput : public ::testing::Test, public ShownControl {
 protected:
  void SetUp() override {
    // Somewhere outside the control to click the focus away to.
    outside_ = CreateWindowExA(0, "BUTTON", "outside", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 340,
                               8, 100, 30, host.Get(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(outside_, nullptr);
    ASSERT_NO_FATAL_FAILURE(Open());
  }

  // The events since the last call.
  Log Events() { return recorder->TakeLog(); }
  // Runs on every event after it was recorded, with the recorded text.
  void Host(std::function<void(const std::string&)> react) {
    recorder->on_event = [this, react](events::DispId, std::span<const events::EventArg>) {
      react(recorder->log.back());
    };
  }

  template <size_t N>
  void Run(const Step (&steps)[N], const std::function<std::string()>& read_after) {
    for (const Step& step : steps) {
      SCOPED_TRACE(testing::Message() << "step " << (&step - steps));
      ASSERT_NO_FATAL_FAILURE(Perform(step.input));
      EXPECT_EQ(Events(), step.events);
      EXPECT_EQ(read_after(), step.after);
    }
  }

  // Where a gesture goes, in screen coordinates.
  void Locate(const Input& input, POINT& screen) {
    HWND over = TreeWindow();
    RECT r{};
    switch (input.target) {
      case Target::kLabel:
        ASSERT_TRUE(Dialog().Tree()->GetItemRect(NodeOf(input.id), true, r)) << input.id;
        screen = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        break;
      case Target::kButton: {
        ASSERT_TRUE(Dialog().Tree()->GetItemRect(NodeOf(input.id), true, r)) << input.id;
        // The button's place depends on indent and pictures: ask the tree's hit test.
        screen = POINT{-1, (r.top + r.bottom) / 2};
        for (int x = 0; x < r.left && screen.x < 0; ++x) {
          const view::HitTestResult hit = Dialog().Tree()->HitTest(view::Point{x, screen.y});
          if (hit.node == NodeOf(input.id) && (hit.flags & TVHT_ONITEMBUTTON)) screen.x = x;
        }
        ASSERT_GE(screen.x, 0) << "no button on " << input.id;
        break;
      }
      case Target::kBelowNodes: {
        const auto last =
            reinterpret_cast<HTREEITEM>(SendMessageA(over, TVM_GETNEXTITEM, TVGN_LASTVISIBLE, 0));
        int bottom = 0;
        if (last != nullptr) {
          ASSERT_TRUE(Dialog().Tree()->GetItemRect(reinterpret_cast<view::Node>(last), false, r));
          bottom = r.bottom;
        }
        screen = POINT{20, bottom + 12};
        ASSERT_EQ(Dialog().Tree()->HitTest(view::Point{screen.x, screen.y}).node, view::kNoNode);
        break;
      }
      case Target::kTab:
        over = TabsWindow();
        ASSERT_TRUE(
            SendMessageA(over, TCM_GETITEMRECT, input.number, reinterpret_cast<LPARAM>(&r)));
        screen = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        break;
      case Target::kOutside:
        over = outside_;
        ASSERT_TRUE(GetClientRect(over, &r));
        screen = POINT{r.right / 2, r.bottom / 2};
        break;
      case Target::kFocus:
        FAIL() << "the focus is no place for the pointer";
    }
    ASSERT_TRUE(ClientToScreen(over, &screen));
  }

  // Performs one gesture with real input and lets everything it caused run.
  void Perform(const Input& input) {
    std::vector<INPUT> inputs;
    auto add_mouse = [&](DWORD flags) {
      INPUT in{};
      in.type = INPUT_MOUSE;
      in.mi.dwFlags = flags;
      inputs.push_back(in);
    };
    if (input.gesture == Gesture::kKey) {
      for (DWORD flags : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = static_cast<WORD>(input.number);
        in.ki.dwFlags = flags;
        inputs.push_back(in);
      }
    } else {
      POINT screen{};
      ASSERT_NO_FATAL_FAILURE(Locate(input, screen));
      // A press near the last one within the double-click time would pair with it.
      if (std::abs(screen.x - last_press_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
          std::abs(screen.y - last_press_.y) <= GetSystemMetrics(SM_CYDOUBLECLK)) {
        const DWORD since = GetTickCount() - last_press_time_;
        if (since <= GetDoubleClickTime()) Sleep(GetDoubleClickTime() - since + 50);
      }
      ASSERT_TRUE(SetCursorPos(screen.x, screen.y));
      Settle();  // the move is delivered before the press
      last_press_ = screen;
      last_press_time_ = GetTickCount();
      const bool right = input.gesture == Gesture::kRightClick;
      const int presses = input.gesture == Gesture::kDoubleClick ? 2 : 1;
      for (int i = 0; i < presses; ++i) {
        add_mouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
        add_mouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
      }
    }
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
              inputs.size());
    Settle();
  }

  // The shown tree read back through TVM_GETNEXTITEM as an outline "a(b,c),d". Every node
  // must carry the Seq of a live item of the shown tab that knows the node as its own, and
  // every item of that tab must have a node; the first disagreement goes to `fault`.
  std::string TreeAgainstStore(std::string& fault) {
    const model::Store& store = list.Impl().store;
    int nodes = 0;
    const std::string outline =
        Walk(reinterpret_cast<HTREEITEM>(SendMessageA(TreeWindow(), TVM_GETNEXTITEM, TVGN_ROOT, 0)),
             store, nodes, fault);
    int items = 0;
    for (const auto& [seq, item] : store.Items()) items += item.TabIndex() == store.CurrentTab();
    const int count = static_cast<int>(SendMessageA(TreeWindow(), TVM_GETCOUNT, 0, 0));
    if (fault.empty() && (nodes != count || nodes != items)) {
      fault = std::to_string(nodes) + " nodes walked, the tree counts " + std::to_string(count) +
              ", the shown tab has " + std::to_string(items) + " items";
    }
    return outline;
  }

 private:
  std::string Walk(HTREEITEM first, const model::Store& store, int& nodes, std::string& fault) {
    std::string out;
    for (HTREEITEM node = first; node != nullptr;
         node = reinterpret_cast<HTREEITEM>(SendMessageA(TreeWindow(), TVM_GETNEXTITEM, TVGN_NEXT,
                                                         reinterpret_cast<LPARAM>(node)))) {
      ++nodes;
      TVITEMA tv{};
      tv.mask = TVIF_HANDLE | TVIF_PARAM;
      tv.hItem = node;
      const model::Item* item = nullptr;
      if (SendMessageA(TreeWindow(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) != 0) {
        item = store.FindItemPtr(static_cast<model::Seq>(tv.lParam));
      }
      if (item == nullptr || item->TreeNode != reinterpret_cast<view::Node>(node) ||
          item->TabIndex() != store.CurrentTab()) {
        if (fault.empty()) fault = "a node's item data names Seq " + std::to_string(tv.lParam);
        out += out.empty() ? "?" : ",?";
        continue;
      }
      if (!out.empty()) out += ',';
      out += item->ID();
      const std::string inner =
          Walk(reinterpret_cast<HTREEITEM>(SendMessageA(TreeWindow(), TVM_GETNEXTITEM, TVGN_CHILD,
                                                        reinterpret_cast<LPARAM>(node))),
               store, nodes, fault);
      if (!inner.empty()) out += "(" + inner + ")";
    }
    return out;
  }

  HWND outside_ = nullptr;  // destroyed with the host
  POINT last_press_{-1000, -1000};
  DWORD last_press_time_ = 0;
};

constexpr char kTree[] =
    "TAB:A,TEXT:a1,ID:a1\n"
    "TAB:A,TEXT:a2,ID:a2\n"
    "TAB:A,TEXT:p,ID:p,CPIC:3,OPIC:5\n"
    "TAB:A,TEXT:k,ID:k,PARENT:p\n"
    "TAB:A,TEXT:g,ID:g,PARENT:k\n"
    "TAB:A,TEXT:off,ID:off,ENABLE:0\n"
    "TAB:B,TEXT:b1,ID:b1,SELECT:1\n"
    "TAB:B,TEXT:b2,ID:b2";

// A script of mouse gestures on the tree, each with the events it brings (focus reports
// included) and the selected item after it.
TEST_F(WindowInput, MouseOnTheTree) {
  // The tree selects its first node (action 0) when it takes the focus with nothing
  // selected, so only an empty tree lets a right click find no node and no selection.
  ASSERT_NO_FATAL_FAILURE(Perform({Gesture::kRightClick, Target::kBelowNodes}));
  EXPECT_EQ(Events(), (Log{"TreeGotFocus()", "TreeRClicked()"}));
  list.AddItemList(kTree);
  list.PutExpand("p", 1);  // shows k with its button
  Settle();
  Events();
  const Step steps[] = {
      // A disabled item is selected by the mouse but reports no click.
      {{Gesture::kClick, Target::kLabel, "off"},
       {"TreeSelChanging(,off,1)", "TreeSelChanged(,off,1)"},
       "off"},
      {{Gesture::kClick, Target::kLabel, "a1"},
       {"TreeClicked(a1)", "TreeSelChanging(off,a1,1)", "TreeSelChanged(off,a1,1)"},
       "a1"},
      {{Gesture::kClick, Target::kBelowNodes}, {"TreeClicked()"}, "a1"},
      // The expand button toggles without a click on the item.
      {{Gesture::kClick, Target::kButton, "k"}, {"TreeOpening(k)", "TreeOpened(k)"}, "a1"},
      // A right click reports the item under the pointer and leaves the selection alone;
      // on no node it reports the selected item.
      {{Gesture::kRightClick, Target::kLabel, "a2"}, {"TreeRClicked(a2)"}, "a1"},
      {{Gesture::kRightClick, Target::kBelowNodes}, {"TreeRClicked(a1)"}, "a1"},
      {{Gesture::kClick, Target::kOutside}, {"TreeLostFocus()"}, "a1"},
  };
  Run(steps, [&] { return list.GetSelectedItem(); });
}

TEST_F(WindowInput, DoubleClickOpensAndClosesANode) {
  list.AddItemList(kTree);
  Settle();
  std::string inside;
  Host([&](const std::string& e) {
    if (e == "TreeOpened(p)") inside = std::to_string(list.GetExpand("p"));
  });
  auto picture = [&] {
    view::NodeItem n;
    n.mask = view::node::kImage | view::node::kSelectedImage;
    EXPECT_TRUE(Dialog().Tree()->GetItem(NodeOf("p"), n));
    return std::to_string(n.image) + "/" + std::to_string(n.selected_image);
  };
  ASSERT_NO_FATAL_FAILURE(Perform({Gesture::kDoubleClick, Target::kLabel, "p"}));
  EXPECT_EQ(Events(),
            (Log{"TreeClicked(p)", "TreeSelChanging(,p,1)", "TreeSelChanged(,p,1)",
                 "TreeGotFocus()", "TreeDblClicked(p)", "TreeOpening(p)", "TreeOpened(p)"}));
  EXPECT_EQ(inside, "1");
  EXPECT_EQ(list.GetExpand("p"), 1);
  EXPECT_EQ(picture(), "5/5");
  std::string fault;
  EXPECT_EQ(TreeAgainstStore(fault), "a1,a2,p(k(g)),off");
  EXPECT_EQ(fault, "");

  ASSERT_NO_FATAL_FAILURE(Perform({Gesture::kDoubleClick, Target::kLabel, "p"}));
  EXPECT_EQ(Events(),
            (Log{"TreeClicked(p)", "TreeDblClicked(p)", "TreeClosing(p)", "TreeClosed(p)"}));
  EXPECT_EQ(list.GetExpand("p"), 0);
  EXPECT_EQ(picture(), "3/3");
}

TEST_F(WindowInput, KeysInTheTree) {
  list.AddItemList(kTree);
  Settle();
  ASSERT_NO_FATAL_FAILURE(Perform({Gesture::kClick, Target::kLabel, "a1"}));
  Events();
  const Step steps[] = {
      {{Gesture::kKey, Target::kFocus, "", VK_DOWN},
       {"TreeKeyPress(a1,40)", "TreeSelChanging(a1,a2,2)", "TreeSelChanged(a1,a2,2)"},
       "a2"},
      {{Gesture::kKey, Target::kFocus, "", VK_RETURN},
       {"TreeKeyPress(a2,13)", "TreeClicked(a2)"},
       "a2"},
      // A letter: the key is reported, then the tree's incremental search selects p.
      {{Gesture::kKey, Target::kFocus, "", 'P'},
       {"TreeKeyPress(a2,80)", "TreeSelChanging(a2,p,2)", "TreeSelChanged(a2,p,2)"},
       "p"},
      {{Gesture::kKey, Target::kFocus, "", VK_RIGHT},
       {"TreeKeyPress(p,39)", "TreeOpening(p)", "TreeOpened(p)"},
       "p"},
      // A disabled item takes the selection but reports no key.
      {{Gesture::kKey, Target::kFocus, "", VK_END},
       {"TreeKeyPress(p,35)", "TreeSelChanging(p,off,2)", "TreeSelChanged(p,off,2)"},
       "off"},
      {{Gesture::kKey, Target::kFocus, "", VK_RETURN}, {}, "off"},
  };
  Run(steps, [&] { return list.GetSelectedItem(); });
}

// Tab strip gestures: the tree is rebuilt for the new tab before TabChanged; a right click
// names the selected tab, not the one under the pointer; keys are reported and then move.
TEST_F(WindowInput, TabStrip) {
  list.AddItemList(kTree);
  Settle();
  // The selected tab, the strip's selected position and the tree read back.
  auto read_after = [&] {
    std::string fault;
    const std::string outline = TreeAgainstStore(fault);
    return list.GetSelectedTab() + " " +
           std::to_string(SendMessageA(TabsWindow(), TCM_GETCURSEL, 0, 0)) + " " + outline + fault;
  };
  const Step steps[] = {
      {{Gesture::kClick, Target::kTab, "", 1},
       {"TabChanging(A)", "TreeSelChanging(,b1,0)", "TreeSelChanged(,b1,0)", "TabChanged(B)"},
       "B 1 b1,b2"},
      {{Gesture::kRightClick, Target::kTab, "", 0}, {"TabRClicked(B)"}, "B 1 b1,b2"},
      {{Gesture::kKey, Target::kFocus, "", VK_LEFT},
       {"TabKeyPress(B,37)", "TabChanging(B)", "TabChanged(A)"},
       "A 0 a1,a2,p(k(g)),off"},
  };
  Run(steps, read_after);
}

// A host that deletes from inside the events of a gesture: the tree finishes the gesture
// first, the deletion follows, and store and tree agree afterwards.
TEST_F(WindowInput, HostDeletesInsideTheGesture) {
  struct Case {
    Input input;
    std::string react_on;
    bool delete_all;  // else DeleteItem of the clicked item
    Log events;
    std::string tree_after;
  };
  // The deleted node was selected: the tree selects its next sibling (action 0).
  const Log a1_clicked_then_deleted{"TreeClicked(a1)",        "TreeSelChanging(,a1,1)",
                                    "TreeSelChanged(,a1,1)",  "TreeItemDeleted(a1)",
                                    "TreeSelChanging(,a2,0)", "TreeSelChanged(,a2,0)"};
  const Case cases[] = {
      {{Gesture::kClick, Target::kLabel, "a1"},
       "TreeClicked(a1)",
       false,
       a1_clicked_then_deleted,
       "a2,p(k(g)),off"},
      {{Gesture::kClick, Target::kLabel, "a1"},
       "TreeSelChanged(,a1,1)",
       false,
       a1_clicked_then_deleted,
       "a2,p(k(g)),off"},
      {{Gesture::kDoubleClick, Target::kLabel, "p"},
       "TreeDblClicked(p)",
       false,
       {"TreeClicked(p)", "TreeSelChanging(,p,1)", "TreeSelChanged(,p,1)", "TreeDblClicked(p)",
        "TreeOpening(p)", "TreeOpened(p)", "TreeItemDeleted(g)", "TreeItemDeleted(k)",
        "TreeItemDeleted(p)", "TreeSelChanging(,off,0)", "TreeSelChanged(,off,0)"},
       "a1,a2,off"},
      {{Gesture::kClick, Target::kLabel, "a1"},
       "TreeClicked(a1)",
       true,
       {"TreeClicked(a1)", "TreeSelChanging(,a1,1)", "TreeSelChanged(,a1,1)"},
       ""},
      {{Gesture::kClick, Target::kLabel, "a2"},
       "TreeSelChanging(,a2,1)",
       true,
       {"TreeClicked(a2)", "TreeSelChanging(,a2,1)", "TreeSelChanged(,a2,1)"},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    Host([](const std::string&) {});
    list.DeleteAll();
    list.AddItemList(kTree);
    Settle();
    Events();
    Host([&](const std::string& e) {
      if (e != c.react_on) return;
      if (c.delete_all) {
        list.DeleteAll();
      } else {
        list.DeleteItem(c.input.id);
      }
    });
    ASSERT_NO_FATAL_FAILURE(Perform(c.input));
    Log events;
    for (auto& e : Events()) {
      if (e != "TreeGotFocus()" && e != "TreeLostFocus()") events.push_back(e);
    }
    EXPECT_EQ(events, c.events);
    std::string fault;
    EXPECT_EQ(TreeAgainstStore(fault), c.tree_after);
    EXPECT_EQ(fault, "");
    EXPECT_EQ(list.GetItemExists(c.input.id), 0);
  }
}

}  // namespace
}  // namespace zortab_test
