#include "events/fire.h"

#include <array>

namespace events {
namespace {

// The arguments are copied into the array before any sink runs, so a handler that
// changes or removes the item whose text was passed in cannot affect what others see.
template <typename... Args>
void Fire(const EventSinks& sinks, DispId dispid, Args&&... args) {
  if (sinks.SlotCount() == 0) return;
  const std::array<EventArg, sizeof...(Args)> list{EventArg{std::forward<Args>(args)}...};
  FireEvent(sinks, dispid, list);
}

}  // namespace

void FireTabChanged(const EventSinks& sinks, const std::string& new_tab) {
  Fire(sinks, dispid::kTabChanged, new_tab);
}
void FireTreeOpened(const EventSinks& sinks, const std::string& id) {
  Fire(sinks, dispid::kTreeOpened, id);
}
void FireTreeClosed(const EventSinks& sinks, const std::string& id) {
  Fire(sinks, dispid::kTreeClosed, id);
}
void FireTreeClicked(const EventSinks& sinks, const std::string& id) {
  Fire(sinks, dispid::kTreeClicked, id);
}
void FireTreeRClicked(const EventSinks& sinks, const std::string& id) {
  Fire(sinks, dispid::kTreeRClicked, id);
}
void FireTreeDblClicked(const EventSinks& sinks, const std::string& id) {
  Fire(sinks, dispid::kTreeDblClicked, id);
}
void FireTreeOpening(const EventSinks& sinks, const std::string& id) {
  Fire(sinks, dispid::kTreeOpening, id);
}
void FireTreeSelChanged(const EventSinks& sinks, const std::string& id, const std::string& new_id,
                        std::int32_t action) {
  Fire(sinks, dispid::kTreeSelChanged, id, new_id, action);
}
void FireTreeKeyPress(const EventSinks& sinks, const std::string& id, std::int32_t key_val) {
  Fire(sinks, dispid::kTreeKeyPress, id, key_val);
}
void FireTreeClosing(const EventSinks& sinks, const std::string& id) {
  Fire(sinks, dispid::kTreeClosing, id);
}
void FireTreeSingleExpand(const EventSinks& sinks, const std::string& id,
                          const std::string& new_id) {
  Fire(sinks, dispid::kTreeSingleExpand, id, new_id);
}
void FireTreeSelChanging(const EventSinks& sinks, const std::string& id, const std::string& new_id,
                         std::int32_t action) {
  Fire(sinks, dispid::kTreeSelChanging, id, new_id, action);
}
void FireTreeRDblClicked(const EventSinks& sinks, const std::string& id) {
  Fire(sinks, dispid::kTreeRDblClicked, id);
}
void FireTreeGotFocus(const EventSinks& sinks) { Fire(sinks, dispid::kTreeGotFocus); }
void FireTreeLostFocus(const EventSinks& sinks) { Fire(sinks, dispid::kTreeLostFocus); }
void FireTreeItemDeleted(const EventSinks& sinks, const std::string& id) {
  Fire(sinks, dispid::kTreeItemDeleted, id);
}
void FireTreeGetToolTipText(const EventSinks& sinks, const std::string& id) {
  Fire(sinks, dispid::kTreeGetToolTipText, id);
}
void FireTreeSortCompare(const EventSinks& sinks, const std::string& id1, const std::string& id2) {
  Fire(sinks, dispid::kTreeSortCompare, id1, id2);
}
void FireTabRClicked(const EventSinks& sinks, const std::string& tab) {
  Fire(sinks, dispid::kTabRClicked, tab);
}
void FireTabKeyPress(const EventSinks& sinks, const std::string& tab, std::int32_t key_val) {
  Fire(sinks, dispid::kTabKeyPress, tab, key_val);
}
void FireTabChanging(const EventSinks& sinks, const std::string& tab) {
  Fire(sinks, dispid::kTabChanging, tab);
}

}  // namespace events
