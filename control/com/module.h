// Module-wide state of the DLL: its handle, the lock count that decides when it may be
// unloaded, the module's locks and the type information of the control's interface.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <string>

#include "control/com/critical_section.h"

namespace control::com {

// The DLL's own handle, as the loader passed it at process attach.
HINSTANCE ModuleInstance();

// The lock count: +1 per live control object, per outstanding LockServer (TRUE) and while
// the class factory is held by anyone but the module itself.
void LockModule();
void UnlockModule();
LONG ModuleLockCount();
// IClassFactory::LockServer: a lock taken for the client, and one given back. Giving back
// answers false, and changes nothing, when the clients hold no such lock.
void LockServerOnce();
bool UnlockServerOnce();

// Whether the tree view and tab control window classes were registered at module start.
bool CommonControlsReady();

// Serialises the bookkeeping of control windows (used by the window code).
CriticalSection& WindowCreationLock();

// The full path of `module` (at most MAX_PATH characters; a longer one fails).
HRESULT ModuleFileName(HMODULE module, std::wstring& path);

// The type information of IZorTabbedList from the module's own embedded type library,
// loaded once for the life of the module.
HRESULT ControlTypeInfo(ITypeInfo** info);
// The same for the ZorTabbedList coclass.
HRESULT ClassTypeInfo(ITypeInfo** info);

}  // namespace control::com
