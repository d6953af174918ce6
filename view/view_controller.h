// The view side of the control: builds the tab strip and the tree from the store, keeps
// them in step with it, lays them out, applies the appearance properties, and carries out
// selection, expansion, deletion and marking.
//
// Re-entrance. The tree reports deletions, selections and expansions synchronously, and
// the handlers of those reports run host code that may call back into the control. The
// platform's tree does not survive having nodes removed, or being rebuilt, from inside its
// own delete, select, expand or sort processing. So while one of those tree calls is in
// progress, a request that would restructure the tree (a rebuild, a tab switch, a
// deletion, a selection, an expansion, a focus change) is queued, and the queue is run,
// in order, as soon as the outermost operation of this class has finished. Insertions are
// queued only while the tree deletes or sorts; inside a select or expand they go straight
// in, so a host can still fill an item's children from its TreeOpening handler. Reads,
// node refreshes, layout and focus changes are never queued (a Refresh queues only its
// rebuild). Inside a handler a queued request has not happened
// yet: a host that deletes an item from TreeItemDeleted sees the item until the handler
// returns.
//
// The same holds for the tree's reports of a user gesture (select, expand, click, key,
// focus), which the window brackets with Begin/EndPlatformNotification: inside them the
// requests above are queued as inside a select or expand call. When the outermost bracket
// closes outside any operation, the tree is still busy with the gesture, so the queue does
// not run there: the post hook is called once (the window posts itself a message) and the
// window calls RunQueued when that message arrives. Without a post hook the queue runs as
// the bracket closes. An operation that ends outside every bracket runs whatever is queued.
//
// Item pointers and map positions are never kept across a tree call; items are found again
// by Seq. Every item's TreeNode is either null or a node this class inserted and the tree
// still holds, so a stale handle is never handed to the tree.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "model/store.h"
#include "model/view_requests.h"
#include "view/appearance.h"
#include "view/node_table.h"
#include "view/views.h"

namespace view {

// A rebuild leaves out the items of this Level and deeper (a record's LEVEL stops at 9,
// but a Parent chain or the Level property goes further).
inline constexpr std::int32_t kHiddenLevel = 10;

// DISPIDs of the stock properties, as the frame's stock write hook receives them.
inline constexpr std::int32_t kDispIdEnabled = -514;
inline constexpr std::int32_t kDispIdTabStop = -516;
inline constexpr std::int32_t kDispIdMousePointer = -521;

class ViewController final : public model::ViewRequests {
 public:
  using KeyState = std::array<std::uint8_t, 256>;
  // The frame's stock property write: marks the control dirty and announces the view
  // and data change to the container. Called after the value is stored.
  using StockWriteHook = std::function<void(std::int32_t dispid)>;
  // Fires TabChanged with the name the host passed to the SelectedTab write.
  using TabChangedHook = std::function<void(const std::string& name)>;
  // Reorders the direct children of a node (kRootNode: the top level) for Sorted 2; the
  // default is the tree's own sort with the compare function.
  using ChildSorter = std::function<bool(Node parent)>;

  explicit ViewController(model::Store& store);
  ~ViewController() override;
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  // ---- Composition ---------------------------------------------------------------------
  void SetStockWriteHook(StockWriteHook hook) { stock_write_ = std::move(hook); }
  void SetTabChangedHook(TabChangedHook hook) { tab_changed_ = std::move(hook); }
  // The comparison of two items' Seqs for Sorted 2 (fires TreeSortCompare). Without one,
  // Sorted 2 inserts in order and sorts nothing.
  void SetCompareFunction(CompareFunction compare) { compare_ = std::move(compare); }
  void SetChildSorter(ChildSorter sorter) { sorter_ = std::move(sorter); }
  // Desktop services (cursors) are usable before the control has a window.
  void SetDesktop(Desktop* desktop) { desktop_ = desktop; }

