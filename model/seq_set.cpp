#include "model/seq_set.h"

#include <algorithm>
#include <sstream>

namespace model {

SeqSet::SeqSet(std::initializer_list<Seq> seqs) {
  for (Seq seq : seqs) Insert(seq);
}

std::size_t SeqSet::MainAbove(Seq after) const {
  auto it = std::upper_bound(main_.begin() + static_cast<std::ptrdiff_t>(head_), main_.end(), after,
                             [](Seq value, Seq entry) { return value < SeqOf(entry); });
  return static_cast<std::size_t>(it - main_.begin());
}

std::size_t SeqSet::SideAbove(Seq after) const {
  return static_cast<std::size_t>(std::upper_bound(side_.begin(), side_.end(), after) -
                                  side_.begin());
}

void SeqSet::Insert(Seq seq) {
  if (seq < 0) return;
  if (main_.empty() || SeqOf(main_.back()) < seq) {
    if (!side_.empty() && side_.back() >= seq &&
        std::binary_search(side_.begin(), side_.end(), seq)) {
      return;
    }
    // Most lists stay short (the later children of one parent): the first allocation takes
    // what the smallest heap block holds anyway, rather than growing 1, 2, 4.
    if (main_.capacity() == 0) main_.reserve(4);
    main_.push_back(seq);
    return;
  }
  if (Contains(seq)) return;
  // Below the highest member. A tombstone just before its place (past the head, so that it
  // stands for a lower Seq) can take it without moving anything.
  const std::size_t pos = MainAbove(seq);
  if (pos > head_ && Dead(main_[pos - 1])) {
    main_[pos - 1] = seq;
    --dead_;
    return;
  }
  side_.insert(side_.begin() + static_cast<std::ptrdiff_t>(SideAbove(seq)), seq);
  if (side_.size() >= 16 && side_.size() * side_.size() > main_.size()) MergeSide();
}

bool SeqSet::Erase(Seq seq) {
  if (seq < 0) return false;
  const std::size_t pos = MainAbove(seq - 1);
  if (pos < main_.size() && main_[pos] == seq) {
    main_[pos] = ~seq;
    ++dead_;
    if (pos == head_) head_ = static_cast<std::uint32_t>(LiveFrom(head_));
    if (dead_ == main_.size()) {
      main_.clear();
      head_ = dead_ = 0;
    } else if (dead_ >= 16 && std::size_t{dead_} * 2 > main_.size()) {
      Compact();
    }
    return true;
  }
  auto it = std::lower_bound(side_.begin(), side_.end(), seq);
  if (it == side_.end() || *it != seq) return false;
  side_.erase(it);
  return true;
}

bool SeqSet::Contains(Seq seq) const {
  if (seq < 0) return false;
  const std::size_t pos = MainAbove(seq - 1);
  if (pos < main_.size() && main_[pos] == seq) return true;
  return std::binary_search(side_.begin(), side_.end(), seq);
}

Seq SeqSet::First() const {
  const Seq in_main = head_ < main_.size() ? main_[head_] : kNoSeq;
  const Seq in_side = side_.empty() ? kNoSeq : side_.front();
  if (in_main == kNoSeq) return in_side;
  if (in_side == kNoSeq) return in_main;
  return std::min(in_main, in_side);
}

Seq SeqSet::NextAfter(Seq after) const {
  if (after < 0) return First();
  const std::size_t pos = LiveFrom(MainAbove(after));
  const std::size_t side = SideAbove(after);
  const Seq in_main = pos < main_.size() ? main_[pos] : kNoSeq;
  const Seq in_side = side < side_.size() ? side_[side] : kNoSeq;
  if (in_main == kNoSeq) return in_side;
  if (in_side == kNoSeq) return in_main;
  return std::min(in_main, in_side);
}

Seq SeqSet::NextSlow(Cursor& cursor) const {
  // The cursor's positions still hold when they split both vectors at its last Seq (the
  // entries may have moved, or the cursor may come from another set); else find them again.
  const auto splits = [&](const std::vector<Seq>& entries, std::size_t pos) {
    return pos <= entries.size() && (pos == 0 || SeqOf(entries[pos - 1]) <= cursor.last_) &&
           (pos == entries.size() || SeqOf(entries[pos]) > cursor.last_);
  };
  if (cursor.last_ < 0) {
    cursor.main_ = head_;
    cursor.side_ = 0;
  } else {
    if (!splits(main_, cursor.main_)) cursor.main_ = MainAbove(cursor.last_);
    if (!splits(side_, cursor.side_)) cursor.side_ = SideAbove(cursor.last_);
  }
  cursor.main_ = LiveFrom(cursor.main_);
  const Seq in_main = cursor.main_ < main_.size() ? main_[cursor.main_] : kNoSeq;
  const Seq in_side = cursor.side_ < side_.size() ? side_[cursor.side_] : kNoSeq;
  Seq next = kNoSeq;
  if (in_main != kNoSeq && (in_side == kNoSeq || in_main < in_side)) {
    next = in_main;
    ++cursor.main_;
  } else if (in_side != kNoSeq) {
    next = in_side;
    ++cursor.side_;
  }
  if (next != kNoSeq) cursor.last_ = next;
  return next;
}

void SeqSet::Clear() {
  main_.clear();
  side_.clear();
  head_ = dead_ = 0;
}

void SeqSet::Compact() {
  std::erase_if(main_, [](Seq entry) { return Dead(entry); });
  head_ = dead_ = 0;
}

void SeqSet::MergeSide() {
  std::vector<Seq> merged;
  merged.reserve(size());
  std::size_t side = 0;
  for (std::size_t pos = head_; pos < main_.size(); ++pos) {
    if (Dead(main_[pos])) continue;
    while (side < side_.size() && side_[side] < main_[pos]) merged.push_back(side_[side++]);
    merged.push_back(main_[pos]);
  }
  merged.insert(merged.end(), side_.begin() + static_cast<std::ptrdiff_t>(side), side_.end());
  main_.swap(merged);
  side_.clear();
  head_ = dead_ = 0;
}

SeqSet::const_iterator SeqSet::begin() const { return const_iterator(this, head_, 0); }

SeqSet::const_iterator SeqSet::end() const { return const_iterator(); }

void SeqSet::const_iterator::Settle() {
  current_ = kNoSeq;
  if (set_ == nullptr) return;
  main_ = set_->LiveFrom(main_);
  const Seq in_main = main_ < set_->main_.size() ? set_->main_[main_] : kNoSeq;
  const Seq in_side = side_ < set_->side_.size() ? set_->side_[side_] : kNoSeq;
  if (in_main == kNoSeq) {
    current_ = in_side;
  } else {
    current_ = (in_side == kNoSeq || in_main < in_side) ? in_main : in_side;
  }
  if (current_ == kNoSeq) set_ = nullptr;  // equal to end()
}

void SeqSet::const_iterator::Advance() {
  if (set_ == nullptr) return;
  if (main_ < set_->main_.size() && set_->main_[main_] == current_) {
    ++main_;
  } else {
    ++side_;
  }
  Settle();
}

bool operator==(const SeqSet& a, const SeqSet& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

std::string SeqSet::Check() const {
  std::ostringstream fault;
  std::size_t dead = 0;
  for (std::size_t pos = 0; pos < main_.size(); ++pos) {
    if (Dead(main_[pos])) ++dead;
    if (pos < head_ && !Dead(main_[pos])) return "live entry before the head";
    if (pos > 0 && SeqOf(main_[pos - 1]) >= SeqOf(main_[pos])) {
      fault << "entries out of order at " << pos;
      return fault.str();
    }
  }
  if (dead != dead_) return "tombstone count is off";
  if (head_ < main_.size() && Dead(main_[head_])) return "head stands on a tombstone";
  for (std::size_t pos = 0; pos < side_.size(); ++pos) {
    if (side_[pos] < 0 || (pos > 0 && side_[pos - 1] >= side_[pos])) {
      return "side entries out of order";
    }
    const std::size_t in_main = MainAbove(side_[pos] - 1);
    if (in_main < main_.size() && main_[in_main] == side_[pos]) {
      fault << "Seq " << side_[pos] << " held twice";
      return fault.str();
    }
  }
  return {};
}

}  // namespace model
