#include "events/event_sinks.h"

#include <algorithm>
#include <new>

namespace events {

const std::string& EventArg::AsText() const {
  static const std::string kEmpty;
  const auto* text = std::get_if<std::string>(&value);
  return text ? *text : kEmpty;
}

std::int32_t EventArg::AsLong() const {
  const auto* number = std::get_if<std::int32_t>(&value);
  return number ? *number : 0;
}

bool EventSinks::CookieInUse(Cookie cookie) const {
  return std::any_of(slots_.begin(), slots_.end(),
                     [cookie](const Slot& slot) { return slot.sink && slot.cookie == cookie; });
}

EventSinks::Cookie EventSinks::Connect(std::shared_ptr<EventSink> sink) {
  if (!sink) return kNoCookie;
  // Every slot below first_free_ is taken, so the search starts there.
  std::size_t target = first_free_;
  while (target < slots_.size() && slots_[target].sink) ++target;
  if (target == slots_.size()) {
    // No empty slot: none -> 1 (held alone), 1 -> 4, then doubling. The new sink goes
    // into the first new slot, which is the old size.
    const std::size_t grown = slots_.empty() ? 1 : (slots_.size() == 1 ? 4 : slots_.size() * 2);
    if (grown > kMaxSlots) return kNoCookie;
    try {
      slots_.resize(grown);
    } catch (const std::bad_alloc&) {
      return kNoCookie;
    }
  }
  // Cookies are handed out fresh, so a stale cookie cannot disconnect a later sink that
  // happens to reuse the slot. Only after the counter has wrapped can one still be in use.
  do {
    if (++last_cookie_ == kNoCookie) cookies_wrapped_ = true;
  } while (last_cookie_ == kNoCookie || (cookies_wrapped_ && CookieInUse(last_cookie_)));
  slots_[target].sink = std::move(sink);
  slots_[target].cookie = last_cookie_;
  first_free_ = target + 1;
  return last_cookie_;
}

bool EventSinks::Disconnect(Cookie cookie) {
  if (cookie == kNoCookie) return false;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    Slot& slot = slots_[i];
    if (slot.sink && slot.cookie == cookie) {
      // Moved out first: the sink's destructor may run here and must not see a
      // half-updated list.
      std::shared_ptr<EventSink> gone = std::move(slot.sink);
      slot.cookie = kNoCookie;
      if (i < first_free_) first_free_ = i;
      return true;
    }
  }
  return false;
}

std::shared_ptr<EventSink> EventSinks::SinkAt(std::size_t slot) const {
  if (slot >= slots_.size()) return nullptr;
  return slots_[slot].sink;
}

std::size_t EventSinks::ConnectionCount() const {
  return static_cast<std::size_t>(
      std::count_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return slot.sink; }));
}

void FireEvent(const EventSinks& sinks, DispId dispid, std::span<const EventArg> args) {
  std::vector<EventArg> reversed;
  try {
    reversed.assign(args.rbegin(), args.rend());
  } catch (const std::bad_alloc&) {
    return;  // the argument array cannot be built: nothing is fired
  }
  const std::size_t count = sinks.SlotCount();
  for (std::size_t i = 0; i < count; ++i) {
    // Held for the duration of the call; the list may change under it.
    std::shared_ptr<EventSink> sink = sinks.SinkAt(i);
    if (!sink) continue;
    static_cast<void>(sink->Invoke(dispid, reversed));  // the status is ignored
  }
}

}  // namespace events
