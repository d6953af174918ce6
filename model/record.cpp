#include "model/record.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <utility>

#include "model/store.h"

namespace model {
namespace {

enum class Key {
  kTab,
  kTabPic,
  kText,
  kHref,
  kFrame,
  kId,
  kParent,
  kLevel,
  kPic,
  kOpic,
  kCpic,
  kTag,
  kBold,
  kExpand,
  kSelect,
  kOverlay,
  kEnable,
  kHasChildren,
};

struct KeyName {
  std::string_view name;  // upper case
  Key key;
};

// Tried in this order at every position.
constexpr std::array<KeyName, 18> kKeys = {{
    {"TAB", Key::kTab},
    {"TABPIC", Key::kTabPic},
    {"TEXT", Key::kText},
    {"HREF", Key::kHref},
    {"FRAME", Key::kFrame},
    {"ID", Key::kId},
    {"PARENT", Key::kParent},
    {"LEVEL", Key::kLevel},
    {"PIC", Key::kPic},
    {"OPIC", Key::kOpic},
    {"CPIC", Key::kCpic},
    {"TAG", Key::kTag},
    {"BOLD", Key::kBold},
    {"EXPAND", Key::kExpand},
    {"SELECT", Key::kSelect},
    {"OVERLAY", Key::kOverlay},
    {"ENABLE", Key::kEnable},
    {"HASCHILDREN", Key::kHasChildren},
}};

constexpr char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool IsNumberSpace(char c) { return c == ' ' || (c >= 9 && c <= 13); }

// Does `text` at `pos` begin with `name` (any ASCII case) followed by ':' or '='?
bool KeyAt(std::string_view text, std::size_t pos, std::string_view name) {
  if (text.size() - pos < name.size() + 1) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (UpperAscii(text[pos + i]) != name[i]) return false;
  }
  const char mark = text[pos + name.size()];
  return mark == ':' || mark == '=';
}

// For each byte, the positions in kKeys of the keys whose name begins with it (in either
// case), ascending, ended by kNoKey: most bytes of a record begin no key, and those that do
// need only these few tried.
inline constexpr std::uint8_t kNoKey = 0xFF;
using KeyList = std::array<std::uint8_t, 5>;
constexpr std::array<KeyList, 256> kKeysByFirstByte = [] {
  std::array<KeyList, 256> table{};
  for (KeyList& list : table) list.fill(kNoKey);
  for (std::size_t k = 0; k < kKeys.size(); ++k) {
    const auto upper = static_cast<unsigned char>(kKeys[k].name[0]);
    for (const unsigned char byte : {upper, static_cast<unsigned char>(upper + 32)}) {
      KeyList& list = table[byte];
      std::size_t n = 0;
      while (list[n] != kNoKey) ++n;
      list[n] = static_cast<std::uint8_t>(k);
    }
  }
  return table;
}();

// The position in kKeys of the key at `pos`, trying only keys from position `from` on, or
// kNoKey. At most one key can match at a place (no name followed by ':' or '=' begins
// another name), so the first match is the one the key order gives.
std::uint8_t KeyFrom(std::string_view text, std::size_t pos, std::size_t from) {
  if (pos >= text.size()) return kNoKey;
  for (const std::uint8_t k : kKeysByFirstByte[static_cast<unsigned char>(text[pos])]) {
    if (k == kNoKey) break;
    if (k >= from && KeyAt(text, pos, kKeys[k].name)) return k;
  }
  return kNoKey;
}

bool IsEndRecord(std::string_view rest) {
  return rest.size() == 3 && UpperAscii(rest[0]) == 'E' && UpperAscii(rest[1]) == 'N' &&
         UpperAscii(rest[2]) == 'D';
}

// "NONE" or "none" exactly means no navigation target.
void ClearIfNone(ItemText& field) {
  if (field == "NONE" || field == "none") field.clear();
}

std::int32_t ZeroAbove(std::int32_t value, std::int32_t limit) { return value > limit ? 0 : value; }

// Notes the bound applied to `key`'s value, replacing an earlier note of the same key.
void NoteCut(RecordReport* report, std::string_view key, std::int32_t given, std::int32_t kept) {
  if (report == nullptr) return;
  std::erase_if(report->cuts, [key](const RecordReport::Cut& cut) { return cut.key == key; });
  if (given != kept) report->cuts.push_back({key, given, kept});
}

// A number key's value with the bound that the key applies at once (the rest apply when
// the record is stored).
std::int32_t Bounded(RecordReport* report, std::string_view key, std::int32_t given,
                     std::int32_t kept) {
  NoteCut(report, key, given, kept);
  return kept;
}

void Apply(Record& record, Key key, std::string_view value, RecordReport* report) {
  switch (key) {
    case Key::kTab:
      record.Tab.append(value);
      break;
    case Key::kTabPic:
      record.TabPic = ParseNumber(value);
      break;
    case Key::kText:
      record.Text.append(value);
      break;
    case Key::kHref:
      record.Href.append(value);
      ClearIfNone(record.Href);
      break;
    case Key::kFrame:
      record.Frame.append(value);
      ClearIfNone(record.Frame);
      break;
    case Key::kId:
      record.ID.append(value);
      break;
    case Key::kParent:
      record.Parent.append(value);
      break;
    case Key::kLevel: {
      const std::int32_t level = ParseNumber(value);
      record.Level = Bounded(report, "LEVEL", level, std::min(level, kMaxRecordLevel));
      break;
    }
    case Key::kPic:
      record.Cpic = record.Opic = ParseNumber(value);
      NoteCut(report, "OPIC", 0, 0);  // both pictures replaced; PIC is bounded when stored
      NoteCut(report, "CPIC", 0, 0);
      break;
    case Key::kOpic: {
      const std::int32_t pic = ParseNumber(value);
      record.Opic = Bounded(report, "OPIC", pic, ZeroAbove(pic, kMaxPicture));
      break;
    }
    case Key::kCpic: {
      const std::int32_t pic = ParseNumber(value);
      record.Cpic = Bounded(report, "CPIC", pic, ZeroAbove(pic, kMaxPicture));
      break;
    }
    case Key::kTag:
      record.Tag.append(value);
      break;
    case Key::kBold:
      if (ParseNumber(value) != 0) record.Flags |= kFlagBold;
      break;
    case Key::kExpand:
      if (ParseNumber(value) != 0) record.Flags |= kFlagExpand;
      break;
    case Key::kSelect:
      if (ParseNumber(value) != 0) record.Flags |= kFlagSelect;
      break;
    case Key::kOverlay: {
      const std::int32_t overlay = ParseNumber(value);
      record.OverlayPic = Bounded(report, "OVERLAY", overlay, ZeroAbove(overlay, kMaxOverlay));
      break;
    }
    case Key::kEnable:
      record.ItemEnabled = ParseNumber(value) != 0 ? 1 : 0;
      break;
    case Key::kHasChildren:
      record.HasChildren = ParseNumber(value) != 0 ? 1 : 0;
      break;
  }
}

}  // namespace

