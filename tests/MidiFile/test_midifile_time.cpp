#include "MidiFile/MidiFile.h"

#include <gtest/gtest.h>

namespace {

MidiFile notesAt(int tpq, std::initializer_list<int> ticks) {
  MidiFile f;
  f.setTPQ(tpq);
  for (int t : ticks) f.addNoteOn(0, t, 0, 60, 100);
  return f;
}

TEST(MidiFileTime, DefaultTempoLookupsAndInterpolation) {
  // Both directions; upper and lower halves of a map (searched from either end) alike.
  MidiFile f = notesAt(120, {0, 480}), g = notesAt(480, {0, 960}), h = notesAt(480, {0, 480, 960});
  const std::tuple<MidiFile*, int, double> rows[] = {
      {&f, 240, 1.0},    {&f, 480, 2.0},  {&f, 0, 0.0},    {&f, 360, 1.5}, {&g, 600, 0.625},
      {&g, 300, 0.3125}, {&h, 720, 0.75}, {&f, 481, -1.0}, {&f, -1, -1.0}};
  for (const auto& r : rows) {
    EXPECT_DOUBLE_EQ(std::get<0>(r)->getTimeInSeconds(std::get<1>(r)), std::get<2>(r));
    if (std::get<2>(r) >= 0) {
      EXPECT_EQ(std::get<0>(r)->getAbsoluteTickTime(std::get<2>(r)), std::get<1>(r));
    }
  }
  EXPECT_EQ(f.getAbsoluteTickTime(2.5), -1);
  EXPECT_EQ(f.getAbsoluteTickTime(-0.5), -1);
  EXPECT_DOUBLE_EQ(f.getTimeInSeconds(0, 1), 2.0);
  EXPECT_DOUBLE_EQ(f.linearSecondInterpolationAtTick(480), -1.0); // found by the search only
}

TEST(MidiFileTime, TickLookupBetweenTwoTicksTruncates) {
  // Times whose tick has a fraction above one half: rounding would give one more.
  MidiFile f = notesAt(120, {0, 480}), h = notesAt(480, {0, 480, 960});
  MidiFile slow = notesAt(480, {0, 480, 960});
  slow.addTempo(0, 480, 60.0); // (0, 0 s), (480, 0.5 s), (960, 1.5 s)
  slow.sortTracks();
  const std::tuple<MidiFile*, double, int> rows[] = {
      {&f, 1.0 / 256, 0},             // 0.9375
      {&f, 1.0 - 1.0 / 512, 239},     // 239.53125
      {&f, 2.0 - 1.0 / 512, 479},     // 479.53125, the last step before the end
      {&h, 0.75 - 1.0 / 2048, 719},   // 719.53125, in the second step
      {&slow, 1.5 - 1.0 / 1024, 959}, // 959.53125, at the slower tempo
      {&slow, 0.5 + 1.0 / 1024, 480}, // 480.46875
  };
  for (const auto& r : rows)
    EXPECT_EQ(std::get<0>(r)->getAbsoluteTickTime(std::get<1>(r)), std::get<2>(r))
        << std::get<1>(r);
}

TEST(MidiFileTime, TempoChangesApplyFromTheNextTick) {
  MidiFile f = notesAt(480, {0, 480, 960});
  f.addTempo(0, 480, 60.0); // 1000000 microseconds per quarter
  f.addNoteOn(0, 480, 1, 61, 1);
  f.sortTracks();
  f.buildTimeMap();
  std::vector<double> seconds;
  for (int i = 0; i < f.getEventCount(0); i++) seconds.push_back(f.getEvent(0, i).seconds);
  EXPECT_EQ(seconds, (std::vector<double>{0.0, 0.5, 0.5, 0.5, 1.5}));
  EXPECT_DOUBLE_EQ(f.getTotalTimeInSeconds(), 1.5);
  EXPECT_EQ(f.getTotalTimeInTicks(), 960);
  EXPECT_DOUBLE_EQ(f.getTotalTimeInQuarters(), 2.0);
  EXPECT_EQ(f.getAbsoluteTickTime(1.0), 720);

  MidiFile single = notesAt(120, {100});
  EXPECT_DOUBLE_EQ(single.getTimeInSeconds(100), 100 * 0.5 / 120);
  EXPECT_DOUBLE_EQ(single.getTimeInSeconds(50), -1.0);
}

TEST(MidiFileTime, EmptyFilesAndTracksAnswerMinusOne) {
  MidiFile empty;
  empty.addTrack(2);
  EXPECT_DOUBLE_EQ(empty.getTimeInSeconds(0), -1.0);
  EXPECT_EQ(empty.getAbsoluteTickTime(0.0), -1);
  EXPECT_DOUBLE_EQ(empty.getTotalTimeInSeconds(), 0.0);
  EXPECT_EQ(empty.getTotalTimeInTicks(), 0);

  // A tempo of 0 stops the clock without a division by zero.
  MidiFile stopped = notesAt(120, {0, 120, 240});
  std::vector<unsigned char> zero = {0xff, 0x51, 3, 0, 0, 0};
  stopped.addEvent(0, 0, zero);
  stopped.sortTracks();
  EXPECT_EQ(stopped.getAbsoluteTickTime(0.0), 0);
  EXPECT_EQ(stopped.getAbsoluteTickTime(0.5), -1);
  EXPECT_DOUBLE_EQ(stopped.getTimeInSeconds(60), 0.0);
}

TEST(MidiFileTime, BuildingLeavesTheLayoutAlone) {
  MidiFile f;
  f.addTrack(2);
  f.addNoteOn(2, 0, 0, 60, 1);
  f.addNoteOn(1, 240, 0, 61, 1);
  f.addNoteOn(1, 120, 0, 62, 1); // out of order in its track
  f.getEvent(1, 0).track = 0;    // a track field that does not name its list
  f.addTempo(0, 120, 60.0);
  testing::internal::CaptureStderr();
  f.deltaTicks();
  testing::internal::GetCapturedStderr();
  f.buildTimeMap();
  EXPECT_TRUE(f.isDeltaTicks());
  EXPECT_TRUE(f.hasSplitTracks());
  ASSERT_EQ(f.getTrackCount(), 3);
  ASSERT_EQ(f.getEventCount(1), 2);
  EXPECT_EQ(f.getEvent(1, 0)[1], 61);
  EXPECT_EQ(f.getEvent(1, 1).tick, -120);
  // Joined by time: 0 (0 s), 120 (0.5 s, then 1 s per quarter), 240 (1.5 s).
  EXPECT_DOUBLE_EQ(f.getEvent(1, 0).seconds, 1.5);
  EXPECT_DOUBLE_EQ(f.getEvent(1, 1).seconds, 0.5);
  EXPECT_DOUBLE_EQ(f.getEvent(0, 0).seconds, 0.5);
  EXPECT_EQ(f.getTotalTimeInTicks(), 120); // the last events' ticks, not the largest
}

TEST(MidiFileTime, TrackCountAsType1AndPairing) {
  MidiFile f;
  f.addTrack(2);
  EXPECT_EQ(f.getTrackCountAsType1(), 3);
  f.addNoteOn(0, 0, 0, 60, 1);
  f.addNoteOff(2, 10, 0, 60);
  f.getEvent(2, 0).track = 5;
  f.joinTracks();
  EXPECT_EQ(f.getTrackCountAsType1(), 6);
  EXPECT_EQ(f.linkNotePairs(), 1); // across the tracks that were joined
}

} // namespace
