#include "model/properties.h"

#include <utility>

#include "model/store.h"

namespace model {
namespace {

// Works for Item and const Item alike.
template <typename ItemType>
auto TextOf(ItemType& item, TextField field) -> decltype(&item.Tag) {
  switch (field) {
    case TextField::kTag:
      return &item.Tag;
    case TextField::kText:
      return &item.Text;
    case TextField::kHref:
      return &item.Href;
    case TextField::kFrame:
      return &item.Frame;
  }
  return nullptr;
}

std::int32_t Bit(const Item& item, std::uint32_t bit) { return (item.Flags & bit) ? 1 : 0; }

void SetBit(Item& item, std::uint32_t bit, std::int32_t value) {
  if (value != 0) {
    item.Flags |= bit;
  } else {
    item.Flags &= ~bit;
  }
}

}  // namespace

void RefreshItem(Store& store, Seq seq) {
  if (!store.ViewReady()) return;
  if (const Item* item = store.FindItemPtr(seq)) store.Views().RefreshItemNode(*item);
}

std::string GetTextProperty(const Store& store, std::string_view id, TextField field) {
  const Item* item = store.FindItemById(id);
  if (!item) return {};
  return TextOf(*item, field)->str();
}

void PutTextProperty(Store& store, std::string_view id, TextField field, std::string value) {
  Item* item = store.FindItemById(id);
  if (!item) return;
  *TextOf(*item, field) = std::move(value);
  RefreshItem(store, item->Seq());
}

std::int32_t GetNumberProperty(const Store& store, std::string_view id, NumberField field) {
  const Item* item = store.FindItemById(id);
  if (!item) return 0;
  switch (field) {
    case NumberField::kSelect:
      return Bit(*item, kFlagSelect);
    case NumberField::kExpand:
      return Bit(*item, kFlagExpand);
    case NumberField::kBold:
      return Bit(*item, kFlagBold);
    case NumberField::kLevel:
      return item->Level;
    case NumberField::kOpic:
      return item->Opic;
    case NumberField::kCpic:
    case NumberField::kPic:
      return item->Cpic;
    case NumberField::kOverlayPic:
      return item->OverlayPic;
    case NumberField::kItemEnabled:
      return item->ItemEnabled;
    case NumberField::kHasChildren:
      return item->HasChildren;
  }
  return 0;
}

Seq SetNumberProperty(Store& store, std::string_view id, NumberField field, std::int32_t value) {
  Item* item = store.FindItemById(id);
  if (!item) return kNoSeq;
  switch (field) {
    case NumberField::kSelect:
      SetBit(*item, kFlagSelect, value);
      break;
    case NumberField::kExpand:
      SetBit(*item, kFlagExpand, value);
      break;
    case NumberField::kBold:
      SetBit(*item, kFlagBold, value);
      break;
    case NumberField::kLevel:
      item->Level = value;
      break;
    case NumberField::kOpic:
      item->Opic = value;
      break;
    case NumberField::kCpic:
      item->Cpic = value;
      break;
    case NumberField::kPic:
      item->Cpic = item->Opic = value;
      break;
    case NumberField::kOverlayPic:
      item->OverlayPic = value;
      break;
    case NumberField::kItemEnabled:
      item->ItemEnabled = value != 0 ? 1 : 0;
      break;
    case NumberField::kHasChildren:
      item->HasChildren = value != 0 ? 1 : 0;
      break;
  }
  return item->Seq();
}

void PutNumberProperty(Store& store, std::string_view id, NumberField field, std::int32_t value) {
  const Seq seq = SetNumberProperty(store, id, field, value);
  if (seq != kNoSeq) RefreshItem(store, seq);
}

std::string GetParentProperty(const Store& store, std::string_view id) {
  const Item* item = store.FindItemById(id);
  return item ? std::string(item->Parent()) : std::string();
}

void PutParentProperty(Store& store, std::string_view id, std::string parent) {
  const Seq seq = store.FindItem(id);
  if (seq == kNoSeq) return;
  store.SetParent(seq, std::move(parent));
  RefreshItem(store, seq);
}

std::string GetTabProperty(const Store& store, std::string_view id) {
  const Item* item = store.FindItemById(id);
  return item ? store.TabNameAt(item->TabIndex()) : std::string();
}

void PutTabProperty(Store& store, std::string_view id, const std::string& name) {
  const Seq seq = store.FindItem(id);
  if (seq == kNoSeq) return;  // a name is not created for an item that is not there
  store.SetTabIndex(seq, store.GetOrCreateTab(name));
  RefreshItem(store, seq);
}

std::int32_t GetTabPicProperty(const Store& store, std::string_view name) {
  const TabEntry* tab = store.TabEntryAt(store.FindTab(name));
  return tab ? tab->TabPic : 0;
}

void PutTabPicProperty(Store& store, std::string_view name, std::int32_t picture) {
  const std::int32_t index = store.FindTab(name);
  if (index < 0) return;
  store.SetTabPic(index, picture);
  if (store.ViewReady()) store.Views().SetTabPicture(index, picture);
}

}  // namespace model
