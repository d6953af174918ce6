// The decisions of the control's OLE frame on plain values: what each verb does, the
// control's initial size from its dialog template, and how a key is routed between the
// control's dialog and its container. The COM layer feeds them platform values.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace control {

// ---- Verbs ------------------------------------------------------------------------------

enum class VerbAction {
  kUiActivate,       // 0 primary, -1 show, -4 UI activate
  kInPlaceActivate,  // -5
  kHide,             // -3
  kProperties,       // -7
  kNothing,          // -2 open, -6 discard undo state: succeed
  kNotImplemented,   // any other verb
};
VerbAction ActionForVerb(std::int32_t verb);

// ---- Initial extent ---------------------------------------------------------------------

// The size and font of a dialog template (DLGTEMPLATE or DLGTEMPLATEEX bytes).
struct DialogTemplateInfo {
  int width_units = 0;
  int height_units = 0;
  bool has_font = false;
  int point_size = 0;
  std::u16string face;
};
// Nothing when the bytes are not a whole template header.
std::optional<DialogTemplateInfo> ReadDialogTemplate(std::span<const std::uint8_t> bytes);

// Multiplies and divides with a 64-bit intermediate, rounding to the nearest integer
// (halves away from zero); -1 for a zero divisor or a result beyond 32 bits.
std::int32_t MulDivRound(std::int32_t number, std::int32_t numerator, std::int32_t denominator);

// The height to ask of a font of `points` on a screen of `dpi_y` (negative: character
// height without the internal leading).
std::int32_t FontHeightForPoints(int points, int dpi_y);

// What a dialog unit is measured from: the average character width and the character
// height of the dialog's font.
struct FontBox {
  int average_width = 0;
  int char_height = 0;
};
// The text that the average width is measured on.
inline constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
// From the width of kAlphabet and the font's text height and external leading.
FontBox FontBoxFromText(int alphabet_width, int text_height, int external_leading);

// A size in HIMETRIC (0.01 mm).
struct HimetricSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const HimetricSize&) const = default;
};
// The extent before it is computed, and when the template cannot be read.
inline constexpr HimetricSize kFallbackExtent{5080, 5080};

std::int32_t PixelsToHimetric(std::int32_t pixels, int dpi);
// A template's size in dialog units converted to pixels with `font`, then to HIMETRIC with
// the screen's dots per inch.
HimetricSize InitialExtent(int width_units, int height_units, FontBox font, int dpi_x, int dpi_y);

// ---- Keyboard ---------------------------------------------------------------------------

// The platform values the keyboard rules read.
inline constexpr std::uint32_t kMsgKeyDown = 0x0100;
inline constexpr std::uint32_t kMsgChar = 0x0102;
inline constexpr std::uint32_t kVkCancel = 0x03;
inline constexpr std::uint32_t kVkTab = 0x09;
inline constexpr std::uint32_t kVkReturn = 0x0D;
inline constexpr std::uint32_t kVkEscape = 0x1B;
inline constexpr std::uint32_t kVkLeft = 0x25;
inline constexpr std::uint32_t kVkUp = 0x26;
inline constexpr std::uint32_t kVkRight = 0x27;
inline constexpr std::uint32_t kVkDown = 0x28;
inline constexpr std::uint32_t kVkExecute = 0x2B;
inline constexpr std::uint32_t kDlgcWantArrows = 0x0001;
inline constexpr std::uint32_t kDlgcWantTab = 0x0002;

// Keyboard (0x0100-0x0108) and mouse (0x0200-0x020A) messages are examined by the control;
// every other message goes to the container at once.
bool IsExaminedMessage(std::uint32_t message);

// The window a key is compared with to decide whether the focus would leave the control:
// the control window's first child, or the tab stop before it (the last one).
enum class KeyBoundary { kNone, kFirstChild, kLastTabStop };
KeyBoundary BoundaryFor(std::uint32_t message, std::uint32_t virtual_key, std::uint32_t dialog_code,
                        bool shift);

enum class KeyRoute {
  kDialogManager,  // the control's dialog manager may take it; if not, the container
  kContainer,      // straight to the container
};
// `focused_is_boundary`: the focused child of the control is the window BoundaryFor names.
KeyRoute RouteKey(std::uint32_t message, std::uint32_t virtual_key, std::uint32_t dialog_code,
                  bool focused_is_boundary);

// The modifier bits handed to the container with a key: 1 Shift, 2 Ctrl, 4 Alt.
std::uint32_t KeyModifiers(bool shift, bool ctrl, bool alt);

}  // namespace control
