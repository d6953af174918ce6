// The interaction handlers' view of the control, over the view layer's controller, which
// holds the store, the views, the Rebuilding flag, the stored properties and the
// key-state snapshot. Wires the handlers in as the controller's Sorted 2 sorter and as
// the listener of the views.
#pragma once

#include <memory>

#include "events/interaction.h"
#include "view/view_controller.h"

namespace events {

class ViewControllerContext final : public InteractionContext {
 public:
  explicit ViewControllerContext(view::ViewController& views) : views_(views) {}

  model::Store& ItemStore() override { return views_.ItemStore(); }
  view::TabStrip* TabStripView() override { return views_.Tabs(); }
  view::TreeView* TreeViewView() override { return views_.Tree(); }
  view::Desktop* DesktopServices() override { return views_.DesktopServices(); }
  bool Rebuilding() const override { return views_.Rebuilding(); }
  std::int32_t HilightSelectedTab() const override { return views_.GetHilightSelectedTab(); }
  std::int32_t EnableToolTips() const override { return views_.GetEnableToolTips(); }
  std::string ToolTipText() const override { return views_.GetToolTipText(); }
  std::int32_t SortCompare() const override { return views_.GetSortCompare(); }
  void SetSortCompare(std::int32_t value) override { views_.PutSortCompare(value); }
  KeyState& KeyStateSnapshot() override { return views_.KeyStateSnapshot(); }
  std::uint64_t ItemGeneration() const override { return views_.ItemGeneration(); }
  void BeginOperation() override { views_.BeginOperation(); }
  void EndOperation() override { views_.EndOperation(); }

 private:
  view::ViewController& views_;
};

// The event side of one control: its sinks and handlers, bound to the view controller.
class ControlEvents {
 public:
  // Installs the Sorted 2 comparison and sorter and the TabChanged of the SelectedTab
  // write on `views`. The controller must outlive this object's use of it; the hooks are
  // removed again on destruction.
  explicit ControlEvents(view::ViewController& views);
  ~ControlEvents();
  ControlEvents(const ControlEvents&) = delete;
  ControlEvents& operator=(const ControlEvents&) = delete;

  Interaction& Handlers() { return interaction_; }
  EventSinks& Sinks() { return interaction_.Sinks(); }
  // Makes the handlers the listeners of the dialog's views. Called before the controller
  // opens the window, so that the first rebuild's selection is reported too.
  void Listen(view::Dialog& dialog);
  // Takes the handlers off the dialog's views, before the window goes.
  void StopListening(view::Dialog& dialog);

 private:
  view::ViewController& views_;
  ViewControllerContext context_;
  Interaction interaction_;
};

}  // namespace events
