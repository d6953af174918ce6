// Selection, expansion and deletion: what the host can make the views show and remove.
#include <climits>
#include <vector>

#include "view/view_controller.h"

namespace view {

std::string ViewController::IdOfNode(Node node) const {
  if (tree_ == nullptr || node == kNoNode) return {};
  NodeItem n;
  n.mask = node::kParam;
  if (!tree_->GetItem(node, n)) return {};
  if (n.param < INT32_MIN || n.param > INT32_MAX) return {};
  const model::Item* item = store_.FindItemPtr(static_cast<model::Seq>(n.param));
  return item != nullptr ? std::string(item->ID()) : std::string();
}

// ---- Tabs ---------------------------------------------------------------------------------

std::string ViewController::GetSelectedTab() const {
  const int position = SelectedPosition();
  if (position < 0) return {};
  std::int64_t index = 0;
  if (!tabs_->GetItemParam(position, index)) return {};
  if (index < 0 || index > INT32_MAX) return {};
  return store_.TabNameAt(static_cast<std::int32_t>(index));
}

void ViewController::PutSelectedTab(const std::string& name) {
  if (Defer([this, name] { PutSelectedTab(name); })) return;
  OpScope op(*this);
  const std::int32_t index = store_.FindTab(name);
  if (index < 0) return;
  const int before = SelectedPosition();
  if (hilight_selected_tab_ != 0 && tabs_ != nullptr) tabs_->HighlightItem(before, 0);
  RebuildTree(index);
  const int after = SelectedPosition();
  if (hilight_selected_tab_ != 0 && tabs_ != nullptr) {
    tabs_->HighlightItem(after, static_cast<std::uint16_t>(hilight_selected_tab_));
  }
  if (after != before && tab_changed_) tab_changed_(name);
}

// ---- Items --------------------------------------------------------------------------------

std::string ViewController::GetSelectedItem() const {
  if (tree_ == nullptr) return {};
  return IdOfNode(tree_->GetNextItem(kNoNode, NextCode::kCaret));
}

std::string ViewController::GetFirstVisibleItem() const {
  if (tree_ == nullptr) return {};
  return IdOfNode(tree_->GetNextItem(kNoNode, NextCode::kFirstVisible));
}

void ViewController::PutSelectedItem(const std::string& id) {
  if (Defer([this, id] { PutSelectedItem(id); })) return;
  OpScope op(*this);
  const model::Seq seq = store_.FindItem(id);
  if (seq == model::kNoSeq) {
    SelectNode(kNoNode);
    return;
  }
  const std::int32_t tab = store_.FindItemPtr(seq)->TabIndex();
  if (SelectedPosition() != tab) RebuildTree(tab);
  const Node node = LiveNodeOf(seq);
  SelectNode(node);
  // The selection's handlers may have removed the node.
  if (node != kNoNode && NodeAlive(node) && tree_ != nullptr) {
    TreeCall call(*this, CallKind::kOther);
    tree_->EnsureVisible(node);
  }
}

void ViewController::PutFirstVisibleItem(const std::string& id) {
  if (Defer([this, id] { PutFirstVisibleItem(id); })) return;
  OpScope op(*this);
  const model::Seq seq = store_.FindItem(id);
  if (seq == model::kNoSeq) return;
  const std::int32_t tab = store_.FindItemPtr(seq)->TabIndex();
  if (SelectedPosition() != tab) RebuildTree(tab);
  const Node node = LiveNodeOf(seq);
  if (node == kNoNode || tree_ == nullptr) return;
  TreeCall call(*this, CallKind::kOther);
  tree_->SelectItem(SelectCode::kFirstVisible, node);
}

std::int32_t ViewController::GetHasChildren(const std::string& id) const {
  const model::Item* item = store_.FindItemById(id);
  if (item == nullptr || tree_ == nullptr || item->TabIndex() != SelectedPosition()) return 0;
  if (ShownNode(*item) == kNoNode) return 0;
  return tree_->GetNextItem(item->TreeNode, NextCode::kChild) != kNoNode ? 1 : 0;
}

void ViewController::PutHasChildren(const std::string& id, std::int32_t value) {
  model::Item* item = store_.FindItemById(id);
  if (item == nullptr) return;
  item->HasChildren = value != 0 ? 1 : 0;
  if (tree_ == nullptr || item->TabIndex() != SelectedPosition() || ShownNode(*item) == kNoNode) {
    return;
  }
  NodeItem n;
  n.mask = node::kChildren;
  n.children = item->HasChildren;
  tree_->SetItem(item->TreeNode, n);
}

void ViewController::PutSelect(const std::string& id, std::int32_t value) {
  model::Item* item = store_.FindItemById(id);
  if (item == nullptr) return;
  const bool was_selected = (item->Flags & model::kFlagSelect) != 0;
  if (value != 0) {
    item->Flags |= model::kFlagSelect;
  } else {
    item->Flags &= ~model::kFlagSelect;
  }
  RefreshItemNode(*item);
  if (value != 0) {
    PutSelectedItem(id);
  } else if (was_selected) {
    PutSelectedItem(std::string());
  }
}

// ---- Expansion ------------------------------------------------------------------------------

void ViewController::SetExpandBit(model::Seq seq, bool expand) {
  model::Item* item = store_.FindItemPtr(seq);
  if (item == nullptr) return;
  if (expand) {
    item->Flags |= model::kFlagExpand;
  } else {
    item->Flags &= ~model::kFlagExpand;
  }
}

Node ViewController::NodeAfterSubtree(Node node) const {
  for (Node n = node; n != kNoNode; n = tree_->GetNextItem(n, NextCode::kParent)) {
    const Node next = tree_->GetNextItem(n, NextCode::kNext);
    if (next != kNoNode) return next;
  }
  return kNoNode;
}

void ViewController::ExpandAll(std::int32_t expand, const std::string& id) {
  if (Defer([this, expand, id] { ExpandAll(expand, id); })) return;
  OpScope op(*this);
  model::BulkSection bulk(*this);
  const bool opening = expand != 0;
  const ExpandCode code = opening ? ExpandCode::kExpand : ExpandCode::kCollapse;
  Node start = kNoNode;
  Node end = kNoNode;
  if (id.empty()) {
    if (tree_ == nullptr) return;
    start = tree_->GetNextItem(kNoNode, NextCode::kRoot);
  } else {
    const model::Seq seq = store_.FindItem(id);
    if (seq == model::kNoSeq) return;
    const Node node = LiveNodeOf(seq);
    if (node != kNoNode) ExpandNode(node, code);
    SetExpandBit(seq, opening);
    // Insertions from the expansion's handlers keep the node; removals are queued.
    if (node == kNoNode || !NodeAlive(node) || tree_ == nullptr) return;
    end = NodeAfterSubtree(node);
    start = tree_->GetNextItem(node, NextCode::kChild);
  }
  // A node before its children, children before the next sibling. Nodes are only ever
  // added while the walk runs (removals wait for it), so every node it holds stays valid.
  Node current = start;
  while (current != kNoNode && current != end && tree_ != nullptr) {
    NodeItem n;
    n.mask = node::kParam | node::kChildren;
    if (!NodeAlive(current) || !tree_->GetItem(current, n)) break;
    if (n.children != 0) {
      ExpandNode(current, code);
      if (n.param >= 0 && n.param <= INT32_MAX) {
        SetExpandBit(static_cast<model::Seq>(n.param), opening);
      }
      const Node child = tree_->GetNextItem(current, NextCode::kChild);
      if (child != kNoNode) {
        current = child;
        continue;
      }
    }
    current = NodeAfterSubtree(current);
  }
}

// ---- Deletion ----------------------------------------------------------------------------

void ViewController::DeleteItem(const std::string& id) {
  if (Defer([this, id] { DeleteItem(id); })) return;
  OpScope op(*this);
  model::BulkSection bulk(*this);
  AdjustBusy(+1);
  // The node goes while its item is still in the store, so that the tree's deletion report
  // can name the item; the store erases it right after.
  store_.RemoveItem(id, [this](const model::Item& item) { RemoveNodeOf(item.Seq()); });
  AdjustBusy(-1);
}

void ViewController::DeleteChildren(const std::string& parent_id) {
  if (Defer([this, parent_id] { DeleteChildren(parent_id); })) return;
  OpScope op(*this);
  model::BulkSection bulk(*this);
  AdjustBusy(+1);
  store_.RemoveChildren(parent_id, [this](const model::Item& item) { RemoveNodeOf(item.Seq()); });
  AdjustBusy(-1);
}

void ViewController::DeleteTab(const std::string& name) {
  if (Defer([this, name] { DeleteTab(name); })) return;
  OpScope op(*this);
  model::BulkSection bulk(*this);
  AdjustBusy(+1);
  const std::int32_t index = store_.FindTab(name);
  if (index >= 0) {
    const int selected = SelectedPosition();
    if (tabs_ != nullptr) tabs_->DeleteItem(index);
    // Items of the tab that are shown all the same (moved there by a Tab write while their
    // node stayed): their nodes must not outlive them.
    bool shown_items_erased = false;
    if (const model::Store::SeqSet* seqs = store_.SeqsOfTab(index)) {
      for (model::Seq seq : *seqs) {
        if (LiveNodeOf(seq) != kNoNode) {
          shown_items_erased = true;
          break;
        }
      }
    }
    store_.RemoveTab(name);
    if (tabs_ != nullptr) {
      for (int position = 0; position < tabs_->GetItemCount(); ++position) {
        std::int64_t param = 0;
        if (tabs_->GetItemParam(position, param) && param > index) {
          tabs_->SetItemParam(position, param - 1);
        }
      }
    }
    if (index == selected || shown_items_erased) {
      // A rebuild for the strip's selection even when that is still CurrentTab.
      store_.SetRebuildPending(true);
      Refresh();
    }
  }
  AdjustBusy(-1);
}

void ViewController::DeleteAll() {
  if (Defer([this] { DeleteAll(); })) return;
  OpScope op(*this);
  model::BulkSection bulk(*this);
  AdjustBusy(+1);
  rebuilding_ = true;
  if (tabs_ != nullptr) tabs_->DeleteAllItems();
  ClearTree();
  store_.RemoveAll();
  ++item_generation_;
  Refresh();
  rebuilding_ = false;
  AdjustBusy(-1);
}

}  // namespace view
