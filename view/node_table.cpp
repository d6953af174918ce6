#include "view/node_table.h"

#include <algorithm>

namespace view {

namespace {
std::size_t Mix(Node node) {
  std::uint64_t x = static_cast<std::uint64_t>(node);
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdULL;
  x ^= x >> 33;
  return static_cast<std::size_t>(x);
}
}  // namespace

std::size_t NodeTable::SlotFor(Node node) const {
  // The slot holding `node`, or the empty slot where a search for it ends.
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = Mix(node) & mask;
  while (slots_[i].node != kEmpty && slots_[i].node != node) i = (i + 1) & mask;
  return i;
}

const NodeTable::Slot* NodeTable::FindInTable(Node node) const {
  if (slots_.empty()) return nullptr;
  const Slot& slot = slots_[SlotFor(node)];
  return slot.node == node ? &slot : nullptr;
}

model::Seq NodeTable::Find(Node node) const {
  if (node == kEmpty || node == kErased) return model::kNoSeq;
  for (std::size_t i = 0; i < queued_; ++i) {
    if (queue_[i].node == node) return queue_[i].seq;  // newer than the table's entry
  }
  const Slot* slot = FindInTable(node);
  return slot ? slot->seq : model::kNoSeq;
}

std::size_t NodeTable::Size() const {
  std::size_t size = live_;
  for (std::size_t i = 0; i < queued_; ++i) {
    if (FindInTable(queue_[i].node) == nullptr) ++size;
  }
  return size;
}

void NodeTable::Insert(Node node, model::Seq seq) {
  if (node == kEmpty || node == kErased) return;
  const auto order = static_cast<std::uint32_t>(order_.size());
  order_.emplace_back(node, seq);
  Slot* queued = nullptr;
  for (std::size_t i = 0; i < queued_; ++i) {
    if (queue_[i].node == node) queued = &queue_[i];
  }
  if (queued != nullptr) {
    order_[queued->order].second = model::kNoSeq;
    queued->seq = seq;
    queued->order = order;
  } else {
    if (queued_ == kQueued) {
      Store(queue_[0]);
      std::copy(queue_.begin() + 1, queue_.end(), queue_.begin());
      --queued_;
    }
    queue_[queued_++] = Slot{node, seq, order};
#if defined(__GNUC__)
    if (!slots_.empty()) __builtin_prefetch(&slots_[Mix(node) & (slots_.size() - 1)]);
#endif
  }
  // Entries of removed nodes linger in the order until it is compacted.
  if (order_.size() > 2 * (live_ + queued_) + 1024) CompactOrder();
}

void NodeTable::Store(const Slot& entry) {
  if ((used_ + 1) * 4 > slots_.size() * 3) Grow();
  Slot& slot = slots_[SlotFor(entry.node)];
  if (slot.node == entry.node) {
    order_[slot.order].second = model::kNoSeq;  // the node now stands for another item
  } else {
    ++live_;
    ++used_;
  }
  slot = entry;
}

void NodeTable::Flush() {
  for (std::size_t i = 0; i < queued_; ++i) Store(queue_[i]);
  queued_ = 0;
}

void NodeTable::Erase(Node node) {
  if (node == kEmpty || node == kErased) return;
  for (std::size_t i = 0; i < queued_; ++i) {
    if (queue_[i].node != node) continue;
    order_[queue_[i].order].second = model::kNoSeq;
    std::copy(queue_.begin() + static_cast<std::ptrdiff_t>(i + 1),
              queue_.begin() + static_cast<std::ptrdiff_t>(queued_),
              queue_.begin() + static_cast<std::ptrdiff_t>(i));
    --queued_;
    break;
  }
  if (slots_.empty()) return;
  Slot& slot = slots_[SlotFor(node)];
  if (slot.node != node) return;
  order_[slot.order].second = model::kNoSeq;
  slot.node = kErased;
  slot.seq = model::kNoSeq;
  --live_;
}

void NodeTable::Clear() {
  slots_.assign(slots_.size(), Slot{});
  live_ = 0;
  used_ = 0;
  queued_ = 0;
  order_.clear();
}

void NodeTable::Grow() {
  // Rehashing drops the erased slots; the table doubles only when live entries need it.
  std::size_t capacity = slots_.empty() ? 64 : slots_.size();
  while ((live_ + 1) * 2 > capacity) capacity *= 2;
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(capacity, Slot{});
  used_ = live_;
  for (const Slot& s : old) {
    if (s.node == kEmpty || s.node == kErased) continue;
    slots_[SlotFor(s.node)] = s;
  }
}

void NodeTable::CompactOrder() {
  Flush();
  std::vector<std::pair<Node, model::Seq>> live;
  live.reserve(live_);
  for (const auto& entry : order_) {
    if (entry.second == model::kNoSeq) continue;
    slots_[SlotFor(entry.first)].order = static_cast<std::uint32_t>(live.size());
    live.push_back(entry);
  }
  order_.swap(live);
}

}  // namespace view
