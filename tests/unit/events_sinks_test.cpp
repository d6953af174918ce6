// The connection point's slot list and the firing walk over it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "events/event_sinks.h"
#include "events/event_table.h"
#include "events/fire.h"
#include "events/key_state.h"
#include "events/navigator.h"

namespace {

using events::EventArg;
using events::EventSinks;

// Appends its name to a shared call log and runs an optional action inside its call.
class NamedSink : public events::EventSink {
 public:
  NamedSink(std::string name, std::vector<std::string>* calls)
      : name_(std::move(name)), calls_(calls) {}
  std::function<void()> action;
  std::int32_t status = 0;

  std::int32_t Invoke(events::DispId, std::span<const EventArg>) override {
    calls_->push_back(name_);
    if (action) action();
    // Touches the object after the action: a sink destroyed by its own disconnection
    // would be read after free here.
    calls_->push_back(name_ + " done");
    return status;
  }

 private:
  std::string name_;
  std::vector<std::string>* calls_;
};

std::vector<std::string> SlotNames(const EventSinks& sinks,
                                   const std::vector<std::shared_ptr<NamedSink>>& all) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < sinks.SlotCount(); ++i) {
    auto sink = sinks.SinkAt(i);
    std::string name = "-";
    for (std::size_t k = 0; k < all.size(); ++k) {
      if (sink == all[k]) name = std::to_string(k);
    }
    out.push_back(name);
  }
  return out;
}

TEST(EventSinks, GrowsFromOneToFourThenDoubles) {
  EventSinks sinks;
  std::vector<std::string> calls;
  std::vector<std::shared_ptr<NamedSink>> all;
  for (int i = 0; i < 6; ++i) all.push_back(std::make_shared<NamedSink>(std::to_string(i), &calls));

  EXPECT_EQ(sinks.SlotCount(), 0u);
  sinks.Connect(all[0]);
  EXPECT_EQ(SlotNames(sinks, all), (std::vector<std::string>{"0"}));
  sinks.Connect(all[1]);
  EXPECT_EQ(SlotNames(sinks, all), (std::vector<std::string>{"0", "1", "-", "-"}));
  sinks.Connect(all[2]);
  sinks.Connect(all[3]);
  EXPECT_EQ(SlotNames(sinks, all), (std::vector<std::string>{"0", "1", "2", "3"}));
  sinks.Connect(all[4]);
  EXPECT_EQ(SlotNames(sinks, all),
            (std::vector<std::string>{"0", "1", "2", "3", "4", "-", "-", "-"}));
  EXPECT_EQ(sinks.ConnectionCount(), 5u);
  EXPECT_EQ(sinks.SinkAt(8), nullptr);
}

TEST(EventSinks, SingleSlotIsReusedAndFreedSlotsAreTakenFirstEmptyFirst) {
  EventSinks sinks;
  std::vector<std::string> calls;
  std::vector<std::shared_ptr<NamedSink>> all;
  for (int i = 0; i < 5; ++i) all.push_back(std::make_shared<NamedSink>(std::to_string(i), &calls));

  auto c0 = sinks.Connect(all[0]);
  ASSERT_TRUE(sinks.Disconnect(c0));
  EXPECT_EQ(SlotNames(sinks, all), (std::vector<std::string>{"-"}));
  sinks.Connect(all[1]);  // the lone slot is empty: it is taken, the list does not grow
  EXPECT_EQ(SlotNames(sinks, all), (std::vector<std::string>{"1"}));

  auto c2 = sinks.Connect(all[2]);
  auto c3 = sinks.Connect(all[3]);
  ASSERT_TRUE(sinks.Disconnect(c2));
  EXPECT_EQ(SlotNames(sinks, all), (std::vector<std::string>{"1", "-", "3", "-"}));
  sinks.Connect(all[4]);
  EXPECT_EQ(SlotNames(sinks, all), (std::vector<std::string>{"1", "4", "3", "-"}));
  EXPECT_TRUE(sinks.Disconnect(c3));
  EXPECT_EQ(sinks.ConnectionCount(), 2u);
}

TEST(EventSinks, CookiesAreUniqueAndStaleOnesNameNothing) {
  EventSinks sinks;
  std::vector<std::string> calls;
  auto a = std::make_shared<NamedSink>("a", &calls);
  auto b = std::make_shared<NamedSink>("b", &calls);
  EXPECT_EQ(sinks.Connect(nullptr), EventSinks::kNoCookie);
  auto ca = sinks.Connect(a);
  ASSERT_NE(ca, EventSinks::kNoCookie);
  ASSERT_TRUE(sinks.Disconnect(ca));
  auto cb = sinks.Connect(b);  // same slot as a had
  ASSERT_NE(cb, EventSinks::kNoCookie);
  EXPECT_NE(cb, ca);
  EXPECT_FALSE(sinks.Disconnect(ca));  // a's old cookie must not disconnect b
  EXPECT_EQ(sinks.SinkAt(0), b);
  EXPECT_FALSE(sinks.Disconnect(EventSinks::kNoCookie));
  EXPECT_TRUE(sinks.Disconnect(cb));
  EXPECT_FALSE(sinks.Disconnect(cb));
}

