// A control's store and view controller over the simulated views, with a host stand-in
// that listens to the tree as the interaction layer would: it names the item of every
// reported node and keeps the Select bits in step with the tree, and it can react from
// inside a report to re-enter the control.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/record.h"
#include "model/store.h"
#include "support/tree_check.h"
#include "view/sim/sim_views.h"
#include "view/view_controller.h"

namespace view_test {

using view::sim::SimDesktop;
using view::sim::SimDialog;
using view::sim::SimTreeView;

class HostListener : public view::TreeListener {
 public:
  explicit HostListener(view::ViewController& view) : view_(view) {}

  // Runs after a report is logged, with the report's name and item ID.
  std::function<void(const std::string& what, const std::string& id)> react;
  std::vector<std::string> log;

  int OnSelChanging(const view::TreeNotify& n) override {
    if (view_.Rebuilding()) return 0;
    Report("SelChanging", IdOf(n.new_node));
    return 0;
  }
  int OnSelChanged(const view::TreeNotify& n) override {
    if (view_.Rebuilding()) return 0;
    if (model::Item* old_item = ItemOf(n.old_node)) old_item->Flags &= ~model::kFlagSelect;
    if (model::Item* new_item = ItemOf(n.new_node)) new_item->Flags |= model::kFlagSelect;
    Report("SelChanged",
           IdOf(n.old_node) + ">" + IdOf(n.new_node) + "/" + std::to_string(n.action));
    return 0;
  }
  int OnItemExpanding(const view::TreeNotify& n) override {
    if (view_.Rebuilding()) return 0;
    const bool opening = (n.action & 2) != 0;
    Report(opening ? "Opening" : "Closing", IdOf(n.new_node));
    return 0;
  }
  int OnItemExpanded(const view::TreeNotify& n) override {
    if (view_.Rebuilding()) return 0;
    const bool opened = (n.action & 2) != 0;
    if (model::Item* item = ItemOf(n.new_node)) {
      if (opened) {
        item->Flags |= model::kFlagExpand;
      } else {
        item->Flags &= ~model::kFlagExpand;
      }
    }
    Report(opened ? "Opened" : "Closed", IdOf(n.new_node));
    return 0;
  }
  int OnDeleteItem(const view::TreeNotify& n) override {
    if (view_.Rebuilding()) return 0;
    Report("Deleted", IdOf(n.old_node));
    return 0;
  }
  int OnKeyDown(int) override { return 0; }
  bool OnGetInfoTip(std::int64_t, std::string&, int) override { return false; }
  int OnSingleExpand(const view::TreeNotify&) override { return 0; }
  int OnClick() override { return 0; }
  int OnDblClick() override { return 0; }
  int OnReturn() override { return 0; }
  int OnRClick() override { return 0; }
  int OnRDblClick() override { return 0; }
  int OnSetFocus() override { return 0; }
  int OnKillFocus() override { return 0; }

  std::vector<std::string> Take() {
    std::vector<std::string> out;
    out.swap(log);
    return out;
  }

 private:
  model::Item* ItemOf(const view::NotifyNode& side) {
    if (side.node == view::kNoNode) return nullptr;
    std::int64_t param = side.param;
    if (!side.has_param) {
      view::NodeItem n;
      n.mask = view::node::kParam;
      if (view_.Tree() == nullptr || !view_.Tree()->GetItem(side.node, n)) return nullptr;
      param = n.param;
    }
    return view_.ItemStore().FindItemPtr(static_cast<model::Seq>(param));
  }
  std::string IdOf(const view::NotifyNode& side) {
    const model::Item* item = ItemOf(side);
    return item != nullptr ? std::string(item->ID()) : std::string();
  }
  void Report(const std::string& what, const std::string& id) {
    log.push_back(what + "(" + id + ")");
    if (react) react(what, id);
  }

  view::ViewController& view_;
};

class ViewFixture : public ::testing::Test {
 protected:
  ViewFixture() {
    view.SetDesktop(&desktop);
    dialog->Tree()->SetListener(&host);
  }

  SimTreeView& Tree() { return *dialog->Tree(); }
  view::sim::SimTabStrip& Tabs() { return *dialog->Tabs(); }

  void Open() { view.OpenWindow(dialog.get(), &desktop); }
  // Open, then a Refresh as the frame's activation leaves the control shown.
  void Show() {
    Open();
    view.Refresh();
  }
  void Add(const std::string& record) { model::AddItem(store, record); }

  model::Seq SeqOf(const std::string& id) const { return store.FindItem(id); }
  model::Item& ItemOf(const std::string& id) { return *store.FindItemById(id); }
  view::Node NodeOf(const std::string& id) const { return store.FindItemById(id)->TreeNode; }

  std::string IdOfNode(view::Node node) { return testing_support::IdOfNode(Tree(), store, node); }

  // The tree as IDs in tree order, children in parentheses: "a(b,c),d".
  std::string Outline(view::Node parent = view::kRootNode) {
    return testing_support::TreeOutline(Tree(), store, parent);
  }

  // Store and tree agree (support/tree_check.h), and no busy section is left open.
  void ExpectConsistent() {
    EXPECT_EQ(testing_support::TreeDisagreement(Tree(), store), "");
    EXPECT_EQ(view.BusyDepth(), 0);
  }

  model::Store store;
  view::ViewController view{store};
  SimDesktop desktop;
  std::unique_ptr<SimDialog> dialog = std::make_unique<SimDialog>(desktop);
  HostListener host{view};
};

}  // namespace view_test
