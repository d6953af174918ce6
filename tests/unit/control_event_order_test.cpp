// Event order through the automation members and user gestures on the simulated views:
// for each scenario, the list of events a host receives, with their arguments, and what
// the host sees of the control from inside its handlers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/control_harness.h"

namespace {

using Log = std::vector<std::string>;
using view::hit::kOnItemLabel;

class EventOrder : public ::testing::Test, public testing_support::ControlHarness {
 protected:
  // Runs on every event after it was recorded, with the recorded text.
  void Host(std::function<void(const std::string&)> react) {
    recorder->on_event = [this, react](events::DispId, std::span<const events::EventArg>) {
      react(recorder->log.back());
    };
  }
  void Add(const std::string& record) { list.AddItem(record); }
};

TEST_F(EventOrder, UserChangesTabs) {
  Add("TAB:A,TEXT:a1,ID:a1");
  Add("TAB:A,TEXT:a2,ID:a2");
  Add("TAB:B,TEXT:b1,ID:b1,SELECT:1");
  Add("TAB:B,TEXT:b2,ID:b2");
  list.PutHilightSelectedTab(-1);
  Show();
  EXPECT_EQ(Events(), Log{});

  std::string inside;
  Host([&](const std::string& e) {
    if (e == "TabChanging(A)") inside += "leaving:" + list.GetSelectedTab() + ";";
    if (e == "TabChanged(B)") {
      inside +=
          "shown:" + list.GetSelectedTab() + "/" + Outline() + "/" + list.GetSelectedItem() + ";";
    }
  });
  Tabs().UserSelect(1);
  EXPECT_EQ(Events(), (Log{"TabChanging(A)", "TreeSelChanging(,b1,0)", "TreeSelChanged(,b1,0)",
                           "TabChanged(B)"}));
  EXPECT_EQ(inside, "leaving:A;shown:B/b1,b2/b1;");
  EXPECT_FALSE(Tabs().IsHighlighted(0));
  EXPECT_TRUE(Tabs().IsHighlighted(1));

  // A tab without a remembered selection: no selection events.
  Host([](const std::string&) {});
  Tabs().UserSelect(0);
  EXPECT_EQ(Events(), (Log{"TabChanging(B)", "TabChanged(A)"}));

  // The host's SelectedTab write: TabChanged with the name as passed, no TabChanging; the
  // tab already shown is rebuilt without TabChanged.
  list.PutSelectedTab("B");
  list.PutSelectedTab("B");
  list.PutSelectedTab("nothing");
  EXPECT_EQ(Events(), (Log{"TreeSelChanging(,b1,0)", "TreeSelChanged(,b1,0)", "TabChanged(B)",
                           "TreeSelChanging(,b1,0)", "TreeSelChanged(,b1,0)"}));
}

TEST_F(EventOrder, RebuildSelectsTheRememberedItemOfEachTab) {
  Add("TAB:A,TEXT:a1,ID:a1,SELECT:1");
  Add("TAB:A,TEXT:a2,ID:a2,SELECT:1");
  Add("TAB:B,TEXT:b1,ID:b1");
  Show();
  // The later of two items created selected wins; the earlier one's bit is cleared.
  EXPECT_EQ(list.GetSelectedItem(), "a2");
  EXPECT_EQ(list.GetSelect("a1"), 0);
  Events();

  Tree().Click(On("a1"));
  EXPECT_EQ(Events(),
            (Log{"TreeSelChanging(a2,a1,1)", "TreeSelChanged(a2,a1,1)", "TreeClicked(a1)"}));
  // Clearing the tree for B reports nothing and leaves a1's Select bit in place.
  Tabs().UserSelect(1);
  EXPECT_EQ(Events(), (Log{"TabChanging(A)", "TabChanged(B)"}));
  EXPECT_EQ(list.GetSelect("a1"), 1);
  Tabs().UserSelect(0);
  EXPECT_EQ(Events(), (Log{"TabChanging(B)", "TreeSelChanging(,a1,0)", "TreeSelChanged(,a1,0)",
                           "TabChanged(A)"}));
}

TEST_F(EventOrder, DeleteItemReportsATwoLevelSubtreeDeepestFirst) {
  Add("TAB:T,TEXT:p,ID:p");
  Add("TAB:T,TEXT:c1,ID:c1,PARENT:p");
  Add("TAB:T,TEXT:g1,ID:g1,PARENT:c1");
  Add("TAB:T,TEXT:c2,ID:c2,PARENT:p");
  Add("TAB:T,TEXT:g2,ID:g2,PARENT:c1");
  Add("TAB:T,TEXT:g3,ID:g3,PARENT:c2");
  Add("TAB:T,TEXT:keep,ID:keep");
  Add("TAB:U,TEXT:u,ID:u,PARENT:keep");
  Show();
  ASSERT_EQ(Outline(), "p(c1(g1,g2),c2(g3)),keep");
  Log still_there;
  Host([&](const std::string& e) {
    const std::string id = e.substr(e.find('(') + 1, e.size() - e.find('(') - 2);
    still_there.push_back(id + "=" + std::to_string(list.GetItemExists(id)));
  });
  list.DeleteItem("p");
  EXPECT_EQ(Events(), (Log{"TreeItemDeleted(g1)", "TreeItemDeleted(g2)", "TreeItemDeleted(c1)",
                           "TreeItemDeleted(g3)", "TreeItemDeleted(c2)", "TreeItemDeleted(p)"}));
  // Each item is still in the model while its deletion is reported.
  EXPECT_EQ(still_there, (Log{"g1=1", "g2=1", "c1=1", "g3=1", "c2=1", "p=1"}));
  EXPECT_EQ(Outline(), "keep");
  // An item of a tab that is not shown goes without an event; DeleteAll reports nothing.
  list.DeleteChildren("keep");
  EXPECT_EQ(list.GetItemExists("u"), 0);
  list.DeleteAll();
  EXPECT_EQ(Events(), Log{});
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(EventOrder, SortedTwoAsksTheHostWhoComparesIds) {
  Add("TAB:T,TEXT:first,ID:m");
  Show();
  list.PutSorted(2);
  Events();
  Log resets;
  Host([&](const std::string& e) {
    if (e.rfind("TreeSortCompare(", 0) != 0) return;
    resets.push_back(std::to_string(list.GetSortCompare()));
    const auto comma = e.find(',');
    const std::string id1 = e.substr(16, comma - 16);
    const std::string id2 = e.substr(comma + 1, e.size() - comma - 2);
    list.PutSortCompare(id1 < id2 ? -1 : (id1 > id2 ? 1 : 0));
  });
  Add("TAB:T,TEXT:x,ID:c");
  Add("TAB:T,TEXT:y,ID:a");
  EXPECT_EQ(Outline(), "a,c,m");
  // Every comparison the host saw started from SortCompare 0.
  EXPECT_EQ(resets, Log(resets.size(), "0"));
  const Log log = Events();
  ASSERT_FALSE(log.empty());
  for (const auto& e : log) EXPECT_EQ(e.rfind("TreeSortCompare(", 0), 0u) << e;

  // Children are sorted among themselves, under their parent.
  Add("TAB:T,TEXT:k,ID:k2,PARENT:c");
  Add("TAB:T,TEXT:k,ID:k1,PARENT:c");
  EXPECT_EQ(Outline(), "a,c(k1,k2),m");
  Events();

  // Without a verdict every pair is equal and insertion order stays.
  Host([](const std::string&) {});
  list.PutSorted(2);
  EXPECT_EQ(Outline(), "m,c(k2,k1),a");
}

TEST_F(EventOrder, DoubleClickExpandsWithPicturesAndState) {
  Add("TAB:T,TEXT:p,ID:p,CPIC:3,OPIC:5");
  Add("TAB:T,TEXT:k,ID:k,PARENT:p");
  Add("TAB:T,TEXT:lazy,ID:lazy,HASCHILDREN:1");
  Show();
  std::string inside;
  Host([&](const std::string& e) {
    if (e == "TreeOpened(p)") inside = std::to_string(list.GetExpand("p"));
    // A host loads children as the node opens.
    if (e == "TreeOpening(lazy)") list.AddItem("TAB:T,TEXT:loaded,ID:loaded,PARENT:lazy");
  });
  Tree().Click(On("p"));
  Tree().DoubleClick(On("p"));
  EXPECT_EQ(Events(), (Log{"TreeSelChanging(,p,1)", "TreeSelChanged(,p,1)", "TreeClicked(p)",
                           "TreeDblClicked(p)", "TreeOpening(p)", "TreeOpened(p)"}));
  EXPECT_EQ(inside, "1");
  view::NodeItem n;
  n.mask = view::node::kImage | view::node::kSelectedImage;
  ASSERT_TRUE(Tree().GetItem(NodeOf("p"), n));
  EXPECT_EQ(n.image, 5);
  EXPECT_EQ(n.selected_image, 5);

  Tree().DoubleClick(On("p"));
  EXPECT_EQ(Events(), (Log{"TreeDblClicked(p)", "TreeClosing(p)", "TreeClosed(p)"}));
  EXPECT_EQ(list.GetExpand("p"), 0);
  ASSERT_TRUE(Tree().GetItem(NodeOf("p"), n));
  EXPECT_EQ(n.image, 3);

  Tree().DoubleClick(On("lazy"));
  EXPECT_EQ(Events(), (Log{"TreeDblClicked(lazy)", "TreeOpening(lazy)", "TreeOpened(lazy)"}));
  EXPECT_EQ(Outline(), "p(k),lazy(loaded)");

  // The host's Expand write reports the ID as passed, whatever the bit was.
  list.PutExpand("p", 1);
  list.PutExpand("p", 1);
  list.PutExpand("p", 0);
  list.PutExpand("none", 1);
  EXPECT_EQ(Events(), (Log{"TreeOpening(p)", "TreeOpening(p)", "TreeClosing(p)"}));
}

// The Expand write sets the node's expanded mark itself: the tree's own expand processing
// (TreeOpened, the open picture) does not follow the write's event.
TEST_F(EventOrder, ExpandWriteMarksTheNodeWithoutTheTreesExpandProcessing) {
  Add("TAB:T,TEXT:p,ID:p,CPIC:3,OPIC:5");
  Add("TAB:T,TEXT:k,ID:k,PARENT:p");
  Show();
  Events();
  view::NodeItem n;
  n.mask = view::node::kState | view::node::kImage;
  n.state_mask = view::node::kStateExpanded;
  list.PutExpand("p", 1);
  EXPECT_EQ(Events(), (Log{"TreeOpening(p)"}));
  ASSERT_TRUE(Tree().GetItem(NodeOf("p"), n));
  EXPECT_EQ(n.state, view::node::kStateExpanded);
  EXPECT_EQ(n.image, 3);
  EXPECT_EQ(Tree().VisibleRows().size(), 2u);
  list.PutExpand("p", 0);
  EXPECT_EQ(Events(), (Log{"TreeClosing(p)"}));
  ASSERT_TRUE(Tree().GetItem(NodeOf("p"), n));
  EXPECT_EQ(n.state, 0u);
}

TEST_F(EventOrder, RightClickOnATabThatIsNotSelectedReportsTheSelectedOne) {
  Add("TAB:A,TEXT:a,ID:a");
  Add("TAB:B,TEXT:b,ID:b");
  Show();
  Tabs().UserSelect(1);
  Events();
  Tabs().RightClick(0);
  EXPECT_EQ(Events(), (Log{"TabRClicked(B)"}));
  EXPECT_EQ(list.GetSelectedTab(), "B");
  EXPECT_EQ(Outline(), "b");
}

TEST_F(EventOrder, TabChangedNamesTheShownTabBeforeWhatTheHostAskedOnTheWay) {
  Add("TAB:A,TEXT:a,ID:a");
  Add("TAB:B,TEXT:b,ID:b,SELECT:1");
  Add("TAB:C,TEXT:c,ID:c");
  Show();
  // The rebuild for B selects b; the host answers that selection by showing C.
  Host([&](const std::string& e) {
    if (e == "TreeSelChanged(,b,0)") list.PutSelectedTab("C");
  });
  Tabs().UserSelect(1);
  EXPECT_EQ(Events(), (Log{"TabChanging(A)", "TreeSelChanging(,b,0)", "TreeSelChanged(,b,0)",
                           "TabChanged(B)", "TabChanged(C)"}));
  EXPECT_EQ(list.GetSelectedTab(), "C");
  EXPECT_EQ(Outline(), "c");
}

TEST_F(EventOrder, RightClickWithTheChordCopiesInsteadOfReporting) {
  Add("TAB:T,TEXT:a,ID:a1,TAG:x");
  Add("TAB:T,TEXT:b,ID:b1,PARENT:a1,TAG:y");
  Show();
  Tree().RightClick(On("a1"));
  EXPECT_EQ(Events(), (Log{"TreeRClicked(a1)"}));
  for (int key : {0x10, 0x11, 0x12}) desktop.SetKeyDown(key, true);
  Tree().RightClick(On("a1"));
  EXPECT_EQ(Events(), Log{});
  EXPECT_EQ(desktop.ClipboardText(), std::optional<std::string>("ID:a1, Parent:, Tag:x"));
  for (int key : {0x10, 0x11, 0x12}) desktop.SetKeyDown(key, false);
  Tree().RightClick(On("a1"));
  EXPECT_EQ(Events(), (Log{"TreeRClicked(a1)"}));
}

TEST_F(EventOrder, ClickOnDisabledItemSelectsButDoesNotClick) {
  Add("TAB:T,TEXT:d,ID:d,HREF:d.htm,ENABLE:0");
  Add("TAB:T,TEXT:e,ID:e,HREF:e.htm");
  Show();
  Tree().Click(On("d"));
  EXPECT_EQ(Events(), (Log{"TreeSelChanging(,d,1)", "TreeSelChanged(,d,1)"}));
  EXPECT_TRUE(navigation.log.empty());
  list.PutItemEnabled("d", -1);
  list.FireClick("d");
  EXPECT_EQ(Events(), (Log{"TreeClicked(d)"}));
  EXPECT_EQ(navigation.log, (Log{"page d.htm"}));
}

TEST_F(EventOrder, TipsAskTheHostOnlyWhenEnabled) {
  Add("TAB:T,TEXT:a,ID:a");
  Add("TAB:T,TEXT:b,ID:b");
  Show();
  EXPECT_EQ(Tree().RequestTip(NodeOf("a"), 80), std::nullopt);
  list.PutEnableToolTips(-1);
  Host([&](const std::string& e) {
    if (e == "TreeGetToolTipText(a)") list.PutToolTipText("about a");
  });
  EXPECT_EQ(Tree().RequestTip(NodeOf("a"), 80), std::optional<std::string>("about a"));
  EXPECT_EQ(Tree().RequestTip(NodeOf("b"), 6), std::optional<std::string>("about"));
  EXPECT_EQ(Events(), (Log{"TreeGetToolTipText(a)", "TreeGetToolTipText(b)"}));
  EXPECT_EQ(list.GetEnableToolTips(), -1);
}

TEST_F(EventOrder, EnterClicksTheSelectedItem) {
  Add("TAB:T,TEXT:a,ID:a,HREF:a.htm,FRAME:f");
  Show();
  list.PutSelectedItem("a");
  EXPECT_EQ(Events(), (Log{"TreeSelChanging(,a,0)", "TreeSelChanged(,a,0)"}));
  Tree().KeyDown(view::sim::kVkReturn);
  EXPECT_EQ(Events(), (Log{"TreeKeyPress(a,13)", "TreeClicked(a)"}));
  EXPECT_EQ(navigation.log, (Log{"frame f a.htm"}));
}

TEST_F(EventOrder, KeyboardSelectionMovesTheSelectBits) {
  Add("TAB:T,TEXT:a,ID:a");
  Add("TAB:T,TEXT:b,ID:b");
  Show();
  Tree().Click(On("a"));
  Events();
  std::string inside;
  Host([&](const std::string& e) {
    if (e == "TreeSelChanged(a,b,2)") {
      inside = list.GetSelectedItem() + std::to_string(list.GetSelect("a")) +
               std::to_string(list.GetSelect("b"));
    }
  });
  Tree().KeyDown(view::sim::kVkDown);
  EXPECT_EQ(Events(),
            (Log{"TreeKeyPress(a,40)", "TreeSelChanging(a,b,2)", "TreeSelChanged(a,b,2)"}));
  EXPECT_EQ(inside, "b01");
}

TEST_F(EventOrder, FireClickUsesTheFirstOfDuplicateIds) {
  Add("TAB:T,TEXT:one,ID:dup,HREF:one.htm,TAG:first");
  Add("TAB:U,TEXT:two,ID:dup,HREF:two.htm");
  list.FireClick("dup");  // no window needed, no tab or selection involved
  list.FireDblClick("dup");
  EXPECT_EQ(Events(), (Log{"TreeClicked(dup)", "TreeDblClicked(dup)"}));
  EXPECT_EQ(navigation.log, (Log{"page one.htm"}));
}

}  // namespace