  // ---- Window --------------------------------------------------------------------------
  // Window creation: InitView on the new dialog, then CurrentTab -1. A dialog made again
  // after CloseWindow gets its tab strip filled and its first tree built again; another
  // dialog opened while one is open replaces it.
  void OpenWindow(Dialog* dialog, Desktop* desktop);
  // The dialog and both views are being destroyed: every node is forgotten. ViewReady
  // stays set; requests then go to no window until the next OpenWindow.
  void CloseWindow();
  void InitView();
  void LayoutView();
  void EnableViews(std::int32_t enabled);
  void Refresh();
  void SetFocus();
  // The dialog's answer to the set-cursor query (see AnswerSetCursor).
  bool AnswerSetCursor();

  // ---- The tree's own notifications (see the re-entrance note above) ------------------
  void BeginPlatformNotification() { ++platform_depth_; }
  void EndPlatformNotification();
  // Asks for a later RunQueued outside the tree's processing; called once per batch.
  void SetPostHook(std::function<void()> post) { post_ = std::move(post); }
  // Runs the queued requests; does nothing when none are queued, and leaves them queued
  // while a bracket, an operation or a tree call is still in progress.
  void RunQueued();
  // An operation held open by a caller outside this class (as every public operation
  // holds one): requests queued meanwhile run when the outermost one ends.
  void BeginOperation() { ++op_depth_; }
  void EndOperation();

  // ---- model::ViewRequests -------------------------------------------------------------
  void InsertTabEntry(std::int32_t index, const std::string& name) override;
  void SetTabPicture(std::int32_t index, std::int32_t picture) override;
  void InsertItemNode(model::Item& item) override;
  void RefreshItemNode(const model::Item& item) override;
  void RebuildTree(std::int32_t index) override;
  void AdjustBusy(std::int32_t delta) override;
  // The tree's bulk bracket is opened only once a node changes inside the section, so a
  // section that changes none (a list of records for tabs not shown) costs no repaint.
  void BeginBulk() override { ++bulk_depth_; }
  void EndBulk() override;

  // ---- State shared with the interaction handlers --------------------------------------
  model::Store& ItemStore() { return store_; }
  const model::Store& ItemStore() const { return store_; }
  TabStrip* Tabs() const { return tabs_; }
  TreeView* Tree() const { return tree_; }
  Dialog* DialogWindow() const { return dialog_; }
  Desktop* DesktopServices() const { return desktop_; }
  bool Rebuilding() const { return rebuilding_; }
  KeyState& KeyStateSnapshot() { return key_state_; }
  const KeyState& KeyStateSnapshot() const { return key_state_; }
  // Changes whenever Seq values may be handed out again (DeleteAll).
  std::uint64_t ItemGeneration() const { return item_generation_; }
  std::int32_t BusyDepth() const { return busy_depth_; }
  PictureListHandle PictureList() const { return picture_list_; }
  // The tab strip's selected position, -1 when it has none or does not exist.
  int SelectedPosition() const;

  // ---- Appearance properties -----------------------------------------------------------
  // Stock properties read back -1 for any non-zero stored value.
  std::int32_t GetEnabled() const { return enabled_ != 0 ? -1 : 0; }
  void PutEnabled(std::int32_t value);
  std::int32_t GetTabStop() const { return tab_stop_ != 0 ? -1 : 0; }
  void PutTabStop(std::int32_t value);
  std::int32_t GetMousePointer() const { return mouse_pointer_; }
  void PutMousePointer(std::int32_t value);
  std::int32_t GetTabRows() const { return tab_rows_; }
  void PutTabRows(std::int32_t value);
  std::int32_t GetMinTabWidth() const { return min_tab_width_; }
  void PutMinTabWidth(std::int32_t value);
  std::int32_t GetDisplayStyle() const { return store_.DisplayStyle(); }
  void PutDisplayStyle(std::int32_t value);
  std::int32_t GetTabStyle() const { return tab_style_; }
  void PutTabStyle(std::int32_t value);
  std::int32_t GetTreeStyle() const { return tree_style_; }
  void PutTreeStyle(std::int32_t value);
  std::int32_t GetSorted() const { return sorted_; }
  void PutSorted(std::int32_t value);
  std::int32_t GetHilightSelectedTab() const { return hilight_selected_tab_; }
  void PutHilightSelectedTab(std::int32_t value);
  std::int32_t GetEnableToolTips() const { return enable_tool_tips_; }
  void PutEnableToolTips(std::int32_t value) { enable_tool_tips_ = value; }
  const std::string& GetToolTipText() const { return tool_tip_text_; }
  void PutToolTipText(std::string value) { tool_tip_text_ = std::move(value); }
  std::int32_t GetToolTipDelay() const { return tool_tip_delay_; }
  void PutToolTipDelay(std::int32_t value);
  std::int32_t GetSortCompare() const { return sort_compare_; }
  void PutSortCompare(std::int32_t value) { sort_compare_ = value; }
  std::int32_t GetReadyState() const { return store_.ViewReady() ? 1 : 0; }

