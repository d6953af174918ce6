// The OLE frame's decisions on plain values: verbs, the initial extent from the dialog
// template and its font, and the routing of keys between the control and its container.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "control/frame_rules.h"

namespace {

using namespace control;

TEST(FrameRules, EachVerbHasItsAction) {
  const struct {
    std::int32_t verb;
    VerbAction action;
  } cases[] = {
      {0, VerbAction::kUiActivate},
      {-1, VerbAction::kUiActivate},
      {-4, VerbAction::kUiActivate},
      {-5, VerbAction::kInPlaceActivate},
      {-3, VerbAction::kHide},
      {-7, VerbAction::kProperties},
      {-2, VerbAction::kNothing},
      {-6, VerbAction::kNothing},
      {1, VerbAction::kNotImplemented},
      {-8, VerbAction::kNotImplemented},
      {100, VerbAction::kNotImplemented},
  };
  for (const auto& c : cases) EXPECT_EQ(ActionForVerb(c.verb), c.action) << c.verb;
}

TEST(FrameRules, MulDivRoundsToNearestAndRefusesWhatDoesNotFit) {
  const struct {
    std::int32_t a, b, c, expected;
  } cases[] = {
      {59, 6, 4, 89}, {25, 13, 8, 41},        {8, 96, 72, 11},         {3, 1, 2, 2},
      {-3, 1, 2, -2}, {3, -1, 2, -2},         {3, 1, -2, -2},          {5, 1, 4, 1},
      {1, 1, 0, -1},  {0x40000000, 4, 1, -1}, {-0x40000000, 4, 1, -1}, {7, 0, 3, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MulDivRound(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
  }
  EXPECT_EQ(FontHeightForPoints(8, 96), -11);
  EXPECT_EQ(FontHeightForPoints(8, 120), -13);
}

TEST(FrameRules, InitialExtentFromTheFontOfTheTemplate) {
  // The average width drops its remainder; MulDiv rounds; HIMETRIC rounds half a dot up.
  EXPECT_EQ(FontBoxFromText(311, 13, 0).average_width, 6);
  EXPECT_EQ(FontBoxFromText(285, 13, 0).average_width, 5);
  EXPECT_EQ(FontBoxFromText(285, 13, 2).char_height, 15);
  const struct {
    FontBox font;
    int dpi_x, dpi_y;
    HimetricSize expected;
  } cases[] = {
      {{6, 13}, 96, 96, {2355, 1085}},    // 89 x 41 pixels
      {{7, 16}, 120, 120, {2180, 1058}},  // 103 x 50 pixels
      {{6, 13}, 96, 120, {2355, 868}},    // the axes use their own dots per inch
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InitialExtent(59, 25, c.font, c.dpi_x, c.dpi_y), c.expected)
        << c.font.average_width << "x" << c.font.char_height << " at " << c.dpi_x;
  }
  EXPECT_EQ(PixelsToHimetric(1, 96), 26);
  EXPECT_EQ(PixelsToHimetric(96, 96), 2540);
}

// Little-endian template bytes.
class Bytes {
 public:
  Bytes& Word(std::uint16_t w) {
    data.push_back(static_cast<std::uint8_t>(w & 0xFF));
    data.push_back(static_cast<std::uint8_t>(w >> 8));
    return *this;
  }
  Bytes& Dword(std::uint32_t d) {
    return Word(d & 0xFFFF).Word(static_cast<std::uint16_t>(d >> 16));
  }
  Bytes& Text(const std::u16string& text) {
    for (char16_t c : text) Word(c);
    return Word(0);
  }
  std::vector<std::uint8_t> data;
};

TEST(FrameRules, DialogTemplatesOfBothFormsAreRead) {
  constexpr std::uint32_t kChildWithFont = 0x40000000 | 0x40;
  Bytes extended;
  extended.Word(1).Word(0xFFFF).Dword(0).Dword(0x10000).Dword(kChildWithFont).Word(2);
  extended.Word(0).Word(0).Word(59).Word(25);
  extended.Word(0xFFFF).Word(7).Text(u"Cls").Text(u"Title");  // menu by ordinal, class, title
  extended.Word(8).Word(400).Word(0x0100).Text(u"MS Sans Serif");
  const auto ex = ReadDialogTemplate(extended.data);
  ASSERT_TRUE(ex.has_value());
  EXPECT_EQ(ex->width_units, 59);
  EXPECT_EQ(ex->height_units, 25);
  EXPECT_TRUE(ex->has_font);
  EXPECT_EQ(ex->point_size, 8);
  EXPECT_EQ(ex->face, u"MS Sans Serif");

  Bytes plain;  // no font
  plain.Dword(0x40000000).Dword(0).Word(0).Word(1).Word(2).Word(120).Word(40);
  plain.Word(0).Word(0).Text(u"");
  const auto pl = ReadDialogTemplate(plain.data);
  ASSERT_TRUE(pl.has_value());
  EXPECT_EQ(pl->width_units, 120);
  EXPECT_EQ(pl->height_units, 40);
  EXPECT_FALSE(pl->has_font);

  // Cut anywhere inside the header or the face name, the template is refused.
  for (std::size_t size :
       {std::size_t{0}, std::size_t{3}, std::size_t{20}, extended.data.size() - 2}) {
    const std::span<const std::uint8_t> cut(extended.data.data(), size);
    EXPECT_FALSE(ReadDialogTemplate(cut).has_value()) << size;
  }
}

TEST(FrameRules, KeysLeaveTheControlOnlyAtItsBoundary) {
  constexpr std::uint32_t kWantArrowsChars = kDlgcWantArrows | 0x80;
  constexpr std::uint32_t kVkF5 = 0x74;
  constexpr std::uint32_t kSysKeyDown = 0x0104;
  const struct {
    std::uint32_t message, key, code;
    bool shift;
    KeyBoundary boundary;
    KeyRoute at_boundary;  // when the focused child is that boundary
    KeyRoute elsewhere;
  } cases[] = {
      {kMsgKeyDown, kVkTab, kWantArrowsChars, false, KeyBoundary::kLastTabStop,
       KeyRoute::kContainer, KeyRoute::kDialogManager},
      {kMsgKeyDown, kVkTab, kWantArrowsChars, true, KeyBoundary::kFirstChild, KeyRoute::kContainer,
       KeyRoute::kDialogManager},
      {kMsgKeyDown, kVkTab, kDlgcWantTab, false, KeyBoundary::kNone, KeyRoute::kDialogManager,
       KeyRoute::kDialogManager},
      {kMsgKeyDown, kVkDown, 0, false, KeyBoundary::kLastTabStop, KeyRoute::kContainer,
       KeyRoute::kDialogManager},
      {kMsgKeyDown, kVkRight, 0, true, KeyBoundary::kLastTabStop, KeyRoute::kContainer,
       KeyRoute::kDialogManager},
      {kMsgKeyDown, kVkUp, 0, false, KeyBoundary::kFirstChild, KeyRoute::kContainer,
       KeyRoute::kDialogManager},
      {kMsgKeyDown, kVkLeft, 0, false, KeyBoundary::kFirstChild, KeyRoute::kContainer,
       KeyRoute::kDialogManager},
      {kMsgKeyDown, kVkDown, kWantArrowsChars, false, KeyBoundary::kNone, KeyRoute::kDialogManager,
       KeyRoute::kDialogManager},
      {kMsgKeyDown, kVkReturn, kWantArrowsChars, false, KeyBoundary::kNone, KeyRoute::kContainer,
       KeyRoute::kContainer},
      {kMsgKeyDown, kVkEscape, 0, false, KeyBoundary::kNone, KeyRoute::kContainer,
       KeyRoute::kContainer},
      {kMsgKeyDown, kVkCancel, 0, false, KeyBoundary::kNone, KeyRoute::kContainer,
       KeyRoute::kContainer},
      {kMsgKeyDown, kVkExecute, 0, false, KeyBoundary::kNone, KeyRoute::kContainer,
       KeyRoute::kContainer},
      {kMsgKeyDown, kVkF5, kWantArrowsChars, false, KeyBoundary::kNone, KeyRoute::kDialogManager,
       KeyRoute::kDialogManager},
      {kMsgChar, 'a', 0, false, KeyBoundary::kNone, KeyRoute::kContainer, KeyRoute::kContainer},
      {kMsgChar, 'a', kWantArrowsChars, false, KeyBoundary::kNone, KeyRoute::kDialogManager,
       KeyRoute::kDialogManager},
      {kSysKeyDown, kVkTab, 0, false, KeyBoundary::kNone, KeyRoute::kDialogManager,
       KeyRoute::kDialogManager},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.message << " key " << c.key << " code "
                                    << c.code << (c.shift ? " shift" : ""));
    EXPECT_EQ(BoundaryFor(c.message, c.key, c.code, c.shift), c.boundary);
    EXPECT_EQ(RouteKey(c.message, c.key, c.code, true), c.at_boundary);
    EXPECT_EQ(RouteKey(c.message, c.key, c.code, false), c.elsewhere);
  }
}

TEST(FrameRules, OnlyKeyboardAndMouseMessagesAreExaminedAndModifiersAreBits) {
  for (std::uint32_t m : {0x0100u, 0x0108u, 0x0200u, 0x020Au}) EXPECT_TRUE(IsExaminedMessage(m));
  for (std::uint32_t m : {0x00FFu, 0x0109u, 0x01FFu, 0x020Bu, 0x037Fu}) {
    EXPECT_FALSE(IsExaminedMessage(m)) << m;
  }
  const struct {
    bool shift, ctrl, alt;
    std::uint32_t bits;
  } cases[] = {{false, false, false, 0},
               {true, false, false, 1},
               {false, true, false, 2},
               {false, false, true, 4},
               {true, true, true, 7}};
  for (const auto& c : cases) EXPECT_EQ(KeyModifiers(c.shift, c.ctrl, c.alt), c.bits);
}

}  // namespace
