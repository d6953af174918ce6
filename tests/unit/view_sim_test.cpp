// Behaviour of the simulated views beyond the contract: gestures, geometry, the row model,
// the sim's choices for deletion and expansion, hard re-entrance, and the desktop's records.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/contract/recording_listeners.h"
#include "view/sim/sim_views.h"

namespace {

using namespace view;
using view::contract::RecordingTabStripListener;
using view::contract::RecordingTreeListener;
using view::contract::TabCall;
using view::contract::TreeCall;
using view::sim::SimDesktop;
using view::sim::SimDialog;

using Calls = std::vector<TreeCall>;

class SimViewTest : public ::testing::Test {
 protected:
  SimViewTest() {
    tree.SetPosition(0, 20, 200, 160);  // ten rows
    tabs.SetPosition(0, 0, 200, 20);
    tree.SetListener(&log);
    tabs.SetListener(&tab_log);
  }
  ~SimViewTest() override {
    tree.SetListener(nullptr);
    tabs.SetListener(nullptr);
  }

  Node Add(Node parent, const std::string& text, std::int64_t param,
           InsertAt where = InsertAt::kLast) {
    NodeItem item;
    item.mask = node::kText | node::kParam;
    item.text = text;
    item.param = param;
    return tree.InsertItem(parent, where, item);
  }
  bool Expanded(Node n) {
    NodeItem item;
    item.mask = node::kState;
    item.state_mask = node::kStateExpanded;
    return tree.GetItem(n, item) && item.state != 0;
  }
  Point On(Node n, std::uint32_t part) {
    auto p = tree.PointOn(n, part);
    EXPECT_TRUE(p.has_value());
    return p.value_or(Point{-1, -1});
  }
  std::vector<std::int64_t> ParamsOf(const std::vector<Node>& nodes) {
    std::vector<std::int64_t> out;
    for (Node n : nodes) {
      NodeItem item;
      item.mask = node::kParam;
      EXPECT_TRUE(tree.GetItem(n, item));
      out.push_back(item.param);
    }
    return out;
  }

  RecordingTreeListener log;
  RecordingTabStripListener tab_log;
  SimDesktop desktop;
  SimDialog dialog{desktop};
  view::sim::SimTreeView& tree = *dialog.Tree();
  view::sim::SimTabStrip& tabs = *dialog.Tabs();
};

// ---- Tree gestures ----------------------------------------------------------------------

TEST_F(SimViewTest, ClickOnLabelFocusesSelectsByMouseThenClicks) {
  Node n = Add(kRootNode, "alpha", 1);
  Point p = On(n, hit::kOnItemLabel);
  ASSERT_TRUE(tree.Click(p));
  EXPECT_EQ(log.Calls(), (Calls{TreeCall::kSetFocus, TreeCall::kSelChanging, TreeCall::kSelChanged,
                                TreeCall::kClick}));
  for (const auto& r : log.Of(TreeCall::kSelChanged)) {
    EXPECT_EQ(r.notify.action, kActionByMouse);
    EXPECT_EQ(r.notify.new_node.node, n);
    EXPECT_EQ(r.notify.new_node.param, 1);
  }
  // The logic finds the node again from the message position.
  Point screen = desktop.GetMessagePos();
  EXPECT_EQ(screen.x, dialog.ScreenOrigin().x + p.x);
  EXPECT_EQ(screen.y, dialog.ScreenOrigin().y + 20 + p.y);
  HitTestResult hit = tree.HitTest(tree.ScreenToClient(screen));
  EXPECT_EQ(hit.node, n);
  EXPECT_EQ(hit.flags, hit::kOnItemLabel);

  log.Clear();
  tree.Click(On(n, hit::kOnItemIcon));
  EXPECT_EQ(log.Calls(), Calls{TreeCall::kClick});
}

TEST_F(SimViewTest, ClickOnButtonTogglesAndBelowTheRowsOnlyClicks) {
  Node a = Add(kRootNode, "a", 1);
  Add(a, "a1", 11);
  tree.Click(On(a, hit::kOnItemButton));
  EXPECT_EQ(log.Calls(), (Calls{TreeCall::kSetFocus, TreeCall::kItemExpanding,
                                TreeCall::kItemExpanded, TreeCall::kClick}));
  EXPECT_TRUE(Expanded(a));
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kCaret), kNoNode);

  log.Clear();
  tree.Click(Point{10, 100});
  EXPECT_EQ(log.Calls(), Calls{TreeCall::kClick});
  EXPECT_EQ(tree.HitTest(Point{10, 100}).flags, hit::kNowhere);
}

