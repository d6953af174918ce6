// The torture run's scripted host, shared by the run on the simulated views and the run on
// the platform's real views: a fixed random generator, the gestures a user makes (each
// platform delivers them its own way), the host's direct calls, and the host's reactions
// to events, which re-enter the control (delete the reported item or everything, switch
// tabs, add items, change Href, expand, re-sort, ...). Also the check that store and views
// agree, over any view::TreeView and view::TabStrip.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"
#include "events/event_sinks.h"
#include "view/views.h"

namespace testing_support {

// A small fixed generator, so that every platform replays the same run.
class TortureRandom {
 public:
  explicit TortureRandom(std::uint64_t seed) : state_(seed) {}
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

// Where a tree gesture lands: a part (view::hit::kOnItem*) of a visible row, or, with no
// node, the empty area below the rows (`empty_offset` pixels into it, below 40).
struct TreeSpot {
  view::Node node = view::kNoNode;
  std::uint32_t part = view::hit::kOnItemLabel;
  int empty_offset = 0;
};

// A user's gestures on the control's views, as each platform produces them.
class TortureGestures {
 public:
  virtual ~TortureGestures() = default;
  // The rows a user can point at, top to bottom.
  virtual std::vector<view::Node> VisibleRows() = 0;
  virtual void Click(const TreeSpot& spot) = 0;
  virtual void DoubleClick(const TreeSpot& spot) = 0;
  virtual void RightClick(const TreeSpot& spot) = 0;
  virtual void RightDoubleClick(const TreeSpot& spot) = 0;
  // Keys are virtual-key values (those of view/sim/sim_views.h and letters).
  virtual void TreeKey(int virtual_key) = 0;
  // A click on the tab at `position`; one past the last tab is a click beside the tabs.
  virtual void ClickTab(int position) = 0;
  virtual void RightClickTabs() = 0;
  virtual void TabKey(int virtual_key) = 0;
  // The tree asks for the tip of `node` with room for `capacity` bytes.
  virtual void RequestTip(view::Node node, int capacity) = 0;
  virtual void FocusTree() = 0;
  virtual void FocusOutside() = 0;
  // Shift, Ctrl and Alt held (or not) during the next gestures.
  virtual void HoldChordKeys(bool down) = 0;
};

class TortureHost {
 public:
  // Connects the host's event sink to `list`; it stays connected for the host's life.
  TortureHost(control::TabbedList& list, TortureGestures& gestures, std::uint64_t seed);
  ~TortureHost();
  TortureHost(const TortureHost&) = delete;
  TortureHost& operator=(const TortureHost&) = delete;

  // Before the window is shown: items in three tabs, tips on, sometimes single expand.
  void Prepare();
  // One random gesture or direct host call, with the host reacting to what it fires.
  void Step();
  // Rebuilds the shown tab (Sorted written with its own value) with the host silent.
  void RebuildQuietly();

  int EventsSeen() const { return events_seen_; }
  int ReactionsTotal() const { return reactions_total_; }

 private:
  class Sink;

  std::string RandomTab();
  std::string RandomId();
  void AddRandomItem(const std::string& tab, const std::string& parent = {});
  view::Node RandomNode();
  TreeSpot RandomSpot();
  void React(events::DispId dispid, std::span<const events::EventArg> args);
  void HostAction(const std::string& id, bool from_event);

  control::TabbedList& list_;
  TortureGestures& gestures_;
  TortureRandom rng_;
  std::shared_ptr<Sink> sink_;
  events::EventSinks::Cookie cookie_ = events::EventSinks::kNoCookie;
  int serial_ = 0;
  int depth_ = 0;
  int reactions_ = 0;
  bool quiet_ = false;
  int events_seen_ = 0;
  int reactions_total_ = 0;
};

// Store and views agree: the store's indexes hold, no rebuild or busy section is left
// open, every node names a live item that knows it as its node and every remembered node
// is live with the item's Seq (TreeDisagreement), the tab strip lists the tabs in Index
// order with their positions as data and selects one of them or none, and the selected
// node can be read. Empty when they agree, else the first disagreement found.
std::string ControlDisagreement(const control::TabbedListImpl& impl, const view::TreeView& tree,
                                const view::TabStrip& tabs);

// After a rebuild of the shown tab: the strip selects CurrentTab, and the tree holds
// exactly the items of CurrentTab below level 10, each with its node, and no other item
// has one. Empty when so, else what differs.
std::string ShownTabDisagreement(const control::TabbedListImpl& impl, const view::TreeView& tree,
                                 const view::TabStrip& tabs);

}  // namespace testing_support
