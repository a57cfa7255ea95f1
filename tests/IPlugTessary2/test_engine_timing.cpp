// Ticks and samples, the loop's geometry, the bar-count change and the tempo follow.

#include "engine_double.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

// An engine whose timing is derived from the given rate and tempo.
struct Timed : TestEngine {
  Timed(double rate, double tempo) : TestEngine(rate) {
    srand(1);
    hostTempo = tempo;
    Reset();
  }
};

TEST(EngineTiming, ConversionsAtSeveralRates) {
  struct Row {
    double rate, tempo;
    int spb;
    int ticks, frames;  // ConvertTicksToFrames(ticks) == frames
    int back, backTick; // ConvertFramesToTicks(back) == backTick
  };
  const Row rows[] = {
      {44100, 120, 22050, 30, 5512, 5512, 30}, {44100, 120, 22050, 1, 183, 91, 0},
      {44100, 120, 22050, 1, 183, 92, 1},      {44100, 120, 22050, -1, -184, -92, -1},
      {48000, 120, 24000, 1, 200, 100, 1},     {48000, 120, 24000, -1, -200, -100, -1},
      {44100, 64, 41343, 480, 165372, 344, 1}, {44100, 120.5, 21958, 120, 21958, 21958, 120},
      {96000, 60, 96000, 7, 5600, 399, 0},     {44100, 240, 11025, 480, 44100, 46, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.spb);
    Timed e(r.rate, r.tempo);
    ASSERT_EQ(e.mSamplesPerBeat, r.spb);
    EXPECT_EQ(e.ConvertTicksToFrames(r.ticks), r.frames);
    EXPECT_EQ(e.ConvertFramesToTicks(r.back), r.backTick);
    // Above 240 samples per beat every tick survives the trip to samples and back.
    for (int t = 0; t <= 1920; ++t) {
      ASSERT_EQ(e.ConvertFramesToTicks(e.ConvertTicksToFrames(t)), t) << t;
    }
  }
}

TEST(EngineTiming, AnEndPastTheIntRangeIsHeldAtItsLimit) {
  Timed e(192000, 1);
  const int last = e.ConvertTicksToFrames(e.ConvertFramesToTicks(INT_MAX));
  EXPECT_EQ(e.MelodyEndKey(0, INT_MAX), last);
  EXPECT_EQ(e.MelodyEndKey(INT_MAX - 10, 480), last);
}

TEST(EngineTiming, NoSampleRateMeansNoGridAndNoDivision) {
  Timed e(0.0, 120);
  EXPECT_EQ(e.mSamplesPerBeat, 0);
  EXPECT_EQ(e.mLoopLength, 0);
  EXPECT_EQ(e.ConvertTicksToFrames(480), 0);
  EXPECT_EQ(e.ConvertFramesToTicks(88200), 0);
  EXPECT_EQ(e.CalculateQuantizedLocation(100), 0);
  EXPECT_EQ(e.TapQuantizedPosition(), 0);
  e.SetParam(kNumberOfBars, 4); // ignored: no bar to count in
  EXPECT_FALSE(e.mPendingBars.first);
  e.mMelody.emplace(100, RNote(60, 30, false));
  e.playing = true;
  e.Render(512);
  EXPECT_TRUE(e.sent.empty());
  // A tempo below one beat per minute, then a meter of no beats.
  e.SetSampleRate(44100);
  e.hostTempo = 0.5;
  e.Reset();
  EXPECT_EQ(e.mSamplesPerBeat, 5292000);
  e.hostNumerator = 0;
  e.Render(512);
  EXPECT_EQ(e.mSamplesPerBar, 0);
  EXPECT_EQ(e.mLoopLength, 0);
}

