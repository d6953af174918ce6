#include "control/com/connection_point.h"

#include <olectl.h>
#include <wrl/client.h>

#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "ZorTabList.h"
#include "control/com/com_text.h"
#include "control/com/control_object.h"
#include "control/com/dispatch_event_sink.h"
#include "control/com/module.h"
#include "control/tabbed_list_impl.h"

namespace control::com {

using Microsoft::WRL::ComPtr;

namespace {

// What the enumerators hand out, each with a reference for the caller.
IConnectionPoint* HandOut(const ComPtr<IConnectionPoint>& point) {
  point->AddRef();
  return point.Get();
}

struct Connection {
  ComPtr<IUnknown> sink;
  DWORD cookie;
};

CONNECTDATA HandOut(const Connection& connection) {
  connection.sink->AddRef();
  return CONNECTDATA{connection.sink.Get(), connection.cookie};
}

// An enumerator over a snapshot taken when it was made, shared with its clones; each has
// its own position. A heap object with its own count, which holds the module while it
// lives (its code is the module's).
template <class Interface, class Element, class Stored>
class SnapshotEnumerator final : public Interface {
 public:
  using Items = std::vector<Stored>;

  static HRESULT Create(std::shared_ptr<const Items> items, std::size_t position,
                        Interface** made) {
    *made = new (std::nothrow) SnapshotEnumerator(std::move(items), position);
    return *made ? S_OK : E_OUTOFMEMORY;
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Interface))) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG remaining = InterlockedDecrement(&references_);
    if (remaining == 0) delete this;
    return static_cast<ULONG>(remaining);
  }

  STDMETHODIMP Next(ULONG count, Element* elements, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (count > 0 && !elements) return E_POINTER;
    // The count fetched may go unreported only when one element is asked for.
    if (count != 1 && !fetched) return E_INVALIDARG;
    ULONG done = 0;
    while (done < count && position_ < items_->size()) {
      elements[done++] = HandOut((*items_)[position_++]);
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const std::size_t left = items_->size() - position_;
    if (count > left) {
      position_ = items_->size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Interface** clone) override {
    if (!clone) return E_POINTER;
    return Create(items_, position_, clone);
  }

 private:
  SnapshotEnumerator(std::shared_ptr<const Items> items, std::size_t position)
      : items_(std::move(items)), position_(position) {
    LockModule();
  }
  ~SnapshotEnumerator() { UnlockModule(); }

  LONG references_ = 1;
  std::shared_ptr<const Items> items_;
  std::size_t position_;
};

using PointEnumerator =
    SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, ComPtr<IConnectionPoint>>;
using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, CONNECTDATA, Connection>;

events::EventSinks& SinksOf(ControlObject& object) { return object.List().Impl().events.Sinks(); }

}  // namespace

// --- the connection point ---------------------------------------------------------------

STDMETHODIMP EventConnectionPoint::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP EventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = DIID__IZorTabbedListEvents;
  return S_OK;
}

STDMETHODIMP EventConnectionPoint::GetConnectionPointContainer(
    IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  container_.AddRef();
  *container = &container_;
  return S_OK;
}

STDMETHODIMP EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  ComPtr<IDispatch> events;
  if (FAILED(sink->QueryInterface(DIID__IZorTabbedListEvents,
                                  reinterpret_cast<void**>(events.GetAddressOf()))) ||
      !events) {
    return CONNECT_E_CANNOTCONNECT;
  }
  ComPtr<IUnknown> identity;
  if (FAILED(sink->QueryInterface(IID_PPV_ARGS(&identity))) || !identity) {
    return CONNECT_E_CANNOTCONNECT;
  }
  return Guarded([&] {
    auto wrapped = std::make_shared<DispatchEventSink>(std::move(events), std::move(identity));
    DispatchEventSink& held = *wrapped;
    const events::EventSinks::Cookie made = SinksOf(object_).Connect(std::move(wrapped));
    if (made == events::EventSinks::kNoCookie) return CONNECT_E_ADVISELIMIT;
    held.SetCookie(made);
    *cookie = made;
    return S_OK;
  });
}

STDMETHODIMP EventConnectionPoint::Unadvise(DWORD cookie) {
  return SinksOf(object_).Disconnect(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

STDMETHODIMP EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (!connections) return E_POINTER;
  *connections = nullptr;
  return Guarded([&] {
    const events::EventSinks& sinks = SinksOf(object_);
    auto items = std::make_shared<ConnectionEnumerator::Items>();
    for (std::size_t slot = 0; slot < sinks.SlotCount(); ++slot) {
      // Every sink in the list came through Advise, so each is a DispatchEventSink.
      const std::shared_ptr<events::EventSink> held = sinks.SinkAt(slot);
      if (const auto* sink = dynamic_cast<const DispatchEventSink*>(held.get())) {
        items->push_back(Connection{sink->Identity(), sink->Cookie()});
      }
    }
    return ConnectionEnumerator::Create(std::move(items), 0, connections);
  });
}

// --- the container ----------------------------------------------------------------------

STDMETHODIMP ConnectionPointPart::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (!points) return E_POINTER;
  *points = nullptr;
  return Guarded([&] {
    auto items = std::make_shared<PointEnumerator::Items>();
    items->emplace_back(&point_);
    return PointEnumerator::Create(std::move(items), 0, points);
  });
}

STDMETHODIMP ConnectionPointPart::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (!IsEqualIID(riid, DIID__IZorTabbedListEvents)) return CONNECT_E_NOCONNECTION;
  point_.AddRef();
  *point = &point_;
  return S_OK;
}

}  // namespace control::com
