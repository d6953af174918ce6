// IOleControl (ambient changes, frozen events), and what the control does with keys, the
// focus and the mouse while it is in place: the keyboard's way between the control's
// dialog and the container (TranslateControlAccelerator, behind
// IOleInPlaceActiveObject::TranslateAccelerator), the site told when the focus leaves the
// control, and UI activation by a click.
#pragma once

#include <ocidl.h>
#include <windows.h>

#include "control/com/control_window.h"
#include "control/com/delegating.h"
#include "control/com/frame_site.h"

namespace control::com {

class OleControlPart final : public Delegating<IOleControl>, public ControlWindow::FrameListener {
 public:
  // Listens to the object's window for as long as it lives.
  OleControlPart(ControlObject& object, IUnknown& controlling);
  ~OleControlPart();

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG* message) override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
  STDMETHODIMP FreezeEvents(BOOL freeze) override;

  // ControlWindow::FrameListener
  void OnMouseActivate() override;
  void OnFocusLeft() override;
};

// IOleInPlaceActiveObject::TranslateAccelerator: S_OK when the control or the container
// took the message, S_FALSE when nobody did.
HRESULT TranslateControlAccelerator(ControlObject& object, const MSG& message);

// The control window's background: the container's ambient BackColor, else the window
// colour of the system.
COLORREF ControlBackground(const FrameSite& site);

}  // namespace control::com