// One sample per beat in a bar of 2^26 beats, then back: the position's tick count passes the
// int range, and the position is held in range rather than overflowing.
TEST(EngineTiming, AnExtremeMeterRetimesWithoutOverflow) {
  Timed e(44100, 44100 * 60);
  e.hostNumerator = 1 << 26;
  e.Render(1);
  ASSERT_EQ(e.mSamplesPerBeat, 1);
  ASSERT_EQ(e.mLoopLength, 1 << 26);
  EXPECT_EQ(e.GetLoopEndTicks(), INT_MAX / 16);
  e.mPosition = 60000000;
  e.mMelody.emplace(60000000, RNote(60, 30, false));
  e.hostTempo = 120;
  e.hostNumerator = 4;
  TestEngine::IMutexLock lock(&e);
  e.GetTime(&e.mTimeInfo);
  e.FollowHostTempo();
  EXPECT_EQ(e.mSamplesPerBeat, 22050);
  EXPECT_EQ(e.GetPlayPosition(), INT_MAX);
  EXPECT_EQ(e.mMelody.begin()->first, INT_MAX);
}

TEST(EngineTiming, QuantizingToTheGrid) {
  Timed e(44100, 120);
  e.SetParam(kNumberOfBars, 4);
  e.CommitPendingBars();
  ASSERT_EQ(e.mNumBars, 4);
  // The last grid point before the 4-bar bound, rather than wrapping to 0.
  EXPECT_EQ(e.CalculateQuantizedLocation(1919), 1890);
  EXPECT_EQ(e.CalculateQuantizedLocation(15), 0);
  EXPECT_EQ(e.CalculateQuantizedLocation(16), 30);
  EXPECT_EQ(e.CalculateQuantizedLocation(14 - 15), 0);
  // A tap rounds to the nearest grid point and never lands past the loop.
  const int cases[][2] = {{0, 0}, {2756, 0}, {2757, 5513}, {347319, 347319}, {352000, 0}};
  for (const auto& c : cases) {
    e.mPosition = c[0];
    EXPECT_EQ(e.TapQuantizedPosition(), c[1]) << c[0];
  }
  // In 3/4 the bound is the three-beat bar, not four beats.
  e.hostNumerator = 3;
  e.Render(1);
  ASSERT_EQ(e.mLoopLength, 4 * 66150);
  e.mPosition = 264000;
  EXPECT_EQ(e.TapQuantizedPosition(), 0);
  e.mPosition = 260000;
  EXPECT_EQ(e.TapQuantizedPosition(), 259111);
}

TEST(EngineTiming, GridPointsOnTheLoopEnd) {
  // At 24000 samples per beat the sixteenth grid meets the bar line exactly.
  Timed e(48000, 120);
  ASSERT_EQ(e.GridStep(), 6000);
  e.mPosition = 95000;
  EXPECT_EQ(e.TapQuantizedPosition(), 0);
  e.mPosition = 92999;
  EXPECT_EQ(e.TapQuantizedPosition(), 90000);
  EXPECT_EQ(e.CalculateQuantizedLocation(479), 450);
  EXPECT_EQ(e.CalculateQuantizedLocation(464), 450);
}

TEST(EngineTiming, LocationsAnAddMayUse) {
  Timed e(44100, 120);
  EXPECT_TRUE(e.IsLocationInLoop(0));
  EXPECT_TRUE(e.IsLocationInLoop(479));
  EXPECT_FALSE(e.IsLocationInLoop(480));
  EXPECT_FALSE(e.IsLocationInLoop(-1));
  EXPECT_FALSE(e.IsLocationInLoop(-30));
  // The roll's bound for adds and drags is the same loop end, in the host's meter.
  EXPECT_EQ(e.GetLoopEndTicks(), 480);
  e.hostNumerator = 3;
  e.Render(1);
  EXPECT_EQ(e.GetLoopEndTicks(), 360);
  EXPECT_FALSE(e.IsLocationInLoop(360));
}

// One step of the bar-count knob and what the loop looks like afterwards.
struct BarStep {
  int position; // play position before the turn, -1 keeps it
  int knob;
  int numBars, active, loopBars, displayBars;
  bool pending;
};

