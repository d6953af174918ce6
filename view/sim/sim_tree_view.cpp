#include <algorithm>
#include <set>
#include <utility>

#include "view/sim/sim_views.h"

namespace view::sim {
namespace {

constexpr int kIndent = 16;
constexpr int kButtonWidth = 16;
constexpr int kIconWidth = 16;
constexpr int kByteWidth = 8;

unsigned char Fold(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Byte order after folding ASCII letters, the sim's stand-in for the platform's
// case-insensitive collation.
int CompareFolded(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (Fold(a[i]) != Fold(b[i])) return Fold(a[i]) < Fold(b[i]) ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int LabelWidth(const std::string& text) {
  return std::max(kByteWidth, kByteWidth * static_cast<int>(text.size()));
}

bool IsRoot(Node node) { return node == kRootNode || node == kNoNode; }

}  // namespace

SimTreeView::SimTreeView(SimDialog& dialog)
    : SimWindow<TreeView>(dialog, SimDialog::kTreeId, kTreeTemplateStyle) {}

// ---- Lookup -----------------------------------------------------------------------------

const SimTreeView::NodeData* SimTreeView::Find(Node node) const {
  if (IsRoot(node)) return nullptr;
  auto it = nodes_.find(node);
  return it == nodes_.end() ? nullptr : &it->second;
}

SimTreeView::NodeData* SimTreeView::Find(Node node) {
  return const_cast<NodeData*>(static_cast<const SimTreeView*>(this)->Find(node));
}

const std::vector<Node>* SimTreeView::ChildList(Node parent) const {
  if (IsRoot(parent)) return &roots_;
  const NodeData* d = Find(parent);
  return d == nullptr ? nullptr : &d->children;
}

std::vector<Node>* SimTreeView::ChildList(Node parent) {
  return const_cast<std::vector<Node>*>(static_cast<const SimTreeView*>(this)->ChildList(parent));
}

bool SimTreeView::HasButton(const NodeData& d) const {
  return !d.children.empty() || d.indicator.value_or(0) != 0;
}

bool SimTreeView::IsAncestor(Node ancestor, Node node) const {
  for (const NodeData* d = Find(node); d != nullptr; d = Find(d->parent)) {
    if (d->parent == ancestor) return true;
  }
  return false;
}

int SimTreeView::Depth(Node node) const {
  const NodeData* d = Find(node);
  if (d == nullptr) return -1;
  int depth = 0;
  for (d = Find(d->parent); d != nullptr; d = Find(d->parent)) ++depth;
  return depth;
}

std::vector<Node> SimTreeView::Children(Node parent) const {
  const std::vector<Node>* list = ChildList(parent);
  return list == nullptr ? std::vector<Node>{} : *list;
}

NotifyNode SimTreeView::Describe(Node node) const {
  NotifyNode n;
  const NodeData* d = Find(node);
  if (d == nullptr) return n;
  n.node = node;
  n.state = d->state;
  if (notify_param_) {
    n.has_param = true;
    n.param = d->param;
  }
  return n;
}

// ---- Items ------------------------------------------------------------------------------

void SimTreeView::ApplyItem(NodeData& d, const NodeItem& item) {
  if (item.mask & node::kText) d.text = item.text;
  if (item.mask & node::kImage) d.image = item.image;
  if (item.mask & node::kSelectedImage) d.selected_image = item.selected_image;
  if (item.mask & node::kParam) d.param = item.param;
  if (item.mask & node::kState) {
    std::uint32_t writable = item.state_mask & ~node::kStateSelected;
    d.state = (d.state & ~writable) | (item.state & writable);
  }
  if (item.mask & node::kChildren) d.indicator = item.children;
}

Node SimTreeView::InsertItem(Node parent, InsertAt where, const NodeItem& item) {
  if (!IsRoot(parent)) {
    const NodeData* p = Find(parent);
    if (p == nullptr || p->dying) return kNoNode;
  }
  std::vector<Node>* siblings = ChildList(parent);
  NodeData d;
  d.parent = IsRoot(parent) ? kRootNode : parent;
  ApplyItem(d, item);
  auto position = siblings->end();
  if (where == InsertAt::kSort) {
    position = std::find_if(siblings->begin(), siblings->end(), [&](Node sibling) {
      return CompareFolded(d.text, Find(sibling)->text) < 0;
    });
  }
  Node handle = next_handle_++;
  siblings->insert(position, handle);
  nodes_.emplace(handle, std::move(d));
  return handle;
}

bool SimTreeView::SetItem(Node node, const NodeItem& item) {
  NodeData* d = Find(node);
  if (d == nullptr) return false;
  ApplyItem(*d, item);
  return true;
}

bool SimTreeView::GetItem(Node node, NodeItem& item) const {
  const NodeData* d = Find(node);
  if (d == nullptr) return false;
  if (item.mask & node::kText) item.text = d->text;
  if (item.mask & node::kImage) item.image = d->image;
  if (item.mask & node::kSelectedImage) item.selected_image = d->selected_image;
  if (item.mask & node::kParam) item.param = d->param;
  if (item.mask & node::kState) item.state = d->state & item.state_mask;
  if (item.mask & node::kChildren) {
    item.children = d->indicator.value_or(d->children.empty() ? 0 : 1);
  }
  return true;
}

Node SimTreeView::GetNextItem(Node node, NextCode code) const {
  switch (code) {
    case NextCode::kRoot:
      return roots_.empty() ? kNoNode : roots_.front();
    case NextCode::kNext: {
      const NodeData* d = Find(node);
      const std::vector<Node>* siblings = d == nullptr ? nullptr : ChildList(d->parent);
      if (siblings == nullptr) return kNoNode;
      auto it = std::find(siblings->begin(), siblings->end(), node);
      return (it == siblings->end() || it + 1 == siblings->end()) ? kNoNode : *(it + 1);
    }
    case NextCode::kParent: {
      const NodeData* d = Find(node);
      return (d == nullptr || d->parent == kRootNode) ? kNoNode : d->parent;
    }
    case NextCode::kChild: {
      const std::vector<Node>* children = ChildList(node);
      return (children == nullptr || children->empty()) ? kNoNode : children->front();
    }
    case NextCode::kCaret:
      return selected_;
    case NextCode::kFirstVisible:
      return FirstVisible();
  }
  return kNoNode;
}

// ---- Deletion ---------------------------------------------------------------------------

void SimTreeView::MarkDying(Node node) {
  std::vector<Node> stack{node};
  while (!stack.empty()) {
    NodeData* d = Find(stack.back());
    stack.pop_back();
    if (d == nullptr) continue;
    d->dying = true;
    stack.insert(stack.end(), d->children.begin(), d->children.end());
  }
}

// The first node of the doomed subtree in depth-first post-order that still waits for its
// report. A node whose report is under way counts as gone, so that a deletion started from
// inside that report neither reports it again nor waits for it.
Node SimTreeView::NextDoomedLeaf(Node start) const {
  auto pending = [this](Node n) {
    const NodeData* d = Find(n);
    return d != nullptr && d->dying && !d->reported;
  };
  Node current = start;
  if (IsRoot(start)) {
    auto it = std::find_if(roots_.begin(), roots_.end(), pending);
    if (it == roots_.end()) return kNoNode;
    current = *it;
  } else if (!pending(start)) {
    return kNoNode;
  }
  for (;;) {
    const std::vector<Node>& children = Find(current)->children;
    auto it = std::find_if(children.begin(), children.end(), pending);
    if (it == children.end()) return current;
    current = *it;
  }
}

void SimTreeView::RemoveLeaf(Node leaf) {
  auto it = nodes_.find(leaf);
  if (it == nodes_.end()) return;
  Node parent = it->second.parent;
  if (std::vector<Node>* siblings = ChildList(parent)) {
    // A node stands once among its siblings; a deletion takes the first ones first, so the
    // search ends at once and the erase is one move of the rest (large trees stay cheap).
    const auto at = std::find(siblings->begin(), siblings->end(), leaf);
    if (at != siblings->end()) siblings->erase(at);
  }
  // The selection goes with its node, without a notification.
  if (selected_ == leaf) selected_ = kNoNode;
  if (first_visible_ == leaf) first_visible_ = parent == kRootNode ? kNoNode : parent;
  nodes_.erase(it);
}

Node SimTreeView::Neighbour(Node node) const {
  const NodeData* d = Find(node);
  const std::vector<Node>* siblings = d == nullptr ? nullptr : ChildList(d->parent);
  if (siblings == nullptr) return kNoNode;
  auto it = std::find(siblings->begin(), siblings->end(), node);
  if (it == siblings->end()) return kNoNode;
  if (it + 1 != siblings->end()) return *(it + 1);
  if (d->parent != kRootNode) return d->parent;
  return it == siblings->begin() ? kNoNode : *(it - 1);
}

bool SimTreeView::DeleteItem(Node node) {
  bool all = IsRoot(node);
  Node successor = kNoNode;
  if (all) {
    ++delete_all_count_;
    if (!IsVisible()) ++hidden_delete_all_count_;
    for (auto& entry : nodes_) entry.second.dying = true;
  } else {
    const NodeData* d = Find(node);
    if (d == nullptr) return false;
    // Already going: the deletion in progress removes it.
    if (d->dying) return true;
    if (selected_ == node || IsAncestor(node, selected_)) successor = Neighbour(node);
    MarkDying(node);
  }
  // One node at a time, looked up afresh after every notification: the listener may
  // delete, insert, sort or select in between.
  for (Node leaf = NextDoomedLeaf(node); leaf != kNoNode; leaf = NextDoomedLeaf(node)) {
    Find(leaf)->reported = true;
    if (listener_ != nullptr) {
      listener_->OnDeleteItem(TreeNotify{Describe(leaf), NotifyNode{}, kActionUnknown});
    }
    RemoveLeaf(leaf);
  }
  // The neighbour takes over a selection that went with the subtree, unless a listener
  // selected another node meanwhile or the neighbour went too.
  if (successor != kNoNode && selected_ == kNoNode) {
    const NodeData* s = Find(successor);
    if (s != nullptr && !s->dying && ChangeSelection(successor, kActionUnknown) &&
        Alive(successor)) {
      Scroll(successor);
    }
  }
  return true;
}

// ---- Selection, expansion, rows ---------------------------------------------------------

bool SimTreeView::ChangeSelection(Node node, int action) {
  auto selectable = [this](Node n) {
    const NodeData* d = Find(n);
    return n == kNoNode || (d != nullptr && !d->dying);
  };
  if (!selectable(node)) return false;
  if (node == selected_) return true;
  if (listener_ != nullptr &&
      listener_->OnSelChanging(TreeNotify{Describe(selected_), Describe(node), action}) != 0) {
    return false;
  }
  if (!selectable(node)) return false;
  if (node == selected_) return true;  // the listener selected it meanwhile
  Node old = selected_;
  if (NodeData* d = Find(old)) d->state &= ~node::kStateSelected;
  if (NodeData* d = Find(node)) d->state |= node::kStateSelected;
  selected_ = node;
  if (listener_ != nullptr)
    listener_->OnSelChanged(TreeNotify{Describe(old), Describe(node), action});
  return true;
}

bool SimTreeView::SelectItem(SelectCode code, Node node) {
  if (code == SelectCode::kCaret) {
    if (node != kNoNode && !Alive(node)) return false;
    if (!ChangeSelection(node, kActionUnknown)) return false;
    if (node != kNoNode) EnsureVisible(node);
    return true;
  }
  if (code == SelectCode::kFirstVisible) {
    if (!EnsureVisible(node)) return false;
    first_visible_ = node;
    return true;
  }
  return false;
}

bool SimTreeView::ChangeExpansion(Node node, bool expand) {
  const NodeData* d = Find(node);
  if (d == nullptr || !HasButton(*d) || IsExpanded(*d) == expand) return false;
  int action = static_cast<int>(expand ? ExpandCode::kExpand : ExpandCode::kCollapse);
  if (listener_ != nullptr &&
      listener_->OnItemExpanding(TreeNotify{NotifyNode{}, Describe(node), action}) != 0) {
    return false;
  }
  NodeData* current = Find(node);
  if (current == nullptr || IsExpanded(*current) == expand) return false;
  // A node that only shows the indicator expands once the listener has loaded children.
  if (expand && current->children.empty()) return false;
  if (expand) {
    current->state |= node::kStateExpanded;
  } else {
    current->state &= ~node::kStateExpanded;
  }
  if (listener_ != nullptr) {
    listener_->OnItemExpanded(TreeNotify{NotifyNode{}, Describe(node), action});
  }
  if (!expand && Alive(node) && IsAncestor(node, selected_)) {
    ChangeSelection(node, kActionUnknown);
  }
  return true;
}

bool SimTreeView::Expand(Node node, ExpandCode code) {
  if (code != ExpandCode::kExpand && code != ExpandCode::kCollapse) return false;
  bool expand = code == ExpandCode::kExpand;
  ChangeExpansion(node, expand);
  const NodeData* d = Find(node);
  return d != nullptr && IsExpanded(*d) == expand;
}

bool SimTreeView::Toggle(Node node) {
  const NodeData* d = Find(node);
  return d != nullptr && ChangeExpansion(node, !IsExpanded(*d));
}

std::vector<Node> SimTreeView::VisibleRows() const {
  std::vector<Node> rows;
  std::vector<std::pair<const std::vector<Node>*, std::size_t>> stack{{&roots_, 0}};
  while (!stack.empty()) {
    auto& [list, next] = stack.back();
    if (next >= list->size()) {
      stack.pop_back();
      continue;
    }
    Node n = (*list)[next++];
    rows.push_back(n);
    const NodeData* d = Find(n);
    if (IsExpanded(*d) && !d->children.empty()) stack.emplace_back(&d->children, 0);
  }
  return rows;
}

Node SimTreeView::FirstVisible() const {
  const NodeData* d = Find(first_visible_);
  if (d == nullptr) return roots_.empty() ? kNoNode : roots_.front();
  Node shown = first_visible_;
  for (Node p = d->parent; const NodeData* pd = Find(p); p = pd->parent) {
    if (!IsExpanded(*pd)) shown = p;
  }
  return shown;
}

int SimTreeView::RowOf(const std::vector<Node>& rows, Node node) const {
  auto it = std::find(rows.begin(), rows.end(), node);
  return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

int SimTreeView::PageRows() const { return std::max(1, Height() / kRowHeight); }

void SimTreeView::Scroll(Node node) {
  std::vector<Node> rows = VisibleRows();
  int row = RowOf(rows, node);
  if (row < 0) return;
  int top = std::max(0, RowOf(rows, FirstVisible()));
  if (row < top) {
    first_visible_ = node;
  } else if (row >= top + PageRows()) {
    first_visible_ = rows[static_cast<std::size_t>(row - PageRows() + 1)];
  }
}

bool SimTreeView::EnsureVisible(Node node) {
  const NodeData* d = Find(node);
  if (d == nullptr) return false;
  std::vector<Node> ancestors;
  for (Node p = d->parent; const NodeData* pd = Find(p); p = pd->parent) ancestors.push_back(p);
  for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
    ChangeExpansion(*it, true);
    if (!Alive(node)) return false;
  }
  Scroll(node);
  return true;
}

// ---- Geometry ---------------------------------------------------------------------------

HitTestResult SimTreeView::HitTest(Point client) const {
  HitTestResult none;
  if (client.x < 0 || client.y < 0 || client.x >= Width() || client.y >= Height()) return none;
  std::vector<Node> rows = VisibleRows();
  std::size_t row =
      static_cast<std::size_t>(std::max(0, RowOf(rows, FirstVisible())) + client.y / kRowHeight);
  if (row >= rows.size()) return none;
  Node n = rows[row];
  const NodeData& d = *Find(n);
  int x = kIndent * Depth(n);
  std::uint32_t flags = hit::kOnItemIndent;
  if (client.x >= x) {
    if (HasButton(d)) {
      flags = hit::kOnItemButton;
      x += kButtonWidth;
    }
    if (client.x >= x) {
      flags = client.x < x + kIconWidth                        ? hit::kOnItemIcon
              : client.x < x + kIconWidth + LabelWidth(d.text) ? hit::kOnItemLabel
                                                               : hit::kOnItemRight;
    }
  }
  return HitTestResult{n, flags};
}

std::optional<Point> SimTreeView::PointOn(Node node, std::uint32_t part) const {
  std::vector<Node> rows = VisibleRows();
  int row = RowOf(rows, node);
  int top = std::max(0, RowOf(rows, FirstVisible()));
  if (row < top) return std::nullopt;
  const NodeData& d = *Find(node);
  int y = (row - top) * kRowHeight + kRowHeight / 2;
  int indent = kIndent * Depth(node);
  int button = HasButton(d) ? kButtonWidth : 0;
  int icon = indent + button;
  int label = icon + kIconWidth;
  switch (part) {
    case hit::kOnItemIndent:
      if (indent == 0) return std::nullopt;
      return Point{indent / 2, y};
    case hit::kOnItemButton:
      if (button == 0) return std::nullopt;
      return Point{indent + button / 2, y};
    case hit::kOnItemIcon:
      return Point{icon + kIconWidth / 2, y};
    case hit::kOnItemLabel:
      return Point{label + kByteWidth / 2, y};
    case hit::kOnItemRight:
      return Point{label + LabelWidth(d.text) + kByteWidth / 2, y};
    default:
      return std::nullopt;
  }
}

// ---- Sorting ----------------------------------------------------------------------------

bool SimTreeView::SortChildren(Node parent, const CompareFunction& compare) {
  if (!compare) return false;
  const std::vector<Node>* children = ChildList(parent);
  if (children == nullptr) return false;
  std::vector<std::pair<Node, std::int64_t>> order;
  for (Node n : *children) order.emplace_back(n, Find(n)->param);
  // Sorts a copy: the callback may re-enter the tree. Insertion sort never leaves the
  // range, whatever the answers are, and keeps equal items in place.
  for (std::size_t i = 1; i < order.size(); ++i) {
    for (std::size_t j = i; j > 0 && compare(order[j].second, order[j - 1].second) < 0; --j) {
      std::swap(order[j], order[j - 1]);
    }
  }
  std::vector<Node>* now = ChildList(parent);
  if (now == nullptr) return false;
  std::set<Node> present(now->begin(), now->end());
  std::vector<Node> result;
  for (const auto& entry : order) {
    if (present.erase(entry.first) != 0) result.push_back(entry.first);
  }
  for (Node n : *now) {
    if (present.count(n) != 0) result.push_back(n);  // inserted by the callback
  }
  *now = std::move(result);
  return true;
}

// ---- Tool tips and focus ----------------------------------------------------------------

bool SimTreeView::SetToolTipInitialDelay(int milliseconds) {
  if (!has_tooltips_) return false;
  tooltip_delay_ = milliseconds;
  return true;
}

void SimTreeView::SendSetFocus() {
  if (listener_ != nullptr) listener_->OnSetFocus();
}

void SimTreeView::SendKillFocus() {
  if (listener_ != nullptr) listener_->OnKillFocus();
}

// ---- Gestures ---------------------------------------------------------------------------

bool SimTreeView::PointToScreen(Point client) {
  if (!TakesInput()) return false;
  dialog_.DesktopSim().SetMessagePos(ClientToScreen(client));
  return true;
}

void SimTreeView::SingleExpand(Node old_selection, Node new_selection) {
  constexpr int kSkipOld = 1;
  constexpr int kSkipNew = 2;
  int answer = 0;
  if (listener_ != nullptr) {
    answer = listener_->OnSingleExpand(
        TreeNotify{Describe(old_selection), Describe(new_selection), kActionByMouse});
  }
  if ((answer & kSkipOld) == 0) {
    // Close the old branch up to the ancestor it shares with the new selection.
    std::vector<Node> branch;
    for (Node n = old_selection; Alive(n); n = Find(n)->parent) {
      if (n == new_selection || IsAncestor(n, new_selection)) break;
      branch.push_back(n);
    }
    for (Node n : branch) ChangeExpansion(n, false);
  }
  if ((answer & kSkipNew) == 0) Toggle(new_selection);
}

bool SimTreeView::Click(Point client) {
  if (!PointToScreen(client)) return false;
  Focus();
  HitTestResult hit = HitTest(client);
  if (hit.node != kNoNode) {
    bool full_row = (GetStyle() & style::kTvsFullRowSelect) != 0;
    if (hit.flags & hit::kOnItemButton) {
      Toggle(hit.node);
    } else if ((hit.flags & hit::kOnItem) || (full_row && (hit.flags & hit::kOnItemRight))) {
      Node old = selected_;
      if (old != hit.node && ChangeSelection(hit.node, kActionByMouse) &&
          (GetStyle() & style::kTvsSingleExpand)) {
        SingleExpand(old, hit.node);
      }
    }
  }
  if (listener_ != nullptr) listener_->OnClick();
  return true;
}

bool SimTreeView::DoubleClick(Point client) {
  if (!PointToScreen(client)) return false;
  if (listener_ != nullptr && listener_->OnDblClick() != 0) return true;
  HitTestResult hit = HitTest(client);
  if (hit.node != kNoNode && (hit.flags & (hit::kOnItem | hit::kOnItemButton))) Toggle(hit.node);
  return true;
}

bool SimTreeView::RightClick(Point client) {
  if (!PointToScreen(client)) return false;
  if (listener_ != nullptr) listener_->OnRClick();
  return true;
}

bool SimTreeView::RightDoubleClick(Point client) {
  if (!PointToScreen(client)) return false;
  if (listener_ != nullptr) listener_->OnRDblClick();
  return true;
}

bool SimTreeView::KeyDown(int virtual_key) {
  if (!TakesInput()) return false;
  if (listener_ != nullptr) listener_->OnKeyDown(virtual_key);
  if (virtual_key == kVkReturn) {
    if (listener_ != nullptr) listener_->OnReturn();
    return true;
  }
  std::vector<Node> rows = VisibleRows();
  if (rows.empty()) return true;
  auto move_to = [this](Node target) {
    if (ChangeSelection(target, kActionByKeyboard) && Alive(target)) Scroll(target);
  };
  const NodeData* d = Find(selected_);
  int row = RowOf(rows, selected_);
  switch (virtual_key) {
    case kVkUp:
    case kVkDown:
      if (row < 0) {
        move_to(FirstVisible());
      } else {
        int target = row + (virtual_key == kVkDown ? 1 : -1);
        if (target >= 0 && target < static_cast<int>(rows.size())) {
          move_to(rows[static_cast<std::size_t>(target)]);
        }
      }
      break;
    case kVkHome:
      move_to(rows.front());
      break;
    case kVkEnd:
      move_to(rows.back());
      break;
    case kVkLeft:
      if (d == nullptr) break;
      if (IsExpanded(*d) && HasButton(*d)) {
        ChangeExpansion(selected_, false);
      } else if (d->parent != kRootNode) {
        move_to(d->parent);
      }
      break;
    case kVkRight:
      if (d == nullptr) break;
      if (!IsExpanded(*d) && HasButton(*d)) {
        ChangeExpansion(selected_, true);
      } else if (!d->children.empty()) {
        move_to(d->children.front());
      }
      break;
    default:
      break;
  }
  return true;
}

std::optional<std::string> SimTreeView::RequestTip(Node node, int capacity) {
  if (!TakesInput() || (GetStyle() & style::kTvsInfoTip) == 0) return std::nullopt;
  const NodeData* d = Find(node);
  if (d == nullptr || listener_ == nullptr) return std::nullopt;
  // The platform hands over a buffer that already holds the node's label.
  std::string text = d->text;
  if (!listener_->OnGetInfoTip(d->param, text, capacity)) return std::nullopt;
  std::size_t room = capacity > 0 ? static_cast<std::size_t>(capacity - 1) : 0;
  if (text.size() > room) text.resize(room);
  return text;
}

}  // namespace view::sim