TEST_F(SimViewTest, ClickRightOfLabelSelectsOnlyWithFullRowSelect) {
  Node n = Add(kRootNode, "n", 1);
  tree.SetStyle(tree.GetStyle() & ~style::kTvsFullRowSelect);
  tree.Click(On(n, hit::kOnItemRight));
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kCaret), kNoNode);
  tree.SetStyle(tree.GetStyle() | style::kTvsFullRowSelect);
  tree.Click(On(n, hit::kOnItemRight));
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kCaret), n);
}

TEST_F(SimViewTest, DoubleClickTogglesUnlessAnsweredNonZero) {
  Node a = Add(kRootNode, "a", 1);
  Add(a, "a1", 11);
  tree.DoubleClick(On(a, hit::kOnItemLabel));
  EXPECT_EQ(log.Calls(),
            (Calls{TreeCall::kDblClick, TreeCall::kItemExpanding, TreeCall::kItemExpanded}));
  EXPECT_TRUE(Expanded(a));

  log.Clear();
  log.on_dbl_click = [] { return 1; };
  tree.DoubleClick(On(a, hit::kOnItemLabel));
  EXPECT_EQ(log.Calls(), Calls{TreeCall::kDblClick});
  EXPECT_TRUE(Expanded(a));
}

TEST_F(SimViewTest, RightClicksNotifyWithoutFocusOrSelection) {
  Node n = Add(kRootNode, "n", 1);
  Point p = On(n, hit::kOnItemLabel);
  tree.RightClick(p);
  tree.RightDoubleClick(p);
  EXPECT_EQ(log.Calls(), (Calls{TreeCall::kRClick, TreeCall::kRDblClick}));
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kCaret), kNoNode);
  EXPECT_EQ(tree.HitTest(tree.ScreenToClient(desktop.GetMessagePos())).node, n);
}

TEST_F(SimViewTest, DisabledOrHiddenTreeTakesNoInput) {
  Node n = Add(kRootNode, "n", 1);
  tree.Enable(false);
  EXPECT_FALSE(tree.Click(On(n, hit::kOnItemLabel)));
  EXPECT_FALSE(tree.KeyDown(view::sim::kVkDown));
  tree.Enable(true);
  tree.Show(false);
  EXPECT_FALSE(tree.DoubleClick(On(n, hit::kOnItemLabel)));
  EXPECT_FALSE(tree.RequestTip(n, 80).has_value());
  EXPECT_TRUE(log.records.empty());
}

TEST_F(SimViewTest, KeysMoveTheSelectionByKeyboard) {
  using namespace view::sim;
  Node a = Add(kRootNode, "a", 1);
  Node a1 = Add(a, "a1", 11);
  Node b = Add(kRootNode, "b", 2);
  tree.Expand(a, ExpandCode::kExpand);
  log.Clear();
  auto selected_after = [&](int key) {
    tree.KeyDown(key);
    return tree.GetNextItem(kNoNode, NextCode::kCaret);
  };
  EXPECT_EQ(selected_after(kVkDown), a);  // nothing selected: the top row
  EXPECT_EQ(log.Calls(),
            (Calls{TreeCall::kKeyDown, TreeCall::kSelChanging, TreeCall::kSelChanged}));
  EXPECT_EQ(log.records[0].key, kVkDown);
  EXPECT_EQ(log.records[2].notify.action, kActionByKeyboard);
  EXPECT_EQ(selected_after(kVkDown), a1);
  EXPECT_EQ(selected_after(kVkEnd), b);
  EXPECT_EQ(selected_after(kVkUp), a1);
  EXPECT_EQ(selected_after(kVkLeft), a);    // leaf: to the parent
  EXPECT_EQ(selected_after(kVkRight), a1);  // expanded: to the first child
  EXPECT_EQ(selected_after(kVkHome), a);
  EXPECT_EQ(selected_after(kVkLeft), a);  // expanded: collapses
  EXPECT_FALSE(Expanded(a));
  EXPECT_EQ(selected_after(kVkRight), a);
  EXPECT_TRUE(Expanded(a));
  log.Clear();
  tree.KeyDown(kVkReturn);
  EXPECT_EQ(log.Calls(), (Calls{TreeCall::kKeyDown, TreeCall::kReturn}));
}

TEST_F(SimViewTest, TipRequestStartsWithTheLabelAndIsCutToCapacity) {
  Node n = Add(kRootNode, "label", 42);
  std::string given;
  log.on_get_info_tip = [&](std::int64_t, std::string& text, int) {
    given = text;
    text = "0123456789";
    return true;
  };
  EXPECT_EQ(tree.RequestTip(n, 5), "0123");
  EXPECT_EQ(given, "label");
  ASSERT_EQ(log.records.size(), 1u);
  EXPECT_EQ(log.records[0].param, 42);
  EXPECT_EQ(log.records[0].key, 5);  // the capacity
  EXPECT_EQ(tree.RequestTip(n, 0), "");

  log.on_get_info_tip = [](std::int64_t, std::string&, int) { return false; };
  EXPECT_FALSE(tree.RequestTip(n, 80).has_value());
  log.Clear();
  tree.SetStyle(tree.GetStyle() & ~style::kTvsInfoTip);
  EXPECT_FALSE(tree.RequestTip(n, 80).has_value());
  EXPECT_TRUE(log.records.empty());
}

