// The nodes the view inserted and the tree still holds, each with its item's Seq: an
// open-addressing table (no allocation per node) plus the order of insertion, so that
// forgetting every node visits the items in the order they were shown.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "model/item.h"
#include "view/views.h"

namespace view {

class NodeTable {
 public:
  // The Seq recorded for a live node, or kNoSeq.
  model::Seq Find(Node node) const;
  bool Contains(Node node) const { return Find(node) != model::kNoSeq; }
  void Insert(Node node, model::Seq seq);
  void Erase(Node node);
  std::size_t Size() const { return size_; }
  // Entries kept for the walk, live or not; bounded by twice the live ones plus a margin.
  std::size_t Recorded() const { return order_.size(); }
  // Live entries in insertion order.
  template <class F>
  void ForEach(F&& f) const {
    for (const auto& [node, seq] : order_) {
      if (Find(node) == seq) f(node, seq);
    }
  }
  void Clear();

 private:
  static constexpr Node kEmpty = kNoNode;
  static constexpr Node kErased = kRootNode;  // never a node's handle
  struct Slot {
    Node node = kEmpty;
    model::Seq seq = model::kNoSeq;
  };
  std::size_t SlotFor(Node node) const;
  void Grow();
  void CompactOrder();

  std::vector<Slot> slots_;  // size is a power of two, or 0
  std::size_t size_ = 0;
  std::size_t used_ = 0;  // live and erased slots
  std::vector<std::pair<Node, model::Seq>> order_;
};

}  // namespace view
