// The arithmetic of the appearance properties: how a stored value turns into window
// styles, cursors, picture lists and view rectangles. Pure functions over the view
// contract, so that every rule can be checked without a window.
#pragma once

#include <cstdint>

#include "view/views.h"

namespace view {

// ---- Stored defaults of the control-level properties ---------------------------------
inline constexpr std::int32_t kDefaultTabRows = 1;
inline constexpr std::int32_t kDefaultMinTabWidth = -1;
inline constexpr std::int32_t kDefaultTabStyle = 4;
inline constexpr std::int32_t kDefaultToolTipDelay = 4000;

// TabStyle bits.
inline constexpr std::int32_t kTabJustified = 1;
inline constexpr std::int32_t kTabVertical = 2;
inline constexpr std::int32_t kTabScrolling = 4;
inline constexpr std::int32_t kTabButtons = 8;
inline constexpr std::int32_t kTabFlat = 16;
inline constexpr std::int32_t kTabNoSeparators = 32;

// TreeStyle bits.
inline constexpr std::int32_t kTreeLinesAtRoot = 1;
inline constexpr std::int32_t kTreeNoPictures = 2;
inline constexpr std::int32_t kTreeSelectAlways = 4;
inline constexpr std::int32_t kTreeSingleExpand = 8;

// MousePointer values with a meaning of their own.
inline constexpr std::int32_t kPointerDefault = 0;
inline constexpr std::int32_t kPointerHourglass = 11;
inline constexpr std::int32_t kPointerCustom = 99;

// System cursor numbers (IDC_*).
namespace idc {
inline constexpr int kArrow = 32512;
inline constexpr int kIbeam = 32513;
inline constexpr int kWait = 32514;
inline constexpr int kCross = 32515;
inline constexpr int kUpArrow = 32516;
inline constexpr int kSizeNwse = 32642;
inline constexpr int kSizeNesw = 32643;
inline constexpr int kSizeWe = 32644;
inline constexpr int kSizeNs = 32645;
inline constexpr int kSizeAll = 32646;
inline constexpr int kNo = 32648;
inline constexpr int kAppStarting = 32650;
inline constexpr int kHelp = 32651;
}  // namespace idc

// Picture list: 55 item pictures from bitmaps 202..256 (white transparent), then the 8
// overlays from bitmaps 301..308 (cyan transparent), registered as overlays 1..8.
inline constexpr int kFirstPictureResource = 202;
inline constexpr int kPictureResources = 55;
inline constexpr int kFirstOverlayResource = 301;
inline constexpr int kOverlayResources = 8;
inline constexpr std::uint32_t kPictureMask = 0xFFFFFF;
inline constexpr std::uint32_t kOverlayMask = 0xFFFF00;

// Two style sets for ChangeStyle: bits to take away and bits to add; a bit in both
// sets ends up present.
struct StyleSets {
  std::uint32_t remove = 0;
  std::uint32_t add = 0;
};

struct TabStripStyles {
  StyleSets styles;
  std::uint32_t ex_style = 0;
};

// The stored TabStyle for a written value: vertical or several rows rule out scrolling,
// and scrolling rules out justified tabs.
std::int32_t AdjustTabStyle(std::int32_t value, std::int32_t tab_rows);

// The tab strip styles an (already adjusted) TabStyle asks for.
TabStripStyles TabStripStylesFor(std::int32_t tab_style, std::int32_t tab_rows);

// The tree styles a TreeStyle asks for (the no-pictures bit is not a window style).
StyleSets TreeStylesFor(std::int32_t tree_style);

// Removes one set of style bits and adds the other; when the result differs, writes it
// and re-applies the frame. Answers whether the style changed.
bool ChangeStyle(ChildWindow& window, StyleSets sets);

// Tab-stop styles written straight into the style words (no frame re-application). The
// tab strip also refuses the focus when it is no tab stop. Null windows are skipped.
void ApplyTabStop(TabStrip* tabs, TreeView* tree, bool tab_stop);

// The system cursor a MousePointer value shows: an IDC_* number, or 0 when the value
// chooses none (0: the views' own cursors; 99: whatever is current stays).
int CursorIdForPointer(std::int32_t mouse_pointer);

// The answer to the set-cursor query of the control's dialog (WM_SETCURSOR): false for
// 0, so that the view under the pointer shows its own cursor; true for 99 without
// touching the cursor; true after making the pointer's cursor current otherwise.
bool AnswerSetCursor(Desktop& desktop, std::int32_t mouse_pointer);

// Where the tab strip ends and the tree begins. The arithmetic is done in 64 bits and
// saturated to the int range, so no stored TabRows can overflow it.
int SplitLine(std::int32_t display_style, std::int32_t tab_rows, const Rect& client);

// Positions and sizes of both views. The split line is kept inside the client area, so
// TabRows values whose strip would reach past it give no negative sizes.
struct ViewPlacement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
struct ViewLayout {
  ViewPlacement tabs;
  ViewPlacement tree;
};
ViewLayout ComputeLayout(std::int32_t display_style, std::int32_t tab_rows, const Rect& client);

// Creates and fills the picture list: answers the list, or 0 when the desktop could not
// create one. A bitmap that fails to load leaves its slot out; an overlay is registered at
// the position its bitmap actually took.
PictureListHandle BuildPictureList(Desktop& desktop);

}  // namespace view
