// The containers under the store: the Seq list (sorted vector with tombstones and a side
// vector) and ItemMap (the table by Seq over a pool of fixed slots), each driven by random
// operations against the standard container it stands in for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/seq_set.h"
#include "model/store.h"

using model::kNoSeq;
using model::Seq;
using model::SeqSet;

namespace {

Seq NextAbove(const std::set<Seq>& expected, Seq after) {
  auto it = expected.upper_bound(after);
  return it == expected.end() ? kNoSeq : *it;
}

// Mostly appends (as new items give), with removals in runs and at random, and inserts
// below the highest member (as moved items give), so that tombstones, compaction, the side
// vector and its merging are all met.
TEST(SeqSet, AgreesWithAStdSet) {
  std::mt19937 random(11);
  for (int round = 0; round < 4; ++round) {
    SeqSet set;
    std::set<Seq> expected;
    Seq next = 0;
    for (int step = 0; step < 6000; ++step) {
      const unsigned pick = random() % 10;
      if (pick < 4) {
        next += 1 + static_cast<Seq>(random() % 3);
        set.Insert(next);
        expected.insert(next);
      } else if (pick < 7 && next > 0) {
        const Seq seq = static_cast<Seq>(random() % static_cast<unsigned>(next + 1));
        EXPECT_EQ(set.Erase(seq), expected.erase(seq) == 1) << seq;
      } else if (pick < 8 && next > 0) {
        const Seq seq = static_cast<Seq>(random() % static_cast<unsigned>(next + 1));
        set.Insert(seq);
        expected.insert(seq);
      } else if (pick < 9) {
        // A run of the lowest members goes, as children removed in order.
        for (int i = 0; i < 20 && !expected.empty(); ++i) {
          EXPECT_TRUE(set.Erase(*expected.begin()));
          expected.erase(expected.begin());
        }
      } else {
        const Seq probe = static_cast<Seq>(random() % static_cast<unsigned>(next + 2)) - 1;
        EXPECT_EQ(set.Contains(probe), expected.contains(probe)) << probe;
        EXPECT_EQ(set.NextAfter(probe), NextAbove(expected, probe)) << probe;
      }
      ASSERT_EQ(set.Check(), "") << "step " << step;
      ASSERT_EQ(set.size(), expected.size());
      ASSERT_EQ(set.First(), expected.empty() ? kNoSeq : *expected.begin());
    }
    EXPECT_EQ(std::vector<Seq>(set.begin(), set.end()),
              std::vector<Seq>(expected.begin(), expected.end()));
  }
}

TEST(SeqSet, RefusesNegativeSeqsAndComparesByMembers) {
  SeqSet set{5, 1, 3};
  set.Insert(kNoSeq);
  set.Insert(3);
  EXPECT_FALSE(set.Erase(kNoSeq));
  EXPECT_FALSE(set.Contains(kNoSeq));
  EXPECT_EQ(set.size(), 3u);
  EXPECT_EQ(set, (SeqSet{1, 3, 5}));
  EXPECT_FALSE(set == (SeqSet{1, 3}));
  set.Clear();
  EXPECT_TRUE(set.empty());
  EXPECT_EQ(set.First(), kNoSeq);
  EXPECT_EQ(set.begin(), set.end());
}

// A cursor walk while the set changes under it: every step answers the lowest member
// above the one answered before, whatever moved meanwhile.
TEST(SeqSet, CursorWalkSurvivesChanges) {
  std::mt19937 random(5);
  SeqSet set;
  std::set<Seq> expected;
  for (Seq seq = 0; seq < 3000; seq += 2) {
    set.Insert(seq);
    expected.insert(seq);
  }
  SeqSet::Cursor cursor;
  Seq last = kNoSeq;
  int steps = 0;
  for (;;) {
    for (int i = 0; i < 3; ++i) {
      const Seq seq = static_cast<Seq>(random() % 3200);
      if (random() % 2) {
        set.Insert(seq);
        expected.insert(seq);
      } else {
        set.Erase(seq);
        expected.erase(seq);
      }
    }
    const Seq got = set.Next(cursor);
    ASSERT_EQ(got, NextAbove(expected, last)) << "step " << steps;
    if (got == kNoSeq) break;
    last = got;
    ++steps;
  }
  EXPECT_GT(steps, 100);
  // A cursor taken over by another set finds its place there.
  SeqSet other{last - 1, last + 7, last + 9};
  EXPECT_EQ(other.Next(cursor), last + 7);
}

// ItemMap through the store that fills it: appends in Seq order with gaps of removed
// items (whole blocks and pages among them), removals at random, and lookups, walks and
// item addresses checked against a std::map.
TEST(ItemMap, AgreesWithAStdMapAndKeepsAddresses) {
  model::Store store;
  store.GetOrCreateTab("T");
  std::mt19937 random(3);
  std::map<Seq, const model::Item*> expected;  // the address each item was stored at
  int made = 0;
  const auto add = [&] {
    const Seq seq =
        store.AppendItem(model::ItemText("i" + std::to_string(made++)), {}, 0, model::Item());
    expected[seq] = store.FindItemPtr(seq);
    return seq;
  };
  const auto remove = [&](Seq seq) {
    ASSERT_EQ(store.RemoveItem(store.FindItemPtr(seq)->ID()), 1);
    expected.erase(seq);
  };
  for (int step = 0; step < 5000; ++step) {
    const unsigned pick = random() % 10;
    if (pick < 5 || expected.empty()) {
      add();
    } else if (pick < 8) {
      auto it = expected.begin();
      std::advance(it, random() % expected.size());
      remove(it->first);
    } else if (pick < 9) {
      // Now and then a run longer than a page, most of it removed again at once.
      const int run = random() % 100 == 0 ? 17000 : static_cast<int>(random() % 200);
      std::vector<Seq> added;
      for (int i = 0; i < run; ++i) added.push_back(add());
      for (std::size_t i = 0; i + 1 < added.size(); ++i) remove(added[i]);
    } else {
      const Seq probe = static_cast<Seq>(random() % static_cast<unsigned>(store.NextSeq() + 1)) - 1;
      auto it = expected.find(probe);
      EXPECT_EQ(store.FindItemPtr(probe), it == expected.end() ? nullptr : it->second) << probe;
      auto above = expected.upper_bound(probe);
      EXPECT_EQ(store.NextItemAfter(probe), above == expected.end() ? kNoSeq : above->first);
    }
    if (step % 1000 == 0) {
      ASSERT_EQ(store.CheckInvariants(), "") << "step " << step;
    }
    ASSERT_EQ(store.Items().size(), expected.size());
  }
  ASSERT_EQ(store.CheckInvariants(), "");
  std::vector<Seq> walked;
  for (const auto& [seq, item] : store.Items()) {
    EXPECT_EQ(item.Seq(), seq);
    EXPECT_EQ(&item, expected[seq]);
    walked.push_back(seq);
  }
  EXPECT_EQ(walked.size(), expected.size());
  EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end()));
  EXPECT_EQ(store.FirstItem(), expected.empty() ? kNoSeq : expected.begin()->first);
}

}  // namespace
