// The tab strip, tree view and desktop services that the control's logic relies on.
//
// The logic is written against these interfaces only. view/sim implements them as small
// test doubles; view/win32 maps them onto the real common controls. Values that the logic
// computes with (window styles, node states, hit flags, notification actions) keep the
// platform's numeric values, so that a backend passes them through untranslated.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace view {

// A tree node handle; 0 is "no node". The root is addressed by kRootNode where an
// operation accepts it (insertion parent, delete-all, sort of the top level).
using Node = std::uintptr_t;
inline constexpr Node kNoNode = 0;
inline constexpr Node kRootNode = static_cast<Node>(-0x10000);  // value of TVI_ROOT

// Opaque handles owned by the desktop.
using PictureListHandle = std::uintptr_t;  // 0 = none
using CursorHandle = std::uintptr_t;       // 0 = none

// ---- Window styles (values of WS_*, TCS_*, TVS_*) -------------------------------------
namespace style {
inline constexpr std::uint32_t kTabStop = 0x00010000;   // WS_TABSTOP
inline constexpr std::uint32_t kGroup = 0x00020000;     // WS_GROUP
inline constexpr std::uint32_t kBorder = 0x00800000;    // WS_BORDER
inline constexpr std::uint32_t kVisible = 0x10000000;   // WS_VISIBLE
inline constexpr std::uint32_t kChild = 0x40000000;     // WS_CHILD
inline constexpr std::uint32_t kDisabled = 0x08000000;  // WS_DISABLED

inline constexpr std::uint32_t kTcsScrollOpposite = 0x0001;
inline constexpr std::uint32_t kTcsFlatButtons = 0x0008;
inline constexpr std::uint32_t kTcsButtons = 0x0100;
inline constexpr std::uint32_t kTcsMultiline = 0x0200;
inline constexpr std::uint32_t kTcsRaggedRight = 0x0800;
inline constexpr std::uint32_t kTcsFocusNever = 0x8000;
inline constexpr std::uint32_t kTcsToolTips = 0x4000;
inline constexpr std::uint32_t kTcsVertical = 0x0080;
inline constexpr std::uint32_t kTcsExFlatSeparators = 0x0001;  // extended style

inline constexpr std::uint32_t kTvsHasButtons = 0x0001;
inline constexpr std::uint32_t kTvsHasLines = 0x0002;
inline constexpr std::uint32_t kTvsLinesAtRoot = 0x0004;
inline constexpr std::uint32_t kTvsDisableDragDrop = 0x0010;
inline constexpr std::uint32_t kTvsShowSelAlways = 0x0020;
inline constexpr std::uint32_t kTvsInfoTip = 0x0800;
inline constexpr std::uint32_t kTvsFullRowSelect = 0x1000;
inline constexpr std::uint32_t kTvsSingleExpand = 0x0400;
}  // namespace style

// ---- Tree node attributes (values of TVIF_*, TVIS_*) ----------------------------------
namespace node {
inline constexpr std::uint32_t kText = 0x0001;           // TVIF_TEXT
inline constexpr std::uint32_t kImage = 0x0002;          // TVIF_IMAGE
inline constexpr std::uint32_t kParam = 0x0004;          // TVIF_PARAM
inline constexpr std::uint32_t kState = 0x0008;          // TVIF_STATE
inline constexpr std::uint32_t kSelectedImage = 0x0020;  // TVIF_SELECTEDIMAGE
inline constexpr std::uint32_t kChildren = 0x0040;       // TVIF_CHILDREN

inline constexpr std::uint32_t kStateSelected = 0x0002;     // TVIS_SELECTED
inline constexpr std::uint32_t kStateBold = 0x0010;         // TVIS_BOLD
inline constexpr std::uint32_t kStateExpanded = 0x0020;     // TVIS_EXPANDED
inline constexpr std::uint32_t kStateOverlayMask = 0x0F00;  // TVIS_OVERLAYMASK
}  // namespace node

// What a tree node carries; `mask` says which fields an operation writes or reads.
struct NodeItem {
  std::uint32_t mask = 0;
  std::string text;
  int image = 0;
  int selected_image = 0;
  std::int64_t param = 0;  // item data: the item's Seq
  std::uint32_t state = 0;
  std::uint32_t state_mask = 0;
  int children = 0;  // children indicator: 1 shows the expand button without children
};

enum class InsertAt { kLast, kSort };  // TVI_LAST, TVI_SORT
enum class NextCode { kRoot, kNext, kParent, kChild, kCaret, kFirstVisible };
enum class SelectCode { kCaret, kFirstVisible };       // TVGN_CARET, TVGN_FIRSTVISIBLE
enum class ExpandCode { kExpand = 2, kCollapse = 1 };  // TVE_EXPAND, TVE_COLLAPSE

