// Fuzz entry point of the facade on the simulated views: the input is a sequence of facade
// operations (support/facade_ops.h: records, property writes, deletions, marks, walks, tab
// and item selection, expansion, sorting), the first byte choosing whether the window is
// shown first. After every operation the store's indexes hold and store and views agree.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "support/control_harness.h"
#include "support/facade_ops.h"
#include "support/torture_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  testing_support::ControlHarness harness;
  const bool shown_first = data[0] % 2 == 0;
  if (shown_first) harness.Show();
  const auto ops = testing_support::DecodeFacadeOps(data + 1, size - 1, true);
  for (std::size_t i = 0; i < ops.size(); ++i) {
    (void)testing_support::ApplyFacadeOp(harness.list, ops[i]);
    (void)harness.recorder->TakeLog();
    if (!shown_first && i == ops.size() / 2) harness.Show();
    std::string fault = harness.impl().store.CheckInvariants();
    if (fault.empty() && harness.impl().store.ViewReady()) {
      fault = testing_support::ControlDisagreement(harness.impl(), harness.Tree(), harness.Tabs());
    }
    if (!fault.empty()) {
      std::fprintf(stderr, "after op %zu (%s): %s\n", i, testing_support::Describe(ops[i]).c_str(),
                   fault.c_str());
      std::abort();
    }
  }
  return 0;
}