TEST_F(SimViewTest, SingleExpandClosesTheOldBranchAndOpensTheNewNode) {
  Node a = Add(kRootNode, "a", 1);
  Node a1 = Add(a, "a1", 11);
  Node b = Add(kRootNode, "b", 2);
  Add(b, "b1", 21);
  tree.SetStyle(tree.GetStyle() | style::kTvsSingleExpand);
  tree.Click(On(a, hit::kOnItemLabel));
  EXPECT_EQ(log.Calls(), (Calls{TreeCall::kSetFocus, TreeCall::kSelChanging, TreeCall::kSelChanged,
                                TreeCall::kSingleExpand, TreeCall::kItemExpanding,
                                TreeCall::kItemExpanded, TreeCall::kClick}));
  EXPECT_TRUE(Expanded(a));
  tree.Click(On(a1, hit::kOnItemLabel));  // into the open branch: a stays open
  EXPECT_TRUE(Expanded(a));
  tree.Click(On(b, hit::kOnItemLabel));
  EXPECT_FALSE(Expanded(a));
  EXPECT_TRUE(Expanded(b));
  auto single = log.Of(TreeCall::kSingleExpand);
  ASSERT_EQ(single.size(), 3u);
  EXPECT_EQ(single[2].notify.old_node.node, a1);
  EXPECT_EQ(single[2].notify.new_node.node, b);

  log.on_single_expand = [](const TreeNotify&) { return 3; };  // skip old and new
  tree.Click(On(a, hit::kOnItemLabel));
  EXPECT_TRUE(Expanded(b));
  EXPECT_FALSE(Expanded(a));
}

TEST_F(SimViewTest, FocusMovesWithNotificationsAndTabClicks) {
  tree.Focus();
  tree.Focus();
  EXPECT_EQ(log.Calls(), Calls{TreeCall::kSetFocus});
  EXPECT_TRUE(tree.HasFocus());
  tabs.InsertItem(0, "A", 0, -1);
  tabs.InsertItem(1, "B", 1, -1);
  tabs.UserSelect(1);
  EXPECT_EQ(log.Calls(), (Calls{TreeCall::kSetFocus, TreeCall::kKillFocus}));
  EXPECT_TRUE(tabs.HasFocus());

  tree.Focus();
  tabs.SetStyle(tabs.GetStyle() | style::kTcsFocusNever);
  tabs.UserSelect(0);
  EXPECT_TRUE(tree.HasFocus());
  dialog.FocusOutside();
  EXPECT_EQ(log.Calls().back(), TreeCall::kKillFocus);
  EXPECT_EQ(dialog.FocusedId(), SimDialog::kNoFocus);
}

// ---- Tab strip --------------------------------------------------------------------------

TEST_F(SimViewTest, TabUserSelectionNotifiesAroundTheChange) {
  for (int i = 0; i < 3; ++i) tabs.InsertItem(i, "T" + std::to_string(i), i, -1);
  ASSERT_EQ(tabs.GetCurSel(), 0);  // the first entry was selected on insertion
  std::vector<int> seen;
  tab_log.on_sel_changing = [&] {
    seen.push_back(tabs.GetCurSel());
    return 0;
  };
  tab_log.on_sel_change = [&] {
    seen.push_back(tabs.GetCurSel());
    return 0;
  };
  ASSERT_TRUE(tabs.UserSelect(2));
  EXPECT_EQ(tab_log.Calls(), (std::vector<TabCall>{TabCall::kSelChanging, TabCall::kSelChange}));
  EXPECT_EQ(seen, (std::vector<int>{0, 2}));

  tab_log.Clear();
  tabs.UserSelect(2);
  EXPECT_TRUE(tab_log.records.empty());

  tab_log.on_sel_changing = [] { return 1; };
  EXPECT_FALSE(tabs.UserSelect(0));
  EXPECT_EQ(tabs.GetCurSel(), 2);
  EXPECT_EQ(tab_log.Calls(), std::vector<TabCall>{TabCall::kSelChanging});

  tab_log.Clear();
  tab_log.on_sel_changing = nullptr;
  tabs.KeyDown(view::sim::kVkRight);  // already the last tab
  tabs.KeyDown(view::sim::kVkLeft);
  EXPECT_EQ(tab_log.Calls(), (std::vector<TabCall>{TabCall::kKeyDown, TabCall::kKeyDown,
                                                   TabCall::kSelChanging, TabCall::kSelChange}));
  EXPECT_EQ(tab_log.records[1].key, view::sim::kVkLeft);
  EXPECT_EQ(tabs.GetCurSel(), 1);

  tab_log.Clear();
  tabs.RightClick();
  EXPECT_EQ(tab_log.Calls(), std::vector<TabCall>{TabCall::kRClick});
  EXPECT_EQ(tabs.GetCurSel(), 1);

  // A listener that empties the strip while the selection changes.
  tab_log.on_sel_changing = [&] {
    tabs.DeleteAllItems();
    return 0;
  };
  EXPECT_FALSE(tabs.UserSelect(2));
  EXPECT_EQ(tabs.GetCurSel(), -1);
}

