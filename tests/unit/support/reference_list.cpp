#include "support/reference_list.h"

#include <algorithm>

#include "control/tabbed_list_impl.h"

namespace testing_support {

namespace {

constexpr const char* kKeys[] = {"TAB",    "TABPIC", "TEXT",   "HREF",    "FRAME",  "ID",
                                 "PARENT", "LEVEL",  "PIC",    "OPIC",    "CPIC",   "TAG",
                                 "BOLD",   "EXPAND", "SELECT", "OVERLAY", "ENABLE", "HASCHILDREN"};

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

std::int32_t Number(const std::string& value) {
  std::size_t p = 0;
  while (p < value.size() && (value[p] == ' ' || (value[p] >= 9 && value[p] <= 13))) ++p;
  bool negative = false;
  if (p < value.size() && (value[p] == '+' || value[p] == '-')) negative = value[p++] == '-';
  std::uint32_t number = 0;
  while (p < value.size() && value[p] >= '0' && value[p] <= '9') {
    number = number * 10 + static_cast<std::uint32_t>(value[p++] - '0');
  }
  return static_cast<std::int32_t>(negative ? 0u - number : number);
}

std::string Line(const ReferenceList::Item& item) {
  std::string line = "item " + std::to_string(item.seq) + " [" + item.id + "] [" + item.text +
                     "] [" + item.href + "] [" + item.frame + "] [" + item.parent + "] [" +
                     item.tag + "]";
  for (std::int64_t n :
       {std::int64_t{item.level}, std::int64_t{item.cpic}, std::int64_t{item.opic},
        std::int64_t{item.flags}, std::int64_t{item.overlay}, std::int64_t{item.enabled},
        std::int64_t{item.has_children}, std::int64_t{item.tab_index}}) {
    line += " " + std::to_string(n);
  }
  return line + "\n";
}

std::string TabLine(const std::string& name, const ReferenceList::Tab& tab) {
  std::string line =
      "tab [" + name + "] " + std::to_string(tab.index) + " " + std::to_string(tab.pic);
  for (const std::string& slot : tab.level_parents) line += " [" + slot + "]";
  return line + "\n";
}

}  // namespace

// ---- Records ---------------------------------------------------------------------------------

ReferenceList::Record ReferenceList::ParseRecord(const std::string& text) const {
  const char d = static_cast<char>(static_cast<std::uint8_t>(delimiter_));
  Record r;
  std::size_t p = 0;
  while (p < text.size()) {
    const std::string rest = text.substr(p);
    if (rest.size() == 3 && Upper(rest[0]) == 'E' && Upper(rest[1]) == 'N' &&
        Upper(rest[2]) == 'D') {
      return Record{.end = true};
    }
    for (const char* key : kKeys) {
      const std::string name = key;
      if (p + name.size() >= text.size()) continue;
      bool match = true;
      for (std::size_t i = 0; i < name.size(); ++i) match = match && Upper(text[p + i]) == name[i];
      const char sign = text[p + name.size()];
      if (!match || (sign != ':' && sign != '=')) continue;
      p += name.size() + 1;
      while (p < text.size() && text[p] == ' ') ++p;
      std::string value;
      while (p < text.size() && text[p] != d) value.push_back(text[p++]);
      const std::int32_t n = Number(value);
      if (name == "TAB") r.tab += value;
      if (name == "TABPIC") r.tab_pic = n;
      if (name == "TEXT") r.text += value;
      if (name == "HREF") {
        r.href += value;
        if (r.href == "NONE" || r.href == "none") r.href.clear();
      }
      if (name == "FRAME") {
        r.frame += value;
        if (r.frame == "NONE" || r.frame == "none") r.frame.clear();
      }
      if (name == "ID") r.id += value;
      if (name == "PARENT") r.parent += value;
      if (name == "LEVEL") r.level = std::min(n, 9);
      if (name == "PIC") r.cpic = r.opic = n;
      if (name == "OPIC") r.opic = n;
      if (name == "CPIC") r.cpic = n;
      if (name == "TAG") r.tag += value;
      if (name == "BOLD" && n != 0) r.flags |= 16;
      if (name == "EXPAND" && n != 0) r.flags |= 32;
      if (name == "SELECT" && n != 0) r.flags |= 2;
      if (name == "OVERLAY") r.overlay = n;
      if (name == "ENABLE") r.enabled = n != 0 ? 1 : 0;
      if (name == "HASCHILDREN") r.has_children = n != 0 ? 1 : 0;
    }
    if (p >= text.size()) break;
    ++p;
  }
  return r;
}

void ReferenceList::AddItemRecord(const std::string& text) {
  Record r = ParseRecord(text);
  if (r.end) return;
  if (r.id.empty()) r.id = "ID" + std::to_string(next_seq_);
  if (display_style_ == 1) {
    if (r.tab.empty()) return;
    if (r.text.empty()) r.text = r.id;
  } else if (display_style_ == 2) {
    if (r.text.empty()) return;
    if (r.tab.empty()) r.tab = "Hidden";
  } else if (r.tab.empty() || r.text.empty()) {
    return;
  }
  if (r.opic > 54) r.opic = 0;
  if (r.cpic > 54) r.cpic = 0;
  if (r.overlay > 8) r.overlay = 0;
  if (r.tab_pic > 54) r.tab_pic = 0;
  Item item;
  item.tab_index = GetOrCreateTab(r.tab);
  Tab& tab = tabs_.at(r.tab);
  if (display_style_ != 2 && r.tab_pic > 0) tab.pic = r.tab_pic;
  if (!r.parent.empty() && r.parent == r.id) {
    r.parent.clear();
  } else if (!r.parent.empty()) {
    if (const Item* parent = ItemOf(r.parent)) {
      r.level = static_cast<std::int32_t>(static_cast<std::uint32_t>(parent->level) + 1u);
    }
  } else if (r.level >= 0) {
    r.parent = tab.level_parents[static_cast<std::size_t>(r.level)];
    if (r.level + 1 <= 9) tab.level_parents[static_cast<std::size_t>(r.level + 1)] = r.id;
  }
  item.id = r.id;
  item.text = r.text;
  item.href = r.href;
  item.frame = r.frame;
  item.parent = r.parent;
  item.tag = r.tag;
  item.level = r.level;
  item.cpic = r.cpic;
  item.opic = r.opic;
  item.flags = r.flags;
  item.overlay = r.overlay;
  item.enabled = r.enabled;
  item.has_children = r.has_children;
  item.seq = next_seq_++;
  items_.push_back(item);
}

void ReferenceList::AddItemList(const std::string& records) {
  std::size_t p = 0;
  while (p < records.size()) {
    std::size_t end = p;
    while (end < records.size() && records[end] != '\r' && records[end] != '\n') ++end;
    AddItemRecord(records.substr(p, end - p));
    p = end + 1;
  }
}

std::string ReferenceList::GetItemString(const std::string& id) const {
  const Item* item = ItemOf(id);
  if (item == nullptr) return {};
  std::string out;
  if (!item->parent.empty()) out += "PARENT:" + item->parent;
  if (display_style_ == 0)
    out += (out.empty() ? "" : ",") + std::string("TAB:") + TabNameAt(item->tab_index);
  out += (out.empty() ? "" : ",") + std::string("TEXT:") + item->text;
  out += ",ID:" + item->id;
  if (!item->href.empty()) out += ",HREF:" + item->href;
  if (!item->frame.empty()) out += ",FRAME:" + item->frame;
  if (!item->tag.empty()) out += ",TAG:" + item->tag;
  if (item->cpic != 0) out += ",CPIC:" + std::to_string(item->cpic);
  if (item->opic != 0) out += ",OPIC:" + std::to_string(item->opic);
  if (item->overlay != 0) out += ",OVERLAY:" + std::to_string(item->overlay);
  out += ",ENABLE:" + std::to_string(item->enabled);
  if ((item->flags & 16) != 0) out += ",BOLD:1";
  if ((item->flags & 32) != 0) out += ",EXPAND:1";
  if ((item->flags & 2) != 0) out += ",SELECT:1";
  if (item->has_children != 0) out += ",HASCHILDREN:1";
  return out;
}

// ---- Store -----------------------------------------------------------------------------------

int ReferenceList::FindItem(const std::string& id) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

const ReferenceList::Item* ReferenceList::ItemOf(const std::string& id) const {
  const int at = FindItem(id);
  return at < 0 ? nullptr : &items_[static_cast<std::size_t>(at)];
}

ReferenceList::Item* ReferenceList::ItemOf(const std::string& id) {
  const int at = FindItem(id);
  return at < 0 ? nullptr : &items_[static_cast<std::size_t>(at)];
}

std::int32_t ReferenceList::GetOrCreateTab(const std::string& name) {
  auto found = tabs_.find(name);
  if (found != tabs_.end()) return found->second.index;
  tabs_[name].index = next_tab_index_;
  return next_tab_index_++;
}

std::string ReferenceList::TabNameAt(std::int32_t index) const {
  for (const auto& [name, tab] : tabs_) {
    if (tab.index == index) return name;
  }
  return {};
}

// ---- Per-item properties ---------------------------------------------------------------------

#define ZORTAB_REFERENCE_FIELD(Name, field, Type, Arg)              \
  Type ReferenceList::Get##Name(const std::string& id) const {      \
    const Item* item = ItemOf(id);                                  \
    return item ? item->field : Type{};                             \
  }                                                                 \
  void ReferenceList::Put##Name(const std::string& id, Arg value) { \
    if (Item* item = ItemOf(id)) item->field = value;               \
  }
