// A deterministic torture run: random user gestures on the simulated views, with a host
// whose handlers re-enter the control from every event (deleting the reported item or
// everything, switching tabs, adding items, changing Href, expanding, re-sorting, ...).
// After every step the store and the views must agree. Run under ASan/UBSan, this is
// also the check that no handler uses an item, node or iterator that a host removed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/control_harness.h"

namespace {

// A small fixed generator, so that every platform replays the same run.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  std::uint64_t state_;
};

constexpr int kMinItems = 25;
constexpr int kMaxItems = 60;
constexpr int kMaxReactionsPerStep = 40;
constexpr int kMaxNesting = 3;

class Torture : public testing_support::ControlHarness {
 public:
  explicit Torture(std::uint64_t seed) : rng_(seed) {
    recorder->on_event = [this](events::DispId dispid, std::span<const events::EventArg> args) {
      React(dispid, args);
    };
  }

  void Setup() {
    for (const char* tab : {"A", "B", "C"}) {
      for (int i = 0; i < 4; ++i) AddRandomItem(tab);
    }
    list.PutEnableToolTips(-1);
    list.PutTreeStyle(rng_.Chance(50) ? 8 : 0);  // single expand sometimes
    Show();
  }

  // One random gesture or host call, then the checks.
  void Step(int step) {
    reactions_ = 0;
    recorder->log.clear();
    SetKeys();
    // Hosts delete eagerly; keep enough items, mostly in the shown tab, to act on.
    for (int i = 0; list.GetItemCount() < kMinItems && i < 8; ++i) {
      const std::string shown = impl().store.TabNameAt(impl().store.CurrentTab());
      AddRandomItem(shown.empty() || rng_.Chance(20) ? RandomTab() : shown);
    }
    recorder->log.clear();
    const int what = rng_.Below(20);
    switch (what) {
      case 0:
      case 1:
      case 2:
        Tree().Click(RandomPoint());
        break;
      case 3:
        Tree().Click(RandomPoint());
        Tree().DoubleClick(RandomPoint());
        break;
      case 4:
        Tree().RightClick(RandomPoint());
        break;
      case 5:
        Tree().RightDoubleClick(RandomPoint());
        break;
      case 6:
      case 7: {
        static constexpr int kKeys[] = {
            view::sim::kVkUp,   view::sim::kVkDown, view::sim::kVkLeft,   view::sim::kVkRight,
            view::sim::kVkHome, view::sim::kVkEnd,  view::sim::kVkReturn, 0x41};
        Tree().KeyDown(kKeys[rng_.Below(8)]);
        break;
      }
      case 8:
      case 9:
        Tabs().UserSelect(rng_.Below(Tabs().GetItemCount() + 1));
        break;
      case 10:
        Tabs().RightClick();
        break;
      case 11:
        Tabs().KeyDown(rng_.Chance(50) ? view::sim::kVkLeft : view::sim::kVkRight);
        break;
      case 12: {
        const view::Node node = RandomNode();
        if (node != view::kNoNode) Tree().RequestTip(node, 1 + rng_.Below(12));
        break;
      }
      case 13:
        if (rng_.Chance(50)) {
          dialog.MoveFocus(view::sim::SimDialog::kTreeId);
        } else {
          dialog.FocusOutside();
        }
        break;
      case 14:
        list.FireClick(RandomId());
        break;
      case 15:
        HostAction(RandomId(), /*from_event=*/false);
        break;
      case 16:
        list.PutSorted(rng_.Below(3));
        break;
      case 17:
        list.ExpandAll(rng_.Chance(60) ? -1 : 0, rng_.Chance(50) ? std::string() : RandomId());
        break;
      case 18:
        list.PutSelectedItem(RandomId());
        break;
      default:
        if (list.GetItemCount() < kMaxItems) AddRandomItem(RandomTab());
        break;
    }
    Check(step);
    if (step % 25 == 24) CheckAfterRebuild(step);
  }