TEST_F(SimViewTest, TabSelectionFollowsInsertAndDelete) {
  tabs.InsertItem(0, "A", 0, -1);
  tabs.InsertItem(1, "B", 1, -1);
  tabs.SetCurSel(1);
  tabs.InsertItem(1, "C", 2, -1);  // at the selection: it moves up
  EXPECT_EQ(tabs.GetCurSel(), 2);
  tabs.InsertItem(3, "D", 3, -1);
  EXPECT_EQ(tabs.GetCurSel(), 2);
  ASSERT_TRUE(tabs.DeleteItem(2));
  EXPECT_EQ(tabs.GetCurSel(), -1);
  EXPECT_EQ(tabs.SetCurSel(-1), -1);
  EXPECT_EQ(tabs.GetItemImage(9), -1);
}

// ---- Geometry and rows ------------------------------------------------------------------

TEST_F(SimViewTest, HitTestFollowsTheRowGeometry) {
  Node a = Add(kRootNode, "", 1);
  Node a1 = Add(a, "abc", 11);
  Add(a1, "x", 111);
  tree.Expand(a, ExpandCode::kExpand);
  struct Case {
    Point p;
    Node node;
    std::uint32_t flags;
  };
  // Row 0, a at depth 0 with a button and an empty label (8 px); row 1, a1 at depth 1.
  for (const Case& c : std::vector<Case>{{{0, 0}, a, hit::kOnItemButton},
                                         {{16, 15}, a, hit::kOnItemIcon},
                                         {{32, 5}, a, hit::kOnItemLabel},
                                         {{40, 5}, a, hit::kOnItemRight},
                                         {{15, 16}, a1, hit::kOnItemIndent},
                                         {{16, 20}, a1, hit::kOnItemButton},
                                         {{32, 20}, a1, hit::kOnItemIcon},
                                         {{48, 20}, a1, hit::kOnItemLabel},
                                         {{71, 20}, a1, hit::kOnItemLabel},
                                         {{72, 20}, a1, hit::kOnItemRight},
                                         {{10, 32}, kNoNode, hit::kNowhere},
                                         {{-1, 5}, kNoNode, hit::kNowhere},
                                         {{200, 5}, kNoNode, hit::kNowhere}}) {
    HitTestResult r = tree.HitTest(c.p);
    EXPECT_EQ(r.node, c.node) << c.p.x << "," << c.p.y;
    EXPECT_EQ(r.flags, c.flags) << c.p.x << "," << c.p.y;
  }
  Node leaf = Add(kRootNode, "", 2);  // row 2: no button, icon right after the indent
  EXPECT_EQ(tree.HitTest(Point{0, 40}).flags, hit::kOnItemIcon);
  EXPECT_EQ(tree.HitTest(Point{0, 40}).node, leaf);
  EXPECT_FALSE(tree.PointOn(leaf, hit::kOnItemButton).has_value());
}

TEST_F(SimViewTest, RowsScrollByFirstVisibleAndEnsureVisible) {
  std::vector<Node> rows;
  for (int i = 0; i < 30; ++i) rows.push_back(Add(kRootNode, "r", i));
  Node child = Add(rows[25], "c", 250);
  ASSERT_TRUE(tree.EnsureVisible(rows[20]));
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kFirstVisible), rows[11]);  // 10-row page
  EXPECT_EQ(tree.HitTest(Point{20, 0}).node, rows[11]);
  ASSERT_TRUE(tree.EnsureVisible(rows[3]));
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kFirstVisible), rows[3]);

  ASSERT_TRUE(tree.SelectItem(SelectCode::kFirstVisible, child));  // expands rows[25]
  EXPECT_TRUE(Expanded(rows[25]));
  EXPECT_EQ(tree.VisibleRows().size(), 31u);
  tree.Expand(rows[25], ExpandCode::kCollapse);
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kFirstVisible), rows[25]);
  tree.DeleteItem(rows[25]);
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kFirstVisible), rows[0]);
}

