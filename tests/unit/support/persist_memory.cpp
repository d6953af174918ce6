#include "support/persist_memory.h"

#include <algorithm>
#include <cstring>

namespace testing_support {

using control::HResult;
using control::PersistValue;
namespace vt = control::vt;

namespace {

constexpr HResult kTypeMismatch = static_cast<HResult>(0x80020005);  // DISP_E_TYPEMISMATCH
constexpr HResult kMemberNotFound = static_cast<HResult>(0x80020003);

enum class Kind { kNumber, kBool, kText };

struct Member {
  std::int32_t dispid;
  Kind kind;
  std::int32_t (control::TabbedList::*get)() const;
  void (control::TabbedList::*put)(std::int32_t);
};

using L = control::TabbedList;
constexpr Member kMembers[] = {
    {-514, Kind::kBool, &L::GetEnabled, &L::PutEnabled},
    {-521, Kind::kNumber, &L::GetMousePointer, &L::PutMousePointer},
    {-516, Kind::kBool, &L::GetTabStop, &L::PutTabStop},
    {1, Kind::kNumber, &L::GetTabRows, &L::PutTabRows},
    {2, Kind::kNumber, &L::GetMinTabWidth, &L::PutMinTabWidth},
    {-540, Kind::kNumber, &L::GetDisplayStyle, &L::PutDisplayStyle},
    {10, Kind::kNumber, &L::GetSorted, &L::PutSorted},
    {6, Kind::kNumber, &L::GetTabStyle, &L::PutTabStyle},
    {7, Kind::kNumber, &L::GetTreeStyle, &L::PutTreeStyle},
    {46, Kind::kBool, &L::GetHilightSelectedTab, &L::PutHilightSelectedTab},
    {50, Kind::kBool, &L::GetEnableToolTips, &L::PutEnableToolTips},
    {53, Kind::kNumber, &L::GetToolTipDelay, &L::PutToolTipDelay},
    {control::kDispidCl0, Kind::kText, nullptr, nullptr},
};

const Member* Find(std::int32_t dispid) {
  for (const Member& member : kMembers) {
    if (member.dispid == dispid) return &member;
  }
  return nullptr;
}

// The numbers a put of a long converts here: integers, and integral doubles.
bool Number(const PersistValue& value, std::int32_t& out) {
  switch (value.type) {
    case vt::kI2:
      out = static_cast<std::int16_t>(value.bits);
      return true;
    case vt::kI4:
      out = static_cast<std::int32_t>(value.bits);
      return true;
    case vt::kR8: {
      double real = 0;
      std::memcpy(&real, &value.bits, sizeof real);
      if (!(real >= -2147483648.0 && real <= 2147483647.0)) return false;
      out = static_cast<std::int32_t>(real);
      return real == out;
    }
    default:
      return false;
  }
}

}  // namespace

HResult MemorySource::Read(void* data, std::uint32_t size, std::uint32_t& got) {
  std::size_t count = std::min<std::size_t>(size, bytes_.size() - at_);
  if (per_read_ != 0) count = std::min<std::size_t>(count, per_read_);
  if (count > 0) std::memcpy(data, bytes_.data() + at_, count);
  at_ += count;
  got = static_cast<std::uint32_t>(count);
  return count < size && per_read_ == 0 ? control::kFalse : control::kOk;
}

HResult MemorySink::Write(const void* data, std::uint32_t size) {
  const auto* bytes_in = static_cast<const unsigned char*>(data);
  bytes.insert(bytes.end(), bytes_in, bytes_in + size);
  return control::kOk;
}

HResult MapBag::Read(std::string_view name, PersistValue& value) {
  asked.emplace_back(name);
  const auto found = values.find(name);
  if (found == values.end()) return control::kFail;
  value = found->second;
  return control::kOk;
}

HResult MapBag::Write(std::string_view name, const PersistValue& value) {
  values.insert_or_assign(std::string(name), value);
  return control::kOk;
}

HResult FacadeAccess::Get(std::int32_t dispid, PersistValue& value) {
  const Member* member = Find(dispid);
  if (!member) return kMemberNotFound;
  switch (member->kind) {
    case Kind::kText:
      value = PersistValue::Text({});
      break;
    case Kind::kBool:
      value = PersistValue::Number(vt::kBool, (list_.*member->get)() ? 0xFFFF : 0);
      break;
    case Kind::kNumber:
      value = PersistValue::Number(vt::kI4, static_cast<std::uint32_t>((list_.*member->get)()));
      break;
  }
  return control::kOk;
}

HResult FacadeAccess::Put(std::int32_t dispid, const PersistValue& value) {
  puts.emplace_back(dispid, value.type);
  const Member* member = Find(dispid);
  if (!member) return kMemberNotFound;
  switch (member->kind) {
    case Kind::kText: {
      if (value.type != vt::kBstr) return kTypeMismatch;
      // The system code page of the tests: Latin-1.
      std::string record;
      for (char16_t unit : value.text) record += unit < 0x100 ? static_cast<char>(unit) : '?';
      list_.PutCL0(record);
      break;
    }
    case Kind::kBool:
      if (value.type != vt::kBool) return kTypeMismatch;
      (list_.*member->put)(static_cast<std::int16_t>(value.bits));
      break;
    case Kind::kNumber: {
      std::int32_t number = 0;
      if (!Number(value, number)) return kTypeMismatch;
      (list_.*member->put)(number);
      break;
    }
  }
  return control::kOk;
}

std::uint32_t FacadeAccess::GetRaw(control::RawField field) {
  return extent[field == control::RawField::kExtentHeight ? 1 : 0];
}

void FacadeAccess::PutRaw(control::RawField field, std::uint32_t value) {
  extent[field == control::RawField::kExtentHeight ? 1 : 0] = value;
}

}  // namespace testing_support
