// Simulated tab strip, tree view, desktop and dialog: small test doubles of the platform's
// common controls that implement view/views.h for native tests.
//
// They behave as the real controls do wherever the logic relies on them: notifications are
// synchronous and may re-enter the view, every removed node is reported, item data is
// carried unchanged, and a selection made by program is notified. Besides the contract they
// offer user gestures (clicks, keys, tab changes, tip requests, focus) and inspection hooks
// for tests. Choices where the platform leaves room, or where the sim simplifies:
//
// Tree view
// - Handles are never reused while the view lives, so a stale handle is simply unknown.
//   kNoNode as a parent, a delete or a sort target means the root, as on the platform.
// - Deleting a subtree reports its nodes depth first, children before parents, each still
//   readable inside its OnDeleteItem and removed right after; a selected node stays the
//   selection until it is removed, and the selection then goes with it unnotified. Once
//   all are removed, as on the platform, a selection that was inside the subtree passes to
//   the top node's next sibling, else its parent, else its previous sibling, with
//   OnSelChanging/OnSelChanged naming no old node (action 0); not when a listener selected
//   another node meanwhile or that neighbour is gone. Deleting everything (the root)
//   leaves no selection and notifies none. While a subtree is being deleted its nodes
//   cannot be selected or get new children; a DeleteItem of one of them answers true and
//   leaves it to the deletion in progress.
// - kSort places a node before the first sibling whose text is greater, comparing bytes
//   after folding ASCII letters to lower case; equal texts keep insertion order.
// - SortChildren is a stable insertion sort that stays in bounds whatever the callback
//   answers; children inserted or deleted by the callback are kept or dropped consistently.
// - Expand/collapse needs children or a non-zero children indicator and a real change of
//   state; it sends OnItemExpanding (a non-zero answer cancels) and OnItemExpanded on every
//   such change, programmatic or by the user. (The real control stops notifying
//   programmatic expansion once a node has been expanded; the logic must not count on
//   either.) An indicator-only node whose OnItemExpanding adds no child stays collapsed
//   without OnItemExpanded. Collapsing a node whose descendant is selected then selects
//   the node (action 0).
// - GetItem with kState answers the state bits named by state_mask. The selected bit
//   follows SelectItem only; inserts and SetItem ignore it. kChildren answers the indicator
//   as set, or 1/0 for loaded children when it was never set.
// - SelectItem(kCaret) of a node then makes it visible (ancestors expanded, scrolled).
// - Rows: visible nodes in tree order; the top row is the first-visible node (its nearest
//   shown ancestor when collapsed away; its parent, or the first root, once deleted). A
//   page holds max(1, height / 16) rows; scrolling is not clamped at the end.
// - Hit test: rows of 16 px from the top row; in a row, 16 px of indent per depth level,
//   a 16 px button for nodes with children or the indicator, a 16 px icon, the label
//   (8 px per text byte, at least 8), then right of the label. Points outside the window's
//   size or below the last row hit no node (kNowhere).
// - Destroying the view sends nothing.
// Gestures (only delivered to an enabled, visible window):
// - Click: focus to the tree, then on the button a toggle, on the icon or label (or right
//   of it with TVS_FULLROWSELECT) selection with action 1 and, with TVS_SINGLEEXPAND, the
//   single-expand step; then OnClick. (The real control sends NM_CLICK on button release,
//   after the selection change.) The single-expand step sends OnSingleExpand (old and new
//   selection); unless the answer has bit 1 it collapses the old selection's branch up to
//   the ancestor it shares with the new one, unless it has bit 2 it toggles the new node.
// - Right clicks send OnRClick / OnRDblClick only: no focus or selection change.
// - DoubleClick is the second click of a double click only: OnDblClick, then, unless it
//   answered non-zero, a toggle of a node hit on its button, icon or label. A user's
//   double click is Click followed by DoubleClick.
// - KeyDown: OnKeyDown, then the key's default: up/down/home/end move the selection,
//   left collapses or goes to the parent, right expands or goes to the first child (all
//   with action 2); return sends OnReturn.
// - RequestTip needs TVS_INFOTIP; the buffer starts with the node's label, and what the
//   listener supplies is cut to capacity - 1 bytes.
// - Focus moving between the dialog's windows: OnKillFocus for the tree losing it, then
//   OnSetFocus for the tree gaining it. Focus() brings it in; SimDialog::FocusOutside()
//   takes it out of the control. Key gestures act as if the tree had the focus.
// Tab strip
// - The first entry inserted into an empty strip becomes selected; inserting at or before
//   the selection moves it up; deleting before it moves it down; deleting it leaves none.
// - UserSelect: focus (unless TCS_FOCUSNEVER), OnTabSelChanging (a non-zero answer cancels),
//   the new selection, OnTabSelChange. Choosing the selected tab sends nothing.
// - RightClick on a tab, or beside the tabs (-1), sends OnTabRClick only: no focus or
//   selection change.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "view/views.h"

