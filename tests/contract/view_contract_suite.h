// The view contract as tests: what the control's logic relies on from a tab strip, a tree
// view and the desktop, stated through view/views.h only. A backend instantiates the suite
// with a factory for its Dialog + Desktop pair:
//
//   using view::contract::ViewContract;
//   INSTANTIATE_TEST_SUITE_P(Mine, ViewContract,
//                            ::testing::Values(view::contract::ViewBackend{"Mine", MakeMine}),
//                            view::contract::BackendName);
//
// Include this header from exactly one test file per backend. It is portable (no platform
// headers) so that the same cases run against the simulated views and the real controls.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/contract/recording_listeners.h"
#include "view/views.h"

namespace view::contract {

struct ViewPair {
  std::shared_ptr<void> keep_alive;  // anything else the views need while they live
  std::unique_ptr<Desktop> desktop;
  std::unique_ptr<Dialog> dialog;  // destroyed first
};

struct ViewBackend {
  std::string name;
  std::function<ViewPair()> make;
};

inline void PrintTo(const ViewBackend& backend, std::ostream* os) { *os << backend.name; }
inline std::string BackendName(const ::testing::TestParamInfo<ViewBackend>& info) {
  return info.param.name;
}

class ViewContract : public ::testing::TestWithParam<ViewBackend> {
 protected:
  struct Sample {
    Node a, a1, a2, a21, b;
  };

  void SetUp() override {
    views_ = GetParam().make();
    ASSERT_NE(views_.dialog, nullptr);
    ASSERT_NE(views_.desktop, nullptr);
    tree_ = views_.dialog->TreeItem();
    tabs_ = views_.dialog->TabStripItem();
    ASSERT_NE(tree_, nullptr);
    ASSERT_NE(tabs_, nullptr);
    tabs_->SetPosition(0, 0, 200, 20);
    tree_->SetPosition(0, 20, 200, 180);
    tree_->SetListener(&tree_log_);
    tabs_->SetListener(&tab_log_);
  }

  void TearDown() override {
    if (tree_ != nullptr) tree_->SetListener(nullptr);
    if (tabs_ != nullptr) tabs_->SetListener(nullptr);
  }

  Node Add(Node parent, const std::string& text, std::int64_t param,
           InsertAt where = InsertAt::kLast) {
    NodeItem item;
    item.mask = node::kText | node::kParam;
    item.text = text;
    item.param = param;
    Node n = tree_->InsertItem(parent, where, item);
    EXPECT_NE(n, kNoNode) << text;
    return n;
  }

  // a(1) with a1(11) and a2(12), a2 with a21(121); b(2). All collapsed.
  Sample BuildSample() {
    Sample s;
    s.a = Add(kRootNode, "a", 1);
    s.a1 = Add(s.a, "a1", 11);
    s.a2 = Add(s.a, "a2", 12);
    s.a21 = Add(s.a2, "a21", 121);
    s.b = Add(kRootNode, "b", 2);
    return s;
  }

  bool Gone(Node n) const {
    NodeItem item;
    item.mask = node::kParam;
    return !tree_->GetItem(n, item);
  }

  std::int64_t ParamOf(Node n) const {
    NodeItem item;
    item.mask = node::kParam;
    EXPECT_TRUE(tree_->GetItem(n, item));
    return item.param;
  }

  std::uint32_t StateOf(Node n) const {
    NodeItem item;
    item.mask = node::kState;
    item.state_mask = 0xFFFFFFFFu;
    EXPECT_TRUE(tree_->GetItem(n, item));
    return item.state;
  }

  bool IsExpanded(Node n) const { return (StateOf(n) & node::kStateExpanded) != 0; }

  // Item data of one side of a notification, asking the tree where the notification does
  // not carry it (so call it from inside the notification).
  std::int64_t NotifiedParam(const NotifyNode& side) const {
    return side.has_param ? side.param : ParamOf(side.node);
  }

  std::vector<Node> ChildrenOf(Node parent) const {
    std::vector<Node> out;
    Node n = parent == kRootNode ? tree_->GetNextItem(kNoNode, NextCode::kRoot)
                                 : tree_->GetNextItem(parent, NextCode::kChild);
    for (; n != kNoNode; n = tree_->GetNextItem(n, NextCode::kNext)) out.push_back(n);
    return out;
  }

  std::vector<std::int64_t> ChildParams(Node parent) const {
    std::vector<std::int64_t> out;
    for (Node n : ChildrenOf(parent)) out.push_back(ParamOf(n));
    return out;
  }

