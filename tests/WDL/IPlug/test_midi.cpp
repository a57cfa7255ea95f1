#include "WDL/IPlug/IMidiQueue.h"
#include "WDL/IPlug/IPlugStructs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

TEST(IMidiMsg, ReadersByKindAndMakers) {
  // Data bytes 0x41 and 0x22: status, then kind, note, velocity, poly and channel aftertouch,
  // program (-1 where the reader does not apply to the kind), pitch wheel, controller 0x41.
  const std::tuple<uint8_t, std::vector<int>, double, double> cases[] = {
      {0x7F, {0, -1, -1, -1, -1, -1}, 0.0, -1.0},
      {0xF8, {0, -1, -1, -1, -1, -1}, 0.0, -1.0},
      {0x83, {8, 0x41, 0x22, -1, -1, -1}, 0.0, -1.0},
      {0x9F, {9, 0x41, 0x22, -1, -1, -1}, 0.0, -1.0},
      {0xA0, {10, 0x41, -1, 0x22, -1, -1}, 0.0, -1.0},
      {0xB0, {11, -1, -1, -1, -1, -1}, 0.0, 0x22 / 127.0},
      {0xC0, {12, -1, -1, -1, -1, 0x41}, 0.0, -1.0},
      {0xD0, {13, -1, -1, -1, 0x41, -1}, 0.0, -1.0},
      {0xE0, {14, -1, -1, -1, -1, -1}, (0x22 * 128 + 0x41 - 8192) / 8192.0, -1.0}};
  for (const auto& [status, ints, wheel, cc] : cases) {
    SCOPED_TRACE(status);
    const IMidiMsg m(0, status, 0x41, 0x22);
    EXPECT_EQ((std::vector<int>{m.StatusMsg(), m.NoteNumber(), m.Velocity(), m.PolyAfterTouch(),
                                m.ChannelAfterTouch(), m.Program()}),
              ints);
    EXPECT_DOUBLE_EQ(m.PitchWheel(), wheel);
    EXPECT_DOUBLE_EQ(m.ControlChange(IMidiMsg::EControlChangeMsg(0x41)), cc);
    EXPECT_EQ(m.ControlChange(IMidiMsg::kModWheel), -1.0);
  }
  // Bytes from outside may use all eight bits; the enums must hold any of them.
  const IMidiMsg cc(0, 0xB0, 200, 127);
  EXPECT_EQ(cc.ControlChangeIdx(), IMidiMsg::EControlChangeMsg(200));
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::EStatusMsg(200)), "unknown");

  IMidiMsg m(7, 1, 2, 3);
  m.MakeNoteOnMsg(60, 0, 12, 2);
  EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNoteOn); // velocity 0 stays a note on
  EXPECT_EQ(m.mStatus, 0x92);
  EXPECT_EQ(m.mOffset, 12);
  m.MakeNoteOffMsg(300, 5, 15); // low 8 bits only
  EXPECT_EQ(m.mStatus, 0x8F);
  EXPECT_EQ(m.mData1, 300 & 0xFF);
  EXPECT_EQ(m.mData2, 0);
  m.MakeControlChangeMsg(IMidiMsg::kModWheel, 0.5, 0);
  EXPECT_EQ(m.mData2, 63);
  EXPECT_EQ(m.mOffset, 0);
  // Pitch wheel: clamped to [-1, 1], NaN as the centre.
  const std::tuple<double, uint8_t, uint8_t> wheel[] = {
      {1.0, 127, 127}, {-1.0, 0, 0},      {0.0, 0, 64},   {0.5, 0, 96},
      {-2.0, 0, 0},    {1e300, 127, 127}, {-1e300, 0, 0}, {NAN, 0, 64}};
  for (const auto& [value, d1, d2] : wheel) {
    m.MakePitchWheelMsg(value, 3);
    EXPECT_EQ(m.mStatus, 0xE3) << value;
    EXPECT_EQ(m.mData1, d1) << value;
    EXPECT_EQ(m.mData2, d2) << value;
  }
}

