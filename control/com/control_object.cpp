#include "control/com/control_object.h"

#include <objsafe.h>

#include <new>

#include "control/com/com_text.h"
#include "control/com/module.h"

namespace control::com {

using Microsoft::WRL::ComPtr;

HRESULT ControlObject::Create(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  ControlObject* made = nullptr;
  // The facade allocates as it is built; nothrow covers only the object's own block.
  const HRESULT made_hr = Guarded([&] {
    made = new (std::nothrow) ControlObject(outer);
    return made ? S_OK : E_OUTOFMEMORY;
  });
  if (FAILED(made_hr)) return made_hr;
  // Held through the inner IUnknown while it is finished, so that a failure destroys it.
  made->inner_.AddRef();
  HRESULT hr = made->FinalConstruct();
  if (SUCCEEDED(hr)) hr = made->inner_.QueryInterface(riid, object);
  made->inner_.Release();
  return hr;
}

ControlObject::ControlObject(IUnknown* outer)
    : inner_(*this),
      controlling_(outer ? outer : &inner_),
      window_(list_, ModuleInstance()),
      connection_point_(*this, *controlling_),
      navigator_(*this),
      view_object_(*this, *controlling_),
      ole_object_(*this, *controlling_),
      ole_control_(*this, *controlling_),
      persist_(*this, *controlling_),
      object_safety_(*this, *controlling_) {
  LockModule();
}

ControlObject::~ControlObject() {
  // The window goes first, while every interface group it may call into still stands.
  window_.Close();
  marshaler_.Reset();
  UnlockModule();
  // The members then go in reverse order: the groups, the container's site objects, then
  // the facade with its items and sinks.
}

HRESULT ControlObject::FinalConstruct() {
  // The marshaler is aggregated on the controlling object, so that IMarshal obtained
  // through it answers for the whole (possibly outer) object.
  return CoCreateFreeThreadedMarshaler(controlling_, marshaler_.GetAddressOf());
}

// --- identity --------------------------------------------------------------------------

// The interfaces in the order requests are matched. A row without a place is an interface
// of a group not built yet: it answers E_NOINTERFACE.
const ControlObject::InterfaceRow ControlObject::kInterfaces[] = {
    {&IID_IZorTabbedList,
     [](ControlObject& self) -> IUnknown* { return static_cast<IZorTabbedList*>(&self); }},
    {&IID_IDispatch,
     [](ControlObject& self) -> IUnknown* { return static_cast<IZorTabbedList*>(&self); }},
    {&IID_IViewObjectEx,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IViewObjectEx*>(&self.view_object_);
     }},
    {&IID_IViewObject2,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IViewObjectEx*>(&self.view_object_);
     }},
    {&IID_IViewObject,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IViewObjectEx*>(&self.view_object_);
     }},
    {&IID_IOleInPlaceObjectWindowless,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IOleInPlaceObjectWindowless*>(&self.ole_object_);
     }},
    {&IID_IOleInPlaceObject,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IOleInPlaceObjectWindowless*>(&self.ole_object_);
     }},
    {&IID_IOleWindow,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IOleInPlaceObjectWindowless*>(&self.ole_object_);
     }},
    {&IID_IOleInPlaceActiveObject,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IOleInPlaceActiveObject*>(&self.ole_object_);
     }},
    {&IID_IOleControl,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IOleControl*>(&self.ole_control_);
     }},
    {&IID_IPersistStreamInit,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IPersistStreamInit*>(&self.persist_);
     }},
    {&IID_IPersist, [](ControlObject& self) -> IUnknown* { return static_cast<IPersist*>(&self); }},
    {&IID_ISupportErrorInfo,
     [](ControlObject& self) -> IUnknown* { return static_cast<ISupportErrorInfo*>(&self); }},
    {&IID_IQuickActivate,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IQuickActivate*>(&self.ole_object_);
     }},
    {&IID_IPersistStorage,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IPersistStorage*>(&self.persist_);
     }},
    {&IID_IPersistPropertyBag,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IPersistPropertyBag*>(&self.persist_);
     }},
    {&IID_IDataObject,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IDataObject*>(&self.view_object_);
     }},
    {&IID_IProvideClassInfo,
     [](ControlObject& self) -> IUnknown* { return static_cast<IProvideClassInfo2*>(&self); }},
    {&IID_IProvideClassInfo2,
     [](ControlObject& self) -> IUnknown* { return static_cast<IProvideClassInfo2*>(&self); }},
    {&IID_IConnectionPointContainer,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IConnectionPointContainer*>(&self.connection_point_);
     }},
    {&IID_IMarshal, nullptr},  // the aggregated marshaler's; answered in QueryInterface
    {&IID_IObjectSafety,
     [](ControlObject& self) -> IUnknown* {
       return static_cast<IObjectSafety*>(&self.object_safety_);
     }},
    {&IID_IOleObject,
     [](ControlObject& self) -> IUnknown* { return static_cast<IOleObject*>(&self.ole_object_); }},
};

