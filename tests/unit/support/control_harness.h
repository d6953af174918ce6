// A control facade attached to simulated views, with a recording sink and a recording
// navigator, for event-order and torture tests through the automation members.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"
#include "events/navigator.h"
#include "support/event_recorder.h"
#include "support/tree_check.h"
#include "view/sim/sim_views.h"

namespace testing_support {

class NavigationLog : public events::Navigator {
 public:
  void NavigatePage(const std::string& href) override { log.push_back("page " + href); }
  void NavigateFrame(const std::string& frame, const std::string& href) override {
    log.push_back("frame " + frame + " " + href);
  }
  std::vector<std::string> log;
};

class ControlHarness {
 public:
  ControlHarness() {
    impl().events.Sinks().Connect(recorder);
    impl().events.Handlers().SetNavigator(&navigation);
  }
  ~ControlHarness() {
    impl().events.Handlers().SetNavigator(nullptr);
    impl().DetachWindow();
  }

  control::TabbedListImpl& impl() { return list.Impl(); }
  // Window creation and the activation's Refresh.
  void Show() {
    impl().AttachWindow(&dialog, &desktop);
    list.Refresh();
  }
  view::sim::SimTreeView& Tree() { return *dialog.Tree(); }
  view::sim::SimTabStrip& Tabs() { return *dialog.Tabs(); }
  view::Node NodeOf(const std::string& id) {
    const model::Item* item = impl().store.FindItemById(id);
    return item ? item->TreeNode : view::kNoNode;
  }
  view::Point On(const std::string& id, std::uint32_t part = view::hit::kOnItemLabel) {
    auto point = Tree().PointOn(NodeOf(id), part);
    return point.value_or(view::Point{-1, -1});
  }
  std::string IdOfNode(view::Node node) {
    return testing_support::IdOfNode(Tree(), impl().store, node);
  }
  // The tree as IDs in tree order, children in parentheses: "a(b,c),d".
  std::string Outline(view::Node parent = view::kRootNode) {
    return TreeOutline(Tree(), impl().store, parent);
  }
  // The events since the last call; focus reports left out unless asked for.
  std::vector<std::string> Events(bool with_focus = false) {
    std::vector<std::string> out;
    for (auto& e : recorder->TakeLog()) {
      if (with_focus || (e != "TreeGotFocus()" && e != "TreeLostFocus()")) out.push_back(e);
    }
    return out;
  }

  view::sim::SimDesktop desktop;
  view::sim::SimDialog dialog{desktop};
  control::TabbedList list;
  std::shared_ptr<EventRecorder> recorder = std::make_shared<EventRecorder>();
  NavigationLog navigation;
};

}  // namespace testing_support
