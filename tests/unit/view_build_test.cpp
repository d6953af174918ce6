// Building the views from the store: window creation, rebuilds, single insertions and
// refreshes, sorting modes, and the busy indicator around all of them.
#include "tests/unit/view_fixture.h"

namespace view_test {
namespace {

class Build : public ViewFixture {
 protected:
  view::NodeItem Node(const std::string& id, std::uint32_t mask) {
    view::NodeItem n;
    n.mask = mask;
    n.state_mask = 0xFFFF;
    EXPECT_TRUE(Tree().GetItem(NodeOf(id), n)) << id;
    return n;
  }
  std::string TabText(int position) {
    std::string text;
    Tabs().GetItemText(position, text);
    return text;
  }
};

TEST_F(Build, WindowCreationFillsStripAndFirstTree) {
  Add("TAB:Main,TABPIC:5,TEXT:m1,ID:m1");
  Add("TAB:Other,TEXT:o1,ID:o1");
  Add("TAB:Main,TEXT:m2,ID:m2,PARENT:m1");
  Open();
  ASSERT_EQ(Tabs().GetItemCount(), 2);
  EXPECT_EQ(TabText(0), "Main");
  EXPECT_EQ(TabText(1), "Other");
  std::int64_t param = -1;
  ASSERT_TRUE(Tabs().GetItemParam(1, param));
  EXPECT_EQ(param, 1);
  EXPECT_EQ(Tabs().GetItemImage(0), 5);
  EXPECT_EQ(Tabs().GetItemImage(1), -1);  // TabPic 0 shows no picture
  EXPECT_EQ(Outline(), "m1(m2)");
  EXPECT_EQ(store.CurrentTab(), -1);  // window creation forgets the shown tab
  EXPECT_FALSE(store.RebuildPending());

  // Items of the shown tab wait for the next Refresh, then arrive as they are added.
  Add("TAB:Main,TEXT:m3,ID:m3");
  EXPECT_EQ(Outline(), "m1(m2)");
  view.Refresh();
  EXPECT_EQ(Outline(), "m1(m2),m3");
  Add("TAB:Main,TEXT:m4,ID:m4,PARENT:m3");
  Add("TAB:Other,TEXT:o2,ID:o2");
  EXPECT_EQ(Outline(), "m1(m2),m3(m4)");
  Add("TAB:Third,TEXT:t,ID:t");
  EXPECT_EQ(Tabs().GetItemCount(), 3);
  EXPECT_EQ(TabText(2), "Third");
  ExpectConsistent();
}

TEST_F(Build, TreeOnlyStyleShowsNoTabPictures) {
  view.PutDisplayStyle(2);
  Add("TEXT:x,ID:x");
  store.SetTabPic(0, 7);
  Open();
  EXPECT_EQ(Tabs().GetItemImage(0), -1);
  EXPECT_EQ(Outline(), "x");
}

TEST_F(Build, ParentsThatAreNotShownPlaceItemsAtTheRoot) {
  Add("TAB:A,TEXT:a,ID:a");
  Add("TAB:B,TEXT:b,ID:b");
  Add("TAB:A,TEXT:c,ID:c,PARENT:b");      // parent in another tab
  Add("TAB:A,TEXT:d,ID:d,PARENT:later");  // parent added after it
  Add("TAB:A,TEXT:e,ID:e,PARENT:a");
  Add("TAB:A,TEXT:later,ID:later");
  Add("TAB:A,TEXT:f,ID:f,PARENT:nobody");
  Show();
  EXPECT_EQ(Outline(), "a(e),c,d,later,f");
  view.RebuildTree(0);
  EXPECT_EQ(Outline(), "a(e),c,d,later,f");  // d stays at the root after every rebuild

  // Level 10 or more is never shown by a rebuild, but a direct insertion shows it.
  ItemOf("e").Level = 10;
  view.RebuildTree(0);
  EXPECT_EQ(Outline(), "a,c,d,later,f");
  Add("TAB:A,TEXT:g,ID:g,PARENT:a");
  ItemOf("g").Level = 25;
  EXPECT_EQ(Outline(), "a(g),c,d,later,f");
  ExpectConsistent();
}

TEST_F(Build, NodeAttributesComeFromTheItem) {
  Add("TAB:A,TEXT:a,ID:a,CPIC:3,OPIC:4,BOLD:1,EXPAND:1,SELECT:1,OVERLAY:2,HASCHILDREN:1");
  Add("TAB:A,TEXT:,ID:b");  // refused: no text
  Add("TAB:A,TEXT:plain,ID:p");
  Show();
  view::NodeItem a = Node("a", view::node::kImage | view::node::kSelectedImage |
                                   view::node::kState | view::node::kChildren);
  EXPECT_EQ(a.image, 3);  // the closed picture also while expanded
  EXPECT_EQ(a.selected_image, 3);
  EXPECT_EQ(a.state & (view::node::kStateBold | view::node::kStateExpanded), 0x30u);
  EXPECT_EQ(a.state & view::node::kStateOverlayMask, 0x200u);
  EXPECT_EQ(a.children, 1);
  view::NodeItem p = Node("p", view::node::kState | view::node::kChildren);
  EXPECT_EQ(p.state & 0x0F30u, 0u);
  EXPECT_EQ(p.children, 0);

  // A refresh re-sends the item's current state.
  model::Item& item = ItemOf("p");
  item.Text = "renamed";
  item.Cpic = 9;
  item.Flags = model::kFlagBold;
  item.OverlayPic = 7;
  view.RefreshItemNode(item);
  view::NodeItem r = Node("p", view::node::kText | view::node::kImage | view::node::kState);
  EXPECT_EQ(r.text, "renamed");
  EXPECT_EQ(r.image, 9);
  EXPECT_EQ(r.state & 0x0F30u, 0x710u);
  item.Flags = 0;
  item.OverlayPic = 0;
  view.RefreshItemNode(item);
  EXPECT_EQ(Node("p", view::node::kState).state & 0x0F30u, 0u);
}

TEST_F(Build, RebuildReselectsTheRememberedItem) {
  Add("TAB:A,TEXT:x,ID:x");
  Add("TAB:A,TEXT:y,ID:y,SELECT:1");
  Add("TAB:A,TEXT:z,ID:z,SELECT:1");
  Add("TAB:B,TEXT:b,ID:b");
  Show();
  EXPECT_EQ(view.GetSelectedItem(), "z");  // the later one wins
  EXPECT_EQ(ItemOf("y").Flags & model::kFlagSelect, 0u);
  EXPECT_NE(ItemOf("z").Flags & model::kFlagSelect, 0u);

  host.Take();
  view.RebuildTree(1);  // clearing under Rebuilding reports nothing
  EXPECT_EQ(view.GetSelectedItem(), "");
  EXPECT_EQ(host.Take(), std::vector<std::string>{});
  EXPECT_NE(ItemOf("z").Flags & model::kFlagSelect, 0u);  // survives the clearing

  view.RebuildTree(0);  // shown again: z is selected again, by program, with its events
  EXPECT_EQ(view.GetSelectedItem(), "z");
  EXPECT_EQ(host.Take(), (std::vector<std::string>{"SelChanging(z)", "SelChanged(>z/0)"}));
  EXPECT_FALSE(view.Rebuilding());
  ExpectConsistent();

  store.GetOrCreateTab("Empty");  // a tab without items: an empty tree, nothing selected
  view.RebuildTree(2);
  EXPECT_EQ(Tree().GetCount(), 0);
  EXPECT_EQ(view.GetSelectedItem(), "");
  EXPECT_EQ(Tabs().GetCurSel(), 2);
}

TEST_F(Build, SortingModes) {
  Add("TAB:A,TEXT:beta,ID:b");
  Add("TAB:A,TEXT:alpha,ID:a");
  Add("TAB:A,TEXT:gamma,ID:g");
  Add("TAB:A,TEXT:kid2,ID:k2,PARENT:g");
  Add("TAB:A,TEXT:kid1,ID:k1,PARENT:g");
  Show();
  EXPECT_EQ(Outline(), "b,a,g(k2,k1)");
  view.PutSorted(1);
  EXPECT_EQ(Outline(), "a,b,g(k1,k2)");

  // Mode 2: the injected comparison reorders the new node's siblings after each insert.
  std::vector<std::string> compared;
  std::int32_t pointer_during = -1;
  int wait_cursor_during = 0;
  view.SetCompareFunction([&](std::int64_t s1, std::int64_t s2) {
    const std::string a(store.FindItemPtr(static_cast<model::Seq>(s1))->ID());
    const std::string b(store.FindItemPtr(static_cast<model::Seq>(s2))->ID());
    compared.push_back(a + b);
    pointer_during = view.GetMousePointer();
    wait_cursor_during = desktop.CursorIdc(desktop.GetCursor());
    return b.compare(a);  // descending IDs
  });
  view.PutMousePointer(3);
  view.PutSorted(2);
  EXPECT_EQ(Outline(), "g(k2,k1),b,a");
  EXPECT_FALSE(compared.empty());
  EXPECT_EQ(pointer_during, 11);  // the hourglass for the whole rebuild
  EXPECT_EQ(wait_cursor_during, view::idc::kWait);
  EXPECT_EQ(view.GetMousePointer(), 3);
  compared.clear();
  Add("TAB:A,TEXT:zulu,ID:z");  // a direct insertion sorts too
  EXPECT_EQ(Outline(), "z,g(k2,k1),b,a");
  EXPECT_FALSE(compared.empty());
  ExpectConsistent();
}

TEST_F(Build, BusyDepthReturnsToZeroAndTheCursorComesBack) {
  Add("TAB:A,TEXT:a,ID:a");
  desktop.SetCursor(desktop.LoadSystemCursor(view::idc::kIbeam));
  Show();
  EXPECT_EQ(view.BusyDepth(), 0);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kIbeam);

