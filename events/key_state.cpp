#include "events/key_state.h"

#include "view/views.h"

namespace events {

void TakeKeyStateSnapshot(const view::Desktop* desktop, KeyState& snapshot) {
  if (desktop == nullptr) return;
  KeyState state{};
  desktop->GetKeyboardState(state);
  snapshot = state;
}

std::int32_t EventKeyState(const KeyState& snapshot, std::int32_t virtual_key) {
  if (virtual_key < 0 || virtual_key > 255) return 0;
  return (snapshot[static_cast<std::size_t>(virtual_key)] & 0x80) != 0 ? 1 : 0;
}

bool InfoKeysHeld(const KeyState& snapshot) {
  for (std::uint8_t key : kInfoChord) {
    if ((snapshot[key] & 0x80) == 0) return false;
  }
  return true;
}

}  // namespace events
