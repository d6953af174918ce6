#include "model/store.h"

#include <limits>
#include <sstream>
#include <unordered_set>
#include <utility>

namespace model {
namespace {

// Requests that go nowhere, for a store without views.
class NoViews final : public ViewRequests {
 public:
  void InsertTabEntry(std::int32_t, const std::string&) override {}
  void SetTabPicture(std::int32_t, std::int32_t) override {}
  void InsertItemNode(Item&) override {}
  void RefreshItemNode(const Item&) override {}
  void RebuildTree(std::int32_t) override {}
  void AdjustBusy(std::int32_t) override {}
};

NoViews& NoViewsInstance() {
  static NoViews none;
  return none;
}

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

}  // namespace

Store::Store() : views_(&NoViewsInstance()) {}

void Store::SetViews(ViewRequests* views) { views_ = views ? views : &NoViewsInstance(); }

// ---- Lookups -------------------------------------------------------------------------------

Seq Store::FindItem(std::string_view id) const {
  const Item* item = by_id_.FindFirst(id);
  return item ? item->seq_ : kNoSeq;
}

Item* Store::FindItemById(std::string_view id) { return by_id_.FindFirst(id); }

const Item* Store::FindItemById(std::string_view id) const { return by_id_.FindFirst(id); }

Seq Store::FindNextWithId(std::string_view id, Seq after) const {
  return by_id_.Next(by_id_.Find(id), after);
}

int Store::CountWithId(std::string_view id) const {
  return static_cast<int>(by_id_.Count(by_id_.Find(id)));
}

std::int32_t Store::FindTab(std::string_view name) const {
  auto it = tabs_.find(name);
  return it == tabs_.end() ? -1 : it->second.Index;
}

const std::string& Store::TabNameAt(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(tab_order_.size())) return EmptyText();
  return tab_order_[static_cast<std::size_t>(index)]->first;
}

const TabEntry* Store::TabEntryAt(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(tab_order_.size())) return nullptr;
  return &tab_order_[static_cast<std::size_t>(index)]->second;
}

std::int32_t Store::GetOrCreateTab(std::string_view name) {
  Views().AdjustBusy(+1);
  if (auto it = tabs_.find(name); it != tabs_.end()) {
    Views().AdjustBusy(-1);
    return it->second.Index;
  }
  const std::int32_t index = next_tab_index_;
  TabEntry entry;
  entry.Index = index;
  auto inserted = tabs_.emplace(name, std::move(entry)).first;
  tab_order_.push_back(inserted);
  by_tab_.emplace_back();
  ++next_tab_index_;
  // The store is complete before the view hears of the tab.
  if (view_ready_ && !rebuild_pending_) {
    Views().InsertTabEntry(index, inserted->first);
  } else {
    rebuild_pending_ = true;
  }
  Views().AdjustBusy(-1);
  return index;
}

Seq Store::FindFirstChild(std::string_view parent) const {
  const Item* item = by_parent_.First(by_parent_.Find(parent));
  return item ? item->seq_ : kNoSeq;
}

Seq Store::FindNextChild(std::string_view parent, Seq after) const {
  return by_parent_.Next(by_parent_.Find(parent), after);
}

const Store::SeqSet* Store::SeqsOfTab(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(by_tab_.size())) return nullptr;
  const SeqSet& seqs = by_tab_[static_cast<std::size_t>(index)];
  return seqs.empty() ? nullptr : &seqs;
}

Seq Store::NextOfTab(std::int32_t index, SeqSet::Cursor& cursor) const {
  if (index < 0 || index >= static_cast<std::int32_t>(by_tab_.size())) return kNoSeq;
  return by_tab_[static_cast<std::size_t>(index)].Next(cursor);
}

void Store::ReserveItems(std::size_t count) {
  // Each item adds at most one key to each index, but items usually share parents: room
  // for every item there would make the Parent index several times larger than it gets,
  // and its lookups slower for it. A list of many more parents grows it as usual.
  by_id_.Reserve(by_id_.KeyCount() + count);
  by_parent_.Reserve(by_parent_.KeyCount() + count / 4);
}

