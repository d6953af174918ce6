// Status codes that cross the automation boundary, as portable 32-bit values.
#pragma once

#include <cstdint>

namespace control {

using HResult = std::int32_t;

inline constexpr HResult kOk = 0;                                            // S_OK
inline constexpr HResult kFalse = 1;                                         // S_FALSE
inline constexpr HResult kFail = static_cast<HResult>(0x80004005);           // E_FAIL
inline constexpr HResult kDispException = static_cast<HResult>(0x80020009);  // DISP_E_EXCEPTION
inline constexpr HResult kOutOfMemory = static_cast<HResult>(0x8007000E);    // E_OUTOFMEMORY

inline constexpr bool Succeeded(HResult hr) { return hr >= 0; }

}  // namespace control
