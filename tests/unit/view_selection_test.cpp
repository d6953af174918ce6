// Selection, expansion and deletion as the host drives them.
#include "tests/unit/view_fixture.h"

namespace view_test {
namespace {

using Log = std::vector<std::string>;

class Selection : public ViewFixture {
 protected:
  Selection() {
    view.SetTabChangedHook([this](const std::string& name) { tab_changed.push_back(name); });
  }
  // Three tabs; A holds a small family tree.
  void ThreeTabs() {
    Add("TAB:A,TEXT:r,ID:r");
    Add("TAB:A,TEXT:c1,ID:c1,PARENT:r");
    Add("TAB:A,TEXT:g1,ID:g1,PARENT:c1");
    Add("TAB:A,TEXT:g2,ID:g2,PARENT:c1");
    Add("TAB:A,TEXT:c2,ID:c2,PARENT:r");
    Add("TAB:A,TEXT:g3,ID:g3,PARENT:c2");
    Add("TAB:A,TEXT:s,ID:s");
    Add("TAB:B,TEXT:b1,ID:b1");
    Add("TAB:B,TEXT:b2,ID:b2,PARENT:b1");
    Add("TAB:C,TEXT:x1,ID:x1");
    Show();
    host.Take();
  }
  bool Expanded(const std::string& id) {
    view::NodeItem n;
    n.mask = view::node::kState;
    n.state_mask = view::node::kStateExpanded;
    return Tree().GetItem(NodeOf(id), n) && n.state != 0;
  }
  bool ExpandBit(const std::string& id) { return (ItemOf(id).Flags & model::kFlagExpand) != 0; }
  std::int64_t TabParam(int position) {
    std::int64_t p = -1;
    Tabs().GetItemParam(position, p);
    return p;
  }

