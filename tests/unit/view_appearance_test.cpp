// Appearance properties: what each stored value reads back as and what it does to the
// views' styles, cursors, pictures and sizes.
#include <climits>

#include "tests/unit/view_fixture.h"
#include "view/appearance.h"

namespace view_test {
namespace {

using namespace view::style;

class Appearance : public ViewFixture {
 protected:
  std::uint32_t TabBits() { return Tabs().GetStyle(); }
  std::uint32_t TreeBits() { return Tree().GetStyle(); }
  int CurrentIdc() { return desktop.CursorIdc(desktop.GetCursor()); }
};

TEST(TabStyleArithmetic, AdjustedValuesReadBack) {
  EXPECT_EQ(view::AdjustTabStyle(5, 1), 4);  // scrolling drops justified
  EXPECT_EQ(view::AdjustTabStyle(6, 1), 2);  // vertical drops scrolling
  EXPECT_EQ(view::AdjustTabStyle(4, 2), 0);  // several rows drop scrolling
  EXPECT_EQ(view::AdjustTabStyle(5, 3), 1);  // ... and so keep justified
  EXPECT_EQ(view::AdjustTabStyle(-1, 1), -1 & ~view::kTabScrolling);
  EXPECT_EQ(view::AdjustTabStyle(24, 1), 24);  // buttons and flat pass unchanged
}

TEST(LayoutArithmetic, SplitLineAndClampedSizes) {
  const view::Rect client{0, 0, 300, 200};
  EXPECT_EQ(view::SplitLine(0, 1, client), 20);
  EXPECT_EQ(view::SplitLine(0, 2, client), 39);
  EXPECT_EQ(view::SplitLine(0, 3, client), 59);
  EXPECT_EQ(view::SplitLine(0, 4, client), 78);
  EXPECT_EQ(view::SplitLine(0, 0, client), 0);
  EXPECT_EQ(view::SplitLine(7, -1, client), -20);  // any other style splits by rows
  EXPECT_EQ(view::SplitLine(1, 3, client), 200);
  EXPECT_EQ(view::SplitLine(2, 3, client), 0);
  EXPECT_EQ(view::SplitLine(0, 2, view::Rect{5, 10, 50, 60}), 49);  // from the top edge

  for (std::int32_t rows : {INT32_MAX, INT32_MIN, -1, 1000}) {
    const view::ViewLayout l = view::ComputeLayout(0, rows, client);
    EXPECT_GE(l.tabs.height, 0) << rows;
    EXPECT_GE(l.tree.height, 0) << rows;
    EXPECT_EQ(l.tabs.height + l.tree.height, 200) << rows;
    EXPECT_EQ(l.tree.y, l.tabs.height) << rows;
  }
}

TEST_F(Appearance, LayoutHeightsFollowRowsAndDisplayStyle) {
  dialog->SetClientSize(300, 200);
  Show();
  EXPECT_EQ(Tabs().GetPosition().bottom, 20);
  EXPECT_EQ(Tree().GetPosition().top, 20);
  EXPECT_EQ(Tree().GetPosition().bottom, 200);

  view.PutTabRows(2);
  EXPECT_EQ(Tabs().GetPosition().bottom, 39);
  EXPECT_EQ(Tree().GetPosition().top, 39);
  EXPECT_EQ(view.GetTabStyle(), 1);  // justified, no longer scrolling
  EXPECT_NE(TabBits() & kTcsMultiline, 0u);
  EXPECT_EQ(TabBits() & kTcsRaggedRight, 0u);

  view.PutDisplayStyle(1);
  EXPECT_EQ(Tabs().GetPosition().bottom, 200);
  EXPECT_EQ(Tree().GetPosition().bottom - Tree().GetPosition().top, 0);
  view.PutDisplayStyle(2);
  EXPECT_EQ(Tabs().GetPosition().bottom, 0);
  EXPECT_EQ(Tree().GetPosition().top, 0);
  EXPECT_EQ(Tree().GetPosition().bottom, 200);

  view.PutDisplayStyle(0);
  view.PutTabRows(0);  // used as stored: no tab strip at all
  EXPECT_EQ(Tabs().GetPosition().bottom, 0);
  EXPECT_EQ(view.GetTabRows(), 0);
}

TEST_F(Appearance, TabStyleBitsOnTheStrip) {
  Show();
  // The default 4: one scrolling row of ragged-right tabs, flat separators.
  EXPECT_EQ(TabBits() & (kTcsMultiline | kTcsVertical | kTcsButtons), 0u);
  EXPECT_NE(TabBits() & kTcsRaggedRight, 0u);
  EXPECT_EQ(Tabs().GetExtendedStyle(), kTcsExFlatSeparators);

  view.PutTabStyle(6);
  EXPECT_EQ(view.GetTabStyle(), 2);
  EXPECT_NE(TabBits() & kTcsVertical, 0u);
  EXPECT_NE(TabBits() & kTcsMultiline, 0u);

  view.PutTabStyle(16);  // flat implies buttons, even with the buttons bit clear
  EXPECT_NE(TabBits() & kTcsButtons, 0u);
  EXPECT_NE(TabBits() & kTcsFlatButtons, 0u);
  EXPECT_EQ(TabBits() & kTcsVertical, 0u);

  view.PutTabStyle(16 | 32);
  EXPECT_EQ(Tabs().GetExtendedStyle(), 0u);
  view.PutTabStyle(8);
  EXPECT_EQ(Tabs().GetExtendedStyle(), kTcsExFlatSeparators);
  EXPECT_NE(TabBits() & kTcsButtons, 0u);
  EXPECT_EQ(TabBits() & kTcsFlatButtons, 0u);

  view.PutTabStyle(0);  // written with a window: multi-line
  EXPECT_NE(TabBits() & kTcsMultiline, 0u);

  // The frame is re-applied only when the style word changes.
  const int frames = Tabs().FrameCount();
  view.PutTabStyle(0);
  EXPECT_EQ(Tabs().FrameCount(), frames);
}

TEST_F(Appearance, StylesWrittenBeforeTheWindowAreReplayed) {
  view.PutTabStyle(0);  // 0 is not replayed: the template's single ragged row stays
  view.PutTreeStyle(0);
  view.PutToolTipDelay(0x12345);
  view.PutMinTabWidth(77);
  view.PutTabStop(0);
  EXPECT_EQ(TabBits(), view::sim::kTabStripTemplateStyle);  // nothing applied yet
  Show();
  EXPECT_EQ(TabBits() & kTcsMultiline, 0u);
  EXPECT_NE(TabBits() & kTcsRaggedRight, 0u);
  EXPECT_EQ(Tree().ToolTipInitialDelay(), 0x2345);  // the low 16 bits
  EXPECT_EQ(Tabs().MinTabWidth(), 77);
  EXPECT_EQ(TabBits() & kTabStop, 0u);
  EXPECT_NE(TabBits() & kTcsFocusNever, 0u);
  EXPECT_EQ(TreeBits() & kTabStop, 0u);

  // Non-zero styles are replayed.
  model::Store store2;
  view::ViewController view2(store2);
  SimDialog dialog2(desktop);
  view2.PutTabStyle(6);
  view2.PutTreeStyle(1 | 4 | 8);
  view2.OpenWindow(&dialog2, &desktop);
  EXPECT_NE(dialog2.Tabs()->GetStyle() & kTcsVertical, 0u);
  const std::uint32_t tree = dialog2.Tree()->GetStyle();
  EXPECT_NE(tree & kTvsLinesAtRoot, 0u);
  EXPECT_NE(tree & kTvsShowSelAlways, 0u);
  EXPECT_NE(tree & kTvsSingleExpand, 0u);
}

TEST_F(Appearance, TreeStyleBitsAndPictureList) {
  Show();
  const view::PictureListHandle list = view.PictureList();
  ASSERT_NE(list, 0u);
  EXPECT_EQ(Tree().GetPictureList(), list);
  EXPECT_EQ(Tabs().PictureList(), list);

  view.PutTreeStyle(2);  // no pictures: no list at all, so no overlays either
  EXPECT_EQ(Tree().GetPictureList(), 0u);
  EXPECT_EQ(Tabs().PictureList(), list);
  EXPECT_EQ(view.GetTreeStyle(), 2);
  view.PutTreeStyle(1);
  EXPECT_EQ(Tree().GetPictureList(), list);
  EXPECT_NE(TreeBits() & kTvsLinesAtRoot, 0u);
  view.PutTreeStyle(0);
  EXPECT_EQ(TreeBits() & (kTvsLinesAtRoot | kTvsShowSelAlways | kTvsSingleExpand), 0u);
  view.PutTreeStyle(-1);  // stored unchanged
  EXPECT_EQ(view.GetTreeStyle(), -1);
  EXPECT_EQ(Tree().GetPictureList(), 0u);
}

TEST_F(Appearance, PictureListHoldsPicturesThenOverlays) {
  Show();
  const SimDesktop::PictureList* list = desktop.FindPictureList(view.PictureList());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->initial, 32);
  EXPECT_EQ(list->grow, 16);
  ASSERT_EQ(list->pictures.size(), 63u);
  for (int i = 0; i < 55; ++i) {
    EXPECT_EQ(list->pictures[i].resource_id, 202 + i);
    EXPECT_EQ(list->pictures[i].mask, 0xFFFFFFu);
  }
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(list->pictures[55 + i].resource_id, 301 + i);
    EXPECT_EQ(list->pictures[55 + i].mask, 0xFFFF00u);
    EXPECT_EQ(list->overlays.at(i + 1), 55 + i);
  }
  // Made once for the life of the control, also across windows.
  view.CloseWindow();
  SimDialog again(desktop);
  view.OpenWindow(&again, &desktop);
  EXPECT_EQ(desktop.PictureListCount(), 1);
  EXPECT_EQ(again.Tree()->GetPictureList(), view.PictureList());
}