namespace view::sim {

// System cursor numbers (IDC_*) the sim knows.
inline constexpr int kIdcArrow = 32512;
inline constexpr int kIdcIbeam = 32513;
inline constexpr int kIdcWait = 32514;
inline constexpr int kIdcCross = 32515;
inline constexpr int kIdcUpArrow = 32516;
inline constexpr int kIdcSizeNwse = 32642;
inline constexpr int kIdcSizeNesw = 32643;
inline constexpr int kIdcSizeWe = 32644;
inline constexpr int kIdcSizeNs = 32645;
inline constexpr int kIdcSizeAll = 32646;
inline constexpr int kIdcNo = 32648;
inline constexpr int kIdcHand = 32649;
inline constexpr int kIdcAppStarting = 32650;
inline constexpr int kIdcHelp = 32651;

// Virtual keys the gestures act on.
inline constexpr int kVkReturn = 0x0D;
inline constexpr int kVkEnd = 0x23;
inline constexpr int kVkHome = 0x24;
inline constexpr int kVkLeft = 0x25;
inline constexpr int kVkUp = 0x26;
inline constexpr int kVkRight = 0x27;
inline constexpr int kVkDown = 0x28;

// Initial styles of the two dialog items, as the dialog template creates them.
inline constexpr std::uint32_t kTabStripTemplateStyle =
    style::kChild | style::kVisible | style::kGroup | style::kTabStop | style::kTcsToolTips |
    style::kTcsRaggedRight;
inline constexpr std::uint32_t kTreeTemplateStyle =
    style::kChild | style::kVisible | style::kBorder | style::kTabStop | style::kTvsHasButtons |
    style::kTvsHasLines | style::kTvsDisableDragDrop | style::kTvsInfoTip |
    style::kTvsFullRowSelect;

inline constexpr int kRowHeight = 16;

class SimDesktop final : public Desktop {
 public:
  struct Picture {
    int resource_id = 0;
    std::uint32_t mask = 0;
  };
  struct PictureList {
    int initial = 0;
    int grow = 0;
    std::vector<Picture> pictures;
    std::map<int, int> overlays;  // overlay number -> position
  };

  SimDesktop();

  void GetKeyboardState(std::array<std::uint8_t, 256>& state) const override;
  CursorHandle LoadSystemCursor(int idc) override;
  CursorHandle SetCursor(CursorHandle cursor) override;
  CursorHandle GetCursor() const override;
  bool SetClipboardText(const std::string& text) override;
  Point GetMessagePos() const override;
  PictureListHandle CreatePictureList(int initial, int grow) override;
  int AddPicture(PictureListHandle list, int resource_id, std::uint32_t mask) override;
  bool SetOverlayPicture(PictureListHandle list, int position, int overlay) override;
  int PictureCount(PictureListHandle list) const override;  // 0 for an unknown list

  // Test hooks.
  void SetKeyboardState(const std::array<std::uint8_t, 256>& state) { keys_ = state; }
  void SetKeyDown(int virtual_key, bool down);  // bit 7 of the key's byte
  int CursorIdc(CursorHandle cursor) const;     // 0 for none or unknown
  int SetCursorCount() const { return set_cursor_count_; }
  void SetClipboardFails(bool fails) { clipboard_fails_ = fails; }
  const std::optional<std::string>& ClipboardText() const { return clipboard_; }
  int ClipboardWriteCount() const { return clipboard_writes_; }
  void SetMessagePos(Point screen) { message_pos_ = screen; }
  void FailBitmap(int resource_id) { missing_bitmaps_.insert(resource_id); }
  void FailCursor(int idc) { missing_cursors_.insert(idc); }
  const PictureList* FindPictureList(PictureListHandle list) const;
  int PictureListCount() const { return static_cast<int>(lists_.size()); }