std::int32_t ParseNumber(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && IsNumberSpace(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  // Unsigned, so that overflow wraps by definition.
  std::uint32_t number = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    number = number * 10u + static_cast<std::uint32_t>(value[i] - '0');
  }
  if (negative) number = 0u - number;
  return static_cast<std::int32_t>(number);
}

Record ParseRecord(std::string_view text, char delimiter, RecordReport* report) {
  Record record;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (IsEndRecord(text.substr(pos))) {
      Record end;  // whatever the record gave before is dropped
      end.End = true;
      if (report != nullptr) report->cuts.clear();
      return end;
    }
    // Every key is tried once at each place, in order: after a value, the keys that come
    // later in the order are still tried where the value ended.
    for (std::size_t from = 0;;) {
      const std::uint8_t k = KeyFrom(text, pos, from);
      if (k == kNoKey) break;
      const KeyName& key = kKeys[k];
      pos += key.name.size() + 1;
      while (pos < text.size() && text[pos] == ' ') ++pos;
      std::size_t end = text.find(delimiter, pos);
      if (end == std::string_view::npos) end = text.size();
      Apply(record, key.key, text.substr(pos, end - pos), report);
      if (report != nullptr) report->keys_found = true;
      pos = end;
      from = std::size_t{k} + 1;
    }
    if (pos >= text.size()) break;
    ++pos;  // past the delimiter after a value, or past one byte of stray text
  }
  return record;
}

