// Tapped notes, MIDI rhythm input, rhythm choices and what a restore brings back.

#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/Scale.h"
#include "engine_double.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr uint8_t kOn = 0x90, kOff = 0x80;

struct Tapping : TestEngine {
  Tapping() {
    srand(7);
    playing = true;
  }
  // Renders blocks of 500 until the play position reaches pos.
  void PlayTo(int pos) {
    while (GetPlayPosition() + 500 <= pos) Render(500);
    if (GetPlayPosition() < pos) Render(pos - GetPlayPosition());
  }
  // Start keys and pitches of the start entries.
  std::vector<std::pair<int, int>> Starts() {
    std::vector<std::pair<int, int>> out;
    for (const auto& en : mMelody) {
      if (en.second.mNote.second) out.push_back({en.first, en.second.mNote.first});
    }
    return out;
  }
};

TEST(EngineTaps, OneNotePerPressAtTheNearestGridPoint) {
  Tapping e;
  e.tapValue = 1;
  e.Render(500); // pressed at position 0
  e.Render(500); // still held: nothing more
  ASSERT_EQ(e.Starts().size(), 1u);
  const int first = e.Starts()[0].second;
  EXPECT_TRUE(e.mTapLatch);
  e.tapValue = 0;
  e.Render(500);
  EXPECT_FALSE(e.mTapLatch);
  e.PlayTo(4000);
  e.tapValue = 0.5; // any value but 0 presses
  e.Render(500);
  ASSERT_EQ(e.Starts().size(), 2u);
  const int second = e.Starts()[1].second;
  EXPECT_EQ(e.Starts()[1].first, 5512); // forward to the grid point 5513, then to its tick
  EXPECT_EQ(e.roll.back(), (RollNote{second, 30, 30, false}));
  e.tapValue = 0;
  e.PlayTo(6000);
  // Forward taps sound at once and are struck anew when the loop reaches them; never as rests.
  const std::vector<SentMidi> want = {{0, 0, kOn, (uint8_t)first, 100},
                                      {8, 0, kOn, (uint8_t)second, 100},
                                      {11, 12, kOff, (uint8_t)first, 0},
                                      {11, 12, kOff, (uint8_t)second, 0},
                                      {11, 12, kOn, (uint8_t)second, 100}};
  EXPECT_EQ(e.sent, want);
  for (const auto& s : e.Starts()) EXPECT_GE(s.second, 0);
}

TEST(EngineTaps, ATapWhoseEndIsBehindIsReleasedAtOnce) {
  Tapping e;
  e.SetParam(kNoteLength, 1); // 7 ticks: 1286 samples
  e.PlayTo(2500);             // rounds back to 0; its end, 1286, is behind
  e.tapValue = 1;
  e.Render(500);
  ASSERT_EQ(e.Starts().size(), 1u);
  const uint8_t n = (uint8_t)e.Starts()[0].second;
  const std::vector<SentMidi> want = {{5, 0, kOn, n, 100}, {5, 0, kOff, n, 0}};
  EXPECT_EQ(e.sent, want);
  EXPECT_FALSE(e.mSounding[n]);
}

TEST(EngineTaps, ATapEndingAtThePositionIsReleasedToo) {
  Tapping e;
  e.SetParam(kNoteLength, 1);
  e.PlayTo(1286); // rounds back to 0 and ends right here, where playback has just been
  e.tapValue = 1;
  e.Render(1);
  ASSERT_EQ(e.Starts().size(), 1u);
  EXPECT_FALSE(e.mSounding[e.Starts()[0].second]);
}

TEST(EngineTaps, TheTapIsBoundByTheLoopInThreeFour) {
  Tapping e;
  e.hostNumerator = 3;
  e.Render(1);
  ASSERT_EQ(e.mLoopLength, 66150);
  e.PlayTo(65000); // the nearest grid point, 66156, lies past the loop end
  e.tapValue = 1;
  e.Render(10);
  ASSERT_EQ(e.Starts().size(), 1u);
  EXPECT_EQ(e.Starts()[0].first, 0);
}