 private:
  std::array<std::uint8_t, 256> keys_{};
  CursorHandle current_cursor_ = 0;
  int set_cursor_count_ = 0;
  std::optional<std::string> clipboard_;
  bool clipboard_fails_ = false;
  int clipboard_writes_ = 0;
  Point message_pos_;
  std::map<PictureListHandle, PictureList> lists_;
  PictureListHandle next_list_ = 0x5000;
  std::set<int> missing_bitmaps_;
  std::set<int> missing_cursors_;
};

class SimDialog;

// What both sim views share: the style word (which also holds enabled and visible, as a
// real window's does), the position inside the dialog, and focus through the dialog.
template <class Interface>
class SimWindow : public Interface {
 public:
  std::uint32_t GetStyle() const override { return style_; }
  void SetStyle(std::uint32_t style) override {
    style_ = style;
    ++style_writes_;
  }
  void ReapplyFrame() override { ++frame_count_; }
  void SetPosition(int x, int y, int width, int height) override {
    position_ = Rect{x, y, x + width, y + height};
  }
  Rect GetPosition() const override { return position_; }  // in the dialog's client area
  void Enable(bool enabled) override {
    style_ = enabled ? (style_ & ~style::kDisabled) : (style_ | style::kDisabled);
  }
  bool IsEnabled() const override { return (style_ & style::kDisabled) == 0; }
  void Show(bool visible) override {
    style_ = visible ? (style_ | style::kVisible) : (style_ & ~style::kVisible);
  }
  bool IsVisible() const override { return (style_ & style::kVisible) != 0; }
  void Focus() override;
  Point ScreenToClient(Point screen) const override;

  // Test hooks.
  int FrameCount() const { return frame_count_; }
  int StyleWriteCount() const { return style_writes_; }
  bool HasFocus() const;
  Point ClientToScreen(Point client) const;

 protected:
  SimWindow(SimDialog& dialog, int id, std::uint32_t style)
      : dialog_(dialog), id_(id), style_(style) {}
  // User input reaches only an enabled, visible window.
  bool TakesInput() const { return IsEnabled() && IsVisible(); }
  int Width() const { return position_.right - position_.left; }
  int Height() const { return position_.bottom - position_.top; }

  SimDialog& dialog_;

 private:
  int id_;
  std::uint32_t style_;
  Rect position_;
  int frame_count_ = 0;
  int style_writes_ = 0;
};

class SimTabStrip final : public SimWindow<TabStrip> {
 public:
  explicit SimTabStrip(SimDialog& dialog);

  void SetListener(TabStripListener* listener) override { listener_ = listener; }
  int InsertItem(int position, const std::string& text, std::int64_t param, int image) override;
  bool SetItemImage(int position, int image) override;
  bool SetItemParam(int position, std::int64_t param) override;
  bool GetItemParam(int position, std::int64_t& param) const override;
  bool GetItemText(int position, std::string& text) const override;
  int GetItemImage(int position) const override;
  bool DeleteItem(int position) override;
  bool DeleteAllItems() override;
  int GetItemCount() const override { return static_cast<int>(entries_.size()); }
  int SetCurSel(int position) override;
  int GetCurSel() const override { return selected_; }
  bool HighlightItem(int position, std::uint16_t highlight) override;
  bool IsHighlighted(int position) const override;
  void SetMinTabWidth(int width) override { min_tab_width_ = width; }
  void SetPictureList(PictureListHandle list) override { picture_list_ = list; }
  void SetExtendedStyle(std::uint32_t ex_style) override { ex_style_ = ex_style; }
  std::uint32_t GetExtendedStyle() const override { return ex_style_; }