// Hit-test flags (values of TVHT_*).
namespace hit {
inline constexpr std::uint32_t kNowhere = 0x0001;
inline constexpr std::uint32_t kOnItemIcon = 0x0002;
inline constexpr std::uint32_t kOnItemLabel = 0x0004;
inline constexpr std::uint32_t kOnItemIndent = 0x0008;
inline constexpr std::uint32_t kOnItemButton = 0x0010;
inline constexpr std::uint32_t kOnItemRight = 0x0020;
inline constexpr std::uint32_t kOnItemStateIcon = 0x0040;
inline constexpr std::uint32_t kOnItem = kOnItemIcon | kOnItemLabel | kOnItemStateIcon;
}  // namespace hit

struct Point {
  int x = 0;
  int y = 0;
};
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct HitTestResult {
  Node node = kNoNode;
  std::uint32_t flags = hit::kNowhere;
};

// Selection change causes (TVC_*): passed on to the host unchanged.
inline constexpr int kActionUnknown = 0;
inline constexpr int kActionByMouse = 1;
inline constexpr int kActionByKeyboard = 2;

// Sort callback: item data of two siblings -> negative, 0 or positive.
using CompareFunction = std::function<int(std::int64_t, std::int64_t)>;

// ---- Notifications ----------------------------------------------------------------------
// One side of a tree notification: a node and, where the notification carries it, its
// item data (has_param false means the handler must ask the tree).
struct NotifyNode {
  Node node = kNoNode;
  bool has_param = false;
  std::int64_t param = 0;
  std::uint32_t state = 0;
};

struct TreeNotify {
  NotifyNode old_node;
  NotifyNode new_node;
  int action = 0;  // TVC_* for selection, TVE_* for expansion
};

// The tab strip's notifications, delivered synchronously from inside the operation or
// user gesture that caused them. Every handler's answer goes back to the tab strip.
class TabStripListener {
 public:
  virtual ~TabStripListener() = default;
  virtual int OnTabSelChanging() = 0;             // TCN_SELCHANGING
  virtual int OnTabSelChange() = 0;               // TCN_SELCHANGE
  virtual int OnTabRClick() = 0;                  // NM_RCLICK
  virtual int OnTabKeyDown(int virtual_key) = 0;  // TCN_KEYDOWN
};

// The tree view's notifications. OnGetInfoTip fills `text` (at most capacity - 1 bytes
// are shown) and answers whether it supplied a tip.
class TreeListener {
 public:
  virtual ~TreeListener() = default;
  virtual int OnSelChanging(const TreeNotify& n) = 0;    // TVN_SELCHANGINGA
  virtual int OnSelChanged(const TreeNotify& n) = 0;     // TVN_SELCHANGEDA
  virtual int OnItemExpanding(const TreeNotify& n) = 0;  // TVN_ITEMEXPANDINGA
  virtual int OnItemExpanded(const TreeNotify& n) = 0;   // TVN_ITEMEXPANDEDA
  virtual int OnDeleteItem(const TreeNotify& n) = 0;     // TVN_DELETEITEMA (old node)
  virtual int OnKeyDown(int virtual_key) = 0;            // TVN_KEYDOWN
  virtual bool OnGetInfoTip(std::int64_t param, std::string& text, int capacity) = 0;
  virtual int OnSingleExpand(const TreeNotify& n) = 0;  // TVN_SINGLEEXPAND
  virtual int OnClick() = 0;                            // NM_CLICK
  virtual int OnDblClick() = 0;                         // NM_DBLCLK
  virtual int OnReturn() = 0;                           // NM_RETURN
  virtual int OnRClick() = 0;                           // NM_RCLICK
  virtual int OnRDblClick() = 0;                        // NM_RDBLCLK
  virtual int OnSetFocus() = 0;                         // NM_SETFOCUS
  virtual int OnKillFocus() = 0;                        // NM_KILLFOCUS
};

// ---- Windows ---------------------------------------------------------------------------
// What both views share as child windows of the control's dialog.
class ChildWindow {
 public:
  virtual ~ChildWindow() = default;
  virtual std::uint32_t GetStyle() const = 0;
  // Writes the style word only (no frame change), as SetWindowLongA(GWL_STYLE) does.
  virtual void SetStyle(std::uint32_t style) = 0;
  // Re-applies the window's position after a style change: no move, size, z-order
  // change or activation (SetWindowPos with SWP_FRAMECHANGED and the NO* flags).
  virtual void ReapplyFrame() = 0;
  virtual void SetPosition(int x, int y, int width, int height) = 0;
  // The window's rectangle in its parent's client coordinates, as SetPosition placed it.
  virtual Rect GetPosition() const = 0;
  virtual void Enable(bool enabled) = 0;
  virtual bool IsEnabled() const = 0;
  virtual void Show(bool visible) = 0;
  virtual bool IsVisible() const = 0;
  virtual void Focus() = 0;
  // Screen point to this window's client coordinates (ScreenToClient).
  virtual Point ScreenToClient(Point screen) const = 0;
};

