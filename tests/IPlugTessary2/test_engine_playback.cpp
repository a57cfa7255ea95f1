// Block playback, note output and MIDI input, against the scripted host.

#include "engine_double.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t kOn = 0x90, kOff = 0x80;

// Stores a note the way the engine lays one: start on the tick grid, end snapped to a tick.
void PutNote(TestEngine& e, int startTick, int lengthTicks, int pitch) {
  const int s = e.ConvertTicksToFrames(startTick);
  const int end = e.ConvertTicksToFrames(
      e.ConvertFramesToTicks((int)(1.0 * lengthTicks * e.mSamplesPerBeat / 120 + s)));
  e.mMelody.emplace(s, RNote(pitch, lengthTicks, false));
  e.mMelody.emplace(end, RNote(pitch, 0, false));
}

SentMidi At(int64_t sample, uint8_t status, int note, int velocity, int block = 512) {
  return {(int)(sample / block), (int)(sample % block), status, (uint8_t)note, (uint8_t)velocity};
}

struct Playing : TestEngine {
  Playing() {
    srand(1);
    playing = true;
  }
  void RenderSamples(int64_t n, int blockSize = 512) {
    for (int64_t done = 0; done < n; done += blockSize) Render(blockSize);
  }
};

TEST(EnginePlayback, OneBarOfSixteenthsOverTwoPasses) {
  Playing e;
  for (int i = 0; i < 16; ++i) PutNote(e, 30 * i, 30, 60 + i);
  e.RenderSamples(2 * 88200 + 1024);

  // Sixteenths at 22050 samples per beat start every 5512.5 samples, rounded down; each note
  // ends where the next one starts, and the pass is exactly the loop long.
  std::vector<SentMidi> want;
  for (int n = 0; n <= 32; ++n) { // the third pass's first note is inside the last block
    const int i = n % 16;
    const int64_t on = 88200LL * (n / 16) + (int64_t)(i * 5512.5);
    if (n > 0) want.push_back(At(on, kOff, 60 + (i + 15) % 16, 0));
    want.push_back(At(on, kOn, 60 + i, 100));
  }
  ASSERT_EQ(e.sent.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(e.sent[i], want[i]) << i;
  // Spelled out: the first release, and the wrap at 88200 in block 172.
  EXPECT_EQ(e.sent[1], (SentMidi{10, 392, kOff, 60, 0}));
  EXPECT_EQ(e.sent[31], (SentMidi{172, 136, kOff, 75, 0}));
  EXPECT_EQ(e.sent[32], (SentMidi{172, 136, kOn, 60, 100}));
}

TEST(EnginePlayback, AtOnePositionReleasesComeFirst) {
  Playing e;
  // The later note stored first: its start precedes the earlier note's end at key 1000.
  e.mMelody.emplace(1000, RNote(64, 30, false));
  e.mMelody.emplace(500, RNote(64, 30, false));
  e.mMelody.emplace(1000, RNote(64, 0, false));
  e.mMelody.emplace(1000, RNote(67, 30, false));
  e.mMelody.emplace(1200, RNote(-2, 30, false)); // a rest sends nothing
  e.mMelody.emplace(1300, RNote(-2, 0, false));
  e.RenderSamples(1536);
  const std::vector<SentMidi> want = {{0, 500, kOn, 64, 100},
                                      {1, 488, kOff, 64, 0},
                                      {1, 488, kOn, 64, 100},
                                      {1, 488, kOn, 67, 100}};
  EXPECT_EQ(e.sent, want);
  EXPECT_TRUE(e.mSounding[64]);
  EXPECT_TRUE(e.mSounding[67]);
}

TEST(EnginePlayback, StopReleasesAndDropsQueuedNoteOns) {
  Playing e;
  PutNote(e, 0, 120, 60);
  PutNote(e, 0, 120, 72);
  e.Render(512);
  ASSERT_EQ(e.sent.size(), 2u);
  e.playing = false;
  {
    TestEngine::IMutexLock lock(&e);
    e.PlayNoteLive(50); // queued between blocks; must not leave while stopped
  }
  e.Render(512);
  const std::vector<SentMidi> want = {{0, 0, kOn, 60, 100},
                                      {0, 0, kOn, 72, 100},
                                      {1, 0, kOff, 50, 0},
                                      {1, 0, kOff, 60, 0},
                                      {1, 0, kOff, 72, 0}};
  EXPECT_EQ(e.sent, want);
  EXPECT_EQ(e.GetPlayPosition(), 0);
  EXPECT_TRUE(e.mMidiQueue.Empty());
  for (bool s : e.mSounding) EXPECT_FALSE(s);
  // Starting again starts the loop from its beginning.
  e.sent.clear();
  e.playing = true;
  e.Render(512);
  EXPECT_EQ(e.sent.size(), 2u);
  EXPECT_EQ(e.GetPlayPosition(), 512);
}

TEST(EnginePlayback, NoteOutputKeepsTheSoundingTable) {
  Playing e;
  TestEngine::IMutexLock lock(&e);
  e.PlayNoteLive(60);
  e.PlayNoteLive(60);
  EXPECT_TRUE(e.mSounding[60]);
  e.TurnNoteOff(60);
  EXPECT_FALSE(e.mSounding[60]);
  e.TurnNoteOff(61); // not sounding: still released
  e.PlayNoteLive(-2);
  e.TurnNoteOff(-2);
  e.mMelody.emplace(10, RNote(62, 30, false));
  e.mMelody.emplace(20, RNote(63, 0, false));
  e.mMelody.emplace(30, RNote(-2, 0, false));
  e.TurnOffPlayingNotes();
  e.mMelody.emplace(40, RNote(64, 0, false));
  e.mMelody.emplace(40, RNote(65, 30, false));
  e.PlayMelodyLive(40, true); // at the loop's end only releases leave
  e.Render(1);
  // Struck again while it sounds: released first.
  const std::vector<SentMidi> want = {
      {0, 0, kOn, 60, 100}, {0, 0, kOff, 60, 0}, {0, 0, kOn, 60, 100}, {0, 0, kOff, 60, 0},
      {0, 0, kOff, 61, 0},  {0, 0, kOff, 63, 0}, {0, 0, kOff, 64, 0}};
  EXPECT_EQ(e.sent, want);
}

// A pitch struck while it sounds is released at the same sample first; the second note's own
// end still sends its note-off.
TEST(EnginePlayback, ARepeatedPitchIsRetriggered) {
  Playing e;
  PutNote(e, 0, 120, 60);
  PutNote(e, 60, 120, 60);
  e.RenderSamples(70 * 512);
  const std::vector<SentMidi> want = {At(0, kOn, 60, 100), At(11025, kOff, 60, 0),
                                      At(11025, kOn, 60, 100), At(22050, kOff, 60, 0),
                                      At(33075, kOff, 60, 0)};
  EXPECT_EQ(e.sent, want);
}

// Overlapping notes of three pitches over several passes, then a stop: no note-on reaches a
// sounding pitch, and nothing sounds afterwards.
TEST(EnginePlayback, NoPitchIsStruckWhileItSounds) {
  Playing e;
  for (int i = 0; i < 40; ++i) PutNote(e, rand() % 480, 7 + rand() % 600, 60 + 2 * (rand() % 3));
  e.RenderSamples(3 * 88200 + 700, 300);
  e.playing = false;
  e.Render(300);
  bool on[128] = {};
  int ons = 0;
  for (const SentMidi& m : e.sent) {
    if (m.status == kOn) {
      ASSERT_FALSE(on[m.data1]) << "block " << m.block << " offset " << m.offset;
      ++ons;
    }
    on[m.data1] = m.status == kOn;
  }
  EXPECT_GT(ons, 100);
  for (int n = 0; n < 128; ++n) EXPECT_FALSE(on[n]) << n;
}

TEST(EngineMidiIn, NotesPassOnceAndKeepKeyStatus) {
  Playing e;
  e.MidiIn(0x90, 60, 90, 7);
  e.MidiIn(0x91, 62, 80, 9);
  e.MidiIn(0x90, 62, 0, 11); // velocity 0: a release
  e.MidiIn(0xB0, 7, 100);    // controllers are neither handled nor passed on
  e.MidiIn(0xE0, 0, 64);
  e.MidiIn(0x90, 200, 100); // data bytes past 127 are not notes
  e.MidiIn(0x80, 60, 200);
  EXPECT_TRUE(e.mKeyDown[60]);
  EXPECT_FALSE(e.mKeyDown[62]);
  EXPECT_EQ(e.mNumKeysHeld, 1);
  EXPECT_EQ(e.keyboardDirty, 3);
  e.Render(512);
  e.Render(512);
  const std::vector<SentMidi> want = {
      {0, 7, 0x90, 60, 90}, {0, 9, 0x91, 62, 80}, {0, 11, 0x90, 62, 0}};
  EXPECT_EQ(e.sent, want);
  e.MidiIn(0x80, 60, 0);
  EXPECT_FALSE(e.mKeyDown[60]);
  EXPECT_EQ(e.mNumKeysHeld, 0);
}

} // namespace
