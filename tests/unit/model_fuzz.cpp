// A deterministic fuzz loop: random and mutated records, random deletions and indexed
// writes (which make Parent loops), with the store's invariants and the lookups checked
// against plain walks of ItemMap after every step.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/iterators.h"
#include "model/properties.h"
#include "model/record.h"
#include "model/store.h"
#include "support/recording_views.h"

using model::Seq;
using model::Store;
using namespace std::string_literals;
using namespace std::string_view_literals;

namespace {

// xorshift64*: the same sequence on every platform and library.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1DULL) >> 32);
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& values) {
    return values[Below(N)];
  }

 private:
  std::uint64_t state_;
};

constexpr std::array<std::string_view, 20> kKeys = {
    "TAB",  "TABPIC", "TEXT", "HREF",   "FRAME",  "ID",      "PARENT",      "LEVEL", "PIC",  "OPIC",
    "CPIC", "TAG",    "BOLD", "EXPAND", "SELECT", "OVERLAY", "HASCHILDREN", "tab",   "Text", "iD"};
constexpr std::array<std::string_view, 10> kIds = {"a",   "b",   "c", "A",   "ID0",
                                                   "ID1", "ID2", "",  "x y", "n\0"sv};
constexpr std::array<std::string_view, 5> kTabs = {"T", "U", "t", "Hidden", ""};
constexpr std::array<std::string_view, 10> kNumbers = {"0",  "1",  "-1",         "9",    "12",
                                                       "55", " 3", "2147483648", "NONE", "x"};
constexpr std::string_view kAlphabet = "TABEXIDPRNLVOCGHSF:=,;\r\n\0 -0123456789end"sv;

std::string Value(Rng& rng, std::string_view key) {
  if (key == "ID" || key == "iD" || key == "PARENT") return std::string(rng.Pick(kIds));
  if (key == "TAB" || key == "tab") return std::string(rng.Pick(kTabs));
  if (key.size() <= 4 && key != "TEXT" && key != "Text" && key != "HREF" && key != "TAG") {
    return std::string(rng.Pick(kNumbers));
  }
  return std::string(rng.Pick(kNumbers)) + std::string(rng.Pick(kIds));
}

std::string StructuredRecord(Rng& rng, char delimiter) {
  std::string record;
  if (rng.Below(2)) {  // mostly records that a display style accepts
    record = "TAB:" + std::string(rng.Pick(kTabs)) + delimiter + "TEXT:t" + delimiter;
  }
  const std::uint32_t fields = rng.Below(7);
  for (std::uint32_t i = 0; i < fields; ++i) {
    if (i) record += delimiter;
    const std::string_view key = rng.Pick(kKeys);
    record += key;
    record += rng.Below(2) ? ':' : '=';
    if (rng.Below(4) == 0) record += ' ';
    record += Value(rng, key);
  }
  if (rng.Below(20) == 0) record += rng.Below(2) ? ",END" : "End";
  return record;
}

std::string RandomBytes(Rng& rng) {
  std::string bytes(rng.Below(40), '\0');
  for (char& c : bytes) {
    c = rng.Below(8) ? kAlphabet[rng.Below(kAlphabet.size())] : static_cast<char>(rng.Below(256));
  }
  return bytes;
}

std::string Mutate(Rng& rng, std::string record) {
  const std::uint32_t edits = 1 + rng.Below(4);
  for (std::uint32_t i = 0; i < edits; ++i) {
    const std::size_t pos =
        record.empty() ? 0 : rng.Below(static_cast<std::uint32_t>(record.size()));
    switch (rng.Below(3)) {
      case 0:
        record.insert(pos, 1, kAlphabet[rng.Below(kAlphabet.size())]);
        break;
      case 1:
        if (!record.empty()) record.erase(pos, 1);
        break;
      default:
        if (!record.empty()) record[pos] = static_cast<char>(rng.Below(256));
        break;
    }
  }
  return record;
}

std::string AnyRecord(Rng& rng, char delimiter) {
  switch (rng.Below(4)) {
    case 0:
      return RandomBytes(rng);
    case 1:
      return Mutate(rng, StructuredRecord(rng, delimiter));
    default:
      return StructuredRecord(rng, delimiter);
  }
}

std::string ExistingOrPoolId(Rng& rng, const Store& store) {
  if (store.ItemCount() > 0 && rng.Below(2)) {
    Seq seq = store.FirstItem();
    for (std::uint32_t skip = rng.Below(static_cast<std::uint32_t>(store.ItemCount())); skip > 0;
         --skip) {
      seq = store.NextItemAfter(seq);
    }
    return std::string(store.FindItemPtr(seq)->ID());
  }
  return std::string(rng.Pick(kIds));
}

// The lookups as plain walks of ItemMap in Seq order.
Seq LinearFindItem(const Store& store, std::string_view id) {
  for (const auto& [seq, item] : store.Items()) {
    if (item.ID() == id) return seq;
  }
  return model::kNoSeq;
}

Seq LinearFindFirstChild(const Store& store, std::string_view parent) {
  for (const auto& [seq, item] : store.Items()) {
    if (item.Parent() == parent) return seq;
  }
  return model::kNoSeq;
}

