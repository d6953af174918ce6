// The item walk on the shared cursor, including what it does after removals, and the
// child walks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/iterators.h"
#include "model/record.h"
#include "model/store.h"

using model::Store;

namespace {

void Add(Store& store, const std::string& tab, const std::string& id,
         const std::string& parent = "") {
  std::string record = "TAB:" + tab + ",TEXT:t,ID:" + id;
  if (!parent.empty()) record += ",PARENT:" + parent;
  model::AddItem(store, record);
}

std::vector<std::string> WalkFrom(Store& store, bool first) {
  std::vector<std::string> ids;
  std::string id = first ? model::GetFirstItem(store) : model::GetNextItem(store);
  while (!id.empty()) {
    ids.push_back(id);
    id = model::GetNextItem(store);
  }
  return ids;
}

using Ids = std::vector<std::string>;

TEST(ItemWalk, VisitsAllTabsInCreationOrderAndStaysAtTheEnd) {
  Store store;
  EXPECT_EQ(model::GetFirstItem(store), "");
  EXPECT_EQ(model::GetNextItem(store), "");
  Add(store, "T1", "a");
  Add(store, "T2", "b");
  Add(store, "T1", "c");
  EXPECT_EQ(model::GetNextItem(store), "");  // no walk started yet
  EXPECT_EQ(WalkFrom(store, true), (Ids{"a", "b", "c"}));
  EXPECT_EQ(model::GetNextItem(store), "");
  Add(store, "T1", "d");  // the walk has ended: not visited
  EXPECT_EQ(model::GetNextItem(store), "");
  EXPECT_EQ(model::GetFirstItem(store), "a");
  Add(store, "T1", "e");  // added during a walk: visited later in it
  EXPECT_EQ(WalkFrom(store, false), (Ids{"b", "c", "d", "e"}));
}

TEST(ItemWalk, CursorSurvivesRemovals) {
  Store store;
  for (const char* id : {"a", "b", "c", "d", "e"}) Add(store, "T", id);
  Add(store, "U", "u");
  EXPECT_EQ(model::GetFirstItem(store), "a");
  EXPECT_EQ(model::GetNextItem(store), "b");
  store.RemoveItem("b");  // the item under the cursor
  EXPECT_EQ(model::GetNextItem(store), "c");
  store.RemoveItem("c");
  store.RemoveItem("d");  // the item under the cursor and the one after it
  EXPECT_EQ(model::GetNextItem(store), "e");
  store.RemoveTab("U");
  EXPECT_EQ(model::GetNextItem(store), "");

  EXPECT_EQ(model::GetFirstItem(store), "a");
  store.RemoveAll();
  Add(store, "T", "x");  // Seq 0 again: the old position must not pick it up
  EXPECT_EQ(model::GetNextItem(store), "");
  EXPECT_EQ(model::GetFirstItem(store), "x");
}

TEST(ChildWalk, SiblingsInCreationOrderAcrossTabs) {
  Store store;
  Add(store, "T", "p");
  Add(store, "T", "x", "p");
  Add(store, "T", "other");
  Add(store, "U", "y", "p");  // another tab
  Add(store, "T", "o2", "other");
  Add(store, "T", "z", "p");
  model::ChildAnswer first = model::GetFirstChild(store, "p");
  EXPECT_EQ(first.id, "x");
  EXPECT_EQ(first.seq, 1);
  EXPECT_EQ(model::GetNextChild(store, "x").id, "y");
  EXPECT_EQ(model::GetNextChild(store, "y").id, "z");
  EXPECT_EQ(model::GetNextChild(store, "y").seq, 5);
  model::ChildAnswer none = model::GetNextChild(store, "z");
  EXPECT_EQ(none.id, "");
  EXPECT_EQ(none.seq, model::kNoSeq);
  EXPECT_EQ(model::GetFirstChild(store, "x").seq, model::kNoSeq);
  EXPECT_EQ(model::GetNextChild(store, "nobody").id, "");
  // Top level: found as a child of "", but without next siblings.
  EXPECT_EQ(model::GetFirstChild(store, "").id, "p");
  EXPECT_EQ(model::GetNextChild(store, "p").id, "");
}

TEST(ChildWalk, DuplicateIdsStartAtTheFirstOneWithAParent) {
  Store store;
  Add(store, "T", "p");
  Add(store, "T", "k");       // top level, ID k
  Add(store, "T", "k", "p");  // same ID, child of p
  Add(store, "T", "k2", "p");
  Add(store, "T", "k", "p");  // a later duplicate is not where the walk starts
  EXPECT_EQ(model::GetNextChild(store, "k").id, "k2");
  EXPECT_EQ(model::GetNextChild(store, "k2").id, "k");
  EXPECT_EQ(model::GetNextChild(store, "k2").seq, 4);
}

}  // namespace
