#include "view/appearance.h"

#include <algorithm>
#include <limits>

namespace view {

std::int32_t AdjustTabStyle(std::int32_t value, std::int32_t tab_rows) {
  if ((value & kTabVertical) != 0 || tab_rows > 1) value &= ~kTabScrolling;
  if ((value & kTabScrolling) != 0) value &= ~kTabJustified;
  return value;
}

TabStripStyles TabStripStylesFor(std::int32_t tab_style, std::int32_t tab_rows) {
  using namespace style;
  TabStripStyles out;
  StyleSets& s = out.styles;
  if ((tab_style & kTabJustified) != 0) {
    s.add |= kTcsMultiline;
    s.remove |= kTcsRaggedRight;
  } else {
    s.add |= kTcsRaggedRight;
    if (tab_rows != 1) s.add |= kTcsMultiline;
  }
  if ((tab_style & kTabVertical) != 0) {
    s.add |= kTcsVertical | kTcsMultiline;
  } else {
    s.remove |= kTcsVertical;
  }
  if ((tab_style & kTabScrolling) != 0) {
    s.remove |= kTcsMultiline;
  } else {
    s.add |= kTcsMultiline;
  }
  if ((tab_style & kTabButtons) != 0) {
    s.add |= kTcsButtons;
  } else {
    s.remove |= kTcsButtons;
  }
  if ((tab_style & kTabFlat) != 0) {
    s.add |= kTcsButtons | kTcsFlatButtons;
  } else {
    s.remove |= kTcsFlatButtons;
  }
  out.ex_style = (tab_style & kTabNoSeparators) != 0 ? 0 : kTcsExFlatSeparators;
  return out;
}

StyleSets TreeStylesFor(std::int32_t tree_style) {
  using namespace style;
  StyleSets s;
  ((tree_style & kTreeLinesAtRoot) != 0 ? s.add : s.remove) |= kTvsLinesAtRoot;
  ((tree_style & kTreeSelectAlways) != 0 ? s.add : s.remove) |= kTvsShowSelAlways;
  ((tree_style & kTreeSingleExpand) != 0 ? s.add : s.remove) |= kTvsSingleExpand;
  return s;
}

bool ChangeStyle(ChildWindow& window, StyleSets sets) {
  const std::uint32_t old_style = window.GetStyle();
  const std::uint32_t new_style = (old_style & ~sets.remove) | sets.add;
  if (new_style == old_style) return false;
  window.SetStyle(new_style);
  window.ReapplyFrame();
  return true;
}

void ApplyTabStop(TabStrip* tabs, TreeView* tree, bool tab_stop) {
  using namespace style;
  if (tabs != nullptr) {
    std::uint32_t s = tabs->GetStyle();
    s = tab_stop ? ((s | kTabStop) & ~kTcsFocusNever) : ((s & ~kTabStop) | kTcsFocusNever);
    tabs->SetStyle(s);
  }
  if (tree != nullptr) {
    const std::uint32_t s = tree->GetStyle();
    tree->SetStyle(tab_stop ? (s | kTabStop) : (s & ~kTabStop));
  }
}

int CursorIdForPointer(std::int32_t mouse_pointer) {
  switch (mouse_pointer) {
    case kPointerDefault:
    case kPointerCustom:
      return 0;
    case 1:
    case 4:
      return idc::kArrow;
    case 2:
      return idc::kCross;
    case 3:
      return idc::kIbeam;
    case 5:
    case 15:
      return idc::kSizeAll;
    case 6:
      return idc::kSizeNesw;
    case 7:
      return idc::kSizeNs;
    case 8:
      return idc::kSizeNwse;
    case 9:
      return idc::kSizeWe;
    case 10:
      return idc::kUpArrow;
    case kPointerHourglass:
      return idc::kWait;
    case 12:
      return idc::kNo;
    case 13:
      return idc::kAppStarting;
    case 14:
      return idc::kHelp;
    default:
      return idc::kArrow;
  }
}

bool AnswerSetCursor(Desktop& desktop, std::int32_t mouse_pointer) {
  if (mouse_pointer == kPointerDefault) return false;
  if (mouse_pointer == kPointerCustom) return true;
  const CursorHandle cursor = desktop.LoadSystemCursor(CursorIdForPointer(mouse_pointer));
  // A cursor the desktop cannot supply leaves the current one rather than blanking it.
  if (cursor != 0) desktop.SetCursor(cursor);
  return true;
}

namespace {
int Saturate(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}
}  // namespace

int SplitLine(std::int32_t display_style, std::int32_t tab_rows, const Rect& client) {
  if (display_style == 1) return client.bottom;
  if (display_style == 2) return client.top;
  const std::int64_t rows = tab_rows;
  return Saturate(std::int64_t{client.top} + 20 * rows - rows / 2);
}

ViewLayout ComputeLayout(std::int32_t display_style, std::int32_t tab_rows, const Rect& client) {
  // Rows that reach past the client area give a strip that fills it, not negative sizes.
  const int y = std::clamp(SplitLine(display_style, tab_rows, client), client.top,
                           std::max(client.top, client.bottom));
  const int width =
      Saturate(std::max<std::int64_t>(0, std::int64_t{client.right} - std::int64_t{client.left}));
  ViewLayout out;
  out.tabs = {0, 0, width,
              Saturate(std::max<std::int64_t>(0, std::int64_t{y} - std::int64_t{client.top}))};
  out.tree = {client.left, y, width,
              Saturate(std::max<std::int64_t>(0, std::int64_t{client.bottom} - std::int64_t{y}))};
  return out;
}

PictureListHandle BuildPictureList(Desktop& desktop) {
  const PictureListHandle list = desktop.CreatePictureList(32, 16);
  if (list == 0) return 0;
  for (int i = 0; i < kPictureResources; ++i) {
    desktop.AddPicture(list, kFirstPictureResource + i, kPictureMask);
  }
  for (int i = 0; i < kOverlayResources; ++i) {
    const int position = desktop.AddPicture(list, kFirstOverlayResource + i, kOverlayMask);
    if (position >= 0) desktop.SetOverlayPicture(list, position, i + 1);
  }
  return list;
}

}  // namespace view
