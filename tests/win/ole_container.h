// A small OLE container for the Windows tests: a shown frame window and one site object
// that is the control's client site, in-place site, control site, ambient-property
// dispatch, in-place frame and advise sink. It creates the registered control by class id,
// records what the control asks of it, and pumps messages the way a container's loop does
// (keys are offered to the active object's TranslateAccelerator first).
//
// The site lives on the test's stack: its reference count only shows what the control
// holds (1 when the control holds nothing). All containers of a test program share one
// frame window: Wine takes about two seconds to destroy a shown top-level window.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "com_test_support.h"
#include "stand_ins.h"
#include "window_test_support.h"

namespace zortab_test {

// The shown top-level window of the program's containers, made at the first use.
inline HWND SharedFrame() {
  static HostWindow frame(480, 360);
  return frame.Get();
}

class OleContainer final : public ClientSiteBase,
                           public IOleInPlaceSite,
                           public IOleControlSite,
                           public InvokeOnlyDispatch,
                           public IOleInPlaceFrame,
                           public IAdviseSinkEx {
 public:
  // A key the control handed over through IOleControlSite::TranslateAccelerator.
  struct Accelerator {
    UINT message;
    WPARAM key;
    DWORD modifiers;
    bool operator==(const Accelerator&) const = default;
    friend void PrintTo(const Accelerator& a, std::ostream* out) {
      *out << "{message 0x" << std::hex << a.message << ", key 0x" << a.key << ", modifiers "
           << std::dec << a.modifiers << "}";
    }
  };

  OleContainer() = default;
  ~OleContainer() {
    active.Reset();
    object.Reset();
    EXPECT_EQ(references, 1) << "the control still holds the container";
  }
  OleContainer(const OleContainer&) = delete;
  OleContainer& operator=(const OleContainer&) = delete;

  // --- what a test sets -------------------------------------------------------------------
  // The frame window (SharedFrame), used as an HWND or through Get() as a HostWindow.
  struct Frame {
    HWND Get() const { return SharedFrame(); }
    operator HWND() const { return Get(); }
  } frame;
  RECT place{8, 8, 328, 288};           // where the control goes, frame client coordinates
  std::optional<OLE_COLOR> back_color;  // the ambient BackColor; none: not offered
  std::optional<bool> user_mode;        // the ambient UserMode; none: not offered
  bool offer_ambients = true;           // false: no IDispatch for ambients at all
  HRESULT translate_answer = S_FALSE;   // IOleControlSite::TranslateAccelerator's answer
  HRESULT save_answer = S_OK;           // IOleClientSite::SaveObject's answer

  // --- what a test reads ------------------------------------------------------------------
  LONG references = 1;
  std::vector<std::string> log;           // site calls in order ("OnUIActivate", ...)
  std::vector<std::string> advise_log;    // IAdviseSink calls
  std::vector<Accelerator> accelerators;  // keys handed over
  Microsoft::WRL::ComPtr<IOleInPlaceActiveObject> active;  // from SetActiveObject
  Microsoft::WRL::ComPtr<IOleObject> object;               // the control

  // Creates the registered control and sites it (SetClientSite).
  HRESULT Create() {
    object = NewControl<IOleObject>();
    return object ? object->SetClientSite(this) : E_FAIL;
  }
  HRESULT DoVerb(LONG verb) { return object->DoVerb(verb, nullptr, this, 0, frame, &place); }
  // The control window (IOleWindow), null when it has none.
  HWND ControlWindow() const {
    Microsoft::WRL::ComPtr<IOleWindow> window;
    HWND hwnd = nullptr;
    if (object && SUCCEEDED(object.As(&window))) (void)window->GetWindow(&hwnd);
    return hwnd;
  }
  template <class Interface>
  Microsoft::WRL::ComPtr<Interface> As() const {
    Microsoft::WRL::ComPtr<Interface> found;
    if (object) {
      EXPECT_EQ(object.As(&found), S_OK);
    }
    return found;
  }
  // Closes without saving, lets go of the site and releases the control.
  void CloseAndRelease() {
    if (!object) return;
    EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(object->SetClientSite(nullptr), S_OK);
    object.Reset();
  }
  std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

  // Dispatches messages until none has arrived for a while, offering keys to the active
  // object first as a container's message loop does (timers do not count: the tab strip
  // ticks while the pointer rests on it).
  void Settle() {
    constexpr DWORD kQuietMs = 60;
    for (int round = 0, quiet = 0; quiet < 2 && round < 100; ++round) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
        if (key && active && active->TranslateAccelerator(&msg) == S_OK) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      const DWORD wait =
          MsgWaitForMultipleObjects(0, nullptr, FALSE, kQuietMs, QS_ALLINPUT & ~QS_TIMER);
      quiet = wait == WAIT_TIMEOUT ? quiet + 1 : 0;
    }
  }

