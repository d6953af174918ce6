// Record parsing and AddItemRecord: the syntax, the display-style rules, bounds, parent and
// level derivation, END records and the view requests a record causes.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <sstream>
#include <string>

#include "model/record.h"
#include "model/store.h"
#include "support/recording_views.h"

using model::Record;
using model::Store;
using namespace std::string_literals;

namespace {

Record Parse(std::string_view text, char delimiter = ',') {
  return model::ParseRecord(text, delimiter);
}

const model::Item& ItemOf(const Store& store, std::string_view id) {
  const model::Item* item = store.FindItemById(id);
  EXPECT_NE(item, nullptr) << "no item " << id;
  static const model::Item none;
  return item ? *item : none;
}

TEST(ParseNumber, SkipsWhiteSpaceReadsSignAndStopsAtNonDigit) {
  EXPECT_EQ(model::ParseNumber("42"), 42);
  EXPECT_EQ(model::ParseNumber(" \t\n\v\f\r7"), 7);
  EXPECT_EQ(model::ParseNumber("+5"), 5);
  EXPECT_EQ(model::ParseNumber("-12abc"), -12);
  EXPECT_EQ(model::ParseNumber("2x"), 2);
  EXPECT_EQ(model::ParseNumber(""), 0);
  EXPECT_EQ(model::ParseNumber("-"), 0);
  EXPECT_EQ(model::ParseNumber("x5"), 0);
  EXPECT_EQ(model::ParseNumber("- 5"), 0);  // no space between sign and digits
  EXPECT_EQ(model::ParseNumber("\x1f"
                               "5"),
            0);  // 31 is not white space
  EXPECT_EQ(model::ParseNumber("3\0"
                               "9"s),
            3);  // a NUL ends the number
}

TEST(ParseNumber, WrapsAt32Bits) {
  EXPECT_EQ(model::ParseNumber("2147483647"), INT_MAX);
  EXPECT_EQ(model::ParseNumber("2147483648"), INT_MIN);
  EXPECT_EQ(model::ParseNumber("-2147483648"), INT_MIN);
  EXPECT_EQ(model::ParseNumber("4294967297"), 1);
  EXPECT_EQ(model::ParseNumber("99999999999999999999"), static_cast<std::int32_t>(1661992959u));
}

TEST(ParseRecord, KeysIgnoreCaseTakeEitherMarkAndSkipOnlySpaces) {
  Record r = Parse("tab=Main,TeXt: Hello ,id:\tx");
  EXPECT_EQ(r.Tab, "Main");
  EXPECT_EQ(r.Text, "Hello ");  // space before the delimiter stays
  EXPECT_EQ(r.ID, "\tx");       // a tab after the key is part of the value
  EXPECT_FALSE(r.End);
}

TEST(ParseRecord, TextKeysAppendNumberKeysReplace) {
  Record r = Parse("TEXT:a,TEXT:b,LEVEL:3,LEVEL:1,TAG:x,TAG:y");
  EXPECT_EQ(r.Text, "ab");
  EXPECT_EQ(r.Level, 1);
  EXPECT_EQ(r.Tag, "xy");
  Record pics = Parse("PIC:3,OPIC:5");
  EXPECT_EQ(pics.Cpic, 3);
  EXPECT_EQ(pics.Opic, 5);
  pics = Parse("OPIC:5,PIC:3");
  EXPECT_EQ(pics.Cpic, 3);
  EXPECT_EQ(pics.Opic, 3);
}

TEST(ParseRecord, StrayTextIsSkippedByteByByte) {
  EXPECT_EQ(Parse("GRID:5").ID, "5");
  EXPECT_EQ(Parse("xxTEXT:a").Text, "a");
  Record r = Parse("UNKNOWN:1,TEXT:a");
  EXPECT_EQ(r.Text, "a");
  // Values are never searched for keys.
  EXPECT_EQ(Parse("TEXT:ID:5").ID, "");
  EXPECT_EQ(Parse("TEXT:ID:5").Text, "ID:5");
  // A key without ':' or '=' is stray text.
  Record bare = Parse("TAB Main,TEXT");
  EXPECT_EQ(bare.Tab, "");
  EXPECT_EQ(bare.Text, "");
}

TEST(ParseRecord, LaterKeysAreTriedAtTheDelimiter) {
  // With 'O' as delimiter, TEXT's value ends on the O of OPIC, which comes later in the key
  // order and is read from there.
  Record r = Parse("TEXT:aOPIC:5", 'O');
  EXPECT_EQ(r.Text, "a");
  EXPECT_EQ(r.Opic, 5);
  // TAB comes before TEXT: it is not tried at TEXT's delimiter, and the byte after is
  // already past its start.
  Record t = Parse("TEXT:aTAB:x", 'T');
  EXPECT_EQ(t.Text, "a");
  EXPECT_EQ(t.Tab, "");
}

TEST(ParseRecord, NumberRulesOfTheKeys) {
  Record r = Parse("LEVEL:12,OPIC:60,CPIC:-3,OVERLAY:9,ENABLE:0,HASCHILDREN:7,TABPIC:99");
  EXPECT_EQ(r.Level, 9);
  EXPECT_EQ(r.Opic, 0);
  EXPECT_EQ(r.Cpic, -3);
  EXPECT_EQ(r.OverlayPic, 0);
  EXPECT_EQ(r.ItemEnabled, 0);
  EXPECT_EQ(r.HasChildren, 1);
  EXPECT_EQ(Parse("LEVEL:-4").Level, -4);
  EXPECT_EQ(Parse("OVERLAY:8").OverlayPic, 8);
  EXPECT_EQ(Parse("ENABLE:x").ItemEnabled, 0);
  EXPECT_EQ(Parse("").ItemEnabled, 1);
  EXPECT_EQ(Parse("BOLD:1,EXPAND:2,SELECT:-1").Flags, 0x32u);
  EXPECT_EQ(Parse("BOLD:1,BOLD:0").Flags, model::kFlagBold);  // zero never clears
}

TEST(ParseRecord, NoneClearsOnlyExactNone) {
  EXPECT_EQ(Parse("HREF:NONE").Href, "");
  EXPECT_EQ(Parse("HREF:none").Href, "");
  EXPECT_EQ(Parse("HREF:None").Href, "None");
  EXPECT_EQ(Parse("FRAME:none").Frame, "");
  EXPECT_EQ(Parse("HREF:NONE ").Href, "NONE ");
  // The rule looks at the whole value so far.
  EXPECT_EQ(Parse("HREF:NO,HREF:NE").Href, "");
  EXPECT_EQ(Parse("HREF:a,HREF:NONE").Href, "aNONE");
}

TEST(ParseRecord, EndRecordIsTheRemainingText) {
  EXPECT_TRUE(Parse("END").End);
  EXPECT_TRUE(Parse("eNd").End);
  Record tail = Parse("TAB:Main,TEXT:x,END");
  EXPECT_TRUE(tail.End);
  EXPECT_EQ(tail.Tab, "");  // what came before is dropped
  EXPECT_TRUE(Parse("xEND").End);
  EXPECT_FALSE(Parse("TEXT:END").End);
  EXPECT_EQ(Parse("TEXT:END").Text, "END");
  EXPECT_FALSE(Parse("END,").End);
  EXPECT_FALSE(Parse("ENDX").End);
  EXPECT_FALSE(Parse(" END ").End);
  EXPECT_FALSE(Parse("END\0"s).End);
}

TEST(ParseRecord, DelimiterSplitsAndNulIsAnOrdinaryByte) {
  EXPECT_EQ(Parse("TAB:Main;TEXT:a,b", ';').Text, "a,b");
  Record r = Parse("TAB:M\0in,TEXT:a\0b,ID:\0"s);
  EXPECT_EQ(r.Tab, "M\0in"s);
  EXPECT_EQ(r.Text, "a\0b"s);
  EXPECT_EQ(r.ID, "\0"s);
  // A NUL inside a key name breaks the key.
  EXPECT_EQ(Parse("TA\0B:x,TEXT:y"s).Tab, "");
  // The NUL byte as delimiter.
  Record nul = Parse("TAB:a\0TEXT:b,c"s, '\0');
  EXPECT_EQ(nul.Tab, "a");
  EXPECT_EQ(nul.Text, "b,c");
}

// A plain scan that tries every key at every place, in the key order: the parser must
// find the same fields whatever delimiter and stray text surround them.
std::string ReferenceFields(std::string_view text, char delimiter) {
  static constexpr std::string_view kOrder[] = {
      "TAB",  "TABPIC", "TEXT", "HREF", "FRAME",  "ID",     "PARENT",  "LEVEL",  "PIC",
      "OPIC", "CPIC",   "TAG",  "BOLD", "EXPAND", "SELECT", "OVERLAY", "ENABLE", "HASCHILDREN"};
  const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  std::string fields;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text.size() - pos == 3 && upper(text[pos]) == 'E' && upper(text[pos + 1]) == 'N' &&
        upper(text[pos + 2]) == 'D') {
      return "END";
    }
    for (std::string_view name : kOrder) {
      if (text.size() - pos < name.size() + 1) continue;
      bool match = true;
      for (std::size_t i = 0; i < name.size(); ++i)
        match = match && upper(text[pos + i]) == name[i];
      const char mark = text[pos + name.size()];
      if (!match || (mark != ':' && mark != '=')) continue;
      pos += name.size() + 1;
      while (pos < text.size() && text[pos] == ' ') ++pos;
      const std::size_t end = std::min(text.find(delimiter, pos), text.size());
      fields += std::string(name) + ":" + std::string(text.substr(pos, end - pos)) + '\x01';
      pos = end;
    }
    if (pos >= text.size()) break;
    ++pos;
  }
  return fields;
}

