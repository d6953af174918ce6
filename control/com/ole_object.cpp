#include "control/com/ole_object.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "control/com/com_text.h"
#include "control/com/control_object.h"
#include "control/com/module.h"
#include "control/com/ole_control.h"
#include "control/frame_rules.h"

namespace control::com {

using Microsoft::WRL::ComPtr;

namespace {

// The screen's device context for measuring.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A font selected into a device context for as long as it lives, then deleted.
class SelectedFont {
 public:
  SelectedFont(HDC dc, HFONT font)
      : dc_(dc), font_(font), old_(font ? SelectObject(dc, font) : nullptr) {}
  ~SelectedFont() {
    if (old_ != nullptr) SelectObject(dc_, old_);
    if (font_ != nullptr) DeleteObject(font_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;
  bool Selected() const { return old_ != nullptr; }

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ old_;
};

std::optional<DialogTemplateInfo> ModuleDialogTemplate() {
  const HINSTANCE module = ModuleInstance();
  HRSRC found = FindResource(module, MAKEINTRESOURCE(view::win32::kTemplateId), RT_DIALOG);
  if (found == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  return ReadDialogTemplate(
      std::span(static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found)));
}

// What a dialog unit of the template's font measures on the screen; the system's dialog
// base units when the font cannot be made or measured.
FontBox MeasureDialogFont(const DialogTemplateInfo& info, HDC screen, int dpi_y) {
  if (info.has_font) {
    SelectedFont font(
        screen, CreateFontW(FontHeightForPoints(info.point_size, dpi_y), 0, 0, 0, FW_NORMAL, FALSE,
                            FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            reinterpret_cast<const wchar_t*>(info.face.c_str())));
    SIZE alphabet{};
    TEXTMETRICW metrics{};
    if (font.Selected() &&
        GetTextExtentPoint32A(screen, kAlphabet, sizeof kAlphabet - 1, &alphabet) &&
        GetTextMetricsW(screen, &metrics)) {
      return FontBoxFromText(alphabet.cx, metrics.tmHeight, metrics.tmExternalLeading);
    }
  }
  const LONG units = GetDialogBaseUnits();
  return FontBox{LOWORD(units), HIWORD(units)};
}

std::optional<HimetricSize> TemplateExtent() {
  const std::optional<DialogTemplateInfo> info = ModuleDialogTemplate();
  ScreenDc screen;
  if (!info || screen.Get() == nullptr) return std::nullopt;
  const int dpi_x = GetDeviceCaps(screen.Get(), LOGPIXELSX);
  const int dpi_y = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  if (dpi_x <= 0 || dpi_y <= 0) return std::nullopt;
  const FontBox font = MeasureDialogFont(*info, screen.Get(), dpi_y);
  return InitialExtent(info->width_units, info->height_units, font, dpi_x, dpi_y);
}

bool FocusInside(HWND window) {
  const HWND focus = GetFocus();
  return focus != nullptr && (focus == window || IsChild(window, focus));
}

}  // namespace

OleObjectPart::OleObjectPart(ControlObject& object, IUnknown& controlling)
    : Delegating(object, controlling) {
  const HimetricSize extent = TemplateExtent().value_or(kFallbackExtent);
  object_.Site().extent = SIZEL{extent.width, extent.height};
}

// --- activation --------------------------------------------------------------------------

HRESULT OleObjectPart::ActivateInPlace(bool ui_activate) {
  FrameSite& site = object_.Site();
  IOleClientSite* client = site.ClientSite();
  if (client == nullptr) return E_UNEXPECTED;
  if (!site.in_place_active) {
    ComPtr<IOleInPlaceSite> in_place;
    HRESULT hr = client->QueryInterface(IID_PPV_ARGS(&in_place));
    if (FAILED(hr)) return hr;
    hr = in_place->CanInPlaceActivate();
    if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
    hr = in_place->OnInPlaceActivate();
    if (FAILED(hr)) return hr;
    site.in_place_site = in_place;
    site.in_place_active = true;
  }
  ControlWindow& window = object_.Window();
  if (!window.IsOpen()) {
    // OpenControlWindow: a child of the container's window where the container puts it.
    HWND parent = nullptr;
    RECT position{};
    RECT clip{};
    OLEINPLACEFRAMEINFO frame_info{};
    frame_info.cb = sizeof frame_info;
    site.in_place_frame.Reset();
    site.in_place_document.Reset();
    HRESULT hr = site.in_place_site->GetWindow(&parent);
    if (SUCCEEDED(hr)) {
      hr = site.in_place_site->GetWindowContext(&site.in_place_frame, &site.in_place_document,
                                                &position, &clip, &frame_info);
    }
    if (SUCCEEDED(hr)) hr = window.Open(parent, position, ControlBackground(site));
    if (FAILED(hr)) {
      (void)InPlaceDeactivate();  // undoes the activation; answers S_OK
      return hr;
    }
    PlaceWindow(position, &clip);
  } else if (!IsWindowVisible(window.Window())) {
    ShowWindow(window.Window(), SW_SHOWNOACTIVATE);  // shown again after the hide verb
  }
  window.LayoutView();
  if (ui_activate) {
    const HRESULT hr = UiActivate();
    if (FAILED(hr)) return hr;
  }
  (void)client->ShowObject();  // a courtesy: the container may scroll the control into view
  return S_OK;
}

HRESULT OleObjectPart::UiActivate() {
  FrameSite& site = object_.Site();
  if (!site.ui_active) {
    site.ui_active = true;
    const HRESULT hr = site.in_place_site->OnUIActivate();
    if (FAILED(hr)) {
      site.ui_active = false;
      return hr;
    }
    // Keys reach the control through the active object of the frame and the document; a
    // container that refuses it only keeps its keys.
    IOleInPlaceActiveObject* self = this;
    if (site.in_place_frame) (void)site.in_place_frame->SetActiveObject(self, nullptr);
    if (site.in_place_document) (void)site.in_place_document->SetActiveObject(self, nullptr);
  }
  const HWND window = object_.Window().Window();
  if (window != nullptr && !FocusInside(window)) SetFocus(window);  // the dialog passes it on
  return S_OK;
}

void OleObjectPart::PlaceWindow(const RECT& position, const RECT* clip) {
  const HWND window = object_.Window().Window();
  if (window == nullptr) return;
  // A refused move leaves the window where it was; the layout follows the window.
  (void)SetWindowPos(window, nullptr, position.left, position.top, position.right - position.left,
                     position.bottom - position.top, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT visible = position;
  if (clip != nullptr && !IntersectRect(&visible, &position, clip)) visible = RECT{};
  if (EqualRect(&visible, &position)) {
    (void)SetWindowRgn(window, nullptr, TRUE);  // removing a region does not fail
    return;
  }
  OffsetRect(&visible, -position.left, -position.top);
  HRGN region = CreateRectRgnIndirect(&visible);
  // The system owns a region it accepted; without one the control is drawn unclipped.
  if (region != nullptr && !SetWindowRgn(window, region, TRUE)) DeleteObject(region);
}

// --- IOleWindow --------------------------------------------------------------------------

STDMETHODIMP OleObjectPart::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = object_.Window().Window();
  return *window != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP OleObjectPart::ContextSensitiveHelp(BOOL /*enter*/) { return E_NOTIMPL; }

// --- IOleObject --------------------------------------------------------------------------

STDMETHODIMP OleObjectPart::SetClientSite(IOleClientSite* site) {
  object_.Site().SetClientSite(site);
  return S_OK;
}

STDMETHODIMP OleObjectPart::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  *site = object_.Site().ClientSite();
  if (*site != nullptr) (*site)->AddRef();
  return S_OK;
}

STDMETHODIMP OleObjectPart::SetHostNames(LPCOLESTR /*application*/, LPCOLESTR /*document*/) {
  return S_OK;
}

STDMETHODIMP OleObjectPart::Close(DWORD save_option) {
  return Guarded([&]() -> HRESULT {
    FrameSite& site = object_.Site();
    const bool save = save_option == OLECLOSE_SAVEIFDIRTY || save_option == OLECLOSE_PROMPTSAVE;
    if (save && object_.List().IsDirty() && site.ClientSite() != nullptr) {
      // A save the container could not make keeps the object as it is.
      const HRESULT hr = site.ClientSite()->SaveObject();
      if (FAILED(hr)) return hr;
      if (IOleAdviseHolder* holder = site.OleAdvise()) (void)holder->SendOnSave();  // reports
    }
    // A container may close without deactivating first: the window goes here too.
    (void)InPlaceDeactivate();  // answers S_OK
    object_.Window().Close();
    if (IOleAdviseHolder* holder = site.OleAdvise()) (void)holder->SendOnClose();  // a report
    return S_OK;
  });
}

STDMETHODIMP OleObjectPart::SetMoniker(DWORD /*which*/, IMoniker* /*moniker*/) { return E_NOTIMPL; }

STDMETHODIMP OleObjectPart::GetMoniker(DWORD /*assign*/, DWORD /*which*/, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP OleObjectPart::InitFromData(IDataObject* /*data*/, BOOL /*creation*/,
                                         DWORD /*reserved*/) {
  return E_NOTIMPL;
}

STDMETHODIMP OleObjectPart::GetClipboardData(DWORD /*reserved*/, IDataObject** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP OleObjectPart::DoVerb(LONG verb, LPMSG /*message*/, IOleClientSite* /*active_site*/,
                                   LONG /*index*/, HWND /*parent*/, LPCRECT /*position*/) {
  return Guarded([&]() -> HRESULT {
    switch (ActionForVerb(verb)) {
      case VerbAction::kUiActivate:
        return ActivateInPlace(true);
      case VerbAction::kInPlaceActivate:
        return ActivateInPlace(false);
      case VerbAction::kHide: {
        const HRESULT hr = UIDeactivate();
        if (const HWND window = object_.Window().Window()) ShowWindow(window, SW_HIDE);
        return hr;
      }
      case VerbAction::kProperties:
        // The control has no property pages: the property frame would show none.
        return S_OK;
      case VerbAction::kNothing:
        return S_OK;
      case VerbAction::kNotImplemented:
        break;
    }
    return E_NOTIMPL;
  });
}

STDMETHODIMP OleObjectPart::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs == nullptr) return E_POINTER;
  return OleRegEnumVerbs(CLSID_ZorTabbedList, verbs);
}

STDMETHODIMP OleObjectPart::Update() { return S_OK; }

STDMETHODIMP OleObjectPart::IsUpToDate() { return S_OK; }

STDMETHODIMP OleObjectPart::GetUserClassID(CLSID* class_id) {
  if (class_id == nullptr) return E_POINTER;
  *class_id = CLSID_ZorTabbedList;
  return S_OK;
}

STDMETHODIMP OleObjectPart::GetUserType(DWORD form, LPOLESTR* type) {
  if (type == nullptr) return E_POINTER;
  return OleRegGetUserType(CLSID_ZorTabbedList, form, type);
}

STDMETHODIMP OleObjectPart::SetExtent(DWORD aspect, SIZEL* size) {
  HRESULT hr = S_OK;
  if (aspect != DVASPECT_CONTENT) {
    hr = DV_E_DVASPECT;
  } else if (size == nullptr) {
    hr = E_POINTER;
  } else {
    object_.Site().extent = *size;
  }
  const HRESULT laid = Guarded([&] {
    object_.Window().LayoutView();
    return S_OK;
  });
  return FAILED(hr) ? hr : laid;
}

STDMETHODIMP OleObjectPart::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  if (size == nullptr) return E_POINTER;
  *size = object_.Site().extent;
  return S_OK;
}

STDMETHODIMP OleObjectPart::Advise(IAdviseSink* sink, DWORD* cookie) {
  ComPtr<IOleAdviseHolder> holder;
  const HRESULT hr = object_.Site().OleAdviseHolder(&holder);
  return FAILED(hr) ? hr : holder->Advise(sink, cookie);
}

STDMETHODIMP OleObjectPart::Unadvise(DWORD cookie) {
  ComPtr<IOleAdviseHolder> holder;
  const HRESULT hr = object_.Site().OleAdviseHolder(&holder);
  return FAILED(hr) ? hr : holder->Unadvise(cookie);
}

STDMETHODIMP OleObjectPart::EnumAdvise(IEnumSTATDATA** advise) {
  if (advise == nullptr) return E_POINTER;
  *advise = nullptr;
  ComPtr<IOleAdviseHolder> holder;
  const HRESULT hr = object_.Site().OleAdviseHolder(&holder);
  return FAILED(hr) ? hr : holder->EnumAdvise(advise);
}

STDMETHODIMP OleObjectPart::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  return OleRegGetMiscStatus(CLSID_ZorTabbedList, aspect, status);
}

STDMETHODIMP OleObjectPart::SetColorScheme(LOGPALETTE* /*palette*/) { return E_NOTIMPL; }

// --- IOleInPlaceObject(Windowless) -------------------------------------------------------

STDMETHODIMP OleObjectPart::InPlaceDeactivate() {
  return Guarded([&]() -> HRESULT {
    FrameSite& site = object_.Site();
    if (!site.in_place_active) return S_OK;
    (void)UIDeactivate();  // answers S_OK
    site.in_place_active = false;
    object_.Window().Close();
    const ComPtr<IOleInPlaceSite> in_place = std::move(site.in_place_site);
    site.in_place_frame.Reset();
    site.in_place_document.Reset();
    // The window is gone whatever the site answers.
    if (in_place) (void)in_place->OnInPlaceDeactivate();
    return S_OK;
  });
}

STDMETHODIMP OleObjectPart::UIDeactivate() {
  FrameSite& site = object_.Site();
  if (!site.ui_active) return S_OK;
  site.ui_active = false;
  // Giving the active object back and telling the site are reports; nothing depends on them.
  if (site.in_place_frame) (void)site.in_place_frame->SetActiveObject(nullptr, nullptr);
  if (site.in_place_document) (void)site.in_place_document->SetActiveObject(nullptr, nullptr);
  if (site.in_place_site) (void)site.in_place_site->OnUIDeactivate(FALSE);
  return S_OK;
}

STDMETHODIMP OleObjectPart::SetObjectRects(LPCRECT position, LPCRECT clip) {
  if (position == nullptr) return E_POINTER;
  return Guarded([&] {
    PlaceWindow(*position, clip);
    object_.Window().LayoutView();
    return S_OK;
  });
}

STDMETHODIMP OleObjectPart::ReactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP OleObjectPart::OnWindowMessage(UINT /*message*/, WPARAM /*wparam*/, LPARAM /*lparam*/,
                                            LRESULT* result) {
  // The control is never windowless: its own window has the messages.
  if (result != nullptr) *result = 0;
  return S_FALSE;
}

STDMETHODIMP OleObjectPart::GetDropTarget(IDropTarget** target) {
  if (target != nullptr) *target = nullptr;
  return E_NOTIMPL;
}

// --- IOleInPlaceActiveObject -------------------------------------------------------------

STDMETHODIMP OleObjectPart::TranslateAccelerator(LPMSG message) {
  if (message == nullptr) return E_POINTER;
  return Guarded([&] { return TranslateControlAccelerator(object_, *message); });
}

STDMETHODIMP OleObjectPart::OnFrameWindowActivate(BOOL /*activate*/) { return S_OK; }

STDMETHODIMP OleObjectPart::OnDocWindowActivate(BOOL /*activate*/) { return S_OK; }

STDMETHODIMP OleObjectPart::ResizeBorder(LPCRECT /*border*/, IOleInPlaceUIWindow* /*window*/,
                                         BOOL /*frame*/) {
  return S_OK;
}

STDMETHODIMP OleObjectPart::EnableModeless(BOOL /*enable*/) { return S_OK; }

// --- IQuickActivate ----------------------------------------------------------------------

STDMETHODIMP OleObjectPart::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (container == nullptr || control == nullptr) return E_POINTER;
  // Both structures grew over time: only the part their size names is read or written.
  QACONTAINER given{};
  std::memcpy(&given, container, std::min<std::size_t>(container->cbSize, sizeof given));
  QACONTROL answer{};
  answer.cbSize = control->cbSize;
  SetClientSite(given.pClientSite);
  if (given.pAdviseSink != nullptr)
    object_.Site().SetViewSink(given.pAdviseSink, DVASPECT_CONTENT, 0);
  // No property-change connection point, and the event sink is connected only through
  // the connection point: both cookies stay 0.
  DWORD misc = 0;
  if (SUCCEEDED(OleRegGetMiscStatus(CLSID_ZorTabbedList, DVASPECT_CONTENT, &misc))) {
    answer.dwMiscStatus = misc;
  }
  answer.dwViewStatus = VIEWSTATUS_OPAQUE;
  std::memcpy(control, &answer, std::min<std::size_t>(control->cbSize, sizeof answer));
  return S_OK;
}

STDMETHODIMP OleObjectPart::SetContentExtent(LPSIZEL size) {
  if (size == nullptr) return E_POINTER;
  object_.Site().extent = *size;
  return S_OK;
}

STDMETHODIMP OleObjectPart::GetContentExtent(LPSIZEL size) {
  if (size == nullptr) return E_POINTER;
  *size = object_.Site().extent;
  return S_OK;
}

}  // namespace control::com
