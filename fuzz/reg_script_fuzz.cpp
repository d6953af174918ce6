// Fuzz entry point of the registration-script interpreter over the in-memory registry.
// Input: a byte whose low bit picks the first mode and whose next bit makes writes fail
// after a few, then the script. The script runs in that mode, then in the other. Whatever
// the input: no crash, every key handed out is closed again, a script the interpreter
// refuses in register mode on a working registry leaves it as it was.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "control/reg_script.h"
#include "fuzz_input.h"
#include "support/memory_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::FuzzInput in(data, size);
  const std::uint8_t options = in.Byte();
  const std::string_view script = in.Rest();
  const std::vector<control::RegReplacement> replacements = {
      {"MODULE", control::DoubleApostrophes("C:\\Program Files\\it's\\ZorTabList.dll")},
      {"CLSID", "{5C2E0F3A-1B2C-4D5E-8F90-A1B2C3D4E5F6}"},
      {"", "empty"}};
  testing_support::MemoryRegistry registry;
  if ((options & 2) != 0) registry.FailWritesAfter(options >> 2);
  const auto first =
      (options & 1) != 0 ? control::RegScriptMode::kUnregister : control::RegScriptMode::kRegister;
  const auto second = first == control::RegScriptMode::kRegister
                          ? control::RegScriptMode::kUnregister
                          : control::RegScriptMode::kRegister;
  const control::HResult hr = control::RunRegScript(script, replacements, first, registry);
  if (registry.OpenHandleCount() != 0) std::abort();
  if (first == control::RegScriptMode::kRegister && (options & 2) == 0 && hr != control::kOk &&
      registry.WriteCount() != 0) {
    std::abort();
  }
  (void)control::RunRegScript(script, replacements, second, registry);
  if (registry.OpenHandleCount() != 0) std::abort();
  return 0;
}