TEST(EventSinks, RefusesConnectionsBeyondTheLimit) {
  EventSinks sinks;
  std::vector<std::string> calls;
  auto sink = std::make_shared<NamedSink>("s", &calls);
  for (std::size_t i = 0; i < EventSinks::kMaxSlots; ++i) {
    ASSERT_NE(sinks.Connect(sink), EventSinks::kNoCookie) << i;
  }
  EXPECT_EQ(sinks.SlotCount(), EventSinks::kMaxSlots);
  EXPECT_EQ(sinks.Connect(sink), EventSinks::kNoCookie);
  EXPECT_EQ(sinks.SlotCount(), EventSinks::kMaxSlots);
}

TEST(FireEvent, DeliversArgumentsReversedWithTheirTypes) {
  EventSinks sinks;
  std::vector<std::vector<EventArg>> seen;
  struct Capture : events::EventSink {
    std::vector<std::vector<EventArg>>* seen;
    std::int32_t Invoke(events::DispId dispid, std::span<const EventArg> args) override {
      EXPECT_EQ(dispid, events::dispid::kTreeSelChanged);
      seen->emplace_back(args.begin(), args.end());
      return 0;
    }
  };
  auto capture = std::make_shared<Capture>();
  capture->seen = &seen;
  sinks.Connect(capture);
  events::FireTreeSelChanged(sinks, "old", "new", 2);
  ASSERT_EQ(seen.size(), 1u);
  ASSERT_EQ(seen[0].size(), 3u);
  EXPECT_FALSE(seen[0][0].IsText());
  EXPECT_EQ(seen[0][0].AsLong(), 2);
  EXPECT_EQ(seen[0][1], EventArg::Text("new"));
  EXPECT_EQ(seen[0][2], EventArg::Text("old"));
}

TEST(FireEvent, EveryThinFunctionMatchesTheTable) {
  EventSinks sinks;
  struct Check : events::EventSink {
    std::vector<events::DispId> fired;
    std::int32_t Invoke(events::DispId dispid, std::span<const EventArg> args) override {
      fired.push_back(dispid);
      const events::EventInfo* info = events::FindEvent(dispid);
      EXPECT_NE(info, nullptr);
      if (!info) return 0;
      EXPECT_EQ(args.size(), info->params.size()) << info->name;
      for (std::size_t i = 0; i < args.size() && i < info->params.size(); ++i) {
        const auto& param = info->params[info->params.size() - 1 - i];
        EXPECT_EQ(args[i].IsText(), param.type == events::ParamType::kText)
            << info->name << " " << param.name;
      }
      return 0;
    }
  };
  auto check = std::make_shared<Check>();
  sinks.Connect(check);
  using namespace events;
  FireTabChanged(sinks, "t");
  FireTreeOpened(sinks, "i");
  FireTreeClosed(sinks, "i");
  FireTreeClicked(sinks, "i");
  FireTreeRClicked(sinks, "i");
  FireTreeDblClicked(sinks, "i");
  FireTreeOpening(sinks, "i");
  FireTreeSelChanged(sinks, "i", "j", 1);
  FireTreeKeyPress(sinks, "i", 40);
  FireTreeClosing(sinks, "i");
  FireTreeSingleExpand(sinks, "i", "j");
  FireTreeSelChanging(sinks, "i", "j", 1);
  FireTreeRDblClicked(sinks, "i");
  FireTreeGotFocus(sinks);
  FireTreeLostFocus(sinks);
  FireTreeItemDeleted(sinks, "i");
  FireTreeGetToolTipText(sinks, "i");
  FireTreeSortCompare(sinks, "i", "j");
  FireTabRClicked(sinks, "t");
  FireTabKeyPress(sinks, "t", 39);
  FireTabChanging(sinks, "t");
  std::vector<DispId> expected;
  for (DispId d = kFirstEvent; d <= kLastEvent; ++d) expected.push_back(d);
  EXPECT_EQ(check->fired, expected);
  ASSERT_EQ(EventTable().size(), 21u);
  EXPECT_EQ(FindEvent(0), nullptr);
  EXPECT_EQ(FindEvent(22), nullptr);
  EXPECT_EQ(FindEvent(dispid::kTabChanging)->name, "TabChanging");
}

TEST(FireEvent, WalksSlotOrderAndIgnoresFailures) {
  // Two sinks, the first disconnected, a third connected: the third takes slot 0 and is
  // called before the second.
  EventSinks sinks;
  std::vector<std::string> calls;
  auto first = std::make_shared<NamedSink>("first", &calls);
  auto second = std::make_shared<NamedSink>("second", &calls);
  auto third = std::make_shared<NamedSink>("third", &calls);
  auto c1 = sinks.Connect(first);
  sinks.Connect(second);
  sinks.Disconnect(c1);
  sinks.Connect(third);
  third->status = static_cast<std::int32_t>(0x80004005);  // a failing sink stops nobody
  events::FireTreeGotFocus(sinks);
  EXPECT_EQ(calls, (std::vector<std::string>{"third", "third done", "second", "second done"}));
}

