// The store of tabs and items: TabMap, ItemMap, the indexes that make lookups cheap, and
// the control state that belongs to the item model.
//
// Text is 8-bit ANSI text held in std::string; every comparison is exact (same length,
// same bytes). IDs are not unique: every lookup by ID answers the item with the lowest Seq.
//
// Indexes, kept in step by every write of Parent or TabIndex and by every removal:
// - ID -> ascending Seqs, so FindItem answers the earliest item without a walk;
// - Parent -> ascending child Seqs, for FindFirstChild and child walks;
// - TabIndex -> ascending Seqs, so a tab's items are walked without touching the others.
// The ID and Parent entries name the earliest item's slot (items do not move), so a lookup
// by ID costs one hash probe and no search of ItemMap (model/text_index.h). ItemMap is a
// table indexed by Seq (model/item_map.h), the Seq lists are sorted vectors
// (model/seq_set.h): finding an item by Seq and walking a tab read memory in order.
//
// The store takes no locks: everything runs on the control's one thread. Calls into the
// views (ViewRequests) may run host code that re-enters the store; no store operation keeps
// an iterator or reference across such a call.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/item.h"
#include "model/item_map.h"
#include "model/seq_set.h"
#include "model/text_index.h"
#include "model/view_requests.h"

namespace model {

// DisplayStyle values.
inline constexpr std::int32_t kDisplayTabsAndTree = 0;
inline constexpr std::int32_t kDisplayTabsOnly = 1;
inline constexpr std::int32_t kDisplayTreeOnly = 2;

inline constexpr std::int32_t kDefaultDelimiter = 44;  // the comma

class Store {
 public:
  using TabMap = std::map<std::string, TabEntry, std::less<>>;  // by name bytes
  using ItemMap = model::ItemMap;                               // ascending = creation order
  using SeqSet = model::SeqSet;
  // Called for each item just before it is erased, while it is still in the store.
  using EraseHook = std::function<void(const Item&)>;

  Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // ---- Containers and counts ------------------------------------------------------------
  const TabMap& Tabs() const { return tabs_; }
  const ItemMap& Items() const { return items_; }
  std::int32_t ItemCount() const { return static_cast<std::int32_t>(items_.size()); }
  std::int32_t TabCount() const { return static_cast<std::int32_t>(tabs_.size()); }

  // ---- Control state ---------------------------------------------------------------------
  std::int32_t Delimiter() const { return delimiter_; }
  void SetDelimiter(std::int32_t value) { delimiter_ = value; }
  // The byte that separates record fields: the low 8 bits of Delimiter.
  char DelimiterChar() const { return static_cast<char>(static_cast<std::uint8_t>(delimiter_)); }
  Seq NextSeq() const { return next_seq_; }
  std::int32_t NextTabIndex() const { return next_tab_index_; }
  std::int32_t CurrentTab() const { return current_tab_; }
  void SetCurrentTab(std::int32_t index) { current_tab_ = index; }
  bool ViewReady() const { return view_ready_; }
  void SetViewReady(bool ready) { view_ready_ = ready; }
  bool RebuildPending() const { return rebuild_pending_; }
  void SetRebuildPending(bool pending) { rebuild_pending_ = pending; }
  std::int32_t DisplayStyle() const { return display_style_; }
  void SetDisplayStyle(std::int32_t style) { display_style_ = style; }

  // The item iterator's position: the Seq it stands on, or kNoSeq for the end. Holding a
  // Seq rather than a map position keeps it valid when items are removed: a walk goes on
  // with the first item after that Seq, whether or not the item is still there.
  Seq ItemCursor() const { return item_cursor_; }
  void SetItemCursor(Seq seq) { item_cursor_ = seq; }

  // The views to ask; never null (without views the requests go nowhere).
  ViewRequests& Views() const { return *views_; }
  void SetViews(ViewRequests* views);

  // ---- Lookups -----------------------------------------------------------------------------
  Seq FindItem(std::string_view id) const;
  Item* FindItemPtr(Seq seq) { return items_.Find(seq); }
  const Item* FindItemPtr(Seq seq) const { return items_.Find(seq); }
  // The earliest item with the ID, or null.
  Item* FindItemById(std::string_view id);
  const Item* FindItemById(std::string_view id) const;
  // The first item after `after` (in Seq order) with the ID, or kNoSeq; with FindItem, a
  // walk over the items that share an ID.
  Seq FindNextWithId(std::string_view id, Seq after) const;
  int CountWithId(std::string_view id) const;

  std::int32_t FindTab(std::string_view name) const;
  const std::string& TabNameAt(std::int32_t index) const;  // empty text when none
  const TabEntry* TabEntryAt(std::int32_t index) const;    // null when none
  std::int32_t GetOrCreateTab(std::string_view name);

