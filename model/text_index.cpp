#include "model/text_index.h"

#include <utility>

namespace model {

std::size_t TextIndex::SlotOf(std::string_view key, std::uint32_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t pos = hash & mask;
  while (slots_[pos].first && (slots_[pos].hash != hash || key_of_(*slots_[pos].first) != key)) {
    pos = (pos + 1) & mask;
  }
  return pos;
}

const TextIndex::Entry* TextIndex::Find(std::string_view key) const {
  if (count_ == 0) return nullptr;
  const Entry& slot = slots_[SlotOf(key, static_cast<std::uint32_t>(Hash(key)))];
  return slot.first ? &slot : nullptr;
}

void TextIndex::Prefetch(std::string_view key) const {
#if defined(__GNUC__)
  if (slots_.empty()) return;
  __builtin_prefetch(&slots_[static_cast<std::size_t>(Hash(key)) & (slots_.size() - 1)]);
#else
  (void)key;
#endif
}

void TextIndex::Rehash(std::size_t size) {
  std::vector<Entry> old = std::move(slots_);
  slots_ = std::vector<Entry>(size);
  const std::size_t mask = slots_.size() - 1;
  for (Entry& entry : old) {
    if (!entry.first) continue;
    std::size_t pos = entry.hash & mask;
    while (slots_[pos].first) pos = (pos + 1) & mask;
    slots_[pos] = entry;
  }
}

void TextIndex::Reserve(std::size_t keys) {
  std::size_t size = slots_.empty() ? 16 : slots_.size();
  // Kept at most 70 % full, so that probe sequences stay short.
  while (keys * 10 > size * 7) size *= 2;
  if (size > slots_.size()) Rehash(size);
}

SeqSet& TextIndex::RestOf(Entry& entry) {
  if (entry.rest == 0) {
    if (free_rests_.empty()) {
      rests_.emplace_back();
      entry.rest = static_cast<std::uint32_t>(rests_.size());
    } else {
      entry.rest = free_rests_.back();
      free_rests_.pop_back();
    }
  }
  return rests_[entry.rest - 1];
}

void TextIndex::DropRest(Entry& entry) {
  if (entry.rest == 0) return;
  rests_[entry.rest - 1] = SeqSet();  // gives its memory back
  free_rests_.push_back(entry.rest);
  entry.rest = 0;
}

void TextIndex::Add(Item& item) {
  Reserve(count_ + 1);
  const std::string& key = key_of_(item);
  const auto hash = static_cast<std::uint32_t>(Hash(key));
  Entry& slot = slots_[SlotOf(key, hash)];
  if (!slot.first) {
    slot.hash = hash;
    slot.first = &item;
    ++count_;
    return;
  }
  SeqSet& rest = RestOf(slot);
  if (item.Seq() < slot.first->Seq()) {
    rest.Insert(slot.first->Seq());
    slot.first = &item;
  } else {
    rest.Insert(item.Seq());  // new items have the highest Seq: an append
  }
}

void TextIndex::Remove(const Item& item, ItemMap& items) {
  if (count_ == 0) return;
  const std::string& key = key_of_(item);
  const std::size_t pos = SlotOf(key, static_cast<std::uint32_t>(Hash(key)));
  Entry& slot = slots_[pos];
  if (!slot.first) return;
  if (slot.first != &item) {
    if (slot.rest == 0) return;
    SeqSet& rest = rests_[slot.rest - 1];
    rest.Erase(item.Seq());
    if (rest.empty()) DropRest(slot);
  } else if (slot.rest == 0) {
    EraseSlot(pos);
  } else {
    SeqSet& rest = rests_[slot.rest - 1];
    const Seq next = rest.First();
    slot.first = items.Find(next);
    rest.Erase(next);
    if (rest.empty()) DropRest(slot);
  }
}

void TextIndex::EraseSlot(std::size_t pos) {
  // Backward shift: move later members of the probe run into the gap, so that no
  // tombstones are needed.
  const std::size_t mask = slots_.size() - 1;
  slots_[pos] = Entry{};
  --count_;
  std::size_t gap = pos;
  for (std::size_t next = (gap + 1) & mask; slots_[next].first; next = (next + 1) & mask) {
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

std::size_t TextIndex::Count(const Entry* entry) const {
  if (!entry) return 0;
  const SeqSet* rest = Rest(*entry);
  return 1 + (rest ? rest->size() : 0);
}

Seq TextIndex::Next(const Entry* entry, Seq after) const {
  if (!entry) return kNoSeq;
  if (entry->first->Seq() > after) return entry->first->Seq();
  const SeqSet* rest = Rest(*entry);
  return rest ? rest->NextAfter(after) : kNoSeq;
}

}  // namespace model