STDMETHODIMP ControlObject::InnerUnknown::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ControlObject& self = owner_;
  IUnknown* found = nullptr;
  if (IsEqualIID(riid, IID_IUnknown)) {
    found = this;
  } else if (IsEqualIID(riid, IID_IMarshal)) {
    if (!self.marshaler_) return E_NOINTERFACE;
    return self.marshaler_->QueryInterface(riid, object);
  } else {
    for (const InterfaceRow& row : kInterfaces) {
      if (!IsEqualIID(riid, *row.iid)) continue;
      if (row.find) found = row.find(self);
      break;
    }
  }
  if (!found) return E_NOINTERFACE;
  // AddRef through the interface handed out, so that it reaches the controlling object.
  found->AddRef();
  *object = found;
  return S_OK;
}

STDMETHODIMP_(ULONG) ControlObject::InnerUnknown::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&owner_.references_));
}

STDMETHODIMP_(ULONG) ControlObject::InnerUnknown::Release() {
  const LONG remaining = InterlockedDecrement(&owner_.references_);
  if (remaining == 0) delete &owner_;
  return static_cast<ULONG>(remaining);
}

STDMETHODIMP ControlObject::QueryInterface(REFIID riid, void** object) {
  return controlling_->QueryInterface(riid, object);
}

STDMETHODIMP_(ULONG) ControlObject::AddRef() { return controlling_->AddRef(); }

STDMETHODIMP_(ULONG) ControlObject::Release() { return controlling_->Release(); }

// --- IDispatch -------------------------------------------------------------------------

STDMETHODIMP ControlObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP ControlObject::GetTypeInfo(UINT index, LCID /*locale*/, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return ControlTypeInfo(info);
}

STDMETHODIMP ControlObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID /*locale*/,
                                          DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (count > 0 && (!names || !ids)) return E_POINTER;
  ComPtr<ITypeInfo> info;
  const HRESULT hr = ControlTypeInfo(info.GetAddressOf());
  if (FAILED(hr)) return hr;
  return info->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP ControlObject::Invoke(DISPID id, REFIID riid, LCID /*locale*/, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!params) return E_INVALIDARG;
  ComPtr<ITypeInfo> info;
  const HRESULT hr = ControlTypeInfo(info.GetAddressOf());
  if (FAILED(hr)) return hr;
  // The type information calls the member through this object's IZorTabbedList slots.
  return info->Invoke(static_cast<IZorTabbedList*>(this), id, flags, params, result, exception,
                      argument_error);
}

// --- IPersist, ISupportErrorInfo --------------------------------------------------------

STDMETHODIMP ControlObject::GetClassID(CLSID* class_id) {
  if (!class_id) return E_POINTER;
  *class_id = CLSID_ZorTabbedList;
  return S_OK;
}

STDMETHODIMP ControlObject::InterfaceSupportsErrorInfo(REFIID riid) {
  // The automation interface declares error-info support, as containers expect of a
  // control; no member ever sets an error object, so a caller that looks finds none.
  return IsEqualIID(riid, IID_IZorTabbedList) ? S_OK : S_FALSE;
}

// --- IProvideClassInfo2 ---------------------------------------------------------------

STDMETHODIMP ControlObject::GetClassInfo(ITypeInfo** info) { return ClassTypeInfo(info); }

STDMETHODIMP ControlObject::GetGUID(DWORD /*kind*/, GUID* guid) {
  // The default source interface is not told this way: containers connect their event
  // sink through the connection point container.
  if (!guid) return E_POINTER;
  *guid = GUID_NULL;
  return E_FAIL;
}

// --- shared by the interface groups ------------------------------------------------------

void ControlObject::StockPropertyChanged() {
  const HWND window = window_.Window();
  if (site_.in_place_active && window) {
    // Failing leaves only a stale picture until the next paint.
    (void)InvalidateRect(window, nullptr, TRUE);
  } else {
    view_object_.SendViewChange();
  }
  view_object_.SendDataChange();
}

}  // namespace control::com