void Store::PrefetchKeys(std::string_view id, std::string_view parent) const {
  if (!id.empty()) by_id_.Prefetch(id);
  const std::uint64_t parent_hash = TextIndex::Hash(parent);
  by_id_.Prefetch(parent_hash);
  by_parent_.Prefetch(parent_hash);
}

// ---- Writes ----------------------------------------------------------------------------------

Seq Store::AppendItem(ItemText id, ItemText parent, std::int32_t tab_index, Item fields) {
  if (tab_index < 0 || tab_index >= TabCount()) return kNoSeq;
  // Seq values are never reused, so once they are used up no further item can be stored.
  if (next_seq_ == std::numeric_limits<Seq>::max()) return kNoSeq;
  const Seq seq = next_seq_++;
  fields.id_ = std::move(id);
  fields.parent_ = std::move(parent);
  fields.tab_index_ = tab_index;
  fields.seq_ = seq;
  Item& item = items_.Insert(std::move(fields));
  by_id_.Add(item);
  by_parent_.Add(item);
  by_tab_[static_cast<std::size_t>(tab_index)].Insert(seq);
  return seq;
}

bool Store::SetParent(Seq seq, std::string_view parent) {
  Item* item = FindItemPtr(seq);
  if (!item) return false;
  if (item->parent_ == parent) return true;
  by_parent_.Remove(*item);
  item->parent_ = parent;
  by_parent_.Add(*item);
  return true;
}

bool Store::SetTabIndex(Seq seq, std::int32_t index) {
  Item* item = FindItemPtr(seq);
  if (!item || index < 0 || index >= TabCount()) return false;
  if (item->tab_index_ == index) return true;
  by_tab_[static_cast<std::size_t>(item->tab_index_)].Erase(seq);
  by_tab_[static_cast<std::size_t>(index)].Insert(seq);
  item->tab_index_ = index;
  return true;
}

void Store::SetLevelParent(std::int32_t tab_index, int slot, std::string_view id) {
  // Slot 0 stays empty: it is the parent of Level 0 items, the top level.
  if (slot < 1 || slot >= kLevelSlots) return;
  if (tab_index < 0 || tab_index >= TabCount()) return;
  tab_order_[static_cast<std::size_t>(tab_index)]
      ->second.LevelParents[static_cast<std::size_t>(slot)] = id;
}

void Store::SetTabPic(std::int32_t index, std::int32_t picture) {
  if (index < 0 || index >= TabCount()) return;
  tab_order_[static_cast<std::size_t>(index)]->second.TabPic = picture;
}

// ---- Removal -------------------------------------------------------------------------------

bool Store::EraseItem(Seq seq, const EraseHook& before_erase) {
  if (before_erase) {
    const Item* item = FindItemPtr(seq);
    if (!item) return false;
    before_erase(*item);  // may re-enter the store
  }
  Item* item = FindItemPtr(seq);
  if (!item) return false;
  by_id_.Remove(*item);
  by_parent_.Remove(*item);
  by_tab_[static_cast<std::size_t>(item->tab_index_)].Erase(seq);
  items_.Erase(seq);
  return true;
}