// ---- Deletion, expansion and item choices -----------------------------------------------

TEST_F(SimViewTest, DeleteReportsInPostOrderWhileTheSelectionStaysOnItsNode) {
  Node a = Add(kRootNode, "a", 1);
  Node a1 = Add(a, "a1", 11);
  Node a2 = Add(a, "a2", 12);
  Add(a2, "a21", 121);
  Node b = Add(kRootNode, "b", 2);
  tree.SelectItem(SelectCode::kCaret, a1);
  log.Clear();
  std::vector<std::int64_t> order;
  std::vector<Node> carets;
  log.on_delete_item = [&](const TreeNotify& n) {
    order.push_back(n.old_node.param);
    carets.push_back(tree.GetNextItem(kNoNode, NextCode::kCaret));
    EXPECT_EQ(tree.GetCount(), 5 - static_cast<int>(order.size()) + 1);  // still there
    return 0;
  };
  ASSERT_TRUE(tree.DeleteItem(a));
  EXPECT_EQ(order, (std::vector<std::int64_t>{11, 121, 12, 1}));
  EXPECT_EQ(carets, (std::vector<Node>{a1, kNoNode, kNoNode, kNoNode}));
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kCaret), b);
  EXPECT_FALSE(tree.DeleteItem(a));  // stale handle

  tree.Show(false);
  ASSERT_TRUE(tree.DeleteItem(kNoNode));  // as on the platform: everything
  EXPECT_EQ(tree.GetCount(), 0);
  EXPECT_EQ(tree.DeleteAllCount(), 1);
  EXPECT_EQ(tree.HiddenDeleteAllCount(), 1);
}

TEST_F(SimViewTest, ListenerMayDeleteFromInsideTheSelectionThatFollowsADeletion) {
  Node a = Add(kRootNode, "a", 1);
  Node a1 = Add(a, "a1", 11);
  Node a2 = Add(a, "a2", 12);
  Node a3 = Add(a, "a3", 13);
  Add(kRootNode, "b", 2);
  tree.SelectItem(SelectCode::kCaret, a2);
  // The row above the new selection, then the new selection itself.
  log.on_sel_changing = [&](const TreeNotify& n) {
    if (n.new_node.node == a3) {
      EXPECT_TRUE(tree.DeleteItem(a1));
    }
    return 0;
  };
  log.on_sel_changed = [&](const TreeNotify& n) {
    if (n.new_node.node == a3) {
      EXPECT_TRUE(tree.DeleteItem(a3));
    }
    return 0;
  };
  ASSERT_TRUE(tree.DeleteItem(a2));
  EXPECT_EQ(tree.Children(a), std::vector<Node>{});
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kCaret), a);  // a3's parent took over
  EXPECT_EQ(tree.GetCount(), 2);
}

TEST_F(SimViewTest, ExpansionChoices) {
  NodeItem lazy;
  lazy.mask = node::kParam | node::kChildren;
  lazy.param = 5;
  lazy.children = 1;
  Node l = tree.InsertItem(kRootNode, InsertAt::kLast, lazy);
  EXPECT_FALSE(tree.Expand(l, ExpandCode::kExpand));  // nothing loaded: stays closed
  EXPECT_EQ(log.Calls(), Calls{TreeCall::kItemExpanding});
  EXPECT_FALSE(Expanded(l));

  Node a = Add(kRootNode, "a", 1);
  Node a1 = Add(a, "a1", 11);
  Node a11 = Add(a1, "a11", 111);
  log.Clear();
  log.on_item_expanding = [](const TreeNotify&) { return 1; };
  EXPECT_FALSE(tree.Expand(a, ExpandCode::kExpand));
  EXPECT_EQ(log.Calls(), Calls{TreeCall::kItemExpanding});
  log.on_item_expanding = nullptr;

  // Selecting a hidden node opens its ancestors, outermost first.
  log.Clear();
  tree.SelectItem(SelectCode::kCaret, a11);
  EXPECT_EQ(log.Calls(),
            (Calls{TreeCall::kSelChanging, TreeCall::kSelChanged, TreeCall::kItemExpanding,
                   TreeCall::kItemExpanded, TreeCall::kItemExpanding, TreeCall::kItemExpanded}));
  EXPECT_EQ(log.records[2].notify.new_node.node, a);
  EXPECT_EQ(log.records[4].notify.new_node.node, a1);

  // Collapsing hides the selection: the collapsed node takes it.
  log.Clear();
  ASSERT_TRUE(tree.Expand(a, ExpandCode::kCollapse));
  EXPECT_EQ(log.Calls(), (Calls{TreeCall::kItemExpanding, TreeCall::kItemExpanded,
                                TreeCall::kSelChanging, TreeCall::kSelChanged}));
  EXPECT_EQ(log.records[0].notify.action, static_cast<int>(ExpandCode::kCollapse));
  EXPECT_EQ(tree.GetNextItem(kNoNode, NextCode::kCaret), a);
  EXPECT_FALSE(tree.Expand(a, static_cast<ExpandCode>(3)));

  // Writing the expanded state is not an expansion.
  log.Clear();
  NodeItem w;
  w.mask = node::kState;
  w.state = node::kStateExpanded;
  w.state_mask = node::kStateExpanded;
  tree.SetItem(a, w);
  EXPECT_TRUE(Expanded(a));
  EXPECT_TRUE(log.records.empty());
}

