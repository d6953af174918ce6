// Reading a tree back against the store, for tests that drive the control through its
// views: the simulated tree natively, the platform's tree under Windows. Any tree is walked
// through the view contract (GetNextItem kRoot/kChild/kNext, GetItem kParam); the simulated
// tree lists its children directly, which keeps the checks of large trees linear.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/store.h"
#include "view/sim/sim_views.h"
#include "view/views.h"

namespace testing_support {

// The direct children of a node (kRootNode: the top level), in tree order.
using ChildLister = std::function<std::vector<view::Node>(view::Node parent)>;
// Children by GetNextItem: kRoot or kChild, then kNext.
ChildLister WalkChildren(const view::TreeView& tree);

// The ID of the item a node shows, or "?" when the tree or the store does not know it.
std::string IdOfNode(const view::TreeView& tree, const model::Store& store, view::Node node);

// The tree as IDs in tree order, children in parentheses: "a(b,c),d".
std::string TreeOutline(const view::TreeView& tree, const model::Store& store, view::Node parent,
                        const ChildLister& children);
inline std::string TreeOutline(const view::TreeView& tree, const model::Store& store,
                               view::Node parent = view::kRootNode) {
  return TreeOutline(tree, store, parent, WalkChildren(tree));
}
inline std::string TreeOutline(const view::sim::SimTreeView& tree, const model::Store& store,
                               view::Node parent = view::kRootNode) {
  return TreeOutline(tree, store, parent, [&tree](view::Node p) { return tree.Children(p); });
}

// Store and tree agree: every node names a live item that knows it as its node, every
// node an item remembers is live and carries the item's Seq, and the store's indexes
// hold. Empty when they agree, else the first disagreement found.
std::string TreeDisagreement(const view::TreeView& tree, const model::Store& store,
                             const ChildLister& children);
inline std::string TreeDisagreement(const view::TreeView& tree, const model::Store& store) {
  return TreeDisagreement(tree, store, WalkChildren(tree));
}
inline std::string TreeDisagreement(const view::sim::SimTreeView& tree, const model::Store& store) {
  return TreeDisagreement(tree, store, [&tree](view::Node p) { return tree.Children(p); });
}

}  // namespace testing_support
