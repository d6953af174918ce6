// Runs the module's registration script (a "REGISTRY" resource) against the real registry,
// with "%MODULE%" standing for the module's path.
#pragma once

#include <windows.h>

namespace control::com {

// The script resource of the control class.
inline constexpr int kRegistrationScriptId = 102;

// S_OK; DISP_E_EXCEPTION for a malformed script or a registry write that fails; the system
// error (as an HRESULT) when the path or the resource cannot be had; E_OUTOFMEMORY.
HRESULT RunRegistrationScript(HMODULE module, int resource_id, bool register_mode);

}  // namespace control::com