// At 160 bpm the grid step is rounded down, so a tap in the bar's last 32nd snaps to a point
// whose tick is the loop's end: it is stored at the loop's start and plays once a pass.
TEST(EngineTaps, ATapOntoTheLoopEndIsStoredAtItsStart) {
  Tapping e;
  e.hostTempo = 160;
  e.Render(1);
  ASSERT_EQ(e.GridStep(), 4134);
  ASSERT_EQ(e.mLoopLength, 66148);
  e.PlayTo(65000); // snaps to 66144, tick 480
  e.tapValue = 1;
  e.Render(1);
  e.tapValue = 0;
  ASSERT_EQ(e.Starts().size(), 1u);
  EXPECT_EQ(e.Starts()[0].first, 0);
  const uint8_t n = (uint8_t)e.Starts()[0].second;
  e.sent.clear();
  for (int i = 0; i < 2 * 66148 / 500; ++i) e.Render(500); // two passes
  int ons = 0;
  for (const SentMidi& m : e.sent) ons += m.status == kOn && m.data1 == n;
  EXPECT_EQ(ons, 2);
}

// A full melody refuses a tap, from the button or from MIDI: nothing is added, sent or
// released, though notes at the tap's key have ended and one of that pitch sounds.
TEST(EngineTaps, ARefusedTapChangesNothing) {
  for (bool midi : {false, true}) {
    SCOPED_TRACE(midi);
    Tapping e;
    e.SetParam(kInputRhythmWithMidi, midi);
    for (int i = 0; i < kMaxMelodyNotes; ++i) {
      e.mMelody.emplace(0, RNote(60, 7, false));
      e.mMelody.emplace(1286, RNote(60, 0, false));
    }
    e.PlayTo(2000); // a tap here snaps back to 0
    {
      TestEngine::IMutexLock lock(&e);
      e.PlayNoteLive(60);
    }
    e.Render(1);
    e.sent.clear();
    if (midi) {
      e.MidiIn(0x90, 64, 100);
    } else {
      e.tapValue = 1;
    }
    ASSERT_TRUE(e.mMidiQueue.Empty());
    e.Render(1);
    EXPECT_EQ(e.mMelody.size(), (size_t)kMaxMelodyEntries);
    EXPECT_EQ(e.mMelody.count(0), (size_t)kMaxMelodyNotes);
    EXPECT_TRUE(e.mSounding[60]);
    EXPECT_TRUE(e.sent.empty());
    EXPECT_TRUE(e.roll.empty());
  }
}

TEST(EngineTaps, MidiRhythmInput) {
  Tapping e;
  e.SetParam(kInputRhythmWithMidi, 1);
  e.PlayTo(5000);
  e.MidiIn(0x90, 64, 100); // taps at 5512, is not passed on
  e.MidiIn(0x90, 65, 0);   // velocity 0 releases: passed on, taps nothing
  e.MidiIn(0x80, 64, 0);   // passed on
  ASSERT_EQ(e.Starts().size(), 1u);
  EXPECT_EQ(e.Starts()[0].first, 5512);
  EXPECT_EQ(e.mNumKeysHeld, -2);
  const uint8_t n = (uint8_t)e.Starts()[0].second;
  e.Render(500);
  e.Render(500);
  const std::vector<SentMidi> want = {{10, 0, 0x90, 65, 0},
                                      {10, 0, 0x80, 64, 0},
                                      {10, 0, kOn, n, 100},
                                      {11, 12, kOff, n, 0},
                                      {11, 12, kOn, n, 100}};
  EXPECT_EQ(e.sent, want);
  // With the transport stopped a tap lands at 0 and nothing sounds.
  e.playing = false;
  e.Render(500);
  e.sent.clear();
  e.MidiIn(0x90, 60, 90);
  e.Render(500);
  ASSERT_EQ(e.Starts().size(), 2u);
  EXPECT_EQ(e.Starts()[0].first, 0);
  const uint8_t m = (uint8_t)e.Starts()[0].second;
  EXPECT_EQ(e.sent, (std::vector<SentMidi>{{13, 0, kOff, m, 0}})); // its note-on is dropped
}

