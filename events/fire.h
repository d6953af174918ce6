// One thin firing function per event, parameters in declaration order.
#pragma once

#include <cstdint>
#include <string>

#include "events/event_sinks.h"

namespace events {

void FireTabChanged(const EventSinks& sinks, const std::string& new_tab);
void FireTreeOpened(const EventSinks& sinks, const std::string& id);
void FireTreeClosed(const EventSinks& sinks, const std::string& id);
void FireTreeClicked(const EventSinks& sinks, const std::string& id);
void FireTreeRClicked(const EventSinks& sinks, const std::string& id);
void FireTreeDblClicked(const EventSinks& sinks, const std::string& id);
void FireTreeOpening(const EventSinks& sinks, const std::string& id);
void FireTreeSelChanged(const EventSinks& sinks, const std::string& id, const std::string& new_id,
                        std::int32_t action);
void FireTreeKeyPress(const EventSinks& sinks, const std::string& id, std::int32_t key_val);
void FireTreeClosing(const EventSinks& sinks, const std::string& id);
void FireTreeSingleExpand(const EventSinks& sinks, const std::string& id,
                          const std::string& new_id);
void FireTreeSelChanging(const EventSinks& sinks, const std::string& id, const std::string& new_id,
                         std::int32_t action);
void FireTreeRDblClicked(const EventSinks& sinks, const std::string& id);
void FireTreeGotFocus(const EventSinks& sinks);
void FireTreeLostFocus(const EventSinks& sinks);
void FireTreeItemDeleted(const EventSinks& sinks, const std::string& id);
void FireTreeGetToolTipText(const EventSinks& sinks, const std::string& id);
void FireTreeSortCompare(const EventSinks& sinks, const std::string& id1, const std::string& id2);
void FireTabRClicked(const EventSinks& sinks, const std::string& tab);
void FireTabKeyPress(const EventSinks& sinks, const std::string& tab, std::int32_t key_val);
void FireTabChanging(const EventSinks& sinks, const std::string& tab);

}  // namespace events