int Store::RemoveSubtree(std::string_view id, bool with_item, const EraseHook& before_erase) {
  // Each frame is an item whose children are being removed, in Seq order; it goes when no
  // child is left. Only the earliest item with an ID has children (lookups by ID answer
  // it), so a later one goes at once as a leaf. Children are looked up afresh at every
  // step, since the hook may run code that changes the store. Each item is taken once, so
  // a Parent loop ends where it comes back.
  struct Frame {
    Seq seq;         // kNoSeq: no item holds the ID, or it is the one that stays
    std::string id;  // copied: the hook may erase the item
    Seq after = kNoSeq;
  };
  std::unordered_set<Seq> taken;
  const Seq top = FindItem(id);
  if (top != kNoSeq) taken.insert(top);
  std::vector<Frame> stack;
  stack.push_back(Frame{with_item ? top : kNoSeq, std::string(id)});
  int removed = 0;
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const Seq child = FindNextChild(frame.id, frame.after);
    if (child == kNoSeq) {
      const Seq done = frame.seq;
      stack.pop_back();
      if (done != kNoSeq && EraseItem(done, before_erase)) ++removed;
      continue;
    }
    frame.after = child;
    if (!taken.insert(child).second) continue;
    const std::string_view child_id = items_.Find(child)->id_;
    if (FindItem(child_id) == child) {
      // May move `frame`, which is not used after this.
      stack.push_back(Frame{child, std::string(child_id)});
    } else if (EraseItem(child, before_erase)) {
      ++removed;
    }
  }
  return removed;
}

int Store::RemoveItem(std::string_view id, const EraseHook& before_erase) {
  return RemoveSubtree(id, true, before_erase);
}

int Store::RemoveChildren(std::string_view parent, const EraseHook& before_erase) {
  return RemoveSubtree(parent, false, before_erase);
}

bool Store::RemoveTab(std::string_view name) {
  auto tab = tabs_.find(name);
  if (tab == tabs_.end()) return false;
  const std::int32_t index = tab->second.Index;
  const auto pos = static_cast<std::size_t>(index);
  for (Seq seq : by_tab_[pos]) {
    Item* item = items_.Find(seq);
    by_id_.Remove(*item);
    by_parent_.Remove(*item);
    items_.Erase(seq);
  }
  by_tab_.erase(by_tab_.begin() + index);
  tab_order_.erase(tab_order_.begin() + index);
  tabs_.erase(tab);
  // Later tabs move down one position, and their items with them.
  for (std::size_t i = pos; i < tab_order_.size(); ++i) {
    tab_order_[i]->second.Index = static_cast<std::int32_t>(i);
    for (Seq seq : by_tab_[i]) items_.Find(seq)->tab_index_ = static_cast<std::int32_t>(i);
  }
  --next_tab_index_;
  if (current_tab_ > index) --current_tab_;
  return true;
}

void Store::RemoveAll() {
  items_.Clear();
  tabs_.clear();
  by_id_.Clear();
  by_parent_.Clear();
  by_tab_.clear();
  tab_order_.clear();
  next_seq_ = 0;
  next_tab_index_ = 0;
  item_cursor_ = kNoSeq;  // Seq values start again at 0: an old position means nothing
}

// ---- Debug check ---------------------------------------------------------------------------

std::string Store::CheckIndex(const TextIndex& index, const char* name) const {
  std::ostringstream fault;
  if (std::string links = index.CheckLinks(); !links.empty()) {
    fault << name << " index: " << links;
    return fault.str();
  }
  bool ok = true;
  std::size_t total = 0;
  index.ForEach([&](std::string_view key, const TextIndex::Entry& entry) {
    if (!ok) return;
    const Item* first = index.First(&entry);
    // Find must reach this very slot, or the probe runs are broken.
    if (FindItemPtr(first->seq_) != first || index.Find(key) != &entry) {
      fault << name << " index entry '" << key << "' does not hold its earliest item";
      ok = false;
      return;
    }
    if (const SeqSet* rest = index.Rest(entry)) {
      if (std::string layout = rest->Check(); !layout.empty()) {
        fault << name << " index entry '" << key << "': " << layout;
        ok = false;
        return;
      }
      if (rest->empty()) {
        fault << name << " index entry '" << key << "' keeps an empty list";
        ok = false;
        return;
      }
      for (Seq seq : *rest) {
        const Item* item = FindItemPtr(seq);
        if (!item || seq <= first->seq_ || index.KeyOfItem(*item) != key) {
          fault << name << " index entry '" << key << "' holds a wrong Seq " << seq;
          ok = false;
          return;
        }
      }
    }
    total += index.Count(&entry);
  });
  if (!ok) return fault.str();
  if (total != items_.size()) {
    fault << name << " index holds " << total << " items, ItemMap " << items_.size();
    return fault.str();
  }
  return {};
}

