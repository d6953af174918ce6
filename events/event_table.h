// The outgoing event interface _IZorTabbedListEvents: DISPIDs, names and parameters.
//
// Hosts bind by DISPID, so the numbers are part of the interface; they follow the order in
// which the events are declared in the type library.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace events {

using DispId = std::int32_t;

namespace dispid {
inline constexpr DispId kTabChanged = 1;
inline constexpr DispId kTreeOpened = 2;
inline constexpr DispId kTreeClosed = 3;
inline constexpr DispId kTreeClicked = 4;
inline constexpr DispId kTreeRClicked = 5;
inline constexpr DispId kTreeDblClicked = 6;
inline constexpr DispId kTreeOpening = 7;
inline constexpr DispId kTreeSelChanged = 8;
inline constexpr DispId kTreeKeyPress = 9;
inline constexpr DispId kTreeClosing = 10;
inline constexpr DispId kTreeSingleExpand = 11;
inline constexpr DispId kTreeSelChanging = 12;
inline constexpr DispId kTreeRDblClicked = 13;
inline constexpr DispId kTreeGotFocus = 14;
inline constexpr DispId kTreeLostFocus = 15;
inline constexpr DispId kTreeItemDeleted = 16;
inline constexpr DispId kTreeGetToolTipText = 17;
inline constexpr DispId kTreeSortCompare = 18;
inline constexpr DispId kTabRClicked = 19;
inline constexpr DispId kTabKeyPress = 20;
inline constexpr DispId kTabChanging = 21;
}  // namespace dispid

inline constexpr DispId kFirstEvent = 1;
inline constexpr DispId kLastEvent = 21;

enum class ParamType { kText, kLong };  // BSTR, long (VT_I4)

struct EventParam {
  std::string_view name;
  ParamType type;
};

struct EventInfo {
  DispId dispid;
  std::string_view name;
  std::span<const EventParam> params;  // in declaration order
};

// The 21 events in DISPID order: EventTable()[d - 1] describes DISPID d.
std::span<const EventInfo> EventTable();

// The entry for `dispid`, or null for a number that is not an event.
const EventInfo* FindEvent(DispId dispid);

}  // namespace events
