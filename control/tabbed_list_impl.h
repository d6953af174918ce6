// The facade's state, for the layers that attach views, events and hosts: the item model
// (store), the view side with the control-level properties (view), and the event side
// with its sinks and notification handlers (events).
#pragma once

#include "events/controller_context.h"
#include "model/store.h"
#include "view/view_controller.h"
#include "view/views.h"

namespace control {

class TabbedListImpl {
 public:
  TabbedListImpl() = default;
  TabbedListImpl(const TabbedListImpl&) = delete;
  TabbedListImpl& operator=(const TabbedListImpl&) = delete;
  ~TabbedListImpl();

  model::Store store;
  view::ViewController view{store};
  events::ControlEvents events{view};
  // The keyboard state taken as the last notification was handled (bit 7 = key down):
  // held by the view layer, written by the handlers, read by EventKeyState.
  view::ViewController::KeyState& key_state_snapshot = view.KeyStateSnapshot();
  // Unsaved changes: set only by the puts of the three stock properties, cleared by a load
  // and by a save that asks for it.
  bool dirty = false;

  // Window creation: the handlers start listening to the dialog's views, then the views
  // are built (InitView, then CurrentTab -1). A dialog attached while another is attached
  // replaces it.
  void AttachWindow(view::Dialog* dialog, view::Desktop* desktop);
  // The dialog is about to be destroyed: the handlers stop listening and every node is
  // forgotten. The store and the stored properties stay.
  void DetachWindow();
  view::Dialog* AttachedWindow() const { return dialog_; }

 private:
  view::Dialog* dialog_ = nullptr;
};

}  // namespace control