  view.AdjustBusy(+1);
  view.AdjustBusy(+1);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kWait);
  view.AdjustBusy(-1);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kWait);
  view.AdjustBusy(-1);
  EXPECT_EQ(view.BusyDepth(), 0);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kIbeam);

  // An unmatched lowering (an END record does one) neither goes below 0 nor blanks the
  // cursor, and the next busy section still restores the right one.
  view.AdjustBusy(-1);
  EXPECT_EQ(view.BusyDepth(), 0);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kIbeam);
  model::AddItemList(store, "TAB:A,TEXT:b,ID:b\nEND\nTAB:A,TEXT:c,ID:c");
  EXPECT_EQ(view.BusyDepth(), 0);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kIbeam);
  view.DeleteItem("a");
  view.DeleteTab("nothing");
  view.ExpandAll(1, "");
  EXPECT_EQ(view.BusyDepth(), 0);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kIbeam);
}

// Changes of many nodes are drawn once: each runs inside the tree's bulk bracket, which
// is closed again on every path, also when host code re-enters or a record is refused.
TEST_F(Build, ManyNodeChangesRunInsideABalancedBulkBracket) {
  Add("TAB:A,TEXT:r,ID:r");
  Add("TAB:A,TEXT:c1,ID:c1,PARENT:r");
  Add("TAB:A,TEXT:c2,ID:c2,PARENT:r");
  Add("TAB:B,TEXT:b,ID:b");
  Show();
  std::vector<std::string> outside;  // node reports that arrived with the bracket closed
  bool delete_all_from_report = false;
  host.react = [&](const std::string& what, const std::string& id) {
    if ((what == "Deleted" || what == "Opened") && Tree().BulkDepth() == 0) {
      outside.push_back(what + "(" + id + ")");
    }
    if (what == "Deleted" && delete_all_from_report) view.DeleteAll();
  };
  int compares = 0;
  const std::vector<std::pair<std::string, std::function<void()>>> steps = {
      {"list into the shown tab with a refused record",
       [&] {
         model::AddItemList(
             store, "TAB:A,TEXT:n1,ID:n1\nTAB:A,ID:untitled\nTAB:A,TEXT:n2,ID:n2,PARENT:n1");
       }},
      {"expand all", [&] { view.ExpandAll(1, ""); }},
      {"sorted 2",
       [&] {
         view.SetCompareFunction([](std::int64_t a, std::int64_t b) { return a < b ? 1 : -1; });
         view.PutSorted(2);
       }},
      {"tab switch", [&] { view.PutSelectedTab("B"); }},
      {"delete the shown tab", [&] { view.DeleteTab("B"); }},
      {"delete an item whose report deletes everything",
       [&] {
         delete_all_from_report = true;
         view.DeleteItem("r");
         delete_all_from_report = false;
       }},
      {"list whose sort deletes everything",
       [&] {
         view.SetCompareFunction([&](std::int64_t, std::int64_t) {
           if (++compares == 1) view.DeleteAll();
           return 0;
         });
         model::AddItemList(store, "TAB:A,TEXT:x,ID:x\nTAB:A,TEXT:y,ID:y\nTAB:A,TEXT:z,ID:z");
       }},
      {"delete all", [&] { view.DeleteAll(); }},
  };
  for (const auto& [name, step] : steps) {
    SCOPED_TRACE(name);
    const int opened = Tree().BulkCount();
    step();
    EXPECT_GT(Tree().BulkCount(), opened);
    EXPECT_EQ(Tree().BulkDepth(), 0);
    ExpectConsistent();
  }
  EXPECT_EQ(outside, std::vector<std::string>{});
  EXPECT_EQ(compares, 1);

  // A list for a tab that is not shown changes no node and costs the tree no repaint.
  Add("TAB:A,TEXT:a,ID:a");
  const int opened = Tree().BulkCount();
  model::AddItemList(store, "TAB:Other,TEXT:o1,ID:o1\nTAB:Other,TEXT:o2,ID:o2");
  EXPECT_EQ(Tree().BulkCount(), opened);
}