  // ---- Selection, expansion, deletion ---------------------------------------------------
  std::string GetSelectedTab() const;
  void PutSelectedTab(const std::string& name);
  std::string GetSelectedItem() const;
  void PutSelectedItem(const std::string& id);
  std::string GetFirstVisibleItem() const;
  void PutFirstVisibleItem(const std::string& id);
  std::int32_t GetHasChildren(const std::string& id) const;
  void PutHasChildren(const std::string& id, std::int32_t value);
  void ExpandAll(std::int32_t expand, const std::string& id);
  void DeleteItem(const std::string& id);
  void DeleteChildren(const std::string& parent_id);
  void DeleteTab(const std::string& name);
  void DeleteAll();
  // The Select put: the item's Select bit, then the SelectedItem put for it (or, when a
  // set bit is cleared, the SelectedItem put with an empty ID).
  void PutSelect(const std::string& id, std::int32_t value);

  // ---- Multiple selection ----------------------------------------------------------------
  void SelectMultiple(const std::string& id, std::int32_t selected, std::int32_t cascade);
  std::string GetFirstSelectedItem();
  std::string GetNextSelectedItem();

 private:
  enum class CallKind { kOther, kRemoving, kSorting };

  // Brackets every public operation; the requests queued from inside tree calls run when
  // the outermost one ends.
  class OpScope {
   public:
    explicit OpScope(ViewController& v) : v_(v) { ++v_.op_depth_; }
    ~OpScope() {
      if (--v_.op_depth_ == 0 && v_.platform_depth_ == 0) v_.RunDeferred();
    }
    OpScope(const OpScope&) = delete;
    OpScope& operator=(const OpScope&) = delete;

   private:
    ViewController& v_;
  };

  // Brackets a tree call that may notify, so that requests from its handlers are queued.
  class TreeCall {
   public:
    TreeCall(ViewController& v, CallKind kind) : v_(v), counts_(kind != CallKind::kOther) {
      ++v_.tree_calls_;
      if (counts_) ++v_.removing_or_sorting_;
    }
    ~TreeCall() {
      --v_.tree_calls_;
      if (counts_) --v_.removing_or_sorting_;
      if (v_.tree_calls_ == 0 && v_.op_depth_ == 0 && v_.platform_depth_ == 0) {
        v_.RunDeferred();
      }
    }
    TreeCall(const TreeCall&) = delete;
    TreeCall& operator=(const TreeCall&) = delete;

   private:
    ViewController& v_;
    bool counts_;
  };

  // Called before each change of nodes: inside a bulk section (model::BulkSection over
  // this class) opens the tree's bulk bracket if it is not open yet.
  void OpenBulk();
  // Closes the tree's bulk bracket, if open, on the tree it was opened on.
  void CloseBulk();

  // True (and the request queued) while a tree call or a platform notification is in
  // progress.
  bool Defer(std::function<void()> request);
  bool DeferInsert(std::function<void()> request);
  void RunDeferred();

