#include "MidiFile/MidiFile.h"
#include "MidiFile/midi_test_util.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> ticksOf(MidiFile& f, int track) {
  std::vector<int> out;
  for (int i = 0; i < f.getEventCount(track); i++) out.push_back(f.getEvent(track, i).tick);
  return out;
}

TEST(MidiFileModel, NewFileAndAdding) {
  MidiFile f;
  f.setFilename("/a/b/song.mid");
  EXPECT_STREQ(f.getFilename(), "song.mid");

  EXPECT_EQ(f.addTrack(1), 1);
  Bytes on = {0x90, 0x3c, 0x64};
  EXPECT_EQ(f.addEvent(1, 30, on), 0);
  EXPECT_EQ(f.getEvent(1, 0).track, 1);
  EXPECT_EQ(f.addTrack(2), 3);
  EXPECT_EQ(f.addPitchBend(0, 5, 20, 0.0), 0);
  f.addPitchBend(0, 5, -3, -1.0);
  f.addPitchBend(0, 5, 0, 1.0);
  EXPECT_EQ(Bytes(f.getEvent(0, 0)), (Bytes{0xef, 0x00, 0x40}));
  EXPECT_EQ(Bytes(f.getEvent(0, 1)), (Bytes{0xe0, 0, 0}));
  EXPECT_EQ(Bytes(f.getEvent(0, 2)), (Bytes{0xe0, 0x7f, 0x7f}));
  f.addPitchBend(0, 5, 0, 0.0001); // 8192.82 rounds up
  EXPECT_EQ(Bytes(f.getEvent(0, 3)), (Bytes{0xe0, 0x01, 0x40}));
  f.addMetaEvent(0, 5, 0x85, "x"); // the type keeps seven bits
  EXPECT_EQ(Bytes(f.getEvent(0, 4)), (Bytes{0xff, 0x05, 0x01, 'x'}));

  unsigned char vlv[4];
  const std::pair<int, Bytes> vlvs[] = {{128, {0x81, 0}},
                                        {0x200000, {0x81, 0x80, 0x80, 0}},
                                        {0x0fffffff, {0xff, 0xff, 0xff, 0x7f}},
                                        {0x10000000, {0}},
                                        {-1, {0}}};
  testing::internal::CaptureStderr();
  for (const auto& c : vlvs) EXPECT_EQ(Bytes(vlv, vlv + f.makeVLV(vlv, c.first)), c.second);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: Meta-message size too large to handle\n"
            "Error: Meta-message size too large to handle\n");
}

TEST(MidiFileModel, SortOrderAtOneTick) {
  MidiFile f;
  f.addNoteOn(0, 100, 0, 60, 90);
  f.addNoteOff(0, 100, 0, 62, 0);
  f.addTempo(0, 100, 100.0);
  f.addNoteOn(0, 101, 0, 1, 1);
  f.addController(0, 100, 0, 7, 1);
  Bytes eot = {0xff, 0x2f, 0};
  f.addEvent(0, 100, eot);
  f.addNoteOff(0, 100, 0, 63);
  f.addNoteOff(0, 50, 0, 64);
  f.sortTracks();
  std::vector<int> order; // command and first data byte
  for (int i = 0; i < f.getEventCount(0); i++)
    order.push_back(f.getEvent(0, i)[0] << 8 | f.getEvent(0, i)[1]);
  EXPECT_EQ(order, (std::vector<int>{0x9040, 0xff51, 0xb007, 0x803e, 0x903f, 0x903c, 0xff2f,
                                     0x9001})); // note-offs keep their order

  MidiFile many; // enough equal events that an unstable sort would reorder them
  for (int k = 0; k < 40; k++) many.addNoteOff(0, 0, 0, k * 7 % 40);
  many.sortTracks();
  for (int k = 0; k < 40; k++) EXPECT_EQ(many.getEvent(0, k)[1], k * 7 % 40);

  // The sequence number outranks the kind; deltas are never sorted.
  MidiFile g;
  g.addNoteOn(0, 0, 0, 60, 90);
  g.addTempo(0, 0, 90.0);
  g.getEvent(0, 0).seq = 1;
  g.getEvent(0, 1).seq = 2;
  g.sortTracks();
  EXPECT_TRUE(g.getEvent(0, 0).isNoteOn());
  g.getEvent(0, 0).seq = 3;
  g.deltaTicks();
  g.sortTracks();
  EXPECT_TRUE(g.getEvent(0, 0).isNoteOn());
}

TEST(MidiFileModel, DeltaAndAbsoluteTicks) {
  MidiFile f;
  for (int t : {10, 20, 20, 50}) f.addNoteOn(0, t, 0, 60, 1);
  f.deltaTicks();
  f.deltaTicks(); // already delta
  EXPECT_EQ(ticksOf(f, 0), (std::vector<int>{10, 10, 0, 30}));
  f.absoluteTicks();
  EXPECT_EQ(ticksOf(f, 0), (std::vector<int>{10, 20, 20, 50}));
}

