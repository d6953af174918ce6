// Finding, registering and unregistering the type library that the module carries.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <string>

namespace control::com {

// The directory part of `path`: everything up to and including its last '\', '/' or ':'
// (empty when it has none).
std::wstring HelpDirectory(const std::wstring& path);

// `path` with the extension of its file name replaced by ".tlb" (appended when the file name
// has no extension).
std::wstring TlbPathBeside(const std::wstring& path);

// Loads the type library from the module's own path (resource TYPELIB 1), or else from the
// ".tlb" file beside the module. `path` receives the path that worked.
HRESULT FindTypeLibrary(HMODULE module, ITypeLib** library, std::wstring& path);

// Registers the found library with its directory as help directory.
HRESULT RegisterModuleTypeLibrary(HMODULE module);

// Unregisters it when it can be found and oleaut32 offers UnRegisterTypeLib; never fails.
void UnregisterModuleTypeLibrary(HMODULE module);

}  // namespace control::com
