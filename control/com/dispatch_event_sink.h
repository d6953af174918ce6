// A connected event sink as the portable firing loop sees it: the sink's dispatch
// interface, called with the event's DISPID and its arguments as dispatch arguments.
#pragma once

#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <span>
#include <utility>

#include "events/event_sinks.h"

namespace control::com {

class DispatchEventSink final : public events::EventSink {
 public:
  // `events`: the sink's event interface; `identity`: its IUnknown, handed out by the
  // enumeration of connections.
  DispatchEventSink(Microsoft::WRL::ComPtr<IDispatch> events,
                    Microsoft::WRL::ComPtr<IUnknown> identity)
      : events_(std::move(events)), identity_(std::move(identity)) {}

  // Each call converts the texts into BSTRs of its own, so no two sinks (and no two
  // events) share a string: a sink may keep or free what it got without harm to others.
  // The answer is the sink's (or the conversion's) HRESULT; nobody reads it.
  std::int32_t Invoke(events::DispId dispid, std::span<const events::EventArg> args) override;

  IUnknown* Identity() const { return identity_.Get(); }
  // The connection's cookie, known once the slot list has taken the sink.
  DWORD Cookie() const { return cookie_; }
  void SetCookie(DWORD cookie) { cookie_ = cookie; }

 private:
  Microsoft::WRL::ComPtr<IDispatch> events_;
  Microsoft::WRL::ComPtr<IUnknown> identity_;
  DWORD cookie_ = 0;
};

}  // namespace control::com