TEST(SysExStrDeathTest, NeverWritesPastMaxlenAndStopsOnTinyBuffer) {
  const uint8_t bytes[] = {0xF0, 0x01, 0x02, 0x03};
  const std::tuple<int, const uint8_t*, int, const char*> cases[] = {
      {10, bytes, 4, "F0 01 02"}, {9, bytes, 4, "F0 01 02"}, {12, bytes, 4, "F0 01 02 03"},
      {5, bytes, 4, "F0"},        {3, bytes, 4, "F0"},       {64, bytes, 0, ""},
      {64, nullptr, 4, ""},       {64, bytes, -3, ""}};
  for (const auto& [maxlen, data, size, want] : cases) {
    char buf[72];
    memset(buf, '#', sizeof(buf));
    EXPECT_EQ(SysExStr(buf, maxlen, data, size), buf);
    EXPECT_STREQ(buf, want);
    for (int i = maxlen; i < 72; ++i) ASSERT_EQ(buf[i], '#') << maxlen << " wrote at " << i;
  }
  char buf[4];
  EXPECT_DEATH(SysExStr(buf, 2, bytes, 1), "str != NULL && maxlen >= 3");
  EXPECT_DEATH(SysExStr(nullptr, 10, bytes, 1), "str != NULL && maxlen >= 3");
}

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
  for (int removed : {0, 1, 2}) {
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

// TryAdd keeps to what is reserved: compacts when something was removed, else refuses.
TEST(IMidiQueue, TryAddNeverGrows) {
  IMidiQueue q(512);
  for (int i = 0; i < 512; ++i) {
    IMidiMsg m(i, 0x90, 60, 100);
    ASSERT_TRUE(q.TryAdd(&m));
  }
  IMidiMsg late(600, 0x80, 60, 0);
  EXPECT_FALSE(q.TryAdd(&late));
  EXPECT_EQ(q.GetSize(), 512);
  q.Remove();
  EXPECT_TRUE(q.TryAdd(&late));
  EXPECT_EQ(q.GetSize(), 512);
  EXPECT_EQ(q.Peek()->mOffset, 1);
}

// (offset, tag) of every message, front to back; the queue is empty afterwards.
std::vector<std::pair<int, int>> Drain(IMidiQueue& q) {
  std::vector<std::pair<int, int>> got;
  for (; !q.Empty(); q.Remove()) got.emplace_back(q.Peek()->mOffset, q.Peek()->mData1);
  return got;
}

bool TryAdd(IMidiQueue& q, int offset, int tag) {
  IMidiMsg m(offset, 0x90, (uint8_t)tag, 100);
  return q.TryAdd(&m);
}

// What was removed stays behind the front until compaction: messages added afterwards, even
// earlier ones, sort among what is still queued only, and never in front of the front.
TEST(IMidiQueue, MessagesAddedAfterRemovalsAndAfterRunningEmpty) {
  using Got = std::vector<std::pair<int, int>>;
  IMidiQueue q(512);
  Add(q, 50, 1);
  Add(q, 70, 2);
  q.Remove();
  Add(q, 10, 3); // earlier than the removed 50
  Add(q, 70, 4);
  EXPECT_EQ(Drain(q), (Got{{10, 3}, {70, 2}, {70, 4}}));
  // Empty, the last removed entry (70) still in the array behind the front.
  Add(q, 40, 5);
  Add(q, 30, 6);
  Add(q, 40, 7);
  EXPECT_EQ(q.Peek()->mOffset, 30);
  q.Remove();
  q.Flush(25);
  Add(q, 0, 8);
  Add(q, 15, 9);
  EXPECT_EQ(Drain(q), (Got{{0, 8}, {15, 5}, {15, 7}, {15, 9}}));
  q.Flush(100); // empty: nothing moves
  EXPECT_TRUE(q.Empty());
  EXPECT_TRUE(TryAdd(q, 5, 10));
  EXPECT_TRUE(TryAdd(q, 3, 11));
  EXPECT_EQ(Drain(q), (Got{{3, 11}, {5, 10}}));
  EXPECT_EQ(q.GetSize(), 512);

  // Run empty at full capacity: the next messages reuse the array, never growing it.
  IMidiQueue full(512);
  for (int i = 0; i < 512; ++i) ASSERT_TRUE(TryAdd(full, i, i % 128));
  EXPECT_EQ(Drain(full).size(), 512u);
  EXPECT_TRUE(TryAdd(full, 7, 1));
  EXPECT_TRUE(TryAdd(full, 2, 2));
  Add(full, 2, 3);
  EXPECT_EQ(full.GetSize(), 512);
  EXPECT_EQ(Drain(full), (Got{{2, 2}, {2, 3}, {7, 1}}));
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
  z.Remove();
  z.Remove(); // on an empty queue: nothing
  EXPECT_TRUE(z.Empty());
  Add(z, 9);
  EXPECT_EQ(z.Peek()->mOffset, 9);
}