TEST_F(Appearance, MissingBitmapKeepsOverlaysOnTheirPictures) {
  desktop.FailBitmap(210);
  desktop.FailBitmap(303);
  const view::PictureListHandle handle = view::BuildPictureList(desktop);
  const SimDesktop::PictureList* list = desktop.FindPictureList(handle);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->pictures.size(), 61u);
  EXPECT_EQ(list->overlays.count(3), 0u);
  for (const auto& [overlay, position] : list->overlays) {
    EXPECT_EQ(list->pictures[position].resource_id, 300 + overlay);
  }
}

TEST_F(Appearance, MousePointerCursors) {
  Show();
  struct Case {
    std::int32_t pointer;
    int idc;
  };
  for (Case c :
       {Case{1, view::idc::kArrow}, Case{2, view::idc::kCross}, Case{3, view::idc::kIbeam},
        Case{4, view::idc::kArrow}, Case{5, view::idc::kSizeAll}, Case{6, view::idc::kSizeNesw},
        Case{7, view::idc::kSizeNs}, Case{8, view::idc::kSizeNwse}, Case{9, view::idc::kSizeWe},
        Case{10, view::idc::kUpArrow}, Case{11, view::idc::kWait}, Case{12, view::idc::kNo},
        Case{13, view::idc::kAppStarting}, Case{14, view::idc::kHelp},
        Case{15, view::idc::kSizeAll}, Case{16, view::idc::kArrow}, Case{-5, view::idc::kArrow}}) {
    view.PutMousePointer(c.pointer);
    EXPECT_TRUE(view.AnswerSetCursor()) << c.pointer;
    EXPECT_EQ(CurrentIdc(), c.idc) << c.pointer;
  }
  view.PutMousePointer(13);
  view.AnswerSetCursor();
  const int writes = desktop.SetCursorCount();
  view.PutMousePointer(99);  // settled, but the current cursor stays
  EXPECT_TRUE(view.AnswerSetCursor());
  EXPECT_EQ(CurrentIdc(), view::idc::kAppStarting);
  view.PutMousePointer(0);  // not settled: the view under the pointer decides
  EXPECT_FALSE(view.AnswerSetCursor());
  EXPECT_EQ(desktop.SetCursorCount(), writes);
}