void RunBarSteps(const std::vector<BarStep>& steps, int startBars) {
  Timed e(44100, 120);
  if (startBars != 1) {
    e.SetParam(kNumberOfBars, startBars);
    e.CommitPendingBars();
  }
  for (size_t i = 0; i < steps.size(); ++i) {
    const BarStep& s = steps[i];
    SCOPED_TRACE(i);
    if (s.position >= 0) e.mPosition = s.position;
    if (s.knob > 0) {
      e.SetParam(kNumberOfBars, s.knob);
    } else {
      e.CommitPendingBars();
    }
    EXPECT_EQ(e.mNumBars, s.numBars);
    EXPECT_EQ(e.GetActiveBars(), s.active);
    EXPECT_EQ(e.mLoopLength, s.loopBars * 88200);
    EXPECT_EQ(e.GetDisplayLoopLength(), s.displayBars * 88200);
    EXPECT_EQ(e.mPendingBars.first, s.pending);
  }
}

TEST(EngineTiming, BarCountStateMachine) {
  const int bar5 = 4 * 88200 + 10;
  // knob 0 below: the loop's end is reached and the pending count commits.
  RunBarSteps({{0, 4, 1, 4, 4, 4, true}, {-1, 0, 4, 4, 4, 4, false}}, 1);
  RunBarSteps({{bar5, 2, 8, 5, 5, 8, true},
               {-1, 2, 8, 5, 5, 5, true},
               {-1, 1, 8, 5, 5, 5, true},
               {-1, 3, 8, 3, 3, 3, true},
               {-1, 0, 3, 3, 3, 3, false}},
              8);
  RunBarSteps({{0, 9, 1, 12, 12, 12, true}, {-1, 0, 12, 12, 12, 12, false}}, 1);
  RunBarSteps({{0, 10, 1, 16, 16, 16, true}, {-1, 9, 1, 12, 12, 12, true}}, 1);
  // The same count again changes nothing; 9 always counts as a change.
  RunBarSteps({{0, 2, 2, 2, 2, 2, false}}, 2);
  RunBarSteps({{0, 9, 12, 12, 12, 12, true}}, 9);
  // Fewer bars while in bar 1: the display keeps the old length until the end.
  RunBarSteps({{100, 1, 4, 1, 1, 4, true}, {-1, 0, 1, 1, 1, 1, false}}, 4);
}

TEST(EngineTiming, PendingBarsCommitAtTheWrapWhilePlaying) {
  Timed e(44100, 120);
  e.playing = true;
  e.SetParam(kNumberOfBars, 2);
  int rendered = 0;
  while (rendered <= 2 * 88200) {
    e.Render(512);
    rendered += 512;
    if (rendered < 2 * 88200) {
      ASSERT_EQ(e.mNumBars, 1) << rendered;
    }
  }
  EXPECT_EQ(e.mNumBars, 2);
  EXPECT_FALSE(e.mPendingBars.first);
  EXPECT_EQ(e.GetPlayPosition(), rendered - 2 * 88200);
  // Stopped, a change waits for the next wrap.
  e.playing = false;
  e.SetParam(kNumberOfBars, 1);
  e.Render(512);
  EXPECT_EQ(e.mNumBars, 2);
  EXPECT_TRUE(e.mPendingBars.first);
  // A tempo change meanwhile keeps the loop's bars; the display keeps its own.
  e.hostTempo = 60;
  e.Render(512);
  EXPECT_EQ(e.mLoopLength, 176400);
  EXPECT_EQ(e.mDisplayLoopLength, 2 * 176400);
  EXPECT_EQ(e.GetActiveBars(), 1);
  EXPECT_EQ(e.mNumBars, 2);
}

