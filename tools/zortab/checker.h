// What the control does with each record of one input: the records go through the
// control's own AddItemRecord on a store of their own, which notes what it did in a
// RecordReport; the cross-record findings (duplicate IDs, parents that show nothing,
// parent loops, items too deep for the tree) are read from the store afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/zortab/page_input.h"

namespace zortab {

enum class Severity { kNote, kWarning, kDropped };

struct Message {
  Severity severity = Severity::kNote;
  std::string text;
};

struct CheckedRecord {
  std::size_t line = 0;
  std::string name;  // the page parameter ("CL3"), empty for a text file
  bool stored = false;
  std::string id;  // as stored; for a dropped record, what it gave
  std::string tab;
  std::string parent;
  std::optional<std::int32_t> level;  // as stored; none when dropped
  std::vector<Message> messages;
};

struct CheckOptions {
  std::int32_t display_style = 0;  // a page's DisplayStyle parameter overrides it
  std::int32_t delimiter = 44;
};

std::vector<CheckedRecord> CheckRecords(const Input& input, const CheckOptions& options);

// The display style in effect for an input.
std::int32_t DisplayStyleOf(const Input& input, const CheckOptions& options);

// "note", "warning" or "dropped".
const char* SeverityName(Severity severity);

// Long texts cut for messages and listings: the first `limit` bytes and the full length.
std::string Shortened(std::string_view text, std::size_t limit = 200);

}  // namespace zortab
