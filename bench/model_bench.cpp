// The item model through the facade: bulk record loading, by-ID reads among many items,
// and removal of a subtree out of a large store.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"

namespace {

// Records for `count` items in 10 tabs: each item is the child of an earlier item of its
// tab, giving trees of some depth and breadth.
std::string ItemList(std::int64_t count) {
  std::string list;
  list.reserve(static_cast<std::size_t>(count) * 56);
  for (std::int64_t i = 0; i < count; ++i) {
    list += "TAB:Tab";
    list += std::to_string(i % 10);
    list += ",TEXT:Item number ";
    list += std::to_string(i);
    list += ",ID:n";
    list += std::to_string(i);
    if (i >= 10) {
      list += ",PARENT:n";
      list += std::to_string((i / 10 - 1) / 3 * 10 + i % 10);  // three children each
    }
    list += ",CPIC:3\r\n";
  }
  return list;
}

void BM_AddItemList(benchmark::State& state) {
  const std::string list = ItemList(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto control = std::make_unique<control::TabbedList>();
    state.ResumeTiming();
    control->AddItemList(list);
    benchmark::DoNotOptimize(control->GetItemCount());
    state.PauseTiming();
    control.reset();
    state.ResumeTiming();
  }
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AddItemList)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// 4,096 scattered IDs out of `count` items, so that the reads do not walk the store in order.
std::vector<std::string> ScatteredIds(std::int64_t count) {
  std::vector<std::string> ids;
  std::uint64_t x = 88172645463325252ULL;
  for (int i = 0; i < 4096; ++i) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    std::string id = "n";
    id += std::to_string(x % static_cast<std::uint64_t>(count));
    ids.push_back(std::move(id));
  }
  return ids;
}

void BM_TextGet(benchmark::State& state) {
  const std::int64_t count = state.range(0);
  control::TabbedList control;
  control.AddItemList(ItemList(count));
  const std::vector<std::string> ids = ScatteredIds(count);
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(control.GetText(ids[next]));
    next = (next + 1) & 4095;
  }
}
BENCHMARK(BM_TextGet)->Arg(1000)->Arg(100000);

// The same reads through the plain index a straightforward implementation would keep: a
// standard hash map from ID to the earliest item with it, answering the text as GetText does.
void BM_TextGetStdMap(benchmark::State& state) {
  const std::int64_t count = state.range(0);
  control::TabbedList control;
  control.AddItemList(ItemList(count));
  std::unordered_map<std::string, const model::Item*> by_id;
  for (const auto& [seq, item] : control.Impl().store.Items()) {
    by_id.emplace(std::string(item.ID()), &item);  // keeps the earliest
  }
  const std::vector<std::string> ids = ScatteredIds(count);
  std::size_t next = 0;
  for (auto _ : state) {
    const auto found = by_id.find(ids[next]);
    benchmark::DoNotOptimize(found == by_id.end() ? std::string()
                                                  : std::string(found->second->Text));
    next = (next + 1) & 4095;
  }
}
BENCHMARK(BM_TextGetStdMap)->Arg(1000)->Arg(100000);

// A 1,000-item subtree out of 100,000 items: the subtree is added back between the timed
// removals.
void BM_DeleteSubtree(benchmark::State& state) {
  control::TabbedList control;
  control.AddItemList(ItemList(99000));
  // A ternary tree under s0, spread over the tabs.
  std::string subtree;
  for (int i = 0; i < 1000; ++i) {
    subtree += "TAB:Tab" + std::to_string(i % 10) + ",TEXT:Sub,ID:s" + std::to_string(i);
    if (i > 0) subtree += ",PARENT:s" + std::to_string((i - 1) / 3);
    subtree += "\r\n";
  }
  for (auto _ : state) {
    state.PauseTiming();
    control.AddItemList(subtree);
    state.ResumeTiming();
    control.DeleteItem("s0");
  }
  state.counters["items"] = static_cast<double>(control.GetItemCount());
}
BENCHMARK(BM_DeleteSubtree)->Unit(benchmark::kMicrosecond);

}  // namespace
