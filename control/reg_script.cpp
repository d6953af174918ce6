#include "control/reg_script.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

namespace control {
namespace {

// ---------------------------------------------------------------------------------------
// Text helpers

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Thrown while parsing; the run answers kDispException and writes nothing.
struct Malformed {};

// ---------------------------------------------------------------------------------------
// Tokens

enum class TokenKind { kWord, kQuoted, kEquals, kOpen, kClose };

struct Token {
  TokenKind kind;
  // A word's text, or a quoted text's raw inside (apostrophes still doubled).
  std::string_view text;
};

std::vector<Token> Tokenize(std::string_view script) {
  std::vector<Token> tokens;
  std::size_t pos = 0;
  const std::size_t end = script.size();
  while (pos < end) {
    const char c = script[pos];
    if (IsSpace(c)) {
      ++pos;
    } else if (c == '=') {
      tokens.push_back({TokenKind::kEquals, script.substr(pos, 1)});
      ++pos;
    } else if (c == '\'') {
      const std::size_t start = ++pos;
      for (;;) {
        if (pos >= end) throw Malformed{};  // unterminated quote
        if (script[pos] == '\'') {
          if (pos + 1 < end && script[pos + 1] == '\'') {
            pos += 2;
            continue;
          }
          break;
        }
        ++pos;
      }
      tokens.push_back({TokenKind::kQuoted, script.substr(start, pos - start)});
      ++pos;
    } else {
      const std::size_t start = pos;
      while (pos < end && !IsSpace(script[pos]) && script[pos] != '=' && script[pos] != '\'') ++pos;
      const std::string_view word = script.substr(start, pos - start);
      TokenKind kind = TokenKind::kWord;
      if (word == "{") kind = TokenKind::kOpen;
      if (word == "}") kind = TokenKind::kClose;
      tokens.push_back({kind, word});
    }
  }
  return tokens;
}

// Two apostrophes become one; a single one is left only by a replacement value that was
// not doubled, and would have ended the quoted text had it stood in the script.
std::string Unescape(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\'') {
      if (i + 1 >= raw.size() || raw[i + 1] != '\'') throw Malformed{};
      ++i;
    }
    out += raw[i];
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// The parsed script

enum class KeyFlag { kNone, kNoRemove, kForceRemove, kDelete };
enum class ValueType { kString, kNumber, kBytes };

struct TypedData {
  ValueType type = ValueType::kString;
  std::string text;  // S: the text; B: the bytes
  std::uint32_t number = 0;
};

struct Entry {
  bool is_value = false;
  KeyFlag flag = KeyFlag::kNone;
  std::string name;
  std::optional<TypedData> data;  // a named value's data, or a key's default value
  std::vector<Entry> children;
};

struct RootBlock {
  RootKey root;
  std::vector<Entry> entries;
};

std::optional<RootKey> FindRoot(std::string_view word) {
  struct Name {
    std::string_view short_name;
    std::string_view long_name;
    RootKey root;
  };
  static constexpr Name kRoots[] = {
      {"HKCR", "HKEY_CLASSES_ROOT", RootKey::kClassesRoot},
      {"HKCU", "HKEY_CURRENT_USER", RootKey::kCurrentUser},
      {"HKLM", "HKEY_LOCAL_MACHINE", RootKey::kLocalMachine},
      {"HKU", "HKEY_USERS", RootKey::kUsers},
      {"HKPD", "HKEY_PERFORMANCE_DATA", RootKey::kPerformanceData},
      {"HKDD", "HKEY_DYN_DATA", RootKey::kDynData},
      {"HKCC", "HKEY_CURRENT_CONFIG", RootKey::kCurrentConfig},
  };
  for (const Name& name : kRoots) {
    if (SameText(word, name.short_name) || SameText(word, name.long_name)) return name.root;
  }
  return std::nullopt;
}

std::optional<KeyFlag> FindFlag(std::string_view word) {
  if (SameText(word, "NoRemove")) return KeyFlag::kNoRemove;
  if (SameText(word, "ForceRemove")) return KeyFlag::kForceRemove;
  if (SameText(word, "Delete")) return KeyFlag::kDelete;
  return std::nullopt;
}

bool IsValKeyword(const Token& token) {
  return token.kind == TokenKind::kWord && SameText(token.text, "Val");
}

class Parser {
 public:
  Parser(std::vector<Token> tokens, const std::vector<RegReplacement>& replacements)
      : tokens_(std::move(tokens)), replacements_(replacements) {}

