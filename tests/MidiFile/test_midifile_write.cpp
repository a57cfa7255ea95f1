#include "MidiFile/MidiFile.h"
#include "MidiFile/midi_test_util.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace {

const Bytes kEnd = {0, 0xff, 0x2f, 0};

TEST(MidiFileWrite, HeaderFormatAndDivision) {
  MidiFile f;
  EXPECT_EQ(written(f), (Bytes{0x4d, 0x54, 0x68, 0x64, 0,    0, 0, 6, 0, 0, 0,    1,    0,
                               0x78, 0x4d, 0x54, 0x72, 0x6b, 0, 0, 0, 4, 0, 0xff, 0x2f, 0}));
  f.addTrack(2);
  f.setMillisecondTicks();
  EXPECT_EQ(written(f), smf(1, 3, 0xe728, {kEnd, kEnd, kEnd}));
}

TEST(MidiFileWrite, MelodyExportLayout) {
  // The plug-in's export: the calls it makes, with a note that starts where another of
  // the same pitch ends; at that tick the release comes first.
  MidiFile f;
  f.absoluteTicks();
  EXPECT_EQ(f.addTrack(1), 1);
  f.setTicksPerQuarterNote(120);
  Bytes on = {0x90, 60, 100}, off = {0x80, 60, 100};
  for (int start : {30, 0}) {
    f.addEvent(1, start, on);
    f.addEvent(1, start + 30, off);
  }
  f.sortTracks();
  EXPECT_EQ(written(f), smf(1, 2, 120, {kEnd, {0,  0x90, 60, 100,  30, 0x80, 60, 100,  0,    0x90,
                                               60, 100,  30, 0x80, 60, 100,  0,  0xff, 0x2f, 0}}));
}

TEST(MidiFileWrite, EventsVariableLengthDeltasAndSysex) {
  MidiFile f;
  f.addTrack();
  f.addNoteOn(1, 0, 0, 60, 100);
  f.addNoteOn(1, 0x7f, 0, 62, 100);                     // delta 0x7F
  f.addNoteOff(1, 0x7f + 0x80, 0, 60, 0);               // delta 0x80
  f.addNoteOff(1, 0xff + 0x3fff, 0, 62, 0);             // delta 0x3FFF
  f.addController(1, 0xff + 0x3fff + 0x4000, 0, 64, 0); // delta 0x4000
  Bytes sysex = {0xf0, 0x43, 0x12, 0x00, 0xf7}, eot = {0xff, 0x2f, 0};
  f.addEvent(1, 0xff + 0x3fff + 0x4000, sysex);
  f.addEvent(1, 100000, eot); // kept: 66978 ticks after the last event
  Bytes expect = smf(1, 2, 120, {kEnd, {0,    0x90, 60,   100,  0x7f, 0x90, 62,   100,  0x81, 0x00,
                                        0x80, 60,   0,    0xff, 0x7f, 0x80, 62,   0,    0x81, 0x80,
                                        0x00, 0xb0, 64,   0,    0x00, 0xf0, 0x04, 0x43, 0x12, 0x00,
                                        0xf7, 0x84, 0x8b, 0x22, 0xff, 0x2f, 0}});
  EXPECT_EQ(written(f), expect);
  EXPECT_EQ(f.getEvent(1, 6).tick, 100000); // absolute ticks restored
  f.deltaTicks();                           // already delta: written as is and left so
  EXPECT_EQ(written(f), expect);
  EXPECT_TRUE(f.isDeltaTicks());

  Bytes vlv;
  for (long v : {0L, 127L, 128L, 0x3fffL, 0x4000L, 0x0fffffffL}) f.writeVLValue(v, vlv);
  EXPECT_EQ(vlv, (Bytes{0, 0x7f, 0x81, 0, 0xff, 0x7f, 0x81, 0x80, 0, 0xff, 0xff, 0xff, 0x7f}));
  vlv.clear();
  testing::internal::CaptureStderr();
  f.writeVLValue(0x10000000, vlv);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: number too large to convert to VLV\n");
  EXPECT_EQ(vlv, (Bytes{0xff, 0xff, 0xff, 0x7f}));
}

