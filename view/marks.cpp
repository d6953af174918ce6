// Multiple selection: an item is marked when its OverlayPic is 2, drawn as the checked
// overlay on its node. Marks cascade down an item's descendants and up its ancestors.
//
// Parent chains may loop (through Parent writes). The walks below are iterative and visit
// each ID's children, and each ancestor, at most once, so a loop ends them instead of
// running forever or exhausting the stack.
#include <unordered_set>
#include <vector>

#include "view/view_controller.h"

namespace view {

namespace {
constexpr std::int32_t kMarked = 2;
constexpr std::int32_t kNotMarkable = 1;  // overlayDisabled
}  // namespace

void ViewController::SelectMultiple(const std::string& id, std::int32_t selected,
                                    std::int32_t cascade) {
  const bool mark = selected != 0;
  if (id.empty()) {
    MarkAll(mark);
    return;
  }
  const model::Seq seq = store_.FindItem(id);
  if (seq == model::kNoSeq) return;
  MarkOne(seq, mark);
  if (cascade != 0) {
    MarkDescendants(id, mark);
    MarkAncestors(id, mark);
  }
}

void ViewController::MarkOne(model::Seq seq, bool selected) {
  model::Item* item = store_.FindItemPtr(seq);
  if (item == nullptr) return;
  if (selected) {
    if (item->OverlayPic == kNotMarkable) return;
    item->OverlayPic = kMarked;
  } else {
    if (item->OverlayPic != kMarked) return;
    item->OverlayPic = 0;
  }
  RefreshItemNode(*item);
}

void ViewController::MarkDescendants(const std::string& id, bool selected) {
  // Depth first, each item before its own children, children in Seq order.
  struct Frame {
    std::string parent;
    model::Seq after = model::kNoSeq;
  };
  std::unordered_set<std::string> expanded{id};
  std::vector<Frame> stack{Frame{id, model::kNoSeq}};
  while (!stack.empty()) {
    const std::size_t top = stack.size() - 1;
    const model::Seq child = store_.FindNextChild(stack[top].parent, stack[top].after);
    if (child == model::kNoSeq) {
      stack.pop_back();
      continue;
    }
    stack[top].after = child;
    MarkOne(child, selected);
    const model::Item* item = store_.FindItemPtr(child);
    if (item != nullptr && expanded.emplace(item->ID()).second) {
      stack.push_back(Frame{std::string(item->ID()), model::kNoSeq});
    }
  }
}

void ViewController::MarkAncestors(const std::string& id, bool selected) {
  std::vector<model::Seq> chain;
  std::unordered_set<model::Seq> seen;
  std::string current = id;
  while (!current.empty()) {
    const model::Seq seq = store_.FindItem(current);
    if (seq == model::kNoSeq || !seen.insert(seq).second) break;
    model::Item* item = store_.FindItemPtr(seq);
    chain.push_back(seq);
    item->OverlayPic = selected ? kMarked : 0;
    if (!selected && HasMarkedSibling(seq)) break;
    current = item->Parent();
  }
  // Ancestors first, the starting item last.
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (const model::Item* item = store_.FindItemPtr(*it)) RefreshItemNode(*item);
  }
}

bool ViewController::HasMarkedSibling(model::Seq seq) const {
  const model::Item* item = store_.FindItemPtr(seq);
  if (item == nullptr) return false;
  for (model::Seq s = store_.FindFirstChild(item->Parent()); s != model::kNoSeq;
       s = store_.FindNextChild(item->Parent(), s)) {
    const model::Item* other = store_.FindItemPtr(s);
    if (other != nullptr && other->OverlayPic == kMarked && other->ID() != item->ID()) return true;
  }
  return false;
}

void ViewController::MarkAll(bool selected) {
  const std::int32_t target = selected ? kMarked : 0;
  for (model::Seq seq = store_.FirstItem(); seq != model::kNoSeq; seq = store_.NextItemAfter(seq)) {
    model::Item* item = store_.FindItemPtr(seq);
    if (item == nullptr || item->OverlayPic == target) continue;
    item->OverlayPic = target;
    RefreshItemNode(*item);
  }
}

std::string ViewController::GetFirstSelectedItem() {
  model::Seq seq = store_.FirstItem();
  while (seq != model::kNoSeq && store_.FindItemPtr(seq)->OverlayPic != kMarked) {
    seq = store_.NextItemAfter(seq);
  }
  store_.SetItemCursor(seq);
  return seq == model::kNoSeq ? std::string() : std::string(store_.FindItemPtr(seq)->ID());
}

std::string ViewController::GetNextSelectedItem() {
  model::Seq seq = store_.ItemCursor();
  if (seq == model::kNoSeq) return {};
  do {
    seq = store_.NextItemAfter(seq);
  } while (seq != model::kNoSeq && store_.FindItemPtr(seq)->OverlayPic != kMarked);
  store_.SetItemCursor(seq);
  return seq == model::kNoSeq ? std::string() : std::string(store_.FindItemPtr(seq)->ID());
}

}  // namespace view
