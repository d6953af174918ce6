#include "model/item_text.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace model {

void ItemText::SetHeap(char* data, std::size_t size, std::size_t capacity) noexcept {
  std::memcpy(bytes_, &data, sizeof data);
  std::memcpy(bytes_ + kSizeAt, &size, sizeof size);
  std::memcpy(bytes_ + kCapacityAt, &capacity, sizeof capacity);
  bytes_[kTag] = kHeap;
}

void ItemText::SetSize(std::size_t size) noexcept {
  if (IsLocal()) {
    SetLocalSize(size);
  } else {
    std::memcpy(bytes_ + kSizeAt, &size, sizeof size);
  }
}

void ItemText::FreeHeap() noexcept {
  std::allocator<char>().deallocate(HeapData(), HeapWord(kCapacityAt));
}

ItemText& ItemText::assign(std::string_view text) {
  if (text.size() > Capacity()) {
    // Cannot overlap: this text is shorter than `text`.
    char* block = std::allocator<char>().allocate(text.size());
    std::memcpy(block, text.data(), text.size());
    Release();
    SetHeap(block, text.size(), text.size());
    return *this;
  }
  std::memmove(IsLocal() ? reinterpret_cast<char*>(bytes_) : HeapData(), text.data(), text.size());
  SetSize(text.size());
  return *this;
}

ItemText& ItemText::append(std::string_view text) {
  const std::size_t size = this->size();
  if (text.size() > Capacity() - size) {
    if (text.size() > std::allocator_traits<std::allocator<char>>::max_size({}) - size) {
      throw std::length_error("ItemText too long");
    }
    // Doubling, so that repeated appends cost linear time; `text` may lie in the old block.
    const std::size_t needed = size + text.size();
    const std::size_t capacity = std::max(needed, 2 * Capacity());
    char* block = std::allocator<char>().allocate(capacity);
    std::memcpy(block, data(), size);
    std::memcpy(block + size, text.data(), text.size());
    Release();
    SetHeap(block, needed, capacity);
    return *this;
  }
  char* out = IsLocal() ? reinterpret_cast<char*>(bytes_) : HeapData();
  std::memmove(out + size, text.data(), text.size());
  SetSize(size + text.size());
  return *this;
}

std::ostream& operator<<(std::ostream& out, const ItemText& text) { return out << text.view(); }

}  // namespace model
