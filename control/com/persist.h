// The persistence group of the control object: IPersistStreamInit, IPersistStorage and
// IPersistPropertyBag. Streams, storages and bags are adapted to the portable walks of
// control/persist.h; every property is read and written through the object's own
// IDispatch::Invoke, so that the type library converts a loaded value exactly as it
// converts a page's.
#pragma once

#include <ocidl.h>
#include <windows.h>

#include "control/com/delegating.h"

namespace control::com {

class PersistPart final
    : public Delegating<IPersistStreamInit, IPersistStorage, IPersistPropertyBag> {
 public:
  using Delegating::Delegating;

  // IPersist, of all three.
  STDMETHODIMP GetClassID(CLSID* class_id) override;

  // IPersistStreamInit, and IsDirty of IPersistStorage; InitNew() of the bag as well.
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(IStream* stream) override;
  STDMETHODIMP Save(IStream* stream, BOOL clear_dirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override;

  // IPersistStorage: the stream form inside the stream "Contents".
  STDMETHODIMP InitNew(IStorage* storage) override;
  STDMETHODIMP Load(IStorage* storage) override;
  STDMETHODIMP Save(IStorage* storage, BOOL same_as_load) override;
  STDMETHODIMP SaveCompleted(IStorage* storage) override;
  STDMETHODIMP HandsOffStorage() override;

  // IPersistPropertyBag
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* error_log) override;
  STDMETHODIMP Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;
};

}  // namespace control::com