TEST_F(SimViewTest, ItemStateAndSortedInsertChoices) {
  NodeItem in;
  in.mask = node::kText | node::kState;
  in.text = "b";
  in.state = node::kStateSelected | node::kStateBold;
  in.state_mask = node::kStateSelected | node::kStateBold;
  Node b = tree.InsertItem(kRootNode, InsertAt::kSort, in);
  NodeItem out;
  out.mask = node::kState;
  out.state_mask = 0xFFFFFFFFu;
  tree.GetItem(b, out);
  EXPECT_EQ(out.state, node::kStateBold);  // selection only through SelectItem
  tree.SelectItem(SelectCode::kCaret, b);
  tree.GetItem(b, out);
  EXPECT_EQ(out.state, node::kStateBold | node::kStateSelected);
  out.state_mask = 0;
  tree.GetItem(b, out);
  EXPECT_EQ(out.state, 0u);

  Node big_b = Add(kRootNode, "B", 2, InsertAt::kSort);
  Add(kRootNode, "ab", 3, InsertAt::kSort);
  Add(kRootNode, "a", 4, InsertAt::kSort);
  Add(kRootNode, "\xE9", 5, InsertAt::kSort);
  Add(kRootNode, "Z", 6, InsertAt::kSort);
  std::vector<Node> roots = tree.Children(kRootNode);
  EXPECT_EQ(ParamsOf(roots), (std::vector<std::int64_t>{4, 3, 0, 2, 6, 5}));
  EXPECT_EQ(roots[3], big_b);  // equal after folding: after the earlier one
}

// ---- Re-entrance ------------------------------------------------------------------------

TEST_F(SimViewTest, NestedDeletesInsertsAndSelectsDuringADelete) {
  Node a = Add(kRootNode, "a", 1);
  Node a1 = Add(a, "a1", 11);
  Add(a, "a2", 12);
  Node b = Add(kRootNode, "b", 2);
  Add(b, "b1", 21);
  std::multiset<std::int64_t> reported;
  Node late = kNoNode;
  log.on_delete_item = [&](const TreeNotify& n) {
    reported.insert(n.old_node.param);
    if (n.old_node.param == 11) {
      EXPECT_EQ(Add(a1, "child of a dying node", 99), kNoNode);
      EXPECT_FALSE(tree.SelectItem(SelectCode::kCaret, a1));
      EXPECT_TRUE(tree.DeleteItem(a1));  // already going
      late = Add(kRootNode, "late", 3);
      EXPECT_TRUE(tree.DeleteItem(kRootNode));  // everything, from inside
    }
    return 0;
  };
  ASSERT_TRUE(tree.DeleteItem(a1));
  EXPECT_EQ(reported, (std::multiset<std::int64_t>{1, 2, 3, 11, 12, 21}));
  EXPECT_EQ(tree.GetCount(), 0);
  EXPECT_NE(late, kNoNode);
}

TEST_F(SimViewTest, SortSurvivesACallbackThatChangesTheSiblingsOrAnswersAtRandom) {
  Node p = Add(kRootNode, "p", 0);
  std::vector<Node> kids;
  for (int i = 1; i <= 6; ++i) kids.push_back(Add(p, "k", 10 - i));
  bool changed = false;
  Node added = kNoNode;
  ASSERT_TRUE(tree.SortChildren(p, [&](std::int64_t x, std::int64_t y) {
    if (!changed) {
      changed = true;
      tree.DeleteItem(kids[2]);
      added = Add(p, "new", 100);
    }
    return x < y ? -1 : (x > y ? 1 : 0);
  }));
  EXPECT_EQ(ParamsOf(tree.Children(p)), (std::vector<std::int64_t>{4, 5, 6, 8, 9, 100}));
  EXPECT_EQ(tree.Children(p).back(), added);

  std::mt19937 random(7);
  for (int i = 0; i < 40; ++i) Add(p, "r", i);
  ASSERT_TRUE(tree.SortChildren(
      p, [&](std::int64_t, std::int64_t) { return static_cast<int>(random() % 3) - 1; }));
  EXPECT_EQ(tree.Children(p).size(), 46u);
  EXPECT_FALSE(tree.SortChildren(p, nullptr));
}

