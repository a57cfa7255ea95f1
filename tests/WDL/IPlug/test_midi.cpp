#include "WDL/IPlug/IPlugStructs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

IMidiMsg Msg(uint8_t status, uint8_t d1 = 0, uint8_t d2 = 0) {
  return IMidiMsg(0, status, d1, d2);
}

TEST(IMidiMsg, ReadersByKind) {
  struct Case {
    uint8_t status;
    IMidiMsg::EStatusMsg kind;
    int note, velocity, polyAT, chanAT, program;
    double cc1, wheel;
  };
  // Data bytes are 0x41 and 0x22 throughout.
  const Case cases[] = {
      {0x00, IMidiMsg::kNone, -1, -1, -1, -1, -1, -1.0, 0.0},
      {0x7F, IMidiMsg::kNone, -1, -1, -1, -1, -1, -1.0, 0.0},
      {0xF8, IMidiMsg::kNone, -1, -1, -1, -1, -1, -1.0, 0.0},
      {0x83, IMidiMsg::kNoteOff, 0x41, 0x22, -1, -1, -1, -1.0, 0.0},
      {0x9F, IMidiMsg::kNoteOn, 0x41, 0x22, -1, -1, -1, -1.0, 0.0},
      {0xA0, IMidiMsg::kPolyAftertouch, 0x41, -1, 0x22, -1, -1, -1.0, 0.0},
      {0xB1, IMidiMsg::kControlChange, -1, -1, -1, -1, -1, -1.0, 0.0},
      {0xC0, IMidiMsg::kProgramChange, -1, -1, -1, -1, 0x41, -1.0, 0.0},
      {0xD0, IMidiMsg::kChannelAftertouch, -1, -1, -1, 0x41, -1, -1.0, 0.0},
      {0xE0, IMidiMsg::kPitchWheel, -1, -1, -1, -1, -1, -1.0, (0x22 * 128 + 0x41 - 8192) / 8192.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    IMidiMsg m = Msg(c.status, 0x41, 0x22);
    EXPECT_EQ(m.StatusMsg(), c.kind);
    EXPECT_EQ(m.Channel(), c.status & 0x0F);
    EXPECT_EQ(m.NoteNumber(), c.note);
    EXPECT_EQ(m.Velocity(), c.velocity);
    EXPECT_EQ(m.PolyAfterTouch(), c.polyAT);
    EXPECT_EQ(m.ChannelAfterTouch(), c.chanAT);
    EXPECT_EQ(m.Program(), c.program);
    EXPECT_EQ(m.ControlChange(IMidiMsg::kModWheel), c.cc1);
    EXPECT_DOUBLE_EQ(m.PitchWheel(), c.wheel);
    EXPECT_EQ(m.ControlChangeIdx(), 0x41);
  }
}

TEST(IMidiMsg, Makers) {
  IMidiMsg m(7, 1, 2, 3);
  m.MakeNoteOnMsg(60, 0, 12, 2);
  EXPECT_EQ(m.mStatus, 0x92);
  EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNoteOn); // velocity 0 stays a note on
  EXPECT_EQ(m.Velocity(), 0);
  EXPECT_EQ(m.mOffset, 12);

  m.MakeNoteOffMsg(300, 5, 15); // low 8 bits only
  EXPECT_EQ(m.mStatus, 0x8F);
  EXPECT_EQ(m.mData1, 300 & 0xFF);
  EXPECT_EQ(m.mData2, 0);
  EXPECT_EQ(m.mOffset, 5);

  m.MakeControlChangeMsg(IMidiMsg::kChannelVolume, 1.0, 0);
  EXPECT_EQ(m.mStatus, 0xB0);
  EXPECT_EQ(m.mData2, 127);
  EXPECT_DOUBLE_EQ(m.ControlChange(IMidiMsg::kChannelVolume), 1.0);
  EXPECT_EQ(m.ControlChange(IMidiMsg::kModWheel), -1.0);
  m.MakeControlChangeMsg(IMidiMsg::kModWheel, 0.5, 0);
  EXPECT_EQ(m.mData2, 63);
  EXPECT_EQ(m.mOffset, 0);
}

