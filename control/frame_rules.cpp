#include "control/frame_rules.h"

#include <limits>

namespace control {

VerbAction ActionForVerb(std::int32_t verb) {
  switch (verb) {
    case 0:
    case -1:
    case -4:
      return VerbAction::kUiActivate;
    case -5:
      return VerbAction::kInPlaceActivate;
    case -3:
      return VerbAction::kHide;
    case -7:
      return VerbAction::kProperties;
    case -2:
    case -6:
      return VerbAction::kNothing;
    default:
      return VerbAction::kNotImplemented;
  }
}

namespace {

// Reads a dialog template's little-endian fields in order.
class TemplateReader {
 public:
  explicit TemplateReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Word(std::uint16_t& value) {
    if (bytes_.size() - at_ < 2) return false;
    value = static_cast<std::uint16_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
    at_ += 2;
    return true;
  }
  bool Dword(std::uint32_t& value) {
    std::uint16_t low = 0, high = 0;
    if (!Word(low) || !Word(high)) return false;
    value = low | (static_cast<std::uint32_t>(high) << 16);
    return true;
  }
  bool Skip(std::size_t count) {
    if (bytes_.size() - at_ < count) return false;
    at_ += count;
    return true;
  }
  // A zero-terminated UTF-16 text.
  bool Text(std::u16string& text) {
    text.clear();
    for (std::uint16_t c = 0;;) {
      if (!Word(c)) return false;
      if (c == 0) return true;
      text.push_back(static_cast<char16_t>(c));
    }
  }
  // A name or ordinal: none (0), an ordinal (0xFFFF, then a word) or a text.
  bool NameOrOrdinal() {
    std::uint16_t first = 0;
    if (!Word(first)) return false;
    if (first == 0) return true;
    if (first == 0xFFFF) return Skip(2);
    std::u16string rest;
    return Text(rest);
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

constexpr std::uint32_t kDsSetFont = 0x40;

}  // namespace

std::optional<DialogTemplateInfo> ReadDialogTemplate(std::span<const std::uint8_t> bytes) {
  TemplateReader in(bytes);
  std::uint16_t version = 0, signature = 0;
  if (!in.Word(version) || !in.Word(signature)) return std::nullopt;
  const bool extended = version == 1 && signature == 0xFFFF;
  std::uint32_t style = 0;
  if (extended) {
    // help id, extended style, style
    if (!in.Skip(8) || !in.Dword(style)) return std::nullopt;
  } else {
    style = version | (static_cast<std::uint32_t>(signature) << 16);
    if (!in.Skip(4)) return std::nullopt;  // extended style
  }
  std::uint16_t items = 0, x = 0, y = 0, cx = 0, cy = 0;
  if (!in.Word(items) || !in.Word(x) || !in.Word(y) || !in.Word(cx) || !in.Word(cy)) {
    return std::nullopt;
  }
  DialogTemplateInfo info;
  info.width_units = static_cast<std::int16_t>(cx);
  info.height_units = static_cast<std::int16_t>(cy);
  std::u16string title;
  if (!in.NameOrOrdinal() || !in.NameOrOrdinal() || !in.Text(title)) return std::nullopt;
  if ((style & kDsSetFont) == 0) return info;
  std::uint16_t points = 0;
  if (!in.Word(points)) return std::nullopt;
  if (extended && !in.Skip(4)) return std::nullopt;  // weight, italic, character set
  if (!in.Text(info.face)) return std::nullopt;
  info.has_font = true;
  info.point_size = points;
  return info;
}

std::int32_t MulDivRound(std::int32_t number, std::int32_t numerator, std::int32_t denominator) {
  if (denominator == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  std::int64_t divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  const std::int64_t half = divisor / 2;
  const std::int64_t result = (product >= 0 ? product + half : product - half) / divisor;
  if (result > std::numeric_limits<std::int32_t>::max() ||
      result < -std::numeric_limits<std::int32_t>::max()) {
    return -1;
  }
  return static_cast<std::int32_t>(result);
}

std::int32_t FontHeightForPoints(int points, int dpi_y) { return -MulDivRound(points, dpi_y, 72); }

FontBox FontBoxFromText(int alphabet_width, int text_height, int external_leading) {
  constexpr int kLetters = sizeof kAlphabet - 1;
  return FontBox{(alphabet_width + kLetters / 2) / kLetters, text_height + external_leading};
}

std::int32_t PixelsToHimetric(std::int32_t pixels, int dpi) {
  if (dpi <= 0) return 0;
  return static_cast<std::int32_t>((static_cast<std::int64_t>(pixels) * 2540 + dpi / 2) / dpi);
}

HimetricSize InitialExtent(int width_units, int height_units, FontBox font, int dpi_x, int dpi_y) {
  const std::int32_t width = MulDivRound(width_units, font.average_width, 4);
  const std::int32_t height = MulDivRound(height_units, font.char_height, 8);
  return HimetricSize{PixelsToHimetric(width, dpi_x), PixelsToHimetric(height, dpi_y)};
}

bool IsExaminedMessage(std::uint32_t message) {
  return (message >= 0x0100 && message <= 0x0108) || (message >= 0x0200 && message <= 0x020A);
}

namespace {

bool IsArrow(std::uint32_t key) {
  return key == kVkLeft || key == kVkUp || key == kVkRight || key == kVkDown;
}

}  // namespace

KeyBoundary BoundaryFor(std::uint32_t message, std::uint32_t virtual_key, std::uint32_t dialog_code,
                        bool shift) {
  if (message != kMsgKeyDown) return KeyBoundary::kNone;
  if (virtual_key == kVkTab && (dialog_code & kDlgcWantTab) == 0) {
    return shift ? KeyBoundary::kFirstChild : KeyBoundary::kLastTabStop;
  }
  if (IsArrow(virtual_key) && (dialog_code & kDlgcWantArrows) == 0) {
    const bool forward = virtual_key == kVkRight || virtual_key == kVkDown;
    return forward ? KeyBoundary::kLastTabStop : KeyBoundary::kFirstChild;
  }
  return KeyBoundary::kNone;
}

KeyRoute RouteKey(std::uint32_t message, std::uint32_t virtual_key, std::uint32_t dialog_code,
                  bool focused_is_boundary) {
  if (message == kMsgChar && dialog_code == 0) return KeyRoute::kContainer;
  if (message != kMsgKeyDown) return KeyRoute::kDialogManager;
  switch (virtual_key) {
    case kVkCancel:
    case kVkReturn:
    case kVkEscape:
    case kVkExecute:
      return KeyRoute::kContainer;
    default:
      break;
  }
  // Only a key that asks for a boundary can leave through it.
  if (BoundaryFor(message, virtual_key, dialog_code, false) == KeyBoundary::kNone) {
    return KeyRoute::kDialogManager;
  }
  return focused_is_boundary ? KeyRoute::kContainer : KeyRoute::kDialogManager;
}

std::uint32_t KeyModifiers(bool shift, bool ctrl, bool alt) {
  return (shift ? 1u : 0u) | (ctrl ? 2u : 0u) | (alt ? 4u : 0u);
}

}  // namespace control