std::string Store::CheckInvariants() const {
  std::ostringstream fault;
  const auto tab_count = static_cast<std::int32_t>(tabs_.size());
  if (next_tab_index_ != tab_count) {
    fault << "NextTabIndex " << next_tab_index_ << " != TabCount " << tab_count;
    return fault.str();
  }
  if (tab_order_.size() != tabs_.size() || by_tab_.size() != tabs_.size()) {
    return "tab position tables differ in size from TabMap";
  }
  std::vector<bool> seen(tabs_.size(), false);
  for (const auto& [name, entry] : tabs_) {
    if (entry.Index < 0 || entry.Index >= tab_count ||
        seen[static_cast<std::size_t>(entry.Index)]) {
      fault << "tab '" << name << "' has a bad or repeated Index " << entry.Index;
      return fault.str();
    }
    seen[static_cast<std::size_t>(entry.Index)] = true;
    if (tab_order_[static_cast<std::size_t>(entry.Index)]->first != name) {
      fault << "tab position " << entry.Index << " does not name tab '" << name << "'";
      return fault.str();
    }
    if (!entry.LevelParents[0].empty()) return "LevelParents slot 0 is not empty";
  }
  if (std::string layout = items_.Check(); !layout.empty()) return layout;
  if (std::string fault_text = CheckIndex(by_id_, "ID"); !fault_text.empty()) return fault_text;
  if (std::string fault_text = CheckIndex(by_parent_, "Parent"); !fault_text.empty()) {
    return fault_text;
  }
  std::size_t by_tab_total = 0;
  for (const SeqSet& seqs : by_tab_) {
    if (std::string layout = seqs.Check(); !layout.empty()) return "tab index: " + layout;
    by_tab_total += seqs.size();
  }
  if (by_tab_total != items_.size()) return "tab index size differs from ItemMap";
  for (const auto& [seq, item] : items_) {
    if (item.seq_ != seq || seq < 0 || seq >= next_seq_) {
      fault << "item under Seq " << seq << " carries Seq " << item.seq_;
      return fault.str();
    }
    const TextIndex::Entry* id = by_id_.Find(item.id_);
    // The bindings are captured by name: older compilers cannot capture a structured binding.
    const auto holds = [&, seq = seq, &item = item](const TextIndex& index,
                                                    const TextIndex::Entry* entry) {
      const SeqSet* rest = entry ? index.Rest(*entry) : nullptr;
      return entry && (index.First(entry) == &item || (rest && rest->Contains(seq)));
    };
    if (!holds(by_id_, id) || (by_id_.First(id) != &item && by_id_.RestOfItem(item) != 0)) {
      fault << "Seq " << seq << " is missing from the ID index or holds a list it does not head";
      return fault.str();
    }
    const TextIndex::Entry* parent = by_parent_.Find(item.parent_);
    if (!holds(by_parent_, parent) ||
        (by_parent_.First(parent) != &item && by_parent_.RestOfItem(item) != 0)) {
      fault << "Seq " << seq
            << " is missing from the Parent index or holds a list it does not head";
      return fault.str();
    }
    if (item.tab_index_ < 0 || item.tab_index_ >= tab_count ||
        !by_tab_[static_cast<std::size_t>(item.tab_index_)].Contains(seq)) {
      fault << "Seq " << seq << " has TabIndex " << item.tab_index_ << " outside the tab index";
      return fault.str();
    }
  }
  if (item_cursor_ != kNoSeq && (item_cursor_ < 0 || item_cursor_ >= next_seq_)) {
    return "item cursor beyond NextSeq";
  }
  return {};
}

}  // namespace model
