#include "events/interaction.h"

#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "events/fire.h"

namespace events {
namespace {

// lKeyVal is the key's zero-extended 16-bit code.
std::int32_t KeyValue(int virtual_key) {
  return static_cast<std::int32_t>(static_cast<std::uint16_t>(virtual_key));
}

}  // namespace

std::string ItemInfoText(const model::Item& item) {
  std::string info = "ID:";
  info.append(item.ID())
      .append(", Parent:")
      .append(item.Parent())
      .append(", Tag:")
      .append(item.Tag);
  return info;
}

// ---- Lookups ---------------------------------------------------------------------------

std::optional<model::Seq> Interaction::SeqOfParam(std::int64_t param) const {
  if (param < 0 || param > std::numeric_limits<model::Seq>::max()) return std::nullopt;
  const auto seq = static_cast<model::Seq>(param);
  if (context_.ItemStore().FindItemPtr(seq) == nullptr) return std::nullopt;
  return seq;
}

std::optional<model::Seq> Interaction::SeqOfNode(view::Node node) const {
  view::TreeView* tree = context_.TreeViewView();
  if (node == view::kNoNode || tree == nullptr) return std::nullopt;
  view::NodeItem data;
  data.mask = view::node::kParam;
  if (!tree->GetItem(node, data)) return std::nullopt;
  return SeqOfParam(data.param);
}

std::optional<model::Seq> Interaction::SeqOf(const view::NotifyNode& side) const {
  if (side.node == view::kNoNode) return std::nullopt;
  if (side.has_param) return SeqOfParam(side.param);
  return SeqOfNode(side.node);
}

model::Item* Interaction::ItemAt(std::optional<model::Seq> seq) const {
  return seq ? context_.ItemStore().FindItemPtr(*seq) : nullptr;
}

std::string Interaction::IdOf(const view::NotifyNode& side) const {
  const model::Item* item = ItemAt(SeqOf(side));
  return item ? std::string(item->ID()) : std::string();
}

Interaction::Pointer Interaction::PointerItem() const {
  view::Desktop* desktop = context_.DesktopServices();
  view::TreeView* tree = context_.TreeViewView();
  if (desktop == nullptr || tree == nullptr) return {};
  const view::HitTestResult hit = tree->HitTest(tree->ScreenToClient(desktop->GetMessagePos()));
  return Pointer{hit.node, hit.flags};
}

view::Node Interaction::SelectedNode() const {
  view::TreeView* tree = context_.TreeViewView();
  return tree ? tree->GetNextItem(view::kNoNode, view::NextCode::kCaret) : view::kNoNode;
}

std::string Interaction::SelectedTabName() const {
  view::TabStrip* tabs = context_.TabStripView();
  const int position = tabs ? tabs->GetCurSel() : -1;
  return context_.ItemStore().TabNameAt(position);  // empty for -1
}

void Interaction::TakeSnapshot() {
  TakeKeyStateSnapshot(context_.DesktopServices(), context_.KeyStateSnapshot());
}

bool Interaction::BeginTreeNotification() {
  if (context_.Rebuilding()) return false;
  TakeSnapshot();
  return true;
}

// ---- Automation members ----------------------------------------------------------------

void Interaction::FireClick(const std::string& id) {
  if (context_.Rebuilding()) return;
  const model::Seq seq = context_.ItemStore().FindItem(id);
  if (seq == model::kNoSeq) return;
  ClickItem(seq);
}

void Interaction::FireDblClick(const std::string& id) {
  if (context_.Rebuilding()) return;
  const model::Item* item = context_.ItemStore().FindItemById(id);
  if (item == nullptr || item->ItemEnabled == 0) return;
  FireTreeDblClicked(sinks_, std::string(item->ID()));
}

std::int32_t Interaction::GetEventKeyState(std::int32_t virtual_key) const {
  return EventKeyState(context_.KeyStateSnapshot(), virtual_key);
}

void Interaction::FireExpandWritten(const std::string& passed_id, std::int32_t value) {
  if (value != 0) {
    FireTreeOpening(sinks_, passed_id);
  } else {
    FireTreeClosing(sinks_, passed_id);
  }
}

void Interaction::ClickItem(model::Seq seq) {
  model::Store& store = context_.ItemStore();
  const model::Item* item = store.FindItemPtr(seq);
  if (item == nullptr || item->ItemEnabled == 0) return;
  const std::uint64_t generation = context_.ItemGeneration();
  FireTreeClicked(sinks_, std::string(item->ID()));
  // The handler may have removed the item or changed where it leads; a DeleteAll inside
  // it may even have handed the same Seq to a new item, which is not the one clicked.
  if (context_.ItemGeneration() != generation) return;
  item = store.FindItemPtr(seq);
  if (item == nullptr || item->Href.empty()) return;
  const std::string href = item->Href.str();
  const std::string frame = item->Frame.str();
  NavigateItem(navigator_, href, frame);
}

// ---- Sorting ----------------------------------------------------------------------------

int Interaction::CompareForSort(std::int64_t param1, std::int64_t param2) {
  const model::Item* first = ItemAt(SeqOfParam(param1));
  const model::Item* second = ItemAt(SeqOfParam(param2));
  if (first == nullptr || second == nullptr) return 0;
  std::string id1(first->ID());
  std::string id2(second->ID());
  context_.SetSortCompare(0);
  FireTreeSortCompare(sinks_, id1, id2);
  const std::int32_t verdict = context_.SortCompare();
  return verdict < 0 ? -1 : (verdict > 0 ? 1 : 0);
}

view::CompareFunction Interaction::SortCompareFunction() {
  return [this](std::int64_t a, std::int64_t b) { return CompareForSort(a, b); };
}

bool Interaction::SortChildrenByHost(view::Node parent) {
  view::TreeView* tree = context_.TreeViewView();
  if (tree == nullptr) return false;
  auto parent_alive = [&](view::TreeView* t) {
    if (parent == view::kRootNode) return true;
    view::NodeItem probe;
    probe.mask = view::node::kParam;
    return t->GetItem(parent, probe);
  };
  auto children_params = [&](view::TreeView* t) {
    std::vector<std::int64_t> params;
    view::Node child = parent == view::kRootNode
                           ? t->GetNextItem(view::kNoNode, view::NextCode::kRoot)
                           : t->GetNextItem(parent, view::NextCode::kChild);
    // Bounded by the tree's node count, so a tree that answered in a circle cannot
    // keep this walk going.
    const int limit = t->GetCount();
    while (child != view::kNoNode && static_cast<int>(params.size()) < limit) {
      view::NodeItem data;
      data.mask = view::node::kParam;
      if (!t->GetItem(child, data)) break;
      params.push_back(data.param);
      child = t->GetNextItem(child, view::NextCode::kNext);
    }
    return params;
  };
  if (!parent_alive(tree)) return false;
  std::vector<std::int64_t> order = children_params(tree);
  if (order.size() < 2) return true;

  // Bottom-up merge sort: every comparison is one host event, the host's answers need not
  // be consistent, and the loop bounds do not depend on them. Equal items keep their order.
  const std::uint64_t generation = context_.ItemGeneration();
  std::vector<std::int64_t> buffer(order.size());
  for (std::size_t width = 1; width < order.size(); width *= 2) {
    for (std::size_t left = 0; left < order.size(); left += 2 * width) {
      const std::size_t mid = std::min(left + width, order.size());
      const std::size_t right = std::min(left + 2 * width, order.size());
      std::size_t i = left;
      std::size_t j = mid;
      std::size_t out = left;
      while (i < mid && j < right) {
        buffer[out++] = CompareForSort(order[i], order[j]) <= 0 ? order[i++] : order[j++];
      }
      while (i < mid) buffer[out++] = order[i++];
      while (j < right) buffer[out++] = order[j++];
    }
    order.swap(buffer);
  }

  // The host may have changed anything meanwhile: apply the order to the children as they
  // are now. Children that were not sorted (added by the host) go after the sorted ones,
  // in their present order; children that are gone simply drop out.
  if (context_.ItemGeneration() != generation) return false;
  tree = context_.TreeViewView();
  if (tree == nullptr || !parent_alive(tree)) return false;
  std::unordered_map<std::int64_t, std::int64_t> rank;
  for (std::size_t k = 0; k < order.size(); ++k)
    rank.emplace(order[k], static_cast<std::int64_t>(k));
  const std::vector<std::int64_t> present = children_params(tree);
  for (std::size_t k = 0; k < present.size(); ++k) {
    rank.emplace(present[k], static_cast<std::int64_t>(order.size() + k));
  }
  return tree->SortChildren(parent, [&rank](std::int64_t a, std::int64_t b) {
    auto ra = rank.find(a);
    auto rb = rank.find(b);
    const std::int64_t x = ra == rank.end() ? std::numeric_limits<std::int64_t>::max() : ra->second;
    const std::int64_t y = rb == rank.end() ? std::numeric_limits<std::int64_t>::max() : rb->second;
    return x < y ? -1 : (x > y ? 1 : 0);
  });
}

// ---- Tab strip -----------------------------------------------------------------------

int Interaction::OnTabSelChanging() {
  view::TabStrip* tabs = context_.TabStripView();
  const int position = tabs ? tabs->GetCurSel() : -1;
  // The highlight goes off the tab being left whatever HilightSelectedTab says.
  if (tabs && position >= 0) tabs->HighlightItem(position, 0);
  FireTabChanging(sinks_, std::string(context_.ItemStore().TabNameAt(position)));
  return 0;
}

int Interaction::OnTabSelChange() {
  TakeSnapshot();
  view::TabStrip* tabs = context_.TabStripView();
  const int position = tabs ? tabs->GetCurSel() : -1;
  if (tabs && position >= 0 && context_.HilightSelectedTab() != 0) {
    tabs->HighlightItem(position, 1);
  }
  // The tree shows the new tab before the host hears of it; the rebuild's own selection
  // of the tab's remembered item comes first. What the host asked for from those selection
  // events waits until TabChanged has named the tab that is shown.
  struct Operation {
    InteractionContext& context;
    explicit Operation(InteractionContext& c) : context(c) { context.BeginOperation(); }
    ~Operation() { context.EndOperation(); }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
  } operation(context_);
  context_.ItemStore().Views().RebuildTree(position);
  FireTabChanged(sinks_, std::string(context_.ItemStore().TabNameAt(position)));
  return 0;
}

int Interaction::OnTabRClick() {
  TakeSnapshot();
  // The selected tab, not the one under the pointer, which does not get selected.
  FireTabRClicked(sinks_, SelectedTabName());
  return 0;
}

int Interaction::OnTabKeyDown(int virtual_key) {
  TakeSnapshot();
  FireTabKeyPress(sinks_, SelectedTabName(), KeyValue(virtual_key));
  return 0;
}

// ---- Tree ------------------------------------------------------------------------------

int Interaction::OnSelChanging(const view::TreeNotify& n) {
  if (!BeginTreeNotification()) return 0;
  FireTreeSelChanging(sinks_, IdOf(n.old_node), IdOf(n.new_node), n.action);
  return 0;  // the host cannot stop the change
}

int Interaction::OnSelChanged(const view::TreeNotify& n) {
  if (!BeginTreeNotification()) return 0;
  // The store is updated first, so SelectedItem and Select already agree inside the
  // handler. The bit stays with the item when another tab is shown: each tab remembers
  // its selection for the next rebuild.
  std::string old_id;
  if (model::Item* item = ItemAt(SeqOf(n.old_node))) {
    item->Flags &= ~model::kFlagSelect;
    old_id = item->ID();
  }
  std::string new_id;
  if (model::Item* item = ItemAt(SeqOf(n.new_node))) {
    item->Flags |= model::kFlagSelect;
    new_id = item->ID();
  }
  FireTreeSelChanged(sinks_, old_id, new_id, n.action);
  return 0;
}

int Interaction::OnItemExpanding(const view::TreeNotify& n) {
  if (!BeginTreeNotification()) return 0;
  const model::Item* item = ItemAt(SeqOf(n.new_node));
  if (item == nullptr) return 0;
  const bool opening = (n.action & static_cast<int>(view::ExpandCode::kExpand)) != 0;
  std::string id(item->ID());
  // The wait cursor shows while a host loads the children inside TreeOpening.
  model::ViewRequests& views = context_.ItemStore().Views();
  views.AdjustBusy(+1);
  if (opening) {
    FireTreeOpening(sinks_, id);
  } else {
    FireTreeClosing(sinks_, id);
  }
  context_.ItemStore().Views().AdjustBusy(-1);
  return 0;  // the expansion always goes ahead
}

int Interaction::OnItemExpanded(const view::TreeNotify& n) {
  if (!BeginTreeNotification()) return 0;
  model::Item* item = ItemAt(SeqOf(n.new_node));
  if (item == nullptr) return 0;
  const bool opened = (n.action & static_cast<int>(view::ExpandCode::kExpand)) != 0;
  if (opened) {
    item->Flags |= model::kFlagExpand;
  } else {
    item->Flags &= ~model::kFlagExpand;
  }
  std::string id(item->ID());
  view::NodeItem pictures;
  pictures.mask = view::node::kImage | view::node::kSelectedImage;
  pictures.image = opened ? item->Opic : item->Cpic;
  pictures.selected_image = pictures.image;
  if (view::TreeView* tree = context_.TreeViewView()) tree->SetItem(n.new_node.node, pictures);
  if (opened) {
    FireTreeOpened(sinks_, id);
  } else {
    FireTreeClosed(sinks_, id);
  }
  return 0;
}

int Interaction::OnDeleteItem(const view::TreeNotify& n) {
  // The node is going whatever else happens: the item must not keep its handle, also
  // while Rebuilding and also for nodes removed with an ancestor whose item is not their
  // Parent (after a Parent write), which stay in the store without a node.
  model::Item* item = ItemAt(SeqOf(n.old_node));
  if (item != nullptr && item->TreeNode == n.old_node.node) item->TreeNode = model::kNoNode;
  if (!BeginTreeNotification()) return 0;
  if (item == nullptr) return 0;
  FireTreeItemDeleted(sinks_, std::string(item->ID()));
  return 0;
}

int Interaction::OnKeyDown(int virtual_key) {
  if (!BeginTreeNotification()) return 0;
  const model::Item* item = ItemAt(SeqOfNode(SelectedNode()));
  if (item == nullptr || item->ItemEnabled == 0) return 0;
  // The key is never consumed: it keeps its effect in the tree afterwards.
  FireTreeKeyPress(sinks_, std::string(item->ID()), KeyValue(virtual_key));
  return 0;
}

bool Interaction::OnGetInfoTip(std::int64_t param, std::string& text, int capacity) {
  if (!BeginTreeNotification()) return false;
  const model::Item* item = ItemAt(SeqOfParam(param));
  if (item == nullptr) return false;
  std::string tip;
  if (InfoKeysHeld(context_.KeyStateSnapshot())) {
    tip = ItemInfoText(*item);
  } else if (context_.EnableToolTips() != 0) {
    // ToolTipText is not cleared first: a handler that writes nothing shows the last tip.
    FireTreeGetToolTipText(sinks_, std::string(item->ID()));
    tip = context_.ToolTipText();
  } else {
    return false;  // left to the tree: no text from the control
  }
  // Cut to the buffer, whose capacity includes the terminating zero.
  const std::size_t room = capacity > 0 ? static_cast<std::size_t>(capacity) - 1 : 0;
  if (tip.size() > room) tip.resize(room);
  text = std::move(tip);
  return true;
}

int Interaction::OnSingleExpand(const view::TreeNotify& n) {
  if (!BeginTreeNotification()) return 0;
  FireTreeSingleExpand(sinks_, IdOf(n.old_node), IdOf(n.new_node));
  return 0;  // the tree's own single-expand behaviour stays
}

int Interaction::OnClick() {
  if (!BeginTreeNotification()) return 0;
  const Pointer pointer = PointerItem();
  if (pointer.node == view::kNoNode) {
    FireTreeClicked(sinks_, std::string());
  } else if ((pointer.flags & view::hit::kOnItem) != 0) {
    // Button, indent and the space right of the label find the node but are no click on
    // the item.
    if (auto seq = SeqOfNode(pointer.node)) ClickItem(*seq);
  }
  return 0;
}

int Interaction::OnDblClick() {
  if (!BeginTreeNotification()) return 0;
  const Pointer pointer = PointerItem();
  if (pointer.node == view::kNoNode) {
    FireTreeDblClicked(sinks_, std::string());
  } else if ((pointer.flags & view::hit::kOnItem) != 0) {
    const model::Item* item = ItemAt(SeqOfNode(pointer.node));
    if (item != nullptr && item->ItemEnabled != 0) {
      FireTreeDblClicked(sinks_, std::string(item->ID()));
    }
  }
  return 0;  // the tree's own toggle follows
}

int Interaction::OnReturn() {
  if (!BeginTreeNotification()) return 0;
  if (auto seq = SeqOfNode(SelectedNode())) ClickItem(*seq);
  return 0;
}

int Interaction::OnRClick() {
  if (!BeginTreeNotification()) return 0;
  // Anywhere on a row counts; off the rows the selected node stands in.
  view::Node node = PointerItem().node;
  if (node == view::kNoNode) node = SelectedNode();
  if (node == view::kNoNode) {
    FireTreeRClicked(sinks_, std::string());
    return 0;
  }
  const model::Item* item = ItemAt(SeqOfNode(node));
  if (item == nullptr) return 0;
  if (InfoKeysHeld(context_.KeyStateSnapshot())) {
    // Nothing is reported when the clipboard cannot take the text.
    if (view::Desktop* desktop = context_.DesktopServices()) {
      desktop->SetClipboardText(ItemInfoText(*item));
    }
  } else if (item->ItemEnabled != 0) {
    FireTreeRClicked(sinks_, std::string(item->ID()));
  }
  return 1;  // the tree's own right-click processing is suppressed
}

int Interaction::OnRDblClick() {
  if (!BeginTreeNotification()) return 0;
  const Pointer pointer = PointerItem();
  if (pointer.node != view::kNoNode) {
    if ((pointer.flags & view::hit::kOnItem) == 0) return 0;
    const model::Item* item = ItemAt(SeqOfNode(pointer.node));
    if (item != nullptr && item->ItemEnabled != 0) {
      FireTreeRDblClicked(sinks_, std::string(item->ID()));
    }
  } else if (SelectedNode() == view::kNoNode) {
    FireTreeRDblClicked(sinks_, std::string());
  }
  return 0;
}

int Interaction::OnSetFocus() {
  FireTreeGotFocus(sinks_);
  return 0;
}

int Interaction::OnKillFocus() {
  FireTreeLostFocus(sinks_);
  return 0;
}

}  // namespace events
