// Appearance properties: what each stored value reads back as and what it does to the
// views' styles, cursors, pictures and sizes.
#include <climits>

#include "model/properties.h"
#include "tests/unit/view_fixture.h"
#include "view/appearance.h"

namespace view_test {
namespace {

using namespace view::style;

class Appearance : public ViewFixture {
 protected:
  std::uint32_t TabBits() { return Tabs().GetStyle(); }
  std::uint32_t TreeBits() { return Tree().GetStyle(); }
  int TabsHeight() { return Tabs().GetPosition().bottom - Tabs().GetPosition().top; }
  int TreeHeight() { return Tree().GetPosition().bottom - Tree().GetPosition().top; }
};

TEST_F(Appearance, LayoutFollowsRowsAndDisplayStyle) {
  dialog->SetClientSize(300, 200);
  Show();
  EXPECT_EQ(TabsHeight(), 20);
  EXPECT_EQ(Tree().GetPosition().top, 20);
  EXPECT_EQ(TreeHeight(), 180);
  for (auto [rows, height] : {std::pair{2, 39}, {3, 59}, {4, 78}, {0, 0}}) {
    view.PutTabRows(rows);
    EXPECT_EQ(TabsHeight(), height) << rows;
    EXPECT_EQ(Tree().GetPosition().top, height) << rows;
  }
  view.PutTabRows(2);
  EXPECT_EQ(view.GetTabStyle(), 1);  // several rows: justified, no longer scrolling
  EXPECT_NE(TabBits() & kTcsMultiline, 0u);
  EXPECT_EQ(TabBits() & kTcsRaggedRight, 0u);
  view.PutDisplayStyle(1);
  EXPECT_EQ(TabsHeight(), 200);
  EXPECT_EQ(TreeHeight(), 0);
  view.PutDisplayStyle(2);
  EXPECT_EQ(TabsHeight(), 0);
  EXPECT_EQ(TreeHeight(), 200);

  // Rows far beyond the client area give no negative or overflowing sizes.
  view.PutDisplayStyle(0);
  for (std::int32_t rows : {INT32_MAX, INT32_MIN, -1}) {
    view.PutTabRows(rows);
    EXPECT_EQ(TabsHeight() + TreeHeight(), 200) << rows;
    EXPECT_GE(TreeHeight(), 0) << rows;
  }
}

TEST_F(Appearance, TabStyleReadBacksAndStripStyles) {
  Show();
  // The default 4: one scrolling row of ragged-right tabs, with separators.
  EXPECT_EQ(TabBits() & (kTcsMultiline | kTcsVertical | kTcsButtons), 0u);
  EXPECT_NE(TabBits() & kTcsRaggedRight, 0u);
  EXPECT_EQ(Tabs().GetExtendedStyle(), kTcsExFlatSeparators);

  view.PutTabStyle(5);  // justified and scrolling
  EXPECT_EQ(view.GetTabStyle(), 4);
  view.PutTabStyle(6);  // vertical and scrolling
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
  EXPECT_EQ(TabBits() & kTcsFlatButtons, 0u);
  view.PutTabStyle(0);  // written with a window: multi-line
  EXPECT_NE(TabBits() & kTcsMultiline, 0u);
  const int frames = Tabs().FrameCount();
  view.PutTabStyle(0);  // no change, no frame re-application
  EXPECT_EQ(Tabs().FrameCount(), frames);
}

TEST_F(Appearance, WritesBeforeTheWindowAreReplayed) {
  view.PutTabStyle(0);  // 0 is not replayed: the template's single ragged row stays
  view.PutToolTipDelay(0x12345);
  view.PutMinTabWidth(77);
  view.PutTabStop(0);
  EXPECT_EQ(TabBits(), view::sim::kTabStripTemplateStyle);  // nothing applied yet
  Show();
  EXPECT_EQ(TabBits() & kTcsMultiline, 0u);
  EXPECT_EQ(Tree().ToolTipInitialDelay(), 0x2345);  // the low 16 bits
  EXPECT_EQ(Tabs().MinTabWidth(), 77);
  EXPECT_EQ(TabBits() & kTabStop, 0u);
  EXPECT_NE(TabBits() & kTcsFocusNever, 0u);
  EXPECT_EQ(TreeBits() & kTabStop, 0u);

  model::Store store2;
  view::ViewController view2(store2);
  SimDialog dialog2(desktop);
  view2.PutTabStyle(6);
  view2.PutTreeStyle(1 | 4 | 8);
  view2.OpenWindow(&dialog2, &desktop);
  EXPECT_NE(dialog2.Tabs()->GetStyle() & kTcsVertical, 0u);
  EXPECT_EQ(dialog2.Tree()->GetStyle() & (kTvsLinesAtRoot | kTvsShowSelAlways | kTvsSingleExpand),
            kTvsLinesAtRoot | kTvsShowSelAlways | kTvsSingleExpand);
}

TEST_F(Appearance, WritesWhileTheWindowExistsReachTheViews) {
  Add("TAB:T,TEXT:t,ID:t");
  Show();
  view.PutMinTabWidth(55);
  view.PutToolTipDelay(0x10200);
  model::PutTabPicProperty(store, "T", 9);
  EXPECT_EQ(Tabs().MinTabWidth(), 55);
  EXPECT_EQ(Tree().ToolTipInitialDelay(), 0x0200);  // the low 16 bits
  EXPECT_EQ(Tabs().GetItemImage(0), 9);
}

TEST_F(Appearance, TreeStyleAndPictureList) {
  Show();
  const view::PictureListHandle list = view.PictureList();
  ASSERT_NE(list, 0u);
  EXPECT_EQ(Tree().GetPictureList(), list);
  EXPECT_EQ(Tabs().PictureList(), list);
  view.PutTreeStyle(2);  // no pictures: no list at all, so no overlays either
  EXPECT_EQ(Tree().GetPictureList(), 0u);
  EXPECT_EQ(Tabs().PictureList(), list);
  view.PutTreeStyle(1);
  EXPECT_EQ(Tree().GetPictureList(), list);
  EXPECT_NE(TreeBits() & kTvsLinesAtRoot, 0u);
  view.PutTreeStyle(0);
  EXPECT_EQ(TreeBits() & (kTvsLinesAtRoot | kTvsShowSelAlways | kTvsSingleExpand), 0u);

  const SimDesktop::PictureList* pictures = desktop.FindPictureList(list);
  ASSERT_NE(pictures, nullptr);
  ASSERT_EQ(pictures->pictures.size(), 63u);
  EXPECT_EQ(pictures->pictures[0].resource_id, 202);
  EXPECT_EQ(pictures->pictures[54].resource_id, 256);
  EXPECT_EQ(pictures->pictures[54].mask, 0xFFFFFFu);
  EXPECT_EQ(pictures->pictures[55].resource_id, 301);
  EXPECT_EQ(pictures->pictures[62].mask, 0xFFFF00u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(pictures->overlays.at(i + 1), 55 + i);
  // Made once for the life of the control, also across windows.
  view.CloseWindow();
  SimDialog again(desktop);
  view.OpenWindow(&again, &desktop);
  EXPECT_EQ(desktop.PictureListCount(), 1);
}

TEST_F(Appearance, MissingBitmapKeepsOverlaysOnTheirPictures) {
  desktop.FailBitmap(210);
  desktop.FailBitmap(303);
  const SimDesktop::PictureList* list = desktop.FindPictureList(view::BuildPictureList(desktop));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->pictures.size(), 61u);
  EXPECT_EQ(list->overlays.count(3), 0u);
  for (const auto& [overlay, position] : list->overlays) {
    EXPECT_EQ(list->pictures[position].resource_id, 300 + overlay);
  }
}

TEST_F(Appearance, MousePointerAnswersTheSetCursorQuery) {
  Show();
  const auto current = [&] { return desktop.CursorIdc(desktop.GetCursor()); };
  for (auto [pointer, idc] : {std::pair{4, view::idc::kArrow},
                              {16, view::idc::kArrow},
                              {-5, view::idc::kArrow},
                              {11, view::idc::kWait},
                              {13, view::idc::kAppStarting},
                              {15, view::idc::kSizeAll}}) {
    view.PutMousePointer(pointer);
    EXPECT_TRUE(view.AnswerSetCursor()) << pointer;
    EXPECT_EQ(current(), idc) << pointer;
  }
  const int writes = desktop.SetCursorCount();
  view.PutMousePointer(99);  // settled, but whatever was shown stays
  EXPECT_TRUE(view.AnswerSetCursor());
  EXPECT_EQ(current(), view::idc::kSizeAll);
  view.PutMousePointer(0);  // not settled: the view under the pointer decides
  EXPECT_FALSE(view.AnswerSetCursor());
  EXPECT_EQ(desktop.SetCursorCount(), writes);
}

TEST_F(Appearance, StockPropertiesEnabledAndTabStop) {
  std::vector<std::int32_t> writes;
  view.SetStockWriteHook([&](std::int32_t dispid) { writes.push_back(dispid); });
  view.PutMousePointer(5);
  view.PutTabRows(3);  // not a stock property
  Show();
  writes.clear();
  view.PutEnabled(0);
  EXPECT_EQ(writes, std::vector<std::int32_t>{-514});
  EXPECT_TRUE(Tabs().IsEnabled());  // the views follow at the next layout pass
  EXPECT_TRUE(Tree().IsEnabled());
  view.PutTabRows(1);
  EXPECT_FALSE(Tabs().IsEnabled());
  EXPECT_FALSE(Tree().IsEnabled());
  view.PutEnabled(1);
  EXPECT_EQ(view.GetEnabled(), -1);
  view.Refresh();
  EXPECT_TRUE(Tree().IsEnabled());

  const int frames = Tabs().FrameCount();
  writes.clear();
  view.PutTabStop(0);
  EXPECT_EQ(writes, std::vector<std::int32_t>{-516});
  EXPECT_EQ(view.GetTabStop(), 0);
  EXPECT_EQ(TabBits() & kTabStop, 0u);
  EXPECT_NE(TabBits() & kTcsFocusNever, 0u);
  EXPECT_EQ(TreeBits() & kTabStop, 0u);
  view.PutTabStop(-1);
  EXPECT_EQ(TabBits() & kTcsFocusNever, 0u);
  EXPECT_NE(TreeBits() & kTabStop, 0u);
  EXPECT_EQ(Tabs().FrameCount(), frames);
}

TEST_F(Appearance, HighlightReadyStateAndSorted) {
  Add("TAB:A,TEXT:beta,ID:b");
  Add("TAB:A,TEXT:alpha,ID:a");
  Add("TAB:B,TEXT:other");
  view.PutSorted(1);  // no views yet: stored only
  EXPECT_EQ(view.GetReadyState(), 0);
  Show();
  EXPECT_EQ(view.GetReadyState(), 1);
  EXPECT_EQ(Outline(), "a,b");
  view.PutSorted(0);  // rebuilds at once
  EXPECT_EQ(Outline(), "b,a");
  view.PutSorted(5);  // any other value sorts by text
  EXPECT_EQ(Outline(), "a,b");
  view.PutHilightSelectedTab(-1);
  EXPECT_TRUE(Tabs().IsHighlighted(0));
  view.PutHilightSelectedTab(0);
  EXPECT_FALSE(Tabs().IsHighlighted(0));
  view.CloseWindow();
  EXPECT_EQ(view.GetReadyState(), 1);  // ready for the life of the object
}

}  // namespace
}  // namespace view_test