ZORTAB_REFERENCE_FIELD(Text, text, std::string, const std::string&)
ZORTAB_REFERENCE_FIELD(Href, href, std::string, const std::string&)
ZORTAB_REFERENCE_FIELD(Frame, frame, std::string, const std::string&)
ZORTAB_REFERENCE_FIELD(Tag, tag, std::string, const std::string&)
ZORTAB_REFERENCE_FIELD(Parent, parent, std::string, const std::string&)
ZORTAB_REFERENCE_FIELD(Level, level, std::int32_t, std::int32_t)
ZORTAB_REFERENCE_FIELD(Opic, opic, std::int32_t, std::int32_t)
ZORTAB_REFERENCE_FIELD(Cpic, cpic, std::int32_t, std::int32_t)
ZORTAB_REFERENCE_FIELD(OverlayPic, overlay, std::int32_t, std::int32_t)
#undef ZORTAB_REFERENCE_FIELD

std::int32_t ReferenceList::GetItemEnabled(const std::string& id) const {
  const Item* item = ItemOf(id);
  return item ? item->enabled : 0;
}

void ReferenceList::PutItemEnabled(const std::string& id, std::int32_t value) {
  if (Item* item = ItemOf(id)) item->enabled = value != 0 ? 1 : 0;
}

void ReferenceList::PutPic(const std::string& id, std::int32_t value) {
  if (Item* item = ItemOf(id)) item->cpic = item->opic = value;
}

