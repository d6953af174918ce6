#include "view/view_controller.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>
#include <vector>

namespace view {

namespace {
constexpr std::uint32_t kBoldExpanded = node::kStateBold | node::kStateExpanded;
constexpr std::uint32_t kRefreshStateMask = node::kStateOverlayMask | kBoldExpanded;
constexpr int kRebuildLookAhead = 8;  // items; enough to cover a memory access

std::uint32_t OverlayState(std::int32_t overlay) {
  return (static_cast<std::uint32_t>(overlay) << 8) & node::kStateOverlayMask;
}
}  // namespace

ViewController::ViewController(model::Store& store) : store_(store) { store_.SetViews(this); }

ViewController::~ViewController() { store_.SetViews(nullptr); }

bool ViewController::Defer(std::function<void()> request) {
  if (tree_calls_ == 0 && platform_depth_ == 0) return false;
  deferred_.push_back(std::move(request));
  return true;
}

bool ViewController::DeferInsert(std::function<void()> request) {
  if (removing_or_sorting_ == 0) return false;
  deferred_.push_back(std::move(request));
  return true;
}

void ViewController::EndBulk() {
  if (bulk_depth_ > 0 && --bulk_depth_ == 0) CloseBulk();
}

void ViewController::OpenBulk() {
  if (bulk_depth_ == 0 || bulk_tree_ != nullptr || tree_ == nullptr) return;
  bulk_tree_ = tree_;
  bulk_tree_->BeginBulk();
}

void ViewController::CloseBulk() {
  TreeView* tree = bulk_tree_;
  bulk_tree_ = nullptr;
  if (tree != nullptr) tree->EndBulk();
}

void ViewController::EndPlatformNotification() {
  if (platform_depth_ == 0 || --platform_depth_ > 0) return;
  // Inside an operation or a tree call, their end runs the queue.
  if (op_depth_ > 0 || tree_calls_ > 0 || deferred_.empty()) return;
  if (!post_) {
    RunDeferred();
  } else if (!post_pending_) {
    post_pending_ = true;
    post_();
  }
}

void ViewController::RunQueued() {
  post_pending_ = false;
  // Whatever is still open runs the queue, or posts again, when it closes.
  if (platform_depth_ > 0 || op_depth_ > 0 || tree_calls_ > 0) return;
  RunDeferred();
}

void ViewController::EndOperation() {
  if (op_depth_ == 0) return;
  if (--op_depth_ == 0 && platform_depth_ == 0) RunDeferred();
}

void ViewController::RunDeferred() {
  ++op_depth_;  // requests queued by these requests join the same loop
  while (!deferred_.empty()) {
    std::function<void()> request = std::move(deferred_.front());
    deferred_.pop_front();
    request();
  }
  --op_depth_;
}

// ---- Window ------------------------------------------------------------------------------

void ViewController::OpenWindow(Dialog* dialog, Desktop* desktop) {
  OpScope op(*this);
  if (dialog_ != nullptr && dialog != dialog_) CloseWindow();
  dialog_ = dialog;
  if (desktop != nullptr) desktop_ = desktop;
  InitView();
  store_.SetCurrentTab(-1);
}

void ViewController::CloseWindow() {
  // The tree still exists here; a bracket still open goes on, on the next window's tree.
  CloseBulk();
  ForgetAllNodes();
  dialog_ = nullptr;
  tabs_ = nullptr;
  tree_ = nullptr;
}

void ViewController::InitView() {
  OpScope op(*this);
  if (dialog_ == nullptr) return;
  TabStrip* tabs = dialog_->TabStripItem();
  if (tabs == nullptr) return;
  // A tab strip not seen before (the first window, or a window made again) is filled.
  const bool tabs_known = tabs_ == tabs;
  tabs_ = tabs;
  tree_ = dialog_->TreeItem();
  if (picture_list_ == 0 && desktop_ != nullptr) picture_list_ = BuildPictureList(*desktop_);
  if (tree_ != nullptr) {
    tree_->SetPictureList(picture_list_);
    ApplyToolTipDelay();
  }
  tabs_->SetPictureList(picture_list_);
  store_.SetViewReady(true);
  if (!tabs_known) {
    tabs_->DeleteAllItems();
    AppendMissingTabEntries();
    ApplyTabStop(tabs_, tree_, tab_stop_ != 0);
    tabs_->SetMinTabWidth(min_tab_width_);
    RebuildTree(0);
    if (tabs_ != nullptr) {
      tabs_->HighlightItem(tabs_->GetCurSel(), static_cast<std::uint16_t>(hilight_selected_tab_));
    }
  }
  if (tab_style_ != 0) PutTabStyle(tab_style_);
  if (tree_style_ != 0) PutTreeStyle(tree_style_);
  Refresh();
}

void ViewController::AppendMissingTabEntries() {
  if (tabs_ == nullptr) return;
  const bool pictures = store_.DisplayStyle() != model::kDisplayTreeOnly;
  for (std::int32_t i = tabs_->GetItemCount(); i < store_.NextTabIndex(); ++i) {
    const model::TabEntry* entry = store_.TabEntryAt(i);
    const int image = (pictures && entry != nullptr && entry->TabPic > 0) ? entry->TabPic : -1;
    tabs_->InsertItem(i, store_.TabNameAt(i), i, image);
  }
}

void ViewController::LayoutView() {
  OpScope op(*this);
  if (!store_.ViewReady()) {
    InitView();
    if (!store_.ViewReady()) return;
  }
  if (dialog_ == nullptr) return;
  AdjustBusy(+1);
  const ViewLayout layout =
      ComputeLayout(store_.DisplayStyle(), tab_rows_, dialog_->GetClientRect());
  if (tabs_ != nullptr) {
    tabs_->SetPosition(layout.tabs.x, layout.tabs.y, layout.tabs.width, layout.tabs.height);
  }
  if (tree_ != nullptr) {
    tree_->SetPosition(layout.tree.x, layout.tree.y, layout.tree.width, layout.tree.height);
  }
  EnableViews(enabled_);
  if (dialog_ != nullptr) dialog_->Invalidate();
  AdjustBusy(-1);
}

void ViewController::EnableViews(std::int32_t enabled) {
  enabled_ = enabled;
  StockWrite(kDispIdEnabled);
  if (tabs_ != nullptr) tabs_->Enable(enabled_ != 0);
  if (tree_ != nullptr) tree_->Enable(enabled_ != 0);
}

int ViewController::SelectedPosition() const { return tabs_ != nullptr ? tabs_->GetCurSel() : -1; }

void ViewController::Refresh() {
  OpScope op(*this);
  AdjustBusy(+1);
  const int position = std::max(SelectedPosition(), 0);
  LayoutView();
  // Laying out restructures nothing and happens at once; a rebuild asked for from inside
  // a tree call waits, and then looks again at what is shown.
  if (TreeStale(position) && !Defer([this] { RebuildStale(std::max(SelectedPosition(), 0)); })) {
    RebuildStale(position);
  }
  AdjustBusy(-1);
}

bool ViewController::TreeStale(int position) const {
  return position != store_.CurrentTab() || store_.RebuildPending();
}

void ViewController::RebuildStale(int position) {
  if (!TreeStale(position)) return;
  // Tabs that arrived while the strip was not told of them are appended first.
  if (store_.RebuildPending()) AppendMissingTabEntries();
  store_.SetRebuildPending(false);
  RebuildTree(position);
}

void ViewController::SetFocus() {
  if (store_.DisplayStyle() == model::kDisplayTabsOnly) {
    if (tabs_ != nullptr) tabs_->Focus();
  } else if (tree_ != nullptr) {
    tree_->Focus();
  }
}

bool ViewController::AnswerSetCursor() {
  if (desktop_ == nullptr) return mouse_pointer_ != kPointerDefault;
  return view::AnswerSetCursor(*desktop_, mouse_pointer_);
}

// ---- Busy indicator ---------------------------------------------------------------------

void ViewController::AdjustBusy(std::int32_t delta) {
  const std::int64_t depth = std::int64_t{busy_depth_} + delta;
  if (depth <= 0) {
    busy_depth_ = 0;
    // Only a cursor that was saved is put back: an unmatched lowering must not make the
    // "no cursor" current.
    if (cursor_saved_) {
      cursor_saved_ = false;
      if (desktop_ != nullptr) desktop_->SetCursor(saved_cursor_);
    }
    return;
  }
  busy_depth_ = static_cast<std::int32_t>(std::min<std::int64_t>(depth, INT32_MAX));
  if (desktop_ == nullptr) return;
  if (wait_cursor_ == 0) wait_cursor_ = desktop_->LoadSystemCursor(idc::kWait);
  // A wait cursor the desktop cannot supply leaves the current one rather than blanking it.
  if (wait_cursor_ == 0) return;
  // The wait cursor goes up once and comes down as the depth returns to 0; the raises and
  // lowers in between leave it alone. (Each change of the cursor is a round trip to the
  // window system, and a rebuild raises the depth once per node.)
  if (cursor_saved_) return;
  saved_cursor_ = desktop_->SetCursor(wait_cursor_);
  cursor_saved_ = true;
}

// ---- Tab strip requests ---------------------------------------------------------------

void ViewController::InsertTabEntry(std::int32_t index, const std::string& name) {
  if (tabs_ == nullptr || index < tabs_->GetItemCount()) return;  // already there
  // Entries the strip lacks below the new one come first, so positions stay Indexes.
  while (tabs_->GetItemCount() < index) {
    const std::int32_t i = tabs_->GetItemCount();
    if (tabs_->InsertItem(i, store_.TabNameAt(i), i, -1) < 0) return;
  }
  tabs_->InsertItem(index, name, index, -1);
}

void ViewController::SetTabPicture(std::int32_t index, std::int32_t picture) {
  if (tabs_ == nullptr || index < 0 || index >= tabs_->GetItemCount()) return;
  tabs_->SetItemImage(index, picture);
}

// ---- Tree nodes -------------------------------------------------------------------------

Node ViewController::LiveNodeOf(model::Seq seq) const {
  const model::Item* item = store_.FindItemPtr(seq);
  return item != nullptr ? ShownNode(*item) : kNoNode;
}

void ViewController::InsertItemNode(model::Item& item) {
  const model::Seq seq = item.Seq();
  if (DeferInsert([this, seq] {
        model::Item* now = store_.FindItemPtr(seq);
        if (now != nullptr && now->TabIndex() == store_.CurrentTab()) InsertNode(*now);
      })) {
    return;
  }
  InsertNode(item);
}

void ViewController::InsertNode(model::Item& item) {
  if (tree_ == nullptr || !store_.ViewReady()) return;
  if (ShownNode(item) != kNoNode) return;  // already shown
  OpScope op(*this);
  AdjustBusy(+1);
  Node parent = kRootNode;
  if (!item.Parent().empty()) {
    const model::Item* p = store_.FindItemById(item.Parent());
    if (p != nullptr && ShownNode(*p) != kNoNode) parent = p->TreeNode;
  }
  NodeItem n;
  n.mask = node::kText | node::kImage | node::kSelectedImage | node::kParam;
  n.text = item.Text;
  n.image = item.Cpic;
  n.selected_image = item.Cpic;
  n.param = item.Seq();
  if (item.Flags != 0) {
    n.mask |= node::kState;
    n.state_mask = kBoldExpanded;
    n.state = item.Flags;
  }
  if (item.OverlayPic != 0) {
    n.mask |= node::kState;
    n.state_mask |= node::kStateOverlayMask;
    n.state |= OverlayState(item.OverlayPic);
  }
  n.state &= n.state_mask;
  if (item.HasChildren != 0) {
    n.mask |= node::kChildren;
    n.children = item.HasChildren;
  }
  const InsertAt where = (sorted_ == 0 || sorted_ == 2) ? InsertAt::kLast : InsertAt::kSort;
  OpenBulk();
  const Node created = tree_->InsertItem(parent, where, n);
  item.TreeNode = created;
  if (created != kNoNode) {
    nodes_.Insert(created, item.Seq());
    // Host code may run from here on: `item` is not touched again.
    if (sorted_ == 2) SortAfterInsert(parent);
  }
  AdjustBusy(-1);
}

void ViewController::SortAfterInsert(Node parent) {
  model::BulkSection bulk(*this);
  OpenBulk();
  TreeCall call(*this, CallKind::kSorting);
  if (sorter_) {
    sorter_(parent);
  } else if (compare_ && tree_ != nullptr) {
    tree_->SortChildren(parent, compare_);
  }
}

void ViewController::RefreshItemNode(const model::Item& item) {
  if (tree_ == nullptr || ShownNode(item) == kNoNode) return;
  NodeItem n;
  n.mask = node::kText | node::kImage | node::kSelectedImage | node::kParam | node::kState;
  n.text = item.Text;
  n.image = item.Cpic;
  n.selected_image = item.Cpic;
  n.param = item.Seq();
  n.state_mask = kRefreshStateMask;
  n.state = (item.Flags | OverlayState(item.OverlayPic)) & kRefreshStateMask;
  if (item.HasChildren != 0) {
    n.mask |= node::kChildren;
    n.children = item.HasChildren;
  }
  tree_->SetItem(item.TreeNode, n);
}

void ViewController::ForgetAllNodes(std::int32_t walked_tab) {
  // Whether an item is one of walked_tab's: nodes are recorded mostly in Seq order, so a
  // cursor over the tab's Seqs keeps pace with the walk. An item it misses is just made to
  // forget its node like any other.
  struct Membership {
    const model::Store& store;
    std::int32_t tab;
    model::Store::SeqSet::Cursor cursor;
    model::Seq member;
    bool Holds(model::Seq seq) {
      while (member != model::kNoSeq && member < seq) member = store.NextOfTab(tab, cursor);
      return member == seq;
    }
  };
  Membership now{store_, walked_tab, {}, model::kNoSeq};
  Membership ahead{store_, walked_tab, {}, model::kNoSeq};
  if (walked_tab >= 0) {
    now.member = store_.NextOfTab(walked_tab, now.cursor);
    ahead.member = store_.NextOfTab(walked_tab, ahead.cursor);
  }
  nodes_.ForEach(
      [&](Node node, model::Seq seq) {
        if (walked_tab >= 0 && now.Holds(seq)) return;
        model::Item* item = store_.FindItemPtr(seq);
        if (item != nullptr && item->TreeNode == node) item->TreeNode = kNoNode;
      },
      [&](model::Seq seq) {
        if (walked_tab < 0 || !ahead.Holds(seq)) store_.PrefetchItem(seq);
      });
  nodes_.Clear();
}

void ViewController::ForgetSubtree(Node top) {
  if (tree_ == nullptr) return;
  std::vector<Node> pending{top};
  while (!pending.empty()) {
    const Node n = pending.back();
    pending.pop_back();
    for (Node c = tree_->GetNextItem(n, NextCode::kChild); c != kNoNode;
         c = tree_->GetNextItem(c, NextCode::kNext)) {
      pending.push_back(c);
    }
    const model::Seq seq = nodes_.Find(n);
    if (seq == model::kNoSeq) continue;
    model::Item* item = store_.FindItemPtr(seq);
    if (item != nullptr && item->TreeNode == n) item->TreeNode = kNoNode;
    nodes_.Erase(n);
  }
}

void ViewController::ClearTree(std::int32_t walked_tab) {
  ForgetAllNodes(walked_tab);
  if (tree_ == nullptr) return;
  // Inside the bulk bracket the tree draws nothing, so it is not hidden for the deletion:
  // hiding it saved the tree no work and cost the dialog a repaint.
  OpenBulk();
  TreeCall call(*this, CallKind::kRemoving);
  tree_->DeleteItem(kRootNode);
}

void ViewController::RemoveNodeOf(model::Seq seq) {
  const Node node = LiveNodeOf(seq);
  if (node == kNoNode || tree_ == nullptr) return;
  // Forgotten first: handlers of the deletion reports then see no node to use.
  ForgetSubtree(node);
  OpenBulk();
  TreeCall call(*this, CallKind::kRemoving);
  tree_->DeleteItem(node);
}

void ViewController::SelectNode(Node node) {
  if (tree_ == nullptr) return;
  if (node != kNoNode && !NodeAlive(node)) node = kNoNode;
  TreeCall call(*this, CallKind::kOther);
  tree_->SelectItem(SelectCode::kCaret, node);
}

bool ViewController::ExpandNode(Node node, ExpandCode code) {
  if (tree_ == nullptr || !NodeAlive(node)) return false;
  OpenBulk();
  TreeCall call(*this, CallKind::kOther);
  return tree_->Expand(node, code);
}

// ---- Rebuild ------------------------------------------------------------------------------

void ViewController::RebuildTree(std::int32_t index) {
  if (!store_.ViewReady()) return;
  if (Defer([this, index] { RebuildTree(index); })) return;
  OpScope op(*this);
  AdjustBusy(+1);
  const std::int32_t saved_pointer = mouse_pointer_;
  mouse_pointer_ = kPointerHourglass;
  rebuilding_ = true;
  // The clear and refill are drawn once; the selection after them is drawn as it happens.
  std::optional<model::BulkSection> bulk(std::in_place, *this);
  store_.SetCurrentTab(index);
  if (tabs_ != nullptr) tabs_->SetCurSel(index);
  // Without a sort through the host nothing changes the store during the walk below, so
  // the tab's own items are left to forget their old nodes when the walk reaches them,
  // which reads each item once instead of twice. (An old handle is harmless meanwhile: it
  // counts only while the node table records it for the item.)
  const bool host_sorts = sorted_ == 2 && (sorter_ || compare_);
  ClearTree(host_sorts ? -1 : index);

  // The tab's own items in Seq order. A sort through the host can run host code that adds
  // or moves items; the cursor finds its place afresh whenever the tab's list has changed.
  model::Seq remembered = model::kNoSeq;
  const auto take_selection = [&](model::Item& item) {
    if ((item.Flags & model::kFlagSelect) == 0) return;
    item.Flags &= ~model::kFlagSelect;
    remembered = item.Seq();
  };
  // Memory is asked for ahead of the walk, so that a large tab's rebuild does not wait for
  // each item in turn: the items a few steps ahead, and the ID index slots of the parents
  // of the items half as far ahead (a parent is found at a random place in the index).
  // Hints only; the store may change meanwhile.
  model::Store::SeqSet::Cursor far_ahead;
  model::Store::SeqSet::Cursor ahead;
  const auto prefetch_ahead = [&] {
    store_.PrefetchItem(store_.NextOfTab(index, far_ahead));
    const model::Item* item = store_.FindItemPtr(store_.NextOfTab(index, ahead));
    if (item != nullptr && !item->Parent().empty()) store_.PrefetchFindItem(item->Parent());
  };
  for (int i = 0; i < kRebuildLookAhead; ++i) {
    store_.PrefetchItem(store_.NextOfTab(index, far_ahead));
  }
  for (int i = 0; i < kRebuildLookAhead; ++i) prefetch_ahead();
  model::Store::SeqSet::Cursor cursor;
  if (!host_sorts) {
    for (model::Seq seq = store_.NextOfTab(index, cursor); seq != model::kNoSeq;
         seq = store_.NextOfTab(index, cursor)) {
      prefetch_ahead();
      model::Item* item = store_.FindItemPtr(seq);
      if (item == nullptr) continue;
      item->TreeNode = kNoNode;  // left to this walk by ClearTree
      if (item->Level >= kHiddenLevel) continue;
      InsertNode(*item);
      take_selection(*item);
    }
  } else {
    for (model::Seq seq = store_.NextOfTab(index, cursor); seq != model::kNoSeq;
         seq = store_.NextOfTab(index, cursor)) {
      prefetch_ahead();
      model::Item* item = store_.FindItemPtr(seq);
      if (item == nullptr || item->Level >= kHiddenLevel) continue;
      InsertNode(*item);
      if (model::Item* after = store_.FindItemPtr(seq)) take_selection(*after);
    }
  }
  rebuilding_ = false;
  bulk.reset();

  if (remembered != model::kNoSeq) {
    if (model::Item* item = store_.FindItemPtr(remembered)) {
      item->Flags |= model::kFlagSelect;
      const Node node = ShownNode(*item);
      if (node != kNoNode) SelectNode(node);
    }
  }
  mouse_pointer_ = saved_pointer;
  AdjustBusy(-1);
}

// ---- Appearance properties --------------------------------------------------------------

void ViewController::StockWrite(std::int32_t dispid) {
  if (stock_write_) stock_write_(dispid);
}

void ViewController::PutEnabled(std::int32_t value) {
  enabled_ = value;
  StockWrite(kDispIdEnabled);
}

void ViewController::PutTabStop(std::int32_t value) {
  tab_stop_ = value;
  StockWrite(kDispIdTabStop);
  ApplyTabStop(tabs_, tree_, tab_stop_ != 0);
}

void ViewController::PutMousePointer(std::int32_t value) {
  mouse_pointer_ = value;
  StockWrite(kDispIdMousePointer);
}

void ViewController::PutTabRows(std::int32_t value) {
  tab_rows_ = value;
  PutTabStyle(value > 1 ? (tab_style_ | kTabJustified) : tab_style_);
  LayoutView();
}

void ViewController::PutMinTabWidth(std::int32_t value) {
  min_tab_width_ = value;
  if (tabs_ != nullptr) tabs_->SetMinTabWidth(value);
}

void ViewController::PutDisplayStyle(std::int32_t value) {
  store_.SetDisplayStyle(value);
  LayoutView();
}

void ViewController::PutTabStyle(std::int32_t value) {
  tab_style_ = AdjustTabStyle(value, tab_rows_);
  ApplyTabStyle();
}

void ViewController::ApplyTabStyle() {
  if (!store_.ViewReady() || tabs_ == nullptr) return;
  const TabStripStyles styles = TabStripStylesFor(tab_style_, tab_rows_);
  ChangeStyle(*tabs_, styles.styles);
  tabs_->SetExtendedStyle(styles.ex_style);
}

void ViewController::PutTreeStyle(std::int32_t value) {
  tree_style_ = value;
  ApplyTreeStyle();
}

void ViewController::ApplyTreeStyle() {
  if (tree_ == nullptr) return;
  tree_->SetPictureList((tree_style_ & kTreeNoPictures) != 0 ? 0 : picture_list_);
  if (store_.ViewReady()) ChangeStyle(*tree_, TreeStylesFor(tree_style_));
}

void ViewController::PutSorted(std::int32_t value) {
  sorted_ = value;
  if (!store_.ViewReady()) return;
  // Queued, the rebuild is of the tab shown when it runs: the user's tab switch that the
  // request came from inside may come first, and must not be undone.
  if (Defer([this] { RebuildTree(SelectedPosition()); })) return;
  RebuildTree(SelectedPosition());
}

void ViewController::PutHilightSelectedTab(std::int32_t value) {
  hilight_selected_tab_ = value;
  if (tabs_ != nullptr) {
    tabs_->HighlightItem(tabs_->GetCurSel(), static_cast<std::uint16_t>(hilight_selected_tab_));
  }
}

void ViewController::PutToolTipDelay(std::int32_t value) {
  tool_tip_delay_ = value;
  ApplyToolTipDelay();
}

void ViewController::ApplyToolTipDelay() {
  if (tree_ != nullptr) tree_->SetToolTipInitialDelay(tool_tip_delay_ & 0xFFFF);
}

}  // namespace view
