// In-memory ends of the persistence walks, for native tests and the fuzz entry point: a byte
// source over a buffer (optionally delivering a few bytes per read), a sink into a buffer,
// a property bag over a name-ordered map, and a PropertyAccess over the control facade that
// takes each property only in its own type, as a strict automation layer would.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "control/persist.h"
#include "control/tabbed_list.h"

namespace testing_support {

class MemorySource : public control::ByteSource {
 public:
  explicit MemorySource(std::vector<unsigned char> bytes, std::uint32_t per_read = 0)
      : bytes_(std::move(bytes)), per_read_(per_read) {}
  control::HResult Read(void* data, std::uint32_t size, std::uint32_t& got) override;
  std::size_t Position() const { return at_; }

 private:
  std::vector<unsigned char> bytes_;
  std::uint32_t per_read_;  // 0: as many as asked
  std::size_t at_ = 0;
};

class MemorySink : public control::ByteSink {
 public:
  control::HResult Write(const void* data, std::uint32_t size) override;
  std::vector<unsigned char> bytes;
};

class MapBag : public control::PropertyBag {
 public:
  control::HResult Read(std::string_view name, control::PersistValue& value) override;
  control::HResult Write(std::string_view name, const control::PersistValue& value) override;
  std::map<std::string, control::PersistValue, std::less<>> values;
  std::vector<std::string> asked;  // every name read, in order
};

class FacadeAccess : public control::PropertyAccess {
 public:
  explicit FacadeAccess(control::TabbedList& list) : list_(list) {}
  control::HResult Get(std::int32_t dispid, control::PersistValue& value) override;
  control::HResult Put(std::int32_t dispid, const control::PersistValue& value) override;
  std::uint32_t GetRaw(control::RawField field) override;
  void PutRaw(control::RawField field, std::uint32_t value) override;
  void ClearDirty() override { list_.SetDirty(false); }

  std::uint32_t extent[2] = {1561, 661};
  std::vector<std::pair<std::int32_t, std::uint16_t>> puts;  // dispid and type of each put

 private:
  control::TabbedList& list_;
};

}  // namespace testing_support
