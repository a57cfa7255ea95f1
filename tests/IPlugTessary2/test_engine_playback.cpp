// Block playback, note output and MIDI input, against the scripted host.

#include "engine_double.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

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

// A pitch struck while it sounds is released at the same sample first; from then on it is
// the second note's: the first note's end sends nothing.
TEST(EnginePlayback, ARepeatedPitchIsRetriggered) {
  Playing e;
  PutNote(e, 0, 120, 60);
  PutNote(e, 60, 120, 60);
  e.RenderSamples(70 * 512);
  const std::vector<SentMidi> want = {At(0, kOn, 60, 100), At(11025, kOff, 60, 0),
                                      At(11025, kOn, 60, 100), At(33075, kOff, 60, 0)};
  EXPECT_EQ(e.sent, want);
}

// One pitch's messages as (sample, on), from blocks of 300.
std::vector<std::pair<int64_t, bool>> PitchEvents(const TestEngine& e, int pitch) {
  std::vector<std::pair<int64_t, bool>> out;
  for (const SentMidi& m : e.sent)
    if (m.data1 == pitch) out.push_back({300LL * m.block + m.offset, m.status == kOn});
  return out;
}

// Random notes of three pitches, twins and nested ones among them, over two passes and a
// stop: each pitch sounds from each distinct start of it until the latest end of the notes
// starting there, the pitch's next start or the loop's end, whichever comes first.
TEST(EnginePlayback, EachStartOwnsItsPitchUntilItsEndOrTheNextStart) {
  for (int seed = 1; seed <= 20; ++seed) {
    Playing e;
    srand(seed);
    std::map<int, std::map<int, int>> latestEnd; // pitch -> start tick -> latest end tick
    for (int i = 0; i < 30; ++i) {
      const int pitch = 60 + rand() % 3, start = 30 * (rand() % 16), length = 7 + rand() % 400;
      PutNote(e, start, length, pitch);
      int& end = latestEnd[pitch][start];
      end = std::max(end, start + length);
    }
    e.RenderSamples(2 * 88200, 300);
    e.playing = false;
    e.Render(300); // the stop releases at the third pass's first sample, as a wrap would
    for (const auto& [pitch, starts] : latestEnd) {
      std::vector<std::pair<int64_t, bool>> want;
      for (int64_t pass = 0; pass < 2; ++pass) {
        for (auto it = starts.begin(); it != starts.end(); ++it) {
          const auto next = std::next(it);
          int64_t off = std::min(e.ConvertTicksToFrames(it->second), 88200);
          if (next != starts.end())
            off = std::min<int64_t>(off, e.ConvertTicksToFrames(next->first));
          want.push_back({88200 * pass + e.ConvertTicksToFrames(it->first), true});
          want.push_back({88200 * pass + off, false});
        }
      }
      EXPECT_EQ(PitchEvents(e, pitch), want) << "seed " << seed << " pitch " << pitch;
    }
    for (bool sounding : e.mSounding) EXPECT_FALSE(sounding);
  }
}

// A note struck in one pass does not silence the next pass's: a note drawn behind the play
// position sends its note-off as it always has.
TEST(EnginePlayback, EachPassStartsAfresh) {
  Playing e;
  PutNote(e, 0, 480, 60);
  e.RenderSamples(10 * 512);
  e.DeleteOneFromPianoRoll(60, 0, 480, false);
  e.RenderSamples(220 * 512); // into the second pass, at 29560
  e.sent.clear();
  e.mNoteLength = 30;
  e.AddOneFromPianoRoll(60, 150, 30); // 27562 to 33075, behind
  e.RenderSamples(10 * 512);
  EXPECT_EQ(e.sent, (std::vector<SentMidi>{At(88200 + 33075, kOff, 60, 0)}));
}

// Ownership holds through roll edits and a tempo change: removing a replaced note leaves the
// pitch sounding, removing its owner releases it, a twin struck with the owner holds on.
TEST(EnginePlayback, RollEditsAndTempoChangesKeepTheOwner) {
  Playing e;
  PutNote(e, 0, 120, 60);
  PutNote(e, 60, 120, 60); // owns 60 from 11025
  PutNote(e, 0, 120, 64);
  PutNote(e, 0, 240, 64); // twins: one note-on, held to tick 240
  PutNote(e, 0, 120, 67);
  PutNote(e, 60, 240, 67);  // owns 67 from 11025 to tick 300
  PutNote(e, 180, 120, 67); // ends with it, deleted before it starts
  e.RenderSamples(30 * 512);
  e.sent.clear();
  e.UpdateOneFromPianoRoll(60, 400, 30, 60, 0, 120, false); // the replaced note moves away
  e.DeleteOneFromPianoRoll(64, 0, 240, false);              // the twin ending at 120 holds on
  e.DeleteOneFromPianoRoll(67, 180, 120, false);
  e.Render(512);
  EXPECT_TRUE(e.sent.empty());
  EXPECT_TRUE(e.mSounding[60]);
  EXPECT_TRUE(e.mSounding[64]);
  e.DeleteOneFromPianoRoll(60, 60, 120, false); // the owner: released at once
  e.Render(512);
  EXPECT_EQ(e.sent, (std::vector<SentMidi>{{31, 0, kOff, 60, 0}}));
  e.hostTempo = 90; // 29400 samples a beat: tick 120 at 29400, tick 300 at 73500
  e.sent.clear();
  std::vector<int64_t> at;
  for (int b = 0; b < 140; ++b) { // to 93525, before the moved note
    e.Render(512);
    for (size_t i = at.size(); i < e.sent.size(); ++i)
      at.push_back(e.GetPlayPosition() - 512 + e.sent[i].offset);
  }
  const std::vector<std::pair<int, int64_t>> want = {{64, 29400}, {67, 73500}};
  ASSERT_EQ(e.sent.size(), want.size()) << testing::PrintToString(e.sent);
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(e.sent[i].data1, want[i].first) << i;
    EXPECT_EQ(e.sent[i].status, kOff) << i;
    EXPECT_EQ(at[i], want[i].second) << i;
  }
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
