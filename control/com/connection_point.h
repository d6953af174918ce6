// The control's connection point container with its one connection point, for the event
// interface. The sinks live in the facade's slot list (events::EventSinks), which decides
// slots, cookies and the firing order; this layer checks the sinks COM hands over, wraps
// each in a DispatchEventSink and enumerates what the list holds.
#pragma once

#include <ocidl.h>
#include <windows.h>

#include "control/com/delegating.h"

namespace control::com {

// The connection point is part of the object and lives as long as it: its reference
// count is the controlling object's. It is an interface of its own, not of the control,
// so its QueryInterface answers only IUnknown and IConnectionPoint.
class EventConnectionPoint final : public IConnectionPoint {
 public:
  EventConnectionPoint(ControlObject& object, IUnknown& controlling,
                       IConnectionPointContainer& container)
      : object_(object), controlling_(controlling), container_(container) {}
  EventConnectionPoint(const EventConnectionPoint&) = delete;
  EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return controlling_.AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return controlling_.Release(); }

  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
  // Accepts only sinks that answer the event interface itself: those are the ones that
  // know its DISPIDs. A sink that answers IDispatch alone is refused.
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

 private:
  ControlObject& object_;
  IUnknown& controlling_;
  IConnectionPointContainer& container_;
};

class ConnectionPointPart final : public Delegating<IConnectionPointContainer> {
 public:
  ConnectionPointPart(ControlObject& object, IUnknown& controlling)
      : Delegating(object, controlling), point_(object, controlling, *this) {}

  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

 private:
  EventConnectionPoint point_;
};

}  // namespace control::com
