// The facade's view members: control-level properties, selection, expansion, deletion,
// marking and the window. They convert nothing and decide nothing; the rules are the view
// layer's.
#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"

namespace control {

TabbedListImpl::~TabbedListImpl() { DetachWindow(); }

void TabbedListImpl::AttachWindow(view::Dialog* dialog, view::Desktop* desktop) {
  if (dialog_ != nullptr && dialog_ != dialog) DetachWindow();
  dialog_ = dialog;
  if (dialog == nullptr) return;
  events.Listen(*dialog);
  view.OpenWindow(dialog, desktop);
}

void TabbedListImpl::DetachWindow() {
  if (dialog_ == nullptr) return;
  events.StopListening(*dialog_);
  view.CloseWindow();
  dialog_ = nullptr;
}

// ---- Stock and appearance properties ----------------------------------------------------

void TabbedList::PutEnabled(std::int32_t value) {
  impl_->dirty = true;
  impl_->view.PutEnabled(value);
}
std::int32_t TabbedList::GetEnabled() const { return impl_->view.GetEnabled(); }
void TabbedList::PutTabStop(std::int32_t value) {
  impl_->dirty = true;
  impl_->view.PutTabStop(value);
}
std::int32_t TabbedList::GetTabStop() const { return impl_->view.GetTabStop(); }
void TabbedList::PutMousePointer(std::int32_t value) {
  impl_->dirty = true;
  impl_->view.PutMousePointer(value);
}
bool TabbedList::IsDirty() const { return impl_->dirty; }
void TabbedList::SetDirty(bool dirty) { impl_->dirty = dirty; }
std::int32_t TabbedList::GetMousePointer() const { return impl_->view.GetMousePointer(); }

std::int32_t TabbedList::GetTabRows() const { return impl_->view.GetTabRows(); }
void TabbedList::PutTabRows(std::int32_t value) { impl_->view.PutTabRows(value); }
std::int32_t TabbedList::GetMinTabWidth() const { return impl_->view.GetMinTabWidth(); }
void TabbedList::PutMinTabWidth(std::int32_t value) { impl_->view.PutMinTabWidth(value); }
std::int32_t TabbedList::GetDisplayStyle() const { return impl_->view.GetDisplayStyle(); }
void TabbedList::PutDisplayStyle(std::int32_t value) { impl_->view.PutDisplayStyle(value); }
std::int32_t TabbedList::GetTabStyle() const { return impl_->view.GetTabStyle(); }
void TabbedList::PutTabStyle(std::int32_t value) { impl_->view.PutTabStyle(value); }
std::int32_t TabbedList::GetTreeStyle() const { return impl_->view.GetTreeStyle(); }
void TabbedList::PutTreeStyle(std::int32_t value) { impl_->view.PutTreeStyle(value); }
std::int32_t TabbedList::GetSorted() const { return impl_->view.GetSorted(); }
void TabbedList::PutSorted(std::int32_t value) { impl_->view.PutSorted(value); }
std::int32_t TabbedList::GetHilightSelectedTab() const {
  return impl_->view.GetHilightSelectedTab();
}
void TabbedList::PutHilightSelectedTab(std::int32_t value) {
  impl_->view.PutHilightSelectedTab(value);
}
std::int32_t TabbedList::GetEnableToolTips() const { return impl_->view.GetEnableToolTips(); }
void TabbedList::PutEnableToolTips(std::int32_t value) { impl_->view.PutEnableToolTips(value); }
std::string TabbedList::GetToolTipText() const { return impl_->view.GetToolTipText(); }
void TabbedList::PutToolTipText(const std::string& value) { impl_->view.PutToolTipText(value); }
std::int32_t TabbedList::GetToolTipDelay() const { return impl_->view.GetToolTipDelay(); }
void TabbedList::PutToolTipDelay(std::int32_t value) { impl_->view.PutToolTipDelay(value); }
std::int32_t TabbedList::GetSortCompare() const { return impl_->view.GetSortCompare(); }
void TabbedList::PutSortCompare(std::int32_t value) { impl_->view.PutSortCompare(value); }
std::int32_t TabbedList::GetReadyState() const { return impl_->view.GetReadyState(); }

// ---- Selection and expansion ------------------------------------------------------------

std::string TabbedList::GetSelectedTab() const { return impl_->view.GetSelectedTab(); }
void TabbedList::PutSelectedTab(const std::string& name) { impl_->view.PutSelectedTab(name); }
std::string TabbedList::GetSelectedItem() const { return impl_->view.GetSelectedItem(); }
void TabbedList::PutSelectedItem(const std::string& id) { impl_->view.PutSelectedItem(id); }
std::string TabbedList::GetFirstVisibleItem() const { return impl_->view.GetFirstVisibleItem(); }
void TabbedList::PutFirstVisibleItem(const std::string& id) { impl_->view.PutFirstVisibleItem(id); }
std::int32_t TabbedList::GetHasChildren(const std::string& id) const {
  return impl_->view.GetHasChildren(id);
}
void TabbedList::PutHasChildren(const std::string& id, std::int32_t value) {
  impl_->view.PutHasChildren(id, value);
}
// The SelectedItem put it hands over to answers S_OK, so this does too.
HResult TabbedList::PutSelect(const std::string& id, std::int32_t value) {
  impl_->view.PutSelect(id, value);
  return kOk;
}
void TabbedList::ExpandAll(std::int32_t expand, const std::string& id) {
  impl_->view.ExpandAll(expand, id);
}

// ---- Multiple selection -------------------------------------------------------------------

void TabbedList::SelectMultiple(const std::string& id, std::int32_t selected,
                                std::int32_t cascade) {
  impl_->view.SelectMultiple(id, selected, cascade);
}
std::string TabbedList::GetFirstSelectedItem() { return impl_->view.GetFirstSelectedItem(); }
std::string TabbedList::GetNextSelectedItem() { return impl_->view.GetNextSelectedItem(); }

// ---- Deletion, refresh, focus ---------------------------------------------------------------

void TabbedList::DeleteItem(const std::string& id) { impl_->view.DeleteItem(id); }
void TabbedList::DeleteChildren(const std::string& parent_id) {
  impl_->view.DeleteChildren(parent_id);
}
void TabbedList::DeleteTab(const std::string& name) { impl_->view.DeleteTab(name); }
void TabbedList::DeleteAll() { impl_->view.DeleteAll(); }

HResult TabbedList::Refresh() {
  impl_->view.Refresh();
  return kOk;
}

HResult TabbedList::SetFocus() {
  impl_->view.SetFocus();
  return kOk;
}

}  // namespace control
