// The store: tabs and their positions, lookups by ID and Parent, removal of items, children,
// tabs and everything, and the indexes that back them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/record.h"
#include "model/store.h"
#include "support/recording_views.h"

using model::Store;

namespace {

void Add(Store& store, const std::string& tab, const std::string& id,
         const std::string& parent = "", const std::string& text = "t") {
  std::string record = "TAB:" + tab + ",TEXT:" + text + ",ID:" + id;
  if (!parent.empty()) record += ",PARENT:" + parent;
  model::AddItem(store, record);
}

std::vector<std::string> Ids(const Store& store) {
  std::vector<std::string> ids;
  for (const auto& [seq, item] : store.Items()) ids.emplace_back(item.ID());
  return ids;
}

using Ids_ = std::vector<std::string>;

TEST(Store, StartsEmpty) {
  Store store;
  EXPECT_EQ(store.ItemCount(), 0);
  EXPECT_EQ(store.TabCount(), 0);
  EXPECT_EQ(store.Delimiter(), 44);
  EXPECT_EQ(store.CurrentTab(), -1);
  EXPECT_EQ(store.ItemCursor(), model::kNoSeq);
  EXPECT_EQ(store.FindItem(""), model::kNoSeq);
  EXPECT_EQ(store.FindFirstChild(""), model::kNoSeq);
  EXPECT_EQ(store.TabNameAt(0), "");
  EXPECT_EQ(store.TabEntryAt(-1), nullptr);
}

TEST(Store, TabsAreExactNamesInCreationPositions) {
  Store store;
  EXPECT_EQ(store.GetOrCreateTab("b"), 0);
  EXPECT_EQ(store.GetOrCreateTab("B"), 1);
  EXPECT_EQ(store.GetOrCreateTab("a"), 2);
  EXPECT_EQ(store.GetOrCreateTab("b"), 0);
  EXPECT_EQ(store.GetOrCreateTab(std::string("b\0", 2)), 3);
  EXPECT_EQ(store.TabCount(), 4);
  EXPECT_EQ(store.NextTabIndex(), 4);
  EXPECT_EQ(store.TabNameAt(2), "a");
  EXPECT_EQ(store.FindTab("B"), 1);
  EXPECT_EQ(store.FindTab("c"), -1);
  // TabMap iterates by name bytes.
  std::vector<std::string> names;
  for (const auto& [name, entry] : store.Tabs()) names.push_back(name);
  EXPECT_EQ(names, (Ids_{"B", "a", "b", std::string("b\0", 2)}));
  EXPECT_EQ(store.CheckInvariants(), "");
}

TEST(Store, LookupsAnswerTheLowestSeq) {
  Store store;
  Add(store, "T", "x");
  Add(store, "T", "X");
  Add(store, "T", "x");
  Add(store, "T", "c1", "x");
  Add(store, "U", "c0", "x");
  EXPECT_EQ(store.FindItem("x"), 0);
  EXPECT_EQ(store.FindItem("X"), 1);
  EXPECT_EQ(store.FindFirstChild("x"), 3);
  EXPECT_EQ(store.FindNextChild("x", 3), 4);
  EXPECT_EQ(store.FindNextChild("x", 4), model::kNoSeq);
  EXPECT_EQ(store.FindFirstChild(""), 0);
  ASSERT_NE(store.SeqsOfTab(1), nullptr);
  EXPECT_EQ(*store.SeqsOfTab(1), Store::SeqSet{4});
}

TEST(Store, IndexedWritesKeepIndexesInStep) {
  Store store;
  Add(store, "T", "a");
  Add(store, "T", "b");
  Add(store, "T", "c", "a");
  ASSERT_TRUE(store.SetParent(1, "a"));
  EXPECT_EQ(store.FindFirstChild("a"), 1);
  EXPECT_EQ(store.FindNextChild("a", 1), 2);
  ASSERT_TRUE(store.SetParent(1, ""));
  EXPECT_EQ(store.FindFirstChild("a"), 2);
  EXPECT_FALSE(store.SetParent(9, "a"));

  const std::int32_t u = store.GetOrCreateTab("U");
  ASSERT_TRUE(store.SetTabIndex(2, u));
  EXPECT_EQ(store.FindItemPtr(2)->TabIndex(), u);
  EXPECT_EQ(*store.SeqsOfTab(u), Store::SeqSet{2});
  EXPECT_FALSE(store.SetTabIndex(2, 7));  // no such tab
  EXPECT_FALSE(store.SetTabIndex(2, -1));
  EXPECT_EQ(store.FindItemPtr(2)->TabIndex(), u);
  EXPECT_EQ(store.CheckInvariants(), "");
}

TEST(Store, RemoveItemTakesDescendantsInAllTabsFirst) {
  Store store;
  // Children added before their parent, in other tabs.
  Add(store, "T2", "gc", "c1");
  Add(store, "T3", "c2", "p");
  Add(store, "T1", "c1", "p");
  Add(store, "T1", "p");
  Add(store, "T1", "other");
  Add(store, "T2", "orphan", "ghost");
  std::vector<std::string> erased;
  const int removed =
      store.RemoveItem("p", [&](const model::Item& item) { erased.emplace_back(item.ID()); });
  EXPECT_EQ(removed, 4);
  // Children in Seq order, each with its own subtree first, then the item.
  EXPECT_EQ(erased, (Ids_{"c2", "gc", "c1", "p"}));
  EXPECT_EQ(Ids(store), (Ids_{"other", "orphan"}));
  EXPECT_EQ(store.NextSeq(), 6);  // Seqs are not handed out again
  EXPECT_EQ(store.CheckInvariants(), "");
  EXPECT_EQ(store.RemoveItem("nobody"), 0);
}

TEST(Store, RemoveItemWithDuplicateIdsTakesTheEarliest) {
  Store store;
  Add(store, "T", "x", "", "first");
  Add(store, "T", "x", "", "second");
  Add(store, "T", "kid", "x");
  EXPECT_EQ(store.RemoveItem("x"), 2);  // the earliest x and every child of "x"
  ASSERT_EQ(store.ItemCount(), 1);
  EXPECT_EQ(store.FindItemById("x")->Text, "second");
}

TEST(Store, RemoveByEmptyIdTakesAllRootItems) {
  Store store;
  Add(store, "T", "a");
  Add(store, "U", "b");
  Add(store, "T", "a1", "a");
  Add(store, "T", "o", "ghost");
  EXPECT_EQ(store.RemoveChildren(""), 3);
  EXPECT_EQ(Ids(store), (Ids_{"o"}));
  Add(store, "T", "r");
  EXPECT_EQ(store.RemoveItem(""), 1);
  EXPECT_EQ(Ids(store), (Ids_{"o"}));
}

TEST(Store, RemoveChildrenKeepsTheParent) {
  Store store;
  Add(store, "T", "p");
  Add(store, "T", "a", "p");
  Add(store, "T", "b", "p");
  Add(store, "T", "a1", "a");
  Add(store, "T", "q");
  EXPECT_EQ(store.RemoveChildren("p"), 3);
  EXPECT_EQ(Ids(store), (Ids_{"p", "q"}));
  EXPECT_EQ(store.CheckInvariants(), "");
}

TEST(Store, ParentLoopsEndAndTakeTheWholeLoop) {
  Store store;
  Add(store, "T", "self");
  store.SetParent(store.FindItem("self"), "self");
  Add(store, "T", "keep");
  EXPECT_EQ(store.RemoveItem("self"), 1);

  Add(store, "T", "a");
  Add(store, "T", "b", "a");
  Add(store, "T", "c", "b");
  store.SetParent(store.FindItem("a"), "c");  // a -> b -> c -> a
  Add(store, "T", "leaf", "b");
  std::vector<std::string> erased;
  EXPECT_EQ(store.RemoveItem("b", [&](const model::Item& i) { erased.emplace_back(i.ID()); }), 4);
  // b's children: c (whose child a loops back to b), then leaf; b last.
  EXPECT_EQ(erased, (Ids_{"a", "c", "leaf", "b"}));
  EXPECT_EQ(Ids(store), (Ids_{"keep"}));

  // A later item with an ID being removed is a plain leaf: erased before its parent.
  Add(store, "T", "d");
  Add(store, "T", "e", "d");
  Add(store, "T", "d", "e");
  erased.clear();
  EXPECT_EQ(store.RemoveItem("d", [&](const model::Item& i) { erased.emplace_back(i.ID()); }), 3);
  EXPECT_EQ(erased, (Ids_{"d", "e", "d"}));
  EXPECT_EQ(store.FindItem("d"), model::kNoSeq);

  // Two items each other's parent: the children of one of them go, the item itself stays.
  Add(store, "T", "x");
  Add(store, "T", "y", "x");
  store.SetParent(store.FindItem("x"), "y");
  EXPECT_EQ(store.RemoveChildren("x"), 1);
  EXPECT_EQ(Ids(store), (Ids_{"keep", "x"}));
  EXPECT_EQ(store.CheckInvariants(), "");
}

TEST(Store, DeepChainIsRemovedWithoutRecursion) {
  Store store;
  std::string list;
  constexpr int kDepth = 100000;
  for (int i = 0; i < kDepth; ++i) {
    list += "TAB:T,TEXT:t,ID:n" + std::to_string(i);
    if (i > 0) list += ",PARENT:n" + std::to_string(i - 1);
    list += '\n';
  }
  model::AddItemList(store, list);
  ASSERT_EQ(store.ItemCount(), kDepth);
  EXPECT_EQ(store.FindItemById("n99999")->Level, kDepth - 1);
  EXPECT_EQ(store.RemoveItem("n0"), kDepth);
  EXPECT_EQ(store.ItemCount(), 0);
}

TEST(Store, EraseHookMayRemoveItemsItself) {
  Store store;
  Add(store, "T", "p");
  Add(store, "T", "a", "p");
  Add(store, "T", "b", "p");
  Add(store, "T", "x");
  // The hook of the first erased item removes a sibling and an unrelated item.
  bool once = false;
  store.RemoveItem("p", [&](const model::Item&) {
    if (once) return;
    once = true;
    store.RemoveItem("b");
    store.RemoveItem("x");
  });
  EXPECT_EQ(store.ItemCount(), 0);
  EXPECT_EQ(store.CheckInvariants(), "");
}

TEST(Store, RemoveTabRenumbersLaterTabsAndTheirItems) {
  Store store;
  Add(store, "T1", "a");
  Add(store, "T2", "b");
  Add(store, "T3", "c");
  Add(store, "T2", "b2", "a");
  Add(store, "T3", "c2");
  store.SetCurrentTab(2);
  ASSERT_TRUE(store.RemoveTab("T2"));
  EXPECT_FALSE(store.RemoveTab("T2"));
  EXPECT_EQ(store.TabCount(), 2);
  EXPECT_EQ(store.NextTabIndex(), 2);
  EXPECT_EQ(store.FindTab("T1"), 0);
  EXPECT_EQ(store.FindTab("T3"), 1);
  EXPECT_EQ(store.FindItemById("c")->TabIndex(), 1);
  EXPECT_EQ(store.FindItemById("c2")->TabIndex(), 1);
  EXPECT_EQ(store.TabNameAt(store.FindItemById("c")->TabIndex()), "T3");
  EXPECT_EQ(store.CurrentTab(), 1);
  EXPECT_EQ(Ids(store), (Ids_{"a", "c", "c2"}));
  EXPECT_EQ(store.GetOrCreateTab("T4"), 2);
  EXPECT_EQ(store.SeqsOfTab(2), nullptr);  // the new tab starts empty
  EXPECT_EQ(store.CheckInvariants(), "");
}

TEST(Store, RemoveAllStartsCountingAgain) {
  Store store;
  store.SetDelimiter(59);
  model::AddItem(store, "TAB:T;TEXT:x");
  model::AddItem(store, "TAB:U;TEXT:y");
  store.SetItemCursor(1);
  store.SetCurrentTab(1);
  store.RemoveAll();
  EXPECT_EQ(store.ItemCount(), 0);
  EXPECT_EQ(store.TabCount(), 0);
  EXPECT_EQ(store.NextSeq(), 0);
  EXPECT_EQ(store.ItemCursor(), model::kNoSeq);
  EXPECT_EQ(store.Delimiter(), 59);
  EXPECT_EQ(store.CurrentTab(), 1);
  model::AddItem(store, "TAB:V;TEXT:z");
  EXPECT_EQ(store.FindItem("ID0"), 0);
  EXPECT_EQ(store.FindTab("V"), 0);
  EXPECT_EQ(store.CheckInvariants(), "");
}

TEST(Store, NewTabRequestsFollowTheViewState) {
  Store store;
  testing_support::RecordingViews views;
  store.SetViews(&views);
  store.GetOrCreateTab("A");
  EXPECT_TRUE(views.log.empty());
  EXPECT_TRUE(store.RebuildPending());
  store.SetViewReady(true);
  store.GetOrCreateTab("B");
  EXPECT_TRUE(views.log.empty());  // still pending: the strip is refilled later
  store.SetRebuildPending(false);
  store.GetOrCreateTab("C");
  store.GetOrCreateTab("A");
  EXPECT_EQ(views.log, std::vector<std::string>{"tab 2 C"});
  EXPECT_EQ(views.busy, 0);
  store.SetViews(nullptr);  // back to nobody listening
  store.GetOrCreateTab("D");
  EXPECT_EQ(views.log.size(), 1u);
}

}  // namespace
