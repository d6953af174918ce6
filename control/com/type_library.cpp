#include "control/com/type_library.h"

#include <wrl/client.h>

#include "control/com/module.h"

namespace control::com {

using Microsoft::WRL::ComPtr;

std::wstring HelpDirectory(const std::wstring& path) {
  const std::size_t last = path.find_last_of(L"\\/:");
  return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

std::wstring TlbPathBeside(const std::wstring& path) {
  // Only a dot in the file name starts an extension, not one in a directory name.
  const std::size_t name_start = HelpDirectory(path).size();
  const std::size_t dot = path.find_last_of(L'.');
  const std::size_t stem_end = (dot == std::wstring::npos || dot < name_start) ? path.size() : dot;
  return path.substr(0, stem_end) + L".tlb";
}

HRESULT FindTypeLibrary(HMODULE module, ITypeLib** library, std::wstring& path) {
  if (!library) return E_POINTER;
  *library = nullptr;
  std::wstring module_path;
  HRESULT hr = ModuleFileName(module, module_path);
  if (FAILED(hr)) return hr;
  hr = LoadTypeLibEx(module_path.c_str(), REGKIND_NONE, library);
  if (SUCCEEDED(hr)) {
    path = module_path;
    return hr;
  }
  const std::wstring tlb_path = TlbPathBeside(module_path);
  hr = LoadTypeLibEx(tlb_path.c_str(), REGKIND_NONE, library);
  if (SUCCEEDED(hr)) path = tlb_path;
  return hr;
}

HRESULT RegisterModuleTypeLibrary(HMODULE module) {
  ComPtr<ITypeLib> library;
  std::wstring path;
  HRESULT hr = FindTypeLibrary(module, library.GetAddressOf(), path);
  if (FAILED(hr)) return hr;
  std::wstring help_dir = HelpDirectory(path);
  return RegisterTypeLib(library.Get(), path.data(), help_dir.data());
}

void UnregisterModuleTypeLibrary(HMODULE module) {
  ComPtr<ITypeLib> library;
  std::wstring path;
  if (FAILED(FindTypeLibrary(module, library.GetAddressOf(), path))) return;
  TLIBATTR* attributes = nullptr;
  if (FAILED(library->GetLibAttr(&attributes)) || !attributes) return;
  const TLIBATTR copy = *attributes;
  library->ReleaseTLibAttr(attributes);

  // Looked up at run time so that a system without it still unregisters the rest.
  using UnregisterFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
  HMODULE oleaut = LoadLibraryA("oleaut32.dll");
  if (!oleaut) return;
  const FARPROC found = GetProcAddress(oleaut, "UnRegisterTypeLib");
  if (found) {
    const auto unregister = reinterpret_cast<UnregisterFunction>(reinterpret_cast<void*>(found));
    // The result does not change the answer of unregistration.
    (void)unregister(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
  }
  FreeLibrary(oleaut);
}

}  // namespace control::com