  void StockWrite(std::int32_t dispid);
  void ApplyTabStyle();
  void ApplyTreeStyle();
  void ApplyToolTipDelay();
  void AppendMissingTabEntries();
  // Refresh's rebuild: the tree for the strip's position (-1 counts as 0) when that is not
  // the tab shown or when the store holds what the views were not told of.
  bool TreeStale(int position) const;
  void RebuildStale(int position);
  void InsertNode(model::Item& item);
  void SortAfterInsert(Node parent);
  // Removes every node, inside the bulk bracket; every item forgets its node.
  // Items of `walked_tab` (when not -1) are left to the rebuild walk that follows.
  void ClearTree(std::int32_t walked_tab = -1);
  void ForgetAllNodes(std::int32_t walked_tab = -1);
  // Makes the items of `node` and of every node below it forget their nodes.
  void ForgetSubtree(Node node);
  bool NodeAlive(Node node) const { return nodes_.Contains(node); }
  // The item's node when the tree still holds it for this very item, else kNoNode.
  Node ShownNode(const model::Item& item) const {
    return nodes_.Find(item.TreeNode) == item.Seq() ? item.TreeNode : kNoNode;
  }
  Node LiveNodeOf(model::Seq seq) const;
  void RemoveNodeOf(model::Seq seq);
  void SelectNode(Node node);
  bool ExpandNode(Node node, ExpandCode code);
  Node NodeAfterSubtree(Node node) const;
  std::string IdOfNode(Node node) const;
  void SetExpandBit(model::Seq seq, bool expand);

  void MarkOne(model::Seq seq, bool selected);
  void MarkDescendants(const std::string& id, bool selected);
  void MarkAncestors(const std::string& id, bool selected);
  bool HasMarkedSibling(model::Seq seq) const;
  void MarkAll(bool selected);

  model::Store& store_;
  Dialog* dialog_ = nullptr;
  TabStrip* tabs_ = nullptr;
  TreeView* tree_ = nullptr;
  Desktop* desktop_ = nullptr;

  StockWriteHook stock_write_;
  TabChangedHook tab_changed_;
  CompareFunction compare_;
  ChildSorter sorter_;

  // Stored appearance properties (DisplayStyle lives in the store, which reads it too).
  std::int32_t enabled_ = 1;
  std::int32_t tab_stop_ = 1;
  std::int32_t mouse_pointer_ = kPointerDefault;
  std::int32_t tab_rows_ = kDefaultTabRows;
  std::int32_t min_tab_width_ = kDefaultMinTabWidth;
  std::int32_t tab_style_ = kDefaultTabStyle;
  std::int32_t tree_style_ = 0;
  std::int32_t sorted_ = 0;
  std::int32_t hilight_selected_tab_ = 0;
  std::int32_t enable_tool_tips_ = 0;
  std::string tool_tip_text_;
  std::int32_t tool_tip_delay_ = kDefaultToolTipDelay;
  std::int32_t sort_compare_ = 0;

  PictureListHandle picture_list_ = 0;
  bool rebuilding_ = false;
  std::int32_t busy_depth_ = 0;
  CursorHandle saved_cursor_ = 0;
  bool cursor_saved_ = false;
  CursorHandle wait_cursor_ = 0;
  KeyState key_state_{};
  std::uint64_t item_generation_ = 0;

  // The nodes this class inserted that the tree still holds, with their items' Seqs.
  NodeTable nodes_;

  int bulk_depth_ = 0;
  TreeView* bulk_tree_ = nullptr;  // the tree whose bulk bracket is open, or null

  int op_depth_ = 0;
  int tree_calls_ = 0;
  int removing_or_sorting_ = 0;
  int platform_depth_ = 0;
  std::function<void()> post_;
  bool post_pending_ = false;  // the post hook was called and RunQueued has not come yet
  std::deque<std::function<void()>> deferred_;
};

}  // namespace view
