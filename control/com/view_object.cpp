#include "control/com/view_object.h"

#include <urlmon.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "control/com/control_object.h"
#include "control/com/gdi_handles.h"

namespace control::com {

using Microsoft::WRL::ComPtr;

namespace {

constexpr char kCaption[] = "ZorTabbedList";
// The caption's size on a device whose resolution is known.
constexpr int kCaptionPoints = 8;
// The same size in HIMETRIC (0.01 mm), for a metafile, whose units are the picture's.
constexpr LONG kCaptionHimetric = kCaptionPoints * 2540 / 72;
constexpr DWORD kFrozenCookie = 1;

// The renderings of the data object, in order of preference.
constexpr FORMATETC kRenderings[] = {
    {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF},
    {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT},
};

// The rendering that `asked` names, or null with the reason in `why`.
const FORMATETC* FindRendering(const FORMATETC& asked, HRESULT& why) {
  for (const FORMATETC& rendering : kRenderings) {
    if (asked.cfFormat != rendering.cfFormat) continue;
    if (asked.dwAspect != DVASPECT_CONTENT) {
      why = DV_E_DVASPECT;
    } else if (asked.lindex != -1) {
      why = DV_E_LINDEX;
    } else if (!(asked.tymed & rendering.tymed)) {
      why = DV_E_TYMED;
    } else {
      return &rendering;
    }
    return nullptr;
  }
  why = DV_E_FORMATETC;
  return nullptr;
}

RECT Ordered(LONG left, LONG top, LONG right, LONG bottom) {
  return {std::min(left, right), std::min(top, bottom), std::max(left, right),
          std::max(top, bottom)};
}

// The picture of the control when its window is not showing: the box filled grey, outlined
// black, with the caption centred in a cell `caption_height` tall. `box` is in the DC's
// logical units, which grow rightwards and downwards. Every object and mode set here goes
// back with the DC's state.
HRESULT DrawPicture(HDC dc, const RECT& box, LONG caption_height) {
  LOGFONTA face = {};
  if (!GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face)) return E_FAIL;
  face.lfHeight = caption_height;
  face.lfWidth = 0;
  // Made before the DC's state is saved, so that it is freed after it is no longer selected.
  const UniqueGdiObject font(CreateFontIndirectA(&face));
  if (!font) return E_OUTOFMEMORY;
  const SavedDc saved(dc);
  if (!saved.Saved()) return E_FAIL;
  const bool drawn =
      FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))) &&
      SelectObject(dc, GetStockObject(BLACK_PEN)) && SelectObject(dc, GetStockObject(NULL_BRUSH)) &&
      Rectangle(dc, box.left, box.top, box.right, box.bottom) &&
      IntersectClipRect(dc, box.left, box.top, box.right, box.bottom) != ERROR &&
      SelectObject(dc, font.Get()) &&
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT)) != CLR_INVALID &&
      SetBkMode(dc, TRANSPARENT) && SetTextAlign(dc, TA_CENTER | TA_TOP) != GDI_ERROR &&
      TextOutA(dc, box.left + (box.right - box.left) / 2,
               box.top + (box.bottom - box.top - caption_height) / 2, kCaption,
               static_cast<int>(sizeof kCaption - 1));
  return drawn ? S_OK : E_FAIL;
}

// The caption of a picture drawn `box_height` units tall for a control `extent_height`
// HIMETRIC tall: the caption keeps its size relative to the control.
LONG ScaledCaptionHeight(LONG box_height, LONG extent_height) {
  return MulDiv(kCaptionHimetric, box_height, std::max<LONG>(extent_height, 1));
}

