// Item records: the text lines that AddItem reads and ItemString writes.
//
// A record is a sequence of KEY:value or KEY=value fields separated by one delimiter byte
// (the low 8 bits of Delimiter). Keys ignore ASCII case; values run to the next delimiter
// and are taken as they stand. There is no quoting.
//
// NUL bytes: a NUL is an ordinary byte of text everywhere in the item model. Records are
// ItemText / std::string_view with explicit lengths, never NUL-terminated buffers, so
// - a NUL inside a value stays part of the value (an ID "a\0b" is three bytes long and
//   differs from "a"); values come back byte for byte from ItemString and the getters;
// - a NUL never matches a key letter, so a key broken by a NUL is stray text, and text
//   followed by a NUL ("END\0") is not an END record;
// - a number stops at a NUL as at any other non-digit;
// - AddItemList splits only at CR and LF, never at a NUL;
// - a Delimiter whose low 8 bits are 0 makes the NUL byte the field separator.
// The COM layer converts BSTR <-> ANSI text with explicit lengths so that NULs survive.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/item.h"

namespace model {

class Store;

// What one record gave, before the rules of AddItemRecord apply.
struct Record {
  bool End = false;  // an END record: every other field is at its default
  ItemText Tab;
  std::int32_t TabPic = 0;
  ItemText Text;
  ItemText Href;
  ItemText Frame;
  ItemText ID;
  ItemText Parent;
  std::int32_t Level = 0;
  std::int32_t Cpic = 0;
  std::int32_t Opic = 0;
  ItemText Tag;
  std::uint32_t Flags = 0;
  std::int32_t OverlayPic = 0;
  std::int32_t ItemEnabled = 1;
  std::int32_t HasChildren = 0;
};

// What AddItemRecord made of one record, for tools that explain the records of a page to
// its author; the control passes none. Filling it changes nothing of what is stored.
struct RecordReport {
  enum class Outcome : std::uint8_t { kStored, kEnd, kRefused, kSeqsUsedUp };
  // A number that a bound replaced: the key that gave it, the value given, the value kept.
  // A later value of the same field replaces the note, as it replaces the value.
  struct Cut {
    std::string_view key;
    std::int32_t given = 0;
    std::int32_t kept = 0;
  };
  Outcome outcome = Outcome::kRefused;
  Seq seq = kNoSeq;                // the stored item's Seq
  bool keys_found = false;         // at least one key was recognised
  bool missing_tab = false;        // refused: the display style needs a tab name
  bool missing_text = false;       // refused: the display style needs a text
  bool id_generated = false;       // the record gave no ID
  bool text_from_id = false;       // tabs only: the empty text became the ID
  bool tab_defaulted = false;      // tree only: the empty tab name became "Hidden"
  bool parent_was_own_id = false;  // the Parent named the item itself and was cleared
  bool parent_found = false;       // an explicit Parent named a stored item: Level derived
  // What a refused record gave (a stored record's fields are read from its item).
  std::string tab;
  std::string id;
  std::string parent;
  std::vector<Cut> cuts;
};

// Reads a number from the start of `value`: white space (9-13 and 32) is skipped, then an
// optional sign and decimal digits up to the first other byte. No digits give 0; the
// arithmetic is 32-bit and wraps on overflow.
std::int32_t ParseNumber(std::string_view value);

// Splits one record at `delimiter` and fills the fields. Text keys append to what the
// record already gave, number keys replace it. Stray text is skipped one byte at a time,
// so a key is found wherever its name begins, but values are never searched for keys.
// With a report, the recognised keys and the bounds applied are noted in it.
Record ParseRecord(std::string_view text, char delimiter, RecordReport* report = nullptr);

// The one path by which a record becomes an item: parse, apply the display-style rule
// (a refused record has no effect at all), bound the pictures, find or create the tab,
// set the tab picture, derive Parent and Level, store the item and ask the views to show
// it. An END record asks the views to show the first tab and lowers the busy depth.
// With a report, what was done and why is noted in it.
void AddItemRecord(Store& store, std::string_view text, RecordReport* report = nullptr);

// One record, inside a busy section.
void AddItem(Store& store, std::string_view text);

// Records separated by CR or LF, each line handed to AddItemRecord as it stands: a CR LF
// pair yields an empty line between two records, which adds nothing. The busy depth is
// not raised.
void AddItemList(Store& store, std::string_view text);

// The record text of the earliest item with the ID, in the fixed field order with ","
// between fields whatever Delimiter holds; empty text when no item has the ID.
std::string ItemString(const Store& store, std::string_view id);

}  // namespace model
