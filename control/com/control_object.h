// The control object as COM sees it: identity, aggregation, the QueryInterface table, the
// class information and the dual interface whose members convert their arguments and
// forward to the facade. The OLE interface groups are members of the object, each in its
// own file; the table below hands them out.
#pragma once

#include <ocidl.h>
#include <windows.h>
#include <wrl/client.h>

#include "ZorTabList.h"
#include "control/com/connection_point.h"
#include "control/com/control_window.h"
#include "control/com/frame_site.h"
#include "control/com/html_navigator.h"
#include "control/com/object_safety.h"
#include "control/com/ole_control.h"
#include "control/com/ole_object.h"
#include "control/com/persist.h"
#include "control/com/view_object.h"
#include "control/tabbed_list.h"

namespace control::com {

class ControlObject final : public IZorTabbedList,
                            public IPersist,
                            public ISupportErrorInfo,
                            public IProvideClassInfo2 {
 public:
  // The ObjectMaker of the object table: a standalone object, or one aggregated inside
  // `outer` (then `riid` must be IID_IUnknown).
  static HRESULT Create(IUnknown* outer, REFIID riid, void** object);

  // IUnknown of every interface: delegates to the controlling object.
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch, served from the type library embedded in the module.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argument_error) override;

  // IPersist
  STDMETHODIMP GetClassID(CLSID* class_id) override;

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

  // IProvideClassInfo, IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // IZorTabbedList, in slot order.
  STDMETHODIMP put_Enabled(VARIANT_BOOL value) override;
  STDMETHODIMP get_Enabled(VARIANT_BOOL* value) override;
  STDMETHODIMP put_TabStop(VARIANT_BOOL value) override;
  STDMETHODIMP get_TabStop(VARIANT_BOOL* value) override;
  STDMETHODIMP put_MousePointer(LONG value) override;
  STDMETHODIMP get_MousePointer(LONG* value) override;
  STDMETHODIMP get_TabRows(LONG* value) override;
  STDMETHODIMP put_TabRows(LONG value) override;
  STDMETHODIMP get_MinTabWidth(LONG* value) override;
  STDMETHODIMP put_MinTabWidth(LONG value) override;
  STDMETHODIMP get_ItemCount(LONG* value) override;
  STDMETHODIMP get_TabCount(LONG* value) override;
  STDMETHODIMP get_PictureCount(LONG* value) override;
  STDMETHODIMP get_DisplayStyle(LONG* value) override;
  STDMETHODIMP put_DisplayStyle(LONG value) override;
  STDMETHODIMP get_TabStyle(LONG* value) override;
  STDMETHODIMP put_TabStyle(LONG value) override;
  STDMETHODIMP get_TreeStyle(LONG* value) override;
  STDMETHODIMP put_TreeStyle(LONG value) override;
  STDMETHODIMP get_SelectedTab(BSTR* value) override;
  STDMETHODIMP put_SelectedTab(BSTR value) override;
  STDMETHODIMP get_SelectedItem(BSTR* value) override;
  STDMETHODIMP put_SelectedItem(BSTR value) override;
  STDMETHODIMP get_Sorted(LONG* value) override;
  STDMETHODIMP put_Sorted(LONG value) override;
  STDMETHODIMP get_Tag(BSTR id, BSTR* value) override;
  STDMETHODIMP put_Tag(BSTR id, BSTR value) override;
  STDMETHODIMP get_HasChildren(BSTR id, LONG* value) override;
  STDMETHODIMP put_HasChildren(BSTR id, LONG value) override;
  STDMETHODIMP get_Delimiter(LONG* value) override;
  STDMETHODIMP put_Delimiter(LONG value) override;
  STDMETHODIMP get_ItemExists(BSTR id, LONG* value) override;
  STDMETHODIMP get_TabExists(BSTR id, LONG* value) override;
  STDMETHODIMP get_Text(BSTR id, BSTR* value) override;
  STDMETHODIMP put_Text(BSTR id, BSTR value) override;
  STDMETHODIMP get_Href(BSTR id, BSTR* value) override;
  STDMETHODIMP put_Href(BSTR id, BSTR value) override;
  STDMETHODIMP get_Frame(BSTR id, BSTR* value) override;
  STDMETHODIMP put_Frame(BSTR id, BSTR value) override;
  STDMETHODIMP get_Parent(BSTR id, BSTR* value) override;
  STDMETHODIMP put_Parent(BSTR id, BSTR value) override;
  STDMETHODIMP get_Select(BSTR id, LONG* value) override;
  STDMETHODIMP put_Select(BSTR id, LONG value) override;
  STDMETHODIMP get_Expand(BSTR id, LONG* value) override;
  STDMETHODIMP put_Expand(BSTR id, LONG value) override;
  STDMETHODIMP get_Bold(BSTR id, LONG* value) override;
  STDMETHODIMP put_Bold(BSTR id, LONG value) override;
  STDMETHODIMP get_Level(BSTR id, LONG* value) override;
  STDMETHODIMP put_Level(BSTR id, LONG value) override;
  STDMETHODIMP get_Opic(BSTR id, LONG* value) override;
  STDMETHODIMP put_Opic(BSTR id, LONG value) override;
  STDMETHODIMP get_Cpic(BSTR id, LONG* value) override;
  STDMETHODIMP put_Cpic(BSTR id, LONG value) override;
  STDMETHODIMP get_Pic(BSTR id, LONG* value) override;
  STDMETHODIMP put_Pic(BSTR id, LONG value) override;
  STDMETHODIMP get_Tab(BSTR id, BSTR* value) override;
  STDMETHODIMP put_Tab(BSTR id, BSTR value) override;
  STDMETHODIMP get_FirstVisibleItem(BSTR* value) override;
  STDMETHODIMP put_FirstVisibleItem(BSTR value) override;
  STDMETHODIMP get_GetFirstItem(BSTR* value) override;
  STDMETHODIMP get_GetNextItem(BSTR* value) override;
  STDMETHODIMP get_OverlayPic(BSTR id, LONG* value) override;
  STDMETHODIMP put_OverlayPic(BSTR id, LONG value) override;
  STDMETHODIMP get_ItemEnabled(BSTR id, VARIANT_BOOL* value) override;
  STDMETHODIMP put_ItemEnabled(BSTR id, VARIANT_BOOL value) override;
  STDMETHODIMP get_GetFirstChild(BSTR parent_id, BSTR* value) override;
  STDMETHODIMP get_GetNextChild(BSTR prev_child_id, BSTR* value) override;
  STDMETHODIMP get_OverlayPictureCount(LONG* value) override;
  STDMETHODIMP get_HilightSelectedTab(VARIANT_BOOL* value) override;
  STDMETHODIMP put_HilightSelectedTab(VARIANT_BOOL value) override;
  STDMETHODIMP get_TabPic(BSTR id, LONG* value) override;
  STDMETHODIMP put_TabPic(BSTR id, LONG value) override;
  STDMETHODIMP get_ItemString(BSTR id, BSTR* value) override;
  STDMETHODIMP get_EnableToolTips(VARIANT_BOOL* value) override;
  STDMETHODIMP put_EnableToolTips(VARIANT_BOOL value) override;
  STDMETHODIMP get_ToolTipText(BSTR* value) override;
  STDMETHODIMP put_ToolTipText(BSTR value) override;
  STDMETHODIMP get_ToolTipDelay(LONG* value) override;
  STDMETHODIMP put_ToolTipDelay(LONG value) override;
  STDMETHODIMP get_SortCompare(LONG* value) override;
  STDMETHODIMP put_SortCompare(LONG value) override;
  STDMETHODIMP get_EventKeyState(LONG virtual_key, LONG* value) override;
  STDMETHODIMP FireClick(BSTR id) override;
  STDMETHODIMP FireDblClick(BSTR id) override;
  STDMETHODIMP SelectMultiple(BSTR id, VARIANT_BOOL selected, VARIANT_BOOL cascade) override;
  STDMETHODIMP get_GetFirstSelectedItem(BSTR* value) override;
  STDMETHODIMP get_GetNextSelectedItem(BSTR* value) override;
  STDMETHODIMP DeleteItem(BSTR id) override;
  STDMETHODIMP AddItem(BSTR record) override;
  STDMETHODIMP Refresh() override;
  STDMETHODIMP SetFocus() override;
  STDMETHODIMP DeleteTab(BSTR name) override;
  STDMETHODIMP DeleteChildren(BSTR parent_id) override;
  STDMETHODIMP get_ReadyState(LONG* value) override;
  STDMETHODIMP DeleteAll() override;
  STDMETHODIMP AddItemList(BSTR records) override;
  STDMETHODIMP ExpandAll(VARIANT_BOOL value, BSTR id) override;
  STDMETHODIMP put_CL(LONG index, BSTR value) override;
  STDMETHODIMP get_CL(LONG index, BSTR* value) override;
  STDMETHODIMP put_CL0(BSTR value) override;
  STDMETHODIMP get_CL0(BSTR* value) override;

