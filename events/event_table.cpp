#include "events/event_table.h"

#include <array>

namespace events {
namespace {

constexpr ParamType kText = ParamType::kText;
constexpr ParamType kLong = ParamType::kLong;

constexpr std::array<EventParam, 0> kNone{};
constexpr std::array kNewTab{EventParam{"bsNewTab", kText}};
constexpr std::array kId{EventParam{"bsID", kText}};
constexpr std::array kTab{EventParam{"bsTab", kText}};
constexpr std::array kSelChange{EventParam{"bsID", kText}, EventParam{"bsNewID", kText},
                                EventParam{"nAction", kLong}};
constexpr std::array kIdKey{EventParam{"bsID", kText}, EventParam{"lKeyVal", kLong}};
constexpr std::array kIdNewId{EventParam{"bsID", kText}, EventParam{"bsNewID", kText}};
constexpr std::array kSortPair{EventParam{"bsID1", kText}, EventParam{"bsID2", kText}};
constexpr std::array kTabKey{EventParam{"bsTab", kText}, EventParam{"lKeyVal", kLong}};

constexpr std::array<EventInfo, 21> kEvents{{
    {dispid::kTabChanged, "TabChanged", kNewTab},
    {dispid::kTreeOpened, "TreeOpened", kId},
    {dispid::kTreeClosed, "TreeClosed", kId},
    {dispid::kTreeClicked, "TreeClicked", kId},
    {dispid::kTreeRClicked, "TreeRClicked", kId},
    {dispid::kTreeDblClicked, "TreeDblClicked", kId},
    {dispid::kTreeOpening, "TreeOpening", kId},
    {dispid::kTreeSelChanged, "TreeSelChanged", kSelChange},
    {dispid::kTreeKeyPress, "TreeKeyPress", kIdKey},
    {dispid::kTreeClosing, "TreeClosing", kId},
    {dispid::kTreeSingleExpand, "TreeSingleExpand", kIdNewId},
    {dispid::kTreeSelChanging, "TreeSelChanging", kSelChange},
    {dispid::kTreeRDblClicked, "TreeRDblClicked", kId},
    {dispid::kTreeGotFocus, "TreeGotFocus", kNone},
    {dispid::kTreeLostFocus, "TreeLostFocus", kNone},
    {dispid::kTreeItemDeleted, "TreeItemDeleted", kId},
    {dispid::kTreeGetToolTipText, "TreeGetToolTipText", kId},
    {dispid::kTreeSortCompare, "TreeSortCompare", kSortPair},
    {dispid::kTabRClicked, "TabRClicked", kTab},
    {dispid::kTabKeyPress, "TabKeyPress", kTabKey},
    {dispid::kTabChanging, "TabChanging", kTab},
}};

}  // namespace

std::span<const EventInfo> EventTable() { return kEvents; }

const EventInfo* FindEvent(DispId dispid) {
  if (dispid < kFirstEvent || dispid > kLastEvent) return nullptr;
  return &kEvents[static_cast<std::size_t>(dispid - kFirstEvent)];
}

}  // namespace events