  std::vector<std::string> ChildTexts(Node parent) const {
    std::vector<std::string> out;
    for (Node n : ChildrenOf(parent)) {
      NodeItem item;
      item.mask = node::kText;
      EXPECT_TRUE(tree_->GetItem(n, item));
      out.push_back(item.text);
    }
    return out;
  }

  // Records the item data of every deletion report, resolved inside the notification.
  void RecordDeletions(std::vector<std::int64_t>& deleted) {
    tree_log_.on_delete_item = [this, &deleted](const TreeNotify& n) {
      EXPECT_NE(n.old_node.node, kNoNode);
      deleted.push_back(NotifiedParam(n.old_node));
      return 0;
    };
  }

  RecordingTreeListener tree_log_;
  RecordingTabStripListener tab_log_;
  ViewPair views_;
  TreeView* tree_ = nullptr;
  TabStrip* tabs_ = nullptr;
};

inline int Ascending(std::int64_t a, std::int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }
inline std::ptrdiff_t IndexIn(const std::vector<std::int64_t>& v, std::int64_t x) {
  return std::find(v.begin(), v.end(), x) - v.begin();
}

// ---- Tree items -------------------------------------------------------------------------

TEST_P(ViewContract, InsertedNodeCarriesItsAttributes) {
  NodeItem in;
  in.mask = node::kText | node::kImage | node::kSelectedImage | node::kParam | node::kState |
            node::kChildren;
  in.text = "alpha";
  in.image = 7;
  in.selected_image = 9;
  in.param = 2147483647;
  in.state = node::kStateBold | (3u << 8);
  in.state_mask = node::kStateBold | node::kStateOverlayMask;
  in.children = 1;
  Node n = tree_->InsertItem(kRootNode, InsertAt::kLast, in);
  ASSERT_NE(n, kNoNode);

  NodeItem out;
  out.mask = in.mask;
  out.state_mask = node::kStateBold | node::kStateExpanded | node::kStateOverlayMask;
  ASSERT_TRUE(tree_->GetItem(n, out));
  EXPECT_EQ(out.text, "alpha");
  EXPECT_EQ(out.image, 7);
  EXPECT_EQ(out.selected_image, 9);
  EXPECT_EQ(out.param, 2147483647);
  EXPECT_EQ(out.state, node::kStateBold | (3u << 8));
  EXPECT_EQ(out.children, 1);

  EXPECT_EQ(ParamOf(Add(kRootNode, "zero", 0)), 0);
  EXPECT_EQ(ParamOf(Add(kRootNode, "negative", -5)), -5);
  EXPECT_EQ(tree_->GetCount(), 3);
}

TEST_P(ViewContract, SetItemWritesOnlyTheMaskedFields) {
  Node n = Add(kRootNode, "one", 10);
  NodeItem w;
  w.mask = node::kText;
  w.text = "two";
  w.param = 99;
  ASSERT_TRUE(tree_->SetItem(n, w));
  EXPECT_EQ(ChildTexts(kRootNode), std::vector<std::string>{"two"});
  EXPECT_EQ(ParamOf(n), 10);

  w = NodeItem{};
  w.mask = node::kState;
  w.state = node::kStateBold;
  w.state_mask = node::kStateBold;
  ASSERT_TRUE(tree_->SetItem(n, w));
  w.state = 5u << 8;
  w.state_mask = node::kStateOverlayMask;
  ASSERT_TRUE(tree_->SetItem(n, w));
  EXPECT_EQ(StateOf(n) & (node::kStateBold | node::kStateOverlayMask),
            node::kStateBold | (5u << 8));

  w = NodeItem{};
  w.mask = node::kParam;
  w.param = 20;
  ASSERT_TRUE(tree_->SetItem(n, w));
  EXPECT_EQ(ParamOf(n), 20);
  EXPECT_EQ(ChildTexts(kRootNode), std::vector<std::string>{"two"});
}

// The expanded state written as an attribute shows the children at once, without the
// expand notifications.
TEST_P(ViewContract, ExpandedStateSetOnANodeShowsItsChildren) {
  Sample s = BuildSample();
  NodeItem w;
  w.mask = node::kState;
  w.state = node::kStateExpanded;
  w.state_mask = node::kStateExpanded;
  ASSERT_TRUE(tree_->SetItem(s.a, w));
  EXPECT_TRUE(tree_log_.Of(TreeCall::kItemExpanding).empty());
  std::vector<Node> rows;  // the nodes down the tree's rows
  for (int y = 0; y < 180 && rows.size() < 4; ++y) {
    const Node n = tree_->HitTest(Point{40, y}).node;
    if (n != kNoNode && (rows.empty() || rows.back() != n)) rows.push_back(n);
  }
  EXPECT_EQ(rows, (std::vector<Node>{s.a, s.a1, s.a2, s.b}));
}

TEST_P(ViewContract, ChildrenIndicatorReadsBack) {
  Node leaf = Add(kRootNode, "leaf", 1);
  Node parent = Add(kRootNode, "parent", 2);
  Add(parent, "child", 3);
  auto indicator = [this](Node n) {
    NodeItem item;
    item.mask = node::kChildren;
    EXPECT_TRUE(tree_->GetItem(n, item));
    return item.children;
  };
  EXPECT_EQ(indicator(leaf), 0);
  EXPECT_EQ(indicator(parent), 1);

  NodeItem w;
  w.mask = node::kChildren;
  w.children = 1;
  ASSERT_TRUE(tree_->SetItem(leaf, w));
  EXPECT_EQ(indicator(leaf), 1);
  w.children = 0;
  ASSERT_TRUE(tree_->SetItem(leaf, w));
  EXPECT_EQ(indicator(leaf), 0);
}

TEST_P(ViewContract, NextItemWalksTheTreeInInsertionOrder) {
  Sample s = BuildSample();
  EXPECT_EQ(tree_->GetCount(), 5);
  EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kRoot), s.a);
  EXPECT_EQ(tree_->GetNextItem(s.a, NextCode::kNext), s.b);
  EXPECT_EQ(tree_->GetNextItem(s.b, NextCode::kNext), kNoNode);
  EXPECT_EQ(tree_->GetNextItem(s.a, NextCode::kChild), s.a1);
  EXPECT_EQ(tree_->GetNextItem(s.a1, NextCode::kNext), s.a2);
  EXPECT_EQ(tree_->GetNextItem(s.a2, NextCode::kChild), s.a21);
  EXPECT_EQ(tree_->GetNextItem(s.a21, NextCode::kParent), s.a2);
  EXPECT_EQ(tree_->GetNextItem(s.a, NextCode::kParent), kNoNode);
  EXPECT_EQ(tree_->GetNextItem(s.a1, NextCode::kChild), kNoNode);
  EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kCaret), kNoNode);
  EXPECT_EQ(ChildParams(kRootNode), (std::vector<std::int64_t>{1, 2}));
  EXPECT_EQ(ChildParams(s.a), (std::vector<std::int64_t>{11, 12}));
}

