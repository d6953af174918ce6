#include "events/controller_context.h"

#include "events/fire.h"

namespace events {

ControlEvents::ControlEvents(view::ViewController& views)
    : views_(views), context_(views), interaction_(context_) {
  views_.SetCompareFunction(interaction_.SortCompareFunction());
  // The host's comparisons are asked for before the tree is touched, so that nothing a
  // TreeSortCompare handler does can land in the middle of the tree's own sort.
  views_.SetChildSorter(
      [this](view::Node parent) { return interaction_.SortChildrenByHost(parent); });
  views_.SetTabChangedHook(
      [this](const std::string& name) { FireTabChanged(interaction_.Sinks(), name); });
}

ControlEvents::~ControlEvents() {
  views_.SetCompareFunction(nullptr);
  views_.SetChildSorter(nullptr);
  views_.SetTabChangedHook(nullptr);
}

void ControlEvents::Listen(view::Dialog& dialog) {
  if (view::TabStrip* tabs = dialog.TabStripItem()) tabs->SetListener(&interaction_);
  if (view::TreeView* tree = dialog.TreeItem()) tree->SetListener(&interaction_);
}

void ControlEvents::StopListening(view::Dialog& dialog) {
  if (view::TabStrip* tabs = dialog.TabStripItem()) tabs->SetListener(nullptr);
  if (view::TreeView* tree = dialog.TreeItem()) tree->SetListener(nullptr);
}

}  // namespace events
