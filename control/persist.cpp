#include "control/persist.h"

namespace control {

namespace {

constexpr std::size_t kDisplayCount = 14;
constexpr std::size_t kClCount = kPersistedCount - kDisplayCount;

// The texts "CL0" .. "CL350", in static storage for the entries to point at.
struct ClNames {
  char text[kClCount][6] = {};
  std::size_t length[kClCount] = {};
};

constexpr ClNames MakeClNames() {
  ClNames names;
  for (std::size_t n = 0; n < kClCount; ++n) {
    char digits[3] = {};
    std::size_t count = 0;
    for (std::size_t rest = n; count == 0 || rest > 0; rest /= 10) {
      digits[count++] = static_cast<char>('0' + rest % 10);
    }
    names.text[n][0] = 'C';
    names.text[n][1] = 'L';
    for (std::size_t i = 0; i < count; ++i) names.text[n][2 + i] = digits[count - 1 - i];
    names.length[n] = 2 + count;
  }
  return names;
}

constexpr ClNames kClNames = MakeClNames();

constexpr std::array<PersistedEntry, kPersistedCount> MakeList() {
  std::array<PersistedEntry, kPersistedCount> list{{
      {"_cx", RawField::kExtentWidth, 0, vt::kUi4},
      {"_cy", RawField::kExtentHeight, 0, vt::kUi4},
      {"Enabled", RawField::kNone, -514, vt::kBool},
      {"MousePointer", RawField::kNone, -521, vt::kI4},
      {"TabStop", RawField::kNone, -516, vt::kBool},
      {"TabRows", RawField::kNone, 1, vt::kI4},
      {"MinTabWidth", RawField::kNone, 2, vt::kI4},
      {"DisplayStyle", RawField::kNone, -540, vt::kI4},
      {"Sorted", RawField::kNone, 10, vt::kI4},
      {"TabStyle", RawField::kNone, 6, vt::kI4},
      {"TreeStyle", RawField::kNone, 7, vt::kI4},
      {"HilightSelectedTab", RawField::kNone, 46, vt::kBool},
      {"EnableToolTips", RawField::kNone, 50, vt::kBool},
      {"ToolTipDelay", RawField::kNone, 53, vt::kI4},
  }};
  for (std::size_t n = 0; n < kClCount; ++n) {
    list[kDisplayCount + n] = {std::string_view(kClNames.text[n], kClNames.length[n]),
                               RawField::kNone, kDispidCl0, vt::kBstr};
  }
  return list;
}

constexpr std::array<PersistedEntry, kPersistedCount> kList = MakeList();

// An extent answered by a bag: any integer type, taken as its 32 bits.
bool IntegerValue(const PersistValue& value, std::uint32_t& out) {
  switch (value.type) {
    case vt::kI1:
      out = static_cast<std::uint32_t>(static_cast<std::int8_t>(value.bits));
      return true;
    case vt::kI2:
      out = static_cast<std::uint32_t>(static_cast<std::int16_t>(value.bits));
      return true;
    case vt::kUi1:
    case vt::kUi2:
    case vt::kI4:
    case vt::kUi4:
    case vt::kInt:
    case vt::kUint:
      out = static_cast<std::uint32_t>(value.bits);
      return true;
    default:
      return false;
  }
}

}  // namespace

const std::array<PersistedEntry, kPersistedCount>& PersistedProperties() { return kList; }

HResult LoadStream(ByteSource& source, PropertyAccess& access) {
  std::uint32_t version = 0;
  HResult hr = ReadU32(source, version);
  if (!Succeeded(hr)) return hr;
  if (version > kStreamVersion) return kFail;
  PersistValue value;
  for (const PersistedEntry& entry : kList) {
    if (entry.raw != RawField::kNone) {
      std::uint32_t raw = 0;
      hr = ReadU32(source, raw);
      if (!Succeeded(hr)) return hr;
      access.PutRaw(entry.raw, raw);
      continue;
    }
    hr = ReadValue(source, value);
    if (!Succeeded(hr)) return hr;
    if (!Succeeded(access.Put(entry.dispid, value))) return kFail;
  }
  access.ClearDirty();
  return kOk;
}

HResult SaveStream(ByteSink& sink, PropertyAccess& access, bool clear_dirty) {
  HResult hr = WriteU32(sink, kStreamVersion);
  if (!Succeeded(hr)) return hr;
  PersistValue value;
  for (const PersistedEntry& entry : kList) {
    if (entry.raw != RawField::kNone) {
      hr = WriteU32(sink, access.GetRaw(entry.raw));
    } else if (!Succeeded(access.Get(entry.dispid, value))) {
      return kFail;
    } else {
      hr = WriteValue(sink, value);
    }
    if (!Succeeded(hr)) return hr;
  }
  if (clear_dirty) access.ClearDirty();
  return kOk;
}

HResult LoadBag(PropertyBag& bag, PropertyAccess& access) {
  PersistValue value;
  for (const PersistedEntry& entry : kList) {
    if (entry.raw != RawField::kNone) {
      value = PersistValue::Number(vt::kUi4, access.GetRaw(entry.raw));
      if (!Succeeded(bag.Read(entry.name, value)) || value.type == vt::kEmpty) continue;
      std::uint32_t raw = 0;
      if (!IntegerValue(value, raw)) return kFail;
      access.PutRaw(entry.raw, raw);
      continue;
    }
    // The current value tells the bag the type to answer in.
    if (!Succeeded(access.Get(entry.dispid, value)) || !Persistable(value)) return kFail;
    if (!Succeeded(bag.Read(entry.name, value)) || value.type == vt::kEmpty) continue;
    if (!Persistable(value)) return kFail;
    if (!Succeeded(access.Put(entry.dispid, value))) return kFail;
  }
  access.ClearDirty();
  return kOk;
}

HResult SaveBag(PropertyBag& bag, PropertyAccess& access, bool clear_dirty) {
  PersistValue value;
  for (const PersistedEntry& entry : kList) {
    if (entry.raw != RawField::kNone) {
      value = PersistValue::Number(vt::kUi4, access.GetRaw(entry.raw));
    } else if (!Succeeded(access.Get(entry.dispid, value)) || !Persistable(value)) {
      return kFail;
    }
    const HResult hr = bag.Write(entry.name, value);
    if (!Succeeded(hr)) return hr;
  }
  if (clear_dirty) access.ClearDirty();
  return kOk;
}

}  // namespace control
