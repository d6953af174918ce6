#include "tools/zortab/output.h"

#include <array>
#include <cstdint>

namespace zortab {
namespace {

// The length of the valid UTF-8 sequence at `pos`, or 0 when the byte there starts none.
std::size_t Utf8Length(std::string_view text, std::size_t pos) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = at(0);
  std::size_t length = 0;
  std::uint32_t min = 0;
  std::uint32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80, code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800, code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000, code = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() - pos < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((at(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (at(i) & 0x3Fu);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                       '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};

// Walks the bytes, copying valid UTF-8 and printable ASCII and handing every other byte
// (and the characters the form must escape) to `escape`.
template <class Escape>
std::string Escaped(std::string_view bytes, std::string_view special, Escape escape) {
  std::string out;
  out.reserve(bytes.size() + 2);
  for (std::size_t pos = 0; pos < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[pos]);
    const std::size_t length = Utf8Length(bytes, pos);
    if (length == 0 || byte < 0x20 || byte == 0x7F || special.find(bytes[pos]) != special.npos) {
      escape(out, byte);
      ++pos;
    } else {
      out.append(bytes.substr(pos, length));
      pos += length;
    }
  }
  return out;
}

std::string Located(const FileReport& report, std::size_t line) {
  return TerminalText(report.file) + ":" + std::to_string(line) + ": ";
}

std::string Summary(const CheckedRecord& record) {
  std::string text = record.stored ? "stored: " : "dropped: ";
  if (!record.name.empty()) text += record.name + ", ";
  if (record.stored) {
    text += "ID \"" + TerminalText(Shortened(record.id)) + "\" in tab \"" +
            TerminalText(Shortened(record.tab)) + "\", level " + std::to_string(*record.level);
    text += record.parent.empty() ? ", top level"
                                  : ", parent \"" + TerminalText(Shortened(record.parent)) + "\"";
  }
  return text;
}

}  // namespace

std::string TerminalText(std::string_view bytes) {
  return Escaped(bytes, "", [](std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
  });
}

std::string JsonString(std::string_view bytes) {
  return "\"" +
         Escaped(bytes, "\\\"",
                 [](std::string& out, unsigned char byte) {
                   if (byte == '\\' || byte == '"') {
                     out += '\\';
                     out += static_cast<char>(byte);
                     return;
                   }
                   out += "\\u00";
                   out += kHex[byte >> 4];
                   out += kHex[byte & 15];
                 }) +
         "\"";
}

void WriteText(std::ostream& out, const FileReport& report) {
  for (const FileNote& note : report.warnings) {
    out << Located(report, note.line) << "warning: " << TerminalText(note.text) << '\n';
  }
  for (const CheckedRecord& record : report.records) {
    out << Located(report, record.line) << Summary(record);
    std::size_t next = 0;
    if (!record.stored && !record.messages.empty()) {
      out << TerminalText(record.messages[0].text);  // the reason
      next = 1;
    }
    out << '\n';
    for (; next < record.messages.size(); ++next) {
      const Message& message = record.messages[next];
      out << Located(report, record.line) << SeverityName(message.severity) << ": "
          << TerminalText(message.text) << '\n';
    }
  }
}

void WriteJson(std::ostream& out, const std::vector<FileReport>& reports) {
  out << '[';
  const char* separator = "\n";
  for (const FileReport& report : reports) {
    for (const CheckedRecord& record : report.records) {
      out << separator << "{\"file\":" << JsonString(report.file) << ",\"line\":" << record.line;
      if (!record.name.empty()) out << ",\"param\":" << JsonString(record.name);
      out << ",\"status\":\"" << (record.stored ? "stored" : "dropped") << '"'
          << ",\"id\":" << JsonString(Shortened(record.id))
          << ",\"tab\":" << JsonString(Shortened(record.tab))
          << ",\"parent\":" << JsonString(Shortened(record.parent));
      if (record.level) out << ",\"level\":" << *record.level;
      out << ",\"messages\":[";
      for (std::size_t i = 0; i < record.messages.size(); ++i) {
        const Message& message = record.messages[i];
        out << (i ? "," : "")
            << JsonString(std::string(SeverityName(message.severity)) + ": " + message.text);
      }
      out << "]}";
      separator = ",\n";
    }
  }
  out << "\n]\n";
}

}  // namespace zortab