  std::vector<RootBlock> ParseScript() {
    std::vector<RootBlock> roots;
    while (pos_ < tokens_.size()) {
      const Token& word = Next();
      if (word.kind != TokenKind::kWord) throw Malformed{};
      const std::optional<RootKey> root = FindRoot(word.text);
      if (!root) throw Malformed{};
      if (Next().kind != TokenKind::kOpen) throw Malformed{};
      RootBlock block{*root, {}};
      ParseBlock(1, block.entries);
      roots.push_back(std::move(block));
    }
    return roots;
  }

 private:
  const Token& Next() {
    if (pos_ >= tokens_.size()) throw Malformed{};  // script ends inside a construct
    return tokens_[pos_++];
  }
  bool PeekIs(TokenKind kind) const { return pos_ < tokens_.size() && tokens_[pos_].kind == kind; }

  // Reads entries up to and including the block's closing brace.
  void ParseBlock(int depth, std::vector<Entry>& entries) {
    if (depth > kMaxRegScriptNesting) throw Malformed{};
    for (;;) {
      const Token& token = Next();
      if (token.kind == TokenKind::kClose) return;
      Entry entry;
      if (IsValKeyword(token)) {
        entry.is_value = true;
        entry.name = ParseName(Next());
        if (entry.name.size() > 16383) throw Malformed{};
        if (Next().kind != TokenKind::kEquals) throw Malformed{};
        entry.data = ParseTyped();
      } else {
        const Token* name = &token;
        if (token.kind == TokenKind::kWord) {
          if (std::optional<KeyFlag> flag = FindFlag(token.text)) {
            entry.flag = *flag;
            name = &Next();
            // One flag only, and a flag names a key, never a value.
            if (name->kind == TokenKind::kWord && (FindFlag(name->text) || IsValKeyword(*name))) {
              throw Malformed{};
            }
          }
        }
        entry.name = ParseName(*name);
        if (entry.name.size() > 255 || entry.name.find('\\') != std::string::npos) {
          throw Malformed{};
        }
        if (PeekIs(TokenKind::kEquals)) {
          ++pos_;
          entry.data = ParseTyped();
        }
        if (PeekIs(TokenKind::kOpen)) {
          ++pos_;
          ParseBlock(depth + 1, entry.children);
        }
      }
      entries.push_back(std::move(entry));
    }
  }

  static std::string ParseName(const Token& token) {
    if (token.kind != TokenKind::kWord && token.kind != TokenKind::kQuoted) throw Malformed{};
    std::string name =
        token.kind == TokenKind::kQuoted ? Unescape(token.text) : std::string(token.text);
    if (name.empty()) throw Malformed{};
    return name;
  }

  TypedData ParseTyped() {
    const Token& type = Next();
    if (type.kind != TokenKind::kWord || type.text.size() != 1) throw Malformed{};
    const Token& data = Next();
    if (data.kind != TokenKind::kQuoted) throw Malformed{};
    const std::string text = Unescape(Substitute(data.text));
    TypedData out;
    switch (FoldCase(type.text[0])) {
      case 'S':
        out.type = ValueType::kString;
        out.text = text;
        break;
      case 'D':
        out.type = ValueType::kNumber;
        out.number = ParseNumber(text);
        break;
      case 'B':
        out.type = ValueType::kBytes;
        out.text = ParseBytes(text);
        break;
      default:
        throw Malformed{};
    }
    return out;
  }

