// A sink that records every event it receives as readable text, for event-order tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "events/event_sinks.h"
#include "events/event_table.h"

namespace testing_support {

// Renders one delivered event in declaration order, e.g. TreeSelChanged(a1,b2,1). The
// arguments arrive reversed, so this also checks that they are.
inline std::string DescribeEvent(events::DispId dispid, std::span<const events::EventArg> args) {
  const events::EventInfo* info = events::FindEvent(dispid);
  std::string out = info ? std::string(info->name) : "Event" + std::to_string(dispid);
  out += '(';
  for (std::size_t i = args.size(); i-- > 0;) {
    const events::EventArg& arg = args[i];
    out += arg.IsText() ? arg.AsText() : std::to_string(arg.AsLong());
    if (i != 0) out += ',';
  }
  out += ')';
  return out;
}

class EventRecorder : public events::EventSink {
 public:
  // Runs after the event is recorded; a test's scripted host reacts here.
  std::function<void(events::DispId, std::span<const events::EventArg>)> on_event;

  std::int32_t Invoke(events::DispId dispid, std::span<const events::EventArg> args) override {
    log.push_back(DescribeEvent(dispid, args));
    if (on_event) on_event(dispid, args);
    return 0;
  }

  std::vector<std::string> TakeLog() {
    std::vector<std::string> out;
    out.swap(log);
    return out;
  }

  std::vector<std::string> log;
};

}  // namespace testing_support