TEST_P(ViewContract, SortedInsertPlacesNodesByTextAmongSiblings) {
  Node p = Add(kRootNode, "p", 0);
  Add(p, "beta", 1, InsertAt::kSort);
  Add(p, "alpha", 2, InsertAt::kSort);
  Add(p, "Gamma", 3, InsertAt::kSort);
  Add(p, "delta", 4, InsertAt::kSort);
  EXPECT_EQ(ChildTexts(p), (std::vector<std::string>{"alpha", "beta", "delta", "Gamma"}));
  EXPECT_EQ(ChildParams(p), (std::vector<std::int64_t>{2, 1, 4, 3}));
  Add(kRootNode, "b", 5, InsertAt::kSort);
  Add(kRootNode, "a", 6, InsertAt::kSort);
  EXPECT_EQ(ChildTexts(kRootNode), (std::vector<std::string>{"a", "b", "p"}));
}

TEST_P(ViewContract, SortChildrenReordersOneLevelByTheCallback) {
  // Texts in the opposite order of the item data: only the callback decides.
  Node p = Add(kRootNode, "p", 100);
  Add(p, "x", 3);
  Node one = Add(p, "y", 1);
  Add(p, "z", 2);
  Add(one, "c", 30);
  Add(one, "b", 10);
  Add(one, "a", 20);

  std::vector<std::int64_t> seen;
  auto compare = [&seen](std::int64_t a, std::int64_t b) {
    seen.push_back(a);
    seen.push_back(b);
    return Ascending(a, b);
  };
  ASSERT_TRUE(tree_->SortChildren(p, compare));
  EXPECT_EQ(ChildParams(p), (std::vector<std::int64_t>{1, 2, 3}));
  EXPECT_EQ(ChildParams(one), (std::vector<std::int64_t>{30, 10, 20}));
  ASSERT_FALSE(seen.empty());
  for (std::int64_t param : seen) EXPECT_TRUE(param >= 1 && param <= 3) << param;

  ASSERT_TRUE(
      tree_->SortChildren(p, [](std::int64_t a, std::int64_t b) { return Ascending(b, a); }));
  EXPECT_EQ(ChildParams(p), (std::vector<std::int64_t>{3, 2, 1}));

  Add(kRootNode, "q", 50);
  ASSERT_TRUE(tree_->SortChildren(kRootNode, compare));
  EXPECT_EQ(ChildParams(kRootNode), (std::vector<std::int64_t>{50, 100}));
}