TEST(FireEvent, SinkDisconnectingItselfStaysAliveUntilItsCallReturns) {
  EventSinks sinks;
  std::vector<std::string> calls;
  auto self = std::make_shared<NamedSink>("self", &calls);
  auto other = std::make_shared<NamedSink>("other", &calls);
  auto cookie = sinks.Connect(self);
  sinks.Connect(other);
  std::weak_ptr<NamedSink> watch = self;
  self->action = [&] { sinks.Disconnect(cookie); };
  self.reset();  // the list holds the only reference now
  events::FireTreeClicked(sinks, "x");
  EXPECT_EQ(calls, (std::vector<std::string>{"self", "self done", "other", "other done"}));
  EXPECT_TRUE(watch.expired());  // released once the walk let go of it
  calls.clear();
  events::FireTreeClicked(sinks, "x");
  EXPECT_EQ(calls, (std::vector<std::string>{"other", "other done"}));
}

TEST(FireEvent, ConnectionsDuringAnEventWaitForTheNextAndEmptiedSlotsAreSkipped) {
  EventSinks sinks;
  std::vector<std::string> calls;
  auto a = std::make_shared<NamedSink>("a", &calls);
  auto late = std::make_shared<NamedSink>("late", &calls);
  sinks.Connect(a);
  // One slot when the walk starts; the connection grows the list to four slots.
  a->action = [&] {
    sinks.Connect(late);
    a->action = nullptr;
  };
  events::FireTreeGotFocus(sinks);
  EXPECT_EQ(calls, (std::vector<std::string>{"a", "a done"}));
  calls.clear();
  events::FireTreeGotFocus(sinks);
  EXPECT_EQ(calls, (std::vector<std::string>{"a", "a done", "late", "late done"}));

  // A sink that disconnects a later one during the event: the later slot is skipped.
  calls.clear();
  auto b = std::make_shared<NamedSink>("b", &calls);
  auto cb = sinks.Connect(b);  // slot 2
  auto cookie_late = EventSinks::kNoCookie;
  sinks.Disconnect(cb);
  cookie_late = sinks.Connect(b);
  a->action = [&] { sinks.Disconnect(cookie_late); };
  events::FireTreeGotFocus(sinks);
  EXPECT_EQ(calls, (std::vector<std::string>{"a", "a done", "late", "late done"}));
}

TEST(KeyState, ReadsOnlyTheDownBitOfKeysInRange) {
  events::KeyState snapshot{};
  snapshot[0x41] = 0x80;
  snapshot[0x14] = 0x01;  // toggled, not down
  snapshot[0] = 0x81;
  snapshot[255] = 0x80;
  EXPECT_EQ(events::EventKeyState(snapshot, 0x41), 1);
  EXPECT_EQ(events::EventKeyState(snapshot, 0x14), 0);
  EXPECT_EQ(events::EventKeyState(snapshot, 0), 1);
  EXPECT_EQ(events::EventKeyState(snapshot, 255), 1);
  EXPECT_EQ(events::EventKeyState(snapshot, -1), 0);
  EXPECT_EQ(events::EventKeyState(snapshot, 256), 0);
  EXPECT_EQ(events::EventKeyState(snapshot, 0x41 + 256), 0);
}

TEST(KeyState, InfoChordNeedsEveryKeyDown) {
  events::KeyState snapshot{};
  EXPECT_FALSE(events::InfoKeysHeld(snapshot));
  snapshot[0x10] = 0x80;
  snapshot[0x11] = 0x80;
  EXPECT_FALSE(events::InfoKeysHeld(snapshot));
  snapshot[0x12] = 0x01;
  EXPECT_FALSE(events::InfoKeysHeld(snapshot));
  snapshot[0x12] = 0x80;
  EXPECT_TRUE(events::InfoKeysHeld(snapshot));
}

TEST(NavigateItem, PageWithoutFrameNamedFrameOtherwise) {
  struct Nav : events::Navigator {
    std::vector<std::string> calls;
    void NavigatePage(const std::string& href) override { calls.push_back("page " + href); }
    void NavigateFrame(const std::string& frame, const std::string& href) override {
      calls.push_back("frame " + frame + " " + href);
    }
  } nav;
  events::NavigateItem(&nav, "a.htm", "");
  events::NavigateItem(&nav, "b.htm", "main");
  events::NavigateItem(nullptr, "c.htm", "");
  EXPECT_EQ(nav.calls, (std::vector<std::string>{"page a.htm", "frame main b.htm"}));
}

}  // namespace
