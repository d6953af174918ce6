// The tree view over the tree control's TVM_* messages, and the decoding of its
// notifications.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "view/win32/win32_views.h"

namespace view::win32 {

namespace {

HTREEITEM AsItem(Node node) { return reinterpret_cast<HTREEITEM>(node); }
Node AsNode(HTREEITEM item) { return reinterpret_cast<Node>(item); }
// The platform's root: TVI_ROOT, or no node where an operation means the root by it.
HTREEITEM ParentItem(Node parent) {
  return parent == kNoNode || parent == kRootNode ? TVI_ROOT : AsItem(parent);
}

// Node attributes into TVITEMA or TVITEMEXA. The text goes as it is (a std::string ends
// with a zero): the tree copies it and writes nothing into it, so no node pays for a copy.
template <class TvItem>
void Fill(TvItem& tv, const NodeItem& item) {
  tv.mask = item.mask &
            (TVIF_TEXT | TVIF_IMAGE | TVIF_PARAM | TVIF_STATE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN);
  if (tv.mask & TVIF_TEXT) tv.pszText = const_cast<char*>(item.text.c_str());
  tv.iImage = item.image;
  tv.iSelectedImage = item.selected_image;
  tv.lParam = static_cast<LPARAM>(item.param);
  tv.state = item.state;
  tv.stateMask = item.state_mask;
  tv.cChildren = item.children;
}

NotifyNode Describe(const TVITEMA& tv) {
  NotifyNode side;
  side.node = AsNode(tv.hItem);
  side.has_param = side.node != kNoNode && (tv.mask & TVIF_PARAM) != 0;
  side.param = side.has_param ? static_cast<std::int64_t>(tv.lParam) : 0;
  side.state = (tv.mask & TVIF_STATE) != 0 ? tv.state : 0;
  return side;
}

TreeNotify Describe(const NMTREEVIEWA& n) {
  return TreeNotify{Describe(n.itemOld), Describe(n.itemNew), static_cast<int>(n.action)};
}

int CALLBACK CompareThrough(LPARAM first, LPARAM second, LPARAM compare) {
  return (*reinterpret_cast<const CompareFunction*>(compare))(first, second);
}

}  // namespace

Node Win32TreeView::InsertItem(Node parent, InsertAt where, const NodeItem& item) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = ParentItem(parent);
  insert.hInsertAfter = where == InsertAt::kSort ? TVI_SORT : TVI_LAST;
  Fill(insert.item, item);
  return AsNode(
      reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert))));
}

bool Win32TreeView::SetItem(Node node, const NodeItem& item) {
  if (node == kNoNode || node == kRootNode) return false;
  TVITEMEXA tv{};
  Fill(tv, item);
  tv.mask |= TVIF_HANDLE;
  tv.hItem = AsItem(node);
  // Told of an expanded state by TVM_SETITEM, the tree keeps its rows as they were (Wine:
  // the children stay off the rows and the siblings below are not moved down); a change
  // of the integral height lays the rows out again. Inside a notification the tree may be
  // half way through a deletion (Wine: the first visible node already freed), so the rows
  // are laid out once its processing is over.
  const bool expanded = (tv.mask & TVIF_STATE) && (tv.stateMask & TVIS_EXPANDED);
  if (expanded && notify_depth_ == 0) {
    tv.mask |= TVIF_INTEGRAL;
    tv.iIntegral = 1;  // every node's height here
  }
  const bool done = Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) != 0;
  if (done && expanded && notify_depth_ > 0) {
    if (std::find(relayout_.begin(), relayout_.end(), node) == relayout_.end()) {
      relayout_.push_back(node);
    }
  }
  return done;
}

void Win32TreeView::Relayout(Node node) {
  TVITEMEXA tv{};
  tv.mask = TVIF_HANDLE | TVIF_INTEGRAL;
  tv.hItem = AsItem(node);
  tv.iIntegral = 1;
  Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));  // a node gone since is refused
}

void Win32TreeView::PostRelayout() {
  if (relayout_.empty() || relayout_posted_) return;
  relayout_posted_ = PostMessageA(GetParent(Window()), kRelayoutMessage, 0, 0) != FALSE;
  // Without the post the rows are laid out at the next notification's end.
}

void Win32TreeView::RunRelayout() {
  relayout_posted_ = false;
  if (notify_depth_ > 0) return;  // the notification's end posts again
  std::vector<Node> nodes;
  nodes.swap(relayout_);
  for (Node node : nodes) Relayout(node);
}

