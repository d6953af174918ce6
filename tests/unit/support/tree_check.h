// Reading a simulated tree back against the store, for tests that drive the control
// through its views.
#pragma once

#include <string>

#include "model/store.h"
#include "view/sim/sim_views.h"

namespace testing_support {

// The ID of the item a node shows, or "?" when the tree or the store does not know it.
std::string IdOfNode(const view::TreeView& tree, const model::Store& store, view::Node node);

// The tree as IDs in tree order, children in parentheses: "a(b,c),d".
std::string TreeOutline(const view::sim::SimTreeView& tree, const model::Store& store,
                        view::Node parent = view::kRootNode);

// Store and tree agree: every node names a live item that knows it as its node, every
// node an item remembers is live and carries the item's Seq, and the store's indexes
// hold. Empty when they agree, else the first disagreement found.
std::string TreeDisagreement(const view::sim::SimTreeView& tree, const model::Store& store);

}  // namespace testing_support