std::string Describe(const Record& r) {
  std::ostringstream out;
  out << r.End << '|' << r.Tab << '|' << r.TabPic << '|' << r.Text << '|' << r.Href << '|'
      << r.Frame << '|' << r.ID << '|' << r.Parent << '|' << r.Level << '|' << r.Cpic << '|'
      << r.Opic << '|' << r.Tag << '|' << r.Flags << '|' << r.OverlayPic << '|' << r.ItemEnabled
      << '|' << r.HasChildren;
  return out.str();
}

TEST(ParseRecord, AgreesWithAScanOfEveryKeyAtEveryPlace) {
  // Texts made of key letters in both cases, marks, digits and spaces, split by letters,
  // marks and the comma: keys in values, keys run together and keys at the delimiter.
  constexpr std::string_view kAlphabet = "TABPICEXHRFMDNLVOGSYtabpicexhrfmdnlvogsy:=,  019";
  constexpr std::string_view kDelimiters = "T,OCEPSe:";
  std::uint64_t state = 0x9E3779B97F4A7C15ULL;
  const auto next = [&state](std::size_t n) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<std::size_t>(state % n);
  };
  constexpr std::string_view kWords[] = {"TAB:",    "TEXT=",        "tabpic:", "CPIC:",
                                         "Opic=",   "PIC:",         "ID:",     "end",
                                         "Enable:", "HasChildren=", "TAG:"};
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const std::size_t pieces = next(8);
    for (std::size_t i = 0; i < pieces; ++i) {
      if (next(2)) {
        text += kWords[next(std::size(kWords))];
      } else {
        for (std::size_t n = next(4); n > 0; --n) text += kAlphabet[next(kAlphabet.size())];
      }
    }
    const char delimiter = kDelimiters[next(kDelimiters.size())];
    const std::string fields = ReferenceFields(text, delimiter);
    // The fields found, each as KEY:value and the value's end marked by a byte that occurs
    // nowhere else, read back as a record must give what the text gave.
    const Record expected = fields == "END" ? Parse("END") : Parse(fields, '\x01');
    ASSERT_EQ(Describe(Parse(text, delimiter)), Describe(expected))
        << "text '" << text << "' delimiter '" << delimiter << "'";
  }
}

