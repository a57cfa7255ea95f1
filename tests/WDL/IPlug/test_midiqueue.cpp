#include "WDL/IPlug/IMidiQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Adds a note on whose first data byte tags the message, so order can be checked.
void AddTagged(IMidiQueue& q, int offset, int tag) {
  IMidiMsg m(offset, 0x90, (uint8_t)tag, 100);
  q.Add(&m);
}

// Removes everything, returning the tags front to back.
std::vector<int> Drain(IMidiQueue& q) {
  std::vector<int> tags;
  while (!q.Empty()) {
    tags.push_back(q.Peek()->mData1);
    q.Remove();
  }
  return tags;
}

TEST(IMidiQueue, OrdersByOffsetStableForEqualOffsets) {
  struct Case {
    std::vector<int> offsets; // tag = position in this list
    std::vector<int> order;
  };
  const Case cases[] = {
      {{5, 3, 5, 3}, {1, 3, 0, 2}},
      {{10, 20, 30, 0}, {3, 0, 1, 2}},
      {{1, 1, 1}, {0, 1, 2}},
      {{9, 8, 7, 6}, {3, 2, 1, 0}},
      {{0, 5, 2, 5, 2, 9}, {0, 2, 4, 1, 3, 5}},
  };
  for (const Case& c : cases) {
    IMidiQueue q(1024);
    for (size_t i = 0; i < c.offsets.size(); ++i) AddTagged(q, c.offsets[i], (int)i);
    EXPECT_EQ(Drain(q), c.order);
  }
}

TEST(IMidiQueue, PageRounding) {
  const std::pair<int, int> cases[] = {{0, 0},       {1, 512},     {512, 512}, {513, 1024},
                                       {1000, 1024}, {1024, 1024}, {-5, 0}};
  for (const auto& c : cases) {
    IMidiQueue q(c.first);
    EXPECT_EQ(q.GetSize(), c.second) << c.first;
    EXPECT_EQ(q.GetGrowStep(), c.second) << c.first;
  }
}

TEST(IMidiQueue, GrowsWhenFullAndCompactsAfterRemoval) {
  IMidiQueue q(1024);
  for (int i = 0; i < 1024; ++i) AddTagged(q, i, i & 0x7F);
  EXPECT_EQ(q.GetSize(), 1024);
  AddTagged(q, 2000, 1);
  EXPECT_EQ(q.GetSize(), 2048);
  EXPECT_EQ(Drain(q).size(), 1025u);

  IMidiQueue r(512);
  for (int i = 0; i < 512; ++i) AddTagged(r, i, 0);
  r.Remove();
  r.Remove();
  AddTagged(r, 600, 1);
  AddTagged(r, 1, 2); // earlier than everything left: goes to the front
  EXPECT_EQ(r.GetSize(), 512);
  EXPECT_EQ(r.Peek()->mData1, 2);
  EXPECT_EQ(r.Peek()->mOffset, 1);
}

TEST(IMidiQueue, ZeroSizeDropsUntilResized) {
  IMidiQueue q(0);
  AddTagged(q, 0, 1);
  EXPECT_TRUE(q.Empty());
  EXPECT_EQ(q.Resize(3), 512);
  AddTagged(q, 0, 1);
  EXPECT_FALSE(q.Empty());
}

TEST(IMidiQueue, FlushShiftsIntoNextBlock) {
  IMidiQueue q(512);
  AddTagged(q, 100, 1);
  AddTagged(q, 300, 2);
  q.Remove();
  q.Flush(256);
  ASSERT_FALSE(q.Empty());
  EXPECT_EQ(q.Peek()->mOffset, 44);
  EXPECT_EQ(q.Peek()->mData1, 2);
  q.Remove();
  EXPECT_TRUE(q.Empty());
  q.Flush(256); // front above 0 on an empty queue: both indices back to 0
  EXPECT_TRUE(q.Empty());
  // After the reset the whole array is usable again without growing.
  for (int i = 0; i < 512; ++i) AddTagged(q, i, 0);
  EXPECT_EQ(q.GetSize(), 512);
}

TEST(IMidiQueue, ResizeKeepsQueuedMessages) {
  IMidiQueue q(1024);
  for (int i = 0; i < 601; ++i) AddTagged(q, i, i & 0x7F);
  q.Remove(); // 600 left, front above 0
  EXPECT_EQ(q.Resize(512), 1024);
  EXPECT_EQ(q.GetGrowStep(), 512);
  EXPECT_EQ(q.Resize(1000), 1024); // same capacity: nothing to do
  int expect = 1;
  while (!q.Empty()) {
    ASSERT_EQ(q.Peek()->mOffset, expect);
    ++expect;
    q.Remove();
  }
  EXPECT_EQ(expect, 601);
}

TEST(IMidiQueue, ResizeDownAndToZero) {
  IMidiQueue q(4096);
  AddTagged(q, 0, 1);
  EXPECT_EQ(q.Resize(100), 512);
  EXPECT_EQ(q.Peek()->mData1, 1);
  EXPECT_EQ(q.Resize(0), 512); // still holds one message
  q.Remove();
  EXPECT_EQ(q.Resize(0), 0); // empty: the block is freed
  EXPECT_EQ(q.GetSize(), 0);
  AddTagged(q, 0, 1); // growth step 0: dropped, and no use of the freed block
  EXPECT_TRUE(q.Empty());
  q.Flush(10);
  EXPECT_EQ(q.Resize(-7), 0);
  EXPECT_EQ(q.Resize(1), 512);
  AddTagged(q, 4, 3);
  EXPECT_EQ(q.Peek()->mOffset, 4);
}

} // namespace