// The wait cursor goes up once per outermost busy section, not once per node: every
// change of the cursor is a round trip to the window system.
TEST_F(Build, BusySectionsSetTheCursorOncePerSectionNotPerNode) {
  Add("TAB:A,TEXT:a,ID:a");
  Add("TAB:B,TEXT:b,ID:b");
  desktop.SetCursor(desktop.LoadSystemCursor(view::idc::kIbeam));
  Show();
  std::string list;
  for (int i = 0; i < 50; ++i) list += "TAB:A,TEXT:x,ID:x" + std::to_string(i) + "\n";
  int before = desktop.SetCursorCount();
  model::AddItemList(store, list);
  EXPECT_EQ(desktop.SetCursorCount() - before, 2);  // up, and back
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kIbeam);
  before = desktop.SetCursorCount();
  view.PutSelectedTab("B");
  view.PutSelectedTab("A");
  EXPECT_EQ(desktop.SetCursorCount() - before, 4);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kIbeam);
  ExpectConsistent();
}

TEST_F(Build, BusySectionWithoutAWaitCursorLeavesTheCursorAlone) {
  desktop.FailCursor(view::idc::kWait);
  desktop.SetCursor(desktop.LoadSystemCursor(view::idc::kIbeam));
  Add("TAB:A,TEXT:a,ID:a");
  Show();
  view.AdjustBusy(+1);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kIbeam);
  view.AdjustBusy(-1);
  EXPECT_EQ(desktop.CursorIdc(desktop.GetCursor()), view::idc::kIbeam);
}