// ---- AddItemRecord ---------------------------------------------------------------------------

TEST(AddItemRecord, StoresItemsAndDerivesLevelFromParent) {
  Store store;
  model::AddItem(store, "TAB:Main,TEXT:Hello,ID:h1");
  model::AddItem(store, "TAB:Main,TEXT:World,ID:w1,PARENT:h1");
  ASSERT_EQ(store.ItemCount(), 2);
  EXPECT_EQ(store.TabCount(), 1);
  const model::Item& h1 = ItemOf(store, "h1");
  EXPECT_EQ(h1.Level, 0);
  EXPECT_EQ(h1.ItemEnabled, 1);
  EXPECT_EQ(h1.Parent(), "");
  EXPECT_EQ(h1.Text, "Hello");
  EXPECT_EQ(ItemOf(store, "w1").Level, 1);
  EXPECT_EQ(ItemOf(store, "w1").Parent(), "h1");
  EXPECT_EQ(store.CheckInvariants(), "");
}

TEST(AddItemRecord, DisplayStyleRules) {
  Store store;
  model::AddItem(store, "TEXT:Hello");
  model::AddItem(store, "TAB:Main");
  model::AddItem(store, "");
  EXPECT_EQ(store.ItemCount(), 0);
  EXPECT_EQ(store.TabCount(), 0);
  EXPECT_EQ(store.NextSeq(), 0);

  store.SetDisplayStyle(model::kDisplayTreeOnly);
  model::AddItem(store, "TAB:Main");  // no text: refused
  model::AddItem(store, "TEXT:Hello");
  ASSERT_EQ(store.ItemCount(), 1);
  EXPECT_EQ(store.TabNameAt(ItemOf(store, "ID0").TabIndex()), "Hidden");
  EXPECT_EQ(store.TabCount(), 1);

  store.SetDisplayStyle(model::kDisplayTabsOnly);
  model::AddItem(store, "TEXT:no tab");  // refused
  model::AddItem(store, "TAB:Main");
  ASSERT_EQ(store.ItemCount(), 2);
  EXPECT_EQ(ItemOf(store, "ID1").Text, "ID1");

  store.SetDisplayStyle(7);  // any other value acts as 0
  model::AddItem(store, "TEXT:x");
  EXPECT_EQ(store.ItemCount(), 2);
  model::AddItem(store, "TAB:Main,TEXT:x,ID:given");
  EXPECT_EQ(ItemOf(store, "given").Text, "x");
}

