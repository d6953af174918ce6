// The facade's state, for the layers that attach views, events and hosts. The item model
// lives in the store; the control-level properties are stored here as they were written.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/store.h"

namespace control {

// Control-level properties with the values a new control starts with. Booleans are held
// sign-extended from the automation boolean (true = -1).
struct ControlProperties {
  std::int32_t enabled = -1;
  std::int32_t tab_stop = -1;
  std::int32_t mouse_pointer = 0;
  std::int32_t tab_rows = 1;
  std::int32_t min_tab_width = -1;
  std::int32_t tab_style = 4;
  std::int32_t tree_style = 0;
  std::int32_t sorted = 0;
  std::int32_t hilight_selected_tab = 0;
  std::int32_t enable_tool_tips = 0;
  std::string tool_tip_text;
  std::int32_t tool_tip_delay = 4000;
  std::int32_t sort_compare = 0;
};

class TabbedListImpl {
 public:
  model::Store store;
  ControlProperties properties;
  // The keyboard state taken as the last notification was handled (bit 7 = key down).
  std::array<std::uint8_t, 256> key_state_snapshot{};
};

}  // namespace control