  // Gestures; each answers whether the strip took the input.
  bool UserSelect(int position);       // click on a tab
  bool RightClick(int position = -1);  // -1: beside the tabs
  bool KeyDown(int virtual_key);

  // Test hooks.
  int MinTabWidth() const { return min_tab_width_; }
  PictureListHandle PictureList() const { return picture_list_; }

 private:
  struct Entry {
    std::string text;
    std::int64_t param = 0;
    int image = -1;
    bool highlighted = false;
  };
  bool Valid(int position) const { return position >= 0 && position < GetItemCount(); }
  bool ChangeSelectionByUser(int position);

  TabStripListener* listener_ = nullptr;
  std::vector<Entry> entries_;
  int selected_ = -1;
  int min_tab_width_ = -1;
  PictureListHandle picture_list_ = 0;
  std::uint32_t ex_style_ = 0;
};

class SimTreeView final : public SimWindow<TreeView> {
 public:
  explicit SimTreeView(SimDialog& dialog);

  void SetListener(TreeListener* listener) override { listener_ = listener; }
  Node InsertItem(Node parent, InsertAt where, const NodeItem& item) override;
  bool SetItem(Node node, const NodeItem& item) override;
  bool GetItem(Node node, NodeItem& item) const override;
  bool DeleteItem(Node node) override;
  bool SelectItem(SelectCode code, Node node) override;
  Node GetNextItem(Node node, NextCode code) const override;
  bool Expand(Node node, ExpandCode code) override;
  bool EnsureVisible(Node node) override;
  HitTestResult HitTest(Point client) const override;
  bool SortChildren(Node parent, const CompareFunction& compare) override;
  void SetPictureList(PictureListHandle list) override { picture_list_ = list; }
  PictureListHandle GetPictureList() const override { return picture_list_; }
  bool SetToolTipInitialDelay(int milliseconds) override;
  int GetCount() const override { return static_cast<int>(nodes_.size()); }
  void BeginBulk() override {
    if (bulk_depth_++ == 0) ++bulk_count_;
  }
  void EndBulk() override {
    if (bulk_depth_ > 0) --bulk_depth_;
  }

  // Gestures at client points; each answers whether the tree took the input.
  bool Click(Point client);
  bool DoubleClick(Point client);
  bool RightClick(Point client);
  bool RightDoubleClick(Point client);
  bool KeyDown(int virtual_key);
  // A tip request for `node` with a buffer of `capacity` bytes; the text the tree would
  // show, or nothing when the listener supplied none or the tree does not ask.
  std::optional<std::string> RequestTip(Node node, int capacity);

  // Test hooks.
  std::vector<Node> Children(Node parent) const;  // kRootNode: the top level
  std::vector<Node> VisibleRows() const;
  int Depth(Node node) const;  // 0 for a top-level node, -1 for none
  // A client point on `part` (a kOnItem* flag) of a shown node's row.
  std::optional<Point> PointOn(Node node, std::uint32_t part) const;
  void SetNotifyCarriesParam(bool carries) { notify_param_ = carries; }
  void SetHasToolTips(bool has) { has_tooltips_ = has; }
  int ToolTipInitialDelay() const { return tooltip_delay_; }
  int DeleteAllCount() const { return delete_all_count_; }
  int HiddenDeleteAllCount() const { return hidden_delete_all_count_; }
  // The bulk bracket: its current depth, and how many outermost brackets were opened.
  int BulkDepth() const { return bulk_depth_; }
  int BulkCount() const { return bulk_count_; }

  // Focus changes, sent by the dialog.
  void SendSetFocus();
  void SendKillFocus();

 private:
  struct NodeData {
    Node parent = kRootNode;
    std::vector<Node> children;
    std::string text;
    int image = 0;
    int selected_image = 0;
    std::int64_t param = 0;
    std::uint32_t state = 0;
    std::optional<int> indicator;
    bool dying = false;     // its subtree is being deleted
    bool reported = false;  // its deletion report is under way
  };