  Seq FindFirstChild(std::string_view parent) const;
  // The first item after `after` (in Seq order) whose Parent equals `parent`, or kNoSeq.
  Seq FindNextChild(std::string_view parent, Seq after) const;
  // The Seqs of the items of one tab, ascending; null when the tab has none. The set may
  // change (and move) with any write of the store.
  const SeqSet* SeqsOfTab(std::int32_t index) const;
  // A walk over the items of one tab in Seq order that stays valid while the store changes:
  // each call answers the first Seq of the tab after the one answered last, or kNoSeq.
  // The tab is named by its position, whatever tab stands there at the time of the call.
  Seq NextOfTab(std::int32_t index, SeqSet::Cursor& cursor) const;

  // Walks of ItemMap in Seq order.
  Seq FirstItem() const { return items_.First(); }
  Seq NextItemAfter(Seq seq) const { return items_.NextAfter(seq); }  // kNoSeq past the end

  // A hint that up to `count` more items are about to be stored: the indexes make room at
  // once instead of growing step by step.
  void ReserveItems(std::size_t count);
  // A hint that items with this ID and Parent are about to be stored or looked up.
  void PrefetchKeys(std::string_view id, std::string_view parent) const;
  // A hint that an item with this Parent is about to be stored: the parent item and the
  // earliest item with the same Parent are asked for. Best after PrefetchKeys has had time
  // to bring the index slots in.
  void PrefetchParentOf(std::string_view parent) const {
    const std::uint64_t hash = TextIndex::Hash(parent);
    by_id_.PrefetchFirst(hash);
    by_parent_.PrefetchFirst(hash);
  }
  // A hint that the item with this ID is about to be looked up.
  void PrefetchFindItem(std::string_view id) const { by_id_.Prefetch(id); }
  // A hint that the item with this Seq is about to be read.
  void PrefetchItem(Seq seq) const { items_.Prefetch(seq); }

  // ---- Writes --------------------------------------------------------------------------
  // Stores a new item under Seq = NextSeq with the given indexed fields and the plain
  // fields of `fields`; answers its Seq. Answers kNoSeq and stores nothing when tab_index
  // names no tab or when Seq values are used up (NextSeq would pass 2^31 - 1).
  Seq AppendItem(ItemText id, ItemText parent, std::int32_t tab_index, Item fields);
  bool SetParent(Seq seq, std::string_view parent);
  // Moves an item to another tab in the store; false when `index` names no tab.
  bool SetTabIndex(Seq seq, std::int32_t index);
  void SetLevelParent(std::int32_t tab_index, int slot, std::string_view id);
  void SetTabPic(std::int32_t index, std::int32_t picture);

  // ---- Removal -------------------------------------------------------------------------
  // Removes the earliest item with the ID and the subtree the tree shows under it: the
  // items, in all tabs, whose Parent names a removed item that is the earliest with its ID
  // (a later item with an ID is nobody's parent, since lookups answer the earliest). Each
  // item's children go before it, in Seq order, each with its own subtree first. When no
  // item has the ID, the items whose Parent equals it go all the same (for the empty ID:
  // every top-level item). Answers the number of items removed.
  //
  // Children are looked up as the walk reaches them, so an item given a Parent inside the
  // subtree by the hook goes too. Parent loops (made through the Parent property) end where
  // they come back: each item is taken once, and the items on a loop go with the subtree.
  // The walk uses an explicit stack, so deep chains cannot exhaust the call stack.
  int RemoveItem(std::string_view id, const EraseHook& before_erase = {});
  // Removes the subtree under the earliest item with the ID as RemoveItem does; the item
  // itself stays, also when a Parent loop leads back to it.
  int RemoveChildren(std::string_view parent, const EraseHook& before_erase = {});
  // Erases the tab and all its items, and moves every later tab position (tab Index, the
  // TabIndex of their items, CurrentTab) down by one. False when no tab has the name.
  bool RemoveTab(std::string_view name);
  // Empties both maps; NextSeq and NextTabIndex go back to 0, the item cursor to the end.
  // Delimiter, CurrentTab and the view flags stay.
  void RemoveAll();

  // Debug check of the indexes against ItemMap and TabMap: empty when all is consistent,
  // else a description of the first fault found.
  std::string CheckInvariants() const;

 private:
  std::string CheckIndex(const TextIndex& index, const char* name) const;
  // RemoveItem (with_item) and RemoveChildren.
  int RemoveSubtree(std::string_view id, bool with_item, const EraseHook& before_erase);
  // Erases one item after telling the hook; false when the hook already removed it.
  bool EraseItem(Seq seq, const EraseHook& before_erase);

  TabMap tabs_;
  ItemMap items_;
  TextIndex by_id_{&Item::id_, &Item::id_rest_, items_};
  TextIndex by_parent_{&Item::parent_, &Item::parent_rest_, items_};
  std::vector<SeqSet> by_tab_;               // by TabIndex
  std::vector<TabMap::iterator> tab_order_;  // by Index

  std::int32_t delimiter_ = kDefaultDelimiter;
  Seq next_seq_ = 0;
  std::int32_t next_tab_index_ = 0;
  Seq item_cursor_ = kNoSeq;
  std::int32_t current_tab_ = -1;
  bool view_ready_ = false;
  bool rebuild_pending_ = false;
  std::int32_t display_style_ = kDisplayTabsAndTree;
  ViewRequests* views_;
};

}  // namespace model
