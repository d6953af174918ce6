#include "control/com/class_factory.h"

#include <new>

#include "control/com/module.h"

namespace control::com {

HRESULT ClassFactory::Make(ObjectMaker maker, REFIID riid, void** factory) {
  if (!factory) return E_POINTER;
  *factory = nullptr;
  if (!maker) return E_UNEXPECTED;
  ClassFactory* made = new (std::nothrow) ClassFactory(maker);
  if (!made) return E_OUTOFMEMORY;
  made->AddRef();
  const HRESULT hr = made->QueryInterface(riid, factory);
  made->Release();  // destroys it when the interface was refused
  return hr;
}

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
  ScopedLock lock(count_lock_);
  ++references_;
  if (references_ == 2) LockModule();
  return references_;
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
  ULONG remaining = 0;
  {
    ScopedLock lock(count_lock_);
    remaining = --references_;
    if (remaining == 1) UnlockModule();
  }
  if (remaining == 0) delete this;
  return remaining;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  // An aggregated object must hand its controlling object the inner IUnknown first.
  if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  return maker_(outer, riid, object);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    LockServerOnce();
    return S_OK;
  }
  // An unlock without a matching lock would give back a live object's lock and let the
  // module unload under it: refuse it.
  return UnlockServerOnce() ? S_OK : E_UNEXPECTED;
}

}  // namespace control::com