// Draws on a screen, memory or printer DC: in device pixels, so that the caption has its
// point size whatever mapping the container set.
HRESULT DrawOnDevice(HDC dc, const RECTL& bounds) {
  POINT corners[2] = {{bounds.left, bounds.top}, {bounds.right, bounds.bottom}};
  if (!LPtoDP(dc, corners, 2)) return E_FAIL;
  const SavedDc saved(dc);
  if (!saved.Saved()) return E_FAIL;
  if (!SetMapMode(dc, MM_TEXT) || !SetWindowOrgEx(dc, 0, 0, nullptr) ||
      !SetViewportOrgEx(dc, 0, 0, nullptr)) {
    return E_FAIL;
  }
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  if (dpi <= 0) return E_FAIL;
  return DrawPicture(dc, Ordered(corners[0].x, corners[0].y, corners[1].x, corners[1].y),
                     MulDiv(kCaptionPoints, dpi, 72));
}

// Records the picture as a Windows metafile in HIMETRIC units, `extent` in size.
HRESULT RecordMetafile(const SIZEL& extent, UniqueMetafile& made) {
  const HDC recorder = CreateMetaFileA(nullptr);
  if (!recorder) return E_OUTOFMEMORY;
  HRESULT hr = S_OK;
  if (!SetWindowOrgEx(recorder, 0, 0, nullptr) ||
      !SetWindowExtEx(recorder, extent.cx, extent.cy, nullptr)) {
    hr = E_FAIL;
  }
  if (SUCCEEDED(hr)) {
    hr = DrawPicture(recorder, {0, 0, extent.cx, extent.cy},
                     ScaledCaptionHeight(extent.cy, extent.cy));
  }
  UniqueMetafile closed(CloseMetaFile(recorder));  // also frees the recorder
  if (FAILED(hr)) return hr;
  if (!closed) return E_FAIL;
  made = std::move(closed);
  return S_OK;
}

// Records the picture as an enhanced metafile whose frame is `extent`, drawn in HIMETRIC
// units mapped onto the reference device (the screen).
HRESULT RecordEnhMetafile(const SIZEL& extent, UniqueEnhMetafile& made) {
  const RECT frame = {0, 0, extent.cx, extent.cy};
  const HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
  if (!recorder) return E_OUTOFMEMORY;
  HRESULT hr = S_OK;
  const int pixels_wide = GetDeviceCaps(recorder, HORZRES);
  const int pixels_high = GetDeviceCaps(recorder, VERTRES);
  const int millimetres_wide = GetDeviceCaps(recorder, HORZSIZE);
  const int millimetres_high = GetDeviceCaps(recorder, VERTSIZE);
  if (millimetres_wide <= 0 || millimetres_high <= 0 || !SetMapMode(recorder, MM_ANISOTROPIC) ||
      !SetWindowExtEx(recorder, extent.cx, extent.cy, nullptr) ||
      !SetViewportExtEx(recorder, MulDiv(extent.cx, pixels_wide, millimetres_wide * 100),
                        MulDiv(extent.cy, pixels_high, millimetres_high * 100), nullptr)) {
    hr = E_FAIL;
  }
  if (SUCCEEDED(hr)) {
    hr = DrawPicture(recorder, frame, ScaledCaptionHeight(extent.cy, extent.cy));
  }
  UniqueEnhMetafile closed(CloseEnhMetaFile(recorder));  // also frees the recorder
  if (FAILED(hr)) return hr;
  if (!closed) return E_FAIL;
  made = std::move(closed);
  return S_OK;
}

// The picture as `rendering` asks, handed to the caller in `medium`.
HRESULT Render(const FORMATETC& rendering, const SIZEL& extent, STGMEDIUM& medium) {
  if (rendering.tymed == TYMED_ENHMF) {
    UniqueEnhMetafile picture;
    const HRESULT hr = RecordEnhMetafile(extent, picture);
    if (FAILED(hr)) return hr;
    medium.tymed = TYMED_ENHMF;
    medium.hEnhMetaFile = picture.Release();
    return S_OK;
  }
  UniqueMetafile picture;
  const HRESULT hr = RecordMetafile(extent, picture);
  if (FAILED(hr)) return hr;
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, sizeof(METAFILEPICT)));
  if (!block) return E_OUTOFMEMORY;
  auto* header = static_cast<METAFILEPICT*>(GlobalLock(block.Get()));
  if (!header) return E_OUTOFMEMORY;
  *header = {MM_ANISOTROPIC, extent.cx, extent.cy, picture.Release()};
  (void)GlobalUnlock(block.Get());  // answers the remaining lock count, not a failure
  medium.tymed = TYMED_MFPICT;
  medium.hMetaFilePict = block.Release();
  return S_OK;
}

}  // namespace

