// The module's table of creatable classes. It holds one entry, for ZorTabbedList, and ends
// with an empty entry.
#pragma once

#include <unknwn.h>
#include <windows.h>
#include <wrl/client.h>

namespace control::com {

// Makes an object, standalone or aggregated inside `outer`, and answers its `riid`.
using ObjectMaker = HRESULT (*)(IUnknown* outer, REFIID riid, void** object);
// Makes a class factory that creates objects with `maker`, and answers its `riid`.
using FactoryMaker = HRESULT (*)(ObjectMaker maker, REFIID riid, void** factory);

struct ObjectEntry {
  const CLSID* class_id = nullptr;
  // Writes (true) or removes (false) the class's registry entries.
  HRESULT (*update_registry)(bool register_class) = nullptr;
  FactoryMaker make_factory = nullptr;
  ObjectMaker make_object = nullptr;
  // Made at the first request and kept until module end.
  Microsoft::WRL::ComPtr<IUnknown> factory;
  // The class describes itself no further and registers no component categories.
  const wchar_t* (*description)() = nullptr;
  const GUID* (*categories)() = nullptr;
  // Run at module start (true) and end (false).
  void (*start_end)(bool starting) = nullptr;
};

// The table, ending with an entry whose class_id is null.
ObjectEntry* ObjectTable();

}  // namespace control::com