  // What the interface groups share.
  IUnknown& Controlling() { return *controlling_; }
  TabbedList& List() { return list_; }
  FrameSite& Site() { return site_; }
  ControlWindow& Window() { return window_; }
  OleObjectPart& OleObject() { return ole_object_; }
  // A put of a stock property: repaint (the window while in-place active, else the view's
  // advise sink) and tell the data advise sinks.
  void StockPropertyChanged();

 private:
  // One row of the QueryInterface table: the interface and where the object answers it
  // (null: not answered yet).
  struct InterfaceRow {
    const IID* iid;
    IUnknown* (*find)(ControlObject& self);
  };
  static const InterfaceRow kInterfaces[];

  // The non-delegating IUnknown: the object's own identity and reference count. A
  // controlling outer object holds this one.
  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(ControlObject& owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

   private:
    ControlObject& owner_;
  };

  explicit ControlObject(IUnknown* outer);
  ~ControlObject();
  HRESULT FinalConstruct();

  InnerUnknown inner_;
  IUnknown* controlling_;  // the outer object, or inner_; never owned
  LONG references_ = 0;
  Microsoft::WRL::ComPtr<IUnknown> marshaler_;  // inner object of the free-threaded marshaler
  TabbedList list_;
  FrameSite site_;
  ControlWindow window_;
  ConnectionPointPart connection_point_;
  HtmlNavigator navigator_;
  ViewObjectPart view_object_;
  OleObjectPart ole_object_;
  OleControlPart ole_control_;
  PersistPart persist_;
  ObjectSafetyPart object_safety_;
};

}  // namespace control::com