TEST(AddItemRecord, RefusedRecordLeavesNoTraceAndTabPicRules) {
  Store store;
  model::AddItem(store, "TAB:Main,TABPIC:5");
  EXPECT_EQ(store.TabCount(), 0);
  store.SetDisplayStyle(model::kDisplayTabsOnly);
  model::AddItem(store, "TAB:Main,TABPIC:5");
  ASSERT_EQ(store.FindTab("Main"), 0);
  EXPECT_EQ(store.TabEntryAt(0)->TabPic, 5);
  model::AddItem(store, "TAB:Main,TABPIC:0");   // 0 leaves the picture
  model::AddItem(store, "TAB:Main,TABPIC:55");  // above 54 counts as 0
  model::AddItem(store, "TAB:Main,TABPIC:-2");  // not above 0
  EXPECT_EQ(store.TabEntryAt(0)->TabPic, 5);
  model::AddItem(store, "TAB:Main,TABPIC:54");
  EXPECT_EQ(store.TabEntryAt(0)->TabPic, 54);
  store.SetDisplayStyle(model::kDisplayTreeOnly);
  model::AddItem(store, "TAB:Main,TEXT:t,TABPIC:7");
  EXPECT_EQ(store.TabEntryAt(0)->TabPic, 54);
}

TEST(AddItemRecord, PictureAndOverlayBounds) {
  Store store;
  model::AddItem(store, "TAB:T,TEXT:a,ID:a,PIC:60,OVERLAY:-1");
  model::AddItem(store, "TAB:T,TEXT:b,ID:b,PIC:54,OVERLAY:8");
  EXPECT_EQ(ItemOf(store, "a").Cpic, 0);
  EXPECT_EQ(ItemOf(store, "a").Opic, 0);
  EXPECT_EQ(ItemOf(store, "a").OverlayPic, -1);
  EXPECT_EQ(ItemOf(store, "b").Cpic, 54);
  EXPECT_EQ(ItemOf(store, "b").OverlayPic, 8);
}