std::string ReferenceList::GetTab(const std::string& id) const {
  const Item* item = ItemOf(id);
  return item ? TabNameAt(item->tab_index) : std::string();
}

void ReferenceList::PutTab(const std::string& id, const std::string& name) {
  if (ItemOf(id) == nullptr) return;
  const std::int32_t index = GetOrCreateTab(name);
  ItemOf(id)->tab_index = index;
}

std::int32_t ReferenceList::FlagOf(const std::string& id, std::uint32_t bit) const {
  const Item* item = ItemOf(id);
  return item && (item->flags & bit) != 0 ? 1 : 0;
}

void ReferenceList::SetFlag(const std::string& id, std::uint32_t bit, std::int32_t value) {
  if (Item* item = ItemOf(id))
    item->flags = value != 0 ? (item->flags | bit) : (item->flags & ~bit);
}

std::int32_t ReferenceList::GetTabPic(const std::string& name) const {
  auto found = tabs_.find(name);
  return found == tabs_.end() ? 0 : found->second.pic;
}

void ReferenceList::PutTabPic(const std::string& name, std::int32_t value) {
  auto found = tabs_.find(name);
  if (found != tabs_.end()) found->second.pic = value;
}

// ---- Walks -----------------------------------------------------------------------------------

std::string ReferenceList::GetFirstItem() {
  cursor_ = items_.empty() ? -1 : items_.front().seq;
  return items_.empty() ? std::string() : items_.front().id;
}