void ViewObjectPart::SendViewChange() {
  FrameSite& site = object_.Site();
  const ComPtr<IAdviseSink> sink = site.ViewSink();
  if (!sink || !(site.ViewAspects() & DVASPECT_CONTENT)) return;
  if (site.ViewFlags() & ADVF_ONLYONCE) site.SetViewSink(nullptr, 0, 0);
  sink->OnViewChange(DVASPECT_CONTENT, -1);
}

void ViewObjectPart::SendDataChange() {
  if (IDataAdviseHolder* holder = object_.Site().DataAdvise()) {
    (void)holder->SendOnDataChange(this, 0, 0);  // a sink's failure is its own
  }
}

// --- IViewObject -------------------------------------------------------------------------

STDMETHODIMP ViewObjectPart::Draw(DWORD aspect, LONG /*index*/, void* /*aspect_info*/,
                                  DVTARGETDEVICE* /*target*/, HDC /*target_info*/, HDC dc,
                                  LPCRECTL bounds, LPCRECTL /*metafile_bounds*/,
                                  BOOL(STDMETHODCALLTYPE* /*go_on*/)(ULONG_PTR),
                                  ULONG_PTR /*go_on_value*/) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc || !bounds) return E_INVALIDARG;
  // While in place the child windows paint themselves.
  if (object_.Site().in_place_active) return S_OK;
  const DWORD kind = GetObjectType(dc);
  if (kind != OBJ_METADC && kind != OBJ_ENHMETADC) return DrawOnDevice(dc, *bounds);
  // A metafile has no device to measure: its units are the picture's, and the caption keeps
  // its size relative to the control's extent.
  const RECT box = Ordered(bounds->left, bounds->top, bounds->right, bounds->bottom);
  return DrawPicture(dc, box, ScaledCaptionHeight(box.bottom - box.top, object_.Site().extent.cy));
}

STDMETHODIMP ViewObjectPart::GetColorSet(DWORD aspect, LONG /*index*/, void* /*aspect_info*/,
                                         DVTARGETDEVICE* /*target*/, HDC /*target_info*/,
                                         LOGPALETTE** colours) {
  if (!colours) return E_POINTER;
  *colours = nullptr;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  // Stock and system colours only: the container needs no palette for them.
  return S_FALSE;
}

STDMETHODIMP ViewObjectPart::Freeze(DWORD aspect, LONG index, void* /*aspect_info*/,
                                    DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (index != -1) return DV_E_LINDEX;
  *cookie = kFrozenCookie;
  return std::exchange(frozen_, true) ? VIEW_S_ALREADY_FROZEN : S_OK;
}

STDMETHODIMP ViewObjectPart::Unfreeze(DWORD cookie) {
  if (cookie != kFrozenCookie || !frozen_) return OLE_E_NOCONNECTION;
  frozen_ = false;
  return S_OK;
}

STDMETHODIMP ViewObjectPart::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  object_.Site().SetViewSink(sink, aspects, flags);
  if (sink && (flags & ADVF_PRIMEFIRST)) SendViewChange();
  return S_OK;
}

STDMETHODIMP ViewObjectPart::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  const FrameSite& site = object_.Site();
  if (aspects) *aspects = site.ViewAspects();
  if (flags) *flags = site.ViewFlags();
  if (sink) {
    *sink = site.ViewSink();
    if (*sink) (*sink)->AddRef();
  }
  return S_OK;
}

// --- IViewObject2, IViewObjectEx -----------------------------------------------------------