  std::string Substitute(std::string_view raw) const {
    std::string out;
    out.reserve(raw.size());
    std::size_t pos = 0;
    while (pos < raw.size()) {
      const std::size_t percent = raw.find('%', pos);
      if (percent == std::string_view::npos) {
        out.append(raw.substr(pos));
        break;
      }
      out.append(raw.substr(pos, percent - pos));
      const std::size_t close = raw.find('%', percent + 1);
      if (close == std::string_view::npos) throw Malformed{};
      const std::string_view name = raw.substr(percent + 1, close - percent - 1);
      if (name.empty()) {
        out += '%';
      } else {
        const RegReplacement* found = nullptr;
        for (const RegReplacement& replacement : replacements_) {
          if (SameText(replacement.name, name)) {
            found = &replacement;
            break;
          }
        }
        if (!found) throw Malformed{};
        out += found->value;
      }
      pos = close + 1;
    }
    return out;
  }

  static std::uint32_t ParseNumber(std::string_view text) {
    std::uint64_t value = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
      text.remove_prefix(2);
      if (text.size() > 8) throw Malformed{};
      for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) throw Malformed{};
        value = value * 16 + static_cast<std::uint64_t>(digit);
      }
    } else {
      if (text.empty() || text.size() > 10) throw Malformed{};
      for (char c : text) {
        if (c < '0' || c > '9') throw Malformed{};
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
      }
      if (value > 0xFFFFFFFFu) throw Malformed{};
    }
    return static_cast<std::uint32_t>(value);
  }

  static std::string ParseBytes(std::string_view text) {
    if (text.size() % 2 != 0) throw Malformed{};
    std::string bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
      const int high = HexDigit(text[i]);
      const int low = HexDigit(text[i + 1]);
      if (high < 0 || low < 0) throw Malformed{};
      bytes += static_cast<char>((high << 4) | low);
    }
    return bytes;
  }

  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  const std::vector<RegReplacement>& replacements_;
};

// ---------------------------------------------------------------------------------------
// Running the parsed script

bool IsProtected(std::string_view name) {
  return SameText(name, "CLSID") || SameText(name, "TYPELIB");
}

class Runner {
 public:
  explicit Runner(Registry& registry) : registry_(registry) {}

  HResult Register(const std::vector<RootBlock>& roots) {
    for (const RootBlock& block : roots) {
      if (!RegisterEntries(registry_.Root(block.root), block.entries)) return kDispException;
    }
    return kOk;
  }

  HResult Unregister(const std::vector<RootBlock>& roots) {
    for (const RootBlock& block : roots)
      UnregisterEntries(registry_.Root(block.root), block.entries);
    return failed_ ? kDispException : kOk;
  }

 private:
  bool SetValue(Registry::Key key, const std::string& name, const TypedData& data) {
    RegStatus status = RegStatus::kFailed;
    switch (data.type) {
      case ValueType::kString:
        status = registry_.SetStringValue(key, name, data.text);
        break;
      case ValueType::kNumber:
        status = registry_.SetNumberValue(key, name, data.number);
        break;
      case ValueType::kBytes:
        status = registry_.SetBinaryValue(key, name, data.text);
        break;
    }
    return status == RegStatus::kOk;
  }

