// Sequences of facade operations decoded from bytes (a fuzzer's input or a seeded random
// generator's), applied to the facade or to the reference model (support/reference_list.h)
// through the same members, each answering what its getters gave as one text.
//
// Records are built from the record keys with small vocabularies of IDs, tabs and numbers
// (so that parents, duplicates and bounds are hit often), mangled case, both signs, stray
// text and END; texts of other puts come from the same vocabularies or from the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "control/tabbed_list.h"

namespace testing_support {

struct FacadeOp {
  enum class Kind : std::uint8_t {
    kAddItem,
    kAddItemList,
    kPutText,
    kPutNumber,
    kGetAll,
    kItemString,
    kFirstItem,
    kNextItem,
    kFirstChild,
    kNextChild,
    kDeleteItem,
    kDeleteChildren,
    kDeleteTab,
    kDeleteAll,
    kSelectMultiple,
    kFirstSelected,
    kNextSelected,
    kPutDelimiter,
    kPutDisplayStyle,
    kTabPic,
    kCount,
    // Only on the facade with views (not modelled by the reference).
    kRefresh = kCount,
    kSelectedTab,
    kSelectedItem,
    kPutSelect,
    kExpandAll,
    kPutSorted,
    kAllCount
  };
  Kind kind = Kind::kGetAll;
  std::uint8_t field = 0;  // which property of kPutText / kPutNumber
  std::string id;          // item ID or tab name
  std::string text;        // record(s) or value
  std::int32_t value = 0;
  std::int32_t value2 = 0;
};

// Up to `max_ops` operations; with `views`, also the view operations.
std::vector<FacadeOp> DecodeFacadeOps(const std::uint8_t* data, std::size_t size, bool views,
                                      std::size_t max_ops = 200);

// Applies `op` to a facade or to the reference; the answer of its getters.
template <class List>
std::string ApplyFacadeOp(List& list, const FacadeOp& op);

// The ops applied to a fresh facade (without views) and a fresh reference: empty when they
// agree on every answer and every state after each op, else the first difference, with the
// operations up to it.
std::string DifferentialDisagreement(const std::vector<FacadeOp>& ops);

// A readable line for an op, for reports.
std::string Describe(const FacadeOp& op);

}  // namespace testing_support
