// Shared pieces of the Windows tests that drive the real DLL: owners for the module,
// the apartment, BSTRs and VARIANTs, and the DLL's entry points looked up by name.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <utility>

#include "ZorTabList.h"
#include "control/com/com_text.h"

namespace zortab_test {

using control::com::UniqueBstr;
using control::com::UniqueVariant;
using Microsoft::WRL::ComPtr;

// The DLL of this build tree: ZORTAB_DLL_PATH when the build names it, else
// ZorTabList.dll beside the test program.
inline std::wstring BuiltDllPath() {
#ifdef ZORTAB_DLL_PATH
  return ZORTAB_DLL_PATH;
#else
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  std::wstring path(buffer, length);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"ZorTabList.dll";
#endif
}

class Library {
 public:
  explicit Library(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  HMODULE Get() const { return module_; }
  template <class Function>
  Function Find(const char* name) const {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(module_ ? GetProcAddress(module_, name) : nullptr));
  }

 private:
  HMODULE module_;
};

// The four entry points of a loaded control DLL.
struct Exports {
  using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  using NoArgumentFn = HRESULT(WINAPI*)();

  explicit Exports(const Library& library)
      : get_class_object(library.Find<GetClassObjectFn>("DllGetClassObject")),
        can_unload_now(library.Find<NoArgumentFn>("DllCanUnloadNow")),
        register_server(library.Find<NoArgumentFn>("DllRegisterServer")),
        unregister_server(library.Find<NoArgumentFn>("DllUnregisterServer")) {}
  bool Complete() const {
    return get_class_object && can_unload_now && register_server && unregister_server;
  }

  GetClassObjectFn get_class_object;
  NoArgumentFn can_unload_now;
  NoArgumentFn register_server;
  NoArgumentFn unregister_server;
};

class Apartment {
 public:
  explicit Apartment(DWORD model = COINIT_APARTMENTTHREADED)
      : hr_(CoInitializeEx(nullptr, model)) {}
  ~Apartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
  HRESULT Result() const { return hr_; }

 private:
  HRESULT hr_;
};

inline UniqueBstr MakeBstr(const std::wstring& text) {
  return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

inline std::wstring Text(const UniqueBstr& text) {
  return std::wstring(text.Get() ? text.Get() : L"", text.Length());
}

// Late-bound calls the way a script host makes them.
inline HRESULT Call(IDispatch* object, DISPID id, WORD flags, VARIANT* arguments, UINT count,
                    VARIANT* result) {
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params = {arguments, nullptr, count, 0};
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  EXCEPINFO exception = {};
  UINT argument_error = 0;
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception,
                        &argument_error);
}

inline void SetText(VARIANT* value, const std::wstring& text) {
  V_VT(value) = VT_BSTR;
  V_BSTR(value) = MakeBstr(text).Release();
}

inline void SetLong(VARIANT* value, LONG number) {
  V_VT(value) = VT_I4;
  V_I4(value) = number;
}

// An object that aggregates the control: it answers IUnknown itself and hands every other
// request to the control's inner IUnknown.
class Outer final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *object = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return inner ? inner->QueryInterface(riid, object) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }

  LONG references = 1;  // lives on the stack; the count only shows what the inner did
  ComPtr<IUnknown> inner;
};

}  // namespace zortab_test
