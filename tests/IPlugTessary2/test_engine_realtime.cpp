// The render thread of a host: every step a musician takes while the loop plays, run on it,
// neither allocates nor waits for the editor, which holds its piano roll's lock throughout.
// The roll, told nothing for a while, still ends up showing the melody.

#include "live_editor.h"
#include "testsupport/counting_new.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <tuple>
#include <vector>

using qv_test::gNews;
using qv_test::tCounting;

namespace {

// The roll's own lock, reached as the editor thread would hold it.
struct RollLock : PianoRollControl {
  static EditorMutex& Of(PianoRollControl* roll) { return roll->*(&RollLock::mNotesMutex); }
};

// Each note of the melody as the roll shows it: pitch, tick, length, lock mark.
std::vector<std::tuple<int, int, int, bool>> MelodyNotes(LiveEditorEngine& e) {
  std::vector<std::tuple<int, int, int, bool>> out;
  TestEngine::IMutexLock lock(&e);
  for (const auto& m : e.mMelody) {
    const RNote& r = m.second;
    if (r.mNote.second)
      out.emplace_back(r.mNote.first, e.ConvertFramesToTicks(m.first), r.mNote.second, r.mLocked);
  }
  return out;
}
std::vector<std::tuple<int, int, int, bool>> RollNotes(LiveEditorEngine& e) {
  std::vector<std::tuple<int, int, int, bool>> out;
  for (const Note& n : e.Roll()->GetNotes())
    out.emplace_back(n.value, n.location, n.length, n.locked);
  return out;
}

void Press(LiveEditorEngine& e, int param) {
  e.SetParam(param, 1);
  e.SetParam(param, 0);
}

// Every musician step while playing, a block rendered after each.
void PlayAndEdit(LiveEditorEngine& e) {
  auto block = [&e](int n = 1) {
    for (int i = 0; i < n; ++i) e.Render(256);
  };
  e.SetParam(kOctaveNegative4 + 5, 1); // octave copies
  e.SetParam(kOctaveNegative4 + 2, 1);
  e.SetParam(kOctaveNegative4 + 5, 0);
  block();
  e.tapValue = 1; // the tap button
  block();
  e.tapValue = 0;
  block();
  e.SetParam(kInputRhythmWithMidi, 1); // notes tapped in from MIDI
  e.MidiIn(0x90, 60, 100);
  block();
  e.MidiIn(0x80, 60, 0);
  e.SetParam(kInputRhythmWithMidi, 0);
  e.mLiveMode = true; // held notes make the pool and a new melody
  e.MidiIn(0x90, 62, 100);
  e.MidiIn(0x90, 65, 100);
  block(3);
  e.MidiIn(0x80, 62, 0);
  e.MidiIn(0x80, 65, 0);
  block(32);
  e.mLiveMode = false;
  e.AddOneFromPianoRoll(60, 240, -1); // the roll's edits
  e.UpdateOneFromPianoRoll(62, 480, 30, 60, 240, 30, false);
  e.LockOneFromPianoRoll(62, 480, true);
  e.DeleteOneFromPianoRoll(62, 480, 30, true);
  e.ShiftMelodyFromPianoRoll(120);
  Press(e, kLockAll);
  Press(e, kLockAll);
  block();
  Press(e, kNewMelody);
  block();
  e.SetParam(kRhythmsDropdown, 4); // rhythm changes
  e.SetParam(kRhythmsDropdown, 9);
  block();
  e.hostTempo = 97.5; // tempo and meter
  block();
  e.hostNumerator = 3;
  e.hostTempo = 140;
  block();
  e.SetParam(kNumberOfBars, 3);
  Press(e, kZoomIn);
  Press(e, kClearBeats);
  Press(e, kClearPool);
  block();
}

TEST(EngineRealtime, MusicianStepsOnTheRenderThreadNeitherAllocateNorWaitForTheEditor) {
  LiveEditorEngine e;
  srand(5);
  e.sent.reserve(1 << 16);
  e.rhythmChosen = true;
  e.SetParam(kScalesDropdown, 0);
  e.SetParam(kRhythmsDropdown, 3);
  e.playing = true;
  e.Render(256);

  EditorMutex& rollLock = RollLock::Of(e.Roll());
  const long waits = EditorMutex::Waits();
  rollLock.lock(); // the editor holds its roll for the whole run
  std::atomic<bool> done{false};
  long news = -1;
  std::thread render([&] {
    tCounting = true;
    const long before = gNews;
    PlayAndEdit(e);
    news = gNews - before;
    tCounting = false;
    done = true;
  });
  // Any wait of the render thread on the roll shows as soon as it starts.
  while (!done && EditorMutex::Waits() == waits) std::this_thread::yield();
  rollLock.unlock();
  render.join();
  EXPECT_EQ(EditorMutex::Waits(), waits);
#ifdef QV_COUNTS_ALLOCATIONS
  EXPECT_EQ(news, 0);
#endif
  EXPECT_GT(e.sent.size(), 20u);
  EXPECT_EQ(RollNotes(e), MelodyNotes(e));
}

TEST(EngineRealtime, ARollThatMissedChangesIsToldTheWholeMelody) {
  LiveEditorEngine e;
  srand(2);
  e.rhythmChosen = true;
  e.SetParam(kNumberOfBars, 10); // 16 bars of thirty-seconds: 512 notes
  e.SetParam(kRhythmsDropdown, 2);
  // More changes than the roll has room for while it draws nothing.
  for (int i = 0; i < 40; ++i) Press(e, kNewMelody);
  Press(e, kLockAll);
  const auto notes = MelodyNotes(e);
  EXPECT_EQ(notes.size(), 512u);
  EXPECT_EQ(RollNotes(e), notes);
}

// The render thread floods the roll's queue again while the roll is being told the whole
// melody: the roll asks once more and ends up holding the engine's melody.
struct RacingEngine : LiveEditorEngine {
  int floods = 1;
  void RefreshPianoRoll() override {
    LiveEditorEngine::RefreshPianoRoll();
    IMutexLock lock(this);
    if (floods > 0 && floods--)
      for (int i = 0; i < 40; ++i) GenerateMelody();
  }
};

TEST(EngineRealtime, ARefreshThatLosesChangesAsksAgain) {
  RacingEngine e;
  srand(4);
  e.rhythmChosen = true;
  e.SetParam(kNumberOfBars, 10);
  e.SetParam(kRhythmsDropdown, 2);
  for (int i = 0; i < 40; ++i) Press(e, kNewMelody);
  const auto shown = RollNotes(e);
  EXPECT_EQ(e.floods, 0);
  const auto notes = MelodyNotes(e);
  EXPECT_EQ(notes.size(), 512u);
  EXPECT_EQ(shown, notes);
  // Flooded at every try: the roll keeps asking at its next hand-off.
  e.floods = 3;
  for (int i = 0; i < 40; ++i) Press(e, kNewMelody);
  RollNotes(e);
  EXPECT_EQ(e.floods, 0);
  EXPECT_EQ(RollNotes(e), MelodyNotes(e));
}

TEST(EngineRealtime, AFullMelodyRefusesNotesAndKeepsItsOwn) {
  LiveEditorEngine e;
  srand(3);
  e.SetParam(kNoteLength, 8);
  for (int i = 0; i < kMaxMelodyNotes; ++i) e.AddOneFromPianoRoll(i % 128, i % 480, -1);
  {
    TestEngine::IMutexLock lock(&e);
    ASSERT_EQ(e.mMelody.size(), (size_t)kMaxMelodyEntries);
  }
  const auto before = MelodyNotes(e);
  e.AddOneFromPianoRoll(64, 0, -1);
  e.UpdateOneFromPianoRoll(5, 960, 30, 0, 0, 999, false); // its end not found: one entry more
  e.playing = true;
  e.tapValue = 1;
  e.Render(64);
  e.SetParam(kInputRhythmWithMidi, 1);
  e.MidiIn(0x90, 60, 100);
  e.SetParam(kRhythmsDropdown, 0);
  EXPECT_EQ(MelodyNotes(e), before);
  auto shown = RollNotes(e);
  std::sort(shown.begin(), shown.end());
  auto sorted = before;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(shown, sorted);
  Press(e, kNewMelody); // rebuilds in the room reserved for it
  const auto drawn = MelodyNotes(e);
  EXPECT_EQ(drawn.size(), before.size());
  EXPECT_NE(drawn, before);
}

// Hosts automate on the render thread: setting any parameter through the binding, over its
// whole range, allocates nothing. The buttons that open a site, a dialog or a file are aside.
TEST(EngineRealtime, HostParameterChangesDoNotAllocate) {
  HostedPlug plug;
  plug.SetSampleRate(44100);
  plug.SetBlockSize(512);
  plug.Reset();
  for (int t = 0; t < 480; t += 60) plug.AddOneFromPianoRoll(60 + t / 60, t, -1);
  std::vector<std::pair<int, double>> sets;
  for (int i = 0; i < kNumParams; ++i) {
    if (i == kSave || i == kCopy || i == kLoad || i == kWebsite) continue;
    double lo, hi;
    plug.GetParam(i)->GetBounds(&lo, &hi);
    for (double v = lo; v <= hi; v += 1) sets.push_back({i, v});
    for (double v = hi; v >= lo; v -= 1) sets.push_back({i, v});
  }
  sets.reserve(sets.size());
  tCounting = true;
  const long before = gNews;
  for (const auto& s : sets)
    IPlugAU::DoSetParameter(&plug, s.first, kAudioUnitScope_Global, 0, (float)s.second, 0);
  const long news = gNews - before;
  tCounting = false;
#ifdef QV_COUNTS_ALLOCATIONS
  EXPECT_EQ(news, 0);
#else
  (void)news;
#endif
  EXPECT_GT(sets.size(), 900u);
}

// The melody's node storage: slots of one size and alignment, taken and given back.
TEST(EngineRealtime, NodePoolServesItsOwnSlotsOnly) {
  NodePool pool(64, 2);
  void* a = pool.Take(64, 16);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(pool.Take(65, 8), nullptr);
  EXPECT_EQ(pool.Take(8, 32), nullptr);
  void* b = pool.Take(8, 8);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(pool.Take(8, 8), nullptr); // used up
  std::max_align_t outside[4];
  EXPECT_FALSE(pool.Give(outside));
  EXPECT_TRUE(pool.Give(a));
  EXPECT_EQ(pool.FreeSlots(), 1u);
  EXPECT_EQ(pool.Take(8, 8), a);
}

TEST(EngineRealtime, NoteSetHoldsMidiNotesInOrder) {
  NoteSet s;
  for (int n : {127, 0, 64, 63, 128, -1, 64}) s.insert(n);
  std::vector<int> walked;
  for (int n : s) walked.push_back(n);
  EXPECT_EQ(walked, (std::vector<int>{0, 63, 64, 127}));
  EXPECT_EQ(s.size(), 4u);
  EXPECT_EQ(s.erase(64), 1u);
  EXPECT_EQ(s.erase(64), 0u);
  EXPECT_EQ(s.count(63), 1u);
  EXPECT_EQ(s.count(64), 0u);
  s.clear();
  EXPECT_TRUE(s.empty());
}

// A queue too full for a note-off keeps the note sounding; the stopped block still releases it.
TEST(EngineRealtime, AFullQueueDefersANoteOffToTheNextRelease) {
  TestEngine e;
  {
    TestEngine::IMutexLock lock(&e);
    const IMidiMsg on(0, 0x90, 60, 100);
    while (e.mMidiQueue.TryAdd(&on)) {
    }
    e.PlayNoteLive(61); // refused: not sounding
    EXPECT_FALSE(e.mSounding[61]);
    e.mSounding[62] = true;
    e.TurnNoteOff(62); // refused: still sounding
    EXPECT_TRUE(e.mSounding[62]);
  }
  e.Render(512); // stopped
  ASSERT_EQ(e.sent.size(), 1u);
  EXPECT_EQ(e.sent[0], (SentMidi{0, 0, 0x80, 62, 0}));
  EXPECT_FALSE(e.mSounding[62]);
}

} // namespace
