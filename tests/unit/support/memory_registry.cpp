#include "support/memory_registry.h"

#include <cstdio>
#include <utility>

namespace testing_support {

using control::RegStatus;
using control::RootKey;

namespace {

constexpr int kRootCount = 7;
constexpr const char* kRootNames[kRootCount] = {"HKCR", "HKCU", "HKLM", "HKU",
                                                "HKPD", "HKDD", "HKCC"};

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Root handles are 1 to 7; handed-out keys start far above.
constexpr control::Registry::Key RootHandle(int index) {
  return static_cast<control::Registry::Key>(index + 1);
}

}  // namespace

bool MemoryRegistry::NameLess::operator()(const std::string& a, const std::string& b) const {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(Fold(a[i]));
    const unsigned char y = static_cast<unsigned char>(Fold(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

MemoryRegistry::MemoryRegistry() {
  for (int i = 0; i < kRootCount; ++i) {
    roots_.push_back(std::make_shared<Node>());
    roots_.back()->name = kRootNames[i];
  }
}

MemoryRegistry::~MemoryRegistry() = default;

control::Registry::Key MemoryRegistry::Root(RootKey root) {
  return RootHandle(static_cast<int>(root));
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::Find(Key key) const {
  if (key >= RootHandle(0) && key < RootHandle(kRootCount)) {
    return roots_[static_cast<std::size_t>(key - RootHandle(0))];
  }
  const auto it = handles_.find(key);
  if (it == handles_.end() || it->second->deleted) return nullptr;
  return it->second;
}

bool MemoryRegistry::SpendWrite() {
  if (write_budget_) {
    if (*write_budget_ <= 0) return false;
    --*write_budget_;
  }
  ++writes_;
  return true;
}

RegStatus MemoryRegistry::CreateKey(Key parent, const std::string& name, Key& key) {
  const std::shared_ptr<Node> node = Find(parent);
  if (!node || name.empty() || name.find('\\') != std::string::npos) return RegStatus::kFailed;
  std::shared_ptr<Node>& child = node->subkeys[name];
  if (!child) {
    if (node->locked || !SpendWrite()) {
      node->subkeys.erase(name);
      return RegStatus::kFailed;
    }
    child = std::make_shared<Node>();
    child->name = name;
  }
  key = next_handle_++;
  handles_[key] = child;
  return RegStatus::kOk;
}

RegStatus MemoryRegistry::OpenKey(Key parent, const std::string& name, Key& key) {
  const std::shared_ptr<Node> node = Find(parent);
  if (!node) return RegStatus::kFailed;
  const auto it = node->subkeys.find(name);
  if (it == node->subkeys.end()) return RegStatus::kNotFound;
  key = next_handle_++;
  handles_[key] = it->second;
  return RegStatus::kOk;
}

void MemoryRegistry::CloseKey(Key key) { handles_.erase(key); }

RegStatus MemoryRegistry::SetValue(Key key, const std::string& name, Value value) {
  const std::shared_ptr<Node> node = Find(key);
  if (!node || node->locked || !SpendWrite()) return RegStatus::kFailed;
  node->values[name] = std::move(value);
  return RegStatus::kOk;
}

RegStatus MemoryRegistry::SetStringValue(Key key, const std::string& name,
                                         const std::string& text) {
  return SetValue(key, name, {'S', text});
}

RegStatus MemoryRegistry::SetNumberValue(Key key, const std::string& name, std::uint32_t number) {
  return SetValue(key, name, {'D', std::to_string(number)});
}

RegStatus MemoryRegistry::SetBinaryValue(Key key, const std::string& name,
                                         const std::string& bytes) {
  std::string hex;
  for (unsigned char c : bytes) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", c);
    hex += pair;
  }
  return SetValue(key, name, {'B', hex});
}

RegStatus MemoryRegistry::DeleteValue(Key key, const std::string& name) {
  const std::shared_ptr<Node> node = Find(key);
  if (!node) return RegStatus::kFailed;
  const auto it = node->values.find(name);
  if (it == node->values.end()) return RegStatus::kNotFound;
  if (node->locked || !SpendWrite()) return RegStatus::kFailed;
  node->values.erase(it);
  return RegStatus::kOk;
}

RegStatus MemoryRegistry::DeleteKey(Key parent, const std::string& name) {
  const std::shared_ptr<Node> node = Find(parent);
  if (!node) return RegStatus::kFailed;
  const auto it = node->subkeys.find(name);
  if (it == node->subkeys.end()) return RegStatus::kNotFound;
  if (!it->second->subkeys.empty() || it->second->locked || !SpendWrite()) {
    return RegStatus::kFailed;
  }
  it->second->deleted = true;
  node->subkeys.erase(it);
  return RegStatus::kOk;
}

RegStatus MemoryRegistry::QueryInfo(Key key, control::RegKeyInfo& info) {
  const std::shared_ptr<Node> node = Find(key);
  if (!node) return RegStatus::kFailed;
  info.subkeys = static_cast<std::uint32_t>(node->subkeys.size());
  info.values = static_cast<std::uint32_t>(node->values.size());
  return RegStatus::kOk;
}

RegStatus MemoryRegistry::EnumKey(Key key, std::uint32_t index, std::string& name) {
  const std::shared_ptr<Node> node = Find(key);
  if (!node) return RegStatus::kFailed;
  if (index >= node->subkeys.size()) return RegStatus::kNoMoreItems;
  auto it = node->subkeys.begin();
  std::advance(it, index);
  name = it->second->name;
  return RegStatus::kOk;
}

RegStatus MemoryRegistry::EnumValue(Key key, std::uint32_t index, std::string& name) {
  const std::shared_ptr<Node> node = Find(key);
  if (!node) return RegStatus::kFailed;
  if (index >= node->values.size()) return RegStatus::kNoMoreItems;
  auto it = node->values.begin();
  std::advance(it, index);
  name = it->first;
  return RegStatus::kOk;
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::NodeAt(std::string_view path, bool create) {
  std::shared_ptr<Node> node = roots_[0];
  while (!path.empty()) {
    const std::size_t slash = path.find('\\');
    const std::string part(path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    const auto it = node->subkeys.find(part);
    if (it != node->subkeys.end()) {
      node = it->second;
    } else if (create) {
      auto child = std::make_shared<Node>();
      child->name = part;
      node->subkeys[part] = child;
      node = child;
    } else {
      return nullptr;
    }
  }
  return node;
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::NodeAt(std::string_view path) const {
  return const_cast<MemoryRegistry*>(this)->NodeAt(path, false);
}

void MemoryRegistry::PutKey(std::string_view path) { NodeAt(path, true); }

void MemoryRegistry::PutString(std::string_view path, const std::string& name,
                               const std::string& text) {
  NodeAt(path, true)->values[name] = {'S', text};
}

bool MemoryRegistry::HasKey(std::string_view path) const { return NodeAt(path) != nullptr; }

std::optional<std::string> MemoryRegistry::StringAt(std::string_view path,
                                                    const std::string& name) const {
  const std::shared_ptr<Node> node = NodeAt(path);
  if (!node) return std::nullopt;
  const auto it = node->values.find(name);
  if (it == node->values.end() || it->second.type != 'S') return std::nullopt;
  return it->second.data;
}

void MemoryRegistry::Lock(std::string_view path) { NodeAt(path, true)->locked = true; }

void MemoryRegistry::DumpNode(const Node& node, const std::string& path,
                              std::vector<std::string>& out) {
  for (const auto& [name, value] : node.values) {
    out.push_back(path + (name.empty() ? " @" : " [" + name + "]") + " = " + value.type + ":" +
                  value.data);
  }
  for (const auto& [name, child] : node.subkeys) {
    const std::string child_path = path + "\\" + child->name;
    out.push_back(child_path);
    DumpNode(*child, child_path, out);
  }
}

std::vector<std::string> MemoryRegistry::Dump() const {
  std::vector<std::string> out;
  for (const auto& root : roots_) DumpNode(*root, root->name, out);
  return out;
}

}  // namespace testing_support
