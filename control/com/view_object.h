// The view and data objects of the control: how a container draws the control when its
// window is not showing (a design surface, a print, a metafile), the view's extent, status
// and hit testing, the same picture rendered as metafile data, and the advise sinks that
// hear of changes to the view and the data.
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>

#include "control/com/delegating.h"

namespace control::com {

class ViewObjectPart final : public Delegating<IViewObjectEx, IDataObject> {
 public:
  using Delegating::Delegating;

  // Tells the view's advise sink that the picture changed (the control is not showing its
  // window, so the container repaints it).
  void SendViewChange();
  // Tells the data advise sinks that the rendered data changed.
  void SendDataChange();

  // IViewObject
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* target,
                    HDC target_info, HDC dc, LPCRECTL bounds, LPCRECTL metafile_bounds,
                    BOOL(STDMETHODCALLTYPE* go_on)(ULONG_PTR), ULONG_PTR go_on_value) override;
  STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* target,
                           HDC target_info, LOGPALETTE** colours) override;
  STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspect_info, DWORD* cookie) override;
  STDMETHODIMP Unfreeze(DWORD cookie) override;
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;

  // IViewObject2
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) override;

  // IViewObjectEx
  STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override;
  STDMETHODIMP GetViewStatus(DWORD* status) override;
  STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG close_hint,
                             DWORD* result) override;
  STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG close_hint,
                            DWORD* result) override;
  STDMETHODIMP GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, HDC target_info,
                                DVEXTENTINFO* info, LPSIZEL size) override;

  // IDataObject
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override;
  STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                       DWORD* connection) override;
  STDMETHODIMP DUnadvise(DWORD connection) override;
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** connections) override;

 private:
  // IViewObject::Freeze: the content picture does not change while the window is not
  // showing, so a frozen view draws as an unfrozen one; only the cookie is kept.
  bool frozen_ = false;
};

}  // namespace control::com
