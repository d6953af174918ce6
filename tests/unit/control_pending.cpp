// The windowless members: stored control properties and their read-back rules, deletion
// of items and tabs, and marking with its walk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"

using control::TabbedList;

namespace {

std::vector<std::string> Marked(TabbedList& list) {
  std::vector<std::string> ids;
  for (std::string id = list.GetFirstSelectedItem(); !id.empty(); id = list.GetNextSelectedItem()) {
    ids.push_back(id);
  }
  return ids;
}

using Ids = std::vector<std::string>;

TEST(ControlPending, InitialValuesAndReadBackRules) {
  TabbedList list;
  EXPECT_EQ(list.GetEnabled(), -1);
  EXPECT_EQ(list.GetTabStop(), -1);
  EXPECT_EQ(list.GetMousePointer(), 0);
  EXPECT_EQ(list.GetTabRows(), 1);
  EXPECT_EQ(list.GetMinTabWidth(), -1);
  EXPECT_EQ(list.GetDisplayStyle(), 0);
  EXPECT_EQ(list.GetTabStyle(), 4);
  EXPECT_EQ(list.GetTreeStyle(), 0);
  EXPECT_EQ(list.GetSorted(), 0);
  EXPECT_EQ(list.GetHilightSelectedTab(), 0);
  EXPECT_EQ(list.GetEnableToolTips(), 0);
  EXPECT_EQ(list.GetToolTipText(), "");
  EXPECT_EQ(list.GetToolTipDelay(), 4000);
  EXPECT_EQ(list.GetSortCompare(), 0);
  EXPECT_EQ(list.GetReadyState(), 0);
  EXPECT_EQ(list.GetSelectedTab(), "");
  EXPECT_EQ(list.GetSelectedItem(), "");
  EXPECT_EQ(list.GetFirstVisibleItem(), "");

  list.PutEnabled(5);
  list.PutTabStop(1);
  EXPECT_EQ(list.GetEnabled(), -1);
  EXPECT_EQ(list.GetTabStop(), -1);
  list.PutEnabled(0);
  EXPECT_EQ(list.GetEnabled(), 0);
  list.PutHilightSelectedTab(1);  // read back as written
  list.PutEnableToolTips(-1);
  EXPECT_EQ(list.GetHilightSelectedTab(), 1);
  EXPECT_EQ(list.GetEnableToolTips(), -1);
  list.PutMousePointer(123);
  list.PutToolTipDelay(-7);
  list.PutToolTipText(std::string("t\0ip", 4));
  list.PutDisplayStyle(9);
  EXPECT_EQ(list.GetMousePointer(), 123);
  EXPECT_EQ(list.GetToolTipDelay(), -7);
  EXPECT_EQ(list.GetToolTipText(), std::string("t\0ip", 4));
  EXPECT_EQ(list.GetDisplayStyle(), 9);
  EXPECT_EQ(list.GetEventKeyState(-1), 0);
  EXPECT_EQ(list.GetEventKeyState(256), 0);
  list.Impl().key_state_snapshot[0x10] = 0x80;
  EXPECT_EQ(list.GetEventKeyState(0x10), 1);
  EXPECT_EQ(list.Refresh(), control::kOk);
  EXPECT_EQ(list.SetFocus(), control::kOk);
}

TEST(ControlPending, TabStyleAdjustments) {
  TabbedList list;
  list.PutTabStyle(5);  // justified and scrolling
  EXPECT_EQ(list.GetTabStyle(), 4);
  list.PutTabStyle(6);  // vertical and scrolling
  EXPECT_EQ(list.GetTabStyle(), 2);
  list.PutTabStyle(4);
  list.PutTabRows(2);
  EXPECT_EQ(list.GetTabStyle(), 1);
  list.PutTabStyle(7);  // several rows: no scrolling
  EXPECT_EQ(list.GetTabStyle(), 3);
  list.PutTabRows(1);
  list.PutTabStyle(56);
  EXPECT_EQ(list.GetTabStyle(), 56);
}

TEST(ControlPending, DeletionDoesTheStorePart) {
  TabbedList list;
  list.AddItemList(
      "TAB:T1,TEXT:x,ID:a\nTAB:T2,TEXT:x,ID:b,PARENT:a\nTAB:T1,TEXT:x,ID:c\n"
      "TAB:T3,TEXT:x,ID:d");
  list.DeleteItem("a");
  EXPECT_EQ(list.GetItemExists("b"), 0);
  EXPECT_EQ(list.GetItemCount(), 2);
  list.DeleteTab("T2");
  EXPECT_EQ(list.GetTabCount(), 2);
  EXPECT_EQ(list.GetTab("d"), "T3");
  list.DeleteChildren("");
  EXPECT_EQ(list.GetItemCount(), 0);
  list.DeleteAll();
  list.AddItem("TAB:New,TEXT:x");
  EXPECT_EQ(list.GetItemExists("ID0"), 1);
  EXPECT_EQ(list.GetTabCount(), 1);
}

TEST(ControlPending, ItemStatePutsWithoutViews) {
  TabbedList list;
  list.AddItem("TAB:T,TEXT:x,ID:a");
  EXPECT_EQ(list.PutSelect("a", 3), control::kOk);
  EXPECT_EQ(list.GetSelect("a"), 1);
  EXPECT_EQ(list.PutSelect("a", 0), control::kOk);
  EXPECT_EQ(list.GetSelect("a"), 0);
  EXPECT_EQ(list.PutSelect("nobody", 1), control::kOk);
  list.PutExpand("a", 1);
  EXPECT_EQ(list.GetExpand("a"), 1);
  list.ExpandAll(0, "a");
  EXPECT_EQ(list.GetExpand("a"), 0);
  list.PutHasChildren("a", 9);
  EXPECT_EQ(list.GetHasChildren("a"), 0);  // no loaded children without a tree
  EXPECT_EQ(list.GetItemString("a"), "TAB:T,TEXT:x,ID:a,ENABLE:1,HASCHILDREN:1");
}

TEST(ControlPending, MarkingCascadesAndWalksOnTheSharedCursor) {
  TabbedList list;
  list.AddItemList(
      "TAB:T,TEXT:x,ID:r\nTAB:T,TEXT:x,ID:p,PARENT:r\nTAB:T,TEXT:x,ID:c1,PARENT:p\n"
      "TAB:T,TEXT:x,ID:c2,PARENT:p\nTAB:T,TEXT:x,ID:g,PARENT:c1\nTAB:U,TEXT:x,ID:o");
  list.SelectMultiple("c2", -1, 0);
  EXPECT_EQ(Marked(list), (Ids{"c2"}));
  list.SelectMultiple("c1", -1, -1);  // down to g, up to the root
  EXPECT_EQ(Marked(list), (Ids{"r", "p", "c1", "c2", "g"}));
  list.SelectMultiple("c1", 0, -1);  // c2 is still marked: p and r stay
  EXPECT_EQ(Marked(list), (Ids{"r", "p", "c2"}));
  list.SelectMultiple("c2", 0, -1);
  EXPECT_EQ(Marked(list), Ids{});

  list.PutOverlayPic("g", 1);  // not markable by MarkItem
  list.PutOverlayPic("o", 5);
  list.SelectMultiple("g", -1, 0);
  EXPECT_EQ(list.GetOverlayPic("g"), 1);
  list.SelectMultiple("o", 0, 0);
  EXPECT_EQ(list.GetOverlayPic("o"), 5);
  list.SelectMultiple("g", -1, -1);  // the ancestor walk overwrites 1
  EXPECT_EQ(list.GetOverlayPic("g"), 2);

  // The marked walk and the item walk move the same cursor.
  EXPECT_EQ(list.GetFirstSelectedItem(), "r");
  EXPECT_EQ(list.GetNextItem(), "p");
  list.SelectMultiple("", 0, 0);  // everything, other overlays too
  EXPECT_EQ(list.GetOverlayPic("o"), 0);
  EXPECT_EQ(list.GetFirstSelectedItem(), "");
  EXPECT_EQ(list.GetNextSelectedItem(), "");
  list.SelectMultiple("", -1, 0);
  EXPECT_EQ(Marked(list).size(), 6u);
}

TEST(ControlPending, MarkingEndsOnParentLoops) {
  TabbedList list;
  list.AddItemList("TAB:T,TEXT:x,ID:a\nTAB:T,TEXT:x,ID:b,PARENT:a\nTAB:T,TEXT:x,ID:s");
  list.PutParent("a", "b");
  list.PutParent("s", "s");
  list.SelectMultiple("a", -1, -1);
  EXPECT_EQ(Marked(list), (Ids{"a", "b"}));
  list.SelectMultiple("s", -1, -1);
  list.SelectMultiple("b", 0, -1);
  EXPECT_EQ(Marked(list), (Ids{"s"}));
  list.DeleteChildren("s");  // the parent stays, also as its own child
  list.DeleteItem("a");
  EXPECT_EQ(list.GetItemCount(), 1);
  list.DeleteItem("s");
  EXPECT_EQ(list.GetItemCount(), 0);
}

}  // namespace
