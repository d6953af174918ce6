#include "view/sim/sim_views.h"

namespace view::sim {

SimTabStrip::SimTabStrip(SimDialog& dialog)
    : SimWindow<TabStrip>(dialog, SimDialog::kTabStripId, kTabStripTemplateStyle) {}

int SimTabStrip::InsertItem(int position, const std::string& text, std::int64_t param, int image) {
  if (position < 0) return -1;
  if (position > GetItemCount()) position = GetItemCount();
  entries_.insert(entries_.begin() + position, Entry{text, param, image < 0 ? -1 : image, false});
  if (GetItemCount() == 1) {
    selected_ = 0;
  } else if (position <= selected_) {
    ++selected_;
  }
  return position;
}

bool SimTabStrip::SetItemImage(int position, int image) {
  if (!Valid(position)) return false;
  entries_[static_cast<std::size_t>(position)].image = image < 0 ? -1 : image;
  return true;
}

bool SimTabStrip::SetItemParam(int position, std::int64_t param) {
  if (!Valid(position)) return false;
  entries_[static_cast<std::size_t>(position)].param = param;
  return true;
}

bool SimTabStrip::GetItemParam(int position, std::int64_t& param) const {
  if (!Valid(position)) return false;
  param = entries_[static_cast<std::size_t>(position)].param;
  return true;
}

bool SimTabStrip::GetItemText(int position, std::string& text) const {
  if (!Valid(position)) return false;
  text = entries_[static_cast<std::size_t>(position)].text;
  return true;
}

int SimTabStrip::GetItemImage(int position) const {
  return Valid(position) ? entries_[static_cast<std::size_t>(position)].image : -1;
}

bool SimTabStrip::DeleteItem(int position) {
  if (!Valid(position)) return false;
  entries_.erase(entries_.begin() + position);
  if (position == selected_) {
    selected_ = -1;
  } else if (position < selected_) {
    --selected_;
  }
  return true;
}

bool SimTabStrip::DeleteAllItems() {
  entries_.clear();
  selected_ = -1;
  return true;
}

int SimTabStrip::SetCurSel(int position) {
  if (position >= GetItemCount()) return -1;
  int previous = selected_;
  selected_ = position < 0 ? -1 : position;
  return previous;
}

bool SimTabStrip::HighlightItem(int position, std::uint16_t highlight) {
  if (!Valid(position)) return false;
  entries_[static_cast<std::size_t>(position)].highlighted = highlight != 0;
  return true;
}

bool SimTabStrip::IsHighlighted(int position) const {
  return Valid(position) && entries_[static_cast<std::size_t>(position)].highlighted;
}

bool SimTabStrip::ChangeSelectionByUser(int position) {
  if (position == selected_) return true;
  if (listener_ != nullptr && listener_->OnTabSelChanging() != 0) return false;
  // The listener may have removed entries meanwhile.
  if (!Valid(position)) return false;
  selected_ = position;
  if (listener_ != nullptr) listener_->OnTabSelChange();
  return true;
}

bool SimTabStrip::UserSelect(int position) {
  if (!TakesInput() || !Valid(position)) return false;
  if ((GetStyle() & style::kTcsFocusNever) == 0) Focus();
  if (!Valid(position)) return false;
  return ChangeSelectionByUser(position);
}

bool SimTabStrip::RightClick(int position) {
  if (!TakesInput() || (position != -1 && !Valid(position))) return false;
  if (listener_ != nullptr) listener_->OnTabRClick();
  return true;
}

bool SimTabStrip::KeyDown(int virtual_key) {
  if (!TakesInput()) return false;
  if (listener_ != nullptr) listener_->OnTabKeyDown(virtual_key);
  int target = selected_;
  if (virtual_key == kVkLeft) --target;
  if (virtual_key == kVkRight) ++target;
  if (target != selected_ && selected_ >= 0 && Valid(target)) ChangeSelectionByUser(target);
  return true;
}

}  // namespace view::sim
