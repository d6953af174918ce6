#include "tools/zortab/page_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "control/persist_value.h"

namespace zortab {
namespace {

constexpr std::int32_t kLastClIndex = 350;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

bool StartsWithIgnoringCase(std::string_view text, std::size_t pos, std::string_view prefix) {
  return text.size() - pos >= prefix.size() &&
         EqualsIgnoringCase(text.substr(pos, prefix.size()), prefix);
}

bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view WithoutByteOrderMark(std::string_view bytes) {
  return bytes.starts_with(kByteOrderMark) ? bytes.substr(kByteOrderMark.size()) : bytes;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The UTF-16 length of a value the page holds as UTF-8 (a stray byte counts as one unit).
std::size_t Utf16Units(std::string_view utf8) {
  std::size_t units = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;  // every byte that starts a character
    if (byte >= 0xF0) ++units;           // a character beyond the BMP takes two units
  }
  return units;
}

// The CL index a parameter name stands for when the control reads it, or -1. Names that
// look like one but are never read (CL05, CL351) answer -2.
std::int32_t ClIndex(std::string_view name) {
  if (name.size() < 3 || LowerAscii(name[0]) != 'c' || LowerAscii(name[1]) != 'l') return -1;
  const std::string_view digits = name.substr(2);
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return -1;
  }
  if (digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) return -2;
  std::int32_t index = 0;
  for (const char c : digits) index = index * 10 + (c - '0');
  return index <= kLastClIndex ? index : -2;
}

// A display property's value: a whole number with optional spaces around it.
std::optional<std::int32_t> WholeNumber(std::string_view text) {
  while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::int32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

// Counts line breaks incrementally as a scan moves forward through the page.
class LineCounter {
 public:
  explicit LineCounter(std::string_view text) : text_(text) {}
  std::size_t LineAt(std::size_t pos) {
    if (pos < at_) return line_;  // scans only move forward
    line_ += static_cast<std::size_t>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(at_),
                                                 text_.begin() + static_cast<std::ptrdiff_t>(pos),
                                                 '\n'));
    at_ = pos;
    return line_;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t line_ = 1;
};

struct Attributes {
  std::optional<std::string> name;
  std::optional<std::string> value;
  bool unterminated = false;
};

// Reads the attributes of a tag from `pos` (just past the tag name) to its '>'; leaves
// `pos` past the '>' or at the end. The first of two attributes with one name counts.
Attributes ReadAttributes(std::string_view html, std::size_t& pos) {
  Attributes found;
  while (pos < html.size()) {
    while (pos < html.size() && (IsHtmlSpace(html[pos]) || html[pos] == '/')) ++pos;
    if (pos >= html.size()) break;
    if (html[pos] == '>') {
      ++pos;
      break;
    }
    const std::size_t name_start = pos;
    while (pos < html.size() && !IsHtmlSpace(html[pos]) && html[pos] != '=' && html[pos] != '>' &&
           html[pos] != '/') {
      ++pos;
    }
    const std::string_view name = html.substr(name_start, pos - name_start);
    std::size_t after = pos;
    while (after < html.size() && IsHtmlSpace(html[after])) ++after;
    std::string_view raw;
    if (after < html.size() && html[after] == '=') {
      pos = after + 1;
      while (pos < html.size() && IsHtmlSpace(html[pos])) ++pos;
      if (pos < html.size() && (html[pos] == '"' || html[pos] == '\'')) {
        const char quote = html[pos++];
        const std::size_t end = html.find(quote, pos);
        if (end == std::string_view::npos) {
          found.unterminated = true;
          raw = html.substr(pos);
          pos = html.size();
        } else {
          raw = html.substr(pos, end - pos);
          pos = end + 1;
        }
      } else {
        const std::size_t start = pos;
        while (pos < html.size() && !IsHtmlSpace(html[pos]) && html[pos] != '>') ++pos;
        raw = html.substr(start, pos - start);
      }
    }
    if (EqualsIgnoringCase(name, "name") && !found.name) {
      found.name = DecodeCharacterReferences(raw);
    } else if (EqualsIgnoringCase(name, "value") && !found.value) {
      found.value = DecodeCharacterReferences(raw);
    }
  }
  return found;
}

// Past the end of the element's raw text: the closing tag `close` (any case), or the end.
std::size_t SkipPast(std::string_view html, std::size_t pos, std::string_view close) {
  for (std::size_t at = html.find('<', pos); at != std::string_view::npos;
       at = html.find('<', at + 1)) {
    if (StartsWithIgnoringCase(html, at, close)) return at + close.size();
  }
  return html.size();
}

bool TagNameIs(std::string_view html, std::size_t pos, std::string_view name) {
  if (!StartsWithIgnoringCase(html, pos, name)) return false;
  const std::size_t end = pos + name.size();
  return end == html.size() || IsHtmlSpace(html[end]) || html[end] == '>' || html[end] == '/';
}

}  // namespace

std::optional<std::string> ReadFile(const std::string& path, std::size_t max_bytes,
                                    std::string& error) {
  errno = 0;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
  if (!file) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::string bytes;
  std::string chunk(1 << 16, '\0');
  for (;;) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
    if (got > max_bytes - bytes.size()) {
      error = path + " is larger than " + std::to_string(max_bytes) + " bytes";
      return std::nullopt;
    }
    bytes.append(chunk.data(), got);
    if (got < chunk.size()) break;
  }
  if (std::ferror(file.get())) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  return bytes;
}