  int events_seen = 0;
  int reactions_total = 0;

 private:
  std::string RandomTab() {
    static const char* kTabs[] = {"A", "B", "C", "D"};
    return kTabs[rng_.Below(4)];
  }

  std::string RandomId() {
    if (rng_.Chance(5)) return "nobody";
    const auto& items = impl().store.Items();
    if (items.empty()) return {};
    int skip = rng_.Below(static_cast<int>(items.size()));
    auto it = items.begin();
    std::advance(it, skip);
    return std::string(it->second.ID());
  }

  void AddRandomItem(const std::string& tab, const std::string& parent = {}) {
    const int n = serial_++;
    std::string record =
        "TAB:" + tab + ",TEXT:t" + std::to_string(rng_.Below(50)) + ",ID:i" + std::to_string(n);
    std::string p = parent;
    if (p.empty() && rng_.Chance(50)) p = RandomId();
    if (!p.empty() && p != "nobody") record += ",PARENT:" + p;
    if (rng_.Chance(30)) record += ",HREF:h" + std::to_string(n) + ".htm";
    if (rng_.Chance(15)) record += ",FRAME:f";
    if (rng_.Chance(10)) record += ",ENABLE:0";
    if (rng_.Chance(15)) record += ",HASCHILDREN:1";
    if (rng_.Chance(10)) record += ",SELECT:1";
    if (rng_.Chance(10)) record += ",EXPAND:1";
    list.AddItem(record);
  }

  view::Node RandomNode() {
    std::vector<view::Node> rows = Tree().VisibleRows();
    if (rows.empty()) return view::kNoNode;
    return rows[static_cast<std::size_t>(rng_.Below(static_cast<int>(rows.size())))];
  }

  view::Point RandomPoint() {
    const view::Node node = RandomNode();
    if (node == view::kNoNode || rng_.Chance(10)) return view::Point{3, 150 + rng_.Below(40)};
    static constexpr std::uint32_t kParts[] = {view::hit::kOnItemLabel, view::hit::kOnItemIcon,
                                               view::hit::kOnItemButton, view::hit::kOnItemIndent,
                                               view::hit::kOnItemRight};
    auto point = Tree().PointOn(node, kParts[rng_.Below(5)]);
    if (!point) point = Tree().PointOn(node, view::hit::kOnItemLabel);
    return point.value_or(view::Point{3, 3});
  }

  void SetKeys() {
    const bool chord = rng_.Chance(10);
    for (int key : {0x10, 0x11, 0x12}) desktop.SetKeyDown(key, chord);
  }

  // The scripted host: from any event, sometimes, one call back into the control.
  void React(events::DispId dispid, std::span<const events::EventArg> args) {
    ++events_seen;
    if (quiet_ || depth_ >= kMaxNesting || reactions_ >= kMaxReactionsPerStep) return;
    // The first declared argument is the last element.
    const std::string reported = args.empty() ? std::string() : args.back().AsText();
    if (dispid == events::dispid::kTreeSortCompare) {
      list.PutSortCompare(rng_.Below(3) - 1);
      if (!rng_.Chance(15)) return;
    }
    if (dispid == events::dispid::kTreeGetToolTipText && rng_.Chance(50)) {
      list.PutToolTipText("tip " + reported);
    }
    if (!rng_.Chance(35)) return;
    ++reactions_;
    ++reactions_total;
    ++depth_;
    HostAction(reported.empty() ? RandomId() : reported, /*from_event=*/true);
    --depth_;
  }

