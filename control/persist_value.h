// The serialized VARIANT of the control's persisted data, as plain bytes: a 2-byte VARTYPE
// and its value, read from and written to small byte interfaces. Streams and property bags
// come from pages and files that anybody can write, so the reader takes only what a
// persisted property of this control can hold and bounds every byte count:
// - value types: the scalar VARTYPEs of the format (1, 2, 4 or 8 value bytes) and text;
//   object types (VT_UNKNOWN, VT_DISPATCH), the VT_BYREF, VT_ARRAY and VT_VECTOR forms and
//   every other VARTYPE are refused, so no object named by persisted data is ever made;
// - text: a 4-byte byte count N, then N bytes of UTF-16LE ending in a zero character;
//   N = 0 is a null text; an odd N, an N above kMaxTextBytes, a missing terminating zero or
//   fewer bytes than N are refused; the bytes are read in chunks, so that memory grows only
//   with what the stream delivers.
// The writer refuses what the reader would refuse, so everything saved loads again.
#pragma once

#include <cstdint>
#include <string>

#include "control/hresult.h"

namespace control {

// VARTYPE numbers.
namespace vt {
inline constexpr std::uint16_t kEmpty = 0;
inline constexpr std::uint16_t kI2 = 2;
inline constexpr std::uint16_t kI4 = 3;
inline constexpr std::uint16_t kR4 = 4;
inline constexpr std::uint16_t kR8 = 5;
inline constexpr std::uint16_t kCy = 6;
inline constexpr std::uint16_t kDate = 7;
inline constexpr std::uint16_t kBstr = 8;
inline constexpr std::uint16_t kDispatch = 9;
inline constexpr std::uint16_t kError = 10;
inline constexpr std::uint16_t kBool = 11;
inline constexpr std::uint16_t kVariant = 12;
inline constexpr std::uint16_t kUnknown = 13;
inline constexpr std::uint16_t kI1 = 16;
inline constexpr std::uint16_t kUi1 = 17;
inline constexpr std::uint16_t kUi2 = 18;
inline constexpr std::uint16_t kUi4 = 19;
inline constexpr std::uint16_t kI8 = 20;
inline constexpr std::uint16_t kInt = 22;
inline constexpr std::uint16_t kUint = 23;
inline constexpr std::uint16_t kVector = 0x1000;
inline constexpr std::uint16_t kArray = 0x2000;
inline constexpr std::uint16_t kByref = 0x4000;
}  // namespace vt

// The largest text byte count accepted, the terminating zero included: 1 MiB, that is
// 524,287 characters. A record of the item list is one line; a text this long is no record.
inline constexpr std::uint32_t kMaxTextBytes = 1u << 20;

// One persisted value. Scalars keep their value bytes little-endian in `bits` (the low
// bytes, as many as the type has); text keeps its UTF-16 code units, with `null_text` for
// the null text (byte count 0). A value of any other type carries only its type.
struct PersistValue {
  std::uint16_t type = vt::kEmpty;
  std::uint64_t bits = 0;
  std::u16string text;
  bool null_text = false;

  static PersistValue Number(std::uint16_t type, std::uint64_t bits) {
    PersistValue value;
    value.type = type;
    value.bits = bits;
    return value;
  }
  static PersistValue Text(std::u16string text) {
    PersistValue value;
    value.type = vt::kBstr;
    value.text = std::move(text);
    return value;
  }
};

// The value bytes of a scalar VARTYPE of the format; 0 for any other type.
std::uint32_t ScalarSize(std::uint16_t type);
// Whether a value of this type and size may be read, written or applied: a scalar of the
// format, or a text within kMaxTextBytes.
bool Persistable(const PersistValue& value);

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes; `got` tells how many arrived. S_FALSE or a failure code when
  // the source cannot deliver.
  virtual HResult Read(void* data, std::uint32_t size, std::uint32_t& got) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all `size` bytes or answers a failure code.
  virtual HResult Write(const void* data, std::uint32_t size) = 0;
};

// Exactly `size` bytes: a source failure answers its code; S_FALSE or an end of data
// before `size` bytes answer E_FAIL.
HResult ReadExact(ByteSource& source, void* data, std::uint32_t size);
HResult ReadU32(ByteSource& source, std::uint32_t& value);
HResult WriteU32(ByteSink& sink, std::uint32_t value);

// One serialized VARIANT. E_FAIL for every refused form (see above). Throws
// std::bad_alloc only when memory for delivered bytes runs out.
HResult ReadValue(ByteSource& source, PersistValue& value);
// E_FAIL for a value that is not Persistable; otherwise the sink's answer.
HResult WriteValue(ByteSink& sink, const PersistValue& value);

}  // namespace control
