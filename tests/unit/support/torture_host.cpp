#include "support/torture_host.h"

#include <iterator>

#include "events/event_table.h"
#include "support/tree_check.h"
#include "view/sim/sim_views.h"

namespace testing_support {

namespace {

constexpr int kMinItems = 25;
constexpr int kMaxItems = 60;
constexpr int kMaxReactionsPerStep = 40;
constexpr int kMaxNesting = 3;

}  // namespace

class TortureHost::Sink final : public events::EventSink {
 public:
  explicit Sink(TortureHost& host) : host_(host) {}
  std::int32_t Invoke(events::DispId dispid, std::span<const events::EventArg> args) override {
    host_.React(dispid, args);
    return 0;
  }

 private:
  TortureHost& host_;
};

TortureHost::TortureHost(control::TabbedList& list, TortureGestures& gestures, std::uint64_t seed)
    : list_(list), gestures_(gestures), rng_(seed), sink_(std::make_shared<Sink>(*this)) {
  cookie_ = list_.Impl().events.Sinks().Connect(sink_);
}

TortureHost::~TortureHost() { list_.Impl().events.Sinks().Disconnect(cookie_); }

void TortureHost::Prepare() {
  for (const char* tab : {"A", "B", "C"}) {
    for (int i = 0; i < 4; ++i) AddRandomItem(tab);
  }
  list_.PutEnableToolTips(-1);
  list_.PutTreeStyle(rng_.Chance(50) ? 8 : 0);  // single expand sometimes
}

void TortureHost::Step() {
  reactions_ = 0;
  gestures_.HoldChordKeys(rng_.Chance(10));
  const model::Store& store = list_.Impl().store;
  // Hosts delete eagerly; keep enough items, mostly in the shown tab, to act on.
  for (int i = 0; list_.GetItemCount() < kMinItems && i < 8; ++i) {
    const std::string shown = store.TabNameAt(store.CurrentTab());
    AddRandomItem(shown.empty() || rng_.Chance(20) ? RandomTab() : shown);
  }
  switch (rng_.Below(20)) {
    case 0:
    case 1:
    case 2:
      gestures_.Click(RandomSpot());
      break;
    case 3:
      gestures_.Click(RandomSpot());
      gestures_.DoubleClick(RandomSpot());
      break;
    case 4:
      gestures_.RightClick(RandomSpot());
      break;
    case 5:
      gestures_.RightDoubleClick(RandomSpot());
      break;
    case 6:
    case 7: {
      static constexpr int kKeys[] = {
          view::sim::kVkUp,   view::sim::kVkDown, view::sim::kVkLeft,   view::sim::kVkRight,
          view::sim::kVkHome, view::sim::kVkEnd,  view::sim::kVkReturn, 'A'};
      gestures_.TreeKey(kKeys[rng_.Below(8)]);
      break;
    }
    case 8:
    case 9:
      gestures_.ClickTab(rng_.Below(list_.Impl().store.TabCount() + 1));
      break;
    case 10:
      gestures_.RightClickTabs();
      break;
    case 11:
      gestures_.TabKey(rng_.Chance(50) ? view::sim::kVkLeft : view::sim::kVkRight);
      break;
    case 12: {
      const view::Node node = RandomNode();
      if (node != view::kNoNode) gestures_.RequestTip(node, 1 + rng_.Below(12));
      break;
    }
    case 13:
      if (rng_.Chance(50)) {
        gestures_.FocusTree();
      } else {
        gestures_.FocusOutside();
      }
      break;
    case 14:
      list_.FireClick(RandomId());
      break;
    case 15:
      HostAction(RandomId(), /*from_event=*/false);
      break;
    case 16:
      list_.PutSorted(rng_.Below(3));
      break;
    case 17:
      list_.ExpandAll(rng_.Chance(60) ? -1 : 0, rng_.Chance(50) ? std::string() : RandomId());
      break;
    case 18:
      list_.PutSelectedItem(RandomId());
      break;
    default:
      if (list_.GetItemCount() < kMaxItems) AddRandomItem(RandomTab());
      break;
  }
}

void TortureHost::RebuildQuietly() {
  quiet_ = true;
  list_.PutSorted(list_.GetSorted());
  quiet_ = false;
}

std::string TortureHost::RandomTab() {
  static const char* kTabs[] = {"A", "B", "C", "D"};
  return kTabs[rng_.Below(4)];
}

std::string TortureHost::RandomId() {
  if (rng_.Chance(5)) return "nobody";
  const auto& items = list_.Impl().store.Items();
  if (items.empty()) return {};
  auto it = items.begin();
  std::advance(it, rng_.Below(static_cast<int>(items.size())));
  return std::string(it->second.ID());
}

void TortureHost::AddRandomItem(const std::string& tab, const std::string& parent) {
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
  list_.AddItem(record);
}

view::Node TortureHost::RandomNode() {
  const std::vector<view::Node> rows = gestures_.VisibleRows();
  if (rows.empty()) return view::kNoNode;
  return rows[static_cast<std::size_t>(rng_.Below(static_cast<int>(rows.size())))];
}

TreeSpot TortureHost::RandomSpot() {
  TreeSpot spot;
  spot.node = RandomNode();
  if (spot.node == view::kNoNode || rng_.Chance(10)) {
    spot.node = view::kNoNode;
    spot.empty_offset = rng_.Below(40);
    return spot;
  }
  static constexpr std::uint32_t kParts[] = {view::hit::kOnItemLabel, view::hit::kOnItemIcon,
                                             view::hit::kOnItemButton, view::hit::kOnItemIndent,
                                             view::hit::kOnItemRight};
  spot.part = kParts[rng_.Below(5)];
  return spot;
}

// The scripted host: from any event, sometimes, one call back into the control.
void TortureHost::React(events::DispId dispid, std::span<const events::EventArg> args) {
  ++events_seen_;
  if (quiet_ || depth_ >= kMaxNesting || reactions_ >= kMaxReactionsPerStep) return;
  // The first declared argument is the last element.
  const std::string reported = args.empty() ? std::string() : args.back().AsText();
  if (dispid == events::dispid::kTreeSortCompare) {
    list_.PutSortCompare(rng_.Below(3) - 1);
    if (!rng_.Chance(15)) return;
  }
  if (dispid == events::dispid::kTreeGetToolTipText && rng_.Chance(50)) {
    list_.PutToolTipText("tip " + reported);
  }
  if (!rng_.Chance(35)) return;
  ++reactions_;
  ++reactions_total_;
  ++depth_;
  HostAction(reported.empty() ? RandomId() : reported, /*from_event=*/true);
  --depth_;
}

void TortureHost::HostAction(const std::string& id, bool from_event) {
  switch (rng_.Below(from_event ? 16 : 14)) {
    case 0:
    case 1:
      list_.DeleteItem(id);
      break;
    case 2:
      list_.DeleteChildren(id);
      break;
    case 3:
      if (list_.GetItemCount() < kMaxItems) AddRandomItem(RandomTab(), id);
      break;
    case 4:
      list_.PutHref(id, rng_.Chance(50) ? std::string() : "changed.htm");
      break;
    case 5:
      list_.PutSelectedTab(RandomTab());
      break;
    case 6:
      list_.ExpandAll(rng_.Chance(50) ? -1 : 0, rng_.Chance(50) ? std::string() : id);
      break;
    case 7:
      list_.PutSorted(rng_.Below(3));
      break;
    case 8:
      list_.PutSelectedItem(rng_.Chance(80) ? id : std::string());
      break;
    case 9:
      list_.PutExpand(id, rng_.Below(2));
      break;
    case 10:
      list_.PutParent(id, RandomId());
      break;
    case 11:
      switch (rng_.Below(4)) {
        case 0:
          list_.PutLevel(id, 12);
          break;
        case 1:
          list_.PutTab(id, RandomTab());
          break;
        case 2:
          list_.PutSelect(id, rng_.Below(2));
          break;
        default:
          list_.PutText(id, "renamed");
          break;
      }
      break;
    case 12:
      if (rng_.Chance(30)) list_.DeleteTab(RandomTab());
      break;
    case 13:
      list_.FireClick(id);
      break;
    default:  // rare in steps, likelier from events
      if (rng_.Chance(40)) {
        list_.DeleteAll();
        for (int i = 0; i < 3; ++i) AddRandomItem(RandomTab());
      } else {
        list_.Refresh();
      }
      break;
  }
}

std::string ControlDisagreement(const control::TabbedListImpl& impl, const view::TreeView& tree,
                                const view::TabStrip& tabs) {
  const model::Store& store = impl.store;
  if (impl.view.Rebuilding()) return "a rebuild is still under way";
  if (impl.view.BusyDepth() != 0) {
    return "busy depth " + std::to_string(impl.view.BusyDepth()) + " is left open";
  }
  if (std::string fault = TreeDisagreement(tree, store); !fault.empty()) return fault;
  if (tabs.GetItemCount() != store.TabCount()) {
    return "the strip shows " + std::to_string(tabs.GetItemCount()) + " tabs, the store has " +
           std::to_string(store.TabCount());
  }
  for (int i = 0; i < tabs.GetItemCount(); ++i) {
    std::string text;
    std::int64_t param = -1;
    if (!tabs.GetItemText(i, text) || !tabs.GetItemParam(i, param)) {
      return "tab " + std::to_string(i) + " cannot be read";
    }
    if (text != store.TabNameAt(i)) {
      return "tab " + std::to_string(i) + " shows " + text + ", the store names " +
             store.TabNameAt(i);
    }
    if (param != i) return "tab " + std::to_string(i) + " carries " + std::to_string(param);
  }
  if (tabs.GetCurSel() < -1 || tabs.GetCurSel() >= tabs.GetItemCount()) {
    return "the strip selects position " + std::to_string(tabs.GetCurSel()) + " of " +
           std::to_string(tabs.GetItemCount());
  }
  const view::Node selected = tree.GetNextItem(view::kNoNode, view::NextCode::kCaret);
  if (selected != view::kNoNode) {
    view::NodeItem data;
    data.mask = view::node::kParam;
    if (!tree.GetItem(selected, data)) return "the selected node cannot be read";
  }
  return "";
}

std::string ShownTabDisagreement(const control::TabbedListImpl& impl, const view::TreeView& tree,
                                 const view::TabStrip& tabs) {
  const model::Store& store = impl.store;
  if (store.CurrentTab() != tabs.GetCurSel()) {
    return "CurrentTab " + std::to_string(store.CurrentTab()) + ", the strip selects " +
           std::to_string(tabs.GetCurSel());
  }
  int shown = 0;
  for (const auto& [seq, item] : store.Items()) {
    const bool should_show = item.TabIndex() == store.CurrentTab() && item.Level < 10;
    if ((item.TreeNode != view::kNoNode) != should_show) {
      return std::string(item.ID()) + (should_show ? " has no node" : " has a node");
    }
    shown += should_show ? 1 : 0;
  }
  if (shown != tree.GetCount()) {
    return std::to_string(shown) + " items shown in " + std::to_string(tree.GetCount()) + " nodes";
  }
  return "";
}

}  // namespace testing_support
