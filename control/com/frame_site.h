// What the control's interface groups share about the container: the client site and what
// was asked of it, the advise holders and the view's advise sink, the extent and the
// in-place state. One per control object; every group reaches it through the object.
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>
#include <wrl/client.h>

namespace control::com {

class FrameSite {
 public:
  FrameSite() = default;
  FrameSite(const FrameSite&) = delete;
  FrameSite& operator=(const FrameSite&) = delete;

  // IOleObject::SetClientSite: keeps `site` (null lets go of it) with its control site
  // and ambient dispatch, when it offers them.
  void SetClientSite(IOleClientSite* site);
  IOleClientSite* ClientSite() const { return client_site_.Get(); }
  IOleControlSite* ControlSite() const { return control_site_.Get(); }

  // An ambient property of the container (`result` is cleared first); DISP_E_MEMBERNOTFOUND
  // when the site has no ambient dispatch.
  HRESULT Ambient(DISPID id, VARIANT* result) const;
  // The ambient BackColor translated to RGB; false when the container gives none.
  bool AmbientBackColor(COLORREF& colour) const;
  // The ambient UserMode; true (run mode) when the container gives none.
  bool AmbientUserMode() const;

  // The OLE advise holder, made at the first Advise.
  HRESULT OleAdviseHolder(IOleAdviseHolder** holder);
  IOleAdviseHolder* OleAdvise() const { return ole_advise_.Get(); }
  // The data advise holder, made at the first DAdvise.
  HRESULT DataAdviseHolder(IDataAdviseHolder** holder);
  IDataAdviseHolder* DataAdvise() const { return data_advise_.Get(); }

  // The view's advise sink (IViewObject::SetAdvise).
  void SetViewSink(IAdviseSink* sink, DWORD aspects, DWORD flags);
  IAdviseSink* ViewSink() const { return view_sink_.Get(); }
  DWORD ViewAspects() const { return view_aspects_; }
  DWORD ViewFlags() const { return view_flags_; }

  // The extent agreed with the container, HIMETRIC.
  SIZEL extent = {5080, 5080};

  // In-place state, kept by the activation code.
  Microsoft::WRL::ComPtr<IOleInPlaceSite> in_place_site;
  Microsoft::WRL::ComPtr<IOleInPlaceFrame> in_place_frame;
  Microsoft::WRL::ComPtr<IOleInPlaceUIWindow> in_place_document;
  bool in_place_active = false;
  bool ui_active = false;
  // IOleControl::FreezeEvents: counted, never read (events are not held back).
  LONG freeze_count = 0;

 private:
  Microsoft::WRL::ComPtr<IOleClientSite> client_site_;
  Microsoft::WRL::ComPtr<IOleControlSite> control_site_;
  Microsoft::WRL::ComPtr<IDispatch> ambient_;
  Microsoft::WRL::ComPtr<IOleAdviseHolder> ole_advise_;
  Microsoft::WRL::ComPtr<IDataAdviseHolder> data_advise_;
  Microsoft::WRL::ComPtr<IAdviseSink> view_sink_;
  DWORD view_aspects_ = 0;
  DWORD view_flags_ = 0;
};

}  // namespace control::com
