// Reversing a melody in time: the order of notes that land on one key.

#include "IPlugTessary2/melody_entries.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using Entries_ = std::vector<Entry>;

// One 4/4 bar at 120 bpm, 44.1 kHz: 22050 samples (120 ticks) a beat, a loop of 88200.
TEST(ReverseInTime, NotesLandingOnOneKeyComeOutLastFirst) {
  TestEngine e;
  srand(1);
  const Entries_ melody = {{0, 60, 120, false},     {0, 64, 120, true},      {0, 67, 120, false},
                           {22050, 60, 0, false},   {22050, 64, 0, true},    {22050, 67, 0, false},
                           {22050, 72, 240, false}, {44100, 48, 120, false}, {66150, 48, 0, false},
                           {66150, 72, 0, false}};
  for (const Entry& x : melody) e.mMelody.insert({x.key, RNote(x.note, x.length, x.locked)});
  e.ReverseMelody(false);
  EXPECT_EQ(Entries(e), (Entries_{{22050, 48, 120, false},
                                  {22050, 72, 240, false},
                                  {44100, 48, 0, false},
                                  {66150, 72, 0, false},
                                  {66150, 67, 120, false},
                                  {66150, 64, 120, true},
                                  {66150, 60, 120, false},
                                  {88200, 67, 0, false},
                                  {88200, 64, 0, true},
                                  {88200, 60, 0, false}}));
  EXPECT_EQ(e.roll, (std::vector<RollNote>{{48, 120, 120, false},
                                           {72, 120, 240, false},
                                           {67, 360, 120, false},
                                           {64, 360, 120, true},
                                           {60, 360, 120, false}}));
}

} // namespace