// ---- Deletion ---------------------------------------------------------------------------

TEST_P(ViewContract, DeleteReportsEveryRemovedNodeChildrenFirst) {
  Sample s = BuildSample();
  std::vector<std::int64_t> deleted;
  RecordDeletions(deleted);
  ASSERT_TRUE(tree_->DeleteItem(s.a));

  std::vector<std::int64_t> sorted = deleted;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::int64_t>{1, 11, 12, 121}));
  EXPECT_LT(IndexIn(deleted, 121), IndexIn(deleted, 12));
  EXPECT_LT(IndexIn(deleted, 11), IndexIn(deleted, 1));
  EXPECT_LT(IndexIn(deleted, 12), IndexIn(deleted, 1));
  for (Node n : {s.a, s.a1, s.a2, s.a21}) EXPECT_TRUE(Gone(n));
  EXPECT_EQ(tree_->GetCount(), 1);
  EXPECT_EQ(ChildParams(kRootNode), std::vector<std::int64_t>{2});
}

TEST_P(ViewContract, DeleteAllReportsEveryNode) {
  Sample s = BuildSample();
  ASSERT_TRUE(tree_->SelectItem(SelectCode::kCaret, s.a1));
  std::vector<std::int64_t> deleted;
  RecordDeletions(deleted);
  ASSERT_TRUE(tree_->DeleteItem(kRootNode));
  std::sort(deleted.begin(), deleted.end());
  EXPECT_EQ(deleted, (std::vector<std::int64_t>{1, 2, 11, 12, 121}));
  EXPECT_EQ(tree_->GetCount(), 0);
  EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kRoot), kNoNode);
  EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kCaret), kNoNode);
  EXPECT_TRUE(Gone(s.b));
}

TEST_P(ViewContract, GetItemFailsForANodeThatIsGone) {
  Node n = Add(kRootNode, "n", 1);
  ASSERT_TRUE(tree_->DeleteItem(n));
  NodeItem item;
  item.mask = node::kParam | node::kText;
  EXPECT_FALSE(tree_->GetItem(n, item));
  EXPECT_FALSE(tree_->SetItem(n, item));
  EXPECT_FALSE(tree_->GetItem(kNoNode, item));
  EXPECT_EQ(tree_->GetCount(), 0);
}

// After the deletion reports, a selection inside the deleted subtree passes to the top
// node's next sibling, else its parent, else its previous sibling, notified with no old
// node and action 0. Deleting everything leaves no selection and notifies none.
TEST_P(ViewContract, DeletingTheSelectedSubtreePassesTheSelectionToItsNeighbour) {
  struct Case {
    const char* name;
    Node Sample::*selected;
    Node Sample::*deleted;
    Node Sample::*successor;
  };
  const Case cases[] = {
      {"next sibling", &Sample::a1, &Sample::a1, &Sample::a2},
      {"parent", &Sample::a21, &Sample::a21, &Sample::a2},
      {"previous sibling", &Sample::b, &Sample::b, &Sample::a},
      {"subtree", &Sample::a21, &Sample::a, &Sample::b},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(tree_->DeleteItem(kRootNode));
    const Sample s = BuildSample();
    ASSERT_TRUE(tree_->SelectItem(SelectCode::kCaret, s.*c.selected));
    tree_log_.Clear();
    ASSERT_TRUE(tree_->DeleteItem(s.*c.deleted));
    std::vector<TreeCall> calls = tree_log_.Calls();
    ASSERT_GE(calls.size(), 3u);
    const std::vector<TreeCall> last(calls.end() - 2, calls.end());
    EXPECT_EQ(last, (std::vector<TreeCall>{TreeCall::kSelChanging, TreeCall::kSelChanged}));
    calls.resize(calls.size() - 2);
    EXPECT_EQ(calls, std::vector<TreeCall>(calls.size(), TreeCall::kDeleteItem));
    for (auto r = tree_log_.records.end() - 2; r != tree_log_.records.end(); ++r) {
      EXPECT_EQ(r->notify.old_node.node, kNoNode);
      EXPECT_EQ(r->notify.new_node.node, s.*c.successor);
      EXPECT_EQ(r->notify.action, kActionUnknown);
    }
    EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kCaret), s.*c.successor);
  }
  tree_log_.Clear();
  ASSERT_TRUE(tree_->DeleteItem(kRootNode));
  EXPECT_TRUE(tree_log_.Of(TreeCall::kSelChanging).empty());
  EXPECT_TRUE(tree_log_.Of(TreeCall::kSelChanged).empty());
  EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kCaret), kNoNode);
}

