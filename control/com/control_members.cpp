// The 64 members of IZorTabbedList: each converts its arguments (BSTR <-> ANSI text,
// VARIANT_BOOL <-> 32-bit) and forwards to the facade, which holds every rule.
#include <cstdint>

#include "control/com/com_text.h"
#include "control/com/control_object.h"

namespace control::com {

namespace {

// Automation booleans are 16-bit; the facade takes them sign-extended (true = -1)...
std::int32_t FromBool(VARIANT_BOOL value) { return static_cast<std::int32_t>(value); }
// ...and answers 32-bit values that are cut back to 16 bits.
VARIANT_BOOL ToBool(std::int32_t value) { return static_cast<VARIANT_BOOL>(value); }

template <class Get>
HRESULT AnswerNumber(LONG* out, Get&& get) {
  if (!out) return E_POINTER;
  *out = 0;
  return Guarded([&] {
    *out = get();
    return S_OK;
  });
}

template <class Get>
HRESULT AnswerBool(VARIANT_BOOL* out, Get&& get) {
  if (!out) return E_POINTER;
  *out = VARIANT_FALSE;
  return Guarded([&] {
    *out = ToBool(get());
    return S_OK;
  });
}

template <class Get>
HRESULT AnswerText(BSTR* out, Get&& get) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Guarded([&] {
    *out = ToBstr(get()).Release();
    return S_OK;
  });
}

// For the members whose answer code comes from the facade together with the text.
template <class Get>
HRESULT AnswerTextResult(BSTR* out, Get&& get) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Guarded([&] {
    const TextResult result = get();
    *out = ToBstr(result.text).Release();
    return result.code;
  });
}

template <class Act>
HRESULT Run(Act&& act) {
  return Guarded([&] {
    act();
    return S_OK;
  });
}

}  // namespace

// 1-3: stock properties.
STDMETHODIMP ControlObject::put_Enabled(VARIANT_BOOL value) {
  return Run([&] {
    list_.PutEnabled(FromBool(value));
    StockPropertyChanged();
  });
}
STDMETHODIMP ControlObject::get_Enabled(VARIANT_BOOL* value) {
  return AnswerBool(value, [&] { return list_.GetEnabled(); });
}
STDMETHODIMP ControlObject::put_TabStop(VARIANT_BOOL value) {
  return Run([&] {
    list_.PutTabStop(FromBool(value));
    StockPropertyChanged();
  });
}
STDMETHODIMP ControlObject::get_TabStop(VARIANT_BOOL* value) {
  return AnswerBool(value, [&] { return list_.GetTabStop(); });
}
STDMETHODIMP ControlObject::put_MousePointer(LONG value) {
  return Run([&] {
    list_.PutMousePointer(value);
    StockPropertyChanged();
  });
}
STDMETHODIMP ControlObject::get_MousePointer(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetMousePointer(); });
}

