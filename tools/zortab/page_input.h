// The records of one input file as the control would receive them: the lines of a text
// file, or the CLn parameters of a page's <object> element in the order the control loads
// them (CL0 to CL350), with their values decoded as a browser decodes attribute values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zortab {

struct SourceRecord {
  std::size_t line = 0;  // 1-based
  std::string name;      // the parameter's name on a page ("CL3"); empty for a text file
  std::string text;      // the record's bytes
  // Why the control never sees this record although the page gives it; empty when it does.
  std::string not_loaded;
};

struct FileNote {
  std::size_t line = 0;
  std::string text;
};

struct Input {
  bool page = false;
  std::vector<SourceRecord> records;
  std::vector<FileNote> warnings;  // about the file rather than one record
  // Display properties of the page that change what the records do or how they show.
  std::optional<std::int32_t> display_style;
  std::optional<std::int32_t> sorted;
};

// Reads a whole file of at most `max_bytes` bytes. Answers nothing and sets `error` when
// the file cannot be read or is larger.
std::optional<std::string> ReadFile(const std::string& path, std::size_t max_bytes,
                                    std::string& error);

// A file is read as a page when its name ends in .htm or .html, or when its first byte
// that is not white space (after a UTF-8 byte order mark) is '<'.
bool LooksLikePage(std::string_view path, std::string_view bytes);

// One record a line; lines end at CR, LF or CR LF. Empty lines add nothing and are left
// out. A UTF-8 byte order mark at the start is not part of the first record.
Input ReadTextRecords(std::string_view bytes);

// The <param> elements of a page (outside comments, scripts and styles), wherever they
// stand: CL0 .. CL350 (names ignore case), DisplayStyle and Sorted.
Input ReadPageParams(std::string_view html);

// An attribute value with character references decoded as a browser does: the named ones
// amp, lt, gt, quot, apos and nbsp, and decimal and hexadecimal numeric ones; characters
// become UTF-8, invalid code points U+FFFD. Unknown references stay as they are.
std::string DecodeCharacterReferences(std::string_view value);

}  // namespace zortab