// Random operations, with listeners that do random operations from inside notifications;
// the tree must stay consistent and report every removed node exactly once.
TEST_F(SimViewTest, RandomReentrantOperationsKeepTheTreeConsistent) {
  std::mt19937 random(20240611);
  std::int64_t next_param = 0;
  std::set<std::int64_t> inserted;
  std::multiset<std::int64_t> reported;
  int depth = 0;
  auto any_node = [&]() -> Node {
    std::vector<Node> all;
    std::vector<Node> stack = tree.Children(kRootNode);
    while (!stack.empty()) {
      Node n = stack.back();
      stack.pop_back();
      all.push_back(n);
      for (Node c : tree.Children(n)) stack.push_back(c);
    }
    return all.empty() ? kNoNode : all[random() % all.size()];
  };
  std::function<void()> act = [&] {
    if (++depth <= 3) {
      Node n = any_node();
      switch (random() % 6) {
        case 0:
        case 1: {
          Node parent = (random() % 3 == 0) ? kRootNode : n;
          InsertAt where = random() % 2 ? InsertAt::kSort : InsertAt::kLast;
          Node added = Add(parent, std::string(1, static_cast<char>('a' + random() % 26)),
                           next_param, where);
          if (added != kNoNode) inserted.insert(next_param);
          ++next_param;
          break;
        }
        case 2:
          tree.DeleteItem(n);
          break;
        case 3:
          tree.SelectItem(SelectCode::kCaret, random() % 4 ? n : kNoNode);
          break;
        case 4:
          tree.Expand(n, random() % 2 ? ExpandCode::kExpand : ExpandCode::kCollapse);
          break;
        case 5:
          tree.SortChildren(random() % 2 ? n : kRootNode, [&](std::int64_t x, std::int64_t y) {
            if (random() % 8 == 0) act();
            return x < y ? -1 : (x > y ? 1 : 0);
          });
          break;
      }
    }
    --depth;
  };
  log.on_delete_item = [&](const TreeNotify& n) {
    reported.insert(n.old_node.param);
    if (random() % 3 == 0) act();
    return 0;
  };
  log.on_sel_changing = log.on_sel_changed = [&](const TreeNotify&) {
    if (random() % 2 == 0) act();
    return 0;
  };
  log.on_item_expanded = log.on_item_expanding = [&](const TreeNotify&) {
    if (random() % 2 == 0) act();
    return 0;
  };

  for (int step = 0; step < 600; ++step) {
    act();
    // Every node reachable once, parents consistent, the caret live or none.
    int reachable = 0;
    std::vector<Node> stack = tree.Children(kRootNode);
    while (!stack.empty()) {
      Node n = stack.back();
      stack.pop_back();
      ++reachable;
      for (Node c : tree.Children(n)) {
        ASSERT_EQ(tree.GetNextItem(c, NextCode::kParent), n);
        stack.push_back(c);
      }
    }
    ASSERT_EQ(reachable, tree.GetCount());
    Node caret = tree.GetNextItem(kNoNode, NextCode::kCaret);
    ASSERT_TRUE(caret == kNoNode || tree.Depth(caret) >= 0);
  }
  tree.DeleteItem(kRootNode);
  // Listeners may have inserted during that last delete; clear those too.
  log.on_delete_item = [&](const TreeNotify& n) {
    reported.insert(n.old_node.param);
    return 0;
  };
  tree.DeleteItem(kRootNode);
  EXPECT_EQ(tree.GetCount(), 0);
  EXPECT_EQ(std::set<std::int64_t>(reported.begin(), reported.end()), inserted);
  EXPECT_EQ(reported.size(), inserted.size());
  EXPECT_GT(inserted.size(), 100u);
}

// ---- Windows, dialog and desktop --------------------------------------------------------