STDMETHODIMP ViewObjectPart::GetExtent(DWORD aspect, LONG /*index*/, DVTARGETDEVICE* /*target*/,
                                       LPSIZEL size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  *size = object_.Site().extent;
  return S_OK;
}

STDMETHODIMP ViewObjectPart::GetRect(DWORD aspect, LPRECTL rect) {
  if (!rect) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  const SIZEL& extent = object_.Site().extent;
  *rect = {0, 0, extent.cx, extent.cy};
  return S_OK;
}

STDMETHODIMP ViewObjectPart::GetViewStatus(DWORD* status) {
  if (!status) return E_POINTER;
  *status = VIEWSTATUS_OPAQUE;
  return S_OK;
}

STDMETHODIMP ViewObjectPart::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location,
                                           LONG /*close_hint*/, DWORD* result) {
  if (!bounds || !result) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *result = PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP ViewObjectPart::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location,
                                          LONG /*close_hint*/, DWORD* result) {
  if (!bounds || !location || !result) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  RECT overlap;
  *result = IntersectRect(&overlap, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP ViewObjectPart::GetNaturalExtent(DWORD /*aspect*/, LONG /*index*/,
                                              DVTARGETDEVICE* /*target*/, HDC /*target_info*/,
                                              DVEXTENTINFO* /*info*/, LPSIZEL /*size*/) {
  return E_NOTIMPL;
}

// --- IDataObject ---------------------------------------------------------------------------

STDMETHODIMP ViewObjectPart::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_POINTER;
  *medium = {};
  HRESULT why = S_OK;
  const FORMATETC* rendering = FindRendering(*format, why);
  if (!rendering) return why;
  // The picture of the control without its window, whatever state the window is in.
  return Render(*rendering, object_.Site().extent, *medium);
}

STDMETHODIMP ViewObjectPart::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_POINTER;
  HRESULT why = S_OK;
  // Metafiles are made by the renderer; there is no caller's storage to draw into.
  return FindRendering(*format, why) ? DV_E_TYMED : why;
}

STDMETHODIMP ViewObjectPart::QueryGetData(FORMATETC* format) {
  if (!format) return E_POINTER;
  HRESULT why = S_OK;
  return FindRendering(*format, why) ? S_OK : why;
}

STDMETHODIMP ViewObjectPart::GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) {
  if (!format || !canonical) return E_POINTER;
  // The picture does not depend on the target device.
  *canonical = *format;
  canonical->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP ViewObjectPart::SetData(FORMATETC* /*format*/, STGMEDIUM* /*medium*/,
                                     BOOL /*release*/) {
  return E_NOTIMPL;
}

STDMETHODIMP ViewObjectPart::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
  if (!formats) return E_POINTER;
  *formats = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;  // nothing can be set
  FORMATETC listed[std::size(kRenderings)];
  std::copy(std::begin(kRenderings), std::end(kRenderings), listed);
  return CreateFormatEnumerator(static_cast<UINT>(std::size(listed)), listed, formats);
}

STDMETHODIMP ViewObjectPart::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                     DWORD* connection) {
  if (!format || !sink || !connection) return E_POINTER;
  *connection = 0;
  ComPtr<IDataAdviseHolder> holder;
  const HRESULT hr = object_.Site().DataAdviseHolder(holder.GetAddressOf());
  if (FAILED(hr)) return hr;
  return holder->Advise(this, format, flags, sink, connection);
}

STDMETHODIMP ViewObjectPart::DUnadvise(DWORD connection) {
  IDataAdviseHolder* holder = object_.Site().DataAdvise();
  return holder ? holder->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP ViewObjectPart::EnumDAdvise(IEnumSTATDATA** connections) {
  if (!connections) return E_POINTER;
  *connections = nullptr;
  ComPtr<IDataAdviseHolder> holder;
  const HRESULT hr = object_.Site().DataAdviseHolder(holder.GetAddressOf());
  if (FAILED(hr)) return hr;
  return holder->EnumAdvise(connections);
}

}  // namespace control::com