TEST(AddItemRecord, LevelParentsFormChainsPerTab) {
  Store store;
  model::AddItem(store, "TAB:T,TEXT:a,ID:a,LEVEL:0");
  model::AddItem(store, "TAB:T,TEXT:b,ID:b,LEVEL:1");
  model::AddItem(store, "TAB:T,TEXT:c,ID:c,LEVEL:2");
  model::AddItem(store, "TAB:U,TEXT:d,ID:d,LEVEL:2");  // fresh tab: no level-1 item yet
  model::AddItem(store, "TAB:T,TEXT:e,ID:e,LEVEL:1");  // replaces b as the level-1 parent
  model::AddItem(store, "TAB:T,TEXT:f,ID:f,LEVEL:2");
  EXPECT_EQ(ItemOf(store, "b").Parent(), "a");
  EXPECT_EQ(ItemOf(store, "c").Parent(), "b");
  EXPECT_EQ(ItemOf(store, "d").Parent(), "");
  EXPECT_EQ(ItemOf(store, "d").Level, 2);
  EXPECT_EQ(ItemOf(store, "e").Parent(), "a");
  EXPECT_EQ(ItemOf(store, "f").Parent(), "e");
  // Parent derivation recomputes the Level from the found parent.
  EXPECT_EQ(ItemOf(store, "f").Level, 2);
}

TEST(AddItemRecord, LevelNineIsNeverAParentAndNegativeLevelsAreTopLevel) {
  Store store;
  model::AddItem(store, "TAB:T,TEXT:x,ID:l8,LEVEL:8");
  model::AddItem(store, "TAB:T,TEXT:x,ID:l9a,LEVEL:9");
  model::AddItem(store, "TAB:T,TEXT:x,ID:l9b,LEVEL:15");
  EXPECT_EQ(ItemOf(store, "l9a").Parent(), "l8");
  EXPECT_EQ(ItemOf(store, "l9b").Parent(), "l8");  // l9a was not remembered
  EXPECT_EQ(ItemOf(store, "l9b").Level, 9);
  EXPECT_EQ(store.TabEntryAt(0)->LevelParents[9], "l8");
  model::AddItem(store, "TAB:T,TEXT:x,ID:n,LEVEL:-1");
  model::AddItem(store, "TAB:T,TEXT:x,ID:c1,LEVEL:1");
  EXPECT_EQ(ItemOf(store, "n").Parent(), "");
  EXPECT_EQ(ItemOf(store, "n").Level, -1);
  EXPECT_EQ(ItemOf(store, "c1").Parent(), "");  // the negative item was not remembered
  EXPECT_EQ(store.CheckInvariants(), "");
}

TEST(AddItemRecord, ExplicitParentRules) {
  Store store;
  model::AddItem(store, "TAB:T,TEXT:x,ID:p,LEVEL:0");
  model::AddItem(store, "TAB:T,TEXT:x,ID:self,PARENT:self,LEVEL:4");
  EXPECT_EQ(ItemOf(store, "self").Parent(), "");
  EXPECT_EQ(ItemOf(store, "self").Level, 4);
  model::AddItem(store, "TAB:T,TEXT:x,ID:orphan,PARENT:ghost,LEVEL:3");
  EXPECT_EQ(ItemOf(store, "orphan").Parent(), "ghost");
  EXPECT_EQ(ItemOf(store, "orphan").Level, 3);
  // An explicit parent leaves the level slots alone: p is still the level-1 parent.
  model::AddItem(store, "TAB:T,TEXT:x,ID:q,PARENT:orphan,LEVEL:0");
  EXPECT_EQ(ItemOf(store, "q").Level, 4);
  model::AddItem(store, "TAB:T,TEXT:x,ID:r,LEVEL:1");
  EXPECT_EQ(ItemOf(store, "r").Parent(), "p");
  // A parent's Level at the top of the range wraps instead of overflowing.
  store.FindItemById("p")->Level = INT_MAX;
  model::AddItem(store, "TAB:T,TEXT:x,ID:deep,PARENT:p");
  EXPECT_EQ(ItemOf(store, "deep").Level, INT_MIN);
}

