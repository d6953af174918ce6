#include "control/com/win_registry.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace control::com {
namespace {

using control::RegStatus;

HKEY ToHkey(control::Registry::Key key) { return reinterpret_cast<HKEY>(key); }
control::Registry::Key FromHkey(HKEY key) { return reinterpret_cast<control::Registry::Key>(key); }

RegStatus FromError(LONG error) {
  switch (error) {
    case ERROR_SUCCESS:
      return RegStatus::kOk;
    case ERROR_FILE_NOT_FOUND:
      return RegStatus::kNotFound;
    case ERROR_NO_MORE_ITEMS:
      return RegStatus::kNoMoreItems;
    default:
      return RegStatus::kFailed;
  }
}

bool IsPredefined(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
         key == HKEY_USERS || key == HKEY_PERFORMANCE_DATA || key == HKEY_DYN_DATA ||
         key == HKEY_CURRENT_CONFIG;
}

// The empty name is the default value, which the platform takes as a null name.
const char* ValueName(const std::string& name) { return name.empty() ? nullptr : name.c_str(); }

RegStatus SetValue(control::Registry::Key key, const std::string& name, DWORD type,
                   const void* data, std::size_t size) {
  if (size > std::numeric_limits<DWORD>::max()) return RegStatus::kFailed;
  return FromError(RegSetValueExA(ToHkey(key), ValueName(name), 0, type,
                                  static_cast<const BYTE*>(data), static_cast<DWORD>(size)));
}

// Longest key name and value name the platform allows, without the terminating NUL.
constexpr DWORD kMaxKeyName = 255;
constexpr DWORD kMaxValueName = 16383;

}  // namespace

void RegKeyHandle::Reset() {
  if (key_ != nullptr) RegCloseKey(key_);  // nothing to be done if closing fails
  key_ = nullptr;
}

control::Registry::Key WinRegistry::Root(control::RootKey root) {
  switch (root) {
    case control::RootKey::kClassesRoot:
      return FromHkey(HKEY_CLASSES_ROOT);
    case control::RootKey::kCurrentUser:
      return FromHkey(HKEY_CURRENT_USER);
    case control::RootKey::kLocalMachine:
      return FromHkey(HKEY_LOCAL_MACHINE);
    case control::RootKey::kUsers:
      return FromHkey(HKEY_USERS);
    case control::RootKey::kPerformanceData:
      return FromHkey(HKEY_PERFORMANCE_DATA);
    case control::RootKey::kDynData:
      return FromHkey(HKEY_DYN_DATA);
    case control::RootKey::kCurrentConfig:
      return FromHkey(HKEY_CURRENT_CONFIG);
  }
  return FromHkey(HKEY_CLASSES_ROOT);
}

RegStatus WinRegistry::CreateKey(Key parent, const std::string& name, Key& key) {
  RegKeyHandle created;
  const LONG error =
      RegCreateKeyExA(ToHkey(parent), name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, created.Receive(), nullptr);
  if (error != ERROR_SUCCESS) return FromError(error);
  key = FromHkey(created.Release());
  return RegStatus::kOk;
}

RegStatus WinRegistry::OpenKey(Key parent, const std::string& name, Key& key) {
  RegKeyHandle opened;
  const LONG error =
      RegOpenKeyExA(ToHkey(parent), name.c_str(), 0, KEY_READ | KEY_WRITE, opened.Receive());
  if (error != ERROR_SUCCESS) return FromError(error);
  key = FromHkey(opened.Release());
  return RegStatus::kOk;
}

void WinRegistry::CloseKey(Key key) {
  // The predefined roots were never opened here.
  if (!IsPredefined(ToHkey(key))) RegKeyHandle(ToHkey(key)).Reset();
}

RegStatus WinRegistry::SetStringValue(Key key, const std::string& name, const std::string& text) {
  // REG_SZ data includes its terminating NUL.
  return SetValue(key, name, REG_SZ, text.c_str(), text.size() + 1);
}

RegStatus WinRegistry::SetNumberValue(Key key, const std::string& name, std::uint32_t number) {
  const DWORD value = number;
  return SetValue(key, name, REG_DWORD, &value, sizeof value);
}

RegStatus WinRegistry::SetBinaryValue(Key key, const std::string& name, const std::string& bytes) {
  return SetValue(key, name, REG_BINARY, bytes.data(), bytes.size());
}

RegStatus WinRegistry::DeleteValue(Key key, const std::string& name) {
  return FromError(RegDeleteValueA(ToHkey(key), ValueName(name)));
}

RegStatus WinRegistry::DeleteKey(Key parent, const std::string& name) {
  // An empty name would delete the parent itself.
  if (name.empty()) return RegStatus::kFailed;
  return FromError(RegDeleteKeyA(ToHkey(parent), name.c_str()));
}

RegStatus WinRegistry::QueryInfo(Key key, control::RegKeyInfo& info) {
  DWORD subkeys = 0;
  DWORD values = 0;
  const LONG error = RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                      nullptr, &values, nullptr, nullptr, nullptr, nullptr);
  if (error != ERROR_SUCCESS) return FromError(error);
  info.subkeys = subkeys;
  info.values = values;
  return RegStatus::kOk;
}

RegStatus WinRegistry::EnumKey(Key key, std::uint32_t index, std::string& name) {
  char buffer[kMaxKeyName + 1];
  DWORD length = sizeof buffer;
  const LONG error =
      RegEnumKeyExA(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (error != ERROR_SUCCESS) return FromError(error);
  if (length >= sizeof buffer) return RegStatus::kFailed;
  name.assign(buffer, length);
  return RegStatus::kOk;
}

RegStatus WinRegistry::EnumValue(Key key, std::uint32_t index, std::string& name) {
  std::vector<char> buffer(kMaxValueName + 1);
  DWORD length = static_cast<DWORD>(buffer.size());
  const LONG error =
      RegEnumValueA(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (error != ERROR_SUCCESS) return FromError(error);
  if (length >= buffer.size()) return RegStatus::kFailed;
  name.assign(buffer.data(), length);
  return RegStatus::kOk;
}

}  // namespace control::com
