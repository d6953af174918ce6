// The Registry over the platform's Reg*A functions. Every call maps to one of them and
// converts its status; keys handed out are real HKEYs, closed by CloseKey.
#pragma once

#include <windows.h>

#include <utility>

#include "control/registry.h"

namespace control::com {

// Owns one open HKEY.
class RegKeyHandle {
 public:
  RegKeyHandle() = default;
  explicit RegKeyHandle(HKEY key) : key_(key) {}
  ~RegKeyHandle() { Reset(); }
  RegKeyHandle(const RegKeyHandle&) = delete;
  RegKeyHandle& operator=(const RegKeyHandle&) = delete;
  RegKeyHandle(RegKeyHandle&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  RegKeyHandle& operator=(RegKeyHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
  }

  HKEY Get() const { return key_; }
  HKEY* Receive() {
    Reset();
    return &key_;
  }
  HKEY Release() { return std::exchange(key_, nullptr); }
  void Reset();

 private:
  HKEY key_ = nullptr;
};

class WinRegistry : public control::Registry {
 public:
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
};

}  // namespace control::com
