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

std::string IdOfNode(const view::TreeView& tree, const model::Store& store, view::Node node) {
  std::int64_t param = 0;
  if (!ParamOf(tree, node, param)) return "?";
  const model::Item* item = store.FindItemPtr(static_cast<model::Seq>(param));
  return item != nullptr ? std::string(item->ID()) : "?";
}

std::string TreeOutline(const view::sim::SimTreeView& tree, const model::Store& store,
                        view::Node parent) {
  std::string out;
  for (view::Node n : tree.Children(parent)) {
    if (!out.empty()) out += ',';
    out += IdOfNode(tree, store, n);
    const std::string inner = TreeOutline(tree, store, n);
    if (!inner.empty()) out += "(" + inner + ")";
  }
  return out;
}

std::string TreeDisagreement(const view::sim::SimTreeView& tree, const model::Store& store) {
  if (std::string fault = store.CheckInvariants(); !fault.empty()) return fault;
  std::vector<view::Node> pending = tree.Children(view::kRootNode);
  int nodes = 0;
  while (!pending.empty()) {
    const view::Node n = pending.back();
    pending.pop_back();
    ++nodes;
    for (view::Node c : tree.Children(n)) pending.push_back(c);
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