bool Win32TreeView::GetItem(Node node, NodeItem& item) const {
  if (node == kNoNode || node == kRootNode) return false;
  std::vector<char> text;
  TVITEMA tv{};
  tv.mask = TVIF_HANDLE | (item.mask & (TVIF_TEXT | TVIF_IMAGE | TVIF_PARAM | TVIF_STATE |
                                        TVIF_SELECTEDIMAGE | TVIF_CHILDREN));
  tv.hItem = AsItem(node);
  tv.stateMask = item.state_mask;
  // Texts longer than the buffer come back cut; grow until one fits (bounded).
  for (std::size_t size = 256;; size *= 4) {
    if (tv.mask & TVIF_TEXT) {
      text.assign(size, '\0');
      tv.pszText = text.data();
      tv.cchTextMax = static_cast<int>(size);
    }
    if (Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) == 0) return false;
    if ((tv.mask & TVIF_TEXT) == 0 || tv.pszText == nullptr) break;
    if (tv.pszText != text.data()) break;  // the tree answered with its own buffer
    const std::size_t length = strnlen(text.data(), size);
    if (length + 1 < size || size >= (1u << 20)) break;
  }
  if (item.mask & node::kText) {
    item.text =
        tv.pszText != nullptr && tv.pszText != LPSTR_TEXTCALLBACKA
            ? std::string(tv.pszText, strnlen(tv.pszText, text.empty() ? INT_MAX : text.size()))
            : std::string();
  }
  if (item.mask & node::kImage) item.image = tv.iImage;
  if (item.mask & node::kSelectedImage) item.selected_image = tv.iSelectedImage;
  if (item.mask & node::kParam) item.param = static_cast<std::int64_t>(tv.lParam);
  if (item.mask & node::kState) item.state = tv.state & item.state_mask;
  if (item.mask & node::kChildren) item.children = tv.cChildren;
  return true;
}

bool Win32TreeView::DeleteItem(Node node) {
  const HTREEITEM item = node == kNoNode || node == kRootNode ? TVI_ROOT : AsItem(node);
  return Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != 0;
}

bool Win32TreeView::SelectItem(SelectCode code, Node node) {
  const WPARAM which = code == SelectCode::kCaret ? TVGN_CARET : TVGN_FIRSTVISIBLE;
  return Send(TVM_SELECTITEM, which, reinterpret_cast<LPARAM>(AsItem(node))) != 0;
}

Node Win32TreeView::GetNextItem(Node node, NextCode code) const {
  WPARAM which = TVGN_ROOT;
  switch (code) {
    case NextCode::kRoot:
      which = TVGN_ROOT;
      break;
    case NextCode::kNext:
      which = TVGN_NEXT;
      break;
    case NextCode::kParent:
      which = TVGN_PARENT;
      break;
    case NextCode::kChild:
      // The root's children are the top level.
      which = node == kNoNode || node == kRootNode ? TVGN_ROOT : TVGN_CHILD;
      break;
    case NextCode::kCaret:
      which = TVGN_CARET;
      break;
    case NextCode::kFirstVisible:
      which = TVGN_FIRSTVISIBLE;
      break;
  }
  const bool needs_node = which == TVGN_NEXT || which == TVGN_PARENT || which == TVGN_CHILD;
  if (needs_node && (node == kNoNode || node == kRootNode)) return kNoNode;
  return AsNode(reinterpret_cast<HTREEITEM>(
      Send(TVM_GETNEXTITEM, which, needs_node ? reinterpret_cast<LPARAM>(AsItem(node)) : 0)));
}

bool Win32TreeView::Expand(Node node, ExpandCode code) {
  if (node == kNoNode || node == kRootNode) return false;
  return Send(TVM_EXPAND, static_cast<WPARAM>(code), reinterpret_cast<LPARAM>(AsItem(node))) != 0;
}

bool Win32TreeView::EnsureVisible(Node node) {
  if (node == kNoNode || node == kRootNode) return false;
  return Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(AsItem(node))) != 0;
}

HitTestResult Win32TreeView::HitTest(Point client) const {
  TVHITTESTINFO info{};
  info.pt = POINT{client.x, client.y};
  const auto node =
      AsNode(reinterpret_cast<HTREEITEM>(Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))));
  return HitTestResult{node, node != kNoNode
                                 ? static_cast<std::uint32_t>(info.flags)
                                 : static_cast<std::uint32_t>(info.flags | TVHT_NOWHERE)};
}

bool Win32TreeView::SortChildren(Node parent, const CompareFunction& compare) {
  TVSORTCB sort{};
  sort.hParent = ParentItem(parent);
  sort.lpfnCompare = CompareThrough;
  sort.lParam = reinterpret_cast<LPARAM>(&compare);
  return Send(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)) != 0;
}