TEST_P(ViewContract, ListenerMayDeleteAnotherNodeFromInsideDeleteReport) {
  Sample s = BuildSample();
  std::vector<std::int64_t> deleted;
  tree_log_.on_delete_item = [&](const TreeNotify& n) {
    std::int64_t param = NotifiedParam(n.old_node);
    deleted.push_back(param);
    if (param == 11) {
      EXPECT_TRUE(tree_->DeleteItem(s.b));
    }
    return 0;
  };
  ASSERT_TRUE(tree_->DeleteItem(s.a1));
  std::sort(deleted.begin(), deleted.end());
  EXPECT_EQ(deleted, (std::vector<std::int64_t>{2, 11}));
  EXPECT_TRUE(Gone(s.a1));
  EXPECT_TRUE(Gone(s.b));
  EXPECT_EQ(tree_->GetCount(), 3);
  EXPECT_EQ(ChildParams(s.a), std::vector<std::int64_t>{12});
  EXPECT_EQ(ChildParams(s.a2), std::vector<std::int64_t>{121});
}

// ---- Selection --------------------------------------------------------------------------

TEST_P(ViewContract, SelectionByProgramNotifiesWithActionZero) {
  Sample s = BuildSample();
  tree_->Expand(s.a, ExpandCode::kExpand);  // a1 shown: selecting it expands nothing
  tree_log_.Clear();
  tree_log_.on_sel_changed = [this](const TreeNotify& n) {
    EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kCaret), n.new_node.node);
    return 0;
  };
  ASSERT_TRUE(tree_->SelectItem(SelectCode::kCaret, s.a1));
  ASSERT_EQ(tree_log_.Calls(),
            (std::vector<TreeCall>{TreeCall::kSelChanging, TreeCall::kSelChanged}));
  for (const TreeRecord& r : tree_log_.records) {
    EXPECT_EQ(r.notify.action, kActionUnknown);
    EXPECT_EQ(r.notify.old_node.node, kNoNode);
    EXPECT_EQ(r.notify.new_node.node, s.a1);
  }
  EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kCaret), s.a1);

  tree_log_.Clear();
  ASSERT_TRUE(tree_->SelectItem(SelectCode::kCaret, s.a1));
  EXPECT_TRUE(tree_log_.records.empty());

  ASSERT_TRUE(tree_->SelectItem(SelectCode::kCaret, s.b));
  auto changed = tree_log_.Of(TreeCall::kSelChanged);
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].notify.old_node.node, s.a1);
  EXPECT_EQ(changed[0].notify.new_node.node, s.b);
  if (changed[0].notify.new_node.has_param) {
    EXPECT_EQ(changed[0].notify.new_node.param, 2);
  }
  if (changed[0].notify.old_node.has_param) {
    EXPECT_EQ(changed[0].notify.old_node.param, 11);
  }

  tree_log_.Clear();
  ASSERT_TRUE(tree_->SelectItem(SelectCode::kCaret, kNoNode));
  ASSERT_EQ(tree_log_.Calls(),
            (std::vector<TreeCall>{TreeCall::kSelChanging, TreeCall::kSelChanged}));
  EXPECT_EQ(tree_log_.records[1].notify.old_node.node, s.b);
  EXPECT_EQ(tree_log_.records[1].notify.new_node.node, kNoNode);
  EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kCaret), kNoNode);
}

TEST_P(ViewContract, ListenerMaySelectFromInsideSelChanged) {
  Sample s = BuildSample();
  bool once = false;
  tree_log_.on_sel_changed = [&](const TreeNotify&) {
    if (!once) {
      once = true;
      EXPECT_TRUE(tree_->SelectItem(SelectCode::kCaret, s.b));
    }
    return 0;
  };
  ASSERT_TRUE(tree_->SelectItem(SelectCode::kCaret, s.a1));
  EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kCaret), s.b);
  auto changed = tree_log_.Of(TreeCall::kSelChanged);
  ASSERT_EQ(changed.size(), 2u);
  EXPECT_EQ(changed[0].notify.new_node.node, s.a1);
  EXPECT_EQ(changed[1].notify.old_node.node, s.a1);
  EXPECT_EQ(changed[1].notify.new_node.node, s.b);
}