bool LooksLikePage(std::string_view path, std::string_view bytes) {
  const std::size_t dot = path.rfind('.');
  if (dot != std::string_view::npos) {
    const std::string_view ext = path.substr(dot);
    if (EqualsIgnoringCase(ext, ".htm") || EqualsIgnoringCase(ext, ".html")) return true;
  }
  const std::string_view text = WithoutByteOrderMark(bytes);
  const auto first = std::find_if_not(text.begin(), text.end(), IsHtmlSpace);
  return first != text.end() && *first == '<';
}

Input ReadTextRecords(std::string_view bytes) {
  Input input;
  const std::string_view text = WithoutByteOrderMark(bytes);
  std::size_t line = 1;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    if (end > pos)
      input.records.push_back({line, {}, std::string(text.substr(pos, end - pos)), {}});
    pos = end;
    if (pos < text.size()) {
      pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
      ++line;
    }
  }
  return input;
}

Input ReadPageParams(std::string_view html) {
  Input input;
  input.page = true;
  LineCounter lines(html);
  std::map<std::int32_t, SourceRecord> by_index;  // the control reads CL0 .. CL350 in order
  for (std::size_t pos = html.find('<'); pos < html.size(); pos = html.find('<', pos)) {
    const std::size_t tag = pos;
    ++pos;
    if (html.compare(pos, 3, "!--") == 0) {
      const std::size_t end = html.find("-->", pos + 3);
      pos = end == std::string_view::npos ? html.size() : end + 3;
      continue;
    }
    if (TagNameIs(html, pos, "script")) {
      pos = SkipPast(html, pos, "</script");
      continue;
    }
    if (TagNameIs(html, pos, "style")) {
      pos = SkipPast(html, pos, "</style");
      continue;
    }
    if (!TagNameIs(html, pos, "param")) continue;
    pos += 5;
    const std::size_t line = lines.LineAt(tag);
    const Attributes attributes = ReadAttributes(html, pos);
    if (attributes.unterminated) {
      input.warnings.push_back({line, "an attribute value of this <param> has no closing quote"});
    }
    if (!attributes.name) continue;
    const std::string& name = *attributes.name;
    const std::string value = attributes.value.value_or(std::string());
    if (EqualsIgnoringCase(name, "DisplayStyle") || EqualsIgnoringCase(name, "Sorted")) {
      const std::optional<std::int32_t> number = WholeNumber(value);
      if (!number) {
        input.warnings.push_back({line, "the value of " + name + " is not a whole number"});
      } else if (EqualsIgnoringCase(name, "Sorted")) {
        input.sorted = number;
      } else {
        input.display_style = number;
      }
      continue;
    }
    const std::int32_t index = ClIndex(name);
    if (index == -2) {
      input.warnings.push_back(
          {line, "the control reads no parameter " + name + ": the names are CL0 to CL350"});
    }
    if (index < 0 || value.empty()) continue;  // an empty value adds nothing
    if (const auto it = by_index.find(index); it != by_index.end()) {
      input.warnings.push_back(
          {line, "CL" + std::to_string(index) + " is given again (first at line " +
                     std::to_string(it->second.line) + "); only the first one is checked"});
      continue;
    }
    by_index.emplace(index, SourceRecord{line, "CL" + std::to_string(index), value, {}});
  }
  // A value longer than the control takes ends its load: that record and all later ones
  // are never added.
  constexpr std::size_t kMaxUnits = control::kMaxTextBytes / 2 - 1;
  std::string refused_at;
  for (auto& [index, record] : by_index) {
    if (!refused_at.empty()) {
      record.not_loaded = "not loaded: the load of the page's values ended at " + refused_at;
    } else if (Utf16Units(record.text) > kMaxUnits) {
      record.not_loaded = "the value is longer than the " + std::to_string(kMaxUnits) +
                          " characters the control takes; its load ends here";
      refused_at = record.name;
    }
    input.records.push_back(std::move(record));
  }
  return input;
}

std::string DecodeCharacterReferences(std::string_view value) {
  static constexpr std::pair<std::string_view, std::uint32_t> kNamed[] = {
      {"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}, {"nbsp;", 0xA0}};
  std::string out;
  out.reserve(value.size());
  std::size_t pos = 0;
  while (pos < value.size()) {
    const std::size_t amp = value.find('&', pos);
    out.append(value.substr(pos, amp == std::string_view::npos ? amp : amp - pos));
    if (amp == std::string_view::npos) break;
    pos = amp + 1;
    const std::string_view rest = value.substr(pos);
    bool decoded = false;
    if (rest.starts_with('#')) {
      const bool hex = rest.size() > 1 && LowerAscii(rest[1]) == 'x';
      std::size_t at = hex ? 2 : 1;
      std::uint32_t code = 0;
      std::size_t digits = 0;
      for (; at < rest.size(); ++at, ++digits) {
        const char c = LowerAscii(rest[at]);
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0) break;
        // Past the last code point the value only has to stay out of range.
        code = code > 0x10FFFF ? code : code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
      }
      if (digits > 0) {
        if (at < rest.size() && rest[at] == ';') ++at;
        AppendUtf8(out, code);
        pos += at;
        decoded = true;
      }
    } else {
      for (const auto& [name, code] : kNamed) {
        if (rest.starts_with(name)) {  // named references are case-sensitive
          AppendUtf8(out, code);
          pos += name.size();
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) out += '&';
  }
  return out;
}

}  // namespace zortab