void Win32TreeView::SetPictureList(PictureListHandle list) {
  Send(TVM_SETIMAGELIST, TVSIL_NORMAL, static_cast<LPARAM>(list));
}

PictureListHandle Win32TreeView::GetPictureList() const {
  return static_cast<PictureListHandle>(Send(TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
}

bool Win32TreeView::SetToolTipInitialDelay(int milliseconds) {
  const auto tips = reinterpret_cast<HWND>(Send(TVM_GETTOOLTIPS, 0, 0));
  if (tips == nullptr) return false;
  SendMessageA(tips, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(milliseconds & 0xFFFF, 0));
  return true;
}

int Win32TreeView::GetCount() const { return static_cast<int>(Send(TVM_GETCOUNT, 0, 0)); }

void Win32TreeView::BeginBulk() {
  if (bulk_depth_++ == 0) Send(WM_SETREDRAW, FALSE, 0);
}

void Win32TreeView::EndBulk() {
  if (bulk_depth_ == 0) return;
  if (--bulk_depth_ == 0) {
    Send(WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Window(), nullptr, TRUE);
  }
}

bool Win32TreeView::GetItemRect(Node node, bool label_only, RECT& rect) const {
  // TVM_GETITEMRECT takes the node in the rectangle it fills.
  *reinterpret_cast<HTREEITEM*>(&rect) = AsItem(node);
  return Send(TVM_GETITEMRECT, label_only ? TRUE : FALSE, reinterpret_cast<LPARAM>(&rect)) != 0;
}

bool Win32TreeView::Notify(const NMHDR& header, LRESULT& answer) {
  if (listener_ == nullptr) return false;
  // Expanded states written while the tree is busy are laid out once it is done.
  struct Depth {
    Win32TreeView& tree;
    explicit Depth(Win32TreeView& t) : tree(t) { ++tree.notify_depth_; }
    ~Depth() {
      if (--tree.notify_depth_ == 0) tree.PostRelayout();
    }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;
  } depth(*this);
  return Decode(header, answer);
}

bool Win32TreeView::Decode(const NMHDR& header, LRESULT& answer) {
  const auto& tree = reinterpret_cast<const NMTREEVIEWA&>(header);
  switch (header.code) {
    case TVN_SELCHANGINGA:
      answer = listener_->OnSelChanging(Describe(tree));
      return true;
    case TVN_SELCHANGEDA:
      answer = listener_->OnSelChanged(Describe(tree));
      return true;
    case TVN_ITEMEXPANDINGA:
      answer = listener_->OnItemExpanding(Describe(tree));
      return true;
    case TVN_ITEMEXPANDEDA:
      answer = listener_->OnItemExpanded(Describe(tree));
      return true;
    case TVN_DELETEITEMA:
      // A removed handle is never handed back to the tree.
      std::erase(relayout_, AsNode(tree.itemOld.hItem));
      answer = listener_->OnDeleteItem(Describe(tree));
      return true;
    case TVN_SINGLEEXPAND:
      answer = listener_->OnSingleExpand(Describe(tree));
      return true;
    case TVN_KEYDOWN:
      answer = listener_->OnKeyDown(reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey);
      return true;
    case TVN_GETINFOTIPA: {
      const auto& tip = reinterpret_cast<const NMTVGETINFOTIPA&>(header);
      if (tip.pszText == nullptr || tip.cchTextMax <= 0) return false;
      std::string text(tip.pszText, strnlen(tip.pszText, static_cast<std::size_t>(tip.cchTextMax)));
      if (!listener_->OnGetInfoTip(static_cast<std::int64_t>(tip.lParam), text, tip.cchTextMax)) {
        return false;  // left to the tree
      }
      const std::size_t length =
          std::min(text.size(), static_cast<std::size_t>(tip.cchTextMax) - 1);
      text.copy(tip.pszText, length);
      tip.pszText[length] = '\0';
      answer = 0;
      return true;
    }
    case NM_CLICK:
      answer = listener_->OnClick();
      return true;
    case NM_DBLCLK:
      answer = listener_->OnDblClick();
      return true;
    case NM_RETURN:
      answer = listener_->OnReturn();
      return true;
    case NM_RCLICK:
      answer = listener_->OnRClick();
      return true;
    case NM_RDBLCLK:
      answer = listener_->OnRDblClick();
      return true;
    case NM_SETFOCUS:
      answer = listener_->OnSetFocus();
      return true;
    case NM_KILLFOCUS:
      answer = listener_->OnKillFocus();
      return true;
    default:
      return false;
  }
}

}  // namespace view::win32