  // --- IUnknown ---------------------------------------------------------------------------
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceSite) || IsEqualIID(riid, IID_IOleWindow)) {
      *out = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleControlSite)) {
      *out = static_cast<IOleControlSite*>(this);
    } else if (IsEqualIID(riid, IID_IDispatch) && offer_ambients) {
      *out = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceFrame) ||
               IsEqualIID(riid, IID_IOleInPlaceUIWindow)) {
      *out = static_cast<IOleInPlaceFrame*>(this);
    } else if (IsEqualIID(riid, IID_IAdviseSink) || IsEqualIID(riid, IID_IAdviseSinkEx)) {
      *out = static_cast<IAdviseSinkEx*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }

  // --- IOleClientSite ---------------------------------------------------------------------
  STDMETHODIMP SaveObject() override {
    log.push_back("SaveObject");
    return save_answer;
  }

  // --- IOleWindow (of the in-place site and of the frame) ----------------------------------
  STDMETHODIMP GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = frame;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // --- IOleInPlaceSite --------------------------------------------------------------------
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override {
    log.push_back("OnInPlaceActivate");
    return S_OK;
  }
  STDMETHODIMP OnUIActivate() override {
    log.push_back("OnUIActivate");
    return S_OK;
  }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame_out, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (!frame_out || !document || !position || !clip || !info) return E_POINTER;
    *frame_out = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;  // the frame is the document window too
    *position = place;
    *clip = place;
    info->fMDIApp = FALSE;
    info->hwndFrame = frame;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return S_OK; }
  STDMETHODIMP OnUIDeactivate(BOOL) override {
    log.push_back("OnUIDeactivate");
    return S_OK;
  }
  STDMETHODIMP OnInPlaceDeactivate() override {
    log.push_back("OnInPlaceDeactivate");
    return S_OK;
  }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // --- IOleControlSite --------------------------------------------------------------------
  STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
  STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
  STDMETHODIMP GetExtendedControl(IDispatch** extended) override {
    if (extended) *extended = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(MSG* msg, DWORD modifiers) override {
    if (msg == nullptr) return E_POINTER;
    accelerators.push_back({msg->message, msg->wParam, modifiers});
    return translate_answer;
  }
  STDMETHODIMP OnFocus(BOOL focus) override {
    log.push_back(focus ? "OnFocus(1)" : "OnFocus(0)");
    return S_OK;
  }
  STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

  // --- IDispatch: the ambient properties ---------------------------------------------------
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (!(flags & DISPATCH_PROPERTYGET) || result == nullptr) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    if (id == DISPID_AMBIENT_BACKCOLOR && back_color) {
      V_VT(result) = VT_I4;
      V_I4(result) = static_cast<LONG>(*back_color);
      return S_OK;
    }
    if (id == DISPID_AMBIENT_USERMODE && user_mode) {
      V_VT(result) = VT_BOOL;
      V_BOOL(result) = *user_mode ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  // --- IOleInPlaceUIWindow, IOleInPlaceFrame ------------------------------------------------
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object_in, LPCOLESTR) override {
    log.push_back(object_in ? "SetActiveObject" : "SetActiveObject(null)");
    active = object_in;
    return S_OK;
  }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // --- IAdviseSink, IAdviseSinkEx ---------------------------------------------------------
  STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {
    advise_log.push_back("OnDataChange");
  }
  STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override { advise_log.push_back("OnViewChange"); }
  STDMETHODIMP_(void) OnRename(IMoniker*) override { advise_log.push_back("OnRename"); }
  STDMETHODIMP_(void) OnSave() override { advise_log.push_back("OnSave"); }
  STDMETHODIMP_(void) OnClose() override { advise_log.push_back("OnClose"); }
  STDMETHODIMP_(void) OnViewStatusChange(DWORD) override {
    advise_log.push_back("OnViewStatusChange");
  }
};

}  // namespace zortab_test