TEST_P(ViewContract, ListenerMayDeleteTheNewSelectionFromInsideSelChanged) {
  Sample s = BuildSample();
  std::vector<std::int64_t> deleted;
  RecordDeletions(deleted);
  bool once = false;
  tree_log_.on_sel_changed = [&](const TreeNotify& n) {
    if (!once && n.new_node.node == s.a1) {
      once = true;
      EXPECT_TRUE(tree_->DeleteItem(s.a1));
    }
    return 0;
  };
  tree_->SelectItem(SelectCode::kCaret, s.a1);  // its answer is the platform's affair here
  EXPECT_TRUE(Gone(s.a1));
  EXPECT_EQ(deleted, std::vector<std::int64_t>{11});
  Node caret = tree_->GetNextItem(kNoNode, NextCode::kCaret);
  EXPECT_NE(caret, s.a1);
  if (caret != kNoNode) {
    EXPECT_FALSE(Gone(caret));
  }
  EXPECT_EQ(tree_->GetCount(), 4);
}

// ---- Expansion and scrolling ------------------------------------------------------------

TEST_P(ViewContract, ExpandNotifiesExpandingThenExpanded) {
  Sample s = BuildSample();
  std::vector<bool> expanded_inside;
  tree_log_.on_item_expanding = [&](const TreeNotify& n) {
    expanded_inside.push_back(IsExpanded(n.new_node.node));
    return 0;
  };
  tree_log_.on_item_expanded = [&](const TreeNotify& n) {
    expanded_inside.push_back(IsExpanded(n.new_node.node));
    return 0;
  };
  ASSERT_FALSE(IsExpanded(s.a));
  ASSERT_TRUE(tree_->Expand(s.a, ExpandCode::kExpand));
  ASSERT_EQ(tree_log_.Calls(),
            (std::vector<TreeCall>{TreeCall::kItemExpanding, TreeCall::kItemExpanded}));
  for (const TreeRecord& r : tree_log_.records) {
    EXPECT_EQ(r.notify.new_node.node, s.a);
    EXPECT_EQ(r.notify.action & static_cast<int>(ExpandCode::kExpand),
              static_cast<int>(ExpandCode::kExpand));
  }
  EXPECT_EQ(expanded_inside, (std::vector<bool>{false, true}));
  EXPECT_TRUE(IsExpanded(s.a));

  tree_log_.Clear();
  tree_->Expand(s.b, ExpandCode::kExpand);  // no children: nothing to expand
  EXPECT_TRUE(tree_log_.records.empty());
  EXPECT_FALSE(IsExpanded(s.b));

  tree_->Expand(s.a, ExpandCode::kCollapse);
  EXPECT_FALSE(IsExpanded(s.a));
}

TEST_P(ViewContract, ListenerMayLoadChildrenWhileANodeExpands) {
  NodeItem lazy;
  lazy.mask = node::kText | node::kParam | node::kChildren;
  lazy.text = "lazy";
  lazy.param = 7;
  lazy.children = 1;
  Node p = tree_->InsertItem(kRootNode, InsertAt::kLast, lazy);
  ASSERT_NE(p, kNoNode);
  Node child = kNoNode;
  tree_log_.on_item_expanding = [&](const TreeNotify& n) {
    if (child == kNoNode) child = Add(n.new_node.node, "loaded", 70);
    return 0;
  };
  ASSERT_TRUE(tree_->Expand(p, ExpandCode::kExpand));
  EXPECT_NE(child, kNoNode);
  EXPECT_EQ(tree_->GetNextItem(p, NextCode::kChild), child);
  EXPECT_TRUE(IsExpanded(p));
  EXPECT_EQ(tree_log_.Of(TreeCall::kItemExpanded).size(), 1u);
}

TEST_P(ViewContract, EnsureVisibleExpandsCollapsedAncestors) {
  Sample s = BuildSample();
  tree_->EnsureVisible(s.a21);  // the platform's answer says whether it scrolled
  EXPECT_TRUE(IsExpanded(s.a));
  EXPECT_TRUE(IsExpanded(s.a2));
  EXPECT_FALSE(IsExpanded(s.b));
}

TEST_P(ViewContract, FirstVisibleScrollsANodeToTheTop) {
  tree_->SetPosition(0, 20, 200, 40);
  std::vector<Node> rows;
  for (int i = 0; i < 30; ++i) rows.push_back(Add(kRootNode, "row" + std::to_string(i), i));
  EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kFirstVisible), rows[0]);
  ASSERT_TRUE(tree_->SelectItem(SelectCode::kFirstVisible, rows[5]));
  EXPECT_EQ(tree_->GetNextItem(kNoNode, NextCode::kFirstVisible), rows[5]);
  EXPECT_TRUE(tree_log_.Of(TreeCall::kSelChanged).empty());
}