  Log tab_changed;
};

TEST_F(Selection, SelectedTabWrites) {
  ThreeTabs();
  EXPECT_EQ(view.GetSelectedTab(), "A");
  const int clears = Tree().DeleteAllCount();
  view.PutSelectedTab("A");  // the shown tab: rebuilt, no TabChanged
  EXPECT_EQ(Tree().DeleteAllCount(), clears + 1);
  EXPECT_EQ(tab_changed, Log{});
  view.PutSelectedTab("B");
  EXPECT_EQ(tab_changed, Log{"B"});
  EXPECT_EQ(view.GetSelectedTab(), "B");
  EXPECT_EQ(Outline(), "b1(b2)");
  view.PutSelectedTab("nothing");
  EXPECT_EQ(view.GetSelectedTab(), "B");
  EXPECT_EQ(tab_changed, Log{"B"});

  // With highlighting on, the highlight moves with the SelectedTab write.
  view.PutHilightSelectedTab(-1);
  EXPECT_TRUE(Tabs().IsHighlighted(1));
  view.PutSelectedTab("C");
  EXPECT_FALSE(Tabs().IsHighlighted(1));
  EXPECT_TRUE(Tabs().IsHighlighted(2));
}

TEST_F(Selection, SelectedItemWrites) {
  ThreeTabs();
  view.PutHilightSelectedTab(-1);
  view.PutSelectedItem("b2");  // another tab: switched without TabChanged
  EXPECT_EQ(view.GetSelectedTab(), "B");
  EXPECT_EQ(view.GetSelectedItem(), "b2");
  EXPECT_EQ(tab_changed, Log{});
  EXPECT_TRUE(Expanded("b1"));  // made visible
  EXPECT_NE(ItemOf("b2").Flags & model::kFlagSelect, 0u);
  // The highlight stays on the tab that had it.
  EXPECT_TRUE(Tabs().IsHighlighted(0));
  EXPECT_FALSE(Tabs().IsHighlighted(1));

  view.PutSelectedItem("missing");  // names nothing: no selection at all
  EXPECT_EQ(view.GetSelectedItem(), "");
  EXPECT_EQ(ItemOf("b2").Flags & model::kFlagSelect, 0u);

  view.PutSelectedItem("b2");
  ItemOf("b1").Level = 10;  // not shown after the next rebuild
  view.PutSelectedTab("A");
  view.PutSelectedItem("b1");
  EXPECT_EQ(view.GetSelectedTab(), "B");
  EXPECT_EQ(view.GetSelectedItem(), "");  // an item without a node clears the selection
  ExpectConsistent();
}

TEST_F(Selection, SelectPutHandsOverToSelectedItem) {
  ThreeTabs();
  view.PutSelectedItem("g1");
  host.Take();
  view.PutSelect("s", 0);  // was not selected: SelectedItem is not touched
  EXPECT_EQ(view.GetSelectedItem(), "g1");
  EXPECT_EQ(host.Take(), Log{});
  view.PutSelect("s", 1);
  EXPECT_EQ(view.GetSelectedItem(), "s");
  view.PutSelect("s", 0);  // was selected: the selection is cleared
  EXPECT_EQ(view.GetSelectedItem(), "");
  EXPECT_EQ(ItemOf("s").Flags & model::kFlagSelect, 0u);
  view.PutSelect("x1", 7);  // another tab's item
  EXPECT_EQ(view.GetSelectedTab(), "C");
  EXPECT_EQ(view.GetSelectedItem(), "x1");
}

TEST_F(Selection, FirstVisibleItem) {
  dialog->SetClientSize(200, 20 + 2 * 16);  // a tree of two rows
  ThreeTabs();
  view.ExpandAll(1, "");
  EXPECT_EQ(view.GetFirstVisibleItem(), "r");
  view.PutFirstVisibleItem("g2");
  EXPECT_EQ(view.GetFirstVisibleItem(), "g2");
  view.PutFirstVisibleItem("missing");  // changes nothing
  EXPECT_EQ(view.GetFirstVisibleItem(), "g2");
  view.PutFirstVisibleItem("x1");
  EXPECT_EQ(view.GetSelectedTab(), "C");
  EXPECT_EQ(view.GetFirstVisibleItem(), "x1");
  EXPECT_EQ(tab_changed, Log{});
}

TEST_F(Selection, FirstVisibleItemFollowsTheTreeAndSkipsItemsWithoutANode) {
  dialog->SetClientSize(200, 20 + 2 * 16);  // a tree of two rows
  ThreeTabs();
  view.ExpandAll(1, "");
  view.PutFirstVisibleItem("g2");
  view.DeleteItem("g2");
  EXPECT_EQ(view.GetFirstVisibleItem(), "c1");  // where the tree scrolled to

  ItemOf("s").Level = 10;
  view.PutSelectedTab("A");  // rebuilt without a node for s
  view.PutFirstVisibleItem("c2");
  view.PutFirstVisibleItem("s");
  EXPECT_EQ(view.GetFirstVisibleItem(), "c2");
  ExpectConsistent();
}

TEST_F(Selection, HasChildrenDescribesLoadedChildren) {
  ThreeTabs();
  EXPECT_EQ(view.GetHasChildren("r"), 1);
  EXPECT_EQ(view.GetHasChildren("s"), 0);
  EXPECT_EQ(view.GetHasChildren("b1"), 0);  // not the shown tab
  EXPECT_EQ(view.GetHasChildren("missing"), 0);

  view.PutHasChildren("s", 5);  // a leaf gets an expand button
  EXPECT_EQ(ItemOf("s").HasChildren, 1);
  view::NodeItem n;
  n.mask = view::node::kChildren;
  ASSERT_TRUE(Tree().GetItem(NodeOf("s"), n));
  EXPECT_EQ(n.children, 1);
  EXPECT_EQ(view.GetHasChildren("s"), 0);  // but still no loaded child
  view.PutHasChildren("b1", 1);            // another tab: stored only
  EXPECT_EQ(ItemOf("b1").HasChildren, 1);
  view.PutSelectedTab("B");
  n = view::NodeItem{};
  n.mask = view::node::kChildren;
  ASSERT_TRUE(Tree().GetItem(NodeOf("b1"), n));
  EXPECT_EQ(n.children, 1);
}

TEST_F(Selection, ExpandAllWalksEveryLevel) {
  ThreeTabs();
  view.ExpandAll(1, "");
  for (const char* id : {"r", "c1", "c2"}) {
    EXPECT_TRUE(Expanded(id)) << id;
    EXPECT_TRUE(ExpandBit(id)) << id;
  }
  EXPECT_FALSE(ExpandBit("g1"));  // leaves are not acted on
  EXPECT_FALSE(ExpandBit("s"));

  // Collapsing a subtree collapses every descendant with children, and stops at the
  // end of the subtree.
  view.ExpandAll(0, "c1");
  EXPECT_FALSE(Expanded("c1"));
  EXPECT_FALSE(ExpandBit("c1"));
  EXPECT_TRUE(ExpandBit("c2"));
  EXPECT_TRUE(ExpandBit("r"));
  view.ExpandAll(0, "r");
  for (const char* id : {"r", "c1", "c2"}) EXPECT_FALSE(ExpandBit(id)) << id;

  // The item itself is acted on, children or not; an item without a node only gets its
  // bit.
  view.ExpandAll(1, "g3");
  EXPECT_TRUE(ExpandBit("g3"));
  view.ExpandAll(1, "b1");
  EXPECT_TRUE(ExpandBit("b1"));
  view.ExpandAll(1, "missing");
  ExpectConsistent();
}

TEST_F(Selection, DeleteItemReportsDeepestFirst) {
  ThreeTabs();
  Add("TAB:B,TEXT:cross,ID:cross,PARENT:c2");  // a child in another tab
  view.DeleteItem("r");
  EXPECT_EQ(host.Take(), (Log{"Deleted(g1)", "Deleted(g2)", "Deleted(c1)", "Deleted(g3)",
                              "Deleted(c2)", "Deleted(r)"}));
  EXPECT_EQ(Outline(), "s");
  EXPECT_EQ(store.FindItem("cross"), model::kNoSeq);  // gone too, without an event
  EXPECT_EQ(store.ItemCount(), 4);

  view.DeleteItem("b1");  // another tab: no event, tree unchanged
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_EQ(Outline(), "s");
  EXPECT_EQ(store.FindItem("b2"), model::kNoSeq);
  ExpectConsistent();
}

TEST_F(Selection, DeleteChildrenEmptyIdsAndSelectedNodes) {
  ThreeTabs();
  view.PutSelectedItem("g2");
  host.Take();
  view.DeleteChildren("c1");  // the parent stays and takes over the selection from g2
  EXPECT_EQ(host.Take(),
            (Log{"Deleted(g1)", "Deleted(g2)", "SelChanging(c1)", "SelChanged(>c1/0)"}));
  EXPECT_EQ(Outline(), "r(c1,c2(g3)),s");
  EXPECT_EQ(view.GetSelectedItem(), "c1");
  view.DeleteChildren("missing");
  EXPECT_EQ(host.Take(), Log{});

  // The empty ID names every root item of every tab; an item whose Parent names nobody
  // is not a root item and stays.
  Add("TAB:C,TEXT:o,ID:o,PARENT:ghost");
  view.DeleteItem("");
  EXPECT_EQ(store.ItemCount(), 1);
  EXPECT_NE(store.FindItem("o"), model::kNoSeq);
  EXPECT_EQ(Tree().GetCount(), 0);
  ExpectConsistent();
}

// Items that share an ID: only the earliest has children, so a deletion takes the subtree
// the tree shows and nothing outside it.
TEST_F(Selection, DeletionWithDuplicateIdsTakesOnlyTheShownSubtree) {
  // x1 and x2 share the ID x; y's parent is the earliest x. "Other tab" puts x1 in B.
  const std::string same_tab =
      "TAB:A,TEXT:x1,ID:x\nTAB:A,TEXT:p,ID:p\nTAB:A,TEXT:x2,ID:x,PARENT:p\n"
      "TAB:A,TEXT:y,ID:y,PARENT:x";
  const std::string other_tab =
      "TAB:B,TEXT:x1,ID:x\nTAB:A,TEXT:p,ID:p\nTAB:A,TEXT:x2,ID:x,PARENT:p\n"
      "TAB:A,TEXT:y,ID:y,PARENT:x";
  struct Case {
    const char* name;
    const std::string& records;
    void (view::ViewController::*remove)(const std::string&);
    const char* id;
    const char* outline_before;
    Log deleted;
    Log texts_left;
    const char* outline_after;
  };
  const Case cases[] = {
      {"same tab", same_tab, &view::ViewController::DeleteItem, "p", "x(y),p(x)",
       Log{"Deleted(x)", "Deleted(p)"}, Log{"x1", "y"}, "x(y)"},
      {"other tab", other_tab, &view::ViewController::DeleteItem, "p", "p(x),y",
       Log{"Deleted(x)", "Deleted(p)"}, Log{"x1", "y"}, "y"},
      {"children", same_tab, &view::ViewController::DeleteChildren, "p", "x(y),p(x)",
       Log{"Deleted(x)"}, Log{"x1", "p", "y"}, "x(y),p"},
      {"earliest holder", same_tab, &view::ViewController::DeleteItem, "x", "x(y),p(x)",
       Log{"Deleted(y)", "Deleted(x)"}, Log{"p", "x2"}, "p(x)"},
  };
  Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view.DeleteAll();
    model::AddItemList(store, c.records);
    view.PutSelectedTab("A");
    ASSERT_EQ(Outline(), c.outline_before);
    host.Take();
    (view.*c.remove)(c.id);
    EXPECT_EQ(host.Take(), c.deleted);
    Log texts_left;
    for (model::Seq seq = store.FirstItem(); seq != model::kNoSeq; seq = store.NextItemAfter(seq)) {
      texts_left.emplace_back(store.FindItemPtr(seq)->Text);
    }
    EXPECT_EQ(texts_left, c.texts_left);
    EXPECT_EQ(Outline(), c.outline_after);
    ExpectConsistent();
  }
}

TEST_F(Selection, NodesOfMovedItemsDoNotOutliveThem) {
  ThreeTabs();
  // A Parent write leaves the node where it was: s's node is not under c2.
  store.SetParent(SeqOf("g3"), "s");
  view.DeleteItem("c2");
  // c2's node held g3's node; g3 stays in the store without a node.
  EXPECT_NE(store.FindItem("g3"), model::kNoSeq);
  EXPECT_EQ(NodeOf("g3"), view::kNoNode);
  ExpectConsistent();

  // A Tab write leaves the node in the shown tree; deleting the item removes it.
  store.SetTabIndex(SeqOf("s"), 1);
  host.Take();
  view.DeleteItem("s");
  EXPECT_EQ(host.Take(), Log{"Deleted(s)"});
  ExpectConsistent();
}

TEST_F(Selection, ParentLoopsEndDeletion) {
  ThreeTabs();
  store.SetParent(SeqOf("r"), "g1");  // r -> c1 -> g1 -> r
  view.DeleteItem("c1");
  EXPECT_EQ(store.FindItem("r"), model::kNoSeq);
  EXPECT_EQ(store.FindItem("g1"), model::kNoSeq);
  EXPECT_EQ(store.FindItem("c1"), model::kNoSeq);
  store.SetParent(SeqOf("s"), "s");
  view.DeleteChildren("s");
  EXPECT_NE(store.FindItem("s"), model::kNoSeq);  // the parent stays, also as its own child
  ExpectConsistent();
}

TEST_F(Selection, DeleteTabOfTheShownFirstTab) {
  ThreeTabs();
  view.DeleteTab("A");
  EXPECT_EQ(view.GetSelectedTab(), "B");
  EXPECT_EQ(Outline(), "b1(b2)");
  EXPECT_EQ(store.CurrentTab(), 0);
  EXPECT_EQ(store.FindTab("B"), 0);
  ASSERT_EQ(Tabs().GetItemCount(), 2);
  EXPECT_EQ(TabParam(0), 0);
  EXPECT_EQ(TabParam(1), 1);
  EXPECT_EQ(host.Take(), Log{});  // no deletion events
  ExpectConsistent();
}

TEST_F(Selection, DeleteTabBeforeTheShownOne) {
  ThreeTabs();
  view.PutSelectedTab("C");
  const int clears = Tree().DeleteAllCount();
  view.DeleteTab("A");
  EXPECT_EQ(Tree().DeleteAllCount(), clears);  // not rebuilt
  EXPECT_EQ(Outline(), "x1");
  EXPECT_EQ(view.GetSelectedTab(), "C");
  EXPECT_EQ(store.CurrentTab(), 1);
  EXPECT_EQ(store.TabNameAt(ItemOf("x1").TabIndex()), "C");
  EXPECT_EQ(TabParam(0), 0);
  EXPECT_EQ(TabParam(1), 1);

  // A tab added afterwards takes the next free Index and starts empty.
  Add("TAB:D,TEXT:d,ID:d");
  EXPECT_EQ(store.FindTab("D"), 2);
  ASSERT_EQ(Tabs().GetItemCount(), 3);
  EXPECT_EQ(TabParam(2), 2);
  view.PutSelectedTab("D");
  EXPECT_EQ(Outline(), "d");
  view.DeleteTab("missing");
  EXPECT_EQ(store.TabCount(), 3);
  ExpectConsistent();
}

TEST_F(Selection, DeleteTabHoldingAShownItem) {
  ThreeTabs();
  store.SetTabIndex(SeqOf("s"), 2);  // moved to C, still shown under A
  view.DeleteTab("C");
  EXPECT_EQ(store.FindItem("s"), model::kNoSeq);
  EXPECT_EQ(Outline(), "r(c1(g1,g2),c2(g3))");
  ExpectConsistent();
}

TEST_F(Selection, DeleteAllWhileTheFirstTabIsShownDoesNotRebuild) {
  ThreeTabs();  // A, the first tab, is shown: CurrentTab 0
  const int clears = Tree().DeleteAllCount();
  view.DeleteAll();
  EXPECT_EQ(Tree().DeleteAllCount(), clears + 1);  // its own clearing, no rebuild after it
  EXPECT_EQ(Tree().GetCount(), 0);
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_EQ(store.CurrentTab(), 0);
  ExpectConsistent();
}

TEST_F(Selection, DeleteAllStartsAgain) {
  ThreeTabs();
  view.PutSelectedTab("B");
  view.DeleteAll();
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_EQ(store.ItemCount(), 0);
  EXPECT_EQ(Tabs().GetItemCount(), 0);
  EXPECT_EQ(Tree().GetCount(), 0);
  EXPECT_EQ(store.CurrentTab(), 0);  // the Refresh rebuilt position 0
  EXPECT_FALSE(view.Rebuilding());
  Add("TAB:New,TEXT:n,ID:n");
  EXPECT_EQ(store.FindTab("New"), 0);
  EXPECT_EQ(SeqOf("n"), 0);
  EXPECT_EQ(Tabs().GetItemCount(), 1);
  EXPECT_EQ(Outline(), "n");  // CurrentTab 0: shown at once
  ExpectConsistent();
}

}  // namespace
}  // namespace view_test
