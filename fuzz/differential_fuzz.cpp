// Fuzz entry point of the differential test: the input is a sequence of facade operations
// (support/facade_ops.h) applied to the real store and facade and to the reference model;
// any difference in an answer or in the state is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "support/facade_ops.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto ops = testing_support::DecodeFacadeOps(data, size, false);
  const std::string difference = testing_support::DifferentialDisagreement(ops);
  if (!difference.empty()) {
    std::fprintf(stderr, "%s\n", difference.c_str());
    std::abort();
  }
  return 0;
}