std::string ReferenceList::GetNextItem() {
  if (cursor_ < 0) return {};
  // Mend: the position is a Seq, so a removed item's successor follows.
  for (const Item& item : items_) {
    if (item.seq > cursor_) {
      cursor_ = item.seq;
      return item.id;
    }
  }
  cursor_ = -1;
  return {};
}

control::TextResult ReferenceList::GetFirstChild(const std::string& parent_id) const {
  for (const Item& item : items_) {
    if (item.parent == parent_id) return {item.id, item.seq};
  }
  return {};
}

control::TextResult ReferenceList::GetNextChild(const std::string& prev_child_id) const {
  std::string parent;
  for (const Item& item : items_) {
    if (parent.empty()) {
      if (item.id == prev_child_id) parent = item.parent;
    } else if (item.parent == parent) {
      return {item.id, item.seq};
    }
  }
  return {};
}

// ---- Deletion --------------------------------------------------------------------------------

void ReferenceList::EraseSeq(std::int32_t seq) {
  std::erase_if(items_, [seq](const Item& item) { return item.seq == seq; });
}

void ReferenceList::DeleteItemRecursive(const std::string& id, bool with_item) {
  std::vector<std::int32_t> taken;
  const Item* top = ItemOf(id);
  const std::int32_t top_seq = top ? top->seq : -1;
  if (top) taken.push_back(top_seq);
  DeleteSubtree(id, taken);
  if (with_item && top_seq >= 0) EraseSeq(top_seq);
}

void ReferenceList::DeleteSubtree(const std::string& id, std::vector<std::int32_t>& taken) {
  for (;;) {
    // FindFirstChild, skipping (mend: a loop) the items this deletion already took.
    const Item* child = nullptr;
    for (const Item& item : items_) {
      if (item.parent == id && std::find(taken.begin(), taken.end(), item.seq) == taken.end()) {
        child = &item;
        break;
      }
    }
    if (child == nullptr) return;
    const std::int32_t seq = child->seq;
    const std::string child_id = child->id;
    taken.push_back(seq);
    // Mend: a child whose ID an earlier item holds goes alone.
    if (ItemOf(child_id)->seq == seq) DeleteSubtree(child_id, taken);
    EraseSeq(seq);
  }
}

void ReferenceList::DeleteTab(const std::string& name) {
  auto found = tabs_.find(name);
  if (found == tabs_.end()) return;
  const std::int32_t index = found->second.index;
  tabs_.erase(found);
  --next_tab_index_;
  std::erase_if(items_, [index](const Item& item) { return item.tab_index == index; });
  for (auto& [tab_name, tab] : tabs_) {
    if (tab.index > index) --tab.index;
  }
  for (Item& item : items_) {
    if (item.tab_index > index) --item.tab_index;
  }
}

void ReferenceList::DeleteAll() {
  items_.clear();
  tabs_.clear();
  next_seq_ = 0;
  next_tab_index_ = 0;
  cursor_ = -1;  // Mend: Seqs start again, so the old position means nothing.
}

// ---- Marks -----------------------------------------------------------------------------------