  bool RegisterEntries(Registry::Key parent, const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
      if (entry.is_value) {
        if (!SetValue(parent, entry.name, *entry.data)) return false;
        continue;
      }
      const bool deletable = !IsProtected(entry.name);
      if (entry.flag == KeyFlag::kDelete) {
        if (deletable && !DeleteTree(parent, entry.name, 0)) return false;
        continue;
      }
      if (entry.flag == KeyFlag::kForceRemove && deletable && !DeleteTree(parent, entry.name, 0)) {
        return false;
      }
      Registry::Key raw = 0;
      if (registry_.CreateKey(parent, entry.name, raw) != RegStatus::kOk) return false;
      ScopedRegKey key(registry_, raw);
      if (entry.data && !SetValue(key.Get(), std::string(), *entry.data)) return false;
      if (!RegisterEntries(key.Get(), entry.children)) return false;
    }
    return true;
  }

  void UnregisterEntries(Registry::Key parent, const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
      if (entry.is_value) {
        const RegStatus status = registry_.DeleteValue(parent, entry.name);
        if (status != RegStatus::kOk && status != RegStatus::kNotFound) failed_ = true;
        continue;
      }
      const bool deletable = !IsProtected(entry.name);
      if (entry.flag == KeyFlag::kForceRemove && deletable) {
        if (!DeleteTree(parent, entry.name, 0)) failed_ = true;
        continue;
      }
      Registry::Key raw = 0;
      const RegStatus opened = registry_.OpenKey(parent, entry.name, raw);
      if (opened == RegStatus::kNotFound) continue;
      if (opened != RegStatus::kOk) {
        failed_ = true;
        continue;
      }
      ScopedRegKey key(registry_, raw);
      UnregisterEntries(key.Get(), entry.children);
      const bool keep =
          entry.flag == KeyFlag::kNoRemove || (entry.flag != KeyFlag::kNone && !deletable);
      if (keep) continue;
      std::optional<bool> empty = HoldsNothing(key.Get());
      if (!empty) {
        failed_ = true;
        continue;
      }
      if (!*empty) continue;
      key.Reset();
      const RegStatus deleted = registry_.DeleteKey(parent, entry.name);
      if (deleted != RegStatus::kOk && deleted != RegStatus::kNotFound) failed_ = true;
    }
  }

  // Whether the key has neither subkeys nor named values; nothing when it cannot be told.
  std::optional<bool> HoldsNothing(Registry::Key key) {
    RegKeyInfo info;
    if (registry_.QueryInfo(key, info) != RegStatus::kOk) return std::nullopt;
    if (info.subkeys != 0) return false;
    // The count includes the default value; only a named one keeps the key.
    for (std::uint32_t index = 0; index < info.values; ++index) {
      std::string name;
      const RegStatus status = registry_.EnumValue(key, index, name);
      if (status == RegStatus::kNoMoreItems) break;
      if (status != RegStatus::kOk) return std::nullopt;
      if (!name.empty()) return false;
    }
    return true;
  }

  // Deletes `name` below `parent` with everything below it; a missing key is no failure.
  bool DeleteTree(Registry::Key parent, const std::string& name, int depth) {
    if (depth > kMaxRegTreeDepth) return false;
    Registry::Key raw = 0;
    const RegStatus opened = registry_.OpenKey(parent, name, raw);
    if (opened == RegStatus::kNotFound) return true;
    if (opened != RegStatus::kOk) return false;
    ScopedRegKey key(registry_, raw);
    std::string previous;
    for (bool first = true;; first = false) {
      std::string child;
      const RegStatus status = registry_.EnumKey(key.Get(), 0, child);
      if (status == RegStatus::kNoMoreItems) break;
      if (status != RegStatus::kOk) return false;
      // A child that is still first after it was deleted would loop for ever.
      if (!first && child == previous) return false;
      if (!DeleteTree(key.Get(), child, depth + 1)) return false;
      previous = std::move(child);
    }
    key.Reset();
    const RegStatus deleted = registry_.DeleteKey(parent, name);
    return deleted == RegStatus::kOk || deleted == RegStatus::kNotFound;
  }

  Registry& registry_;
  bool failed_ = false;
};

}  // namespace

HResult RunRegScript(std::string_view script, const std::vector<RegReplacement>& replacements,
                     RegScriptMode mode, Registry& registry) {
  try {
    while (!script.empty() && script.back() == '\0') script.remove_suffix(1);
    if (script.find('\0') != std::string_view::npos) return kDispException;
    std::vector<RootBlock> roots;
    try {
      roots = Parser(Tokenize(script), replacements).ParseScript();
    } catch (const Malformed&) {
      return kDispException;
    }
    Runner runner(registry);
    return mode == RegScriptMode::kRegister ? runner.Register(roots) : runner.Unregister(roots);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (const std::length_error&) {
    return kOutOfMemory;
  }
}

std::string DoubleApostrophes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

}  // namespace control