TEST_F(Build, FocusFollowsDisplayStyle) {
  Show();
  view.SetFocus();
  EXPECT_EQ(dialog->FocusedId(), SimDialog::kTreeId);
  view.PutDisplayStyle(1);
  view.SetFocus();
  EXPECT_EQ(dialog->FocusedId(), SimDialog::kTabStripId);
}

TEST_F(Build, MissingViews) {
  Add("TAB:A,TEXT:a,ID:a,SELECT:1");
  // No tab strip: nothing is set up, layout does nothing, the model keeps working.
  SimDialog bare(desktop, view::sim::DialogOptions{false, true});
  view.OpenWindow(&bare, &desktop);
  EXPECT_EQ(view.GetReadyState(), 0);
  EXPECT_EQ(bare.Tree()->GetCount(), 0);
  view.LayoutView();
  Add("TAB:A,TEXT:b,ID:b");
  EXPECT_EQ(store.ItemCount(), 2);
  view.CloseWindow();

  // No tree: the strip works, and node requests go nowhere.
  SimDialog tabs_only(desktop, view::sim::DialogOptions{true, false});
  view.OpenWindow(&tabs_only, &desktop);
  EXPECT_EQ(view.GetReadyState(), 1);
  EXPECT_EQ(tabs_only.Tabs()->GetItemCount(), 1);
  view.Refresh();
  Add("TAB:A,TEXT:c,ID:c");
  view.DeleteItem("a");
  view.ExpandAll(1, "");
  EXPECT_EQ(view.GetSelectedItem(), "");
  EXPECT_EQ(store.ItemCount(), 2);
  EXPECT_EQ(view.BusyDepth(), 0);
  view.CloseWindow();
}

TEST_F(Build, WindowMadeAgainIsFilledAgain) {
  Add("TAB:A,TEXT:a,ID:a");
  Add("TAB:B,TEXT:b,ID:b");
  Show();
  view.CloseWindow();
  EXPECT_EQ(store.FindItemById("a")->TreeNode, view::kNoNode);
  Add("TAB:C,TEXT:c,ID:c");  // while there is no window
  Add("TAB:A,TEXT:a2,ID:a2");
  auto second = std::make_unique<SimDialog>(desktop);
  second->Tree()->SetListener(&host);
  view.OpenWindow(second.get(), &desktop);
  dialog = std::move(second);
  EXPECT_EQ(Tabs().GetItemCount(), 3);
  EXPECT_EQ(Outline(), "a,a2");
  ExpectConsistent();

  // Another dialog opened without closing this one replaces it.
  auto third = std::make_unique<SimDialog>(desktop);
  third->Tree()->SetListener(&host);
  view.OpenWindow(third.get(), &desktop);
  dialog = std::move(third);
  EXPECT_EQ(Tabs().GetItemCount(), 3);
  EXPECT_EQ(Outline(), "a,a2");
  ExpectConsistent();
}

}  // namespace
}  // namespace view_test
