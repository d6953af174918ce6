#include "view/node_table.h"

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

model::Seq NodeTable::Find(Node node) const {
  if (slots_.empty() || node == kEmpty || node == kErased) return model::kNoSeq;
  const Slot& slot = slots_[SlotFor(node)];
  return slot.node == node ? slot.seq : model::kNoSeq;
}

void NodeTable::Insert(Node node, model::Seq seq) {
  if (node == kEmpty || node == kErased) return;
  if ((used_ + 1) * 4 > slots_.size() * 3) Grow();
  const std::size_t i = SlotFor(node);
  if (slots_[i].node != node) {
    slots_[i].node = node;
    ++size_;
    ++used_;
  }
  slots_[i].seq = seq;
  order_.emplace_back(node, seq);
  // Entries of removed nodes linger in the order until it is compacted.
  if (order_.size() > 2 * size_ + 1024) CompactOrder();
}

void NodeTable::Erase(Node node) {
  if (slots_.empty() || node == kEmpty || node == kErased) return;
  Slot& slot = slots_[SlotFor(node)];
  if (slot.node != node) return;
  slot.node = kErased;
  slot.seq = model::kNoSeq;
  --size_;
}

void NodeTable::Clear() {
  slots_.assign(slots_.size(), Slot{});
  size_ = 0;
  used_ = 0;
  order_.clear();
}

void NodeTable::Grow() {
  // Rehashing drops the erased slots; the table doubles only when live entries need it.
  std::size_t capacity = slots_.empty() ? 64 : slots_.size();
  while ((size_ + 1) * 2 > capacity) capacity *= 2;
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(capacity, Slot{});
  used_ = size_;
  for (const Slot& s : old) {
    if (s.node == kEmpty || s.node == kErased) continue;
    slots_[SlotFor(s.node)] = s;
  }
}

void NodeTable::CompactOrder() {
  std::vector<std::pair<Node, model::Seq>> live;
  live.reserve(size_);
  for (const auto& entry : order_) {
    if (Find(entry.first) == entry.second) live.push_back(entry);
  }
  order_.swap(live);
}

}  // namespace view
