// Persistence walks over in-memory streams and bags: the exact stream of a new control,
// round trips, the bag's order and reach, the Dirty rules, and hostile data of every kind
// ending in a defined answer with the control consistent and working afterwards.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "control/persist.h"
#include "control/tabbed_list.h"
#include "support/persist_memory.h"

namespace {

using control::HResult;
using control::kFail;
using control::kOk;
using control::PersistValue;
using testing_support::FacadeAccess;
using testing_support::MapBag;
using testing_support::MemorySink;
using testing_support::MemorySource;
namespace vt = control::vt;
using Bytes = std::vector<unsigned char>;

constexpr std::size_t kFirstCl = 14;
constexpr std::size_t kTabRows = 5;

void Append(Bytes& bytes, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

Bytes Text(std::uint32_t byte_count, const std::u16string& text, bool zero = true) {
  Bytes bytes;
  Append(bytes, vt::kBstr, 2);
  Append(bytes, byte_count, 4);
  for (char16_t unit : text) Append(bytes, unit, 2);
  if (zero) Append(bytes, 0, 2);
  return bytes;
}

Bytes Record(const std::string& record) {
  const std::u16string text(record.begin(), record.end());
  return Text(static_cast<std::uint32_t>(2 * text.size() + 2), text);
}

// After a failed load the control still loads a good stream and saves whole.
void ExpectWorking(control::TabbedList& list, FacadeAccess& access) {
  control::TabbedList other;
  FacadeAccess other_access(other);
  other.PutTabRows(2);
  MemorySink good;
  ASSERT_EQ(control::SaveStream(good, other_access, false), kOk);
  MemorySource source(good.bytes);
  EXPECT_EQ(control::LoadStream(source, access), kOk);
  EXPECT_EQ(list.GetTabRows(), 2);
  MemorySink again;
  EXPECT_EQ(control::SaveStream(again, access, false), kOk);
  EXPECT_EQ(again.bytes.size(), 2884u);
}

class PersistTest : public ::testing::Test {
 protected:
  Bytes Save() {
    MemorySink sink;
    EXPECT_EQ(control::SaveStream(sink, access_, false), kOk);
    return sink.bytes;
  }
  HResult Load(Bytes bytes, std::uint32_t per_read = 0) {
    MemorySource source(std::move(bytes), per_read);
    return control::LoadStream(source, access_);
  }
  // Where each entry's serialized value starts in a stream (index 0, 1: the extent).
  static std::vector<std::size_t> Offsets(const Bytes& stream) {
    std::vector<std::size_t> offsets = {4, 8};
    MemorySource source(stream);
    std::uint32_t skipped = 0;
    EXPECT_EQ(control::ReadU32(source, skipped), kOk);
    EXPECT_EQ(control::ReadU32(source, skipped), kOk);
    EXPECT_EQ(control::ReadU32(source, skipped), kOk);
    PersistValue value;
    for (std::size_t i = 2; i < control::kPersistedCount; ++i) {
      offsets.push_back(source.Position());
      EXPECT_EQ(control::ReadValue(source, value), kOk);
    }
    offsets.push_back(source.Position());
    return offsets;
  }
  // `stream` with entry `index`'s value replaced by `bytes`; the rest follows unless cut.
  static Bytes Splice(const Bytes& stream, std::size_t index, const Bytes& bytes,
                      bool keep_rest = true) {
    const std::vector<std::size_t> at = Offsets(stream);
    Bytes out(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(at[index]));
    out.insert(out.end(), bytes.begin(), bytes.end());
    if (keep_rest) out.insert(out.end(), stream.begin() + at[index + 1], stream.end());
    return out;
  }
  control::TabbedList list_;
  FacadeAccess access_{list_};
};

TEST_F(PersistTest, NewControlStreamIsExactlyTheDocumentedLayout) {
  Bytes expected;
  Append(expected, 0x300, 4);
  Append(expected, 1561, 4);
  Append(expected, 661, 4);
  const struct {
    std::uint16_t type;
    std::uint32_t value;
  } display[] = {{vt::kBool, 0xFFFF},   {vt::kI4, 0},   {vt::kBool, 0xFFFF}, {vt::kI4, 1},
                 {vt::kI4, 0xFFFFFFFF}, {vt::kI4, 0},   {vt::kI4, 0},        {vt::kI4, 4},
                 {vt::kI4, 0},          {vt::kBool, 0}, {vt::kBool, 0},      {vt::kI4, 4000}};
  for (const auto& entry : display) {
    Append(expected, entry.type, 2);
    Append(expected, entry.value, entry.type == vt::kBool ? 2 : 4);
  }
  for (int n = 0; n <= 350; ++n) expected.insert(expected.end(), {8, 0, 2, 0, 0, 0, 0, 0});
  const Bytes saved = Save();
  EXPECT_EQ(saved.size(), 2884u);
  EXPECT_EQ(saved, expected);

  const auto& list = control::PersistedProperties();
  EXPECT_EQ(list[kTabRows].name, "TabRows");
  for (int n = 0; n <= 350; ++n) {
    EXPECT_EQ(list[kFirstCl + n].name, "CL" + std::to_string(n));
    EXPECT_EQ(list[kFirstCl + n].dispid, control::kDispidCl0);
  }
}

TEST_F(PersistTest, RoundTripsAndVersions) {
  list_.PutEnabled(0);
  list_.PutMousePointer(11);
  list_.PutTabRows(3);
  list_.PutHilightSelectedTab(-1);
  access_.extent[0] = 4000;
  const Bytes saved = Save();
  EXPECT_TRUE(list_.IsDirty());

  control::TabbedList copy;
  FacadeAccess copy_access(copy);
  copy.AddItem("TAB:Main,TEXT:Kept,ID:k");
  copy.PutEnabled(-1);
  MemorySource source(saved, 3);  // a few bytes per read
  ASSERT_EQ(control::LoadStream(source, copy_access), kOk);
  EXPECT_FALSE(copy.IsDirty());
  EXPECT_EQ(copy.GetEnabled(), 0);
  EXPECT_EQ(copy.GetMousePointer(), 11);
  EXPECT_EQ(copy.GetTabRows(), 3);
  EXPECT_NE(copy.GetHilightSelectedTab(), 0);
  EXPECT_EQ(copy_access.extent[0], 4000u);
  EXPECT_EQ(copy.GetItemCount(), 1);  // 351 empty records add nothing and remove nothing
  MemorySink again;
  ASSERT_EQ(control::SaveStream(again, copy_access, false), kOk);
  EXPECT_EQ(again.bytes, saved);

  for (const std::uint32_t version : {0x200u, 0x301u}) {
    control::TabbedList fresh;
    FacadeAccess fresh_access(fresh);
    Bytes stream = saved;
    stream[0] = static_cast<unsigned char>(version);
    stream[1] = static_cast<unsigned char>(version >> 8);
    MemorySource versioned(stream);
    EXPECT_EQ(control::LoadStream(versioned, fresh_access), version == 0x200 ? kOk : kFail);
    EXPECT_EQ(fresh.GetTabRows(), version == 0x200 ? 3 : 1) << version;
    EXPECT_EQ(fresh_access.extent[0], version == 0x200 ? 4000u : 1561u);
  }
}

TEST_F(PersistTest, DirtyFollowsStockPutsLoadsAndSaves) {
  list_.PutTabRows(4);
  list_.AddItem("TAB:Main,TEXT:a,ID:a");
  EXPECT_FALSE(list_.IsDirty());
  list_.PutEnabled(list_.GetEnabled());
  EXPECT_TRUE(list_.IsDirty());
  MemorySink sink;
  ASSERT_EQ(control::SaveStream(sink, access_, false), kOk);
  EXPECT_TRUE(list_.IsDirty());
  MapBag bag;
  ASSERT_EQ(control::SaveBag(bag, access_, true), kOk);
  EXPECT_FALSE(list_.IsDirty());
  EXPECT_EQ(bag.values.size(), control::kPersistedCount);
  EXPECT_EQ(bag.values["CL350"].text, u"");
  list_.PutTabStop(0);
  ASSERT_EQ(Load(sink.bytes), kOk);
  EXPECT_FALSE(list_.IsDirty());
}

TEST_F(PersistTest, BagAppliesWhatItHoldsAndRecordsInIndexOrder) {
  MapBag bag;
  // The map keeps "CL10" before "CL9"; the records still arrive by index.
  bag.values["CL10"] = PersistValue::Text(u"TAB:Main,TEXT:Ten,ID:ten");
  bag.values["CL9"] = PersistValue::Text(u"TAB:Main,TEXT:Nine,ID:nine");
  bag.values["CL351"] = PersistValue::Text(u"TAB:Main,TEXT:Beyond,ID:beyond");
  bag.values["TabStyle"] = PersistValue::Number(vt::kI4, 9);
  bag.values["TabRows"] = PersistValue::Number(vt::kEmpty, 0);  // answered, but no value
  list_.PutTabRows(2);
  ASSERT_EQ(control::LoadBag(bag, access_), kOk);
  EXPECT_EQ(list_.GetTabStyle(), 9);
  EXPECT_EQ(list_.GetTabRows(), 2);
  EXPECT_EQ(list_.GetFirstItem(), "nine");
  EXPECT_EQ(list_.GetNextItem(), "ten");
  EXPECT_EQ(list_.GetItemCount(), 2);
  EXPECT_EQ(bag.asked.size(), control::kPersistedCount);
  EXPECT_EQ(bag.asked.back(), "CL350");
  // Only the display property held was written before the records.
  ASSERT_EQ(access_.puts.size(), 3u);
  EXPECT_EQ(access_.puts[0], std::make_pair(6, vt::kI4));
}

TEST_F(PersistTest, StreamTruncatedAnywhereFailsWithCompleteEntriesOnly) {
  Bytes stream = Save();
  stream = Splice(stream, kFirstCl, Record("TAB:T,TEXT:a,ID:a"));
  stream = Splice(stream, kFirstCl + 1, Record("TAB:T,TEXT:b,ID:b"));
  const std::vector<std::size_t> at = Offsets(stream);
  for (std::size_t cut = 0; cut < stream.size(); ++cut) {
    control::TabbedList fresh;
    FacadeAccess fresh_access(fresh);
    MemorySource source(Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut)));
    ASSERT_EQ(control::LoadStream(source, fresh_access), kFail) << cut;
    const int complete = (cut >= at[kFirstCl + 1]) + (cut >= at[kFirstCl + 2]);
    ASSERT_EQ(fresh.GetItemCount(), complete) << cut;
    ASSERT_EQ(fresh.GetTabRows(), 1);
  }
  EXPECT_EQ(Load(stream, 1), kOk);
  EXPECT_EQ(list_.GetItemCount(), 2);
}

