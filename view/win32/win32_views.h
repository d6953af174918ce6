// The view contract (view/views.h) over the platform's common controls: the tab control
// and tree view of the control's dialog (template 103), the desktop services, and the
// dialog's procedures that turn WM_NOTIFY into the listeners' calls.
//
// Every operation sends the ANSI form of its message (TCM_INSERTITEMA, TVM_INSERTITEMA,
// TVM_SETITEMA, TVM_GETITEMA, ...), and the dialog answers WM_NOTIFYFORMAT with NFR_ANSI so
// that the controls report in ANSI too (TVN_*A). The views' notifications are answered by
// a window procedure in front of the dialog manager's, as its result; the dialog's other
// messages reach the dialog procedure, whose answers go back through DWLP_MSGRESULT.
//
// Re-entrance. The real tree view is not safe when a node is deleted, or the tree rebuilt,
// from inside its own processing of a gesture (selection, expansion, click, key, focus)
// or of a deletion. The core already queues such requests during the tree calls it makes
// itself. For the notifications the views send on their own (user input), the dialog opens
// the host's notification bracket around them (DialogHost), so the core queues
// restructuring requests there too; when the outermost bracket closes with work queued,
// the core asks for a post and the dialog posts itself kRunQueuedMessage, which runs the
// queue once the view has finished its processing. Insertions go straight in (a host
// fills children from TreeOpening, which the tree supports).
// The tab control is bracketed too, except for TCN_SELCHANGE: after TCN_SELCHANGING and
// TCN_KEYDOWN it goes on with the entry index it held before (Wine stores it as the
// selection unchecked, and asserts on it later), so a host's tab deletion there must wait;
// after TCN_SELCHANGE it only repaints, and the core rebuilds the tree for the new tab
// there, before the host hears TabChanged.
// Laying the tree's rows out again (see Win32TreeView::SetItem) is itself unsafe inside
// the tree's processing (Wine faults when that happens in the selection change of a
// deletion): inside a notification it waits for kRelayoutMessage.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "view/views.h"

namespace view::win32 {

inline constexpr int kTemplateId = 103;
inline constexpr int kTabStripId = 201;
inline constexpr int kTreeId = 202;
// Posted to the dialog to run the host's queued requests.
inline constexpr UINT kRunQueuedMessage = WM_APP + 0x51;
// Posted to the dialog to lay out the tree rows that a notification's handler expanded.
inline constexpr UINT kRelayoutMessage = WM_APP + 0x52;

// What the dialog asks of the control that owns it. Every call comes on the window's
// thread from inside the dialog procedure.
class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // WM_SETCURSOR: true when the cursor is settled (the answer 1).
  virtual bool OnSetCursor() = 0;
  // WM_SETFOCUS of the dialog itself: pass the focus on.
  virtual void OnDialogFocus() = 0;
  // A notification of the tree, or of the tab strip other than TCN_SELCHANGE, is delivered
  // between these two.
  virtual void BeginNotification() = 0;
  virtual void EndNotification() = 0;
  // kRunQueuedMessage arrived.
  virtual void RunQueued() = 0;
  // A click on the dialog or one of its views (WM_MOUSEACTIVATE); the message then takes
  // its default course.
  virtual void OnMouseActivate() {}
  // The focus went from the dialog or one of its views to a window outside the dialog, or
  // to none. (The dialog passes the focus on to a view, so its own WM_KILLFOCUS does not
  // come when the focus leaves: the views' do.)
  virtual void OnFocusLeft() {}
};

class Win32Desktop final : public Desktop {
 public:
  // `resources`: the module holding the bitmaps 202-256 and 301-308.
  explicit Win32Desktop(HINSTANCE resources);
  ~Win32Desktop() override;  // destroys the picture lists it made
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  // The clipboard's owner window (the control's dialog), or null.
  void SetClipboardOwner(HWND owner) { clipboard_owner_ = owner; }

  void GetKeyboardState(std::array<std::uint8_t, 256>& state) const override;
  CursorHandle LoadSystemCursor(int idc) override;
  CursorHandle SetCursor(CursorHandle cursor) override;
  CursorHandle GetCursor() const override;
  bool SetClipboardText(const std::string& text) override;
  Point GetMessagePos() const override;
  PictureListHandle CreatePictureList(int initial, int grow) override;
  int AddPicture(PictureListHandle list, int resource_id, std::uint32_t mask) override;
  bool SetOverlayPicture(PictureListHandle list, int position, int overlay) override;
  int PictureCount(PictureListHandle list) const override;

 private:
  HINSTANCE resources_;
  HWND clipboard_owner_ = nullptr;
  std::map<PictureListHandle, HIMAGELIST> lists_;
};

// What both views share: a child window of the dialog.
template <class Interface>
class Win32Window : public Interface {
 public:
  HWND Window() const { return hwnd_; }

  std::uint32_t GetStyle() const override;
  void SetStyle(std::uint32_t style) override;
  void ReapplyFrame() override;
  void SetPosition(int x, int y, int width, int height) override;
  Rect GetPosition() const override;
  void Enable(bool enabled) override;
  bool IsEnabled() const override;
  void Show(bool visible) override;
  bool IsVisible() const override;
  void Focus() override;
  Point ScreenToClient(Point screen) const override;