TEST(AddItemRecord, DuplicateIdsAndGeneratedIds) {
  Store store;
  model::AddItem(store, "TAB:T,TEXT:first,ID:x");
  model::AddItem(store, "TAB:T,TEXT:second,ID:x");
  model::AddItem(store, "TAB:T,TEXT:gen");
  EXPECT_EQ(store.ItemCount(), 3);
  EXPECT_EQ(ItemOf(store, "x").Text, "first");
  EXPECT_EQ(ItemOf(store, "ID2").Text, "gen");
  // A record may name the ID that a later generated one would take: both then exist.
  model::AddItem(store, "TAB:T,TEXT:named,ID:ID4");
  model::AddItem(store, "TAB:T,TEXT:gen4");
  EXPECT_EQ(store.FindItem("ID4"), 3);
  EXPECT_EQ(ItemOf(store, "ID4").Text, "named");
  EXPECT_EQ(store.CountWithId("ID4"), 2);
  EXPECT_EQ(store.FindNextWithId("ID4", 3), 4);
}

TEST(AddItemRecord, DelimiterUsesLowEightBits) {
  Store store;
  store.SetDelimiter(300);  // 300 & 0xFF == 44
  model::AddItem(store, "TAB:Main,TEXT:a,ID:x");
  EXPECT_EQ(ItemOf(store, "x").Text, "a");
  store.SetDelimiter(59);
  model::AddItem(store, "TAB:Main;TEXT:a,b;ID:y");
  EXPECT_EQ(ItemOf(store, "y").Text, "a,b");
  EXPECT_EQ(store.Delimiter(), 59);
}

TEST(AddItemRecord, ViewRequestsBeforeTheViewsExist) {
  Store store;
  testing_support::RecordingViews views;
  store.SetViews(&views);
  model::AddItem(store, "TAB:A,TEXT:a,ID:a,TABPIC:3");
  EXPECT_TRUE(views.log.empty());  // no window: nothing is sent
  EXPECT_TRUE(store.RebuildPending());
  EXPECT_EQ(store.TabEntryAt(0)->TabPic, 3);
  EXPECT_EQ(views.busy, 0);
  EXPECT_EQ(views.max_busy, 2);  // AddItem's own section and the tab lookup

  // An item of CurrentTab while the views do not exist marks the tree stale.
  Store other;
  other.SetCurrentTab(0);
  model::AddItem(other, "TAB:A,TEXT:a");
  other.SetRebuildPending(false);
  model::AddItem(other, "TAB:A,TEXT:b");
  EXPECT_TRUE(other.RebuildPending());
}

TEST(AddItemRecord, ViewRequestsWhileTheViewsAreReady) {
  Store store;
  testing_support::RecordingViews views;
  store.SetViews(&views);
  store.SetViewReady(true);
  store.SetCurrentTab(0);
  model::AddItem(store, "TAB:A,TEXT:a,ID:a,TABPIC:3");
  model::AddItem(store, "TAB:B,TEXT:b,ID:b");  // not the shown tab
  model::AddItem(store, "TAB:A,TEXT:c,ID:c,TABPIC:60");
  const std::vector<std::string> expected = {"tab 0 A", "tabpic 0 3", "insert a", "tab 1 B",
                                             "insert c"};
  EXPECT_EQ(views.log, expected);
  EXPECT_FALSE(store.RebuildPending());
  EXPECT_EQ(ItemOf(store, "a").TreeNode, 1000u);
  EXPECT_EQ(ItemOf(store, "b").TreeNode, model::kNoNode);

  // While a rebuild is pending, new tabs and items wait for it.
  views.log.clear();
  store.SetRebuildPending(true);
  model::AddItem(store, "TAB:C,TEXT:d");
  model::AddItem(store, "TAB:A,TEXT:e");
  EXPECT_TRUE(views.log.empty());
}

