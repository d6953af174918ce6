// Walks over the items: all items in Seq order on the shared ItemCursor, and the children
// of one parent, which keep no state between calls.
#pragma once

#include <string>
#include <string_view>

#include "model/item.h"

namespace model {

class Store;

// Moves ItemCursor to the first item and answers its ID; empty text when there is none.
std::string GetFirstItem(Store& store);

// Moves ItemCursor one item on and answers its ID; empty text at the end, where the
// cursor stays until GetFirstItem starts a new walk. The cursor holds a Seq, so removing
// the item under it does not lose the place: the walk goes on with the first item after
// that Seq. Removing everything (RemoveAll) puts the cursor at the end.
std::string GetNextItem(Store& store);

// A child walk's answer: the ID found (empty when none) and its Seq (kNoSeq when none).
struct ChildAnswer {
  std::string id;
  Seq seq = kNoSeq;
};

// The first item, over all tabs in Seq order, whose Parent equals `parent_id`.
ChildAnswer GetFirstChild(const Store& store, std::string_view parent_id);

// The next item after the earliest item with ID `prev_child_id` that has a non-empty
// Parent, with that same Parent. A top-level item has no next sibling.
ChildAnswer GetNextChild(const Store& store, std::string_view prev_child_id);

}  // namespace model
