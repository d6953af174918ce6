#include "support/tree_check.h"

#include <vector>

namespace testing_support {

namespace {

bool ParamOf(const view::TreeView& tree, view::Node node, std::int64_t& param) {
  view::NodeItem data;
  data.mask = view::node::kParam;
  if (!tree.GetItem(node, data)) return false;
  param = data.param;
  return true;
}

}  // namespace

ChildLister WalkChildren(const view::TreeView& tree) {
  return [&tree](view::Node parent) {
    std::vector<view::Node> children;
    const view::NextCode first =
        parent == view::kRootNode ? view::NextCode::kRoot : view::NextCode::kChild;
    // A chain longer than the tree's count is broken; stop rather than loop.
    const int limit = tree.GetCount();
    for (view::Node n = tree.GetNextItem(parent, first);
         n != view::kNoNode && static_cast<int>(children.size()) <= limit;
         n = tree.GetNextItem(n, view::NextCode::kNext)) {
      children.push_back(n);
    }
    return children;
  };
}

std::string IdOfNode(const view::TreeView& tree, const model::Store& store, view::Node node) {
  std::int64_t param = 0;
  if (!ParamOf(tree, node, param)) return "?";
  const model::Item* item = store.FindItemPtr(static_cast<model::Seq>(param));
  return item != nullptr ? std::string(item->ID()) : "?";
}

std::string TreeOutline(const view::TreeView& tree, const model::Store& store, view::Node parent,
                        const ChildLister& children) {
  std::string out;
  for (view::Node n : children(parent)) {
    if (!out.empty()) out += ',';
    out += IdOfNode(tree, store, n);
    const std::string inner = TreeOutline(tree, store, n, children);
    if (!inner.empty()) out += "(" + inner + ")";
  }
  return out;
}

std::string TreeDisagreement(const view::TreeView& tree, const model::Store& store,
                             const ChildLister& children) {
  if (std::string fault = store.CheckInvariants(); !fault.empty()) return fault;
  std::vector<view::Node> pending = children(view::kRootNode);
  int nodes = 0;
  while (!pending.empty()) {
    const view::Node n = pending.back();
    pending.pop_back();
    // A node reached twice would walk on without end.
    if (++nodes > tree.GetCount()) return "the walk finds more nodes than the tree counts";
    for (view::Node c : children(n)) pending.push_back(c);
    std::int64_t param = 0;
    if (!ParamOf(tree, n, param)) return "node " + std::to_string(n) + " has no item data";
    const model::Item* item = store.FindItemPtr(static_cast<model::Seq>(param));
    if (item == nullptr) return "a node names removed Seq " + std::to_string(param);
    if (item->TreeNode != n) return "item " + std::string(item->ID()) + " does not know its node";
  }
  if (nodes != tree.GetCount()) return "the tree holds nodes outside its walk";
  for (const auto& [seq, item] : store.Items()) {
    if (item.TreeNode == view::kNoNode) continue;
    std::int64_t param = 0;
    if (!ParamOf(tree, item.TreeNode, param)) return std::string(item.ID()) + " keeps a dead node";
    if (param != seq) {
      return std::string(item.ID()) + "'s node carries Seq " + std::to_string(param);
    }
  }
  return "";
}

}  // namespace testing_support
