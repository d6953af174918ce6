#include "control/persist_value.h"

#include <algorithm>
#include <array>
#include <vector>

namespace control {

namespace {

// Bytes taken from the source per read of a text: small enough for the stack, so that the
// heap holds only what has arrived.
constexpr std::uint32_t kChunkBytes = 4096;

std::uint64_t LittleEndian(const unsigned char* bytes, std::uint32_t size) {
  std::uint64_t value = 0;
  for (std::uint32_t i = size; i > 0; --i) value = (value << 8) | bytes[i - 1];
  return value;
}

void PutLittleEndian(unsigned char* bytes, std::uint64_t value, std::uint32_t size) {
  for (std::uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// N bytes of text, N even and within the cap. Each chunk is kept at the size it arrived in,
// and the text is assembled only when all N bytes are there.
HResult ReadText(ByteSource& source, std::uint32_t byte_count, std::u16string& text) {
  std::vector<std::vector<unsigned char>> pieces;
  std::array<unsigned char, kChunkBytes> chunk;
  for (std::uint32_t left = byte_count; left > 0;) {
    const std::uint32_t size = std::min(left, kChunkBytes);
    const HResult hr = ReadExact(source, chunk.data(), size);
    if (!Succeeded(hr)) return hr;
    pieces.emplace_back(chunk.begin(), chunk.begin() + size);
    left -= size;
  }
  const std::vector<unsigned char>& last = pieces.back();
  // Chunks hold an even number of bytes, so the last character lies in the last chunk.
  if (last[last.size() - 1] != 0 || last[last.size() - 2] != 0) return kFail;
  text.assign(byte_count / 2 - 1, u'\0');
  std::size_t at = 0;
  for (const std::vector<unsigned char>& piece : pieces) {
    for (std::size_t i = 0; i + 1 < piece.size() && at < text.size(); i += 2) {
      text[at++] = static_cast<char16_t>(piece[i] | (piece[i + 1] << 8));
    }
  }
  return kOk;
}

}  // namespace

std::uint32_t ScalarSize(std::uint16_t type) {
  switch (type) {
    case vt::kI1:
    case vt::kUi1:
      return 1;
    case vt::kI2:
    case vt::kUi2:
    case vt::kBool:
      return 2;
    case vt::kI4:
    case vt::kUi4:
    case vt::kInt:
    case vt::kUint:
    case vt::kR4:
    case vt::kError:
      return 4;
    case vt::kR8:
    case vt::kCy:
    case vt::kDate:
      return 8;
    default:
      return 0;
  }
}

bool Persistable(const PersistValue& value) {
  if (value.type == vt::kBstr) {
    return value.null_text || value.text.size() < kMaxTextBytes / 2;
  }
  return ScalarSize(value.type) != 0;
}

HResult ReadExact(ByteSource& source, void* data, std::uint32_t size) {
  auto* bytes = static_cast<unsigned char*>(data);
  while (size > 0) {
    std::uint32_t got = 0;
    const HResult hr = source.Read(bytes, size, got);
    if (!Succeeded(hr)) return hr;
    // S_FALSE, nothing delivered, or more than asked (a source that cannot count).
    if (hr != kOk || got == 0 || got > size) return kFail;
    bytes += got;
    size -= got;
  }
  return kOk;
}

HResult ReadU32(ByteSource& source, std::uint32_t& value) {
  unsigned char bytes[4];
  const HResult hr = ReadExact(source, bytes, sizeof bytes);
  if (Succeeded(hr)) value = static_cast<std::uint32_t>(LittleEndian(bytes, sizeof bytes));
  return hr;
}

HResult WriteU32(ByteSink& sink, std::uint32_t value) {
  unsigned char bytes[4];
  PutLittleEndian(bytes, value, sizeof bytes);
  return sink.Write(bytes, sizeof bytes);
}

HResult ReadValue(ByteSource& source, PersistValue& value) {
  value = PersistValue{};
  unsigned char type_bytes[2];
  HResult hr = ReadExact(source, type_bytes, sizeof type_bytes);
  if (!Succeeded(hr)) return hr;
  const auto type = static_cast<std::uint16_t>(LittleEndian(type_bytes, 2));
  // Only the scalars and text are values of a persisted property: the flagged forms (by
  // reference, arrays, vectors) and the object types, which name memory or objects, end here
  // with every other type.
  if (const std::uint32_t size = ScalarSize(type)) {
    unsigned char bytes[8];
    hr = ReadExact(source, bytes, size);
    if (!Succeeded(hr)) return hr;
    value = PersistValue::Number(type, LittleEndian(bytes, size));
    return kOk;
  }
  if (type != vt::kBstr) return kFail;
  std::uint32_t byte_count = 0;
  hr = ReadU32(source, byte_count);
  if (!Succeeded(hr)) return hr;
  value.type = vt::kBstr;
  if (byte_count == 0) {
    value.null_text = true;
    return kOk;
  }
  if (byte_count % 2 != 0 || byte_count > kMaxTextBytes) return kFail;
  return ReadText(source, byte_count, value.text);
}

HResult WriteValue(ByteSink& sink, const PersistValue& value) {
  if (!Persistable(value)) return kFail;
  unsigned char head[2 + 8];
  PutLittleEndian(head, value.type, 2);
  if (const std::uint32_t size = ScalarSize(value.type)) {
    PutLittleEndian(head + 2, value.bits, size);
    return sink.Write(head, 2 + size);
  }
  const auto byte_count =
      value.null_text ? 0u : static_cast<std::uint32_t>(2 * value.text.size() + 2);
  PutLittleEndian(head + 2, byte_count, 4);
  HResult hr = sink.Write(head, 2 + 4);
  if (!Succeeded(hr) || byte_count == 0) return hr;
  std::vector<unsigned char> bytes(byte_count, 0);
  for (std::size_t i = 0; i < value.text.size(); ++i) {
    PutLittleEndian(&bytes[2 * i], value.text[i], 2);
  }
  return sink.Write(bytes.data(), byte_count);
}

}  // namespace control