namespace {

// Notes in the report (when there is one) why a record is refused and what it gave.
void NoteRefusal(RecordReport* report, const Record& record, bool missing_tab, bool missing_text) {
  if (report == nullptr) return;
  report->outcome = RecordReport::Outcome::kRefused;
  report->missing_tab = missing_tab;
  report->missing_text = missing_text;
  report->tab = std::string_view(record.Tab);
  report->id = std::string_view(record.ID);
  report->parent = std::string_view(record.Parent);
}

// Everything AddItemRecord does after the parse.
// Takes the record's texts over.
void StoreRecord(Store& store, Record& record, RecordReport* report = nullptr) {
  if (record.End) {
    if (report != nullptr) report->outcome = RecordReport::Outcome::kEnd;
    if (store.ViewReady()) store.Views().RebuildTree(0);
    store.Views().AdjustBusy(-1);
    return;
  }

  // What the display style needs; a refused record leaves no trace.
  const bool no_tab = record.Tab.empty();
  const bool no_text = record.Text.empty();
  switch (store.DisplayStyle()) {
    case kDisplayTabsOnly:
      if (no_tab) return NoteRefusal(report, record, true, false);
      break;
    case kDisplayTreeOnly:
      if (no_text) return NoteRefusal(report, record, false, true);
      if (no_tab) record.Tab = "Hidden";
      break;
    default:
      if (no_tab || no_text) return NoteRefusal(report, record, no_tab, no_text);
      break;
  }
  // Seq values used up: the record is refused like any other (before a tab is made).
  if (store.NextSeq() == std::numeric_limits<Seq>::max()) {
    NoteRefusal(report, record, false, false);
    if (report != nullptr) report->outcome = RecordReport::Outcome::kSeqsUsedUp;
    return;
  }

  const bool no_id = record.ID.empty();
  ItemText id = std::move(record.ID);
  if (no_id) id = "ID" + std::to_string(store.NextSeq());
  if (store.DisplayStyle() == kDisplayTabsOnly && no_text) record.Text = id;
  if (report != nullptr) {
    report->id_generated = no_id;
    report->text_from_id = store.DisplayStyle() == kDisplayTabsOnly && no_text;
    report->tab_defaulted = store.DisplayStyle() == kDisplayTreeOnly && no_tab;
    // PIC is the one picture key not bounded as it is read.
    if (record.Cpic > kMaxPicture) NoteCut(report, "PIC", record.Cpic, 0);
    if (record.Opic > kMaxPicture && record.Opic != record.Cpic) {
      report->cuts.push_back({"PIC", record.Opic, 0});
    }
    if (record.TabPic > kMaxPicture) NoteCut(report, "TABPIC", record.TabPic, 0);
  }

  record.Opic = ZeroAbove(record.Opic, kMaxPicture);
  record.Cpic = ZeroAbove(record.Cpic, kMaxPicture);
  record.OverlayPic = ZeroAbove(record.OverlayPic, kMaxOverlay);
  record.TabPic = ZeroAbove(record.TabPic, kMaxPicture);

  const std::int32_t tab_index = store.GetOrCreateTab(record.Tab);

  if (store.DisplayStyle() != kDisplayTreeOnly && record.TabPic > 0) {
    store.SetTabPic(tab_index, record.TabPic);
    if (store.ViewReady()) store.Views().SetTabPicture(tab_index, record.TabPic);
  }

  ItemText parent = std::move(record.Parent);
  std::int32_t level = record.Level;
  if (!parent.empty()) {
    if (parent == id) {
      parent.clear();
      if (report != nullptr) report->parent_was_own_id = true;
    } else if (const Item* found = store.FindItemById(parent)) {
      // No upper bound; the Level property may have stored anything, so wrap, not overflow.
      level = static_cast<std::int32_t>(static_cast<std::uint32_t>(found->Level) + 1u);
      if (report != nullptr) report->parent_found = true;
    }
  } else if (level >= 0) {
    // A record's Level is at most 9 here, so the slot exists.
    const TabEntry* tab = store.TabEntryAt(tab_index);
    parent = tab->LevelParents[static_cast<std::size_t>(level)];
    if (level + 1 <= kMaxRecordLevel) store.SetLevelParent(tab_index, level + 1, id);
  }

  Item fields;
  fields.Text = std::move(record.Text);
  fields.Href = std::move(record.Href);
  fields.Frame = std::move(record.Frame);
  fields.Tag = std::move(record.Tag);
  fields.Level = level;
  fields.Cpic = record.Cpic;
  fields.Opic = record.Opic;
  fields.Flags = record.Flags;
  fields.HasChildren = record.HasChildren;
  fields.OverlayPic = record.OverlayPic;
  fields.ItemEnabled = record.ItemEnabled;
  // Stored before the view is asked, so that whatever the insertion runs (a sort through
  // the host) finds the new item by its Seq.
  const Seq seq = store.AppendItem(std::move(id), std::move(parent), tab_index, std::move(fields));
  if (seq == kNoSeq) return;
  if (report != nullptr) {
    report->outcome = RecordReport::Outcome::kStored;
    report->seq = seq;
  }

  if (tab_index == store.CurrentTab() && !store.RebuildPending()) {
    if (store.ViewReady()) {
      store.Views().InsertItemNode(*store.FindItemPtr(seq));
    } else {
      store.SetRebuildPending(true);
    }
  }
}

}  // namespace

