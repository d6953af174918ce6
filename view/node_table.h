// The nodes the view inserted and the tree still holds, each with its item's Seq: an
// open-addressing table (no allocation per node) plus the order of insertion, so that
// forgetting every node visits the items in the order they were shown.
//
// Handles are scattered over the table, so an insertion would wait for memory each time
// while a large tab is rebuilt. New entries therefore wait in a short queue, their slots
// asked for at once, and go into the table a few insertions later; lookups see the queue.
#pragma once

#include <array>
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
  std::size_t Size() const;
  // Entries kept for the walk, live or not; bounded by twice the live ones plus a margin.
  std::size_t Recorded() const { return order_.size(); }
  // Live entries in insertion order. `f` must not change the table. `ahead` hears of the
  // Seqs of live entries a few entries before `f` does (to ask for memory early).
  template <class F, class Ahead>
  void ForEach(F&& f, Ahead&& ahead) {
    Flush();  // a queued entry may replace one in the table; the walk must see one of them
    constexpr std::size_t kLead = 32;
    for (std::size_t i = 0; i < order_.size(); ++i) {
      if (i + kLead < order_.size() && order_[i + kLead].second != model::kNoSeq) {
        ahead(order_[i + kLead].second);
      }
      if (order_[i].second != model::kNoSeq) f(order_[i].first, order_[i].second);
    }
  }
  template <class F>
  void ForEach(F&& f) {
    ForEach(f, [](model::Seq) {});
  }
  void Clear();

 private:
  static constexpr Node kEmpty = kNoNode;
  static constexpr Node kErased = kRootNode;  // never a node's handle
  static constexpr std::size_t kQueued = 8;
  struct Slot {
    Node node = kEmpty;
    model::Seq seq = model::kNoSeq;
    std::uint32_t order = 0;  // its entry in order_
  };
  std::size_t SlotFor(Node node) const;
  const Slot* FindInTable(Node node) const;
  void Store(const Slot& entry);  // into the table
  void Flush();                   // the whole queue into the table
  void Grow();
  void CompactOrder();

  std::vector<Slot> slots_;  // size is a power of two, or 0
  std::size_t live_ = 0;     // live slots of the table
  std::size_t used_ = 0;     // live and erased slots
  std::array<Slot, kQueued> queue_;
  std::size_t queued_ = 0;  // queue_[0] is the oldest
  // In insertion order; the entry of a removed or replaced node has Seq kNoSeq.
  std::vector<std::pair<Node, model::Seq>> order_;
};

}  // namespace view
