// The module's entry points and its start and end: the object table, the lock count that
// decides when the DLL may be unloaded, the module's locks and the cached type information.
#include "control/com/module.h"

#include <commctrl.h>
#include <olectl.h>
#include <windows.h>
#include <wrl/client.h>

#include <optional>

#include "ZorTabList.h"
#include "control/com/class_factory.h"
#include "control/com/com_text.h"
#include "control/com/control_object.h"
#include "control/com/object_table.h"
#include "control/com/registration.h"
#include "control/com/type_library.h"

namespace control::com {

namespace {

using Microsoft::WRL::ComPtr;

HRESULT UpdateControlRegistry(bool register_class) {
  return RunRegistrationScript(ModuleInstance(), kRegistrationScriptId, register_class);
}
const wchar_t* NoDescription() { return nullptr; }
const GUID* NoCategories() { return nullptr; }
void NothingToStartOrEnd(bool /*starting*/) {}

ObjectEntry g_object_table[] = {
    {&CLSID_ZorTabbedList, &UpdateControlRegistry, &ClassFactory::Make, &ControlObject::Create,
     nullptr, &NoDescription, &NoCategories, &NothingToStartOrEnd},
    {},
};

struct ModuleState {
  HINSTANCE instance = nullptr;
  ObjectEntry* objects = g_object_table;
  const GUID* type_library_id = nullptr;
  bool common_controls_ready = false;
  CriticalSection module_lock;   // guards the cached type information
  CriticalSection factory_lock;  // guards the making of class factories
  CriticalSection window_lock;   // window-creation bookkeeping
  ComPtr<ITypeInfo> control_type_info;
  ComPtr<ITypeInfo> class_type_info;
};

LONG volatile g_lock_count = 0;
LONG volatile g_server_locks = 0;  // the part of g_lock_count taken through LockServer
std::optional<ModuleState> g_module;

HRESULT LastErrorResult() {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

void StartModule(HINSTANCE instance) {
  g_module.emplace();
  g_module->instance = instance;
  InterlockedExchange(&g_lock_count, 0);
  InterlockedExchange(&g_server_locks, 0);
  for (ObjectEntry* entry = g_module->objects; entry->class_id; ++entry) {
    if (entry->start_end) entry->start_end(true);
  }
  g_module->type_library_id = &LIBID_ZORTABLISTLib;
  // Failing only costs unneeded thread notifications; nothing depends on them.
  (void)DisableThreadLibraryCalls(instance);
  INITCOMMONCONTROLSEX classes = {8, ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES};
  g_module->common_controls_ready = InitCommonControlsEx(&classes) != FALSE;
}

void EndModule() {
  if (!g_module) return;
  for (ObjectEntry* entry = g_module->objects; entry->class_id; ++entry) entry->factory.Reset();
  for (ObjectEntry* entry = g_module->objects; entry->class_id; ++entry) {
    if (entry->start_end) entry->start_end(false);
  }
  g_module->control_type_info.Reset();
  g_module->class_type_info.Reset();
  g_module.reset();
}

}  // namespace

HINSTANCE ModuleInstance() { return g_module ? g_module->instance : nullptr; }

void LockModule() { InterlockedIncrement(&g_lock_count); }

void UnlockModule() { InterlockedDecrement(&g_lock_count); }

LONG ModuleLockCount() { return InterlockedCompareExchange(&g_lock_count, 0, 0); }

void LockServerOnce() {
  InterlockedIncrement(&g_server_locks);
  LockModule();
}

bool UnlockServerOnce() {
  LONG held = InterlockedCompareExchange(&g_server_locks, 0, 0);
  while (held > 0) {
    const LONG seen = InterlockedCompareExchange(&g_server_locks, held - 1, held);
    if (seen == held) {
      UnlockModule();
      return true;
    }
    held = seen;
  }
  return false;
}

bool CommonControlsReady() { return g_module && g_module->common_controls_ready; }

CriticalSection& WindowCreationLock() { return g_module->window_lock; }

HRESULT ModuleFileName(HMODULE module, std::wstring& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
  if (length == 0) return LastErrorResult();
  if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  return Guarded([&] {
    path.assign(buffer, length);
    return S_OK;
  });
}

namespace {

// The type information of `guid` from the module's own embedded type library, loaded once
// into `cache` for the life of the module.
HRESULT CachedTypeInfo(REFGUID guid, ComPtr<ITypeInfo> ModuleState::*cache, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (!g_module) return E_UNEXPECTED;
  ScopedLock lock(g_module->module_lock);
  ComPtr<ITypeInfo>& held = (*g_module).*cache;
  if (!held) {
    std::wstring path;
    HRESULT hr = ModuleFileName(g_module->instance, path);
    if (FAILED(hr)) return hr;
    // The module's own resource, so that the interface works without any registration.
    ComPtr<ITypeLib> library;
    hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.GetAddressOf());
    if (FAILED(hr)) return hr;
    hr = library->GetTypeInfoOfGuid(guid, held.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
  }
  return held.CopyTo(info);
}

}  // namespace

HRESULT ControlTypeInfo(ITypeInfo** info) {
  return CachedTypeInfo(IID_IZorTabbedList, &ModuleState::control_type_info, info);
}

HRESULT ClassTypeInfo(ITypeInfo** info) {
  return CachedTypeInfo(CLSID_ZorTabbedList, &ModuleState::class_type_info, info);
}

}  // namespace control::com

using control::com::g_module;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    control::com::StartModule(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    control::com::EndModule();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  using namespace control::com;
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!g_module) return E_UNEXPECTED;
  for (ObjectEntry* entry = g_module->objects; entry->class_id; ++entry) {
    if (!IsEqualCLSID(*entry->class_id, rclsid)) continue;
    ComPtr<IUnknown> factory;
    HRESULT hr = S_OK;
    {
      ScopedLock lock(g_module->factory_lock);
      if (!entry->factory) {
        hr = entry->make_factory(entry->make_object, IID_IUnknown,
                                 reinterpret_cast<void**>(entry->factory.GetAddressOf()));
      }
      factory = entry->factory;
    }
    if (!factory) return FAILED(hr) ? hr : E_UNEXPECTED;
    return factory->QueryInterface(riid, ppv);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return control::com::ModuleLockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  using namespace control::com;
  if (!g_module) return E_UNEXPECTED;
  return Guarded([] {
    for (ObjectEntry* entry = g_module->objects; entry->class_id; ++entry) {
      const HRESULT hr = entry->update_registry(true);
      if (FAILED(hr)) return hr;  // what was written stays
    }
    return RegisterModuleTypeLibrary(g_module->instance);
  });
}

STDAPI DllUnregisterServer() {
  using namespace control::com;
  if (!g_module) return S_OK;
  (void)Guarded([] {
    for (ObjectEntry* entry = g_module->objects; entry->class_id; ++entry) {
      (void)entry->update_registry(false);  // the rest is removed whatever this answers
    }
    UnregisterModuleTypeLibrary(g_module->instance);
    return S_OK;
  });
  return S_OK;
}
