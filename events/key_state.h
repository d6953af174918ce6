// The keyboard state taken as a notification is handled, and what is read from it.
#pragma once

#include <array>
#include <cstdint>

namespace view {
class Desktop;
}

namespace events {

// One byte per virtual-key code, a copy of the system's keyboard state (bit 7 = down).
using KeyState = std::array<std::uint8_t, 256>;

// Overwrites `snapshot` with the desktop's current keyboard state; without a desktop the
// previous snapshot stays.
void TakeKeyStateSnapshot(const view::Desktop* desktop, KeyState& snapshot);

// 1 when `virtual_key` is 0..255 and that key was down in the snapshot, else 0 (also for
// any number outside 0..255). The toggle bit is not reported.
std::int32_t EventKeyState(const KeyState& snapshot, std::int32_t virtual_key);

// The diagnostic chord: Ctrl, Shift and Alt held down together (the generic VK_CONTROL,
// VK_SHIFT and VK_MENU bytes, which the system sets for either hand's key). With it held,
// a right click copies the item's diagnostic text to the clipboard and a tip request
// shows that text, instead of reporting to the host. Three modifiers at once are never
// part of an ordinary gesture on a tree.
inline constexpr std::array<std::uint8_t, 3> kInfoChord = {0x11, 0x10, 0x12};
bool InfoKeysHeld(const KeyState& snapshot);

}  // namespace events
