// What the item model asks of the views. The view layer implements this; the model only
// calls it, so the model never depends on view/.
#pragma once

#include <cstdint>
#include <string>

#include "model/item.h"

namespace model {

class ViewRequests {
 public:
  virtual ~ViewRequests() = default;
  // Put a tab strip entry for a new tab at `index` (text = name, item data = index).
  virtual void InsertTabEntry(std::int32_t index, const std::string& name) = 0;
  // Show `picture` on the tab strip entry at `index`; an index without an entry is
  // left alone by the view.
  virtual void SetTabPicture(std::int32_t index, std::int32_t picture) = 0;
  // Put the item's node into the tree and record its handle in item.TreeNode. The item
  // is already in ItemMap; a view that fires events while inserting must find the item
  // again by Seq afterwards, since a handler may have removed it.
  virtual void InsertItemNode(Item& item) = 0;
  // Send the item's current text, pictures and state to its node, if it has one.
  virtual void RefreshItemNode(const Item& item) = 0;
  // Show tab `index`: set CurrentTab, empty the tree and insert that tab's items.
  virtual void RebuildTree(std::int32_t index) = 0;
  // Busy depth: the wait cursor is shown while it is positive. The view clamps the
  // depth at 0, so an unmatched -1 (an END record inside AddItemList) is harmless.
  virtual void AdjustBusy(std::int32_t delta) = 0;
  // Brackets a run of requests that may change many nodes (nested), so that the views can
  // draw once at the end instead of after each one. Nothing else may differ inside.
  virtual void BeginBulk() {}
  virtual void EndBulk() {}
};

// Keeps the busy depth of `views` raised for its lifetime.
class BusySection {
 public:
  explicit BusySection(ViewRequests& views) : views_(views) { views_.AdjustBusy(+1); }
  ~BusySection() { views_.AdjustBusy(-1); }
  BusySection(const BusySection&) = delete;
  BusySection& operator=(const BusySection&) = delete;

 private:
  ViewRequests& views_;
};

// Holds a bulk bracket of `views` open for its lifetime.
class BulkSection {
 public:
  explicit BulkSection(ViewRequests& views) : views_(views) { views_.BeginBulk(); }
  ~BulkSection() { views_.EndBulk(); }
  BulkSection(const BulkSection&) = delete;
  BulkSection& operator=(const BulkSection&) = delete;

 private:
  ViewRequests& views_;
};

}  // namespace model
