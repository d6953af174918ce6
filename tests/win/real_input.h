// Real input for the Windows tests, through SendInput as a user's hands give it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <vector>

namespace zortab_test {

// Puts the pointer at the centre of `r`, given in client coordinates of `window`.
inline void PointAt(HWND window, const RECT& r) {
  POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ASSERT_TRUE(ClientToScreen(window, &at));
  ASSERT_TRUE(SetCursorPos(at.x, at.y));
}

// Puts the pointer at the centre of `window`'s client area.
inline void PointAt(HWND window) {
  RECT r{};
  ASSERT_TRUE(GetClientRect(window, &r));
  PointAt(window, r);
}

// `times` presses of a mouse button where the pointer is: `down` then `up` each time.
inline void PressMouse(DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP,
                       int times = 1) {
  std::vector<INPUT> inputs;
  for (int i = 0; i < times; ++i) {
    for (DWORD flags : {down, up}) {
      INPUT in{};
      in.type = INPUT_MOUSE;
      in.mi.dwFlags = flags;
      inputs.push_back(in);
    }
  }
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
            inputs.size());
}

// A key pressed and released, the modifiers held down around it.
inline void PressKey(WORD key, std::initializer_list<WORD> modifiers = {}) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = flags;
    inputs.push_back(in);
  };
  for (WORD m : modifiers) add(m, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  for (WORD m : modifiers) add(m, KEYEVENTF_KEYUP);
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
            inputs.size());
}

}  // namespace zortab_test
