// The notification handlers over the view controller and the simulated views: what each
// gesture reports, what it leaves in the store, and how the handlers cope with a host that
// changes the control from inside its events.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "events/controller_context.h"
#include "events/fire.h"
#include "model/record.h"
#include "model/store.h"
#include "support/event_recorder.h"
#include "view/sim/sim_views.h"
#include "view/view_controller.h"

namespace {

using Log = std::vector<std::string>;
using view::hit::kOnItemButton;
using view::hit::kOnItemLabel;

constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkMenu = 0x12;

class RecordingNavigator : public events::Navigator {
 public:
  void NavigatePage(const std::string& href) override { log.push_back("page " + href); }
  void NavigateFrame(const std::string& frame, const std::string& href) override {
    log.push_back("frame " + frame + " " + href);
  }
  Log log;
};

class InteractionTest : public ::testing::Test {
 protected:
  InteractionTest() {
    views.SetDesktop(&desktop);
    events.Listen(*dialog);
    events.Sinks().Connect(recorder);
    events.Handlers().SetNavigator(&navigator);
  }
  ~InteractionTest() override { events.StopListening(*dialog); }

  void Show() {
    views.OpenWindow(dialog.get(), &desktop);
    views.Refresh();
  }
  void Add(const std::string& record) { model::AddItem(store, record); }
  view::sim::SimTreeView& Tree() { return *dialog->Tree(); }
  view::Node NodeOf(const std::string& id) { return store.FindItemById(id)->TreeNode; }
  view::Point On(const std::string& id, std::uint32_t part = kOnItemLabel) {
    auto point = Tree().PointOn(NodeOf(id), part);
    EXPECT_TRUE(point.has_value()) << id;
    return point.value_or(view::Point{});
  }
  // The events since the last call, without the focus reports a first click brings.
  Log Events() {
    Log out;
    for (auto& e : recorder->TakeLog()) {
      if (e != "TreeGotFocus()" && e != "TreeLostFocus()") out.push_back(e);
    }
    return out;
  }
  void OnEvent(std::function<void(const std::string&)> react) {
    recorder->on_event = [this, react](events::DispId, std::span<const events::EventArg>) {
      react(recorder->log.back());
    };
  }
  void HoldChord(bool down) {
    for (int key : {kVkShift, kVkControl, kVkMenu}) desktop.SetKeyDown(key, down);
  }

