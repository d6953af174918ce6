#include "control/com/ole_control.h"

#include <olectl.h>

#include "control/com/com_text.h"
#include "control/com/control_object.h"
#include "control/com/ole_object.h"
#include "control/frame_rules.h"

namespace control::com {

OleControlPart::OleControlPart(ControlObject& object, IUnknown& controlling)
    : Delegating(object, controlling) {
  object_.Window().SetFrameListener(this);
}

OleControlPart::~OleControlPart() { object_.Window().SetFrameListener(nullptr); }

STDMETHODIMP OleControlPart::GetControlInfo(CONTROLINFO* /*info*/) { return E_NOTIMPL; }

STDMETHODIMP OleControlPart::OnMnemonic(MSG* /*message*/) { return E_NOTIMPL; }

STDMETHODIMP OleControlPart::OnAmbientPropertyChange(DISPID id) {
  if (id != DISPID_AMBIENT_BACKCOLOR) return S_OK;
  // Without a window there is no brush yet: the next window takes the ambient colour.
  view::win32::Win32Dialog* dialog = object_.Window().Dialog();
  if (dialog == nullptr) return S_OK;
  dialog->SetBackground(ControlBackground(object_.Site()));
  // Failing leaves only the old colour until the next paint.
  (void)RedrawWindow(dialog->Window(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return S_OK;
}

STDMETHODIMP OleControlPart::FreezeEvents(BOOL freeze) {
  object_.Site().freeze_count += freeze ? 1 : -1;
  return S_OK;
}

void OleControlPart::OnMouseActivate() {
  if (!object_.Site().AmbientUserMode()) return;  // a design surface activates nothing
  // A container that refuses UI activation still lets the click reach the view.
  (void)Guarded([&] { return object_.OleObject().ActivateInPlace(true); });
}

void OleControlPart::OnFocusLeft() {
  const FrameSite& site = object_.Site();
  if (!site.in_place_active || site.ControlSite() == nullptr) return;
  (void)site.ControlSite()->OnFocus(FALSE);  // a report; the site's answer changes nothing
}

COLORREF ControlBackground(const FrameSite& site) {
  COLORREF colour = 0;
  return site.AmbientBackColor(colour) ? colour : GetSysColor(COLOR_WINDOW);
}

// --- keyboard ----------------------------------------------------------------------------

namespace {

// Asks a child window whether it takes a message itself (answer 1).
constexpr UINT kForwardMessage = 0x037F;

// The direct child of `dialog` that holds the focus, or null.
HWND FocusedChild(HWND dialog) {
  HWND focus = GetFocus();
  if (focus == nullptr || !IsChild(dialog, focus)) return nullptr;
  for (HWND parent = GetParent(focus); parent != nullptr && parent != dialog;
       parent = GetParent(focus)) {
    focus = parent;
  }
  return focus;
}

bool KeyDown(int key) { return GetKeyState(key) < 0; }

HRESULT HandToContainer(const FrameSite& site, const MSG& message) {
  IOleControlSite* control_site = site.ControlSite();
  if (control_site == nullptr) return S_FALSE;
  const DWORD modifiers = KeyModifiers(KeyDown(VK_SHIFT), KeyDown(VK_CONTROL), KeyDown(VK_MENU));
  MSG copy = message;  // the site takes a non-const message
  return control_site->TranslateAccelerator(&copy, modifiers) == S_OK ? S_OK : S_FALSE;
}

}  // namespace

HRESULT TranslateControlAccelerator(ControlObject& object, const MSG& message) {
  const FrameSite& site = object.Site();
  const HWND dialog = object.Window().Window();
  if (dialog == nullptr || !IsExaminedMessage(message.message)) {
    return HandToContainer(site, message);
  }
  MSG copy = message;
  const HWND focused = FocusedChild(dialog);
  if (focused != nullptr &&
      SendMessageA(focused, kForwardMessage, 0, reinterpret_cast<LPARAM>(&copy)) == 1) {
    return S_OK;
  }
  const bool key = message.message == WM_KEYDOWN || message.message == WM_CHAR;
  const UINT code =
      key && message.hwnd != nullptr
          ? static_cast<UINT>(SendMessageA(message.hwnd, WM_GETDLGCODE, message.wParam,
                                           reinterpret_cast<LPARAM>(&copy)))
          : 0;
  const auto virtual_key = static_cast<std::uint32_t>(message.wParam);
  bool at_boundary = false;
  switch (BoundaryFor(message.message, virtual_key, code, KeyDown(VK_SHIFT))) {
    case KeyBoundary::kNone:
      break;
    case KeyBoundary::kFirstChild:
      at_boundary = focused != nullptr && focused == ::GetWindow(dialog, GW_CHILD);
      break;
    case KeyBoundary::kLastTabStop:
      at_boundary = focused != nullptr &&
                    focused == GetNextDlgTabItem(dialog, ::GetWindow(dialog, GW_CHILD), TRUE);
      break;
  }
  if (RouteKey(message.message, virtual_key, code, at_boundary) == KeyRoute::kDialogManager &&
      IsDialogMessageA(dialog, &copy)) {
    return S_OK;
  }
  return HandToContainer(site, message);
}

}  // namespace control::com
