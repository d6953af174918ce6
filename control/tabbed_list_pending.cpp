// The facade members that belong with the views and events, in their windowless form:
// control-level properties are stored and read back, queries about the views answer as a
// control without a window does, and the item changes do their store part without firing
// events. The view and event layers replace this file.
#include <unordered_set>
#include <vector>

#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"
#include "model/properties.h"
#include "model/store.h"

namespace control {
namespace {

constexpr std::int32_t kTabJustified = 1;
constexpr std::int32_t kTabVertical = 2;
constexpr std::int32_t kTabScrolling = 4;
constexpr std::int32_t kMarked = 2;       // OverlayPic of a marked item
constexpr std::int32_t kNotMarkable = 1;  // overlayDisabled: MarkItem leaves it
constexpr std::int32_t kUnmarked = 0;

// Vertical tabs or several rows rule out scrolling; scrolling rules out justified tabs.
std::int32_t AdjustTabStyle(std::int32_t value, std::int32_t tab_rows) {
  if ((value & kTabVertical) || tab_rows > 1) value &= ~kTabScrolling;
  if (value & kTabScrolling) value &= ~kTabJustified;
  return value;
}

std::int32_t ReadBackBoolean(std::int32_t stored) { return stored != 0 ? -1 : 0; }

void SetOverlay(model::Store& store, model::Item& item, std::int32_t value) {
  item.OverlayPic = value;
  model::RefreshItem(store, item.Seq());
}

// Marks the item and, with `cascade`, its descendants depth first (each before its own
// children). A Parent loop would lead back to an item already handled; each item is
// visited once.
void MarkDown(model::Store& store, model::Seq start, bool selected, bool cascade) {
  std::vector<model::Seq> pending{start};
  std::unordered_set<model::Seq> visited;
  while (!pending.empty()) {
    const model::Seq seq = pending.back();
    pending.pop_back();
    model::Item* item = store.FindItemPtr(seq);
    if (!item || !visited.insert(seq).second) continue;
    if (selected && item->OverlayPic != kNotMarkable) {
      SetOverlay(store, *item, kMarked);
    } else if (!selected && item->OverlayPic == kMarked) {
      SetOverlay(store, *item, kUnmarked);
    }
    if (!cascade) continue;
    std::vector<model::Seq> children;
    for (model::Seq c = store.FindFirstChild(item->ID()); c != model::kNoSeq;
         c = store.FindNextChild(item->ID(), c)) {
      children.push_back(c);
    }
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
}

bool HasMarkedSibling(const model::Store& store, const model::Item& item) {
  for (model::Seq c = store.FindFirstChild(item.Parent()); c != model::kNoSeq;
       c = store.FindNextChild(item.Parent(), c)) {
    const model::Item* sibling = store.FindItemPtr(c);
    if (sibling->ID() != item.ID() && sibling->OverlayPic == kMarked) return true;
  }
  return false;
}

// Marks (or unmarks, while no sibling on the path is marked) the ancestor chain; the
// nodes are refreshed from the top down. An ancestor met twice ends the climb.
void MarkAncestors(model::Store& store, std::string id, bool selected) {
  std::vector<model::Seq> chain;
  std::unordered_set<model::Seq> visited;
  while (!id.empty()) {
    const model::Seq seq = store.FindItem(id);
    if (seq == model::kNoSeq || !visited.insert(seq).second) break;
    model::Item& item = *store.FindItemPtr(seq);
    item.OverlayPic = selected ? kMarked : kUnmarked;
    chain.push_back(seq);
    if (!selected && HasMarkedSibling(store, item)) break;
    id = item.Parent();
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) model::RefreshItem(store, *it);
}

std::string MarkedIdAtOrAfter(model::Store& store, model::Seq seq) {
  for (; seq != model::kNoSeq; seq = store.NextItemAfter(seq)) {
    const model::Item* item = store.FindItemPtr(seq);
    if (item && item->OverlayPic == kMarked) {
      store.SetItemCursor(seq);
      return item->ID();
    }
  }
  store.SetItemCursor(model::kNoSeq);
  return {};
}

}  // namespace

// ---- Stock and appearance properties ---------------------------------------------------------

void TabbedList::PutEnabled(std::int32_t value) { impl_->properties.enabled = value; }
std::int32_t TabbedList::GetEnabled() const { return ReadBackBoolean(impl_->properties.enabled); }
void TabbedList::PutTabStop(std::int32_t value) { impl_->properties.tab_stop = value; }
std::int32_t TabbedList::GetTabStop() const { return ReadBackBoolean(impl_->properties.tab_stop); }
void TabbedList::PutMousePointer(std::int32_t value) { impl_->properties.mouse_pointer = value; }
std::int32_t TabbedList::GetMousePointer() const { return impl_->properties.mouse_pointer; }

std::int32_t TabbedList::GetTabRows() const { return impl_->properties.tab_rows; }
void TabbedList::PutTabRows(std::int32_t value) {
  ControlProperties& p = impl_->properties;
  p.tab_rows = value;
  p.tab_style = AdjustTabStyle(p.tab_style | (value > 1 ? kTabJustified : 0), p.tab_rows);
}
std::int32_t TabbedList::GetMinTabWidth() const { return impl_->properties.min_tab_width; }
void TabbedList::PutMinTabWidth(std::int32_t value) { impl_->properties.min_tab_width = value; }
std::int32_t TabbedList::GetDisplayStyle() const { return impl_->store.DisplayStyle(); }
void TabbedList::PutDisplayStyle(std::int32_t value) { impl_->store.SetDisplayStyle(value); }
std::int32_t TabbedList::GetTabStyle() const { return impl_->properties.tab_style; }
void TabbedList::PutTabStyle(std::int32_t value) {
  impl_->properties.tab_style = AdjustTabStyle(value, impl_->properties.tab_rows);
}
std::int32_t TabbedList::GetTreeStyle() const { return impl_->properties.tree_style; }
void TabbedList::PutTreeStyle(std::int32_t value) { impl_->properties.tree_style = value; }
std::int32_t TabbedList::GetSorted() const { return impl_->properties.sorted; }
void TabbedList::PutSorted(std::int32_t value) { impl_->properties.sorted = value; }
std::int32_t TabbedList::GetHilightSelectedTab() const {
  return impl_->properties.hilight_selected_tab;
}
void TabbedList::PutHilightSelectedTab(std::int32_t value) {
  impl_->properties.hilight_selected_tab = value;
}
std::int32_t TabbedList::GetEnableToolTips() const { return impl_->properties.enable_tool_tips; }
void TabbedList::PutEnableToolTips(std::int32_t value) {
  impl_->properties.enable_tool_tips = value;
}
std::string TabbedList::GetToolTipText() const { return impl_->properties.tool_tip_text; }
void TabbedList::PutToolTipText(const std::string& value) {
  impl_->properties.tool_tip_text = value;
}
std::int32_t TabbedList::GetToolTipDelay() const { return impl_->properties.tool_tip_delay; }
void TabbedList::PutToolTipDelay(std::int32_t value) { impl_->properties.tool_tip_delay = value; }
std::int32_t TabbedList::GetSortCompare() const { return impl_->properties.sort_compare; }
void TabbedList::PutSortCompare(std::int32_t value) { impl_->properties.sort_compare = value; }

std::int32_t TabbedList::GetEventKeyState(std::int32_t virtual_key) const {
  if (virtual_key < 0 || virtual_key > 255) return 0;
  return (impl_->key_state_snapshot[static_cast<std::size_t>(virtual_key)] & 0x80) ? 1 : 0;
}

std::int32_t TabbedList::GetReadyState() const { return impl_->store.ViewReady() ? 1 : 0; }

// ---- Selection and expansion: without views nothing is selected or shown -----------------

std::string TabbedList::GetSelectedTab() const { return {}; }
void TabbedList::PutSelectedTab(const std::string& /*name*/) {}
std::string TabbedList::GetSelectedItem() const { return {}; }
void TabbedList::PutSelectedItem(const std::string& /*id*/) {}
std::string TabbedList::GetFirstVisibleItem() const { return {}; }
void TabbedList::PutFirstVisibleItem(const std::string& /*id*/) {}

// Without a tree no item has loaded children.
std::int32_t TabbedList::GetHasChildren(const std::string& /*id*/) const { return 0; }
void TabbedList::PutHasChildren(const std::string& id, std::int32_t value) {
  model::SetNumberProperty(impl_->store, id, model::NumberField::kHasChildren, value);
}

HResult TabbedList::PutSelect(const std::string& id, std::int32_t value) {
  model::PutNumberProperty(impl_->store, id, model::NumberField::kSelect, value);
  return kOk;
}

void TabbedList::PutExpand(const std::string& id, std::int32_t value) {
  model::PutNumberProperty(impl_->store, id, model::NumberField::kExpand, value);
}

// Without nodes only the named item's Expand bit follows.
void TabbedList::ExpandAll(std::int32_t expand, const std::string& id) {
  if (id.empty()) return;
  model::SetNumberProperty(impl_->store, id, model::NumberField::kExpand, expand);
}

// ---- Multiple selection ----------------------------------------------------------------------

void TabbedList::SelectMultiple(const std::string& id, std::int32_t selected,
                                std::int32_t cascade) {
  model::Store& store = impl_->store;
  if (id.empty()) {
    const std::int32_t target = selected ? kMarked : kUnmarked;
    for (model::Seq seq = store.FirstItem(); seq != model::kNoSeq; seq = store.NextItemAfter(seq)) {
      model::Item& item = *store.FindItemPtr(seq);
      if (item.OverlayPic != target) SetOverlay(store, item, target);
    }
    return;
  }
  const model::Seq seq = store.FindItem(id);
  if (seq == model::kNoSeq) return;
  MarkDown(store, seq, selected != 0, cascade != 0);
  if (cascade) MarkAncestors(store, store.FindItemPtr(seq)->ID(), selected != 0);
}

std::string TabbedList::GetFirstSelectedItem() {
  return MarkedIdAtOrAfter(impl_->store, impl_->store.FirstItem());
}

std::string TabbedList::GetNextSelectedItem() {
  model::Store& store = impl_->store;
  if (store.ItemCursor() == model::kNoSeq) return {};
  return MarkedIdAtOrAfter(store, store.NextItemAfter(store.ItemCursor()));
}

// ---- Clicks: without sinks nothing is fired, and nothing is navigated ---------------------

void TabbedList::FireClick(const std::string& /*id*/) {}
void TabbedList::FireDblClick(const std::string& /*id*/) {}

// ---- Deletion: the store part, without nodes to delete or events to fire -----------------

void TabbedList::DeleteItem(const std::string& id) {
  model::Store& store = impl_->store;
  store.Views().AdjustBusy(+1);
  store.RemoveItem(id);
  store.Views().AdjustBusy(-1);
}

void TabbedList::DeleteChildren(const std::string& parent_id) {
  impl_->store.RemoveChildren(parent_id);
}

void TabbedList::DeleteTab(const std::string& name) {
  model::Store& store = impl_->store;
  store.Views().AdjustBusy(+1);
  store.RemoveTab(name);
  store.Views().AdjustBusy(-1);
}

void TabbedList::DeleteAll() {
  model::Store& store = impl_->store;
  store.Views().AdjustBusy(+1);
  store.RemoveAll();
  store.Views().AdjustBusy(-1);
}

// Without views, a refresh has no layout to do and no tree to rebuild: it only settles
// what was waiting for a rebuild.
HResult TabbedList::Refresh() {
  impl_->store.SetRebuildPending(false);
  return kOk;
}

HResult TabbedList::SetFocus() { return kOk; }

}  // namespace control
