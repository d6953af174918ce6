// The store's index from a text (an item's ID, or its Parent) to the items that hold it.
//
// An open-addressing table (linear probing, backward-shift removal) of one 16-byte slot per
// key. A slot holds the earliest item with the key, the low half of the key's hash and,
// only when the key is shared, the number of the list that holds the Seqs of the later
// ones. The key text itself is read from the earliest item, which ItemMap never moves, so
// a lookup costs one probe sequence and no string copies.
#pragma once

#include <cstdint>
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
  using KeyOf = const std::string& (*)(const Item&);

  struct Entry {
    Item* first = nullptr;  // null: the slot is free
    std::uint32_t hash = 0;
    std::uint32_t rest = 0;  // 1 + the list of later items with the key; 0: none
  };

  explicit TextIndex(KeyOf key_of) : key_of_(key_of) {}

  const Entry* Find(std::string_view key) const;
  // Asks the memory system for the slot where the key's probe starts (a hint only).
  void Prefetch(std::string_view key) const;
  // Makes room for `keys` keys in all, so that adding that many moves no slot.
  void Reserve(std::size_t keys);
  void Add(Item& item);
  // Removes the item (found by its key and Seq); the next item with the key, looked up in
  // `items`, becomes the earliest.
  void Remove(const Item& item, ItemMap& items);
  void Clear();
  std::size_t KeyCount() const { return count_; }
  const std::string& KeyOfItem(const Item& item) const { return key_of_(item); }

  // The later items with the entry's key, or null when it has none.
  const SeqSet* Rest(const Entry& entry) const {
    return entry.rest == 0 ? nullptr : &rests_[entry.rest - 1];
  }
  // The number of items with the entry's key; 0 for none.
  std::size_t Count(const Entry* entry) const;
  // The first Seq after `after` among the items with the key, or kNoSeq.
  Seq Next(const Entry* entry, Seq after) const;

  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const Entry& slot : slots_) {
      if (slot.first) visit(key_of_(*slot.first), slot);
    }
  }

 private:
  static std::uint64_t Hash(std::string_view key) { return std::hash<std::string_view>{}(key); }
  std::size_t SlotOf(std::string_view key, std::uint32_t hash) const;  // found or free slot
  void Rehash(std::size_t size);
  void EraseSlot(std::size_t pos);
  SeqSet& RestOf(Entry& entry);  // made when missing
  void DropRest(Entry& entry);

  KeyOf key_of_;
  std::vector<Entry> slots_;  // size 0 or a power of two
  std::size_t count_ = 0;
  std::vector<SeqSet> rests_;
  std::vector<std::uint32_t> free_rests_;  // 1 + an unused list of rests_
};

}  // namespace model