void AddItemRecord(Store& store, std::string_view text, RecordReport* report) {
  Record record = ParseRecord(text, store.DelimiterChar(), report);
  StoreRecord(store, record, report);
}

void AddItem(Store& store, std::string_view text) {
  store.Views().AdjustBusy(+1);
  AddItemRecord(store, text);
  store.Views().AdjustBusy(-1);
}

namespace {

// Splits a text into lines: the bytes up to the next CR, LF or the end, each line ending
// past exactly one CR or LF. The next CR and the next LF are each searched for once and
// remembered until passed, so a text without one of them is not searched again per line.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {
    cr_ = Find('\r');
    lf_ = Find('\n');
  }
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    if (cr_ < pos_) cr_ = Find('\r');
    if (lf_ < pos_) lf_ = Find('\n');
    const std::size_t end = std::min(cr_, lf_);
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return true;
  }

 private:
  std::size_t Find(char byte) const {  // from pos_; the text's size when there is none
    if (pos_ >= text_.size()) return text_.size();
    const void* hit = std::memchr(text_.data() + pos_, byte, text_.size() - pos_);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data())
               : text_.size();
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t cr_ = 0;
  std::size_t lf_ = 0;
};

// How many records a list may hold, for the store to make room for at once: one per line
// feed, at most one per 8 bytes of text (few records that store an item are shorter), and
// at most kMaxReserve, so that a text of blank or refused lines reserves little.
std::size_t RecordsHint(std::string_view text) {
  constexpr std::size_t kMaxReserve = std::size_t{1} << 21;
  const auto line_feeds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  return std::min({line_feeds + 1, text.size() / 8, kMaxReserve});
}

}  // namespace