TEST(MidiFileWrite, EveryTrackEndsWithOneEndOfTrack) {
  // A last event whose own bytes end in FF 2F xx is no end of track.
  MidiFile f;
  Bytes sysex = {0xf0, 0xff, 0x2f, 0x00};
  f.addEvent(0, 0, sysex);
  EXPECT_EQ(written(f), smf(0, 1, 120, {{0, 0xf0, 3, 0xff, 0x2f, 0x00, 0, 0xff, 0x2f, 0}}));
  // An end of track or an empty message in the middle is left out without losing time.
  MidiFile g;
  g.addNoteOn(0, 10, 0, 60, 1);
  Bytes eot = {0xff, 0x2f, 0}, nothing;
  g.addEvent(0, 20, eot);
  g.addEvent(0, 25, nothing);
  g.addNoteOff(0, 30, 0, 60, 0);
  EXPECT_EQ(written(g), smf(0, 1, 120, {{10, 0x90, 60, 1, 20, 0x80, 60, 0, 0, 0xff, 0x2f, 0}}));
}

TEST(MidiFileWrite, LeftOutEventsGiveTheirTicksToTheNextWrittenOnce) {
  // An empty message and a stored end of track between two notes: the next note's delta
  // takes their ticks (290, two bytes), the events after it only their own.
  MidiFile f;
  Bytes eot = {0xff, 0x2f, 0}, nothing;
  f.addNoteOn(0, 10, 0, 60, 1);
  f.addEvent(0, 100, nothing);
  f.addEvent(0, 200, eot);
  f.addNoteOff(0, 300, 0, 60, 0);
  f.addNoteOn(0, 310, 0, 62, 1);
  f.addNoteOff(0, 315, 0, 62, 0);
  const Bytes track = {10,   0x90, 60,   1,     // tick 10
                       0x82, 0x22, 0x80, 60, 0, // tick 300
                       10,   0x90, 62,   1,     // tick 310
                       5,    0x80, 62,   0,     // tick 315
                       0,    0xff, 0x2f, 0};
  EXPECT_EQ(written(f), smf(0, 1, 120, {track}));
  f.deltaTicks();
  EXPECT_EQ(written(f), smf(0, 1, 120, {track}));
}

TEST(MidiFileWrite, StoredEndOfTrackKeepsItsTime) {
  // (tick, bytes) in list order; the track data expected.
  using Ev = std::pair<int, Bytes>;
  const Bytes on = {0x90, 60, 1}, off = {0x80, 60, 0}, eot = {0xff, 0x2f, 0}, none;
  struct {
    std::vector<Ev> events;
    Bytes data;
  } cases[] = {
      {{{960, eot}}, {0x87, 0x40, 0xff, 0x2f, 0}},
      {{{0, on}, {480, off}, {960, eot}},
       {0, 0x90, 60, 1, 0x83, 0x60, 0x80, 60, 0, 0x83, 0x60, 0xff, 0x2f, 0}},
      {{{0, on}, {480, eot}}, {0, 0x90, 60, 1, 0x83, 0x60, 0xff, 0x2f, 0}},
      {{{0, on}, {700, eot}, {960, eot}}, {0, 0x90, 60, 1, 0x87, 0x40, 0xff, 0x2f, 0}},
      {{{0, on}, {960, eot}, {1200, none}}, {0, 0x90, 60, 1, 0x87, 0x40, 0xff, 0x2f, 0}},
      {{{0, on}, {100, eot}, {480, off}},
       {0, 0x90, 60, 1, 0x83, 0x60, 0x80, 60, 0, 0, 0xff, 0x2f, 0}},
      {{{0, on}, {480, off}, {480, eot}},
       {0, 0x90, 60, 1, 0x83, 0x60, 0x80, 60, 0, 0, 0xff, 0x2f, 0}},
      {{{0, on}, {480, none}}, {0, 0x90, 60, 1, 0, 0xff, 0x2f, 0}},
  };
  for (const auto& c : cases) {
    MidiFile f;
    for (const Ev& e : c.events) {
      Bytes b = e.second;
      f.addEvent(0, e.first, b);
    }
    EXPECT_EQ(written(f), smf(0, 1, 120, {c.data})) << mido::hexBytes(c.data);
    f.deltaTicks(); // the same from delta ticks
    EXPECT_EQ(written(f), smf(0, 1, 120, {c.data})) << mido::hexBytes(c.data);
  }

  // Deltas as written, left-out events' ticks included, must fit: counted from the last
  // event written, through an end of track, but not through trailing empty messages.
  struct {
    std::vector<Ev> events;
    int result;
  } sums[] = {
      {{{0x0fffffff, none}, {0x10000000, eot}}, 0},
      {{{0x0fffffff, eot}, {0x10000000, on}}, 0},
      {{{0, on}, {0x0fffffff, none}, {0x10000000, none}}, 1},
  };
  for (const auto& c : sums) {
    MidiFile f;
    for (const Ev& e : c.events) {
      Bytes b = e.second;
      f.addEvent(0, e.first, b);
    }
    std::ostringstream out;
    testing::internal::CaptureStderr();
    EXPECT_EQ(f.write(out), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              c.result ? "" : "Error: number too large to convert to VLV\n");
    EXPECT_EQ(out.str().empty(), c.result == 0);
  }
}

