// The table of live nodes: lookups through growth and erasure, and the insertion-order
// walk that forgetting all nodes relies on.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "view/node_table.h"

namespace {

TEST(NodeTable, AgreesWithAMapThroughInsertsErasesAndGrowth) {
  view::NodeTable table;
  std::map<view::Node, model::Seq> expected;
  std::mt19937 random(7);
  for (int step = 0; step < 20000; ++step) {
    // Handles from a small range, so that erased slots are met and reused often.
    const view::Node node = 0x1000 + random() % 3000 * 16;
    if (random() % 3 == 0) {
      table.Erase(node);
      expected.erase(node);
    } else {
      const auto seq = static_cast<model::Seq>(step);
      table.Insert(node, seq);
      expected[node] = seq;
    }
  }
  EXPECT_EQ(table.Size(), expected.size());
  for (view::Node node = 0x1000; node < 0x1000 + 3000 * 16; node += 16) {
    auto it = expected.find(node);
    EXPECT_EQ(table.Find(node), it == expected.end() ? model::kNoSeq : it->second) << node;
  }
  std::map<view::Node, model::Seq> walked;
  table.ForEach([&](view::Node node, model::Seq seq) { walked[node] = seq; });
  EXPECT_EQ(walked, expected);
}

TEST(NodeTable, WalkFollowsInsertionOrderAndSkipsRemovedEntries) {
  view::NodeTable table;
  table.Insert(0x30, 3);
  table.Insert(0x10, 1);
  table.Insert(0x20, 2);
  table.Erase(0x10);
  table.Insert(0x20, 5);  // the node now stands for another item
  std::vector<model::Seq> order;
  table.ForEach([&](view::Node, model::Seq seq) { order.push_back(seq); });
  EXPECT_EQ(order, (std::vector<model::Seq>{3, 5}));

  // The null handle and the root's value are never nodes.
  table.Insert(view::kNoNode, 9);
  table.Insert(view::kRootNode, 9);
  EXPECT_EQ(table.Find(view::kRootNode), model::kNoSeq);
  EXPECT_EQ(table.Size(), 2u);
  table.Clear();
  EXPECT_EQ(table.Size(), 0u);
  EXPECT_EQ(table.Find(0x30), model::kNoSeq);
}

TEST(NodeTable, ChurnWithoutClearStaysBounded) {
  // Nodes inserted and removed one by one for a long time, as items added and deleted
  // while the tab stays shown: the order of insertion must not keep every old entry.
  view::NodeTable table;
  for (int i = 0; i < 100000; ++i) {
    table.Insert(static_cast<view::Node>(0x1000 + i), i);
    table.Erase(static_cast<view::Node>(0x1000 + i));
  }
  EXPECT_EQ(table.Size(), 0u);
  int walked = 0;
  table.ForEach([&](view::Node, model::Seq) { ++walked; });
  EXPECT_EQ(walked, 0);
  EXPECT_LE(table.Recorded(), 1025u);
}

}  // namespace
