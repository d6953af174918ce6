// The facade members that fire events: forwarded to the event side's handlers. (TabChanged
// of the SelectedTab write reaches the event side through the view controller's hook.)
#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"
#include "model/properties.h"

namespace control {

void TabbedList::FireClick(const std::string& id) { impl_->events.Handlers().FireClick(id); }

void TabbedList::FireDblClick(const std::string& id) { impl_->events.Handlers().FireDblClick(id); }

std::int32_t TabbedList::GetEventKeyState(std::int32_t virtual_key) const {
  return impl_->events.Handlers().GetEventKeyState(virtual_key);
}

// The bit first, then the event (also when the bit already had the value), then the node;
// the item is found again after the event, which may have removed it.
void TabbedList::PutExpand(const std::string& id, std::int32_t value) {
  const model::Seq seq =
      model::SetNumberProperty(impl_->store, id, model::NumberField::kExpand, value);
  if (seq == model::kNoSeq) return;
  impl_->events.Handlers().FireExpandWritten(id, value);
  model::RefreshItem(impl_->store, seq);
}

}  // namespace control
