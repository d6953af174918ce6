// The reports of the zortab tool: text for people, JSON for programs. Record texts are
// ANSI bytes that may hold anything; both forms print them safely: valid UTF-8 as it
// stands, control characters and bytes outside valid UTF-8 escaped (\xNN in text,
// \u00NN in JSON, the byte read as Latin-1).
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/zortab/checker.h"

namespace zortab {

// A text made safe for a terminal: \xNN for control bytes and invalid UTF-8.
std::string TerminalText(std::string_view bytes);
// A JSON string literal, quotes included.
std::string JsonString(std::string_view bytes);

struct FileReport {
  std::string file;
  std::vector<FileNote> warnings;  // about the file
  std::vector<CheckedRecord> records;
};

// One line per record and per message: "FILE:LINE: stored: ...", "FILE:LINE: warning: ...".
void WriteText(std::ostream& out, const FileReport& report);
// The records of all files as one JSON array, an object per record in input order.
void WriteJson(std::ostream& out, const std::vector<FileReport>& reports);

}  // namespace zortab
