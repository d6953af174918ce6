// Multiple selection: marks as OverlayPic 2, cascading down and up, and the walk over
// marked items on the shared item cursor.
#include "model/iterators.h"
#include "tests/unit/view_fixture.h"

namespace view_test {
namespace {

using Ids = std::vector<std::string>;

class Marks : public ViewFixture {
 protected:
  // root -> p -> {a -> a1, b}; q is another root; t sits in another tab under p.
  void Family() {
    Add("TAB:A,TEXT:root,ID:root");
    Add("TAB:A,TEXT:p,ID:p,PARENT:root");
    Add("TAB:A,TEXT:a,ID:a,PARENT:p");
    Add("TAB:A,TEXT:a1,ID:a1,PARENT:a");
    Add("TAB:A,TEXT:b,ID:b,PARENT:p");
    Add("TAB:A,TEXT:q,ID:q");
    Add("TAB:B,TEXT:t,ID:t,PARENT:p");
    Show();
  }
  std::int32_t Overlay(const std::string& id) { return ItemOf(id).OverlayPic; }
  Ids Marked() {
    Ids ids;
    for (std::string id = view.GetFirstSelectedItem(); !id.empty();
         id = view.GetNextSelectedItem()) {
      ids.push_back(id);
    }
    return ids;
  }
  std::uint32_t NodeOverlay(const std::string& id) {
    view::NodeItem n;
    n.mask = view::node::kState;
    n.state_mask = view::node::kStateOverlayMask;
    EXPECT_TRUE(Tree().GetItem(NodeOf(id), n));
    return n.state >> 8;
  }
};

TEST_F(Marks, SingleMarkAndWalk) {
  Family();
  EXPECT_EQ(view.GetFirstSelectedItem(), "");
  EXPECT_EQ(view.GetNextSelectedItem(), "");
  view.SelectMultiple("a1", -1, 0);
  EXPECT_EQ(Overlay("a1"), 2);
  EXPECT_EQ(NodeOverlay("a1"), 2u);  // drawn as the checked overlay
  EXPECT_EQ(Overlay("a"), 0);
  EXPECT_EQ(view.GetFirstSelectedItem(), "a1");
  EXPECT_EQ(view.GetNextSelectedItem(), "");
  EXPECT_EQ(view.GetNextSelectedItem(), "");
  view.SelectMultiple("missing", -1, -1);
  EXPECT_EQ(Marked(), Ids{"a1"});
}

TEST_F(Marks, MarkWalkSharesTheItemCursor) {
  Family();
  view.SelectMultiple("a", -1, 0);
  view.SelectMultiple("q", -1, 0);
  EXPECT_EQ(view.GetFirstSelectedItem(), "a");
  EXPECT_EQ(model::GetNextItem(store), "a1");  // the plain walk goes on after the mark
  EXPECT_EQ(view.GetNextSelectedItem(), "q");
  // The marked item under the cursor removed: the walk goes on after it.
  EXPECT_EQ(view.GetFirstSelectedItem(), "a");
  view.DeleteItem("a");
  EXPECT_EQ(view.GetNextSelectedItem(), "q");
}

TEST_F(Marks, OverlayOneIsNotMarkedExceptByTheAncestorWalk) {
  Family();
  ItemOf("b").OverlayPic = 1;
  view.SelectMultiple("b", -1, 0);
  EXPECT_EQ(Overlay("b"), 1);
  ItemOf("a1").OverlayPic = 1;
  view.SelectMultiple("a", -1, -1);  // cascading: descendants with 1 keep it
  EXPECT_EQ(Overlay("a1"), 1);
  EXPECT_EQ(Overlay("a"), 2);
  ItemOf("a").OverlayPic = 1;
  view.SelectMultiple("a", -1, -1);  // the ancestor walk starts at the item itself
  EXPECT_EQ(Overlay("a"), 2);
  EXPECT_EQ(Overlay("p"), 2);
  EXPECT_EQ(Overlay("root"), 2);
  EXPECT_EQ(Overlay("q"), 0);
}

TEST_F(Marks, CascadeMarksDescendantsInEveryTabAndAncestors) {
  Family();
  view.SelectMultiple("p", -1, -1);
  EXPECT_EQ(Marked(), (Ids{"root", "p", "a", "a1", "b", "t"}));
  EXPECT_EQ(NodeOverlay("root"), 2u);
  EXPECT_EQ(NodeOverlay("a1"), 2u);

  // Unmarking climbs only while the item just cleared has no marked sibling.
  view.SelectMultiple("a1", 0, -1);
  EXPECT_EQ(Overlay("a1"), 0);
  EXPECT_EQ(Overlay("a"), 0);  // a1 had no marked sibling
  EXPECT_EQ(Overlay("p"), 2);  // a's sibling b is still marked
  EXPECT_EQ(Overlay("root"), 2);
  view.SelectMultiple("b", 0, -1);
  view.SelectMultiple("t", 0, -1);  // the last marked child of p
  EXPECT_EQ(Overlay("p"), 0);
  EXPECT_EQ(Overlay("root"), 0);
  EXPECT_EQ(NodeOverlay("root"), 0u);
  EXPECT_EQ(Marked(), Ids{});
}

TEST_F(Marks, UnmarkLeavesOtherOverlaysUnlessCascading) {
  Family();
  ItemOf("q").OverlayPic = 5;
  view.SelectMultiple("q", 0, 0);
  EXPECT_EQ(Overlay("q"), 5);
  view.SelectMultiple("q", 0, -1);  // the ancestor walk clears whatever it finds
  EXPECT_EQ(Overlay("q"), 0);
}

TEST_F(Marks, EmptyIdMarksOrClearsEverything) {
  Family();
  ItemOf("q").OverlayPic = 7;
  ItemOf("b").OverlayPic = 1;
  view.SelectMultiple("", -1, 0);
  EXPECT_EQ(Marked().size(), store.Items().size());
  EXPECT_EQ(NodeOverlay("b"), 2u);
  ItemOf("q").OverlayPic = 4;
  view.SelectMultiple("", 0, -1);
  for (const auto& [seq, item] : store.Items()) EXPECT_EQ(item.OverlayPic, 0) << item.ID();
  EXPECT_EQ(NodeOverlay("q"), 0u);
}

TEST_F(Marks, ParentLoopsEndBothWalks) {
  Family();
  store.SetParent(SeqOf("root"), "a1");  // root -> p -> a -> a1 -> root
  store.SetParent(SeqOf("q"), "q");
  view.SelectMultiple("a", -1, -1);
  for (const char* id : {"root", "p", "a", "a1", "b", "t"}) EXPECT_EQ(Overlay(id), 2) << id;
  view.SelectMultiple("q", -1, -1);
  EXPECT_EQ(Overlay("q"), 2);
  view.SelectMultiple("a", 0, -1);
  EXPECT_EQ(Overlay("a"), 0);
  view.SelectMultiple("q", 0, -1);
  EXPECT_EQ(Overlay("q"), 0);
  EXPECT_EQ(view.BusyDepth(), 0);
}

TEST_F(Marks, DuplicateIdsUseTheEarliestItem) {
  Family();
  Add("TAB:A,TEXT:dup,ID:a");  // a second item with ID a, a root
  view.SelectMultiple("a", -1, 0);
  EXPECT_EQ(Marked(), Ids{"a"});
  EXPECT_EQ(store.FindItemPtr(store.NextSeq() - 1)->OverlayPic, 0);
}

}  // namespace
}  // namespace view_test
