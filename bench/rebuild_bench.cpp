// Rebuilding one tab's tree among many items: the cost must follow that tab's size, not
// the store's, and parents must be found through the ID index, not by a walk.
//
// The views are lean stand-ins with constant-time node operations, so that the figures
// are the logic's own (the sims of view/sim keep plain vectors and are for behaviour).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/record.h"
#include "model/store.h"
#include "view/view_controller.h"
#include "view/views.h"

namespace {

using view::Node;

template <class Interface>
class LeanWindow : public Interface {
 public:
  std::uint32_t GetStyle() const override { return style_; }
  void SetStyle(std::uint32_t style) override { style_ = style; }
  void ReapplyFrame() override {}
  void SetPosition(int x, int y, int width, int height) override {
    position_ = view::Rect{x, y, x + width, y + height};
  }
  view::Rect GetPosition() const override { return position_; }
  void Enable(bool enabled) override { enabled_ = enabled; }
  bool IsEnabled() const override { return enabled_; }
  void Show(bool visible) override { visible_ = visible; }
  bool IsVisible() const override { return visible_; }
  void Focus() override {}
  view::Point ScreenToClient(view::Point screen) const override { return screen; }

 private:
  std::uint32_t style_ = 0;
  view::Rect position_;
  bool enabled_ = true;
  bool visible_ = true;
};

class LeanTabStrip final : public LeanWindow<view::TabStrip> {
 public:
  void SetListener(view::TabStripListener*) override {}
  int InsertItem(int position, const std::string&, std::int64_t param, int) override {
    if (position < 0 || position > GetItemCount()) position = GetItemCount();
    params_.insert(params_.begin() + position, param);
    if (selected_ < 0) selected_ = 0;
    return position;
  }
  bool SetItemImage(int, int) override { return true; }
  bool SetItemParam(int position, std::int64_t param) override {
    if (position < 0 || position >= GetItemCount()) return false;
    params_[static_cast<std::size_t>(position)] = param;
    return true;
  }
  bool GetItemParam(int position, std::int64_t& param) const override {
    if (position < 0 || position >= GetItemCount()) return false;
    param = params_[static_cast<std::size_t>(position)];
    return true;
  }
  bool GetItemText(int, std::string&) const override { return false; }
  int GetItemImage(int) const override { return -1; }
  bool DeleteItem(int position) override {
    if (position < 0 || position >= GetItemCount()) return false;
    params_.erase(params_.begin() + position);
    return true;
  }
  bool DeleteAllItems() override {
    params_.clear();
    selected_ = -1;
    return true;
  }
  int GetItemCount() const override { return static_cast<int>(params_.size()); }
  int SetCurSel(int position) override {
    const int previous = selected_;
    selected_ = (position >= 0 && position < GetItemCount()) ? position : -1;
    return previous;
  }
  int GetCurSel() const override { return selected_; }
  bool HighlightItem(int, std::uint16_t) override { return true; }
  bool IsHighlighted(int) const override { return false; }
  void SetMinTabWidth(int) override {}
  void SetPictureList(view::PictureListHandle) override {}
  void SetExtendedStyle(std::uint32_t) override {}
  std::uint32_t GetExtendedStyle() const override { return 0; }

 private:
  std::vector<std::int64_t> params_;
  int selected_ = -1;
};

// Nodes in one vector with sibling links: insertion at the end and clearing cost the same
// for every node, and handles are handed out again after a clear, as the platform's are.
class LeanTree final : public LeanWindow<view::TreeView> {
 public:
  void SetListener(view::TreeListener*) override {}
  Node InsertItem(Node parent, view::InsertAt, const view::NodeItem& item) override {
    const bool root = parent == view::kRootNode || parent == view::kNoNode;
    if (!root && Find(parent) == nullptr) return view::kNoNode;
    const Node handle = kBase + nodes_.size();
    nodes_.push_back(Data{view::kNoNode, view::kNoNode, view::kNoNode, item.param});
    Node& first = root ? first_root_ : nodes_[parent - kBase].first_child;
    Node& last = root ? last_root_ : nodes_[parent - kBase].last_child;
    if (first == view::kNoNode) {
      first = handle;
    } else {
      nodes_[last - kBase].next_sibling = handle;
    }
    last = handle;
    return handle;
  }
  bool SetItem(Node node, const view::NodeItem&) override { return Find(node) != nullptr; }
  bool GetItem(Node node, view::NodeItem& item) const override {
    const Data* d = Find(node);
    if (d == nullptr) return false;
    item.param = d->param;
    item.children = d->first_child != view::kNoNode ? 1 : 0;
    return true;
  }
  bool DeleteItem(Node node) override {
    if (node != view::kRootNode) return false;  // a rebuild only clears
    nodes_.clear();
    first_root_ = last_root_ = view::kNoNode;
    return true;
  }
  bool SelectItem(view::SelectCode, Node) override { return true; }
  Node GetNextItem(Node node, view::NextCode code) const override {
    if (code == view::NextCode::kRoot) return first_root_;
    const Data* d = Find(node);
    if (d == nullptr) return view::kNoNode;
    if (code == view::NextCode::kChild) return d->first_child;
    if (code == view::NextCode::kNext) return d->next_sibling;
    return view::kNoNode;
  }
  bool Expand(Node, view::ExpandCode) override { return true; }
  bool EnsureVisible(Node) override { return true; }
  view::HitTestResult HitTest(view::Point) const override { return {}; }
  bool SortChildren(Node, const view::CompareFunction&) override { return true; }
  void SetPictureList(view::PictureListHandle list) override { list_ = list; }
  view::PictureListHandle GetPictureList() const override { return list_; }
  bool SetToolTipInitialDelay(int) override { return true; }
  int GetCount() const override { return static_cast<int>(nodes_.size()); }
  // Drawing is not simulated, so a bracket has nothing to hold back.
  void BeginBulk() override {}
  void EndBulk() override {}

