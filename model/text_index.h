// The store's index from a text (an item's ID, or its Parent) to the items that hold it.
//
// An open-addressing table (linear probing, backward-shift removal) of one 16-byte slot per
// key: the low half of the key's hash and the earliest item with the key, as its ItemMap
// Ref and as its address (ItemMap never moves an item), so that a lookup reaches the item
// with one load after the slot's. When the key is shared, that item names the list that
// holds the Seqs of the later ones. The key text itself is read from the earliest item, so
// a lookup costs one probe sequence and no string copies.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/item.h"
#include "model/item_map.h"
#include "model/seq_set.h"

namespace model {

class TextIndex {
 public:
  // The key field of an item, and the field that names the list of the later items with
  // the key (0: none; used in the earliest item only).
  using KeyField = ItemText Item::*;
  using RestField = std::uint32_t Item::*;

  struct Entry {
    std::uint32_t hash = 0;
    std::uint32_t ref = 0;  // of the earliest item with the key; 0: the slot is free
    Item* item = nullptr;   // the same item
  };

  TextIndex(KeyField key, RestField rest, ItemMap& items) : key_(key), rest_(rest), items_(items) {}

  const Entry* Find(std::string_view key) const;
  // The earliest item with the key, or null: Find and First in one probe.
  Item* FindFirst(std::string_view key) const;
  // The earliest item with the entry's key; null for no entry.
  Item* First(const Entry* entry) const { return entry ? entry->item : nullptr; }
  // The hash of a key, inline and branch-light: keys are mostly short, and every lookup,
  // insertion and removal hashes one. Eight bytes at a time, the tail read as overlapping
  // words, then a full 64-bit mix, since the probe takes its start from the low bits.
  static std::uint64_t Hash(std::string_view key) {
    constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15ULL;
    const char* p = key.data();
    std::size_t n = key.size();
    std::uint64_t h = (n + 1) * kOdd;
    for (; n > 8; n -= 8, p += 8) h = Mix(h, Load(p, 8));
    std::uint64_t tail = 0;
    if (n >= 4) {
      tail = Load(p, 4) | (Load(p + n - 4, 4) << 32);
    } else if (n > 0) {
      tail = Load(p, 1) | (Load(p + n / 2, 1) << 8) | (Load(p + n - 1, 1) << 16);
    }
    h = Mix(h, tail);
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    return h ^ (h >> 32);
  }
  // Asks the memory system for the slot where the probe of a key with this Hash starts (a
  // hint only). Both indexes hash alike, so a caller hashes a key once for the two.
  void Prefetch(std::uint64_t hash) const;
  void Prefetch(std::string_view key) const { Prefetch(Hash(key)); }
  // Asks the memory system for the earliest item of the first slot with this Hash (a hint
  // only: the key itself is not compared, so as not to wait for the item).
  void PrefetchFirst(std::uint64_t hash) const;
  // Makes room for `keys` keys in all, so that adding that many moves no slot.
  void Reserve(std::size_t keys);
  void Add(Item& item);
  // Removes the item (found by its key and Seq); the next item with the key becomes the
  // earliest.
  void Remove(Item& item);
  void Clear();
  std::size_t KeyCount() const { return count_; }
  std::string_view KeyOfItem(const Item& item) const { return item.*key_; }

  // The later items with the entry's key, or null when it has none.
  const SeqSet* Rest(const Entry& entry) const;
  // The number of items with the entry's key; 0 for none.
  std::size_t Count(const Entry* entry) const;
  // The first Seq after `after` among the items with the key, or kNoSeq.
  Seq Next(const Entry* entry, Seq after) const;
  // The list field of an item (for the debug check: 0 in all but the earliest items).
  std::uint32_t RestOfItem(const Item& item) const { return item.*rest_; }

  // Debug check that every slot names a held item and every list number a list: empty
  // when so (then ForEach and Rest are safe to use), else the first fault found.
  std::string CheckLinks() const;

  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const Entry& slot : slots_) {
      if (slot.ref != 0) visit(items_.AtRef(slot.ref)->*key_, slot);
    }
  }

 private:
  static std::uint64_t Load(const char* p, std::size_t bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, bytes);  // a fixed size at every call: one load
    return word;
  }
  static std::uint64_t Mix(std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * 0xBF58476D1CE4E5B9ULL;
    return h ^ (h >> 31);
  }
  std::size_t SlotOf(std::string_view key, std::uint32_t hash) const;  // found or free slot
  void Rehash(std::size_t size);
  void EraseSlot(std::size_t pos);
  SeqSet& RestOf(Item& first);  // made when missing
  void DropRest(Item& first);

  KeyField key_;
  RestField rest_;
  ItemMap& items_;
  std::vector<Entry> slots_;  // size 0 or a power of two
  std::size_t count_ = 0;
  std::deque<SeqSet> rests_;               // a deque: growing it moves no list
  std::vector<std::uint32_t> free_rests_;  // 1 + an unused list of rests_
};

}  // namespace model