  void HostAction(const std::string& id, bool from_event) {
    switch (rng_.Below(from_event ? 16 : 14)) {
      case 0:
      case 1:
        list.DeleteItem(id);
        break;
      case 2:
        list.DeleteChildren(id);
        break;
      case 3:
        if (list.GetItemCount() < kMaxItems) AddRandomItem(RandomTab(), id);
        break;
      case 4:
        list.PutHref(id, rng_.Chance(50) ? std::string() : "changed.htm");
        break;
      case 5:
        list.PutSelectedTab(RandomTab());
        break;
      case 6:
        list.ExpandAll(rng_.Chance(50) ? -1 : 0, rng_.Chance(50) ? std::string() : id);
        break;
      case 7:
        list.PutSorted(rng_.Below(3));
        break;
      case 8:
        list.PutSelectedItem(rng_.Chance(80) ? id : std::string());
        break;
      case 9:
        list.PutExpand(id, rng_.Below(2));
        break;
      case 10:
        list.PutParent(id, RandomId());
        break;
      case 11:
        switch (rng_.Below(4)) {
          case 0:
            list.PutLevel(id, 12);
            break;
          case 1:
            list.PutTab(id, RandomTab());
            break;
          case 2:
            list.PutSelect(id, rng_.Below(2));
            break;
          default:
            list.PutText(id, "renamed");
            break;
        }
        break;
      case 12:
        if (rng_.Chance(30)) list.DeleteTab(RandomTab());
        break;
      case 13:
        list.FireClick(id);
        break;
      default:  // rare in steps, likelier from events
        if (rng_.Chance(40)) {
          list.DeleteAll();
          for (int i = 0; i < 3; ++i) AddRandomItem(RandomTab());
        } else {
          list.Refresh();
        }
        break;
    }
  }

  // Store and views agree: every node names a live item that knows it as its node, every
  // node an item remembers is live and carries the item's Seq, the tab strip lists the
  // tabs in Index order, and nothing is left half done.
  void Check(int step) {
    SCOPED_TRACE("step " + std::to_string(step));
    const model::Store& store = impl().store;
    ASSERT_EQ(store.CheckInvariants(), "");
    ASSERT_FALSE(impl().view.Rebuilding());
    ASSERT_EQ(impl().view.BusyDepth(), 0);
    ASSERT_EQ(testing_support::TreeDisagreement(Tree(), store), "");
    ASSERT_EQ(Tabs().GetItemCount(), store.TabCount());
    for (int i = 0; i < Tabs().GetItemCount(); ++i) {
      std::string text;
      std::int64_t param = -1;
      ASSERT_TRUE(Tabs().GetItemText(i, text));
      ASSERT_TRUE(Tabs().GetItemParam(i, param));
      ASSERT_EQ(text, store.TabNameAt(i));
      ASSERT_EQ(param, i);
    }
    const view::Node selected = Tree().GetNextItem(view::kNoNode, view::NextCode::kCaret);
    if (selected != view::kNoNode) {
      view::NodeItem data;
      data.mask = view::node::kParam;
      ASSERT_TRUE(Tree().GetItem(selected, data));
    }
  }

  // After a quiet rebuild of the shown tab, the tree holds exactly the items of
  // CurrentTab below level 10, each with its node, and no other item has one.
  void CheckAfterRebuild(int step) {
    SCOPED_TRACE("rebuild after step " + std::to_string(step));
    quiet_ = true;
    list.PutSorted(list.GetSorted());
    quiet_ = false;
    Check(step);
    const model::Store& store = impl().store;
    ASSERT_EQ(store.CurrentTab(), Tabs().GetCurSel());
    int shown = 0;
    for (const auto& [seq, item] : store.Items()) {
      const bool should_show = item.TabIndex() == store.CurrentTab() && item.Level < 10;
      ASSERT_EQ(item.TreeNode != view::kNoNode, should_show) << item.ID();
      shown += should_show ? 1 : 0;
    }
    ASSERT_EQ(shown, Tree().GetCount());
  }

  Random rng_;
  int serial_ = 0;
  int depth_ = 0;
  int reactions_ = 0;
  bool quiet_ = false;
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
    EXPECT_GT(run.events_seen, 3000);
    EXPECT_GT(run.reactions_total, 500);
  }
}

}  // namespace
