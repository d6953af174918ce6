#include "model/text_index.h"

#include <utility>

namespace model {

std::size_t TextIndex::SlotOf(std::string_view key, std::uint32_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t pos = hash & mask;
  while (slots_[pos].ref != 0 && (slots_[pos].hash != hash || slots_[pos].item->*key_ != key)) {
    pos = (pos + 1) & mask;
  }
  return pos;
}

const TextIndex::Entry* TextIndex::Find(std::string_view key) const {
  if (count_ == 0) return nullptr;
  const Entry& slot = slots_[SlotOf(key, static_cast<std::uint32_t>(Hash(key)))];
  return slot.ref != 0 ? &slot : nullptr;
}

Item* TextIndex::FindFirst(std::string_view key) const {
  if (count_ == 0) return nullptr;
  const auto hash = static_cast<std::uint32_t>(Hash(key));
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t pos = hash & mask; slots_[pos].ref != 0; pos = (pos + 1) & mask) {
    if (slots_[pos].hash != hash) continue;
    Item* item = slots_[pos].item;
    if (item->*key_ == key) return item;
  }
  return nullptr;
}

void TextIndex::Prefetch(std::uint64_t hash) const {
#if defined(__GNUC__)
  if (slots_.empty()) return;
  __builtin_prefetch(&slots_[static_cast<std::size_t>(hash) & (slots_.size() - 1)]);
#else
  (void)hash;
#endif
}

void TextIndex::PrefetchFirst(std::uint64_t full_hash) const {
  if (count_ == 0) return;
  const auto hash = static_cast<std::uint32_t>(full_hash);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t pos = hash & mask; slots_[pos].ref != 0; pos = (pos + 1) & mask) {
    if (slots_[pos].hash == hash) {
      items_.PrefetchRef(slots_[pos].ref);
      return;
    }
  }
}

void TextIndex::Rehash(std::size_t size) {
  std::vector<Entry> old = std::move(slots_);
  slots_ = std::vector<Entry>(size);
  const std::size_t mask = slots_.size() - 1;
  for (const Entry& entry : old) {
    if (entry.ref == 0) continue;
    std::size_t pos = entry.hash & mask;
    while (slots_[pos].ref != 0) pos = (pos + 1) & mask;
    slots_[pos] = entry;
  }
}

void TextIndex::Reserve(std::size_t keys) {
  std::size_t size = slots_.empty() ? 16 : slots_.size();
  // Kept at most 70 % full, so that probe sequences stay short.
  while (keys * 10 > size * 7) size *= 2;
  if (size > slots_.size()) Rehash(size);
}

const SeqSet* TextIndex::Rest(const Entry& entry) const {
  const std::uint32_t rest = items_.AtRef(entry.ref)->*rest_;
  return rest == 0 ? nullptr : &rests_[rest - 1];
}

SeqSet& TextIndex::RestOf(Item& first) {
  std::uint32_t& rest = first.*rest_;
  if (rest == 0) {
    if (free_rests_.empty()) {
      rests_.emplace_back();
      rest = static_cast<std::uint32_t>(rests_.size());
    } else {
      rest = free_rests_.back();
      free_rests_.pop_back();
    }
  }
  return rests_[rest - 1];
}

void TextIndex::DropRest(Item& first) {
  std::uint32_t& rest = first.*rest_;
  if (rest == 0) return;
  rests_[rest - 1] = SeqSet();  // gives its memory back
  free_rests_.push_back(rest);
  rest = 0;
}

void TextIndex::Add(Item& item) {
  Reserve(count_ + 1);
  const std::string_view key = item.*key_;
  const auto hash = static_cast<std::uint32_t>(Hash(key));
  Entry& slot = slots_[SlotOf(key, hash)];
  item.*rest_ = 0;
  if (slot.ref == 0) {
    slot = Entry{hash, ItemMap::RefOf(item), &item};
    ++count_;
    return;
  }
  Item& first = *items_.AtRef(slot.ref);
  if (item.Seq() < first.Seq()) {
    // The item becomes the earliest and takes the list over.
    RestOf(first).Insert(first.Seq());
    item.*rest_ = first.*rest_;
    first.*rest_ = 0;
    slot.ref = ItemMap::RefOf(item);
    slot.item = &item;
  } else {
    RestOf(first).Insert(item.Seq());  // new items have the highest Seq: an append
  }
}

void TextIndex::Remove(Item& item) {
  if (count_ == 0) return;
  const std::string_view key = item.*key_;
  const std::size_t pos = SlotOf(key, static_cast<std::uint32_t>(Hash(key)));
  Entry& slot = slots_[pos];
  if (slot.ref == 0) return;
  Item& first = *items_.AtRef(slot.ref);
  const std::uint32_t rest = first.*rest_;
  if (&first != &item) {
    if (rest == 0) return;
    SeqSet& later = rests_[rest - 1];
    later.Erase(item.Seq());
    if (later.empty()) DropRest(first);
  } else if (rest == 0) {
    EraseSlot(pos);
  } else {
    SeqSet& later = rests_[rest - 1];
    const Seq next_seq = later.First();
    later.Erase(next_seq);
    Item& next = *items_.Find(next_seq);
    slot.ref = ItemMap::RefOf(next);
    slot.item = &next;
    item.*rest_ = 0;
    next.*rest_ = rest;
    if (later.empty()) DropRest(next);
  }
}

void TextIndex::EraseSlot(std::size_t pos) {
  // Backward shift: move later members of the probe run into the gap, so that no
  // tombstones are needed.
  const std::size_t mask = slots_.size() - 1;
  slots_[pos] = Entry{};
  --count_;
  std::size_t gap = pos;
  for (std::size_t next = (gap + 1) & mask; slots_[next].ref != 0; next = (next + 1) & mask) {
    const std::size_t home = slots_[next].hash & mask;
    // The entry may move into the gap when its home does not lie in (gap, next].
    const bool home_in_between =
        gap <= next ? (gap < home && home <= next) : (gap < home || home <= next);
    if (home_in_between) continue;
    slots_[gap] = slots_[next];
    slots_[next] = Entry{};
    gap = next;
  }
}

void TextIndex::Clear() {
  slots_.clear();
  count_ = 0;
  rests_.clear();
  free_rests_.clear();
}

std::string TextIndex::CheckLinks() const {
  std::size_t used = 0;
  for (const Entry& slot : slots_) {
    if (slot.ref == 0) continue;
    ++used;
    if (!items_.HoldsRef(slot.ref)) return "an index slot names no item";
    if (items_.AtRef(slot.ref) != slot.item) return "an index slot's item is not its ref's";
    if (items_.AtRef(slot.ref)->*rest_ > rests_.size()) return "an item names no list";
  }
  if (used != count_) return "the index miscounts its keys";
  return {};
}

std::size_t TextIndex::Count(const Entry* entry) const {
  if (!entry) return 0;
  const SeqSet* rest = Rest(*entry);
  return 1 + (rest ? rest->size() : 0);
}

Seq TextIndex::Next(const Entry* entry, Seq after) const {
  if (!entry) return kNoSeq;
  const Item& first = *items_.AtRef(entry->ref);
  if (first.Seq() > after) return first.Seq();
  const std::uint32_t rest = first.*rest_;
  return rest == 0 ? kNoSeq : rests_[rest - 1].NextAfter(after);
}

}  // namespace model