TEST_F(Appearance, StockPropertiesGoThroughTheFrame) {
  std::vector<std::int32_t> writes;
  view.SetStockWriteHook([&](std::int32_t dispid) { writes.push_back(dispid); });
  view.PutEnabled(1);
  EXPECT_EQ(view.GetEnabled(), -1);
  view.PutMousePointer(5);
  view.PutTabStop(0);
  EXPECT_EQ(view.GetTabStop(), 0);
  EXPECT_EQ(writes, (std::vector<std::int32_t>{-514, -521, -516}));
  view.PutTabRows(3);  // not a stock property
  view.PutTabStyle(0);
  EXPECT_EQ(writes.size(), 3u);
}

TEST_F(Appearance, EnabledReachesTheViewsAtTheNextLayout) {
  Show();
  view.PutEnabled(0);
  EXPECT_TRUE(Tabs().IsEnabled());
  EXPECT_TRUE(Tree().IsEnabled());
  view.PutTabRows(1);  // a layout pass
  EXPECT_FALSE(Tabs().IsEnabled());
  EXPECT_FALSE(Tree().IsEnabled());
  view.PutEnabled(-1);
  view.Refresh();
  EXPECT_TRUE(Tabs().IsEnabled());
  EXPECT_TRUE(Tree().IsEnabled());
}