// The sibling walk exactly as the control documents it: compare IDs while no parent is
// remembered, then answer the first item with the remembered parent.
Seq LinearNextChild(const Store& store, std::string_view prev) {
  std::string parent;
  for (const auto& [seq, item] : store.Items()) {
    if (parent.empty()) {
      if (item.ID() == prev) parent = item.Parent();
    } else if (item.Parent() == parent) {
      return seq;
    }
  }
  return model::kNoSeq;
}

// Whether the item's record reads back as one item: with the comma as delimiter, no field
// holding a comma or line break, and the tab name and text that DisplayStyle 0 needs.
bool WritesCleanly(const Store& store, std::string_view id) {
  const model::Item* item = store.FindItemById(id);
  if (!item || store.DisplayStyle() != 0 || store.Delimiter() != 44) return false;
  const std::string& tab = store.TabNameAt(item->TabIndex());
  for (const std::string_view text :
       {std::string_view(tab), item->Text.view(), item->ID(), item->Parent(), item->Href.view(),
        item->Frame.view(), item->Tag.view()}) {
    if (text.find_first_of(",\r\n") != std::string_view::npos) return false;
  }
  return !tab.empty() && tab[0] != ' ' && !item->Text.empty() && item->Text[0] != ' ';
}

void CheckLookups(const Store& store, Rng& rng) {
  for (int i = 0; i < 3; ++i) {
    const std::string id = ExistingOrPoolId(rng, store);
    ASSERT_EQ(store.FindItem(id), LinearFindItem(store, id)) << "id " << id;
    ASSERT_EQ(store.FindFirstChild(id), LinearFindFirstChild(store, id)) << "parent " << id;
    ASSERT_EQ(model::GetNextChild(store, id).seq, LinearNextChild(store, id)) << "sibling " << id;
  }
}

TEST(ModelFuzz, RandomRecordsAndRemovalsKeepTheStoreConsistent) {
  Rng rng(0x5eed2026);
  Store store;
  testing_support::RecordingViews views;
  store.SetViews(&views);
  constexpr int kSteps = 40000;
  std::int64_t stored = 0;
  for (int step = 0; step < kSteps; ++step) {
    const Seq next_seq = store.NextSeq();
    const std::uint32_t op = rng.Below(100);
    if (op < 40) {
      model::AddItem(store, AnyRecord(rng, store.DelimiterChar()));
    } else if (op < 52) {
      std::string list;
      for (std::uint32_t n = rng.Below(6); n > 0; --n) {
        list += AnyRecord(rng, store.DelimiterChar());
        list += rng.Below(3) == 0 ? "\r\n" : (rng.Below(2) ? "\n" : "\r");
      }
      model::AddItemList(store, list);
    } else if (op < 62) {
      store.RemoveItem(ExistingOrPoolId(rng, store));
    } else if (op < 66) {
      store.RemoveChildren(ExistingOrPoolId(rng, store));
    } else if (op < 70) {
      store.RemoveTab(rng.Pick(kTabs));
    } else if (op < 80) {
      // Parent writes make self-parents and longer loops.
      model::PutParentProperty(store, ExistingOrPoolId(rng, store), ExistingOrPoolId(rng, store));
    } else if (op < 84) {
      model::PutTabProperty(store, ExistingOrPoolId(rng, store), std::string(rng.Pick(kTabs)));
    } else if (op < 88) {
      const std::string id = ExistingOrPoolId(rng, store);
      const std::string record = model::ItemString(store, id);
      const Seq before = store.NextSeq();
      model::AddItem(store, record);
      if (!record.empty() && WritesCleanly(store, id)) {
        ASSERT_EQ(store.NextSeq(), before + 1) << record;  // a written record is accepted
      }
    } else if (op < 93) {
      model::GetFirstItem(store);
      for (std::uint32_t n = rng.Below(5); n > 0; --n) model::GetNextItem(store);
    } else if (op < 95) {
      constexpr std::array<std::int32_t, 6> kDelimiters = {44, 44, 59, 0, 300, 'E'};
      store.SetDelimiter(rng.Pick(kDelimiters));
    } else if (op < 97) {
      store.SetDisplayStyle(static_cast<std::int32_t>(rng.Below(4)));
    } else if (op < 99) {
      store.SetViewReady(rng.Below(2) != 0);
      store.SetRebuildPending(rng.Below(2) != 0);
      store.SetCurrentTab(static_cast<std::int32_t>(rng.Below(4)) - 1);
    } else if (rng.Below(10) == 0) {
      store.RemoveAll();
    }
    if (store.NextSeq() > next_seq) stored += store.NextSeq() - next_seq;
    const std::string fault = store.CheckInvariants();
    ASSERT_EQ(fault, "") << "after step " << step << " (op " << op << ")";
    ASSERT_EQ(store.NextTabIndex(), store.TabCount());
    if (step % 16 == 0) {
      CheckLookups(store, rng);
      if (HasFatalFailure()) return;
    }
  }
  EXPECT_GT(stored, kSteps / 8);  // the loop did store items
}

}  // namespace
