// ItemText: the text of one field of an item or record. Bytes of any value (a NUL is an
// ordinary byte), with an explicit length, like std::string, but with room for 31 bytes in
// place of std::string's 15 in the same 32 bytes. Most IDs and captions fit, so storing
// them takes no heap block and reading one by ID touches no memory beyond the item.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>

namespace model {

class ItemText {
 public:
  static constexpr std::size_t kLocalCapacity = 31;

  ItemText() noexcept { SetLocalSize(0); }
  explicit ItemText(std::string_view text) {
    SetLocalSize(0);
    assign(text);
  }
  ItemText(const ItemText& other) : ItemText(other.view()) {}
  ItemText(ItemText&& other) noexcept {
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.SetLocalSize(0);  // a heap block now belongs to this text
  }
  ItemText& operator=(const ItemText& other) { return assign(other.view()); }
  ItemText& operator=(ItemText&& other) noexcept {
    if (this != &other) {
      Release();
      std::memcpy(bytes_, other.bytes_, sizeof bytes_);
      other.SetLocalSize(0);
    }
    return *this;
  }
  ItemText& operator=(std::string_view text) { return assign(text); }
  ~ItemText() { Release(); }

  const char* data() const noexcept {
    return IsLocal() ? reinterpret_cast<const char*>(bytes_) : HeapData();
  }
  std::size_t size() const noexcept { return IsLocal() ? LocalSize() : HeapSize(); }
  bool empty() const noexcept { return size() == 0; }
  std::string_view view() const noexcept { return {data(), size()}; }
  char operator[](std::size_t pos) const noexcept { return data()[pos]; }
  operator std::string_view() const noexcept { return view(); }  // NOLINT: like std::string
  std::string str() const { return std::string(view()); }

  void clear() noexcept {
    Release();
    SetLocalSize(0);
  }
  // Replaces the text; `text` may lie inside this one.
  ItemText& assign(std::string_view text);
  ItemText& append(std::string_view text);

  friend bool operator==(const ItemText& a, const ItemText& b) noexcept {
    return a.view() == b.view();
  }
  friend bool operator==(const ItemText& a, std::string_view b) noexcept { return a.view() == b; }
  friend auto operator<=>(const ItemText& a, const ItemText& b) noexcept {
    return a.view() <=> b.view();
  }
  friend auto operator<=>(const ItemText& a, std::string_view b) noexcept { return a.view() <=> b; }
  friend std::ostream& operator<<(std::ostream& out, const ItemText& text);

 private:
  // bytes_[31] tells the form: kHeap for a heap block, else 31 - size of a text held in
  // bytes_[0..30]. A heap block is described by its address, size and capacity in the
  // first 24 bytes (read and written by memcpy, so no union member is read inactive).
  static constexpr unsigned char kHeap = 0xFF;
  static constexpr std::size_t kTag = kLocalCapacity;
  static constexpr std::size_t kSizeAt = sizeof(char*);
  static constexpr std::size_t kCapacityAt = kSizeAt + sizeof(std::size_t);

  bool IsLocal() const noexcept { return bytes_[kTag] != kHeap; }
  std::size_t LocalSize() const noexcept { return kLocalCapacity - bytes_[kTag]; }
  void SetLocalSize(std::size_t size) noexcept {
    bytes_[kTag] = static_cast<unsigned char>(kLocalCapacity - size);
  }
  char* HeapData() const noexcept {
    char* data;
    std::memcpy(&data, bytes_, sizeof data);
    return data;
  }
  std::size_t HeapWord(std::size_t at) const noexcept {
    std::size_t word;
    std::memcpy(&word, bytes_ + at, sizeof word);
    return word;
  }
  std::size_t HeapSize() const noexcept { return HeapWord(kSizeAt); }
  std::size_t Capacity() const noexcept {
    return IsLocal() ? kLocalCapacity : HeapWord(kCapacityAt);
  }
  void SetHeap(char* data, std::size_t size, std::size_t capacity) noexcept;
  void SetSize(std::size_t size) noexcept;
  void Release() noexcept {
    if (!IsLocal()) FreeHeap();
  }
  void FreeHeap() noexcept;

  alignas(8) unsigned char bytes_[kLocalCapacity + 1];
};

static_assert(sizeof(ItemText) == 32);

}  // namespace model