TEST_F(Appearance, TabStopStylesWithoutFrameChange) {
  Show();
  const int tab_frames = Tabs().FrameCount();
  view.PutTabStop(0);
  EXPECT_EQ(TabBits() & kTabStop, 0u);
  EXPECT_NE(TabBits() & kTcsFocusNever, 0u);
  EXPECT_EQ(TreeBits() & kTabStop, 0u);
  view.PutTabStop(-1);
  EXPECT_NE(TabBits() & kTabStop, 0u);
  EXPECT_EQ(TabBits() & kTcsFocusNever, 0u);
  EXPECT_NE(TreeBits() & kTabStop, 0u);
  EXPECT_EQ(Tabs().FrameCount(), tab_frames);
}

TEST_F(Appearance, HighlightMinWidthAndReadyState) {
  Add("TAB:A,TEXT:a");
  Add("TAB:B,TEXT:b");
  EXPECT_EQ(view.GetReadyState(), 0);
  Show();
  EXPECT_EQ(view.GetReadyState(), 1);
  view.PutHilightSelectedTab(-1);
  EXPECT_TRUE(Tabs().IsHighlighted(0));
  view.PutHilightSelectedTab(0);
  EXPECT_FALSE(Tabs().IsHighlighted(0));
  view.PutMinTabWidth(-1);
  EXPECT_EQ(Tabs().MinTabWidth(), -1);
  view.CloseWindow();
  EXPECT_EQ(view.GetReadyState(), 1);  // stays ready for the life of the object
}

TEST_F(Appearance, SortedWriteRebuildsOnlyWithViews) {
  Add("TAB:A,TEXT:beta,ID:b");
  Add("TAB:A,TEXT:alpha,ID:a");
  view.PutSorted(1);  // no views yet: stored only
  EXPECT_EQ(view.GetSorted(), 1);
  Show();
  EXPECT_EQ(Outline(), "a,b");
  view.PutSorted(0);
  EXPECT_EQ(Outline(), "b,a");
  view.PutSorted(5);  // any other value sorts by text
  EXPECT_EQ(Outline(), "a,b");
}

}  // namespace
}  // namespace view_test
