// An abstract hierarchical registry with 8-bit ANSI names and data, shaped after the
// platform's Reg*A calls so that the real backend is a one-to-one mapping. The registration
// script interpreter runs over it; tests run it over an in-memory registry.
//
// Semantics every backend follows (they are the platform's):
// - Key and value names compare without regard to case. The empty value name is the key's
//   default value.
// - CreateKey opens the key when it exists. DeleteKey removes only a key without subkeys;
//   deleting a whole tree is the caller's business (enumerate, delete children, then it).
// - QueryInfo counts the default value among the values once it has been set, and
//   EnumValue lists it under the empty name.
// - Enumeration indices run from 0 and end with kNoMoreItems; they are positions in the
//   key's current contents, so deleting while enumerating shifts them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace control {

// The predefined root keys, HKEY_CLASSES_ROOT to HKEY_CURRENT_CONFIG.
enum class RootKey {
  kClassesRoot,
  kCurrentUser,
  kLocalMachine,
  kUsers,
  kPerformanceData,
  kDynData,
  kCurrentConfig,
};

enum class RegStatus {
  kOk,
  kNotFound,     // the named key or value does not exist
  kNoMoreItems,  // enumeration index past the end
  kFailed,       // anything else: access denied, key deleted, subkeys present, ...
};

struct RegKeyInfo {
  std::uint32_t subkeys = 0;
  std::uint32_t values = 0;  // including the default value when it is set
};

class Registry {
 public:
  // An open key. Root keys are predefined and need no closing; every key that CreateKey or
  // OpenKey hands out must be given back to CloseKey (ScopedRegKey does that).
  using Key = std::uintptr_t;

  virtual ~Registry() = default;

  virtual Key Root(RootKey root) = 0;
  // `name` is a single key name (no backslash) below `parent`.
  virtual RegStatus CreateKey(Key parent, const std::string& name, Key& key) = 0;
  virtual RegStatus OpenKey(Key parent, const std::string& name, Key& key) = 0;
  virtual void CloseKey(Key key) = 0;

  // String (REG_SZ), 32-bit number (REG_DWORD) and raw bytes (REG_BINARY).
  virtual RegStatus SetStringValue(Key key, const std::string& name, const std::string& text) = 0;
  virtual RegStatus SetNumberValue(Key key, const std::string& name, std::uint32_t number) = 0;
  virtual RegStatus SetBinaryValue(Key key, const std::string& name, const std::string& bytes) = 0;
  virtual RegStatus DeleteValue(Key key, const std::string& name) = 0;
  virtual RegStatus DeleteKey(Key parent, const std::string& name) = 0;

  virtual RegStatus QueryInfo(Key key, RegKeyInfo& info) = 0;
  virtual RegStatus EnumKey(Key key, std::uint32_t index, std::string& name) = 0;
  virtual RegStatus EnumValue(Key key, std::uint32_t index, std::string& name) = 0;
};

// Owns one key handed out by a Registry and closes it when it goes.
class ScopedRegKey {
 public:
  explicit ScopedRegKey(Registry& registry) : registry_(&registry) {}
  ScopedRegKey(Registry& registry, Registry::Key key)
      : registry_(&registry), key_(key), open_(true) {}
  ~ScopedRegKey() { Reset(); }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;
  ScopedRegKey(ScopedRegKey&& other) noexcept
      : registry_(other.registry_), key_(other.key_), open_(std::exchange(other.open_, false)) {}

  Registry::Key Get() const { return key_; }
  bool IsOpen() const { return open_; }

  // Takes over `key` (closing the one held before).
  void Adopt(Registry::Key key) {
    Reset();
    key_ = key;
    open_ = true;
  }
  void Reset() {
    if (open_) registry_->CloseKey(key_);
    open_ = false;
  }

 private:
  Registry* registry_;
  Registry::Key key_ = 0;
  bool open_ = false;
};

}  // namespace control