  model::Store store;
  view::ViewController views{store};
  view::sim::SimDesktop desktop;
  std::unique_ptr<view::sim::SimDialog> dialog = std::make_unique<view::sim::SimDialog>(desktop);
  events::ControlEvents events{views};
  std::shared_ptr<testing_support::EventRecorder> recorder =
      std::make_shared<testing_support::EventRecorder>();
  RecordingNavigator navigator;
};

TEST_F(InteractionTest, ClickNavigatesToWhatTheHandlerLeaves) {
  Add("TAB:T,TEXT:a,ID:a,HREF:a.htm");
  Add("TAB:T,TEXT:b,ID:b,HREF:b.htm,FRAME:main");
  Add("TAB:T,TEXT:c,ID:c");
  Show();
  Tree().Click(On("a"));
  EXPECT_EQ(Events(), (Log{"TreeSelChanging(,a,1)", "TreeSelChanged(,a,1)", "TreeClicked(a)"}));
  EXPECT_EQ(navigator.log, (Log{"page a.htm"}));

  // The handler redirects the click: the new Href and the item's Frame are followed.
  OnEvent([&](const std::string& e) {
    if (e == "TreeClicked(b)") store.FindItemById("b")->Href = "new.htm";
  });
  Tree().Click(On("b"));
  EXPECT_EQ(navigator.log, (Log{"page a.htm", "frame main new.htm"}));

  // An item without Href only reports.
  Tree().Click(On("c"));
  EXPECT_EQ(Events().back(), "TreeClicked(c)");
  EXPECT_EQ(navigator.log.size(), 2u);

  // A handler that clears the Href stops this very click.
  OnEvent([&](const std::string& e) {
    if (e == "TreeClicked(a)") store.FindItemById("a")->Href.clear();
  });
  events.Handlers().FireClick("a");
  EXPECT_EQ(navigator.log.size(), 2u);
}

TEST_F(InteractionTest, ClickOfAnItemTheHandlerRemovesNavigatesNothing) {
  Add("TAB:T,TEXT:a,ID:a,HREF:a.htm");
  Add("TAB:T,TEXT:b,ID:b,HREF:b.htm");
  Show();
  OnEvent([&](const std::string& e) {
    if (e == "TreeClicked(a)") views.DeleteItem("a");
  });
  Tree().Click(On("a"));
  // The tree passes the deleted item's selection on to its next sibling.
  EXPECT_EQ(Events(), (Log{"TreeSelChanging(,a,1)", "TreeSelChanged(,a,1)", "TreeClicked(a)",
                           "TreeItemDeleted(a)", "TreeSelChanging(,b,0)", "TreeSelChanged(,b,0)"}));
  EXPECT_TRUE(navigator.log.empty());

  // DeleteAll and a new item inside the handler: the new item gets the clicked item's
  // Seq again, but it is not the item that was clicked.
  const model::Seq clicked = store.FindItem("b");
  OnEvent([&](const std::string& e) {
    if (e != "TreeClicked(b)") return;
    views.DeleteAll();
    Add("TAB:T,TEXT:x,ID:x,HREF:x.htm");
    Add("TAB:T,TEXT:y,ID:y,HREF:y.htm");
  });
  events.Handlers().FireClick("b");
  ASSERT_NE(store.FindItemPtr(clicked), nullptr);
  EXPECT_TRUE(navigator.log.empty());
}

TEST_F(InteractionTest, ClicksOffTheLabelOrOnDisabledItemsReportNothing) {
  Add("TAB:T,TEXT:p,ID:p,HREF:p.htm");
  Add("TAB:T,TEXT:k,ID:k,PARENT:p");
  Add("TAB:T,TEXT:off,ID:off,ENABLE:0,HREF:off.htm");
  Show();
  Tree().Click(On("p", kOnItemButton));  // the toggle, no click on the item
  EXPECT_EQ(Events(), (Log{"TreeOpening(p)", "TreeOpened(p)"}));

  Tree().Click(view::Point{5, 190});  // below the last row
  EXPECT_EQ(Events(), (Log{"TreeClicked()"}));

  // A disabled item is still selected by the click, but reports no click, double click,
  // right click or key, and the host's FireClick/FireDblClick do nothing for it.
  Tree().Click(On("off"));
  EXPECT_EQ(Events(), (Log{"TreeSelChanging(,off,1)", "TreeSelChanged(,off,1)"}));
  EXPECT_EQ(store.FindItemById("off")->Flags & model::kFlagSelect, model::kFlagSelect);
  Tree().DoubleClick(On("off"));
  Tree().RightClick(On("off"));
  Tree().RightDoubleClick(On("off"));
  Tree().KeyDown(0x41);
  Tree().KeyDown(view::sim::kVkReturn);
  events.Handlers().FireClick("off");
  events.Handlers().FireDblClick("off");
  EXPECT_EQ(Events(), Log{});
  EXPECT_TRUE(navigator.log.empty());

  // Unknown IDs: nothing either.
  events.Handlers().FireClick("nobody");
  events.Handlers().FireDblClick("nobody");
  EXPECT_EQ(Events(), Log{});
}

TEST_F(InteractionTest, RightClicksFallBackToTheSelection) {
  Add("TAB:T,TEXT:a,ID:a,TAG:x");
  Add("TAB:T,TEXT:b,ID:b,PARENT:a,TAG:y");
  Show();
  const view::Point empty{5, 190};
  Tree().RightClick(empty);
  Tree().RightDoubleClick(empty);
  EXPECT_EQ(Events(), (Log{"TreeRClicked()", "TreeRDblClicked()"}));

  views.PutSelectedItem("b");
  Events();
  Tree().RightClick(empty);
  Tree().RightDoubleClick(empty);  // no node under the pointer, but a selection: no event
  EXPECT_EQ(Events(), (Log{"TreeRClicked(b)"}));
  Tree().RightClick(On("a"));
  Tree().RightDoubleClick(On("a"));
  Tree().RightDoubleClick(On("a", kOnItemButton));
  EXPECT_EQ(Events(), (Log{"TreeRClicked(a)", "TreeRDblClicked(a)"}));
  // The answer suppresses the tree's own processing once an item was found.
  EXPECT_EQ(events.Handlers().OnRClick(), 1);
  EXPECT_EQ(Events(), (Log{"TreeRClicked(a)"}));
}

TEST_F(InteractionTest, TipsComeFromToolTipTextOrTheChord) {
  Add("TAB:T,TEXT:a,ID:a,PARENT:,TAG:t");
  Add("TAB:T,TEXT:b,ID:b");
  Show();
  EXPECT_EQ(Tree().RequestTip(NodeOf("a"), 80), std::nullopt);  // tips off: left alone
  EXPECT_EQ(Events(), Log{});

  views.PutEnableToolTips(-1);
  OnEvent([&](const std::string& e) {
    if (e == "TreeGetToolTipText(a)") views.PutToolTipText("tip of a");
  });
  EXPECT_EQ(Tree().RequestTip(NodeOf("a"), 80), std::optional<std::string>("tip of a"));
  // A handler that writes nothing shows the last text again; a small buffer cuts it.
  EXPECT_EQ(Tree().RequestTip(NodeOf("b"), 80), std::optional<std::string>("tip of a"));
  EXPECT_EQ(Tree().RequestTip(NodeOf("b"), 4), std::optional<std::string>("tip"));
  EXPECT_EQ(Events(),
            (Log{"TreeGetToolTipText(a)", "TreeGetToolTipText(b)", "TreeGetToolTipText(b)"}));

  // With the chord the diagnostic text is the tip, with or without EnableToolTips.
  views.PutEnableToolTips(0);
  HoldChord(true);
  EXPECT_EQ(Tree().RequestTip(NodeOf("a"), 80), std::optional<std::string>("ID:a, Parent:, Tag:t"));
  EXPECT_EQ(Events(), Log{});
}

TEST_F(InteractionTest, KeyStateSnapshotIsTakenOnlyWhereTheHandlersTakeIt) {
  Add("TAB:A,TEXT:a,ID:a");
  Add("TAB:B,TEXT:b,ID:b");
  Show();
  std::vector<std::string> seen;
  recorder->on_event = [&](events::DispId dispid, std::span<const events::EventArg>) {
    seen.push_back(recorder->log.back() + "=" +
                   std::to_string(events.Handlers().GetEventKeyState(0x41)));
    (void)dispid;
  };
  desktop.SetKeyDown(0x41, true);
  dialog->Tabs()->UserSelect(1);
  desktop.SetKeyDown(0x41, false);
  dialog->Tree()->SendKillFocus();  // focus reports keep the last snapshot
  events.Handlers().FireDblClick("b");
  EXPECT_EQ(seen, (Log{"TabChanging(A)=0", "TabChanged(B)=1", "TreeLostFocus()=1",
                       "TreeDblClicked(b)=1"}));
  seen.clear();
  dialog->Tabs()->RightClick();
  EXPECT_EQ(seen, (Log{"TabRClicked(B)=0"}));
  EXPECT_EQ(events.Handlers().GetEventKeyState(-1), 0);
  EXPECT_EQ(events.Handlers().GetEventKeyState(256), 0);
}

TEST_F(InteractionTest, TabStripHighlightAndKeys) {
  Add("TAB:A,TEXT:a,ID:a");
  Add("TAB:B,TEXT:b,ID:b");
  Add("TAB:C,TEXT:c,ID:c");
  Show();
  view::sim::SimTabStrip& tabs = *dialog->Tabs();
  tabs.HighlightItem(0, 1);  // by other means; the user's leaving takes it off
  tabs.UserSelect(1);
  EXPECT_FALSE(tabs.IsHighlighted(0));
  EXPECT_FALSE(tabs.IsHighlighted(1));
  views.PutHilightSelectedTab(-1);
  tabs.UserSelect(2);
  EXPECT_FALSE(tabs.IsHighlighted(1));
  EXPECT_TRUE(tabs.IsHighlighted(2));
  Events();
  // The key code is reported as its 16-bit value; the right arrow then changes tabs.
  events.Handlers().OnTabKeyDown(0x12345);
  tabs.KeyDown(view::sim::kVkLeft);
  EXPECT_EQ(Events(),
            (Log{"TabKeyPress(C,9029)", "TabKeyPress(C,37)", "TabChanging(C)", "TabChanged(B)"}));
}

TEST_F(InteractionTest, FireClickIsSilentWhileTheTreeIsRebuilt) {
  Add("TAB:T,TEXT:b,ID:b");
  Add("TAB:T,TEXT:a,ID:a");
  Show();
  views.PutSorted(2);  // the comparisons of the rebuild run while Rebuilding is set
  Events();
  OnEvent([&](const std::string& e) {
    if (e.rfind("TreeSortCompare", 0) == 0) {
      events.Handlers().FireClick("a");
      events.Handlers().FireDblClick("a");
    }
  });
  views.PutSorted(2);
  const Log log = Events();
  ASSERT_FALSE(log.empty());
  for (const auto& e : log) EXPECT_EQ(e.rfind("TreeSortCompare", 0), 0u) << e;
}

TEST_F(InteractionTest, SortingSurvivesAnyHostAnswerAndHostChanges) {
  Add("TAB:T,TEXT:first,ID:first");
  Show();
  views.PutSorted(2);
  // Answers that contradict each other still end, and every child stays in the tree.
  int calls = 0;
  recorder->on_event = [&](events::DispId dispid, std::span<const events::EventArg>) {
    if (dispid == events::dispid::kTreeSortCompare) {
      EXPECT_EQ(views.GetSortCompare(), 0);  // reset before every comparison
      views.PutSortCompare((++calls % 3) - 1);
    }
  };
  for (int i = 0; i < 12; ++i) {
    Add("TAB:T,TEXT:n" + std::to_string(i) + ",ID:n" + std::to_string(i));
  }
  EXPECT_GT(calls, 0);
  EXPECT_EQ(Tree().Children(view::kRootNode).size(), 13u);

  // A host that deletes one of the compared items and adds another while the siblings
  // are being sorted: the tree ends up with exactly the items that are left.
  bool acted = false;
  recorder->on_event = [&](events::DispId dispid, std::span<const events::EventArg> args) {
    if (dispid != events::dispid::kTreeSortCompare || acted) return;
    acted = true;
    views.DeleteItem(args[1].AsText());
    Add("TAB:T,TEXT:late,ID:late");
  };
  views.PutSorted(2);
  EXPECT_TRUE(acted);
  std::size_t shown = 0;
  for (const auto& [seq, item] : store.Items()) {
    ASSERT_NE(item.TreeNode, view::kNoNode) << item.ID();
    view::NodeItem data;
    data.mask = view::node::kParam;
    ASSERT_TRUE(Tree().GetItem(item.TreeNode, data));
    EXPECT_EQ(data.param, seq);
    ++shown;
  }
  EXPECT_EQ(shown, Tree().Children(view::kRootNode).size());
  EXPECT_EQ(static_cast<int>(shown), Tree().GetCount());
}

TEST_F(InteractionTest, ExpandWriteReportsTheIdAsPassedAndFocusEvents) {
  events.Handlers().FireExpandWritten("as passed", 5);
  events.Handlers().FireExpandWritten("as passed", 0);
  dialog->Tree()->SendSetFocus();
  dialog->Tree()->SendKillFocus();
  EXPECT_EQ(recorder->TakeLog(), (Log{"TreeOpening(as passed)", "TreeClosing(as passed)",
                                      "TreeGotFocus()", "TreeLostFocus()"}));
}

}  // namespace
