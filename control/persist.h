// The persisted properties: the ordered list every save and load walks, and the walks
// themselves over a stream (version word, extent, then one serialized value per entry) and
// over a property bag (one named value per entry). The control is reached only through
// PropertyAccess, so that on Windows every value goes through the object's own automation
// interface and is converted exactly as a page's values are.
//
// Every load applies entries as it reads them: after a failure, what was applied stays and
// the control works on. Values of refused forms (persist_value.h) end a load with E_FAIL
// before anything of theirs is applied.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "control/persist_value.h"

namespace control {

// The two entries held in a field of the control instead of a property.
enum class RawField : std::uint8_t { kNone, kExtentWidth, kExtentHeight };

struct PersistedEntry {
  std::string_view name;  // the key in a property bag
  RawField raw;           // kNone: the value goes through `dispid`
  std::int32_t dispid;
  std::uint16_t type;  // the type the property's getter answers
};

inline constexpr std::size_t kPersistedCount = 365;
inline constexpr std::uint32_t kStreamVersion = 0x300;
inline constexpr std::int32_t kDispidCl0 = 20;

// "_cx", "_cy", the twelve display properties, then "CL0" .. "CL350" (all through CL0).
const std::array<PersistedEntry, kPersistedCount>& PersistedProperties();

class PropertyAccess {
 public:
  virtual ~PropertyAccess() = default;
  // Reads and writes the property `dispid` as the automation interface does; a put
  // converts the value to the property's type or fails.
  virtual HResult Get(std::int32_t dispid, PersistValue& value) = 0;
  virtual HResult Put(std::int32_t dispid, const PersistValue& value) = 0;
  virtual std::uint32_t GetRaw(RawField field) = 0;
  virtual void PutRaw(RawField field, std::uint32_t value) = 0;
  // Marks the control saved.
  virtual void ClearDirty() = 0;
};

class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  // `value` arrives holding the type asked for (and the current value); a success leaves
  // the bag's answer in it, which may be of any type. A failure means "not held".
  virtual HResult Read(std::string_view name, PersistValue& value) = 0;
  virtual HResult Write(std::string_view name, const PersistValue& value) = 0;
};

// IPersistStreamInit::Load and ::Save (also the "Contents" stream of a storage).
HResult LoadStream(ByteSource& source, PropertyAccess& access);
HResult SaveStream(ByteSink& sink, PropertyAccess& access, bool clear_dirty);

// IPersistPropertyBag::Load and ::Save. A bag's answer of a refused form ends the load
// with E_FAIL without applying it; an answer of VT_EMPTY is taken as "not held". An
// extent answer must be an integer type.
HResult LoadBag(PropertyBag& bag, PropertyAccess& access);
HResult SaveBag(PropertyBag& bag, PropertyAccess& access, bool clear_dirty);

}  // namespace control
