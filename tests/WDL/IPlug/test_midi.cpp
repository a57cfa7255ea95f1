#include "WDL/IPlug/IPlugStructs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

TEST(IMidiMsg, ReadersByKind) {
  // Data bytes 0x41 and 0x22; -1 where the reader does not apply to the kind.
  const struct {
    uint8_t status;
    int kind, note, velocity, polyAT, chanAT, program;
    double wheel, cc;
  } cases[] = {{0x7F, 0, -1, -1, -1, -1, -1, 0.0, -1.0},
               {0xF8, 0, -1, -1, -1, -1, -1, 0.0, -1.0},
               {0x83, 8, 0x41, 0x22, -1, -1, -1, 0.0, -1.0},
               {0x9F, 9, 0x41, 0x22, -1, -1, -1, 0.0, -1.0},
               {0xA0, 10, 0x41, -1, 0x22, -1, -1, 0.0, -1.0},
               {0xB0, 11, -1, -1, -1, -1, -1, 0.0, 0x22 / 127.0},
               {0xC0, 12, -1, -1, -1, -1, 0x41, 0.0, -1.0},
               {0xD0, 13, -1, -1, -1, 0x41, -1, 0.0, -1.0},
               {0xE0, 14, -1, -1, -1, -1, -1, (0x22 * 128 + 0x41 - 8192) / 8192.0, -1.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    const IMidiMsg m(0, c.status, 0x41, 0x22);
    EXPECT_EQ((std::vector<int>{m.StatusMsg(), m.NoteNumber(), m.Velocity(), m.PolyAfterTouch(),
                                m.ChannelAfterTouch(), m.Program()}),
              (std::vector<int>{c.kind, c.note, c.velocity, c.polyAT, c.chanAT, c.program}));
    EXPECT_DOUBLE_EQ(m.PitchWheel(), c.wheel);
    EXPECT_DOUBLE_EQ(m.ControlChange(IMidiMsg::EControlChangeMsg(0x41)), c.cc);
    EXPECT_EQ(m.ControlChange(IMidiMsg::kModWheel), -1.0);
  }
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kChannelAftertouch), "channelaftertouch");
  // Bytes from outside may use all eight bits; the enums must hold any of them.
  const IMidiMsg cc(0, 0xB0, 200, 127);
  EXPECT_EQ(cc.ControlChangeIdx(), IMidiMsg::EControlChangeMsg(200));
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::EStatusMsg(200)), "unknown");
}

TEST(IMidiMsg, Makers) {
  IMidiMsg m(7, 1, 2, 3);
  m.MakeNoteOnMsg(60, 0, 12, 2);
  EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNoteOn); // velocity 0 stays a note on
  EXPECT_TRUE(m.mStatus == 0x92 && m.mOffset == 12);
  m.MakeNoteOffMsg(300, 5, 15); // low 8 bits only
  EXPECT_TRUE(m.mStatus == 0x8F && m.mData1 == (300 & 0xFF) && m.mData2 == 0);
  m.MakeControlChangeMsg(IMidiMsg::kModWheel, 0.5, 0);
  EXPECT_TRUE(m.mData2 == 63 && m.mOffset == 0);
  // Pitch wheel: clamped to [-1, 1], NaN as the centre.
  const std::tuple<double, uint8_t, uint8_t> wheel[] = {
      {1.0, 127, 127}, {-1.0, 0, 0},      {0.0, 0, 64},   {0.5, 0, 96},
      {-2.0, 0, 0},    {1e300, 127, 127}, {-1e300, 0, 0}, {NAN, 0, 64}};
  for (const auto& [value, d1, d2] : wheel) {
    m.MakePitchWheelMsg(value, 3);
    EXPECT_EQ(m.mStatus, 0xE3);
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
