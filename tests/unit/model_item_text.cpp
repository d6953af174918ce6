// ItemText: the in-place / heap boundary, appends that cross it, texts taken from the text
// itself, moves, and NUL bytes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "model/item_text.h"

using model::ItemText;
using namespace std::string_literals;

namespace {

TEST(ItemText, HoldsAnyLengthAcrossTheInPlaceLimit) {
  for (std::size_t n : {0u, 1u, 30u, 31u, 32u, 33u, 100u, 5000u}) {
    std::string bytes(n, 'x');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>('a' + i % 26);
    ItemText text(bytes);
    EXPECT_EQ(text.size(), n);
    EXPECT_EQ(text.view(), bytes);
    EXPECT_EQ(text.empty(), n == 0);
    // Shrinking and growing in place or on the heap keeps exactly the new bytes.
    text = "short";
    EXPECT_EQ(text, "short");
    text = bytes;
    EXPECT_EQ(text.str(), bytes);
    text.clear();
    EXPECT_TRUE(text.empty());
  }
}

TEST(ItemText, AppendsAcrossTheLimitAndFromItself) {
  ItemText text;
  std::string expected;
  for (int i = 0; i < 200; ++i) {
    const std::string piece = std::to_string(i) + ",";
    text.append(piece);
    expected += piece;
    ASSERT_EQ(text.view(), expected) << "after " << i;
  }
  // A text appended to or assigned from its own bytes, in place and on the heap.
  ItemText small("abcdefghij");
  small.append(small);
  EXPECT_EQ(small, "abcdefghijabcdefghij");
  small.append(small);  // 40 bytes: moves to the heap while reading the old bytes
  EXPECT_EQ(small, "abcdefghijabcdefghijabcdefghijabcdefghij");
  small = small.view().substr(5, 10);
  EXPECT_EQ(small, "fghijabcde");
  ItemText big(std::string(64, 'q') + "tail");
  big = big.view().substr(60);
  EXPECT_EQ(big, "qqqqtail");
}

TEST(ItemText, CopiesAndMovesOwnTheirBytes) {
  const std::string long_text(40, 'L');
  for (const std::string& source : {"in place"s, long_text}) {
    ItemText a(source);
    ItemText copy(a);
    ItemText moved(std::move(a));
    EXPECT_TRUE(a.empty());  // NOLINT: a moved-from text is empty and usable
    a = "again";
    EXPECT_EQ(a, "again");
    EXPECT_EQ(copy, source);
    EXPECT_EQ(moved, source);
    copy = moved;
    moved = std::move(copy);
    EXPECT_EQ(moved, source);
    moved = std::move(moved);  // self-move keeps the text
    EXPECT_EQ(moved, source);
  }
}

TEST(ItemText, NulIsAnOrdinaryByteAndComparesByBytes) {
  const ItemText nul("a\0b"s);
  EXPECT_EQ(nul.size(), 3u);
  EXPECT_EQ(nul[1], '\0');
  EXPECT_NE(nul, "a");
  EXPECT_EQ(nul, "a\0b"s);
  EXPECT_LT(ItemText("a"), ItemText("a\0"s));
  EXPECT_LT(ItemText("ab"), "b");
  std::ostringstream out;
  out << nul;
  EXPECT_EQ(out.str(), "a\0b"s);
}

}  // namespace
