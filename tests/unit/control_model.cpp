// The facade's item members: counts, the record members, the walks' return codes and the
// per-item properties with the view requests they make.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"
#include "support/recording_views.h"

using control::TabbedList;

namespace {

class ControlModel : public ::testing::Test {
 protected:
  // Views that exist, listen and are up to date, as after the window was created.
  void AttachViews() {
    list_.Impl().store.SetViews(&views_);
    list_.Impl().store.SetViewReady(true);
    list_.Impl().store.SetRebuildPending(false);
  }

  TabbedList list_;
  testing_support::RecordingViews views_;
};

TEST_F(ControlModel, NewControlCounts) {
  EXPECT_EQ(list_.GetItemCount(), 0);
  EXPECT_EQ(list_.GetTabCount(), 0);
  EXPECT_EQ(list_.GetDelimiter(), 44);
  EXPECT_EQ(list_.GetPictureCount(), 55);
  EXPECT_EQ(list_.GetOverlayPictureCount(), 8);
  EXPECT_EQ(list_.GetItemString("x"), "");
}

TEST_F(ControlModel, RecordMembersAndPersistedList) {
  list_.PutCL0("TAB:Main,TEXT:First,ID:a");
  list_.PutCL(7, "TAB:Main,TEXT:Second,ID:b");
  list_.PutCL(7, "TAB:Main,TEXT:Third,ID:c");  // the index replaces nothing
  list_.AddItemList("TAB:Side,TEXT:d,ID:d\r\nTAB:Side,TEXT:e,ID:e");
  list_.AddItem("TAB:Side,TEXT:f");
  EXPECT_EQ(list_.GetItemCount(), 6);
  EXPECT_EQ(list_.GetTabCount(), 2);
  EXPECT_EQ(list_.GetCL0(), "");
  EXPECT_EQ(list_.GetCL(7), "");
  EXPECT_EQ(list_.GetCL(-1), "");
  EXPECT_EQ(list_.GetFirstItem(), "a");
  EXPECT_EQ(list_.GetNextItem(), "b");
  EXPECT_EQ(list_.GetItemExists("ID5"), 1);
  EXPECT_EQ(list_.GetItemExists("id5"), 0);
  EXPECT_EQ(list_.GetTabExists("Side"), 1);
  EXPECT_EQ(list_.GetTabExists("side"), 0);
  list_.PutDelimiter(-1);  // stored unchecked; 0xFF separates
  EXPECT_EQ(list_.GetDelimiter(), -1);
  list_.AddItem("TAB:Main\xffTEXT:g,h\xffID:g");
  EXPECT_EQ(list_.GetText("g"), "g,h");
}

TEST_F(ControlModel, ChildWalkAnswersTheSeqAsReturnCode) {
  list_.AddItem("TAB:T,TEXT:x,ID:p");
  list_.AddItem("TAB:T,TEXT:x,ID:c1,PARENT:p");
  list_.AddItem("TAB:T,TEXT:x,ID:c2,PARENT:p");
  control::TextResult first = list_.GetFirstChild("p");
  EXPECT_EQ(first.text, "c1");
  EXPECT_EQ(first.code, 1);
  control::TextResult next = list_.GetNextChild("c1");
  EXPECT_EQ(next.text, "c2");
  EXPECT_EQ(next.code, 2);
  EXPECT_EQ(list_.GetNextChild("c2").code, control::kOk);
  EXPECT_EQ(list_.GetNextChild("c2").text, "");
  control::TextResult top = list_.GetFirstChild("");
  EXPECT_EQ(top.text, "p");
  EXPECT_EQ(top.code, 0);  // Seq 0 is S_OK as well
  EXPECT_EQ(list_.GetFirstChild("c1").code, control::kOk);
}

TEST_F(ControlModel, PropertiesReadAndWriteTheEarliestItem) {
  list_.AddItem("TAB:T,TEXT:first,ID:x");
  list_.AddItem("TAB:T,TEXT:second,ID:x");
  list_.PutText("x", "changed");
  list_.PutTag("x", "tag");
  list_.PutHref("x", "NONE");  // the NONE rule belongs to records
  list_.PutFrame("x", "fr");
  EXPECT_EQ(list_.GetText("x"), "changed");
  EXPECT_EQ(list_.GetTag("x"), "tag");
  EXPECT_EQ(list_.GetHref("x"), "NONE");
  EXPECT_EQ(list_.GetFrame("x"), "fr");
  list_.DeleteItem("x");
  EXPECT_EQ(list_.GetText("x"), "second");
  EXPECT_EQ(list_.GetTag("x"), "");

  EXPECT_EQ(list_.GetText("nobody"), "");
  list_.PutText("nobody", "y");
  EXPECT_EQ(list_.GetItemCount(), 1);
  EXPECT_EQ(list_.GetItemExists("nobody"), 0);
}

TEST_F(ControlModel, NumberPropertiesAreUnboundedAndFlagsReadAsBits) {
  list_.AddItem("TAB:T,TEXT:a,ID:a,SELECT:1,EXPAND:1");
  EXPECT_EQ(list_.GetSelect("a"), 1);
  EXPECT_EQ(list_.GetExpand("a"), 1);
  EXPECT_EQ(list_.GetBold("a"), 0);
  list_.PutBold("a", 5);
  EXPECT_EQ(list_.GetBold("a"), 1);
  list_.PutBold("a", 0);
  EXPECT_EQ(list_.GetBold("a"), 0);
  EXPECT_EQ(list_.GetSelect("a"), 1);  // other bits untouched
  list_.PutOpic("a", 7);
  list_.PutCpic("a", 2);
  EXPECT_EQ(list_.GetPic("a"), 2);
  list_.PutPic("a", 70);
  EXPECT_EQ(list_.GetOpic("a"), 70);
  EXPECT_EQ(list_.GetCpic("a"), 70);
  list_.PutLevel("a", 25);
  EXPECT_EQ(list_.GetLevel("a"), 25);
  list_.PutOverlayPic("a", 12);
  EXPECT_EQ(list_.GetOverlayPic("a"), 12);
  EXPECT_EQ(list_.GetItemEnabled("a"), 1);
  list_.PutItemEnabled("a", 0);
  EXPECT_EQ(list_.GetItemEnabled("a"), 0);
  list_.PutItemEnabled("a", -1);
  EXPECT_EQ(list_.GetItemEnabled("a"), 1);
  EXPECT_EQ(list_.GetLevel("nobody"), 0);
}

TEST_F(ControlModel, ParentAndTabPutsMoveOnlyTheStore) {
  list_.AddItem("TAB:T,TEXT:a,ID:a");
  list_.AddItem("TAB:T,TEXT:b,ID:b");
  list_.PutParent("b", "a");
  EXPECT_EQ(list_.GetParent("b"), "a");
  EXPECT_EQ(list_.GetLevel("b"), 0);  // Level is not derived again
  EXPECT_EQ(list_.GetFirstChild("a").text, "b");
  list_.PutTab("b", "New");
  EXPECT_EQ(list_.GetTabCount(), 2);
  EXPECT_EQ(list_.GetTab("b"), "New");
  EXPECT_EQ(list_.GetItemString("b"), "PARENT:a,TAB:New,TEXT:b,ID:b,ENABLE:1");
  list_.PutTab("nobody", "Ghost");  // no item: no tab either
  EXPECT_EQ(list_.GetTabExists("Ghost"), 0);
  EXPECT_EQ(list_.GetTab("nobody"), "");
  EXPECT_EQ(list_.Impl().store.CheckInvariants(), "");
}

TEST_F(ControlModel, PutsAskTheViewsToRefreshOnceTheyExist) {
  list_.AddItem("TAB:T,TEXT:a,ID:a");
  list_.Impl().store.SetViews(&views_);
  list_.PutText("a", "before the window");
  EXPECT_TRUE(views_.log.empty());
  AttachViews();
  list_.PutText("a", "x");
  list_.PutBold("a", 1);
  list_.PutParent("a", "");
  list_.PutTab("a", "U");
  list_.PutText("nobody", "x");
  list_.PutTabPic("T", 0);  // shown whatever the value
  list_.PutTabPic("nobody", 3);
  list_.PutDisplayStyle(2);
  list_.PutTabPic("U", 60);
  const std::vector<std::string> expected = {"refresh a", "refresh a",  "refresh a",  "tab 1 U",
                                             "refresh a", "tabpic 0 0", "tabpic 1 60"};
  EXPECT_EQ(views_.log, expected);
  EXPECT_EQ(list_.GetTabPic("U"), 60);
  EXPECT_EQ(list_.GetTabPic("nobody"), 0);
}

}  // namespace
