// Listeners that record every notification of the tab strip and the tree view, with
// optional reactions run from inside the notification (to re-enter the view) whose answer
// goes back to the view. Portable: only the view contract and the standard library.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "view/views.h"

namespace view::contract {

enum class TreeCall {
  kSelChanging,
  kSelChanged,
  kItemExpanding,
  kItemExpanded,
  kDeleteItem,
  kKeyDown,
  kGetInfoTip,
  kSingleExpand,
  kClick,
  kDblClick,
  kReturn,
  kRClick,
  kRDblClick,
  kSetFocus,
  kKillFocus,
};

inline const char* NameOf(TreeCall call) {
  static const char* const kNames[] = {"SelChanging", "SelChanged", "ItemExpanding", "ItemExpanded",
                                       "DeleteItem",  "KeyDown",    "GetInfoTip",    "SingleExpand",
                                       "Click",       "DblClick",   "Return",        "RClick",
                                       "RDblClick",   "SetFocus",   "KillFocus"};
  return kNames[static_cast<int>(call)];
}
inline void PrintTo(TreeCall call, std::ostream* os) { *os << NameOf(call); }

struct TreeRecord {
  TreeCall call;
  TreeNotify notify;       // for the node notifications
  int key = 0;             // OnKeyDown
  std::int64_t param = 0;  // OnGetInfoTip
};

class RecordingTreeListener : public TreeListener {
 public:
  using NotifyReaction = std::function<int(const TreeNotify&)>;
  using PlainReaction = std::function<int()>;

  std::vector<TreeRecord> records;
  NotifyReaction on_sel_changing, on_sel_changed, on_item_expanding, on_item_expanded,
      on_delete_item, on_single_expand;
  PlainReaction on_click, on_dbl_click, on_return, on_rclick, on_rdbl_click, on_set_focus,
      on_kill_focus;
  std::function<int(int)> on_key_down;
  std::function<bool(std::int64_t, std::string&, int)> on_get_info_tip;

  std::vector<TreeCall> Calls() const {
    std::vector<TreeCall> calls;
    for (const auto& r : records) calls.push_back(r.call);
    return calls;
  }
  std::vector<TreeRecord> Of(TreeCall call) const {
    std::vector<TreeRecord> found;
    for (const auto& r : records) {
      if (r.call == call) found.push_back(r);
    }
    return found;
  }
  void Clear() { records.clear(); }

  int OnSelChanging(const TreeNotify& n) override {
    return Record(TreeCall::kSelChanging, n, on_sel_changing);
  }
  int OnSelChanged(const TreeNotify& n) override {
    return Record(TreeCall::kSelChanged, n, on_sel_changed);
  }
  int OnItemExpanding(const TreeNotify& n) override {
    return Record(TreeCall::kItemExpanding, n, on_item_expanding);
  }
  int OnItemExpanded(const TreeNotify& n) override {
    return Record(TreeCall::kItemExpanded, n, on_item_expanded);
  }
  int OnDeleteItem(const TreeNotify& n) override {
    return Record(TreeCall::kDeleteItem, n, on_delete_item);
  }
  int OnSingleExpand(const TreeNotify& n) override {
    return Record(TreeCall::kSingleExpand, n, on_single_expand);
  }
  int OnKeyDown(int virtual_key) override {
    records.push_back(TreeRecord{TreeCall::kKeyDown, {}, virtual_key, 0});
    return on_key_down ? on_key_down(virtual_key) : 0;
  }
  bool OnGetInfoTip(std::int64_t param, std::string& text, int capacity) override {
    records.push_back(TreeRecord{TreeCall::kGetInfoTip, {}, capacity, param});
    return on_get_info_tip ? on_get_info_tip(param, text, capacity) : false;
  }
  int OnClick() override { return Record(TreeCall::kClick, on_click); }
  int OnDblClick() override { return Record(TreeCall::kDblClick, on_dbl_click); }
  int OnReturn() override { return Record(TreeCall::kReturn, on_return); }
  int OnRClick() override { return Record(TreeCall::kRClick, on_rclick); }
  int OnRDblClick() override { return Record(TreeCall::kRDblClick, on_rdbl_click); }
  int OnSetFocus() override { return Record(TreeCall::kSetFocus, on_set_focus); }
  int OnKillFocus() override { return Record(TreeCall::kKillFocus, on_kill_focus); }

 private:
  int Record(TreeCall call, const TreeNotify& n, const NotifyReaction& reaction) {
    records.push_back(TreeRecord{call, n, 0, 0});
    return reaction ? reaction(n) : 0;
  }
  int Record(TreeCall call, const PlainReaction& reaction) {
    records.push_back(TreeRecord{call, {}, 0, 0});
    return reaction ? reaction() : 0;
  }
};

enum class TabCall { kSelChanging, kSelChange, kRClick, kKeyDown };

inline const char* NameOf(TabCall call) {
  static const char* const kNames[] = {"TabSelChanging", "TabSelChange", "TabRClick", "TabKeyDown"};
  return kNames[static_cast<int>(call)];
}
inline void PrintTo(TabCall call, std::ostream* os) { *os << NameOf(call); }

struct TabRecord {
  TabCall call;
  int key = 0;
};

class RecordingTabStripListener : public TabStripListener {
 public:
  std::vector<TabRecord> records;
  std::function<int()> on_sel_changing, on_sel_change, on_rclick;
  std::function<int(int)> on_key_down;

  std::vector<TabCall> Calls() const {
    std::vector<TabCall> calls;
    for (const auto& r : records) calls.push_back(r.call);
    return calls;
  }
  void Clear() { records.clear(); }

  int OnTabSelChanging() override { return Record(TabCall::kSelChanging, 0, on_sel_changing); }
  int OnTabSelChange() override { return Record(TabCall::kSelChange, 0, on_sel_change); }
  int OnTabRClick() override { return Record(TabCall::kRClick, 0, on_rclick); }
  int OnTabKeyDown(int virtual_key) override {
    records.push_back(TabRecord{TabCall::kKeyDown, virtual_key});
    return on_key_down ? on_key_down(virtual_key) : 0;
  }

 private:
  int Record(TabCall call, int key, const std::function<int()>& reaction) {
    records.push_back(TabRecord{call, key});
    return reaction ? reaction() : 0;
  }
};

}  // namespace view::contract