TEST_F(SimViewTest, WindowsStartWithTemplateStylesAndCountFrameChanges) {
  EXPECT_EQ(tree.GetStyle(), view::sim::kTreeTemplateStyle);
  EXPECT_EQ(tabs.GetStyle(), view::sim::kTabStripTemplateStyle);
  tree.SetStyle(tree.GetStyle() | style::kTvsLinesAtRoot);
  tree.ReapplyFrame();
  tree.ReapplyFrame();
  EXPECT_EQ(tree.StyleWriteCount(), 1);
  EXPECT_EQ(tree.FrameCount(), 2);
  EXPECT_EQ(tabs.FrameCount(), 0);
  tree.SetStyle(tree.GetStyle() | style::kDisabled);
  EXPECT_FALSE(tree.IsEnabled());

  tree.SetToolTipInitialDelay(4000);
  tree.SetHasToolTips(false);
  EXPECT_FALSE(tree.SetToolTipInitialDelay(100));
  EXPECT_EQ(tree.ToolTipInitialDelay(), 4000);

  dialog.Invalidate();
  EXPECT_EQ(dialog.InvalidateCount(), 1);
  SimDialog bare(desktop, view::sim::DialogOptions{false, true});
  EXPECT_EQ(bare.TabStripItem(), nullptr);
  bare.MoveFocus(SimDialog::kTabStripId);
  EXPECT_EQ(bare.FocusedId(), SimDialog::kNoFocus);
}

TEST_F(SimViewTest, NotificationsWithoutItemData) {
  tree.SetNotifyCarriesParam(false);
  Node n = Add(kRootNode, "n", 9);
  tree.SelectItem(SelectCode::kCaret, n);
  ASSERT_FALSE(log.records.empty());
  for (const auto& r : log.records) {
    EXPECT_FALSE(r.notify.new_node.has_param);
    EXPECT_EQ(r.notify.new_node.node, n);
  }
}

TEST_F(SimViewTest, DesktopCursorsKeysAndClipboard) {
  using namespace view::sim;
  std::set<CursorHandle> handles;
  for (int idc :
       {kIdcArrow, kIdcIbeam, kIdcWait, kIdcCross, kIdcUpArrow, kIdcSizeNwse, kIdcSizeNesw,
        kIdcSizeWe, kIdcSizeNs, kIdcSizeAll, kIdcNo, kIdcHand, kIdcAppStarting, kIdcHelp}) {
    CursorHandle h = desktop.LoadSystemCursor(idc);
    EXPECT_EQ(desktop.CursorIdc(h), idc);
    handles.insert(h);
  }
  EXPECT_EQ(handles.size(), 14u);
  EXPECT_EQ(desktop.LoadSystemCursor(32641), 0u);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), kIdcArrow);
  desktop.SetCursor(desktop.LoadSystemCursor(kIdcWait));
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), kIdcWait);
  EXPECT_EQ(desktop.SetCursorCount(), 1);

  desktop.SetKeyDown(0x11, true);
  desktop.SetKeyDown(300, true);  // ignored
  std::array<std::uint8_t, 256> keys{};
  desktop.GetKeyboardState(keys);
  EXPECT_EQ(keys[0x11], 0x80);
  desktop.SetKeyDown(0x11, false);
  desktop.GetKeyboardState(keys);
  EXPECT_EQ(keys[0x11], 0);

  EXPECT_TRUE(desktop.SetClipboardText("one"));
  desktop.SetClipboardFails(true);
  EXPECT_FALSE(desktop.SetClipboardText("two"));
  EXPECT_EQ(desktop.ClipboardText(), "one");
  EXPECT_EQ(desktop.ClipboardWriteCount(), 1);
}

TEST_F(SimViewTest, DesktopRecordsPictureListsAndOverlays) {
  PictureListHandle list = desktop.CreatePictureList(32, 16);
  for (int id = 202; id <= 256; ++id) EXPECT_EQ(desktop.AddPicture(list, id, 0xFFFFFF), id - 202);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(desktop.AddPicture(list, 301 + i, 0xFFFF00), 55 + i);
    EXPECT_TRUE(desktop.SetOverlayPicture(list, 55 + i, i + 1));
  }
  EXPECT_EQ(desktop.PictureCount(list), 63);
  const SimDesktop::PictureList* record = desktop.FindPictureList(list);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->initial, 32);
  EXPECT_EQ(record->grow, 16);
  EXPECT_EQ(record->pictures[54].resource_id, 256);
  EXPECT_EQ(record->pictures[55].mask, 0xFFFF00u);
  EXPECT_EQ(record->overlays.at(8), 62);

  EXPECT_FALSE(desktop.SetOverlayPicture(list, 63, 1));
  EXPECT_FALSE(desktop.SetOverlayPicture(list, 0, 16));
  EXPECT_EQ(desktop.AddPicture(0x1234, 202, 0), -1);
  desktop.FailBitmap(999);
  EXPECT_EQ(desktop.AddPicture(list, 999, 0), -1);
  EXPECT_EQ(desktop.PictureCount(0x1234), 0);
  EXPECT_NE(desktop.CreatePictureList(1, 1), list);
  EXPECT_EQ(desktop.PictureListCount(), 2);
}

}  // namespace
