// Host code that calls back into the control from inside the tree's reports: deleting the
// reported item, deleting everything, switching tabs, adding items. None of it may leave
// the store and the tree disagreeing, and requests made inside a tree call run, in order,
// once the operation that made the call is over.
#include "tests/unit/view_fixture.h"

namespace view_test {
namespace {

using Log = std::vector<std::string>;

class Reentrancy : public ViewFixture {
 protected:
  void Family() {
    Add("TAB:A,TEXT:r,ID:r");
    Add("TAB:A,TEXT:c1,ID:c1,PARENT:r");
    Add("TAB:A,TEXT:c2,ID:c2,PARENT:r");
    Add("TAB:A,TEXT:s,ID:s,SELECT:1");
    Add("TAB:B,TEXT:b,ID:b,SELECT:1");
    Show();
    host.Take();
  }
};

TEST_F(Reentrancy, DeletedHandlerDeletesTheReportedItem) {
  Family();
  bool seen_inside = false;
  host.react = [&](const std::string& what, const std::string& id) {
    if (what != "Deleted") return;
    view.DeleteItem(id);
    // Queued: inside the report the item is still there.
    seen_inside = store.FindItem(id) != model::kNoSeq;
  };
  view.DeleteItem("r");
  EXPECT_TRUE(seen_inside);
  EXPECT_EQ(host.Take(), (Log{"Deleted(c1)", "Deleted(c2)", "Deleted(r)"}));
  EXPECT_EQ(store.ItemCount(), 2);
  ExpectConsistent();
}

TEST_F(Reentrancy, DeletedHandlerDeletesEverything) {
  Family();
  host.react = [&](const std::string& what, const std::string&) {
    if (what == "Deleted") view.DeleteAll();
  };
  view.DeleteItem("r");
  EXPECT_EQ(store.ItemCount(), 0);
  EXPECT_EQ(Tree().GetCount(), 0);
  EXPECT_EQ(Tabs().GetItemCount(), 0);
  ExpectConsistent();
}

TEST_F(Reentrancy, DeletedHandlerAddsItemsUnderTheDoomedItem) {
  Family();
  host.react = [&](const std::string& what, const std::string& id) {
    if (what == "Deleted" && id == "c1") Add("TAB:A,TEXT:late,ID:late,PARENT:r");
  };
  view.DeleteItem("r");
  // A child of r by the time r's children are walked: it goes with r, and its node,
  // queued behind the deletion, is never made.
  EXPECT_EQ(store.FindItem("late"), model::kNoSeq);
  EXPECT_EQ(Outline(), "s");
  ExpectConsistent();
}

TEST_F(Reentrancy, SelectionHandlerSwitchesTabsDuringARebuild) {
  Family();
  host.react = [&](const std::string& what, const std::string& id) {
    if (what == "SelChanged" && id == ">s/0") view.PutSelectedTab("B");
  };
  view.RebuildTree(0);  // reselects s, whose handler shows B
  EXPECT_EQ(view.GetSelectedTab(), "B");
  EXPECT_EQ(Outline(), "b");
  EXPECT_EQ(view.GetSelectedItem(), "b");
  EXPECT_NE(ItemOf("s").Flags & model::kFlagSelect, 0u);  // A keeps its remembered item
  EXPECT_EQ(view.GetMousePointer(), 0);
  ExpectConsistent();
}

TEST_F(Reentrancy, SelectionHandlerDeletesTheSelectedItem) {
  Family();
  host.react = [&](const std::string& what, const std::string&) {
    if (what == "SelChanged") view.DeleteItem("c2");
  };
  view.PutSelectedItem("c2");
  EXPECT_EQ(store.FindItem("c2"), model::kNoSeq);
  EXPECT_EQ(view.GetSelectedItem(), "r");  // the tree passed the selection to the parent
  ExpectConsistent();
}

TEST_F(Reentrancy, SortHandlerChangesTheTree) {
  Family();
  int compares = 0;
  view.SetCompareFunction([&](std::int64_t a, std::int64_t b) {
    ++compares;
    if (compares == 1) view.DeleteItem("c1");
    if (compares == 2) Add("TAB:A,TEXT:added,ID:added");
    if (compares == 3) view.PutSelectedTab("B");
    if (compares == 4) view.PutSelectedTab("A");
    if (compares == 5) view.ExpandAll(1, "");
    return a < b ? 1 : (a > b ? -1 : 0);
  });
  view.PutSorted(2);
  EXPECT_GE(compares, 5);
  EXPECT_EQ(store.FindItem("c1"), model::kNoSeq);
  EXPECT_NE(store.FindItem("added"), model::kNoSeq);
  EXPECT_EQ(view.GetSelectedTab(), "A");
  ExpectConsistent();
  EXPECT_EQ(view.GetMousePointer(), 0);

  compares = 0;
  view.SetCompareFunction([&](std::int64_t, std::int64_t) {
    if (++compares == 1) view.DeleteAll();
    return 0;
  });
  Add("TAB:A,TEXT:z,ID:z");
  EXPECT_EQ(store.ItemCount(), 0);
  ExpectConsistent();
}

TEST_F(Reentrancy, OpeningHandlerFillsChildrenDuringExpandAll) {
  Add("TAB:A,TEXT:lazy,ID:lazy,HASCHILDREN:1");
  Add("TAB:A,TEXT:other,ID:other,HASCHILDREN:1");
  Show();
  int filled = 0;
  host.react = [&](const std::string& what, const std::string& id) {
    if (what != "Opening" || filled > 20) return;
    ++filled;
    // A child, added at once, inside the expansion; two levels get an expand button.
    const std::size_t depth = id.size() - id.find_last_not_of('k') - 1;
    Add("TAB:A,TEXT:k,ID:" + id + "k,PARENT:" + id + (depth < 1 ? ",HASCHILDREN:1" : ""));
  };
  view.ExpandAll(1, "");
  // The walk went on into the children the handlers added.
  EXPECT_EQ(Outline(), "lazy(lazyk(lazykk)),other(otherk(otherkk))");
  EXPECT_NE(ItemOf("lazyk").Flags & model::kFlagExpand, 0u);
  EXPECT_EQ(ItemOf("lazykk").Flags & model::kFlagExpand, 0u);
  ExpectConsistent();
}

TEST_F(Reentrancy, ExpandHandlerRemovesNodesUnderTheWalk) {
  Family();
  Add("TAB:A,TEXT:g,ID:g,PARENT:c1");
  Add("TAB:A,TEXT:h,ID:h,PARENT:c2");
  host.Take();
  host.react = [&](const std::string& what, const std::string& id) {
    if (what == "Opening" && id == "r") view.DeleteItem("c1");
    if (what == "Opening" && id == "c2") view.DeleteTab("A");
  };
  view.ExpandAll(1, "");
  EXPECT_EQ(store.FindTab("A"), -1);
  EXPECT_EQ(Outline(), "b");
  ExpectConsistent();
}

TEST_F(Reentrancy, QueuedRequestsRunInOrder) {
  Family();
  Log order;
  host.react = [&](const std::string& what, const std::string& id) {
    if (what != "Deleted" || id != "c1") return;
    view.DeleteItem("s");
    view.PutSelectedTab("B");
    Add("TAB:A,TEXT:n,ID:n");  // A is shown until the queue runs: inserted then
    view.PutSelectedTab("A");
  };
  view.SetTabChangedHook([&](const std::string& name) { order.push_back(name); });
  view.DeleteItem("c1");
  EXPECT_EQ(order, (Log{"B", "A"}));
  EXPECT_EQ(Outline(), "r(c2),n");
  ExpectConsistent();
}

TEST_F(Reentrancy, FocusAndLayoutAskedForInsideATreeCallHappenAtOnce) {
  Family();
  const int clears = Tree().DeleteAllCount();
  bool focused = false;
  int width = 0;
  bool rebuilt = false;
  bool asked = false;
  host.react = [&](const std::string& what, const std::string&) {
    if (what != "SelChanged" || asked) return;
    asked = true;
    view.SetFocus();
    focused = dialog->FocusedId() == SimDialog::kTreeId;
    dialog->SetClientSize(300, 300);
    store.SetRebuildPending(true);  // a rebuild is due as well: it waits
    view.Refresh();
    width = Tree().GetPosition().right - Tree().GetPosition().left;
    rebuilt = Tree().DeleteAllCount() != clears;
  };
  view.PutSelectedItem("c1");
  EXPECT_TRUE(focused);
  EXPECT_EQ(width, 300);
  EXPECT_FALSE(rebuilt);
  EXPECT_EQ(Tree().DeleteAllCount(), clears + 1);
  EXPECT_FALSE(store.RebuildPending());
  ExpectConsistent();
}

// The window brackets the tree's reports of a user gesture: restructuring requests made
// inside wait for the window's posted message, insertions go straight in.
TEST_F(Reentrancy, PlatformNotificationQueuesUntilThePostedRun) {
  Family();
  int posts = 0;
  view.SetPostHook([&] { ++posts; });
  view.BeginPlatformNotification();
  view.BeginPlatformNotification();
  view.DeleteItem("c1");
  view.PutSelectedItem("c2");
  view.PutSelectedTab("B");
  Add("TAB:A,TEXT:n,ID:n,PARENT:r");
  EXPECT_EQ(Outline(), "r(c1,c2,n),s");
  view.EndPlatformNotification();
  EXPECT_EQ(posts, 0);
  view.EndPlatformNotification();
  EXPECT_EQ(posts, 1);
  EXPECT_NE(store.FindItem("c1"), model::kNoSeq);
  EXPECT_EQ(view.GetSelectedItem(), "s");
  EXPECT_EQ(host.Take(), Log{});

  view.RunQueued();
  EXPECT_EQ(host.Take(), (Log{"Deleted(c1)", "SelChanging(c2)", "SelChanged(s>c2/0)", "Opening(r)",
                              "Opened(r)", "SelChanging(b)", "SelChanged(>b/0)"}));
  EXPECT_EQ(store.FindItem("c1"), model::kNoSeq);
  EXPECT_EQ(view.GetSelectedTab(), "B");
  EXPECT_EQ(Outline(), "b");
  ExpectConsistent();
  view.RunQueued();
  EXPECT_EQ(posts, 1);

  // A bracket inside an operation's own tree call: the operation's end runs the queue.
  host.react = [&](const std::string& what, const std::string&) {
    if (what != "SelChanged") return;
    view.BeginPlatformNotification();
    view.DeleteItem("b");
    view.EndPlatformNotification();
  };
  view.PutSelectedItem("");
  EXPECT_EQ(store.FindItem("b"), model::kNoSeq);
  EXPECT_EQ(posts, 1);
  host.react = nullptr;

  // Without a post hook the queue runs as the bracket closes.
  view.SetPostHook(nullptr);
  view.BeginPlatformNotification();
  view.PutSelectedTab("A");
  EXPECT_EQ(Outline(), "");
  view.EndPlatformNotification();
  EXPECT_EQ(Outline(), "r(c2,n),s");
  ExpectConsistent();
}

}  // namespace
}  // namespace view_test