class TabStrip : public ChildWindow {
 public:
  virtual void SetListener(TabStripListener* listener) = 0;
  // Inserts an entry at `position` (later entries move up); image < 0 means no picture.
  // Answers the new entry's position or -1.
  virtual int InsertItem(int position, const std::string& text, std::int64_t param, int image) = 0;
  virtual bool SetItemImage(int position, int image) = 0;
  virtual bool SetItemParam(int position, std::int64_t param) = 0;
  virtual bool GetItemParam(int position, std::int64_t& param) const = 0;
  virtual bool GetItemText(int position, std::string& text) const = 0;
  virtual int GetItemImage(int position) const = 0;  // -1 for none or no entry
  virtual bool DeleteItem(int position) = 0;
  virtual bool DeleteAllItems() = 0;
  virtual int GetItemCount() const = 0;
  // Selects without any notification; answers the previous selection or -1.
  virtual int SetCurSel(int position) = 0;
  virtual int GetCurSel() const = 0;
  virtual bool HighlightItem(int position, std::uint16_t highlight) = 0;
  virtual bool IsHighlighted(int position) const = 0;
  virtual void SetMinTabWidth(int width) = 0;
  virtual void SetPictureList(PictureListHandle list) = 0;
  virtual void SetExtendedStyle(std::uint32_t ex_style) = 0;  // mask 0: all bits
  virtual std::uint32_t GetExtendedStyle() const = 0;
};

class TreeView : public ChildWindow {
 public:
  virtual void SetListener(TreeListener* listener) = 0;
  // parent: kRootNode or a node. Answers the new node or kNoNode.
  virtual Node InsertItem(Node parent, InsertAt where, const NodeItem& item) = 0;
  virtual bool SetItem(Node node, const NodeItem& item) = 0;
  // Fills the fields named by item.mask; fails for a node that is gone. With kState, the
  // answer holds only the state bits named by item.state_mask (as TVM_GETITEM does).
  virtual bool GetItem(Node node, NodeItem& item) const = 0;
  // Removes a node with its subtree (kRootNode: all nodes), reporting every removed
  // node through OnDeleteItem, children before their parent, before it returns.
  virtual bool DeleteItem(Node node) = 0;
  // kCaret selects `node` (kNoNode: no selection); a change of selection sends
  // OnSelChanging / OnSelChanged with action 0. kFirstVisible scrolls node to the top.
  virtual bool SelectItem(SelectCode code, Node node) = 0;
  virtual Node GetNextItem(Node node, NextCode code) const = 0;
  // Expands or collapses with the platform's notifications (expanding/expanded).
  virtual bool Expand(Node node, ExpandCode code) = 0;
  virtual bool EnsureVisible(Node node) = 0;
  virtual HitTestResult HitTest(Point client) const = 0;
  // Reorders the direct children of parent (kRootNode: the top level) by `compare`.
  virtual bool SortChildren(Node parent, const CompareFunction& compare) = 0;
  virtual void SetPictureList(PictureListHandle list) = 0;  // 0: no pictures
  virtual PictureListHandle GetPictureList() const = 0;
  // Initial delay of the tree's tool-tip window; false when it has none.
  virtual bool SetToolTipInitialDelay(int milliseconds) = 0;
  virtual int GetCount() const = 0;
  // Brackets a change of many nodes, nested: drawing stops at the outermost BeginBulk and
  // resumes, with one repaint of the whole tree, at the matching EndBulk. Nothing else
  // changes: notifications, nodes and answers are the same inside and outside.
  virtual void BeginBulk() = 0;
  virtual void EndBulk() = 0;
};

// Services of the desktop around the control: keyboard, cursors, clipboard, message
// position and the picture list.
class Desktop {
 public:
  virtual ~Desktop() = default;
  virtual void GetKeyboardState(std::array<std::uint8_t, 256>& state) const = 0;
  // System cursor by its IDC_* number (32512 arrow, 32514 wait, ...); 0 when unknown.
  virtual CursorHandle LoadSystemCursor(int idc) = 0;
  // Makes `cursor` current and answers the cursor that was current before.
  virtual CursorHandle SetCursor(CursorHandle cursor) = 0;
  virtual CursorHandle GetCursor() const = 0;
  // Puts ANSI text on the clipboard as CF_TEXT; false when that was not possible.
  virtual bool SetClipboardText(const std::string& text) = 0;
  // Screen position of the message being handled.
  virtual Point GetMessagePos() const = 0;
  // Picture list: 16x16, masked, with room to grow.
  virtual PictureListHandle CreatePictureList(int initial, int grow) = 0;
  // Appends the bitmap resource `resource_id` with the transparent colour (0x00BBGGRR);
  // answers its position or -1.
  virtual int AddPicture(PictureListHandle list, int resource_id, std::uint32_t mask) = 0;
  virtual bool SetOverlayPicture(PictureListHandle list, int position, int overlay) = 0;
  virtual int PictureCount(PictureListHandle list) const = 0;
};

// The control's dialog: the parent of both views.
class Dialog {
 public:
  virtual ~Dialog() = default;
  virtual TabStrip* TabStripItem() = 0;  // dialog item 201, or null
  virtual TreeView* TreeItem() = 0;      // dialog item 202, or null
  virtual Rect GetClientRect() const = 0;
  virtual void Invalidate() = 0;  // whole area, with erasing
};

}  // namespace view