  const NodeData* Find(Node node) const;
  NodeData* Find(Node node);
  bool Alive(Node node) const { return Find(node) != nullptr; }
  const std::vector<Node>* ChildList(Node parent) const;
  std::vector<Node>* ChildList(Node parent);
  bool HasButton(const NodeData& d) const;
  bool IsExpanded(const NodeData& d) const { return (d.state & node::kStateExpanded) != 0; }
  bool IsAncestor(Node ancestor, Node node) const;
  Node FirstVisible() const;
  int RowOf(const std::vector<Node>& rows, Node node) const;
  int PageRows() const;
  NotifyNode Describe(Node node) const;
  void ApplyItem(NodeData& d, const NodeItem& item);
  // The node that takes over the selection from a deleted subtree whose top is `node`.
  Node Neighbour(Node node) const;
  void MarkDying(Node node);
  Node NextDoomedLeaf(Node start) const;
  void RemoveLeaf(Node leaf);
  bool ChangeSelection(Node node, int action);
  bool ChangeExpansion(Node node, bool expand);
  bool Toggle(Node node);
  void SingleExpand(Node old_selection, Node new_selection);
  void Scroll(Node node);
  bool PointToScreen(Point client);

  TreeListener* listener_ = nullptr;
  std::map<Node, NodeData> nodes_;
  std::vector<Node> roots_;
  Node next_handle_ = 0x1000;
  Node selected_ = kNoNode;
  Node first_visible_ = kNoNode;
  PictureListHandle picture_list_ = 0;
  bool notify_param_ = true;
  bool has_tooltips_ = true;
  int tooltip_delay_ = -1;
  int delete_all_count_ = 0;
  int hidden_delete_all_count_ = 0;
  int bulk_depth_ = 0;
  int bulk_count_ = 0;
};

struct DialogOptions {
  bool with_tab_strip = true;
  bool with_tree = true;
};

// The control's dialog: owns the two views, tracks which one has the keyboard focus and
// where its client area lies on the screen.
class SimDialog final : public Dialog {
 public:
  static constexpr int kTabStripId = 201;
  static constexpr int kTreeId = 202;
  static constexpr int kNoFocus = 0;

  explicit SimDialog(SimDesktop& desktop, DialogOptions options = {});
  ~SimDialog() override;
  SimDialog(const SimDialog&) = delete;
  SimDialog& operator=(const SimDialog&) = delete;

  TabStrip* TabStripItem() override { return tabs_.get(); }
  TreeView* TreeItem() override { return tree_.get(); }
  Rect GetClientRect() const override { return client_; }
  void Invalidate() override { ++invalidate_count_; }

  // Test hooks.
  SimTabStrip* Tabs() { return tabs_.get(); }
  SimTreeView* Tree() { return tree_.get(); }
  SimDesktop& DesktopSim() { return desktop_; }
  void SetClientSize(int width, int height) { client_ = Rect{0, 0, width, height}; }
  void SetScreenOrigin(Point origin) { origin_ = origin; }
  Point ScreenOrigin() const { return origin_; }
  int InvalidateCount() const { return invalidate_count_; }
  void FocusOutside() { MoveFocus(kNoFocus); }  // the focus leaves the control
  int FocusedId() const { return focused_; }

  // Moves the keyboard focus to dialog item `id` (kNoFocus: out of the dialog).
  void MoveFocus(int id);

 private:
  SimDesktop& desktop_;
  std::unique_ptr<SimTabStrip> tabs_;
  std::unique_ptr<SimTreeView> tree_;
  Rect client_{0, 0, 200, 200};
  Point origin_{100, 100};
  int invalidate_count_ = 0;
  int focused_ = kNoFocus;
};

template <class Interface>
void SimWindow<Interface>::Focus() {
  dialog_.MoveFocus(id_);
}

template <class Interface>
bool SimWindow<Interface>::HasFocus() const {
  return dialog_.FocusedId() == id_;
}

template <class Interface>
Point SimWindow<Interface>::ScreenToClient(Point screen) const {
  Point origin = dialog_.ScreenOrigin();
  return Point{screen.x - origin.x - position_.left, screen.y - origin.y - position_.top};
}

template <class Interface>
Point SimWindow<Interface>::ClientToScreen(Point client) const {
  Point origin = dialog_.ScreenOrigin();
  return Point{client.x + origin.x + position_.left, client.y + origin.y + position_.top};
}

}  // namespace view::sim
