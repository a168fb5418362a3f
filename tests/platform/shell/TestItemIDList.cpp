#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/shell/ItemIDList.h"

namespace {

// A list block holding exactly these bytes (no terminator is added).
TItemIDList FromBytes(const std::vector<std::uint8_t>& bytes) {
  TItemIDList list = ILAlloc(bytes.size());
  if (list && !bytes.empty()) std::memcpy(list.Data(), bytes.data(), bytes.size());
  return list;
}

// "a" "bc" as items of kind 'x'.
TItemIDList TwoItems() {
  return FromBytes({4, 0, 'x', 'a', 5, 0, 'x', 'b', 'c', 0, 0});
}

std::vector<std::uint8_t> Bytes(TItemIDSpan list) {
  if (list.IsNil()) return {};
  return {list.Data(), list.Data() + ILGetSize(list)};
}

}  // namespace

TEST(ItemIDList, SizesCountsAndWalks) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::size_t size;
    int count;
  };
  const Case cases[] = {
      {"empty list", {0, 0}, 2, 0},
      {"two items", {4, 0, 'x', 'a', 5, 0, 'x', 'b', 'c', 0, 0}, 11, 2},
      // Stored counts that lie end the walk where they stand, never past the buffer.
      {"count of one", {4, 0, 'x', 'a', 1, 0, 'x', 0, 0}, 6, 1},
      {"count beyond the buffer", {4, 0, 'x', 'a', 200, 0, 'x', 0, 0}, 6, 1},
      {"no room for a terminator", {4, 0, 'x', 'a'}, 2, 0},
      {"a lone byte", {7}, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TItemIDList list = FromBytes(c.bytes);
    ASSERT_TRUE(list);
    EXPECT_EQ(ILGetSize(list), c.size);
    EXPECT_EQ(ILGetCount(list), c.count);
    const TItemIDList copy = ILClone(list);
    ASSERT_TRUE(copy);
    EXPECT_EQ(ILGetSize(copy), c.size);
    EXPECT_EQ(copy.Data()[c.size - 2], 0);  // the copy always ends in a terminator
    EXPECT_EQ(copy.Data()[c.size - 1], 0);
  }
  EXPECT_EQ(ILGetSize({}), 0u);
  EXPECT_EQ(ILGetCount({}), 0);
  EXPECT_TRUE(ILGetNext({}).IsNil());
}

TEST(ItemIDList, CopiesJoinsAndLastItems) {
  const TItemIDList two = TwoItems();
  const TItemIDList empty = ILAlloc(2);

  EXPECT_EQ(Bytes(ILCombine({}, two)), Bytes(two));            // a nil first list adds nothing
  EXPECT_EQ(Bytes(ILCombine(two, empty)), Bytes(two));         // nor does the empty list
  EXPECT_EQ(Bytes(ILCombine(two, {})), Bytes(two));            // a nil second list counts as empty
  EXPECT_TRUE(ILCombine({}, {}).IsNil());
  EXPECT_EQ(ILGetCount(ILCombine(two, two)), 4);

  EXPECT_EQ(Bytes(ILCloneLast(two)), (std::vector<std::uint8_t>{5, 0, 'x', 'b', 'c', 0, 0}));
  EXPECT_EQ(Bytes(ILCloneLast(empty)), Bytes(empty));
  EXPECT_EQ(Bytes(ILCloneFirst(two)), (std::vector<std::uint8_t>{4, 0, 'x', 'a', 0, 0}));
  EXPECT_TRUE(ILCloneLast({}).IsNil());

  TItemIDList shrinking = ILClone(two);
  EXPECT_TRUE(ILRemoveLastID(shrinking));
  EXPECT_EQ(ILGetCount(shrinking), 1);
  EXPECT_TRUE(ILRemoveLastID(shrinking));
  EXPECT_FALSE(ILRemoveLastID(shrinking));  // the empty list stays empty
  EXPECT_EQ(ILGetSize(shrinking), 2u);
  TItemIDList nil;
  EXPECT_FALSE(ILRemoveLastID(nil));

  EXPECT_TRUE(ILIsEqualBytes(ILClone(two), two));
  EXPECT_FALSE(ILIsEqualBytes(ILCloneFirst(two), two));
}

TEST(ItemIDList, ItemsKeepRawNameBytes) {
  const std::string name("caf\xE9\xFF", 5);  // not UTF-8
  const TItemIDList item = ILCreateItem('F', name);
  ASSERT_TRUE(item);
  EXPECT_EQ(ILGetCount(item), 1);
  EXPECT_EQ(item.Span().FirstItemPayload(), std::string("F") + name);
  EXPECT_TRUE(ILCreateItem('F', std::string(0xFFFF, 'n')).IsNil());  // beyond a 16-bit count
}

TEST(ItemIDList, RefusedAllocationsGiveNilLists) {
  EXPECT_TRUE(ILAlloc(0).IsNil());
  EXPECT_TRUE(ILAlloc(kMaxItemIDListSize + 1).IsNil());
  const TItemIDList block = ILAlloc(16);
  ASSERT_TRUE(block);
  EXPECT_TRUE(std::all_of(block.Data(), block.Data() + 16, [](std::uint8_t b) { return b == 0; }));

  // Two lists whose join would pass the limit: the join is refused, the inputs stay.
  TItemIDList big = ILAlloc(kMaxItemIDListSize / 2 + 0x10000);
  ASSERT_TRUE(big);
  std::size_t at = 0;
  while (at + 0xFFF0 + 2 <= big.Capacity()) {
    big.Data()[at] = 0xF0;
    big.Data()[at + 1] = 0xFF;
    at += 0xFFF0;
  }
  ASSERT_GT(ILGetSize(big), kMaxItemIDListSize / 2);
  EXPECT_TRUE(ILCombine(big, ILCombine(big, ILAlloc(2))).IsNil());
  EXPECT_GT(ILGetCount(big), 0);
}
