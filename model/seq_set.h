// An ascending set of Seqs, as the store's indexes keep them (the items of a tab, the later
// items that share an ID or a Parent).
//
// New items have the highest Seq so far, so nearly every insertion lands at the end: the
// members live in one sorted vector that a walk reads in order. Removal leaves a tombstone
// in place (the Seq with its bits inverted, so the vector stays sorted by the Seq it
// stood for) and the vector is compacted once tombstones outnumber members; a removal costs
// one binary search. The rare insertion below the highest member (an item moved to another
// tab or given another Parent) goes to a small sorted side vector, merged into the main one
// once it grows past about the square root of the main one's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "model/item.h"

namespace model {

class SeqSet {
 public:
  class const_iterator;
  using iterator = const_iterator;
  using value_type = Seq;

  // A place in a walk that survives changes of the set: Next answers the first member
  // after the one it answered last, whatever was added or removed meanwhile.
  class Cursor {
    friend class SeqSet;
    Seq last_ = kNoSeq;
    std::size_t main_ = 0;
    std::size_t side_ = 0;
  };

  SeqSet() = default;
  SeqSet(std::initializer_list<Seq> seqs);

  bool empty() const { return size() == 0; }
  std::size_t size() const { return main_.size() - dead_ + side_.size(); }

  // Negative Seqs are not members; inserting one, or one already there, changes nothing.
  void Insert(Seq seq);
  bool Erase(Seq seq);  // false when `seq` is not a member
  bool Contains(Seq seq) const;
  Seq First() const;                // kNoSeq when empty
  Seq NextAfter(Seq after) const;   // the first member above `after`, or kNoSeq
  Seq Next(Cursor& cursor) const {  // kNoSeq at the end
    // The common step: nothing moved and nothing waits in the side vector.
    const std::size_t pos = cursor.main_;
    if (side_.empty() && pos > 0 && pos <= main_.size() && SeqOf(main_[pos - 1]) == cursor.last_) {
      const std::size_t live = LiveFrom(pos);
      if (live == main_.size()) return kNoSeq;
      cursor.main_ = live + 1;
      cursor.last_ = main_[live];
      return cursor.last_;
    }
    return NextSlow(cursor);
  }
  void Clear();

  const_iterator begin() const;
  const_iterator end() const;

  friend bool operator==(const SeqSet& a, const SeqSet& b);

  // Debug check of the layout: empty when consistent, else the first fault found.
  std::string Check() const;

 private:
  static bool Dead(Seq entry) { return entry < 0; }
  static Seq SeqOf(Seq entry) { return entry < 0 ? ~entry : entry; }
  // The first position from the head whose entry stands for a Seq above `after`; the first
  // live position from `pos` on; the first position in side_ above `after`.
  std::size_t MainAbove(Seq after) const;
  std::size_t LiveFrom(std::size_t pos) const {
    while (pos < main_.size() && Dead(main_[pos])) ++pos;
    return pos;
  }
  std::size_t SideAbove(Seq after) const;
  Seq NextSlow(Cursor& cursor) const;
  void Compact();
  void MergeSide();

  std::vector<Seq> main_;   // ascending by SeqOf; dead entries are negative
  std::uint32_t head_ = 0;  // main_ before this position holds only dead entries
  std::uint32_t dead_ = 0;
  std::vector<Seq> side_;  // ascending, all live, none in main_
};

// The members in ascending order: a merge of the main and the side vector.
class SeqSet::const_iterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using iterator_concept = std::forward_iterator_tag;
  using value_type = Seq;
  using difference_type = std::ptrdiff_t;
  using pointer = const Seq*;
  using reference = Seq;

  const_iterator() = default;
  Seq operator*() const { return current_; }
  const_iterator& operator++() {
    Advance();
    return *this;
  }
  const_iterator operator++(int) {
    const_iterator before = *this;
    Advance();
    return before;
  }
  friend bool operator==(const const_iterator& a, const const_iterator& b) {
    return a.current_ == b.current_;
  }

 private:
  friend class SeqSet;
  const_iterator(const SeqSet* set, std::size_t main, std::size_t side)
      : set_(set), main_(main), side_(side) {
    Settle();
  }
  void Settle();  // current_ from the two positions
  void Advance();

  const SeqSet* set_ = nullptr;
  std::size_t main_ = 0;
  std::size_t side_ = 0;
  Seq current_ = kNoSeq;
};

}  // namespace model
