// The class factory of the module's creatable class.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include "control/com/critical_section.h"
#include "control/com/object_table.h"

namespace control::com {

class ClassFactory final : public IClassFactory {
 public:
  // The FactoryMaker of the object table.
  static HRESULT Make(ObjectMaker maker, REFIID riid, void** factory);

  // IUnknown. The module's table keeps one reference for the life of the module; every
  // reference beyond it holds a module lock.
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IClassFactory
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  explicit ClassFactory(ObjectMaker maker) : maker_(maker) {}
  ~ClassFactory() = default;

  ObjectMaker maker_;
  CriticalSection count_lock_;
  ULONG references_ = 0;
};

}  // namespace control::com
