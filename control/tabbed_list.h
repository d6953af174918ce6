// The control facade: one member per automation member of IZorTabbedList, in the
// interface's slot order, taking and returning portable values. The COM object converts
// (BSTR <-> ANSI text, VARIANT_BOOL <-> 32-bit) and forwards here; all rules live below.
//
// Conventions of the boundary:
// - Text is 8-bit ANSI text; a null BSTR arrives as empty text. Text may hold NUL bytes
//   (see model/record.h for what a NUL means).
// - Booleans arrive sign-extended to 32 bits (true = -1) and leave as 32-bit values that
//   the COM layer truncates to VARIANT_BOOL.
// - Every member answers kOk unless it returns an HResult itself: the Select put answers
//   what the SelectedItem put answers, and the child walk answers the found item's Seq.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "control/hresult.h"

namespace control {

// A string result together with the return code the member answers.
struct TextResult {
  std::string text;
  HResult code = kOk;
};

class TabbedListImpl;

class TabbedList {
 public:
  TabbedList();
  ~TabbedList();
  TabbedList(const TabbedList&) = delete;
  TabbedList& operator=(const TabbedList&) = delete;

  // 1-3: stock properties.
  void PutEnabled(std::int32_t value);
  std::int32_t GetEnabled() const;
  void PutTabStop(std::int32_t value);
  std::int32_t GetTabStop() const;
  void PutMousePointer(std::int32_t value);
  std::int32_t GetMousePointer() const;
  // 4-14: layout, counts, styles, selection, sorting.
  std::int32_t GetTabRows() const;
  void PutTabRows(std::int32_t value);
  std::int32_t GetMinTabWidth() const;
  void PutMinTabWidth(std::int32_t value);
  std::int32_t GetItemCount() const;
  std::int32_t GetTabCount() const;
  std::int32_t GetPictureCount() const;
  std::int32_t GetDisplayStyle() const;
  void PutDisplayStyle(std::int32_t value);
  std::int32_t GetTabStyle() const;
  void PutTabStyle(std::int32_t value);
  std::int32_t GetTreeStyle() const;
  void PutTreeStyle(std::int32_t value);
  std::string GetSelectedTab() const;
  void PutSelectedTab(const std::string& name);
  std::string GetSelectedItem() const;
  void PutSelectedItem(const std::string& id);
  std::int32_t GetSorted() const;
  void PutSorted(std::int32_t value);
  // 15-19.
  std::string GetTag(const std::string& id) const;
  void PutTag(const std::string& id, const std::string& value);
  std::int32_t GetHasChildren(const std::string& id) const;
  void PutHasChildren(const std::string& id, std::int32_t value);
  std::int32_t GetDelimiter() const;
  void PutDelimiter(std::int32_t value);
  std::int32_t GetItemExists(const std::string& id) const;
  std::int32_t GetTabExists(const std::string& name) const;
  // 20-31: per-item properties.
  std::string GetText(const std::string& id) const;
  void PutText(const std::string& id, const std::string& value);
  std::string GetHref(const std::string& id) const;
  void PutHref(const std::string& id, const std::string& value);
  std::string GetFrame(const std::string& id) const;
  void PutFrame(const std::string& id, const std::string& value);
  std::string GetParent(const std::string& id) const;
  void PutParent(const std::string& id, const std::string& value);
  std::int32_t GetSelect(const std::string& id) const;
  HResult PutSelect(const std::string& id, std::int32_t value);
  std::int32_t GetExpand(const std::string& id) const;
  void PutExpand(const std::string& id, std::int32_t value);
  std::int32_t GetBold(const std::string& id) const;
  void PutBold(const std::string& id, std::int32_t value);
  std::int32_t GetLevel(const std::string& id) const;
  void PutLevel(const std::string& id, std::int32_t value);
  std::int32_t GetOpic(const std::string& id) const;
  void PutOpic(const std::string& id, std::int32_t value);
  std::int32_t GetCpic(const std::string& id) const;
  void PutCpic(const std::string& id, std::int32_t value);
  std::int32_t GetPic(const std::string& id) const;
  void PutPic(const std::string& id, std::int32_t value);
  std::string GetTab(const std::string& id) const;
  void PutTab(const std::string& id, const std::string& name);
  // 32-38.
  std::string GetFirstVisibleItem() const;
  void PutFirstVisibleItem(const std::string& id);
  std::string GetFirstItem();
  std::string GetNextItem();
  std::int32_t GetOverlayPic(const std::string& id) const;
  void PutOverlayPic(const std::string& id, std::int32_t value);
  std::int32_t GetItemEnabled(const std::string& id) const;
  void PutItemEnabled(const std::string& id, std::int32_t value);
  TextResult GetFirstChild(const std::string& parent_id) const;
  TextResult GetNextChild(const std::string& prev_child_id) const;
  // 39-47.
  std::int32_t GetOverlayPictureCount() const;
  std::int32_t GetHilightSelectedTab() const;
  void PutHilightSelectedTab(std::int32_t value);
  std::int32_t GetTabPic(const std::string& name) const;
  void PutTabPic(const std::string& name, std::int32_t value);
  std::string GetItemString(const std::string& id) const;
  std::int32_t GetEnableToolTips() const;
  void PutEnableToolTips(std::int32_t value);
  std::string GetToolTipText() const;
  void PutToolTipText(const std::string& value);
  std::int32_t GetToolTipDelay() const;
  void PutToolTipDelay(std::int32_t value);
  std::int32_t GetSortCompare() const;
  void PutSortCompare(std::int32_t value);
  std::int32_t GetEventKeyState(std::int32_t virtual_key) const;
  // 48-62: methods.
  void FireClick(const std::string& id);
  void FireDblClick(const std::string& id);
  void SelectMultiple(const std::string& id, std::int32_t selected, std::int32_t cascade);
  std::string GetFirstSelectedItem();
  std::string GetNextSelectedItem();
  void DeleteItem(const std::string& id);
  void AddItem(const std::string& record);
  HResult Refresh();
  HResult SetFocus();
  void DeleteTab(const std::string& name);
  void DeleteChildren(const std::string& parent_id);
  std::int32_t GetReadyState() const;
  void DeleteAll();
  void AddItemList(const std::string& records);
  void ExpandAll(std::int32_t expand, const std::string& id);
  // 63-64: persisted item list.
  void PutCL(std::int32_t index, const std::string& record);
  std::string GetCL(std::int32_t index) const;
  void PutCL0(const std::string& record);
  std::string GetCL0() const;

  // Unsaved changes (only the stock property puts make them); persistence clears the flag.
  bool IsDirty() const;
  void SetDirty(bool dirty);

  // The implementation, for the layers that attach views, sinks and hosts.
  TabbedListImpl& Impl() { return *impl_; }
  const TabbedListImpl& Impl() const { return *impl_; }

 private:
  std::unique_ptr<TabbedListImpl> impl_;
};

}  // namespace control
