// The tab strip's and tree's notifications turned into events and item state, the click
// action with page navigation, and sorting through the host.
//
// Every handler runs synchronously inside the view operation or user gesture that caused
// it, and every event may re-enter the control: a host handler may delete the reported
// item, delete everything, switch tabs, add items or change the item's Href. So no handler
// keeps an Item pointer, map iterator or text reference across a firing: IDs are copied
// before an event, and whatever is needed afterwards is found again by Seq (and is
// skipped when it is gone).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "events/event_sinks.h"
#include "events/key_state.h"
#include "events/navigator.h"
#include "model/item.h"
#include "model/store.h"
#include "view/views.h"

namespace events {

// What the handlers need from the rest of the control. The control layer implements it
// over its store, view state and stored properties. Everything is read afresh at every
// use, since an event may have changed it.
class InteractionContext {
 public:
  virtual ~InteractionContext() = default;
  virtual model::Store& ItemStore() = 0;
  virtual view::TabStrip* TabStripView() = 0;  // null while the views do not exist
  virtual view::TreeView* TreeViewView() = 0;
  virtual view::Desktop* DesktopServices() = 0;
  // Set while the tree is cleared and refilled (rebuild, DeleteAll): tree handlers stay
  // silent then.
  virtual bool Rebuilding() const = 0;
  virtual std::int32_t HilightSelectedTab() const = 0;
  virtual std::int32_t EnableToolTips() const = 0;
  virtual std::string ToolTipText() const = 0;
  virtual std::int32_t SortCompare() const = 0;
  virtual void SetSortCompare(std::int32_t value) = 0;
  virtual KeyState& KeyStateSnapshot() = 0;
  // Changes whenever Seq values may be handed out again (DeleteAll starts them at 0), so
  // that a Seq kept across an event cannot silently name a different item afterwards.
  virtual std::uint64_t ItemGeneration() const = 0;
  // Brackets a handler's work as one operation of the views: host requests queued inside
  // it (from events of its tree calls) run when it ends, not in the middle of it.
  virtual void BeginOperation() = 0;
  virtual void EndOperation() = 0;
};

// "ID:<ID>, Parent:<Parent>, Tag:<Tag>", the item's diagnostic text.
std::string ItemInfoText(const model::Item& item);

class Interaction final : public view::TabStripListener, public view::TreeListener {
 public:
  explicit Interaction(InteractionContext& context) : context_(context) {}
  Interaction(const Interaction&) = delete;
  Interaction& operator=(const Interaction&) = delete;

  EventSinks& Sinks() { return sinks_; }
  const EventSinks& Sinks() const { return sinks_; }
  // Page navigation for clicked items; null (the default) navigates nothing. The caller
  // keeps the navigator alive until it sets another one or null.
  void SetNavigator(Navigator* navigator) { navigator_ = navigator; }

  // ---- Automation members ---------------------------------------------------------------
  // Nothing while Rebuilding; else ClickItem for the first item with the ID.
  void FireClick(const std::string& id);
  // Nothing while Rebuilding; else TreeDblClicked for the first item with the ID when it
  // is enabled. Never navigates.
  void FireDblClick(const std::string& id);
  std::int32_t GetEventKeyState(std::int32_t virtual_key) const;
  // The event of an Expand write: TreeOpening (non-zero) or TreeClosing (0), carrying the
  // ID as the caller passed it.
  void FireExpandWritten(const std::string& passed_id, std::int32_t value);

  // ---- Shared actions ------------------------------------------------------------------
  // The item click: nothing for a missing or disabled item; else TreeClicked, then, with
  // the item found again, navigation to its current Href and Frame.
  void ClickItem(model::Seq seq);

  // The comparison for Sorted 2: SortCompare reset to 0, TreeSortCompare fired, the value
  // the host left in SortCompare answered. A pair with an item that no longer exists
  // compares equal without an event.
  int CompareForSort(std::int64_t param1, std::int64_t param2);
  // CompareForSort in the shape the tree's sort takes.
  view::CompareFunction SortCompareFunction();
  // Reorders the direct children of `parent` (kRootNode: the top level) by the host's
  // comparisons, asked for before the tree is touched: the children's Seqs are sorted here
  // (a merge sort, bounded whatever the host answers), and the tree is then given an order
  // that fires no events. So a host that changes the tree from inside TreeSortCompare never
  // does so in the middle of the tree's own sort. Answers false when the tree or the parent
  // node is gone.
  bool SortChildrenByHost(view::Node parent);

  // ---- Tab strip notifications --------------------------------------------------------
  int OnTabSelChanging() override;
  int OnTabSelChange() override;
  int OnTabRClick() override;
  int OnTabKeyDown(int virtual_key) override;

  // ---- Tree notifications -------------------------------------------------------------
  int OnSelChanging(const view::TreeNotify& n) override;
  int OnSelChanged(const view::TreeNotify& n) override;
  int OnItemExpanding(const view::TreeNotify& n) override;
  int OnItemExpanded(const view::TreeNotify& n) override;
  int OnDeleteItem(const view::TreeNotify& n) override;
  int OnKeyDown(int virtual_key) override;
  bool OnGetInfoTip(std::int64_t param, std::string& text, int capacity) override;
  int OnSingleExpand(const view::TreeNotify& n) override;
  int OnClick() override;
  int OnDblClick() override;
  int OnReturn() override;
  int OnRClick() override;
  int OnRDblClick() override;
  int OnSetFocus() override;
  int OnKillFocus() override;

 private:
  struct Pointer {
    view::Node node = view::kNoNode;
    std::uint32_t flags = view::hit::kNowhere;
  };

  // The common prelude of the tree handlers: false while Rebuilding (the notification is
  // ignored); otherwise the keyboard state is taken and the handler goes on.
  bool BeginTreeNotification();
  void TakeSnapshot();
  // The Seq of a live item: from a notification side (its item data when it carries it,
  // else asked of the tree), or from a node. None for no node, a node the tree does not
  // know, or item data naming no item.
  std::optional<model::Seq> SeqOf(const view::NotifyNode& side) const;
  std::optional<model::Seq> SeqOfNode(view::Node node) const;
  std::optional<model::Seq> SeqOfParam(std::int64_t param) const;
  model::Item* ItemAt(std::optional<model::Seq> seq) const;
  std::string IdOf(const view::NotifyNode& side) const;  // empty when there is no item
  Pointer PointerItem() const;
  view::Node SelectedNode() const;
  std::string SelectedTabName() const;

  InteractionContext& context_;
  EventSinks sinks_;
  Navigator* navigator_ = nullptr;
};

}  // namespace events
