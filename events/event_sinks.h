// What a connected event sink is to the portable core, and the connection point's slot
// list that holds the sinks.
//
// The COM layer wraps each advised IDispatch in an EventSink and keeps it in EventSinks;
// native tests connect recording sinks directly. Sinks are shared: the firing loop holds
// its own reference while it calls a sink, so a sink that disconnects itself (or is
// disconnected by another sink) during its call stays alive until the call returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "events/event_table.h"

namespace events {

// One event argument: text (ANSI bytes, converted to a BSTR by the COM layer) or a 32-bit
// integer (VT_I4).
struct EventArg {
  std::variant<std::string, std::int32_t> value;

  static EventArg Text(std::string text) { return EventArg{std::move(text)}; }
  static EventArg Long(std::int32_t number) { return EventArg{number}; }
  bool IsText() const { return std::holds_alternative<std::string>(value); }
  // Text of a text argument; empty for a number.
  const std::string& AsText() const;
  // Value of a number argument; 0 for text.
  std::int32_t AsLong() const;
  bool operator==(const EventArg&) const = default;
};

class EventSink {
 public:
  virtual ~EventSink() = default;
  // Delivers one event. `args` holds the arguments in reversed order, as a dispatch call
  // carries them: the last declared parameter is element 0. The answer is a status that
  // the firing loop ignores: a failing sink does not stop the others.
  virtual std::int32_t Invoke(DispId dispid, std::span<const EventArg> args) = 0;
};

// The connection point's sinks. A sequence of slots, each holding one sink or nothing:
// the first connection is held alone; a second makes four slots with the first in slot 0;
// a new connection takes the first empty slot, and when none is empty the number of
// slots doubles and the new one goes into the first new slot. A disconnection empties its
// slot; slots are never removed, so sinks are called in slot order, not connection order.
class EventSinks {
 public:
  using Cookie = std::uint32_t;
  static constexpr Cookie kNoCookie = 0;
  // The list stops growing here; a connection beyond it is refused (the COM layer answers
  // CONNECT_E_ADVISELIMIT) rather than letting a misbehaving host grow memory without end.
  static constexpr std::size_t kMaxSlots = std::size_t{1} << 16;

  // Answers the connection's cookie (never kNoCookie), or kNoCookie when `sink` is null
  // or the list cannot grow.
  Cookie Connect(std::shared_ptr<EventSink> sink);
  // Empties the slot of that connection; false when the cookie names no connection.
  bool Disconnect(Cookie cookie);

  std::size_t SlotCount() const { return slots_.size(); }
  // The sink in `slot`: null for an empty slot or a slot outside the list.
  std::shared_ptr<EventSink> SinkAt(std::size_t slot) const;
  std::size_t ConnectionCount() const;

 private:
  struct Slot {
    std::shared_ptr<EventSink> sink;
    Cookie cookie = kNoCookie;
  };
  bool CookieInUse(Cookie cookie) const;

  std::vector<Slot> slots_;
  std::size_t first_free_ = 0;  // no empty slot below this index
  Cookie last_cookie_ = kNoCookie;
  bool cookies_wrapped_ = false;
};

// Fires one event to every connected sink. `args` are in declaration order; each sink
// receives them reversed. The slot count is read once before the walk, so a sink that
// connects during the event is not called for it, and a slot emptied during the event is
// skipped. Nothing is locked: a sink may re-enter the control.
void FireEvent(const EventSinks& sinks, DispId dispid, std::span<const EventArg> args);

}  // namespace events
