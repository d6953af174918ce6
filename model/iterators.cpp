#include "model/iterators.h"

#include "model/store.h"

namespace model {
namespace {

std::string IdAt(const Store& store, Seq seq) {
  const Item* item = store.FindItemPtr(seq);
  return item ? std::string(item->ID()) : std::string();
}

ChildAnswer AnswerFor(const Store& store, Seq seq) {
  if (seq == kNoSeq) return {};
  return ChildAnswer{IdAt(store, seq), seq};
}

}  // namespace

std::string GetFirstItem(Store& store) {
  store.SetItemCursor(store.FirstItem());
  return IdAt(store, store.ItemCursor());
}

std::string GetNextItem(Store& store) {
  if (store.ItemCursor() == kNoSeq) return {};
  store.SetItemCursor(store.NextItemAfter(store.ItemCursor()));
  return IdAt(store, store.ItemCursor());
}

ChildAnswer GetFirstChild(const Store& store, std::string_view parent_id) {
  return AnswerFor(store, store.FindFirstChild(parent_id));
}

ChildAnswer GetNextChild(const Store& store, std::string_view prev_child_id) {
  // Items with the ID are passed over while they are top level: the sibling walk starts at
  // the first of them that has a parent.
  for (Seq seq = store.FindItem(prev_child_id); seq != kNoSeq;
       seq = store.FindNextWithId(prev_child_id, seq)) {
    const Item* item = store.FindItemPtr(seq);
    if (!item->Parent().empty()) return AnswerFor(store, store.FindNextChild(item->Parent(), seq));
  }
  return {};
}

}  // namespace model