TEST(AddItemRecord, EndRecordRebuildsAndLowersTheBusyDepth) {
  Store store;
  testing_support::RecordingViews views;
  store.SetViews(&views);
  model::AddItem(store, "TAB:A,TEXT:x,END");
  EXPECT_EQ(store.ItemCount(), 0);
  EXPECT_TRUE(views.log.empty());  // RebuildTree only once the views exist
  store.SetViewReady(true);
  views.busy = 3;
  model::AddItemRecord(store, "end");
  EXPECT_EQ(views.log, std::vector<std::string>{"rebuild 0"});
  EXPECT_EQ(views.busy, 2);
  // Inside AddItemList the END lowers a depth the list never raised; it stays at 0.
  views.busy = 0;
  model::AddItemList(store, "END\nTAB:A,TEXT:after,ID:after");
  EXPECT_EQ(views.busy, 0);
  EXPECT_NE(store.FindItem("after"), model::kNoSeq);  // lines after END are still read
}

TEST(AddItemList, SplitsAtEachCrOrLf) {
  Store store;
  testing_support::RecordingViews views;
  store.SetViews(&views);
  model::AddItemList(store, "TAB:T,TEXT:a\r\nTAB:T,TEXT:b\r\nTAB:T,TEXT:c");
  EXPECT_EQ(store.ItemCount(), 3);
  EXPECT_EQ(views.max_busy, 2);  // the list's own section and the tab lookup, not per line
  model::AddItemList(store, "\n\r\rTAB:T,TEXT:d\n\nTAB:T,TEXT:e\rTAB:T,TEXT:f\n");
  EXPECT_EQ(store.ItemCount(), 6);
  // A NUL does not end a line.
  model::AddItemList(store, "TAB:T,TEXT:g\0h,ID:g\nTAB:T,TEXT:i"s);
  EXPECT_EQ(ItemOf(store, "g").Text, "g\0h"s);
  EXPECT_EQ(store.ItemCount(), 8);
  model::AddItemList(store, "");
  EXPECT_EQ(store.ItemCount(), 8);
  EXPECT_EQ(store.CheckInvariants(), "");
}

// Host code run by a view request may change Delimiter in the middle of a list; the next
// line is split at the new one.
TEST(AddItemList, DelimiterChangedWhileStoringALineAppliesToTheNext) {
  struct SwitchingViews : testing_support::RecordingViews {
    Store* store = nullptr;
    void InsertItemNode(model::Item& item) override {
      RecordingViews::InsertItemNode(item);
      if (item.ID() == "first") store->SetDelimiter(';');
    }
  } views;
  Store store;
  views.store = &store;
  store.SetViews(&views);
  store.SetViewReady(true);
  store.SetCurrentTab(0);
  model::AddItemList(store, "TAB:T,TEXT:a,ID:first\nTAB:T;TEXT:b,c;ID:second\nTAB:T,TEXT:d");
  EXPECT_EQ(ItemOf(store, "second").Text, "b,c");
  EXPECT_EQ(store.ItemCount(), 2);  // the last line has no text under ';'
}

// ---- RecordReport: what a record did, noted without changing what is stored ----------------

struct ReportCase {
  const char* record;
  std::int32_t display_style;
  model::RecordReport::Outcome outcome;
  std::string cuts;  // "KEY given>kept" joined by spaces
  bool missing_tab, missing_text, keys_found;
};

std::string CutsOf(const model::RecordReport& report) {
  std::string out;
  for (const auto& cut : report.cuts) {
    if (!out.empty()) out += ' ';
    out += std::string(cut.key) + " " + std::to_string(cut.given) + ">" + std::to_string(cut.kept);
  }
  return out;
}

