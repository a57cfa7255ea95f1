#include "WDL/IPlug/IMidiQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The first data byte tags each message so that order can be checked.
void Add(IMidiQueue& q, int offset, int tag = 0) {
  IMidiMsg m(offset, 0x90, (uint8_t)tag, 100);
  q.Add(&m);
}

std::vector<int> DrainTags(IMidiQueue& q) {
  std::vector<int> tags;
  for (; !q.Empty(); q.Remove()) tags.push_back(q.Peek()->mData1);
  return tags;
}

TEST(IMidiQueue, OrdersByOffsetStableForEqualOffsets) {
  const struct {
    std::vector<int> offsets; // tag = index in this list
    std::vector<int> order;
  } cases[] = {{{5, 3, 5, 3}, {1, 3, 0, 2}},
               {{10, 20, 30, 0}, {3, 0, 1, 2}},
               {{9, 8, 7, 6}, {3, 2, 1, 0}},
               {{0, 5, 2, 5, 2, 9}, {0, 2, 4, 1, 3, 5}}};
  for (const auto& c : cases) {
    IMidiQueue q(1024);
    for (size_t i = 0; i < c.offsets.size(); ++i) Add(q, c.offsets[i], (int)i);
    EXPECT_EQ(DrainTags(q), c.order);
  }
}

TEST(IMidiQueue, GrowsOnlyWhenNothingWasConsumed) {
  IMidiQueue q(1000); // rounded up to two pages of 512
  EXPECT_EQ(q.GetSize(), 1024);
  for (int i = 0; i < 1025; ++i) Add(q, i);
  EXPECT_EQ(q.GetSize(), 2048);
  EXPECT_EQ(DrainTags(q).size(), 1025u);

  IMidiQueue r(512);
  for (int i = 0; i < 512; ++i) Add(r, i);
  r.Remove();
  Add(r, 0, 7); // full: compacts instead of growing
  EXPECT_EQ(r.GetSize(), 512);
  EXPECT_EQ(r.Peek()->mData1, 7);

  // Re-adding its own front message while the block grows, then while it is compacted.
  for (int removed : {0, 2}) {
    IMidiQueue s(512);
    for (int i = 0; i < 512; ++i) Add(s, i);
    for (int i = 0; i < removed; ++i) s.Remove();
    s.Add(s.Peek());
    s.Remove();
    EXPECT_EQ(s.Peek()->mOffset, removed);
    s.Remove();
    EXPECT_EQ(s.Peek()->mOffset, removed + 1);
  }
}

TEST(IMidiQueue, Flush) {
  IMidiQueue q(512);
  Add(q, 100, 1);
  Add(q, 300, 2);
  q.Remove();
  q.Flush(256);
  EXPECT_EQ(q.Peek()->mOffset, 44);
  q.Remove();
  q.Flush(256); // empty with front above 0: the whole array is free again
  for (int i = 0; i < 512; ++i) Add(q, i);
  EXPECT_EQ(q.GetSize(), 512);
}

TEST(IMidiQueue, ResizeDownKeepsQueuedMessages) {
  IMidiQueue q(1024);
  for (int i = 0; i < 601; ++i) Add(q, i);
  q.Remove(); // 600 left
  EXPECT_EQ(q.Resize(512), 1024);
  EXPECT_EQ(q.GetGrowStep(), 512);
  EXPECT_EQ(q.Resize(1000), 1024);
  for (int want = 1; want <= 600; ++want, q.Remove()) ASSERT_EQ(q.Peek()->mOffset, want);
  EXPECT_TRUE(q.Empty());
  EXPECT_EQ(q.Resize(100), 512);
}

TEST(IMidiQueue, ResizeToZeroFreesAndDrops) {
  IMidiQueue q(4096);
  Add(q, 0);
  EXPECT_EQ(q.Resize(0), 512); // still holds a message
  q.Remove();
  EXPECT_EQ(q.Resize(0), 0); // empty: the block is freed (ASan sees any later use)
  Add(q, 0);                 // growth step 0: dropped
  EXPECT_TRUE(q.Empty());
  EXPECT_EQ(q.Resize(-7), 0);
  IMidiQueue z(0); // the same state from construction
  Add(z, 0);
  EXPECT_TRUE(z.Empty());
  EXPECT_EQ(z.Resize(1), 512);
  Add(z, 4);
  EXPECT_EQ(z.Peek()->mOffset, 4);
}

} // namespace
