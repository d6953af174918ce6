#include "control/com/frame_site.h"

#include <olectl.h>

#include "control/com/com_text.h"

namespace control::com {

void FrameSite::SetClientSite(IOleClientSite* site) {
  client_site_ = site;
  control_site_.Reset();
  ambient_.Reset();
  if (!site) return;
  // Both are optional: a container without them gets no focus reports, no accelerators
  // handed back and default ambients.
  if (FAILED(site->QueryInterface(IID_PPV_ARGS(&control_site_)))) control_site_.Reset();
  if (FAILED(site->QueryInterface(IID_PPV_ARGS(&ambient_)))) ambient_.Reset();
}

HRESULT FrameSite::Ambient(DISPID id, VARIANT* result) const {
  if (!result) return E_POINTER;
  VariantInit(result);
  if (!ambient_) return DISP_E_MEMBERNOTFOUND;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  return ambient_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result,
                          nullptr, nullptr);
}

bool FrameSite::AmbientBackColor(COLORREF& colour) const {
  UniqueVariant value;
  if (FAILED(Ambient(DISPID_AMBIENT_BACKCOLOR, value.Get()))) return false;
  if (FAILED(VariantChangeType(value.Get(), value.Get(), 0, VT_I4))) return false;
  COLORREF translated = 0;
  if (FAILED(OleTranslateColor(static_cast<OLE_COLOR>(value->lVal), nullptr, &translated))) {
    return false;
  }
  colour = translated;
  return true;
}

bool FrameSite::AmbientUserMode() const {
  UniqueVariant value;
  if (FAILED(Ambient(DISPID_AMBIENT_USERMODE, value.Get()))) return true;
  if (FAILED(VariantChangeType(value.Get(), value.Get(), 0, VT_BOOL))) return true;
  return value->boolVal != VARIANT_FALSE;
}

HRESULT FrameSite::OleAdviseHolder(IOleAdviseHolder** holder) {
  if (!holder) return E_POINTER;
  *holder = nullptr;
  if (!ole_advise_) {
    const HRESULT hr = CreateOleAdviseHolder(ole_advise_.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
  }
  return ole_advise_.CopyTo(holder);
}

HRESULT FrameSite::DataAdviseHolder(IDataAdviseHolder** holder) {
  if (!holder) return E_POINTER;
  *holder = nullptr;
  if (!data_advise_) {
    const HRESULT hr = CreateDataAdviseHolder(data_advise_.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
  }
  return data_advise_.CopyTo(holder);
}

void FrameSite::SetViewSink(IAdviseSink* sink, DWORD aspects, DWORD flags) {
  view_sink_ = sink;
  view_aspects_ = sink ? aspects : 0;
  view_flags_ = sink ? flags : 0;
}

}  // namespace control::com