TEST(EngineTiming, TempoFollowRescalesKeysAndPositionOnce) {
  Timed e(44100, 120);
  e.mMelody.emplace(22050, RNote(60, 30, true));
  e.mMelody.emplace(27562, RNote(60, 0, true));
  e.mPosition = 44100;
  e.hostTempo = 64;
  e.playing = true;
  e.Render(512);
  EXPECT_EQ(e.mCurrentTempo, 64);
  EXPECT_EQ(e.mSamplesPerBeat, 41343);
  EXPECT_EQ(e.mLoopLength, 165372);
  EXPECT_EQ(e.GetPlayPosition(), 82686 + 512);
  ASSERT_EQ(e.mMelody.size(), 2u);
  EXPECT_EQ(e.mMelody.begin()->first, 41343);
  EXPECT_EQ(std::next(e.mMelody.begin())->first, 51678); // tick 150's frame
  EXPECT_EQ(e.mMelody.begin()->second.mNote, std::make_pair(60, 30));
  EXPECT_TRUE(e.mMelody.begin()->second.mLocked);

  // A fractional tempo rescales once, then holds still.
  e.hostTempo = 120.5;
  e.Render(512);
  EXPECT_EQ(e.mSamplesPerBeat, 21958);
  EXPECT_EQ(e.mCurrentTempo, 120);
  EXPECT_EQ(e.mMelody.begin()->first, 21958);
  e.mMelody.emplace(1000, RNote(64, 30, false));
  e.Render(512);
  e.Render(512);
  EXPECT_EQ(e.mMelody.begin()->first, 1000);

  // A new meter alone re-derives the bar and leaves every key where it is.
  e.hostNumerator = 3;
  e.Render(512);
  EXPECT_EQ(e.mSamplesPerBar, 3 * 21958);
  EXPECT_EQ(e.mLoopLength, 3 * 21958);
  EXPECT_EQ(e.mMelody.begin()->first, 1000);
  EXPECT_EQ(std::next(e.mMelody.begin())->first, 21958);
}

// A new sample rate moves every key to its own tick's frame and the play position with it.
TEST(EngineTiming, ANewRateKeepsNotesAndPositionOnTheirTicks) {
  const struct {
    double rate;
    int spb;
    int atKey, pastKey; // the position on tick 120's frame, and one sample past it
  } rows[] = {
      {48000, 24000, 24000, 24001}, {96000, 48000, 48000, 48002}, {22050, 11025, 11025, 11026}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.rate);
    for (int past = 0; past < 2; ++past) {
      Timed e(44100, 120);
      e.SetParam(kNumberOfBars, 2);
      e.SetParam(kNoteLength, 4); // 60 ticks
      for (int t : {0, 120, 150, 455, 900}) e.AddOneFromPianoRoll(64, t, -1);
      e.mPosition = 22050 + past;
      e.SetSampleRate(r.rate);
      e.Reset();
      ASSERT_EQ(e.mSamplesPerBeat, r.spb);
      EXPECT_EQ(e.mLoopLength, 8 * r.spb);
      EXPECT_EQ(e.GetPlayPosition(), past ? r.pastKey : r.atKey);
      std::vector<int> ticks;
      for (const auto& m : e.mMelody) {
        ticks.push_back(e.ConvertFramesToTicks(m.first));
        EXPECT_EQ(m.first, (int)((int64_t)ticks.back() * r.spb / 120));
      }
      EXPECT_EQ(ticks, (std::vector<int>{0, 60, 120, 150, 180, 210, 455, 515, 900, 960}));
    }
  }
  // Playing on: the note on tick 150 is the next to sound, at its own frame.
  Timed e(44100, 120);
  e.AddOneFromPianoRoll(64, 120, -1);
  e.AddOneFromPianoRoll(65, 150, -1);
  e.mPosition = 22051;
  e.SetSampleRate(48000);
  e.Reset();
  e.playing = true;
  e.Render(8192);
  ASSERT_EQ(e.sent.size(), 2u);
  EXPECT_EQ(e.sent[0], (SentMidi{0, 5999, 0x80, 64, 0})); // its end, tick 150
  EXPECT_EQ(e.sent[1], (SentMidi{0, 5999, 0x90, 65, 100}));
}

