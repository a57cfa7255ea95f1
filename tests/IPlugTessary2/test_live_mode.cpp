// Live mode, select mode and the spread-out pool draw: switched on by no control, run here by
// setting their flags as an embedding host or a later editor would.

#include "IPlugTessary2/melody_entries.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <vector>

namespace {

using Notes = std::vector<int>;

class LiveEngine : public TestEngine {
public:
  using IPlugTessary2::GetNoteAwayFromOthers;
};

// An engine holding a one-bar melody of four quarter notes, C E G C.
void FourQuarters(LiveEngine& e) {
  srand(1);
  e.SetParam(kNoteLength, 5);
  const int notes[] = {60, 64, 67, 72};
  for (int i = 0; i < 4; ++i) e.AddOneFromPianoRoll(notes[i], i * 120, -1);
  e.sent.clear();
}

std::vector<int> Pitches(const LiveEngine& e) {
  std::vector<int> out;
  for (const Entry& x : Entries(e))
    if (x.length != 0) out.push_back(x.note);
  return out;
}

TEST(LiveMode, HeldNotesBecomeThePoolAndRepitchTheMelodyOnce) {
  LiveEngine e;
  FourQuarters(e);
  e.mLiveMode = true;
  e.MidiIn(0x90, 62, 100);
  e.MidiIn(0x90, 65, 90);
  EXPECT_TRUE(e.sent.empty()); // live notes are not passed on
  EXPECT_EQ(e.mChosenKeys, Notes{});

  e.Render(64);
  EXPECT_EQ(e.mChosenKeys, (Notes{62, 65}));
  for (int n : Pitches(e)) EXPECT_TRUE(n == 62 || n == 65) << n;
  EXPECT_EQ(e.roll.size(), 4u);
  // One note-off per note of the old melody, none repeated by the new draw.
  std::vector<SentMidi> offs;
  for (int n : {60, 64, 67, 72}) offs.push_back({0, 0, 0x80, (uint8_t)n, 0});
  EXPECT_EQ(e.sent, offs);

  // Releasing one key changes nothing while another is held, however long.
  const std::vector<Entry> melody = Entries(e);
  e.sent.clear();
  e.MidiIn(0x80, 62, 0);
  for (int b = 0; b < 40; ++b) e.Render(64);
  EXPECT_EQ(e.mChosenKeys, (Notes{62, 65}));
  EXPECT_EQ(Entries(e), melody);
  EXPECT_TRUE(e.sent.empty());
}

TEST(LiveMode, ANewChordAfterAllKeysAreUpReplacesThePool) {
  LiveEngine e;
  FourQuarters(e);
  e.mLiveMode = true;
  e.MidiIn(0x90, 62, 100);
  e.Render(64);
  e.MidiIn(0x80, 62, 0);
  for (int b = 0; b < 31; ++b) e.Render(64); // the release runs out
  e.MidiIn(0x90, 70, 100);
  e.MidiIn(0x90, 0x7F, 0); // velocity 0: a release of a key never held
  e.Render(64);
  EXPECT_EQ(e.mChosenKeys, (Notes{70}));
  EXPECT_EQ(Pitches(e), (std::vector<int>{70, 70, 70, 70}));

  // A note released before the block that would take it leaves the pool as it is.
  e.MidiIn(0x80, 70, 0);
  e.MidiIn(0x90, 50, 100);
  e.MidiIn(0x80, 50, 0);
  e.Render(64);
  EXPECT_EQ(e.mChosenKeys, (Notes{70}));
  // A release with no key down, after the keys are up, only runs out.
  e.MidiIn(0x80, 40, 0);
  for (int b = 0; b < 31; ++b) e.Render(64);
  EXPECT_EQ(e.mChosenKeys, (Notes{70}));
  EXPECT_EQ(Pitches(e), (std::vector<int>{70, 70, 70, 70}));
}

TEST(SelectMode, MidiNoteOnsToggleThePoolAndPassOn) {
  LiveEngine e;
  srand(1);
  e.mSelectMode = true;
  e.MidiIn(0x90, 61, 100, 5);
  e.MidiIn(0x90, 64, 0); // velocity 0 is a release: no toggle
  e.MidiIn(0x90, 66, 100);
  EXPECT_EQ(e.mChosenKeys, (Notes{61, 66}));
  e.MidiIn(0x90, 61, 100);
  EXPECT_EQ(e.mChosenKeys, (Notes{66}));
  ASSERT_EQ(e.sent.size(), 4u);
  EXPECT_EQ(e.sent[0], (SentMidi{0, 5, 0x90, 61, 100}));
  EXPECT_EQ(e.sent[1], (SentMidi{0, 0, 0x90, 64, 0}));
}

TEST(SelectMode, TheOnScreenKeyTogglesOncePerPress) {
  LiveEngine e;
  srand(1);
  e.mSelectMode = true;
  e.keyboardKey = 3; // key 3 from the strip's base note, 36
  e.Render(64);
  EXPECT_EQ(e.mChosenKeys, (Notes{39}));
  e.Render(64); // still held: no second toggle
  EXPECT_EQ(e.mChosenKeys, (Notes{39}));
  e.keyboardKey = -1;
  e.Render(64);
  EXPECT_EQ(e.mChosenKeys, (Notes{39}));
  e.keyboardKey = 3;
  e.Render(64);
  EXPECT_EQ(e.mChosenKeys, Notes{});
  e.keyboardKey = 0;
  e.Render(64);
  EXPECT_EQ(e.mChosenKeys, (Notes{36}));
  e.mSelectMode = false;
  e.keyboardKey = 5;
  e.Render(64);
  EXPECT_EQ(e.mChosenKeys, (Notes{36}));
}

TEST(AwayFromOthers, PicksAPoolIndexAtTheDistanceFromEveryUsedOne) {
  LiveEngine e;
  srand(1);
  e.SetParam(kScalesDropdown, 0); // C major: pool indices 0..7
  ASSERT_EQ(e.mNotePool.size(), 8u);
  for (unsigned seed = 1; seed <= 8; ++seed) {
    srand(seed);
    EXPECT_EQ(e.GetNoteAwayFromOthers({{60, 0}}, 3, 0), 3);
    // 4 is too close to 7 and nothing is 4 from both; one step less finds 3.
    EXPECT_EQ(e.GetNoteAwayFromOthers({{60, 0}, {72, 7}}, 4, 0), 3);
    EXPECT_EQ(e.GetNoteAwayFromOthers({{60, 7}}, 2, 0), 5);
  }
  // Nothing far enough at any distance: a plain draw.
  srand(5);
  const int plain = rand() % 8;
  srand(5);
  EXPECT_EQ(e.GetNoteAwayFromOthers({{60, 0}}, 0, 0), plain);
  e.SetParam(kClearPool, 1);
  EXPECT_EQ(e.GetNoteAwayFromOthers({{60, 0}}, 3, 0), 0);
}

TEST(AwayFromOthers, FromTheMiddleOfASmallPoolEitherSideWillDo) {
  LiveEngine e;
  srand(1);
  e.SetParam(kScaleOrChord, 1);
  e.SetParam(kChordsDropdown, 0); // C: pool indices 0..2
  ASSERT_EQ(e.mNotePool.size(), 3u);
  std::set<int> seen;
  for (unsigned seed = 1; seed <= 16; ++seed) {
    srand(seed);
    const int got = e.GetNoteAwayFromOthers({{64, 1}}, 2, 0);
    EXPECT_TRUE(got == 0 || got == 2) << got;
    seen.insert(got);
  }
  EXPECT_EQ(seen, (std::set<int>{0, 2}));
}

} // namespace
