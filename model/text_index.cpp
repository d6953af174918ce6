#include "model/text_index.h"

#include <utility>

namespace model {

std::size_t TextIndex::SlotOf(std::string_view key, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t pos = static_cast<std::size_t>(hash) & mask;
  while (slots_[pos].first && (slots_[pos].hash != hash || key_of_(*slots_[pos].first) != key)) {
    pos = (pos + 1) & mask;
  }
  return pos;
}

const TextIndex::Entry* TextIndex::Find(std::string_view key) const {
  if (count_ == 0) return nullptr;
  const Entry& slot = slots_[SlotOf(key, Hash(key))];
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

void TextIndex::Grow() {
  std::vector<Entry> old = std::move(slots_);
  slots_ = std::vector<Entry>(old.empty() ? 16 : old.size() * 2);
  const std::size_t mask = slots_.size() - 1;
  for (Entry& entry : old) {
    if (!entry.first) continue;
    std::size_t pos = static_cast<std::size_t>(entry.hash) & mask;
    while (slots_[pos].first) pos = (pos + 1) & mask;
    slots_[pos] = std::move(entry);
  }
}

void TextIndex::Add(Item& item) {
  // Kept at most 70 % full, so that probe sequences stay short.
  if ((count_ + 1) * 10 > slots_.size() * 7) Grow();
  const std::string& key = key_of_(item);
  const std::uint64_t hash = Hash(key);
  Entry& slot = slots_[SlotOf(key, hash)];
  if (!slot.first) {
    slot.hash = hash;
    slot.first = &item;
    ++count_;
    return;
  }
  if (!slot.rest) slot.rest = std::make_unique<SeqSet>();
  if (item.Seq() < slot.first->Seq()) {
    slot.rest->insert(slot.rest->begin(), slot.first->Seq());
    slot.first = &item;
  } else {
    slot.rest->insert(slot.rest->end(), item.Seq());  // new items have the highest Seq
  }
}

void TextIndex::Remove(const Item& item, ItemMap& items) {
  if (count_ == 0) return;
  const std::string& key = key_of_(item);
  const std::size_t pos = SlotOf(key, Hash(key));
  Entry& slot = slots_[pos];
  if (!slot.first) return;
  if (slot.first != &item) {
    if (slot.rest) slot.rest->erase(item.Seq());
  } else if (!slot.rest || slot.rest->empty()) {
    EraseSlot(pos);
  } else {
    slot.first = &items.find(*slot.rest->begin())->second;
    slot.rest->erase(slot.rest->begin());
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
    const std::size_t home = static_cast<std::size_t>(slots_[next].hash) & mask;
    // The entry may move into the gap when its home does not lie in (gap, next].
    const bool home_in_between =
        gap <= next ? (gap < home && home <= next) : (gap < home || home <= next);
    if (home_in_between) continue;
    slots_[gap] = std::move(slots_[next]);
    slots_[next] = Entry{};
    gap = next;
  }
}

void TextIndex::Clear() {
  slots_.clear();
  count_ = 0;
}

Seq TextIndex::Next(const Entry* entry, Seq after) {
  if (!entry) return kNoSeq;
  if (entry->first->Seq() > after) return entry->first->Seq();
  if (!entry->rest) return kNoSeq;
  auto next = entry->rest->upper_bound(after);
  return next == entry->rest->end() ? kNoSeq : *next;
}

}  // namespace model
