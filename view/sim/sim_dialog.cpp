#include "view/sim/sim_views.h"

namespace view::sim {

SimDialog::SimDialog(SimDesktop& desktop, DialogOptions options) : desktop_(desktop) {
  if (options.with_tab_strip) tabs_ = std::make_unique<SimTabStrip>(*this);
  if (options.with_tree) tree_ = std::make_unique<SimTreeView>(*this);
}

SimDialog::~SimDialog() = default;

void SimDialog::MoveFocus(int id) {
  if (id == kTabStripId && !tabs_) return;
  if (id == kTreeId && !tree_) return;
  if (focused_ == id) return;
  int previous = focused_;
  focused_ = id;
  // Kill-focus goes to the old window before set-focus reaches the new one; a listener
  // that moves the focus elsewhere meanwhile wins.
  if (previous == kTreeId) tree_->SendKillFocus();
  if (focused_ != id) return;
  if (id == kTreeId) tree_->SendSetFocus();
}

}  // namespace view::sim
