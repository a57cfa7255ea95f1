#include "WDL/IPlug/IMidiQueue.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST(IMidiQueue, OrdersByOffsetStableForEqualOffsetsAndGrows) {
  // Offsets in adding order (tag = position in that order), then the tags front to back.
  const std::pair<std::vector<int>, std::vector<int>> cases[] = {{{5, 3, 5, 3}, {1, 3, 0, 2}},
                                                                 {{10, 20, 30, 0}, {3, 0, 1, 2}}};
  for (const auto& [offsets, order] : cases) {
    IMidiQueue q(1024);
    for (size_t i = 0; i < offsets.size(); ++i) Add(q, offsets[i], (int)i);
    EXPECT_EQ(DrainTags(q), order);
  }

  IMidiQueue q(1000); // rounded up to two pages of 512
  EXPECT_EQ(q.GetSize(), 1024);
  for (int i = 0; i < 1025; ++i) Add(q, i);
  EXPECT_EQ(q.GetSize(), 2048);
  EXPECT_EQ(DrainTags(q).size(), 1025u);

  // Full with consumed entries: compacts instead of growing. The message re-added is
  // one of the queue's own, which growth or compaction moves.
  for (int removed : {0, 2}) {
    IMidiQueue s(512);
    for (int i = 0; i < 512; ++i) Add(s, i);
    for (int i = 0; i < removed; ++i) s.Remove();
    s.Add(s.Peek());
    EXPECT_EQ(s.GetSize(), removed ? 512 : 1024);
    s.Remove();
    EXPECT_EQ(s.Peek()->mOffset, removed);
    s.Remove();
    EXPECT_EQ(s.Peek()->mOffset, removed + 1);
  }
}

TEST(IMidiQueue, FlushAndResize) {
  IMidiQueue q(1024);
  Add(q, 100);
  Add(q, 300);
  q.Remove();
  q.Flush(256);
  EXPECT_EQ(q.Peek()->mOffset, 44);
  for (int i = 0; i < 600; ++i) Add(q, 1000 + i);
  q.Remove();                     // 600 left, front above 0
  EXPECT_EQ(q.Resize(512), 1024); // never below what is queued
  EXPECT_EQ(q.GetGrowStep(), 512);
  for (int want = 1000; want < 1600; ++want, q.Remove()) ASSERT_EQ(q.Peek()->mOffset, want);
  q.Flush(0); // empty with front above 0: the whole array is free again
  EXPECT_EQ(q.Resize(100), 512);
  for (int i = 0; i < 512; ++i) Add(q, i);
  EXPECT_EQ(q.GetSize(), 512);

  Add(q, 0);
  EXPECT_EQ(q.Resize(0), 1024); // still holds messages
  while (!q.Empty()) q.Remove();
  EXPECT_EQ(q.Resize(-7), 0); // empty: the block is freed (ASan sees any later use)
  IMidiQueue z(0);            // the same state from construction
  for (IMidiQueue* p : {&q, &z}) {
    Add(*p, 0); // growth step 0: dropped
    EXPECT_TRUE(p->Empty());
    EXPECT_EQ(p->Resize(1), 512);
    Add(*p, 4);
    EXPECT_EQ(p->Peek()->mOffset, 4);
  }
}