TEST(MidiFileWrite, FailuresAreReported) {
  MidiFile f;
  f.addNoteOn(0, 480, 0, 60, 100);
  f.addNoteOff(0, 0, 0, 60, 0); // out of order
  std::ostringstream out;
  testing::internal::CaptureStderr();
  EXPECT_EQ(f.write(out), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: negative delta tick value: -480\nTimestamps must be sorted first (use "
            "MidiFile::sortTracks() before writing).\n");
  EXPECT_EQ(f.status(), 0);
  EXPECT_TRUE(out.str().empty());
  EXPECT_EQ(f.getEvent(0, 1).tick, 0);

  std::string path = std::string(QV_BINARY_DIR) + "/midifile_test_unsorted.mid";
  std::ofstream(path) << "keep";
  testing::internal::CaptureStderr();
  EXPECT_EQ(f.write(path), 0);
  testing::internal::GetCapturedStderr();
  std::ifstream kept(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep"); // not destroyed
  std::remove(path.c_str());

  f.sortTracks();
  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  EXPECT_EQ(f.write(bad), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(f.write("/nonexistent-dir/x.mid"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: could not write: /nonexistent-dir/x.mid\n");
  EXPECT_EQ(f.status(), 0); // unchanged by the open failure
  std::ostringstream good;
  EXPECT_EQ(f.write(good), 1);
  EXPECT_EQ(f.status(), 1);

  if (access("/dev/full", W_OK) == 0) {
    EXPECT_EQ(f.write("/dev/full"), 0); // the close fails to flush
    EXPECT_EQ(f.status(), 0);
  }

  // A delta no variable-length quantity holds is refused, not clamped.
  f.addNoteOn(0, 480 + 0x10000000, 0, 60, 100);
  testing::internal::CaptureStderr();
  EXPECT_EQ(f.write(good), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: number too large to convert to VLV\n");
  MidiFile e; // an empty message, left out, is still checked
  Bytes none;
  e.addEvent(0, 0x10000000, none);
  testing::internal::CaptureStderr();
  EXPECT_EQ(e.write(good), 0);
  testing::internal::GetCapturedStderr();
}

TEST(MidiFileWrite, IndependentReaderSeesTheSameFile) {
  ASSERT_EQ(mido::missing(), "");
  int n = 0;
  for (auto& build : sampleFiles()) {
    MidiFile f;
    build(f);
    std::string path = std::string(QV_BINARY_DIR) + "/midifile_test_mido" + std::to_string(n++);
    ASSERT_EQ(f.write(path), 1) << n;
    EXPECT_EQ(mido::readWithMido(path), mido::expectedView(f)) << n;
    std::remove(path.c_str());
  }
}

} // namespace
