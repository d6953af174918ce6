#include "model/item_map.h"

#include <algorithm>
#include <bit>
#include <sstream>
#include <unordered_set>

namespace model {

std::uint32_t ItemMap::TakeSlot() {
  if (!free_.empty()) {
    const std::uint32_t index = free_.back();
    free_.pop_back();
    return index;
  }
  if (fresh_ == capacity_) {
    const std::size_t count = chunks_.size();
    const std::size_t ramp = kChunkBits - 4;  // chunks before the first of full size
    const std::size_t size = count == 0      ? 16
                             : count <= ramp ? std::size_t{16} << (count - 1)
                                             : kChunk;
    chunks_.push_back(std::make_unique<Slot[]>(size));
    capacity_ += static_cast<std::uint32_t>(size);
  }
  return fresh_++;
}

Item& ItemMap::Insert(Item item) {
  const auto index = static_cast<std::size_t>(item.Seq());
  const std::size_t page_index = index >> (kBlockBits + kPageBits);
  if (page_index >= pages_.size()) pages_.resize(page_index + 1);
  std::unique_ptr<Page>& page = pages_[page_index];
  if (!page) page = std::make_unique<Page>();
  std::unique_ptr<Block>& block = page->blocks[(index >> kBlockBits) & (kPageBlocks - 1)];
  if (!block) {
    block = std::make_unique<Block>();
    ++page->used;
  }
  const std::size_t bit = index & (kBlockSeqs - 1);
  const std::uint32_t slot_index = TakeSlot();
  const auto [chunk, offset] = Locate(slot_index);
  Slot* slot = &chunks_[chunk][offset];
  Item& stored = slot->item.emplace(std::move(item));
  stored.ref_ = slot_index + 1;
  block->slots[bit] = slot;
  block->live |= std::uint64_t{1} << bit;
  ++size_;
  return stored;
}

bool ItemMap::Erase(Seq seq) {
  Slot* slot = FindSlot(seq);
  if (!slot) return false;
  const auto index = static_cast<std::size_t>(seq);
  std::unique_ptr<Page>& page = pages_[index >> (kBlockBits + kPageBits)];
  std::unique_ptr<Block>& block = page->blocks[(index >> kBlockBits) & (kPageBlocks - 1)];
  const std::size_t bit = index & (kBlockSeqs - 1);
  block->slots[bit] = nullptr;
  block->live &= ~(std::uint64_t{1} << bit);
  const std::uint32_t slot_index = slot->item->ref_ - 1;
  slot->item.reset();
  --size_;
  if (size_ == 0) {
    Clear();  // nothing left: give all storage back
    return true;
  }
  free_.push_back(slot_index);
  if (block->live == 0) {
    block.reset();
    if (--page->used == 0) page.reset();
  }
  return true;
}

Seq ItemMap::NextAfter(Seq after) const {
  // 64 bits wide, so that the step past the last block cannot overflow.
  std::uint64_t next = after < 0 ? 0 : static_cast<std::uint64_t>(after) + 1;
  for (;;) {
    const std::uint64_t page_index = next >> (kBlockBits + kPageBits);
    if (page_index >= pages_.size()) return kNoSeq;
    const Page* page = pages_[page_index].get();
    if (!page) {
      next = (page_index + 1) << (kBlockBits + kPageBits);
      continue;
    }
    const Block* block = page->blocks[(next >> kBlockBits) & (kPageBlocks - 1)].get();
    if (block) {
      const std::uint64_t bits = block->live & (~std::uint64_t{0} << (next & (kBlockSeqs - 1)));
      if (bits != 0) {
        return static_cast<Seq>((next & ~std::uint64_t{kBlockSeqs - 1}) |
                                static_cast<std::uint64_t>(std::countr_zero(bits)));
      }
    }
    next = ((next >> kBlockBits) + 1) << kBlockBits;
  }
}

void ItemMap::Clear() {
  pages_.clear();
  free_.clear();
  chunks_.clear();
  fresh_ = capacity_ = 0;
  size_ = 0;
}

std::string ItemMap::Check() const {
  std::ostringstream fault;
  std::size_t live = 0;
  std::unordered_set<const Slot*> used;
  for (std::size_t p = 0; p < pages_.size(); ++p) {
    const Page* page = pages_[p].get();
    if (!page) continue;
    std::size_t blocks = 0;
    for (std::size_t b = 0; b < kPageBlocks; ++b) {
      const Block* block = page->blocks[b].get();
      if (!block) continue;
      ++blocks;
      if (block->live == 0) return "an empty block is kept";
      for (std::size_t i = 0; i < kBlockSeqs; ++i) {
        const Slot* slot = block->slots[i];
        const bool bit = (block->live >> i) & 1;
        const auto seq = static_cast<Seq>((((p << kPageBits) | b) << kBlockBits) | i);
        if (bit != (slot != nullptr)) {
          fault << "live bit of Seq " << seq << " disagrees with its slot";
          return fault.str();
        }
        if (!slot) continue;
        if (!slot->item || slot->item->Seq() != seq) {
          fault << "the slot of Seq " << seq << " holds another item";
          return fault.str();
        }
        const std::uint32_t ref = slot->item->ref_;
        if (ref == 0 || ref > fresh_ || AtRef(ref) != &*slot->item) {
          fault << "the item of Seq " << seq << " has a wrong slot number";
          return fault.str();
        }
        if (!used.insert(slot).second) {
          fault << "the slot of Seq " << seq << " is shared";
          return fault.str();
        }
        ++live;
      }
    }
    if (blocks != page->used) return "a page miscounts its blocks";
    if (blocks == 0) return "an empty page is kept";
  }
  if (live != size_) {
    fault << "ItemMap holds " << live << " items but counts " << size_;
    return fault.str();
  }
  if (live + free_.size() != fresh_) return "slots are lost from the pool";
  for (const std::uint32_t index : free_) {
    const auto [chunk, offset] = Locate(index);
    const Slot* slot = &chunks_[chunk][offset];
    if (index >= fresh_ || slot->item || used.contains(slot)) return "a free slot is in use";
  }
  return {};
}

}  // namespace model
