// Differential test: random operation sequences (a fixed seed, a bounded count) on the real
// store and facade and on the plain reference model must give the same answers and the
// same state after every operation. `make fuzz` runs the same comparison at length,
// guided by coverage (fuzz/differential_fuzz.cpp).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/facade_ops.h"
#include "support/torture_host.h"

namespace {

TEST(Differential, RandomSequencesAgreeWithTheReference) {
  testing_support::TortureRandom rng(0x5EED2026);
  for (int run = 0; run < 400; ++run) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(64 + rng.Below(1500)));
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng.Next());
    const auto ops = testing_support::DecodeFacadeOps(bytes.data(), bytes.size(), false);
    ASSERT_EQ(testing_support::DifferentialDisagreement(ops), "") << "run " << run;
  }
}

}  // namespace