TEST_F(PersistTest, HostileStreamValuesAreRefusedBeforeTheyApply) {
  const Bytes good = Save();
  constexpr std::uint32_t kMax = control::kMaxTextBytes;
  const std::u16string longest(kMax / 2 - 1, u'x');
  Bytes object_then_class_id;
  Append(object_then_class_id, vt::kUnknown, 2);
  for (int i = 0; i < 16; ++i) object_then_class_id.push_back(0x11);
  const struct {
    const char* what;
    std::size_t entry;
    Bytes value;
    HResult result;
    int tab_rows;  // after the load
  } cases[] = {
      {"count 0x7FFFFFFF", kFirstCl, Text(0x7FFFFFFF, u"ab"), kFail, 7},
      {"count 0xFFFFFFFF", kFirstCl, Text(0xFFFFFFFF, u"ab"), kFail, 7},
      {"odd count", kFirstCl, Text(5, u"ab"), kFail, 7},
      {"count beyond the data", kFirstCl, Text(200, u"ab"), kFail, 7},
      {"no terminating zero", kFirstCl, Text(4, u"ab", false), kFail, 7},
      {"count above the cap", kFirstCl, Text(kMax + 2, longest + u"x"), kFail, 7},
      {"count at the cap", kFirstCl, Text(kMax, longest), kOk, 7},
      {"null text", kFirstCl, Text(0, u"", false), kOk, 7},
      {"VT_UNKNOWN", kTabRows, object_then_class_id, kFail, 1},
      {"VT_DISPATCH", kTabRows, {vt::kDispatch, 0}, kFail, 1},
      {"VT_BYREF|VT_I4", kTabRows, {vt::kI4, 0x40, 7, 0, 0, 0}, kFail, 1},
      {"VT_ARRAY|VT_I4", kTabRows, {vt::kI4, 0x20, 7, 0, 0, 0}, kFail, 1},
      {"VT_VECTOR|VT_I4", kTabRows, {vt::kI4, 0x10, 7, 0, 0, 0}, kFail, 1},
      {"reserved flag", kTabRows, {vt::kI4, 0x80, 7, 0, 0, 0}, kFail, 1},
      {"VT_EMPTY", kTabRows, {vt::kEmpty, 0}, kFail, 1},
      {"VT_I8 as text", kTabRows, {vt::kI8, 0, 4, 0, 0, 0, '7', 0, 0, 0}, kFail, 1},
      {"unknown 0x00FF", kTabRows, {0xFF, 0, 7, 0, 0, 0}, kFail, 1},
      {"VT_I2", kTabRows, {vt::kI2, 0, 7, 0}, kOk, 7},
      {"VT_R8 7.0", kTabRows, {vt::kR8, 0, 0, 0, 0, 0, 0, 0, 0x1C, 0x40}, kOk, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    control::TabbedList fresh;
    FacadeAccess fresh_access(fresh);
    fresh.AddItem("TAB:T,TEXT:old,ID:old");
    Bytes stream = Splice(good, kTabRows, {vt::kI4, 0, 7, 0, 0, 0});
    stream = Splice(stream, c.entry, c.value);
    MemorySource source(stream);
    EXPECT_EQ(control::LoadStream(source, fresh_access), c.result);
    EXPECT_EQ(fresh.GetTabRows(), c.tab_rows);
    EXPECT_EQ(fresh.GetItemCount(), 1);  // the long text is no record
    // Refused types stop at their 2 bytes: nothing after them is read.
    if (c.result == kFail && c.entry == kTabRows) {
      EXPECT_EQ(source.Position(), Offsets(good)[kTabRows] + 2);
    }
    ExpectWorking(fresh, fresh_access);
  }
}

TEST_F(PersistTest, HostileBagAnswersAreRefusedBeforeTheyApply) {
  const struct {
    const char* what;
    const char* name;
    PersistValue answer;
    HResult result;
  } cases[] = {
      {"object", "TabRows", PersistValue::Number(vt::kDispatch, 0x1234), kFail},
      {"by reference", "TabRows", PersistValue::Number(vt::kByref | vt::kI4, 0x1234), kFail},
      {"array", "TabRows", PersistValue::Number(vt::kArray | vt::kI4, 0x1234), kFail},
      {"text for a number", "TabRows", PersistValue::Text(u"many"), kFail},
      {"huge text", "CL0", PersistValue::Text(std::u16string(control::kMaxTextBytes, u'x')), kFail},
      {"text for the extent", "_cy", PersistValue::Text(u"100"), kFail},
      {"VT_I2 for the extent", "_cy", PersistValue::Number(vt::kI2, 0xFFFF), kOk},
      {"VT_EMPTY", "TabRows", PersistValue::Number(vt::kEmpty, 0), kOk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    control::TabbedList fresh;
    FacadeAccess fresh_access(fresh);
    MapBag bag;
    bag.values["MousePointer"] = PersistValue::Number(vt::kI4, 2);  // before every case
    bag.values[c.name] = c.answer;
    EXPECT_EQ(control::LoadBag(bag, fresh_access), c.result);
    // "_cy" comes before MousePointer: its refusal leaves MousePointer unread.
    const bool refused_first = c.result == kFail && std::string(c.name) == "_cy";
    EXPECT_EQ(fresh.GetMousePointer(), refused_first ? 0 : 2);
    EXPECT_EQ(fresh.GetTabRows(), 1);
    EXPECT_EQ(fresh.GetItemCount(), 0);
    EXPECT_EQ(fresh_access.extent[1],
              c.result == kOk && c.answer.type == vt::kI2 ? 0xFFFFFFFFu : 661u);
    ExpectWorking(fresh, fresh_access);
  }
}

}  // namespace
