// An in-memory Registry for tests. It follows the platform's rules: names compare without
// regard to (ASCII) case and keep the spelling they were created with, a key with subkeys
// cannot be deleted, a deleted key's open handles fail, the value count includes a set
// default value. Subkeys and values are kept ordered by name, so enumeration and Dump()
// are deterministic.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/registry.h"

namespace testing_support {

class MemoryRegistry : public control::Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  Key Root(control::RootKey root) override;
  control::RegStatus CreateKey(Key parent, const std::string& name, Key& key) override;
  control::RegStatus OpenKey(Key parent, const std::string& name, Key& key) override;
  void CloseKey(Key key) override;
  control::RegStatus SetStringValue(Key key, const std::string& name,
                                    const std::string& text) override;
  control::RegStatus SetNumberValue(Key key, const std::string& name,
                                    std::uint32_t number) override;
  control::RegStatus SetBinaryValue(Key key, const std::string& name,
                                    const std::string& bytes) override;
  control::RegStatus DeleteValue(Key key, const std::string& name) override;
  control::RegStatus DeleteKey(Key parent, const std::string& name) override;
  control::RegStatus QueryInfo(Key key, control::RegKeyInfo& info) override;
  control::RegStatus EnumKey(Key key, std::uint32_t index, std::string& name) override;
  control::RegStatus EnumValue(Key key, std::uint32_t index, std::string& name) override;

  // Direct access for setting up and checking; `path` is backslash-separated below
  // HKEY_CLASSES_ROOT ("" is the root itself). Put creates the keys on the way.
  void PutKey(std::string_view path);
  void PutString(std::string_view path, const std::string& name, const std::string& text);
  bool HasKey(std::string_view path) const;
  std::optional<std::string> StringAt(std::string_view path, const std::string& name) const;

  // Every key and value of every root, one line each, in name order:
  //   HKCR\a\b                      a key
  //   HKCR\a\b @ = S:text           its default value
  //   HKCR\a\b [name] = D:42        a named value (S:text, D:decimal, B:hex bytes)
  std::vector<std::string> Dump() const;

  // Keys handed out and not yet closed.
  std::size_t OpenHandleCount() const { return handles_.size(); }
  // Mutating calls (CreateKey, Set*, Delete*) counted so far.
  int WriteCount() const { return writes_; }
  // After `count` more mutating calls, every further one fails without effect.
  void FailWritesAfter(int count) { write_budget_ = count; }
  // Every mutation of the key at `path` (HKCR) fails: its values, its subkeys, its deletion.
  void Lock(std::string_view path);

 private:
  struct Node;
  struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  struct Value {
    char type;  // 'S', 'D' or 'B'
    std::string data;
  };
  struct Node {
    std::string name;
    std::map<std::string, std::shared_ptr<Node>, NameLess> subkeys;
    std::map<std::string, Value, NameLess> values;
    bool deleted = false;
    bool locked = false;
  };

  std::shared_ptr<Node> Find(Key key) const;
  bool SpendWrite();
  control::RegStatus SetValue(Key key, const std::string& name, Value value);
  std::shared_ptr<Node> NodeAt(std::string_view path, bool create);
  std::shared_ptr<Node> NodeAt(std::string_view path) const;
  static void DumpNode(const Node& node, const std::string& path, std::vector<std::string>& out);

  std::vector<std::shared_ptr<Node>> roots_;
  std::map<Key, std::shared_ptr<Node>> handles_;
  Key next_handle_ = 0x1000;
  int writes_ = 0;
  std::optional<int> write_budget_;
};

}  // namespace testing_support