TEST(IMidiMsg, PitchWheelEncoding) {
  struct Case {
    double value;
    uint8_t d1, d2;
  };
  const Case cases[] = {{1.0, 127, 127}, {-1.0, 0, 0},    {0.0, 0, 64},
                        {-2.0, 0, 0},    {5.0, 127, 127}, {1e300, 127, 127},
                        {-1e300, 0, 0},  {NAN, 0, 64},    {0.5, 0, 96}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    IMidiMsg m(9, 9, 9, 9);
    m.MakePitchWheelMsg(c.value, 3);
    EXPECT_EQ(m.mStatus, 0xE3);
    EXPECT_EQ(m.mData1, c.d1);
    EXPECT_EQ(m.mData2, c.d2);
    EXPECT_EQ(m.mOffset, 0);
  }
  IMidiMsg m;
  m.MakePitchWheelMsg(0.0, 0);
  EXPECT_EQ(m.PitchWheel(), 0.0);
  m.MakePitchWheelMsg(1.0, 0);
  EXPECT_EQ(m.PitchWheel(), 8191.0 / 8192.0);
}

TEST(IMidiMsg, StatusNames) {
  const std::pair<int, const char*> cases[] = {{0, "none"},
                                               {8, "noteoff"},
                                               {9, "noteon"},
                                               {10, "aftertouch"},
                                               {11, "controlchange"},
                                               {12, "programchange"},
                                               {13, "channelaftertouch"},
                                               {14, "pitchwheel"},
                                               {1, "unknown"},
                                               {15, "unknown"}};
  for (const auto& c : cases) EXPECT_STREQ(StatusMsgStr((IMidiMsg::EStatusMsg)c.first), c.second);
}

TEST(SysExStr, FitsTheBuffer) {
  const uint8_t bytes[] = {0xF0, 0x01, 0x02, 0x03};
  struct Case {
    int maxlen;
    const uint8_t* data;
    int size;
    const char* want;
  };
  const Case cases[] = {
      {10, bytes, 4, "F0 01 02"}, {5, bytes, 4, "F0"}, {12, bytes, 4, "F0 01 02 03"},
      {9, bytes, 4, "F0 01 02"},  {3, bytes, 4, "F0"}, {64, bytes, 0, ""},
      {64, nullptr, 4, ""},       {64, bytes, -3, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.maxlen);
    // Guard bytes around the region the call may use.
    char buf[80];
    memset(buf, '#', sizeof(buf));
    char* str = buf + 8;
    EXPECT_EQ(SysExStr(str, c.maxlen, c.data, c.size), str);
    EXPECT_STREQ(str, c.want);
    for (int i = c.maxlen; i < 72; ++i) ASSERT_EQ(str[i], '#') << "wrote past maxlen at " << i;
    for (int i = 0; i < 8; ++i) ASSERT_EQ(buf[i], '#');
  }
}

TEST(SysExStrDeathTest, RejectsTinyBuffer) {
  char buf[4];
  const uint8_t b = 0xF0;
  EXPECT_DEATH(SysExStr(buf, 2, &b, 1), "str != NULL && maxlen >= 3");
  EXPECT_DEATH(SysExStr(nullptr, 10, &b, 1), "str != NULL && maxlen >= 3");
}

TEST(Records, Defaults) {
  ITimeInfo t;
  EXPECT_EQ(t.mTempo, 120.0);
  for (double pos : {t.mSamplePos, t.mPPQPos, t.mLastBar, t.mCycleStart, t.mCycleEnd})
    EXPECT_EQ(pos, -1.0);
  EXPECT_EQ(t.mNumerator, 4);
  EXPECT_EQ(t.mDenominator, 4);
  EXPECT_FALSE(t.mTransportIsRunning);
  EXPECT_FALSE(t.mTransportLoopEnabled);

  const uint8_t b[] = {1, 2};
  ISysEx s(3, b, 2);
  EXPECT_EQ(s.mData, b);
  s.Clear();
  EXPECT_EQ(s.mOffset, 0);
  EXPECT_EQ(s.mSize, 0);
  EXPECT_EQ(s.mData, nullptr);
}

} // namespace
