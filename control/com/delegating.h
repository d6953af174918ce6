// The IUnknown of an interface group of the control object: every group is a member of the
// object and answers for the object's identity, so it hands IUnknown to the controlling
// object (the control itself, or the outer object that aggregates it).
#pragma once

#include <unknwn.h>

namespace control::com {

class ControlObject;

template <class... Interfaces>
class Delegating : public Interfaces... {
 public:
  Delegating(ControlObject& object, IUnknown& controlling)
      : object_(object), controlling_(controlling) {}
  Delegating(const Delegating&) = delete;
  Delegating& operator=(const Delegating&) = delete;

  // One overrider for the IUnknown of every interface of the group.
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return controlling_.QueryInterface(riid, object);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return controlling_.AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return controlling_.Release(); }

 protected:
  ControlObject& object_;
  IUnknown& controlling_;
};

}  // namespace control::com