TEST(RecordReport, NotesOutcomeReasonAndTheBoundsThatApplied) {
  using Outcome = model::RecordReport::Outcome;
  const ReportCase cases[] = {
      {"TAB:A,TEXT:a", 0, Outcome::kStored, "", false, false, true},
      {"TEXT:a", 0, Outcome::kRefused, "", true, false, true},
      {"TAB:A", 0, Outcome::kRefused, "", false, true, true},
      {"ID:x", 0, Outcome::kRefused, "", true, true, true},
      {"stray words", 0, Outcome::kRefused, "", true, true, false},
      {"TAB:A", 1, Outcome::kStored, "", false, false, true},
      {"TAB:A", 2, Outcome::kRefused, "", false, true, true},
      {"TAB:A,TEXT:a,END", 0, Outcome::kEnd, "", false, false, true},
      {"TAB:A,TEXT:a,LEVEL:12,OPIC:60,CPIC:-3,OVERLAY:9,TABPIC:99", 0, Outcome::kStored,
       "LEVEL 12>9 OPIC 60>0 OVERLAY 9>0 TABPIC 99>0", false, false, true},
      // A later value of a field replaces the note; PIC is bounded when stored.
      {"TAB:A,TEXT:a,OPIC:60,OPIC:3,LEVEL:20,LEVEL:2", 0, Outcome::kStored, "", false, false, true},
      {"TAB:A,TEXT:a,OPIC:60,PIC:70", 0, Outcome::kStored, "PIC 70>0", false, false, true},
      {"TAB:A,TEXT:a,PIC:70,CPIC:1", 0, Outcome::kStored, "PIC 70>0", false, false, true},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.record);
    Store reported;
    Store plain;
    reported.SetDisplayStyle(c.display_style);
    plain.SetDisplayStyle(c.display_style);
    model::RecordReport report;
    model::AddItemRecord(reported, c.record, &report);
    model::AddItemRecord(plain, c.record);
    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_EQ(CutsOf(report), c.cuts);
    EXPECT_EQ(report.missing_tab, c.missing_tab);
    EXPECT_EQ(report.missing_text, c.missing_text);
    EXPECT_EQ(report.keys_found, c.keys_found);
    EXPECT_EQ(report.seq, c.outcome == Outcome::kStored ? 0 : model::kNoSeq);
    // The report changes nothing of what is stored.
    ASSERT_EQ(reported.ItemCount(), plain.ItemCount());
    EXPECT_EQ(reported.TabCount(), plain.TabCount());
    if (plain.ItemCount() == 1) {
      const std::string id(plain.FindItemPtr(0)->ID());
      EXPECT_EQ(model::ItemString(reported, id), model::ItemString(plain, id));
    }
  }
}

TEST(RecordReport, NotesDefaultsParentsAndWhatARefusedRecordGave) {
  Store store;
  model::RecordReport report;
  model::AddItemRecord(store, "TAB:A,TEXT:a,ID:a", &report);
  EXPECT_FALSE(report.id_generated);
  report = {};
  model::AddItemRecord(store, "TAB:A,TEXT:b,PARENT:a", &report);
  EXPECT_TRUE(report.id_generated);
  EXPECT_TRUE(report.parent_found);
  report = {};
  model::AddItemRecord(store, "TAB:A,TEXT:c,ID:c,PARENT:c", &report);
  EXPECT_TRUE(report.parent_was_own_id);
  EXPECT_FALSE(report.parent_found);
  report = {};
  model::AddItemRecord(store, "TAB:A,TEXT:d,PARENT:later", &report);
  EXPECT_FALSE(report.parent_found);
  report = {};
  model::AddItemRecord(store, "TAB:T,ID:x,PARENT:p", &report);
  EXPECT_EQ(report.outcome, model::RecordReport::Outcome::kRefused);
  EXPECT_EQ(report.tab, "T");
  EXPECT_EQ(report.id, "x");
  EXPECT_EQ(report.parent, "p");

  store.SetDisplayStyle(model::kDisplayTabsOnly);
  report = {};
  model::AddItemRecord(store, "TAB:A", &report);
  EXPECT_TRUE(report.text_from_id);
  store.SetDisplayStyle(model::kDisplayTreeOnly);
  report = {};
  model::AddItemRecord(store, "TEXT:t", &report);
  EXPECT_TRUE(report.tab_defaulted);
  EXPECT_FALSE(report.text_from_id);
}

}  // namespace
