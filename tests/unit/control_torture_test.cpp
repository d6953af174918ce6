// A deterministic torture run: random user gestures on the simulated views, with a host
// whose handlers re-enter the control from every event (deleting the reported item or
// everything, switching tabs, adding items, changing Href, expanding, re-sorting, ...).
// After every step the store and the views must agree. Run under ASan/UBSan, this is
// also the check that no handler uses an item, node or iterator that a host removed.
// The host and the checks are shared with the run on the real views (support/torture_host.h).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/control_harness.h"
#include "support/torture_host.h"

namespace {

using testing_support::TreeSpot;

// The gestures on the simulated views.
class SimGestures final : public testing_support::TortureGestures {
 public:
  explicit SimGestures(testing_support::ControlHarness& harness) : h_(harness) {}

  std::vector<view::Node> VisibleRows() override { return h_.Tree().VisibleRows(); }
  void Click(const TreeSpot& spot) override { h_.Tree().Click(PointOf(spot)); }
  void DoubleClick(const TreeSpot& spot) override { h_.Tree().DoubleClick(PointOf(spot)); }
  void RightClick(const TreeSpot& spot) override { h_.Tree().RightClick(PointOf(spot)); }
  void RightDoubleClick(const TreeSpot& spot) override {
    h_.Tree().RightDoubleClick(PointOf(spot));
  }
  void TreeKey(int virtual_key) override { h_.Tree().KeyDown(virtual_key); }
  void ClickTab(int position) override { h_.Tabs().UserSelect(position); }
  void RightClickTabs() override { h_.Tabs().RightClick(); }
  void TabKey(int virtual_key) override { h_.Tabs().KeyDown(virtual_key); }
  void RequestTip(view::Node node, int capacity) override { h_.Tree().RequestTip(node, capacity); }
  void FocusTree() override { h_.dialog.MoveFocus(view::sim::SimDialog::kTreeId); }
  void FocusOutside() override { h_.dialog.FocusOutside(); }
  void HoldChordKeys(bool down) override {
    for (int key : {0x10, 0x11, 0x12}) h_.desktop.SetKeyDown(key, down);
  }

 private:
  view::Point PointOf(const TreeSpot& spot) {
    if (spot.node == view::kNoNode) return view::Point{3, 150 + spot.empty_offset};
    auto point = h_.Tree().PointOn(spot.node, spot.part);
    if (!point) point = h_.Tree().PointOn(spot.node, view::hit::kOnItemLabel);
    return point.value_or(view::Point{3, 3});
  }

  testing_support::ControlHarness& h_;
};

class Torture : public testing_support::ControlHarness {
 public:
  explicit Torture(std::uint64_t seed) : host(list, gestures, seed) {}

  void Setup() {
    host.Prepare();
    Show();
  }

  // One random gesture or host call, then the checks.
  void Step(int step) {
    recorder->log.clear();
    host.Step();
    recorder->log.clear();
    Check(step);
    if (step % 25 == 24) CheckAfterRebuild(step);
  }

  SimGestures gestures{*this};
  testing_support::TortureHost host;

 private:
  void Check(int step) {
    SCOPED_TRACE("step " + std::to_string(step));
    ASSERT_EQ(testing_support::ControlDisagreement(impl(), Tree(), Tabs()), "");
  }

  void CheckAfterRebuild(int step) {
    SCOPED_TRACE("rebuild after step " + std::to_string(step));
    host.RebuildQuietly();
    Check(step);
    ASSERT_EQ(testing_support::ShownTabDisagreement(impl(), Tree(), Tabs()), "");
  }
};

TEST(ControlTorture, ReentrantHostsLeaveStoreAndViewsInAgreement) {
  for (std::uint64_t seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Torture run(seed);
    run.Setup();
    for (int step = 0; step < 1500; ++step) {
      run.Step(step);
      if (::testing::Test::HasFatalFailure()) return;
    }
    // The run did what it is for: many events, and hosts that re-entered from them.
    EXPECT_GT(run.host.EventsSeen(), 3000);
    EXPECT_GT(run.host.ReactionsTotal(), 500);
  }
}

}  // namespace
