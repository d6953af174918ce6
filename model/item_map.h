// ItemMap: the items by Seq, ascending.
//
// Seqs are handed out in ascending order, so the map is a table indexed by Seq rather than
// a search tree: finding an item is a few array reads and no comparisons. The table has
// two levels (pages of blocks of 64 Seqs, each block with one word of live bits) and drops
// a block or page once nothing in it is live, so Seqs that were used up by removed items
// cost next to nothing. The table holds pointers into a pool of item slots that never
// move: an item keeps its address until it is erased. Each slot has a number (its Ref),
// from which the item is found by arithmetic and one read of a short table; the indexes
// hold Refs, 4 bytes each. The pool reuses freed slots (so it holds as many as were ever
// live at once) and is given back whole when the map becomes empty; a new store fills it
// in Seq order, so walks read memory in order.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/item.h"

namespace model {

class ItemMap {
 public:
  // What a walk yields: the Seq and the item, as a map's entries would.
  using value_type = std::pair<Seq, const Item&>;
  class const_iterator;
  using iterator = const_iterator;

  ItemMap() = default;
  ItemMap(const ItemMap&) = delete;
  ItemMap& operator=(const ItemMap&) = delete;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  Item* Find(Seq seq) { return Slot::Get(FindSlot(seq)); }
  const Item* Find(Seq seq) const { return Slot::Get(FindSlot(seq)); }
  // The number of a held item's slot (never 0), and the item in the slot with a number.
  static std::uint32_t RefOf(const Item& item) { return item.ref_; }
  // Whether a number names a slot that holds an item (for debug checks).
  bool HoldsRef(std::uint32_t ref) const {
    if (ref == 0 || ref > fresh_) return false;
    const auto [chunk, offset] = Locate(ref - 1);
    return chunks_[chunk][offset].item.has_value();
  }
  Item* AtRef(std::uint32_t ref) const {
    const auto [chunk, offset] = Locate(ref - 1);
    return &*chunks_[chunk][offset].item;
  }
  // Stores the item under its Seq, which no held item may have; answers the stored item.
  Item& Insert(Item item);
  bool Erase(Seq seq);  // false when no item has the Seq
  // A hint that the item with the Seq is about to be read: its first two cache lines are
  // asked for.
  void Prefetch(Seq seq) const {
#if defined(__GNUC__)
    if (const Slot* slot = FindSlot(seq)) {
      __builtin_prefetch(slot);
      __builtin_prefetch(reinterpret_cast<const char*>(slot) + 64);
    }
#else
    (void)seq;
#endif
  }
  // The same for the item in the slot with a number.
  void PrefetchRef(std::uint32_t ref) const {
#if defined(__GNUC__)
    const char* item = reinterpret_cast<const char*>(AtRef(ref));
    __builtin_prefetch(item);
    __builtin_prefetch(item + 64);
#else
    (void)ref;
#endif
  }
  Seq First() const { return NextAfter(kNoSeq); }
  Seq NextAfter(Seq after) const;  // the first Seq above `after` held, or kNoSeq
  void Clear();

  const_iterator begin() const;
  const_iterator end() const;

  // Debug check of the table and the pool: empty when consistent, else the first fault.
  std::string Check() const;

 private:
  static constexpr int kBlockBits = 6;  // 64 Seqs per block, one live bit each
  static constexpr int kPageBits = 8;   // 256 blocks per page
  static constexpr std::size_t kBlockSeqs = std::size_t{1} << kBlockBits;
  static constexpr std::size_t kPageBlocks = std::size_t{1} << kPageBits;
  static constexpr int kChunkBits = 8;
  static constexpr std::size_t kChunk = std::size_t{1} << kChunkBits;  // slots per chunk

  // Cache-line aligned, so that an item's first fields (ID, Text, Parent and the numbers a
  // rebuild reads) share as few lines as they can.
  struct alignas(64) Slot {
    std::optional<Item> item;
    static Item* Get(Slot* slot) { return slot ? &*slot->item : nullptr; }
  };
  struct Block {
    std::uint64_t live = 0;
    std::array<Slot*, kBlockSeqs> slots{};
  };
  struct Page {
    std::array<std::unique_ptr<Block>, kPageBlocks> blocks;
    std::size_t used = 0;  // blocks present
  };

  Slot* FindSlot(Seq seq) const {
    if (seq < 0) return nullptr;
    const auto index = static_cast<std::size_t>(seq);
    const std::size_t page = index >> (kBlockBits + kPageBits);
    if (page >= pages_.size() || !pages_[page]) return nullptr;
    const Block* block = pages_[page]->blocks[(index >> kBlockBits) & (kPageBlocks - 1)].get();
    return block ? block->slots[index & (kBlockSeqs - 1)] : nullptr;
  }
  // The chunk and the place in it of the slot with an index (its Ref - 1). The first
  // chunks hold 16, 16, 32, ... kChunk / 2 slots (so a small store stays small), then kChunk.
  static std::pair<std::size_t, std::size_t> Locate(std::uint32_t index) {
    if (index < 16) return {0, index};
    if (index < kChunk) {
      const int width = std::bit_width(index);
      return {static_cast<std::size_t>(width - 4), index - (std::uint32_t{1} << (width - 1))};
    }
    return {kChunkBits - 4 + (index >> kChunkBits), index & (kChunk - 1)};
  }
  std::uint32_t TakeSlot();  // the index of a free slot

  std::vector<std::unique_ptr<Page>> pages_;
  std::vector<std::unique_ptr<Slot[]>> chunks_;
  std::uint32_t fresh_ = 0;  // slots handed out of the chunks so far
  std::uint32_t capacity_ = 0;
  std::vector<std::uint32_t> free_;  // indexes of slots of erased items
  std::size_t size_ = 0;
};

class ItemMap::const_iterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using iterator_concept = std::forward_iterator_tag;
  using value_type = ItemMap::value_type;
  using difference_type = std::ptrdiff_t;
  using reference = value_type;
  struct pointer {
    value_type entry;
    const value_type* operator->() const { return &entry; }
  };

  const_iterator() = default;
  value_type operator*() const { return value_type(seq_, *map_->Find(seq_)); }
  pointer operator->() const { return pointer{**this}; }
  const_iterator& operator++() {
    seq_ = map_->NextAfter(seq_);
    return *this;
  }
  const_iterator operator++(int) {
    const_iterator before = *this;
    ++*this;
    return before;
  }
  friend bool operator==(const const_iterator& a, const const_iterator& b) {
    return a.seq_ == b.seq_;
  }

 private:
  friend class ItemMap;
  const_iterator(const ItemMap* map, Seq seq) : map_(map), seq_(seq) {}
  const ItemMap* map_ = nullptr;
  Seq seq_ = kNoSeq;
};

inline ItemMap::const_iterator ItemMap::begin() const { return const_iterator(this, First()); }
inline ItemMap::const_iterator ItemMap::end() const { return const_iterator(this, kNoSeq); }

}  // namespace model
