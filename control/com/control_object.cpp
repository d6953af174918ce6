#include "control/com/control_object.h"

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
    : inner_(*this), controlling_(outer ? outer : &inner_) {
  LockModule();
}

ControlObject::~ControlObject() {
  marshaler_.Reset();
  UnlockModule();
}

HRESULT ControlObject::FinalConstruct() {
  // The marshaler is aggregated on the controlling object, so that IMarshal obtained
  // through it answers for the whole (possibly outer) object.
  return CoCreateFreeThreadedMarshaler(controlling_, marshaler_.GetAddressOf());
}

// --- identity --------------------------------------------------------------------------

STDMETHODIMP ControlObject::InnerUnknown::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ControlObject& self = owner_;
  if (IsEqualIID(riid, IID_IUnknown)) {
    *object = static_cast<IUnknown*>(this);
  } else if (IsEqualIID(riid, IID_IZorTabbedList) || IsEqualIID(riid, IID_IDispatch)) {
    *object = static_cast<IZorTabbedList*>(&self);
  } else if (IsEqualIID(riid, IID_IPersist)) {
    *object = static_cast<IPersist*>(&self);
  } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
    *object = static_cast<ISupportErrorInfo*>(&self);
  } else if (IsEqualIID(riid, IID_IMarshal)) {
    if (!self.marshaler_) return E_NOINTERFACE;
    return self.marshaler_->QueryInterface(riid, object);
  } else {
    return E_NOINTERFACE;
  }
  // AddRef through the interface handed out, so that it reaches the controlling object.
  static_cast<IUnknown*>(*object)->AddRef();
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

}  // namespace control::com