// A tap is one note: its note-on replaces a sounding note of its pitch, its start entry strikes
// it anew (once, when both fall on one sample) and its own end releases it.
TEST(EngineTaps, ATapOwnsThePitchItStrikes) {
  Tapping e;
  e.mNotePool = {60};
  e.mMelody.emplace(0, RNote(60, 120, false));
  e.mMelody.emplace(22050, RNote(60, 0, false)); // sends nothing: the tap replaced it
  e.PlayTo(4000);
  e.tapValue = 1;
  e.Render(500); // forward to 5512, which ends at 11025
  e.tapValue = 0;
  e.PlayTo(30000);
  const std::vector<SentMidi> want = {{0, 0, kOn, 60, 100},   {8, 0, kOff, 60, 0},
                                      {8, 0, kOn, 60, 100},   {11, 12, kOff, 60, 0},
                                      {11, 12, kOn, 60, 100}, {22, 25, kOff, 60, 0}};
  EXPECT_EQ(e.sent, want);

  Tapping m;
  m.mNotePool = {62};
  m.SetParam(kInputRhythmWithMidi, 1);
  m.PlayTo(5512);
  m.MidiIn(0x90, 40, 100); // lands on 5512, the sample its note-on leaves at
  m.PlayTo(12000);
  const std::vector<SentMidi> once = {{12, 0, kOn, 62, 100}, {23, 13, kOff, 62, 0}};
  EXPECT_EQ(m.sent, once);

  // A tap at the sample a melody note of its pitch starts, landing back at 0 and already over,
  // leaves the pitch to that note.
  Tapping b;
  b.mNotePool = {60};
  b.SetParam(kNoteLength, 1); // 7 ticks
  b.mMelody.emplace(2572, RNote(60, 120, false));
  b.mMelody.emplace(24622, RNote(60, 0, false));
  b.PlayTo(2572);
  b.tapValue = 1;
  b.Render(1);
  EXPECT_EQ(b.sent, (std::vector<SentMidi>{{6, 0, kOn, 60, 100}}));
  EXPECT_TRUE(b.mSounding[60]);
}

TEST(EngineRhythms, ChoosingInTheEditorLaysOnce) {
  Tapping e;
  e.playing = false;
  e.rhythmChosen = true;
  e.SetParameterFromGUI(kRhythmsDropdown, 4 / 13.0); // "1/16"
  EXPECT_EQ(e.mRhythmIndex, 4);
  EXPECT_EQ(e.Starts().size(), 16u);
  e.SetParameterFromGUI(kRhythmsDropdown, 4 / 13.0); // the same again: nothing
  EXPECT_EQ(e.Starts().size(), 16u);
  e.SetParameterFromGUI(kRhythmsDropdown, 12 / 13.0); // "1": one more note
  EXPECT_EQ(e.Starts().size(), 17u);
  // From the host as well, while the chooser holds a choice.
  e.SetParam(kRhythmsDropdown, 11);
  EXPECT_EQ(e.Starts().size(), 19u);
  EXPECT_EQ(e.mRhythmIndex, 11);
}

// Saves the state of one engine and restores it into a fresh one.
void Restore(TestEngine& from, TestEngine& to) {
  ByteChunk chunk;
  ASSERT_TRUE(from.SerializeState(&chunk));
  ASSERT_GT(to.UnserializeState(&chunk, 0), 0);
}

TEST(EngineRestore, KeepsTheChosenScaleOrChord) {
  Tapping a;
  a.SetParam(kScalesDropdown, 2 * 12 + 9); // natural minor in A
  a.SetParam(kOctaveZero + 1, 1);
  Tapping b;
  Restore(a, b);
  std::vector<int> want;
  for (int n : scales.at(33).mNotes) want.push_back(n);
  for (int n : scales.at(33).mNotes) {
    if (n + 12 <= 127 && std::find(want.begin(), want.end(), n + 12) == want.end()) {
      want.push_back(n + 12);
    }
  }
  EXPECT_EQ(b.mNotePool, a.mNotePool);
  EXPECT_EQ(b.mNotePool, want);
  EXPECT_FALSE(b.chordChooserShown);

  a.SetParam(kScaleOrChord, 1);
  a.SetParam(kChordsDropdown, 5);
  Tapping c;
  Restore(a, c);
  EXPECT_TRUE(c.chordChooserShown);
  EXPECT_EQ(c.mChosenKeys,
            std::vector<int>(chords.at(5).mNotes.begin(), chords.at(5).mNotes.end()));
}

TEST(EngineRestore, NeverLaysARhythm) {
  Tapping a;
  a.playing = false;
  a.rhythmChosen = true;
  a.SetParameterFromGUI(kRhythmsDropdown, 4 / 13.0);
  ASSERT_FALSE(a.mMelody.empty());
  Tapping b;
  b.rhythmChosen = true; // the chooser still holds an earlier choice
  Restore(a, b);
  EXPECT_TRUE(b.mMelody.empty());
  // A factory preset: every parameter at its default, nothing laid either.
  EXPECT_TRUE(b.RestorePreset(0));
  EXPECT_TRUE(b.mMelody.empty());
  EXPECT_EQ(b.GetParam(kNoteLength)->Value(), 3);
}

} // namespace