void ReferenceList::SelectMultiple(const std::string& id, std::int32_t selected,
                                   std::int32_t cascade) {
  if (id.empty()) {
    for (Item& item : items_) item.overlay = selected != 0 ? 2 : 0;
    return;
  }
  if (ItemOf(id) == nullptr) return;
  std::vector<std::string> expanded;
  if (cascade == 0) expanded.push_back(id);  // only the item itself
  MarkItem(static_cast<std::size_t>(FindItem(id)), selected != 0, expanded);
  if (cascade != 0) {
    std::vector<std::int32_t> seen;
    MarkAncestors(id, selected != 0, seen);
  }
}

void ReferenceList::MarkItem(std::size_t at, bool selected, std::vector<std::string>& expanded) {
  Item& self = items_[at];
  if (selected && self.overlay != 1) self.overlay = 2;
  if (!selected && self.overlay == 2) self.overlay = 0;
  // Mend: each ID's children once (marking twice changes nothing, and a loop ends).
  const std::string id = self.id;
  if (std::find(expanded.begin(), expanded.end(), id) != expanded.end()) return;
  expanded.push_back(id);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].parent == id) MarkItem(i, selected, expanded);
  }
}

void ReferenceList::MarkAncestors(const std::string& id, bool selected,
                                  std::vector<std::int32_t>& seen) {
  if (id.empty()) return;
  Item* item = ItemOf(id);
  // Mend: each ancestor once, so a Parent loop ends.
  if (item == nullptr || std::find(seen.begin(), seen.end(), item->seq) != seen.end()) return;
  seen.push_back(item->seq);
  item->overlay = selected ? 2 : 0;
  if (selected || !HasMarkedSibling(*item))
    MarkAncestors(std::string(item->parent), selected, seen);
}

bool ReferenceList::HasMarkedSibling(const Item& self) const {
  for (const Item& item : items_) {
    if (item.id != self.id && item.parent == self.parent && item.overlay == 2) return true;
  }
  return false;
}

std::string ReferenceList::SelectedFrom(std::size_t position) {
  for (std::size_t i = position; i < items_.size(); ++i) {
    if (items_[i].overlay == 2) {
      cursor_ = items_[i].seq;
      return items_[i].id;
    }
  }
  cursor_ = -1;
  return {};
}

std::string ReferenceList::GetFirstSelectedItem() { return SelectedFrom(0); }

std::string ReferenceList::GetNextSelectedItem() {
  if (cursor_ < 0) return {};
  std::size_t position = 0;
  while (position < items_.size() && items_[position].seq <= cursor_) ++position;
  return SelectedFrom(position);
}

// ---- State -----------------------------------------------------------------------------------

std::string ReferenceList::State() const {
  std::string state = "next " + std::to_string(next_seq_) + " " + std::to_string(next_tab_index_) +
                      " cursor " + std::to_string(cursor_) + "\n";
  for (const auto& [name, tab] : tabs_) state += TabLine(name, tab);
  for (const Item& item : items_) state += Line(item);
  return state;
}

std::string StoreState(const control::TabbedList& list) {
  const model::Store& store = list.Impl().store;
  std::string state = "next " + std::to_string(store.NextSeq()) + " " +
                      std::to_string(store.NextTabIndex()) + " cursor " +
                      std::to_string(store.ItemCursor()) + "\n";
  for (const auto& [name, entry] : store.Tabs()) {
    ReferenceList::Tab tab{entry.Index, entry.TabPic, entry.LevelParents};
    state += TabLine(name, tab);
  }
  for (const auto& [seq, item] : store.Items()) {
    ReferenceList::Item copy;
    copy.id = std::string(item.ID());
    copy.text = std::string(item.Text);
    copy.href = std::string(item.Href);
    copy.frame = std::string(item.Frame);
    copy.parent = std::string(item.Parent());
    copy.tag = std::string(item.Tag);
    copy.level = item.Level;
    copy.cpic = item.Cpic;
    copy.opic = item.Opic;
    copy.flags = item.Flags;
    copy.overlay = item.OverlayPic;
    copy.enabled = item.ItemEnabled;
    copy.has_children = item.HasChildren;
    copy.tab_index = item.TabIndex();
    copy.seq = item.Seq();
    state += Line(copy);
  }
  return state;
}

}  // namespace testing_support