TEST_P(ViewContract, HitTestBelowTheLastRowFindsNoNode) {
  Add(kRootNode, "one", 1);
  Add(kRootNode, "two", 2);
  HitTestResult hit = tree_->HitTest(Point{10, 170});
  EXPECT_EQ(hit.node, kNoNode);
  EXPECT_EQ(hit.flags & hit::kOnItem, 0u);
}

// ---- Tab strip --------------------------------------------------------------------------

TEST_P(ViewContract, TabInsertAndDeleteShiftLaterEntries) {
  EXPECT_EQ(tabs_->InsertItem(0, "A", 10, -1), 0);
  EXPECT_EQ(tabs_->InsertItem(1, "B", 11, 4), 1);
  EXPECT_EQ(tabs_->InsertItem(1, "C", 12, -1), 1);
  EXPECT_EQ(tabs_->InsertItem(99, "D", 13, -1), 3);
  EXPECT_EQ(tabs_->InsertItem(-1, "E", 14, -1), -1);
  auto texts_and_params = [this] {
    std::vector<std::string> out;
    for (int i = 0; i < tabs_->GetItemCount(); ++i) {
      std::string text;
      std::int64_t param = -1;
      EXPECT_TRUE(tabs_->GetItemText(i, text));
      EXPECT_TRUE(tabs_->GetItemParam(i, param));
      out.push_back(text + std::to_string(param));
    }
    return out;
  };
  EXPECT_EQ(texts_and_params(), (std::vector<std::string>{"A10", "C12", "B11", "D13"}));
  EXPECT_EQ(tabs_->GetItemImage(2), 4);
  EXPECT_EQ(tabs_->GetItemImage(0), -1);

  ASSERT_TRUE(tabs_->DeleteItem(0));
  EXPECT_EQ(texts_and_params(), (std::vector<std::string>{"C12", "B11", "D13"}));
  EXPECT_FALSE(tabs_->DeleteItem(3));
  std::int64_t param = 0;
  EXPECT_FALSE(tabs_->GetItemParam(3, param));

  ASSERT_TRUE(tabs_->SetItemParam(1, 77));
  ASSERT_TRUE(tabs_->SetItemImage(0, 6));
  EXPECT_EQ(texts_and_params(), (std::vector<std::string>{"C12", "B77", "D13"}));
  EXPECT_EQ(tabs_->GetItemImage(0), 6);
  EXPECT_FALSE(tabs_->SetItemParam(5, 1));

  ASSERT_TRUE(tabs_->DeleteAllItems());
  EXPECT_EQ(tabs_->GetItemCount(), 0);
  EXPECT_EQ(tabs_->GetCurSel(), -1);
  EXPECT_TRUE(tab_log_.records.empty());
}

TEST_P(ViewContract, SetCurSelSelectsWithoutNotification) {
  for (int i = 0; i < 3; ++i) tabs_->InsertItem(i, "T" + std::to_string(i), i, -1);
  int before = tabs_->GetCurSel();
  EXPECT_EQ(tabs_->SetCurSel(2), before);
  EXPECT_EQ(tabs_->GetCurSel(), 2);
  EXPECT_EQ(tabs_->SetCurSel(1), 2);
  EXPECT_EQ(tabs_->SetCurSel(7), -1);
  EXPECT_EQ(tabs_->GetCurSel(), 1);
  EXPECT_TRUE(tab_log_.records.empty());
}

TEST_P(ViewContract, DeletingATabBeforeTheSelectionKeepsItsEntrySelected) {
  for (int i = 0; i < 3; ++i) tabs_->InsertItem(i, "T" + std::to_string(i), i, -1);
  tabs_->SetCurSel(2);
  ASSERT_TRUE(tabs_->DeleteItem(0));
  ASSERT_EQ(tabs_->GetCurSel(), 1);
  std::string text;
  ASSERT_TRUE(tabs_->GetItemText(1, text));
  EXPECT_EQ(text, "T2");
}