// 4-14: layout, counts, styles, selection, sorting.
STDMETHODIMP ControlObject::get_TabRows(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetTabRows(); });
}
STDMETHODIMP ControlObject::put_TabRows(LONG value) {
  return Run([&] { list_.PutTabRows(value); });
}
STDMETHODIMP ControlObject::get_MinTabWidth(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetMinTabWidth(); });
}
STDMETHODIMP ControlObject::put_MinTabWidth(LONG value) {
  return Run([&] { list_.PutMinTabWidth(value); });
}
STDMETHODIMP ControlObject::get_ItemCount(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetItemCount(); });
}
STDMETHODIMP ControlObject::get_TabCount(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetTabCount(); });
}
STDMETHODIMP ControlObject::get_PictureCount(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetPictureCount(); });
}
STDMETHODIMP ControlObject::get_DisplayStyle(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetDisplayStyle(); });
}
STDMETHODIMP ControlObject::put_DisplayStyle(LONG value) {
  return Run([&] { list_.PutDisplayStyle(value); });
}
STDMETHODIMP ControlObject::get_TabStyle(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetTabStyle(); });
}
STDMETHODIMP ControlObject::put_TabStyle(LONG value) {
  return Run([&] { list_.PutTabStyle(value); });
}
STDMETHODIMP ControlObject::get_TreeStyle(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetTreeStyle(); });
}
STDMETHODIMP ControlObject::put_TreeStyle(LONG value) {
  return Run([&] { list_.PutTreeStyle(value); });
}
STDMETHODIMP ControlObject::get_SelectedTab(BSTR* value) {
  return AnswerText(value, [&] { return list_.GetSelectedTab(); });
}
STDMETHODIMP ControlObject::put_SelectedTab(BSTR value) {
  return Run([&] { list_.PutSelectedTab(ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_SelectedItem(BSTR* value) {
  return AnswerText(value, [&] { return list_.GetSelectedItem(); });
}
STDMETHODIMP ControlObject::put_SelectedItem(BSTR value) {
  return Run([&] { list_.PutSelectedItem(ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_Sorted(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetSorted(); });
}
STDMETHODIMP ControlObject::put_Sorted(LONG value) {
  return Run([&] { list_.PutSorted(value); });
}

// 15-19.
STDMETHODIMP ControlObject::get_Tag(BSTR id, BSTR* value) {
  return AnswerText(value, [&] { return list_.GetTag(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Tag(BSTR id, BSTR value) {
  return Run([&] { list_.PutTag(ToAnsi(id), ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_HasChildren(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetHasChildren(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_HasChildren(BSTR id, LONG value) {
  return Run([&] { list_.PutHasChildren(ToAnsi(id), value); });
}
STDMETHODIMP ControlObject::get_Delimiter(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetDelimiter(); });
}
STDMETHODIMP ControlObject::put_Delimiter(LONG value) {
  return Run([&] { list_.PutDelimiter(value); });
}
STDMETHODIMP ControlObject::get_ItemExists(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetItemExists(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::get_TabExists(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetTabExists(ToAnsi(id)); });
}

// 20-31: per-item properties.
STDMETHODIMP ControlObject::get_Text(BSTR id, BSTR* value) {
  return AnswerText(value, [&] { return list_.GetText(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Text(BSTR id, BSTR value) {
  return Run([&] { list_.PutText(ToAnsi(id), ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_Href(BSTR id, BSTR* value) {
  return AnswerText(value, [&] { return list_.GetHref(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Href(BSTR id, BSTR value) {
  return Run([&] { list_.PutHref(ToAnsi(id), ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_Frame(BSTR id, BSTR* value) {
  return AnswerText(value, [&] { return list_.GetFrame(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Frame(BSTR id, BSTR value) {
  return Run([&] { list_.PutFrame(ToAnsi(id), ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_Parent(BSTR id, BSTR* value) {
  return AnswerText(value, [&] { return list_.GetParent(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Parent(BSTR id, BSTR value) {
  return Run([&] { list_.PutParent(ToAnsi(id), ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_Select(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetSelect(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Select(BSTR id, LONG value) {
  return Guarded([&] { return list_.PutSelect(ToAnsi(id), value); });
}
STDMETHODIMP ControlObject::get_Expand(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetExpand(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Expand(BSTR id, LONG value) {
  return Run([&] { list_.PutExpand(ToAnsi(id), value); });
}
STDMETHODIMP ControlObject::get_Bold(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetBold(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Bold(BSTR id, LONG value) {
  return Run([&] { list_.PutBold(ToAnsi(id), value); });
}
STDMETHODIMP ControlObject::get_Level(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetLevel(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Level(BSTR id, LONG value) {
  return Run([&] { list_.PutLevel(ToAnsi(id), value); });
}
STDMETHODIMP ControlObject::get_Opic(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetOpic(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Opic(BSTR id, LONG value) {
  return Run([&] { list_.PutOpic(ToAnsi(id), value); });
}
STDMETHODIMP ControlObject::get_Cpic(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetCpic(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Cpic(BSTR id, LONG value) {
  return Run([&] { list_.PutCpic(ToAnsi(id), value); });
}
STDMETHODIMP ControlObject::get_Pic(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetPic(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Pic(BSTR id, LONG value) {
  return Run([&] { list_.PutPic(ToAnsi(id), value); });
}
STDMETHODIMP ControlObject::get_Tab(BSTR id, BSTR* value) {
  return AnswerText(value, [&] { return list_.GetTab(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_Tab(BSTR id, BSTR value) {
  return Run([&] { list_.PutTab(ToAnsi(id), ToAnsi(value)); });
}

// 32-38.
STDMETHODIMP ControlObject::get_FirstVisibleItem(BSTR* value) {
  return AnswerText(value, [&] { return list_.GetFirstVisibleItem(); });
}
STDMETHODIMP ControlObject::put_FirstVisibleItem(BSTR value) {
  return Run([&] { list_.PutFirstVisibleItem(ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_GetFirstItem(BSTR* value) {
  return AnswerText(value, [&] { return list_.GetFirstItem(); });
}
STDMETHODIMP ControlObject::get_GetNextItem(BSTR* value) {
  return AnswerText(value, [&] { return list_.GetNextItem(); });
}
STDMETHODIMP ControlObject::get_OverlayPic(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetOverlayPic(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_OverlayPic(BSTR id, LONG value) {
  return Run([&] { list_.PutOverlayPic(ToAnsi(id), value); });
}
STDMETHODIMP ControlObject::get_ItemEnabled(BSTR id, VARIANT_BOOL* value) {
  return AnswerBool(value, [&] { return list_.GetItemEnabled(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_ItemEnabled(BSTR id, VARIANT_BOOL value) {
  return Run([&] { list_.PutItemEnabled(ToAnsi(id), FromBool(value)); });
}
STDMETHODIMP ControlObject::get_GetFirstChild(BSTR parent_id, BSTR* value) {
  return AnswerTextResult(value, [&] { return list_.GetFirstChild(ToAnsi(parent_id)); });
}
STDMETHODIMP ControlObject::get_GetNextChild(BSTR prev_child_id, BSTR* value) {
  return AnswerTextResult(value, [&] { return list_.GetNextChild(ToAnsi(prev_child_id)); });
}

// 39-47.
STDMETHODIMP ControlObject::get_OverlayPictureCount(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetOverlayPictureCount(); });
}
STDMETHODIMP ControlObject::get_HilightSelectedTab(VARIANT_BOOL* value) {
  return AnswerBool(value, [&] { return list_.GetHilightSelectedTab(); });
}
STDMETHODIMP ControlObject::put_HilightSelectedTab(VARIANT_BOOL value) {
  return Run([&] { list_.PutHilightSelectedTab(FromBool(value)); });
}
STDMETHODIMP ControlObject::get_TabPic(BSTR id, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetTabPic(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::put_TabPic(BSTR id, LONG value) {
  return Run([&] { list_.PutTabPic(ToAnsi(id), value); });
}
STDMETHODIMP ControlObject::get_ItemString(BSTR id, BSTR* value) {
  return AnswerText(value, [&] { return list_.GetItemString(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::get_EnableToolTips(VARIANT_BOOL* value) {
  return AnswerBool(value, [&] { return list_.GetEnableToolTips(); });
}
STDMETHODIMP ControlObject::put_EnableToolTips(VARIANT_BOOL value) {
  return Run([&] { list_.PutEnableToolTips(FromBool(value)); });
}
STDMETHODIMP ControlObject::get_ToolTipText(BSTR* value) {
  return AnswerText(value, [&] { return list_.GetToolTipText(); });
}
STDMETHODIMP ControlObject::put_ToolTipText(BSTR value) {
  return Run([&] { list_.PutToolTipText(ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_ToolTipDelay(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetToolTipDelay(); });
}
STDMETHODIMP ControlObject::put_ToolTipDelay(LONG value) {
  return Run([&] { list_.PutToolTipDelay(value); });
}
STDMETHODIMP ControlObject::get_SortCompare(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetSortCompare(); });
}
STDMETHODIMP ControlObject::put_SortCompare(LONG value) {
  return Run([&] { list_.PutSortCompare(value); });
}
STDMETHODIMP ControlObject::get_EventKeyState(LONG virtual_key, LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetEventKeyState(virtual_key); });
}

// 48-62: methods.
STDMETHODIMP ControlObject::FireClick(BSTR id) {
  return Run([&] { list_.FireClick(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::FireDblClick(BSTR id) {
  return Run([&] { list_.FireDblClick(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::SelectMultiple(BSTR id, VARIANT_BOOL selected, VARIANT_BOOL cascade) {
  return Run([&] { list_.SelectMultiple(ToAnsi(id), FromBool(selected), FromBool(cascade)); });
}
STDMETHODIMP ControlObject::get_GetFirstSelectedItem(BSTR* value) {
  return AnswerText(value, [&] { return list_.GetFirstSelectedItem(); });
}
STDMETHODIMP ControlObject::get_GetNextSelectedItem(BSTR* value) {
  return AnswerText(value, [&] { return list_.GetNextSelectedItem(); });
}
STDMETHODIMP ControlObject::DeleteItem(BSTR id) {
  return Run([&] { list_.DeleteItem(ToAnsi(id)); });
}
STDMETHODIMP ControlObject::AddItem(BSTR record) {
  return Run([&] { list_.AddItem(ToAnsi(record)); });
}
STDMETHODIMP ControlObject::Refresh() {
  return Guarded([&] { return list_.Refresh(); });
}
STDMETHODIMP ControlObject::SetFocus() {
  return Guarded([&] { return list_.SetFocus(); });
}
STDMETHODIMP ControlObject::DeleteTab(BSTR name) {
  return Run([&] { list_.DeleteTab(ToAnsi(name)); });
}
STDMETHODIMP ControlObject::DeleteChildren(BSTR parent_id) {
  return Run([&] { list_.DeleteChildren(ToAnsi(parent_id)); });
}
STDMETHODIMP ControlObject::get_ReadyState(LONG* value) {
  return AnswerNumber(value, [&] { return list_.GetReadyState(); });
}
STDMETHODIMP ControlObject::DeleteAll() {
  return Run([&] { list_.DeleteAll(); });
}
STDMETHODIMP ControlObject::AddItemList(BSTR records) {
  return Run([&] { list_.AddItemList(ToAnsi(records)); });
}
STDMETHODIMP ControlObject::ExpandAll(VARIANT_BOOL value, BSTR id) {
  return Run([&] { list_.ExpandAll(FromBool(value), ToAnsi(id)); });
}

// 63-64: persisted item list.
STDMETHODIMP ControlObject::put_CL(LONG index, BSTR value) {
  return Run([&] { list_.PutCL(index, ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_CL(LONG index, BSTR* value) {
  return AnswerText(value, [&] { return list_.GetCL(index); });
}
STDMETHODIMP ControlObject::put_CL0(BSTR value) {
  return Run([&] { list_.PutCL0(ToAnsi(value)); });
}
STDMETHODIMP ControlObject::get_CL0(BSTR* value) {
  return AnswerText(value, [&] { return list_.GetCL0(); });
}

}  // namespace control::com
