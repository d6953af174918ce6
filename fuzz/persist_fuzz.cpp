// Fuzz entry point of persistence: the stream loader and the property-bag walk over the
// control facade, fed with hostile bytes. Whatever the input does, no crash, no sanitizer
// report, memory bounded by the input, and the control afterwards saves the whole 2,884-byte
// stream, which loads again.
//
// Input: a first byte 'B' selects the bag walk over the bytes after it, anything else is a
// stream read whole. The bag answers each name it is asked for from the next bytes:
// a control byte c (none left, or c % 4 == 0: not held; c % 4 == 3: S_FALSE, else S_OK),
// a 2-byte VARTYPE, then for VT_BSTR a 2-byte count of UTF-16 units and the units, for any
// other type 8 value bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "control/persist.h"
#include "control/tabbed_list.h"
#include "support/persist_memory.h"

namespace {

using control::HResult;
using control::PersistValue;

class FuzzBag : public control::PropertyBag {
 public:
  FuzzBag(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  HResult Read(std::string_view /*name*/, PersistValue& value) override {
    if (at_ >= size_) return control::kFail;
    const std::uint8_t control_byte = data_[at_++];
    if (control_byte % 4 == 0) return control::kFail;
    value = PersistValue{};
    value.type = static_cast<std::uint16_t>(Take(2));
    if (value.type == control::vt::kBstr) {
      const std::uint64_t units = Take(2);
      for (std::uint64_t i = 0; i < units && at_ < size_; ++i) {
        value.text.push_back(static_cast<char16_t>(Take(2)));
      }
    } else {
      value.bits = Take(8);
    }
    return control_byte % 4 == 3 ? control::kFalse : control::kOk;
  }
  HResult Write(std::string_view, const PersistValue&) override { return control::kOk; }

 private:
  std::uint64_t Take(int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes && at_ < size_; ++i) {
      value |= static_cast<std::uint64_t>(data_[at_++]) << (8 * i);
    }
    return value;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  control::TabbedList list;
  testing_support::FacadeAccess access(list);
  HResult hr = control::kOk;
  if (size > 0 && data[0] == 'B') {
    FuzzBag bag(data + 1, size - 1);
    hr = control::LoadBag(bag, access);
  } else {
    testing_support::MemorySource source(std::vector<unsigned char>(data, data + size));
    hr = control::LoadStream(source, access);
  }
  if (hr == control::kOk && list.IsDirty()) std::abort();
  testing_support::MemorySink sink;
  if (control::SaveStream(sink, access, false) != control::kOk || sink.bytes.size() != 2884) {
    std::abort();
  }
  testing_support::MemorySource again(sink.bytes);
  if (control::LoadStream(again, access) != control::kOk) std::abort();
  return 0;
}