TEST_P(ViewContract, TabHighlightAndExtendedStyle) {
  for (int i = 0; i < 2; ++i) tabs_->InsertItem(i, "T" + std::to_string(i), i, -1);
  ASSERT_TRUE(tabs_->HighlightItem(1, 0xFFFF));
  EXPECT_TRUE(tabs_->IsHighlighted(1));
  EXPECT_FALSE(tabs_->IsHighlighted(0));
  ASSERT_TRUE(tabs_->HighlightItem(1, 0));
  EXPECT_FALSE(tabs_->IsHighlighted(1));
  EXPECT_FALSE(tabs_->HighlightItem(5, 1));

  tabs_->SetExtendedStyle(style::kTcsExFlatSeparators);
  EXPECT_NE(tabs_->GetExtendedStyle() & style::kTcsExFlatSeparators, 0u);
  tabs_->SetExtendedStyle(0);
  EXPECT_EQ(tabs_->GetExtendedStyle() & style::kTcsExFlatSeparators, 0u);
}

// ---- Windows and desktop ----------------------------------------------------------------

TEST_P(ViewContract, ChildWindowsKeepStyleStatePositionAndCoordinates) {
  for (ChildWindow* w : {static_cast<ChildWindow*>(tabs_), static_cast<ChildWindow*>(tree_)}) {
    std::uint32_t style = w->GetStyle();
    EXPECT_NE(style & style::kChild, 0u);
    w->SetStyle(style ^ style::kTabStop);
    EXPECT_EQ(w->GetStyle() & style::kTabStop, (style ^ style::kTabStop) & style::kTabStop);
    w->SetStyle(style);
    w->ReapplyFrame();
    EXPECT_EQ(w->GetStyle() & style::kTabStop, style & style::kTabStop);

    w->Enable(false);
    EXPECT_FALSE(w->IsEnabled());
    EXPECT_NE(w->GetStyle() & style::kDisabled, 0u);
    w->Enable(true);
    EXPECT_TRUE(w->IsEnabled());
    w->Show(false);
    EXPECT_FALSE(w->IsVisible());
    w->Show(true);
    EXPECT_NE(w->GetStyle() & style::kVisible, 0u);

    w->SetPosition(3, 4, 50, 60);
    Rect r = w->GetPosition();
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
              (std::vector<int>{3, 4, 53, 64}));
    Point p1 = w->ScreenToClient(Point{300, 300});
    Point p2 = w->ScreenToClient(Point{310, 305});
    EXPECT_EQ(p2.x - p1.x, 10);
    EXPECT_EQ(p2.y - p1.y, 5);
    w->SetPosition(13, 4, 50, 60);
    EXPECT_EQ(w->ScreenToClient(Point{300, 300}).x, p1.x - 10);
  }
}

TEST_P(ViewContract, FocusMovingBetweenTheViewsReachesTheTreeListener) {
  tabs_->Focus();
  tree_log_.Clear();
  tree_->Focus();
  EXPECT_EQ(tree_log_.Calls(), std::vector<TreeCall>{TreeCall::kSetFocus});
  tree_log_.Clear();
  tabs_->Focus();
  EXPECT_EQ(tree_log_.Calls(), std::vector<TreeCall>{TreeCall::kKillFocus});
}

TEST_P(ViewContract, PictureListAndToolTipDelay) {
  Desktop& desktop = *views_.desktop;
  PictureListHandle list = desktop.CreatePictureList(32, 16);
  ASSERT_NE(list, 0u);
  EXPECT_EQ(desktop.PictureCount(list), 0);
  tree_->SetPictureList(list);
  EXPECT_EQ(tree_->GetPictureList(), list);
  tabs_->SetPictureList(list);
  tree_->SetPictureList(0);
  EXPECT_EQ(tree_->GetPictureList(), 0u);
  EXPECT_TRUE(tree_->SetToolTipInitialDelay(500));
}

TEST_P(ViewContract, DesktopCursorsAndClipboard) {
  Desktop& desktop = *views_.desktop;
  CursorHandle arrow = desktop.LoadSystemCursor(32512);
  CursorHandle wait = desktop.LoadSystemCursor(32514);
  EXPECT_NE(arrow, 0u);
  EXPECT_NE(wait, 0u);
  EXPECT_NE(arrow, wait);
  EXPECT_EQ(desktop.LoadSystemCursor(32514), wait);
  EXPECT_EQ(desktop.LoadSystemCursor(12345), 0u);

  CursorHandle previous = desktop.SetCursor(wait);
  EXPECT_EQ(desktop.GetCursor(), wait);
  EXPECT_EQ(desktop.SetCursor(previous), wait);
  EXPECT_EQ(desktop.GetCursor(), previous);

  EXPECT_TRUE(desktop.SetClipboardText("ID:a1, Parent:, Tag:"));
}

}  // namespace view::contract
