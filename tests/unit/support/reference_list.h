// A reference model of the item list, written plainly from the literal steps of the item
// rules: a vector of items in Seq order, linear FindItem, the record parser and writer,
// deletion, marks and the walks, with no index of any kind. The differential test runs the
// same operations on it and on the real store and facade (support/facade_ops.h); they must
// agree on every answer and on the whole state.
//
// Where the literal steps never end or hit the wrong item, the store mends them on purpose,
// and the reference takes the store's mend explicitly (each marked "Mend:" below):
// - a child whose ID an earlier item holds goes alone when its parent's subtree is removed
//   (the literal step would remove that earlier item instead, and recurse forever when it
//   is the parent itself);
// - a Parent loop: each item is taken once by a deletion, each ID's children are marked
//   once, each ancestor once;
// - the item walk's cursor is a Seq: after its item is removed the walk goes on with the
//   first item after it; DeleteAll puts it at the end.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "control/hresult.h"
#include "control/tabbed_list.h"

namespace testing_support {

class ReferenceList {
 public:
  struct Item {
    std::string id, text, href, frame, parent, tag;
    std::int32_t level = 0, cpic = 0, opic = 0;
    std::uint32_t flags = 0;
    std::int32_t overlay = 0, enabled = 1, has_children = 0, tab_index = 0, seq = 0;
  };
  struct Tab {
    std::int32_t index = 0;
    std::int32_t pic = 0;
    std::array<std::string, 10> level_parents;
  };

  // The facade's members, with the facade's names, so that one driver calls either.
  std::int32_t GetItemCount() const { return static_cast<std::int32_t>(items_.size()); }
  std::int32_t GetTabCount() const { return static_cast<std::int32_t>(tabs_.size()); }
  std::int32_t GetDelimiter() const { return delimiter_; }
  void PutDelimiter(std::int32_t value) { delimiter_ = value; }
  std::int32_t GetDisplayStyle() const { return display_style_; }
  void PutDisplayStyle(std::int32_t value) { display_style_ = value; }

  void AddItem(const std::string& record) { AddItemRecord(record); }
  void AddItemList(const std::string& records);
  std::string GetItemString(const std::string& id) const;

  std::string GetText(const std::string& id) const;
  void PutText(const std::string& id, const std::string& value);
  std::string GetHref(const std::string& id) const;
  void PutHref(const std::string& id, const std::string& value);
  std::string GetFrame(const std::string& id) const;
  void PutFrame(const std::string& id, const std::string& value);
  std::string GetTag(const std::string& id) const;
  void PutTag(const std::string& id, const std::string& value);
  std::string GetParent(const std::string& id) const;
  void PutParent(const std::string& id, const std::string& value);
  std::string GetTab(const std::string& id) const;
  void PutTab(const std::string& id, const std::string& name);
  std::int32_t GetLevel(const std::string& id) const;
  void PutLevel(const std::string& id, std::int32_t value);
  std::int32_t GetOpic(const std::string& id) const;
  void PutOpic(const std::string& id, std::int32_t value);
  std::int32_t GetCpic(const std::string& id) const;
  void PutCpic(const std::string& id, std::int32_t value);
  std::int32_t GetPic(const std::string& id) const { return GetCpic(id); }
  void PutPic(const std::string& id, std::int32_t value);
  std::int32_t GetOverlayPic(const std::string& id) const;
  void PutOverlayPic(const std::string& id, std::int32_t value);
  std::int32_t GetItemEnabled(const std::string& id) const;
  void PutItemEnabled(const std::string& id, std::int32_t value);
  std::int32_t GetBold(const std::string& id) const { return FlagOf(id, 16); }
  void PutBold(const std::string& id, std::int32_t value) { SetFlag(id, 16, value); }
  std::int32_t GetExpand(const std::string& id) const { return FlagOf(id, 32); }
  void PutExpand(const std::string& id, std::int32_t value) { SetFlag(id, 32, value); }
  std::int32_t GetSelect(const std::string& id) const { return FlagOf(id, 2); }
  std::int32_t GetItemExists(const std::string& id) const { return FindItem(id) >= 0 ? 1 : 0; }
  std::int32_t GetTabExists(const std::string& name) const { return tabs_.count(name) ? 1 : 0; }
  std::int32_t GetTabPic(const std::string& name) const;
  void PutTabPic(const std::string& name, std::int32_t value);

  std::string GetFirstItem();
  std::string GetNextItem();
  control::TextResult GetFirstChild(const std::string& parent_id) const;
  control::TextResult GetNextChild(const std::string& prev_child_id) const;

  void DeleteItem(const std::string& id) { DeleteItemRecursive(id, true); }
  void DeleteChildren(const std::string& parent_id) { DeleteItemRecursive(parent_id, false); }
  void DeleteTab(const std::string& name);
  void DeleteAll();

  void SelectMultiple(const std::string& id, std::int32_t selected, std::int32_t cascade);
  std::string GetFirstSelectedItem();
  std::string GetNextSelectedItem();

  // The whole state, one line per item and per tab, in the form StoreState writes.
  std::string State() const;

 private:
  struct Record {
    bool end = false;
    std::string tab, text, href, frame, id, parent, tag;
    std::int32_t tab_pic = 0, level = 0, cpic = 0, opic = 0, overlay = 0, enabled = 1,
                 has_children = 0;
    std::uint32_t flags = 0;
  };

  Record ParseRecord(const std::string& text) const;
  void AddItemRecord(const std::string& text);
  // Position in items_ of the first item with the ID, or -1.
  int FindItem(const std::string& id) const;
  const Item* ItemOf(const std::string& id) const;
  Item* ItemOf(const std::string& id);
  std::int32_t GetOrCreateTab(const std::string& name);
  std::string TabNameAt(std::int32_t index) const;
  std::int32_t FlagOf(const std::string& id, std::uint32_t bit) const;
  void SetFlag(const std::string& id, std::uint32_t bit, std::int32_t value);
  void EraseSeq(std::int32_t seq);
  void DeleteItemRecursive(const std::string& id, bool with_item);
  void DeleteSubtree(const std::string& id, std::vector<std::int32_t>& taken);
  void MarkItem(std::size_t at, bool selected, std::vector<std::string>& expanded);
  void MarkAncestors(const std::string& id, bool selected, std::vector<std::int32_t>& seen);
  bool HasMarkedSibling(const Item& item) const;
  std::string SelectedFrom(std::size_t position);

  std::vector<Item> items_;  // ascending Seq
  std::map<std::string, Tab> tabs_;
  std::int32_t next_seq_ = 0;
  std::int32_t next_tab_index_ = 0;
  std::int32_t delimiter_ = 44;
  std::int32_t display_style_ = 0;
  std::int32_t cursor_ = -1;  // the Seq the item walk stands on, -1 at the end
};

// The real store's state in ReferenceList::State's form.
std::string StoreState(const control::TabbedList& list);

}  // namespace testing_support
