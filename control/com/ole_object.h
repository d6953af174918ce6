// The control as an embedded OLE object: IOleObject (site, extents, verbs, close, advise),
// in-place and UI activation with the control window (IOleInPlaceObjectWindowless,
// IOleInPlaceActiveObject, IOleWindow) and quick activation (IQuickActivate).
//
// The control always runs in its own window: the windowless operations never take effect
// (OnWindowMessage answers S_FALSE, GetDropTarget E_NOTIMPL).
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>

#include "control/com/delegating.h"

namespace control::com {

class OleObjectPart final : public Delegating<IOleObject, IOleInPlaceObjectWindowless,
                                              IOleInPlaceActiveObject, IQuickActivate> {
 public:
  // Computes the initial extent from the module's dialog template.
  OleObjectPart(ControlObject& object, IUnknown& controlling);

  // Every in-place or UI activation (verbs, a mouse click): the generic activation, which
  // opens the control window when there is none, then LayoutView.
  HRESULT ActivateInPlace(bool ui_activate);

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR application, LPCOLESTR document) override;
  STDMETHODIMP Close(DWORD save_option) override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* active_site, LONG index,
                      HWND parent, LPCRECT position) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* class_id) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

  // IOleInPlaceObject, IOleInPlaceObjectWindowless
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override;
  STDMETHODIMP OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam,
                               LRESULT* result) override;
  STDMETHODIMP GetDropTarget(IDropTarget** target) override;

  // IOleInPlaceActiveObject (TranslateAccelerator is the keyboard's, ole_control.cpp)
  STDMETHODIMP TranslateAccelerator(LPMSG message) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;

  // IQuickActivate
  STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  STDMETHODIMP SetContentExtent(LPSIZEL size) override;
  STDMETHODIMP GetContentExtent(LPSIZEL size) override;

 private:
  HRESULT UiActivate();
  // The window at `position` with the container's clip rectangle applied.
  void PlaceWindow(const RECT& position, const RECT* clip);
};

}  // namespace control::com
