// One item and one tab of the store, with the constants the record rules share.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/item_text.h"

namespace model {

// An item's sequence number: its key in ItemMap and its tree node's item data.
using Seq = std::int32_t;
inline constexpr Seq kNoSeq = -1;

// A tree node handle as the view hands it back; 0 = the item has no node.
using NodeHandle = std::uintptr_t;
inline constexpr NodeHandle kNoNode = 0;

// Flags bits: the same values as the tree's node states, passed through untranslated.
inline constexpr std::uint32_t kFlagSelect = 0x02;
inline constexpr std::uint32_t kFlagBold = 0x10;
inline constexpr std::uint32_t kFlagExpand = 0x20;

inline constexpr int kLevelSlots = 10;              // LevelParents slots 0..9
inline constexpr std::int32_t kMaxRecordLevel = 9;  // a record's LEVEL is capped here
inline constexpr std::int32_t kMaxPicture = 54;     // pictures 0..54
inline constexpr std::int32_t kMaxOverlay = 8;      // overlays 1..8, 0 = none
inline constexpr std::int32_t kPictureCount = 55;
inline constexpr std::int32_t kOverlayPictureCount = 8;

class Store;

// One entry of a tab's tree. The fields that the store indexes (ID, Parent, TabIndex,
// Seq) are read here but written only through Store, so that its indexes stay right;
// every other field is plain data that callers change in place.
//
// The fields are laid out by use: a lookup by ID reads the ID and the Text from the first
// cache line, a tree rebuild reads little beyond the second; the rarely read ones follow.
class Item {
  friend class Store;
  friend class ItemMap;
  ItemText id_;

 public:
  std::string_view ID() const { return id_; }
  std::string_view Parent() const { return parent_; }
  std::int32_t TabIndex() const { return tab_index_; }
  std::int32_t Seq() const { return seq_; }

  ItemText Text;

 private:
  ItemText parent_;

 public:
  NodeHandle TreeNode = kNoNode;

 private:
  std::int32_t seq_ = kNoSeq;

 public:
  std::int32_t Level = 0;
  std::int32_t Cpic = 0;
  std::uint32_t Flags = 0;
  std::int32_t OverlayPic = 0;
  std::int32_t HasChildren = 0;

 private:
  std::int32_t tab_index_ = 0;

 public:
  std::int32_t Opic = 0;
  std::int32_t ItemEnabled = 1;

 private:
  // Bookkeeping of the store: the item's slot in ItemMap, and, in the earliest item with an
  // ID or Parent, the list of the later items with the same one. Kept here, so that an
  // index slot holds no more than the key's hash and the item.
  std::uint32_t ref_ = 0;
  std::uint32_t id_rest_ = 0;
  std::uint32_t parent_rest_ = 0;

 public:
  ItemText Href;
  ItemText Frame;
  ItemText Tag;
};

// One tab. Index and LevelParents are kept by the store; callers only read them.
struct TabEntry {
  std::int32_t Index = 0;
  std::int32_t TabPic = 0;
  // Slot n: ID of the latest item of Level n - 1 added to this tab without an explicit
  // Parent. Slot 0 stays empty, so a Level 0 item is always top level.
  std::array<std::string, kLevelSlots> LevelParents;
};

}  // namespace model