 private:
  static constexpr Node kBase = 0x1000;
  struct Data {
    Node first_child;
    Node last_child;
    Node next_sibling;
    std::int64_t param;
  };
  const Data* Find(Node node) const {
    if (node < kBase || node - kBase >= nodes_.size()) return nullptr;
    return &nodes_[node - kBase];
  }
  std::vector<Data> nodes_;
  Node first_root_ = view::kNoNode;
  Node last_root_ = view::kNoNode;
  view::PictureListHandle list_ = 0;
};

class LeanDesktop final : public view::Desktop {
 public:
  void GetKeyboardState(std::array<std::uint8_t, 256>& state) const override { state.fill(0); }
  view::CursorHandle LoadSystemCursor(int idc) override {
    return static_cast<view::CursorHandle>(idc);
  }
  view::CursorHandle SetCursor(view::CursorHandle cursor) override {
    const view::CursorHandle previous = cursor_;
    cursor_ = cursor;
    return previous;
  }
  view::CursorHandle GetCursor() const override { return cursor_; }
  bool SetClipboardText(const std::string&) override { return false; }
  view::Point GetMessagePos() const override { return {}; }
  view::PictureListHandle CreatePictureList(int, int) override { return 1; }
  int AddPicture(view::PictureListHandle, int, std::uint32_t) override { return count_++; }
  bool SetOverlayPicture(view::PictureListHandle, int, int) override { return true; }
  int PictureCount(view::PictureListHandle) const override { return count_; }

 private:
  view::CursorHandle cursor_ = 32512;
  int count_ = 0;
};

class LeanDialog final : public view::Dialog {
 public:
  view::TabStrip* TabStripItem() override { return &tabs_; }
  view::TreeView* TreeItem() override { return &tree_; }
  view::Rect GetClientRect() const override { return view::Rect{0, 0, 400, 300}; }
  void Invalidate() override {}
  LeanTree& Tree() { return tree_; }

 private:
  LeanTabStrip tabs_;
  LeanTree tree_;
};

// Tab 0 holds `count` items, every second one the child of the root item before it; the
// other nine tabs hold as many again between them, interleaved in Seq order.
std::string Records(std::int64_t count) {
  std::string list;
  list.reserve(static_cast<std::size_t>(count) * 2 * 40);
  for (std::int64_t i = 0; i < count; ++i) {
    list += "TAB:Shown,TEXT:item,ID:s" + std::to_string(i);
    if (i % 2 == 1) list += ",PARENT:s" + std::to_string(i - 1);
    list += "\nTAB:Other" + std::to_string(i % 9) + ",TEXT:other,ID:o" + std::to_string(i);
    if (i % 2 == 1) list += ",PARENT:o" + std::to_string(i - 1);
    list += '\n';
  }
  return list;
}

void BM_RebuildTree(benchmark::State& state) {
  const std::int64_t count = state.range(0);
  model::Store store;
  view::ViewController views(store);
  LeanDesktop desktop;
  LeanDialog dialog;
  model::AddItemList(store, Records(count));
  views.OpenWindow(&dialog, &desktop);  // builds tab 0 once
  if (dialog.Tree().GetCount() != count) state.SkipWithError("tab 0 was not shown whole");
  for (auto _ : state) {
    views.RebuildTree(0);
    benchmark::DoNotOptimize(dialog.Tree().GetCount());
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["store_items"] = static_cast<double>(store.ItemCount());
}
BENCHMARK(BM_RebuildTree)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same shown tab of 1,000 items among other tabs of 1,000 or 100,000 items, stored
// after it: the rebuild's cost must not follow the other tabs.
void BM_RebuildTreeAmongOthers(benchmark::State& state) {
  const std::int64_t others = state.range(0);
  model::Store store;
  view::ViewController views(store);
  LeanDesktop desktop;
  LeanDialog dialog;
  std::string list;
  for (int i = 0; i < 1000; ++i) {
    list += "TAB:Shown,TEXT:item,ID:s" + std::to_string(i);
    if (i % 2 == 1) list += ",PARENT:s" + std::to_string(i - 1);
    list += '\n';
  }
  for (std::int64_t i = 0; i < others; ++i) {
    list += "TAB:Other" + std::to_string(i % 9) + ",TEXT:other,ID:o" + std::to_string(i) + "\n";
  }
  model::AddItemList(store, list);
  views.OpenWindow(&dialog, &desktop);
  for (auto _ : state) {
    views.RebuildTree(0);
    benchmark::DoNotOptimize(dialog.Tree().GetCount());
  }
  state.counters["store_items"] = static_cast<double>(store.ItemCount());
}
BENCHMARK(BM_RebuildTreeAmongOthers)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// What a rebuild cannot avoid: one item read per shown item and one parent lookup by ID
// through the store's indexes. Its growth from 1,000 to 100,000 items is the memory
// hierarchy's (the store outgrows the caches), and bounds what BM_RebuildTree can show.
void BM_RebuildStoreReads(benchmark::State& state) {
  model::Store store;
  model::AddItemList(store, Records(state.range(0)));
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const model::Seq seq : *store.SeqsOfTab(0)) {
      const model::Item* item = store.FindItemPtr(seq);
      sum += item->Level;
      if (!item->Parent().empty()) sum += store.FindItem(item->Parent());
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_RebuildStoreReads)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