void AddItemList(Store& store, std::string_view text) {
  // Busy for the whole list, as AddItem is for its record: the wait cursor goes up once,
  // not once for every node shown.
  const BusySection busy(store.Views());
  store.ReserveItems(RecordsHint(text));
  const BulkSection bulk(store.Views());
  // Lines are parsed two steps before they are stored. When a line is parsed, the index
  // slots that its ID and Parent need are fetched; one step later, the items those slots
  // name (its parent, for the Level, and its first sibling); so storing a line of a long
  // list seldom waits for memory. Storing can run host code (through a view request) that
  // changes Delimiter; the lines parsed ahead are then parsed again, so every line is
  // split at the Delimiter in effect when its turn comes.
  struct Ahead {
    std::string_view line;
    Record record;
  };
  constexpr std::size_t kDepth = 3;  // the line being stored and two ahead of it
  std::array<Ahead, kDepth> ring;
  std::size_t head = 0;  // the next line to store
  std::size_t held = 0;
  char delimiter = store.DelimiterChar();
  Lines lines(text);
  const auto read_line = [&] {
    Ahead& ahead = ring[(head + held) % kDepth];
    if (!lines.Next(ahead.line)) return false;
    ahead.record = ParseRecord(ahead.line, delimiter);
    store.PrefetchKeys(ahead.record.ID, ahead.record.Parent);
    ++held;
    return true;
  };
  while (held < kDepth && read_line()) {
  }
  while (held > 0) {
    if (held > 1) store.PrefetchParentOf(ring[(head + 1) % kDepth].record.Parent);
    StoreRecord(store, ring[head].record);
    head = (head + 1) % kDepth;
    --held;
    if (store.DelimiterChar() != delimiter) {
      delimiter = store.DelimiterChar();
      for (std::size_t i = 0; i < held; ++i) {
        Ahead& ahead = ring[(head + i) % kDepth];
        ahead.record = ParseRecord(ahead.line, delimiter);
      }
    }
    read_line();
  }
}

namespace {

void AppendNumberField(std::string& out, std::string_view key, std::int32_t value) {
  std::array<char, 16> digits{};
  auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  out.append(key);
  out.append(digits.data(), result.ptr);
}

}  // namespace

std::string ItemString(const Store& store, std::string_view id) {
  const Item* item = store.FindItemById(id);
  if (!item) return {};
  std::string out;
  if (!item->Parent().empty()) {
    out += "PARENT:";
    out += item->Parent();
  }
  if (store.DisplayStyle() == kDisplayTabsAndTree) {
    if (!out.empty()) out += ',';
    out += "TAB:";
    out += store.TabNameAt(item->TabIndex());
  }
  if (!out.empty()) out += ',';
  out += "TEXT:";
  out += item->Text;
  out += ",ID:";
  out += item->ID();
  if (!item->Href.empty()) out.append(",HREF:").append(item->Href);
  if (!item->Frame.empty()) out.append(",FRAME:").append(item->Frame);
  if (!item->Tag.empty()) out.append(",TAG:").append(item->Tag);
  if (item->Cpic != 0) AppendNumberField(out, ",CPIC:", item->Cpic);
  if (item->Opic != 0) AppendNumberField(out, ",OPIC:", item->Opic);
  if (item->OverlayPic != 0) AppendNumberField(out, ",OVERLAY:", item->OverlayPic);
  AppendNumberField(out, ",ENABLE:", item->ItemEnabled);
  if (item->Flags & kFlagBold) out += ",BOLD:1";
  if (item->Flags & kFlagExpand) out += ",EXPAND:1";
  if (item->Flags & kFlagSelect) out += ",SELECT:1";
  if (item->HasChildren != 0) out += ",HASCHILDREN:1";
  return out;
}

}  // namespace model
