#include "control/com/registration.h"

#include <new>
#include <string>
#include <string_view>

#include "control/com/win_registry.h"
#include "control/reg_script.h"

namespace control::com {
namespace {

// The calling thread's last error as an HRESULT; never a success, even when the failing
// call set no error.
HRESULT LastError() {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// The path the script writes for `module`: the long path for a DLL. For the process's own
// executable, the 8.3 form (spaces in a LocalServer32 command line would need quoting),
// the long one when no short form can be had.
HRESULT ModulePath(HMODULE module, std::string& path) {
  char buffer[MAX_PATH];
  SetLastError(ERROR_SUCCESS);
  const DWORD length = GetModuleFileNameA(module, buffer, MAX_PATH);
  if (length == 0) return LastError();
  // A path that fills the buffer was cut short; registering it would point nowhere.
  if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  path.assign(buffer, length);
  if (module != nullptr && module != GetModuleHandleA(nullptr)) return S_OK;
  char short_path[MAX_PATH];
  const DWORD short_length = GetShortPathNameA(path.c_str(), short_path, MAX_PATH);
  if (short_length >= MAX_PATH) return E_OUTOFMEMORY;
  if (short_length != 0) path.assign(short_path, short_length);
  return S_OK;
}

HRESULT LoadScript(HMODULE module, int resource_id, std::string_view& script) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resource_id), "REGISTRY");
  if (found == nullptr) return LastError();
  const DWORD size = SizeofResource(module, found);
  if (size == 0) return LastError();
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) return LastError();
  const void* data = LockResource(loaded);
  if (data == nullptr) return LastError();
  // Resource memory stays mapped as long as the module is loaded; nothing to free.
  script = std::string_view(static_cast<const char*>(data), size);
  return S_OK;
}

}  // namespace

HRESULT RunRegistrationScript(HMODULE module, int resource_id, bool register_mode) {
  try {
    std::string path;
    HRESULT hr = ModulePath(module, path);
    if (FAILED(hr)) return hr;
    std::string_view script;
    hr = LoadScript(module, resource_id, script);
    if (FAILED(hr)) return hr;
    WinRegistry registry;
    return static_cast<HRESULT>(control::RunRegScript(
        script, {{"Module", control::DoubleApostrophes(path)}},
        register_mode ? control::RegScriptMode::kRegister : control::RegScriptMode::kUnregister,
        registry));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace control::com