// A host ramping the tempo down and back, a step a block: every key ends where it began, and
// the roll's note is the engine's, so deleting it there silences it.
TEST(EngineTiming, ATempoRampLeavesEveryKeyWhereItWas) {
  Timed e(44100, 120);
  e.SetParam(kNoteLength, 3);
  e.AddOneFromPianoRoll(71, 150, -1);
  e.playing = true;
  for (int i = 0; i <= 600; ++i) {
    e.hostTempo = i <= 300 ? 120 - i * 0.1 : 90 + (i - 300) * 0.1;
    e.Render(256);
  }
  ASSERT_EQ(e.mSamplesPerBeat, 22050);
  ASSERT_EQ(e.mMelody.size(), 2u);
  EXPECT_EQ(e.mMelody.begin()->first, 27562);
  EXPECT_EQ(std::next(e.mMelody.begin())->first, 33075);
  EXPECT_EQ(e.roll, (std::vector<RollNote>{{71, 150, 30, false}}));
  e.DeleteOneFromPianoRoll(71, 150, 30, false);
  EXPECT_TRUE(e.mMelody.empty());
  e.sent.clear();
  for (int i = 0; i < 200; ++i) e.Render(512);
  for (const SentMidi& m : e.sent) EXPECT_NE(m.status, 0x90);
}

// The bars knob turned up, then the host's tempo changes before the wrap: the loop keeps its
// two bars at the new tempo, and a rhythm lays every note inside it.
TEST(EngineTiming, ATempoChangeKeepsAPendingIncrease) {
  Timed e(44100, 120);
  e.playing = true;
  e.Render(512);
  e.SetParam(kNumberOfBars, 2);
  e.hostTempo = 110;
  e.Render(512);
  ASSERT_EQ(e.mSamplesPerBeat, 24054);
  EXPECT_EQ(e.mLoopLength, 8 * 24054);
  EXPECT_EQ(e.GetDisplayLoopLength(), 8 * 24054);
  EXPECT_EQ(e.GetActiveBars(), 2);
  EXPECT_EQ(e.mNumBars, 1);
  e.SetRhythm(9); // quarters
  std::vector<int> starts;
  for (const auto& m : e.mMelody)
    if (m.second.mNote.second) starts.push_back(e.ConvertFramesToTicks(m.first));
  EXPECT_EQ(starts, (std::vector<int>{0, 120, 240, 360, 480, 600, 720, 840}));
  EXPECT_LT(e.mMelody.rbegin()->first, e.mLoopLength);
}

TEST(EngineTiming, ResetTakesTheNewRateAndQueueSize) {
  Timed e(44100, 120);
  e.SetSampleRate(48000);
  e.SetBlockSize(8192);
  e.Reset();
  EXPECT_EQ(e.mSampleRate, 48000);
  EXPECT_EQ(e.mSamplesPerBeat, 24000);
  EXPECT_EQ(e.mLoopLength, 96000);
  EXPECT_EQ(e.mMidiQueue.GetSize(), 8192);
  // A host that reports no block size leaves the queue with room.
  e.SetBlockSize(0);
  e.Reset();
  EXPECT_EQ(e.mMidiQueue.GetSize(), 8192);
  // A small block keeps the reserve: room for a new melody's note-offs.
  e.SetBlockSize(64);
  e.Reset();
  EXPECT_EQ(e.mMidiQueue.GetSize(), 4608);
}

TEST(EngineTiming, ChangeNumBarsSnapsToTheKnob) {
  Timed e(44100, 120);
  const int cases[][2] = {{3, 3}, {10, 12}, {13, 16}, {1, 1}};
  for (const auto& c : cases) {
    e.ChangeNumBars(c[0]);
    EXPECT_EQ(e.mNumBars, c[1]) << c[0];
    EXPECT_EQ(e.zoomTo, e.mNumBars);
  }
}

} // namespace