TEST(MidiFileModel, DeleteAndMergeTracks) {
  MidiFile f;
  f.deleteTrack(0); // the only track stays
  EXPECT_EQ(f.getTrackCount(), 1);
  f.addTrack(3);
  f.addNoteOn(1, 10, 0, 60, 1);
  f.addNoteOn(2, 5, 0, 61, 1);
  f.addNoteOn(3, 0, 0, 62, 1);
  f.deleteTrack(4);
  f.deleteTrack(-1);
  f[1][0].linkEvent(f[2][0]);
  f.mergeTracks(1, 1); // identical and invalid indexes do nothing
  f.mergeTracks(1, 9);
  f.mergeTracks(-1, 2);
  EXPECT_EQ(f.getTrackCount(), 4);
  f.deltaTicks();
  f.mergeTracks(1, 2);
  EXPECT_TRUE(f.isDeltaTicks());
  f.absoluteTicks();
  ASSERT_EQ(f.getTrackCount(), 3);
  EXPECT_EQ(ticksOf(f, 1), (std::vector<int>{5, 10}));
  EXPECT_EQ(f.getEvent(1, 0).track, 1);
  EXPECT_FALSE(f.getEvent(1, 0).isLinked());
  EXPECT_EQ(f.getEvent(2, 0)[1], 62);
}

TEST(MidiFileModel, JoinSplitAndSplitByChannel) {
  MidiFile f;
  f.addTrack(2);
  f.addNoteOn(0, 20, 0, 60, 1);
  f.addNoteOn(1, 10, 3, 61, 1);
  f.addTempo(2, 15, 100);
  f.addNoteOn(2, 0, 0, 62, 1);
  f.deltaTicks();
  f.joinTracks();
  EXPECT_TRUE(f.hasJoinedTracks());
  EXPECT_TRUE(f.isDeltaTicks());
  ASSERT_EQ(f.getTrackCount(), 1);
  f.absoluteTicks();
  EXPECT_EQ(ticksOf(f, 0), (std::vector<int>{0, 10, 15, 20}));
  EXPECT_EQ(f.getSplitTrack(0, 1), 1);
  EXPECT_EQ(f.getSplitTrack(2), 2);

  MidiFile copy(f);
  f.splitTracks();
  ASSERT_EQ(f.getTrackCount(), 3);
  EXPECT_EQ(ticksOf(f, 2), (std::vector<int>{0, 15}));

  copy.splitTracksByChannel(); // metas first, then one track per channel
  std::vector<int> counts;
  for (int t = 0; t < copy.getTrackCount(); t++) counts.push_back(copy.getEventCount(t));
  EXPECT_EQ(counts, (std::vector<int>{1, 2, 0, 0, 1}));
  EXPECT_TRUE(copy.getEvent(0, 0).isTempo());
  EXPECT_EQ(copy.getEvent(4, 0).track, 1); // the track field is left alone

  MidiFile allZero;
  allZero.addTrack();
  allZero.addNoteOn(0, 0, 0, 60, 1);
  allZero.addNoteOn(1, 3, 0, 60, 1);
  allZero.getEvent(1, 0).track = 0;
  allZero.joinTracks();
  allZero.splitTracks(); // every event names track 0: stays joined
  EXPECT_TRUE(allZero.hasJoinedTracks());
  MidiFile two;
  two.addTrack();
  two.addNoteOn(1, 3, 0, 60, 1);
  two.joinTracks();
  two.splitTracks();
  EXPECT_EQ(two.getTrackCount(), 2);
}

TEST(MidiFileModel, CopyMoveAssignAndClear) {
  MidiFile f;
  f.setTPQ(480);
  f.setFilename("a.mid");
  f.addTrack();
  f.addNoteOn(1, 3, 0, 60, 100);
  f.deltaTicks();
  f.joinTracks();

  MidiFile g;
  g = f; // every field, not only the tracks
  EXPECT_EQ(g.getTPQ(), 480);
  EXPECT_TRUE(g.isDeltaTicks());
  EXPECT_TRUE(g.hasJoinedTracks());
  EXPECT_STREQ(g.getFilename(), "a.mid");

  MidiFile moved(std::move(g));
  EXPECT_EQ(std::make_pair(g.getTrackCount(), g.getEventCount(0)), std::make_pair(1, 0));
  EXPECT_EQ(moved.getEventCount(0), 1);

  moved.clear(); // the layout resets; division and name stay
  EXPECT_EQ(std::make_pair(moved.getTrackCount(), moved.getEventCount(0)), std::make_pair(1, 0));
  EXPECT_TRUE(moved.isAbsoluteTicks());
  EXPECT_TRUE(moved.hasSplitTracks());
  EXPECT_EQ(moved.getTPQ(), 480);

  MidiEvent* survivor = &f.getEvent(0, 0);
  f.clear_no_deallocate();
  EXPECT_EQ(survivor->tick, 3);
  delete survivor;
}

} // namespace
