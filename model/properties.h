// Per-item properties: one field of the earliest item with an ID (or of a tab, by name),
// read or written. An ID that no item has reads as empty text or 0 and changes nothing.
// Puts store values unbounded (records bound pictures and levels, puts do not) and then
// ask the views to show the item's new state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/item.h"

namespace model {

class Store;

enum class TextField { kTag, kText, kHref, kFrame };

enum class NumberField {
  kSelect,       // Flags bit 2, read as 0 or 1
  kExpand,       // Flags bit 32, read as 0 or 1
  kBold,         // Flags bit 16, read as 0 or 1
  kLevel,        // stored as given; Parent does not follow
  kOpic,         // open picture
  kCpic,         // closed picture
  kPic,          // reads Cpic, writes Cpic and Opic
  kOverlayPic,   // overlay picture (2 is also the mark of multiple selection)
  kItemEnabled,  // 0 or 1
  kHasChildren,  // the stored flag (show an expand button without children), 0 or 1
};

std::string GetTextProperty(const Store& store, std::string_view id, TextField field);
void PutTextProperty(Store& store, std::string_view id, TextField field, std::string value);

std::int32_t GetNumberProperty(const Store& store, std::string_view id, NumberField field);
// Changes the field without asking the views; answers the item's Seq, or kNoSeq when no
// item has the ID. For callers that do more between the change and the refresh.
Seq SetNumberProperty(Store& store, std::string_view id, NumberField field, std::int32_t value);
// SetNumberProperty, then RefreshItem.
void PutNumberProperty(Store& store, std::string_view id, NumberField field, std::int32_t value);

std::string GetParentProperty(const Store& store, std::string_view id);
// Sets Parent only: Level is not derived again and the node is not moved.
void PutParentProperty(Store& store, std::string_view id, std::string parent);

// The name of the item's tab, or empty text.
std::string GetTabProperty(const Store& store, std::string_view id);
// Moves the item to the named tab in the store, creating the tab when it is new; the node
// stays where it is until the next rebuild.
void PutTabProperty(Store& store, std::string_view id, const std::string& name);

// The picture of the named tab; 0 when no tab has the name.
std::int32_t GetTabPicProperty(const Store& store, std::string_view name);
// Stores the tab's picture and shows it on the tab strip, whatever the value.
void PutTabPicProperty(Store& store, std::string_view name, std::int32_t picture);

// Asks the views to show the item's current state, once they exist.
void RefreshItem(Store& store, Seq seq);

}  // namespace model