 protected:
  explicit Win32Window(HWND hwnd) : hwnd_(hwnd) {}
  LRESULT Send(UINT message, WPARAM wparam, LPARAM lparam) const {
    return SendMessageA(hwnd_, message, wparam, lparam);
  }

 private:
  HWND hwnd_;
};

class Win32TabStrip final : public Win32Window<TabStrip> {
 public:
  explicit Win32TabStrip(HWND hwnd) : Win32Window(hwnd) {}

  TabStripListener* Listener() const { return listener_; }
  void SetListener(TabStripListener* listener) override { listener_ = listener; }
  int InsertItem(int position, const std::string& text, std::int64_t param, int image) override;
  bool SetItemImage(int position, int image) override;
  bool SetItemParam(int position, std::int64_t param) override;
  bool GetItemParam(int position, std::int64_t& param) const override;
  bool GetItemText(int position, std::string& text) const override;
  int GetItemImage(int position) const override;
  bool DeleteItem(int position) override;
  bool DeleteAllItems() override;
  int GetItemCount() const override;
  int SetCurSel(int position) override;
  int GetCurSel() const override;
  bool HighlightItem(int position, std::uint16_t highlight) override;
  bool IsHighlighted(int position) const override;
  void SetMinTabWidth(int width) override;
  void SetPictureList(PictureListHandle list) override;
  void SetExtendedStyle(std::uint32_t ex_style) override;
  std::uint32_t GetExtendedStyle() const override;

  // Decodes one notification of the strip; answers whether it was one of the handled.
  bool Notify(const NMHDR& header, LRESULT& answer);

 private:
  TabStripListener* listener_ = nullptr;
};

class Win32TreeView final : public Win32Window<TreeView> {
 public:
  explicit Win32TreeView(HWND hwnd) : Win32Window(hwnd) {}

  TreeListener* Listener() const { return listener_; }
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
  void SetPictureList(PictureListHandle list) override;
  PictureListHandle GetPictureList() const override;
  bool SetToolTipInitialDelay(int milliseconds) override;
  int GetCount() const override;
  void BeginBulk() override;
  void EndBulk() override;

  // The node's rectangle in client coordinates (label only or the whole row).
  bool GetItemRect(Node node, bool label_only, RECT& rect) const;
  bool Notify(const NMHDR& header, LRESULT& answer);
  // kRelayoutMessage arrived: lays out the rows of the nodes expanded inside notifications.
  void RunRelayout();

 private:
  bool Decode(const NMHDR& header, LRESULT& answer);
  void Relayout(Node node);
  void PostRelayout();

  TreeListener* listener_ = nullptr;
  int bulk_depth_ = 0;
  int notify_depth_ = 0;
  std::vector<Node> relayout_;  // expanded inside a notification, rows not laid out yet
  bool relayout_posted_ = false;
};

// The control's dialog: a modeless child dialog from template 103.
class Win32Dialog final : public Dialog {
 public:
  // Creates the dialog (hidden) as a child of `parent`. `desktop` becomes the clipboard
  // owner's desktop; `host` hears the dialog's own messages. Null when the platform refuses.
  static std::unique_ptr<Win32Dialog> Create(HINSTANCE resources, HWND parent,
                                             Win32Desktop& desktop, DialogHost& host);
  ~Win32Dialog() override;  // destroys the window
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;

  TabStrip* TabStripItem() override { return tabs_.get(); }
  TreeView* TreeItem() override { return tree_.get(); }
  Rect GetClientRect() const override;
  void Invalidate() override;

  HWND Window() const { return hwnd_; }
  Win32TabStrip* Tabs() { return tabs_.get(); }
  Win32TreeView* Tree() { return tree_.get(); }
  // The background of the dialog and its static children; replaces (and deletes) the
  // brush held before.
  void SetBackground(COLORREF colour);
  void PostRunQueued();

 private:
  Win32Dialog(Win32Desktop& desktop, DialogHost& host) : desktop_(desktop), host_(host) {}
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  // The dialog window's procedure, in front of the dialog manager's: it answers the views'
  // notifications itself and hands every other message on (through the dialog manager to
  // Procedure). The dialog manager spends several calls into the window system on every
  // message, and a tree sends one notification per node it deletes.
  static LRESULT CALLBACK NotifyFront(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  // In front of each view's procedure: hears the view lose the focus.
  static LRESULT CALLBACK ViewFront(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR id, DWORD_PTR dialog);
  // `next` has the focus now: the host hears when it is outside the dialog.
  void FocusMovedTo(HWND next);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // Decodes a notification of the tab strip or the tree inside the host's bracket (see the
  // header); false when it is none of theirs or none of the handled.
  bool Notify(const NMHDR& header, LRESULT& answer);
  void Answer(LRESULT answer) { SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, answer); }

  Win32Desktop& desktop_;
  DialogHost& host_;
  HWND hwnd_ = nullptr;
  WNDPROC dialog_manager_ = nullptr;  // the procedure NotifyFront hands messages on to
  HBRUSH background_ = nullptr;
  std::unique_ptr<Win32TabStrip> tabs_;
  std::unique_ptr<Win32TreeView> tree_;
};

}  // namespace view::win32
