// The facade's item members: they convert nothing and decide nothing, but forward to the
// item model. The members that need views or events are in tabbed_list_pending.cpp.
#include "control/tabbed_list.h"

#include "control/tabbed_list_impl.h"
#include "model/iterators.h"
#include "model/properties.h"
#include "model/record.h"

namespace control {

using model::NumberField;
using model::TextField;

TabbedList::TabbedList() : impl_(std::make_unique<TabbedListImpl>()) {}
TabbedList::~TabbedList() = default;

// ---- Counts and the record format -----------------------------------------------------------

std::int32_t TabbedList::GetItemCount() const { return impl_->store.ItemCount(); }
std::int32_t TabbedList::GetTabCount() const { return impl_->store.TabCount(); }
std::int32_t TabbedList::GetPictureCount() const { return model::kPictureCount; }
std::int32_t TabbedList::GetOverlayPictureCount() const { return model::kOverlayPictureCount; }
std::int32_t TabbedList::GetDelimiter() const { return impl_->store.Delimiter(); }
void TabbedList::PutDelimiter(std::int32_t value) { impl_->store.SetDelimiter(value); }

std::int32_t TabbedList::GetItemExists(const std::string& id) const {
  return impl_->store.FindItem(id) != model::kNoSeq ? 1 : 0;
}
std::int32_t TabbedList::GetTabExists(const std::string& name) const {
  return impl_->store.FindTab(name) >= 0 ? 1 : 0;
}

void TabbedList::AddItem(const std::string& record) { model::AddItem(impl_->store, record); }
void TabbedList::AddItemList(const std::string& records) {
  model::AddItemList(impl_->store, records);
}
std::string TabbedList::GetItemString(const std::string& id) const {
  return model::ItemString(impl_->store, id);
}

// The persisted item list: writes add records, reads give nothing back.
void TabbedList::PutCL(std::int32_t /*index*/, const std::string& record) { AddItem(record); }
std::string TabbedList::GetCL(std::int32_t /*index*/) const { return {}; }
void TabbedList::PutCL0(const std::string& record) { AddItem(record); }
std::string TabbedList::GetCL0() const { return {}; }

// ---- Iterators -------------------------------------------------------------------------------

std::string TabbedList::GetFirstItem() { return model::GetFirstItem(impl_->store); }
std::string TabbedList::GetNextItem() { return model::GetNextItem(impl_->store); }

TextResult TabbedList::GetFirstChild(const std::string& parent_id) const {
  model::ChildAnswer found = model::GetFirstChild(impl_->store, parent_id);
  return TextResult{std::move(found.id), found.seq == model::kNoSeq ? kOk : found.seq};
}

TextResult TabbedList::GetNextChild(const std::string& prev_child_id) const {
  model::ChildAnswer found = model::GetNextChild(impl_->store, prev_child_id);
  return TextResult{std::move(found.id), found.seq == model::kNoSeq ? kOk : found.seq};
}

// ---- Per-item properties ---------------------------------------------------------------------

std::string TabbedList::GetTag(const std::string& id) const {
  return model::GetTextProperty(impl_->store, id, TextField::kTag);
}
void TabbedList::PutTag(const std::string& id, const std::string& value) {
  model::PutTextProperty(impl_->store, id, TextField::kTag, value);
}
std::string TabbedList::GetText(const std::string& id) const {
  return model::GetTextProperty(impl_->store, id, TextField::kText);
}
void TabbedList::PutText(const std::string& id, const std::string& value) {
  model::PutTextProperty(impl_->store, id, TextField::kText, value);
}
std::string TabbedList::GetHref(const std::string& id) const {
  return model::GetTextProperty(impl_->store, id, TextField::kHref);
}
void TabbedList::PutHref(const std::string& id, const std::string& value) {
  model::PutTextProperty(impl_->store, id, TextField::kHref, value);
}
std::string TabbedList::GetFrame(const std::string& id) const {
  return model::GetTextProperty(impl_->store, id, TextField::kFrame);
}
void TabbedList::PutFrame(const std::string& id, const std::string& value) {
  model::PutTextProperty(impl_->store, id, TextField::kFrame, value);
}
std::string TabbedList::GetParent(const std::string& id) const {
  return model::GetParentProperty(impl_->store, id);
}
void TabbedList::PutParent(const std::string& id, const std::string& value) {
  model::PutParentProperty(impl_->store, id, value);
}
std::string TabbedList::GetTab(const std::string& id) const {
  return model::GetTabProperty(impl_->store, id);
}
void TabbedList::PutTab(const std::string& id, const std::string& name) {
  model::PutTabProperty(impl_->store, id, name);
}

std::int32_t TabbedList::GetSelect(const std::string& id) const {
  return model::GetNumberProperty(impl_->store, id, NumberField::kSelect);
}
std::int32_t TabbedList::GetExpand(const std::string& id) const {
  return model::GetNumberProperty(impl_->store, id, NumberField::kExpand);
}
std::int32_t TabbedList::GetBold(const std::string& id) const {
  return model::GetNumberProperty(impl_->store, id, NumberField::kBold);
}
void TabbedList::PutBold(const std::string& id, std::int32_t value) {
  model::PutNumberProperty(impl_->store, id, NumberField::kBold, value);
}
std::int32_t TabbedList::GetLevel(const std::string& id) const {
  return model::GetNumberProperty(impl_->store, id, NumberField::kLevel);
}
void TabbedList::PutLevel(const std::string& id, std::int32_t value) {
  model::PutNumberProperty(impl_->store, id, NumberField::kLevel, value);
}
std::int32_t TabbedList::GetOpic(const std::string& id) const {
  return model::GetNumberProperty(impl_->store, id, NumberField::kOpic);
}
void TabbedList::PutOpic(const std::string& id, std::int32_t value) {
  model::PutNumberProperty(impl_->store, id, NumberField::kOpic, value);
}
std::int32_t TabbedList::GetCpic(const std::string& id) const {
  return model::GetNumberProperty(impl_->store, id, NumberField::kCpic);
}
void TabbedList::PutCpic(const std::string& id, std::int32_t value) {
  model::PutNumberProperty(impl_->store, id, NumberField::kCpic, value);
}
std::int32_t TabbedList::GetPic(const std::string& id) const {
  return model::GetNumberProperty(impl_->store, id, NumberField::kPic);
}
void TabbedList::PutPic(const std::string& id, std::int32_t value) {
  model::PutNumberProperty(impl_->store, id, NumberField::kPic, value);
}
std::int32_t TabbedList::GetOverlayPic(const std::string& id) const {
  return model::GetNumberProperty(impl_->store, id, NumberField::kOverlayPic);
}
void TabbedList::PutOverlayPic(const std::string& id, std::int32_t value) {
  model::PutNumberProperty(impl_->store, id, NumberField::kOverlayPic, value);
}
std::int32_t TabbedList::GetItemEnabled(const std::string& id) const {
  return model::GetNumberProperty(impl_->store, id, NumberField::kItemEnabled);
}
void TabbedList::PutItemEnabled(const std::string& id, std::int32_t value) {
  model::PutNumberProperty(impl_->store, id, NumberField::kItemEnabled, value);
}

std::int32_t TabbedList::GetTabPic(const std::string& name) const {
  return model::GetTabPicProperty(impl_->store, name);
}
void TabbedList::PutTabPic(const std::string& name, std::int32_t value) {
  model::PutTabPicProperty(impl_->store, name, value);
}

}  // namespace control
