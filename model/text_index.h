// The store's index from a text (an item's ID, or its Parent) to the items that hold it.
//
// An open-addressing table (linear probing, backward-shift removal) of one slot per key.
// A slot holds the key's hash, the earliest item with the key and, only when the key is
// shared, the Seqs of the later ones. The key text itself is read from the earliest item,
// which ItemMap never moves, so a lookup costs one probe sequence and no string copies.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/item.h"

namespace model {

class TextIndex {
 public:
  using SeqSet = std::set<Seq>;
  using ItemMap = std::map<Seq, Item>;
  using KeyOf = const std::string& (*)(const Item&);

  struct Entry {
    std::uint64_t hash = 0;
    Item* first = nullptr;         // null: the slot is free
    std::unique_ptr<SeqSet> rest;  // the later items with the key, ascending; may be null
  };

  explicit TextIndex(KeyOf key_of) : key_of_(key_of) {}

  const Entry* Find(std::string_view key) const;
  // Asks the memory system for the slot where the key's probe starts (a hint only).
  void Prefetch(std::string_view key) const;
  void Add(Item& item);
  // Removes the item (found by its key and Seq); the next item with the key, looked up in
  // `items`, becomes the earliest.
  void Remove(const Item& item, ItemMap& items);
  void Clear();
  std::size_t KeyCount() const { return count_; }
  const std::string& KeyOfItem(const Item& item) const { return key_of_(item); }

  // The first Seq after `after` among the items with the key, or kNoSeq.
  static Seq Next(const Entry* entry, Seq after);

  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const Entry& slot : slots_) {
      if (slot.first) visit(key_of_(*slot.first), slot);
    }
  }

 private:
  static std::uint64_t Hash(std::string_view key) { return std::hash<std::string_view>{}(key); }
  std::size_t SlotOf(std::string_view key, std::uint64_t hash) const;  // found or free slot
  void Grow();
  void EraseSlot(std::size_t pos);

  KeyOf key_of_;
  std::vector<Entry> slots_;  // size 0 or a power of two
  std::size_t count_ = 0;
};

}  // namespace model
