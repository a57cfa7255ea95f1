// The piano roll against the real engine: double clicks at every column of a row, with the
// roll showing two bars of a one-bar loop, add notes only inside the grid and the loop, and
// the saved file holds exactly the notes the roll shows.

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

#include "IPlugTessary2/PianoRollControl.h"
#include "IPlugTessary2/engine_double.h"
#include "MidiFile/MidiFile.h"
#include "WDL/IPlug/gui/headless_graphics.h"

namespace {

// The engine feeding a roll of its own instead of recording.
struct RollEngine : TestEngine {
  PianoRollControl* pr = nullptr;
  void RollFreshGrid() override { pr->FreshGrid(); }
  void RollAddNote(int value, int ticks, int length, bool locked) override {
    pr->AddNote(value, ticks, length, locked);
  }
  void RollLockAll(bool lock) override { lock ? pr->LockAll() : pr->UnlockAll(); }
};

// Notes as pitch, tick, length and lock, from the roll and from the engine's start entries.
using Shown = std::vector<std::tuple<int, int, int, bool>>;
Shown RollShows(PianoRollControl* pr) {
  Shown out;
  for (const Note& n : pr->GetNotes()) out.emplace_back(n.value, n.location, n.length, n.locked);
  std::sort(out.begin(), out.end());
  return out;
}
Shown EngineHolds(RollEngine& e) {
  Shown out;
  for (const auto& m : e.mMelody)
    if (m.second.mNote.second)
      out.emplace_back(m.second.mNote.first, e.ConvertFramesToTicks(m.first), m.second.mNote.second,
                       m.second.mLocked);
  std::sort(out.begin(), out.end());
  return out;
}

// The roll at the editor's place against the engine, one bar shown: tick 120 of note 71 lies
// at x 312, and its row at y 92..101.
struct TwinNotes : ::testing::Test {
  RollEngine e;
  Log log;
  GesturePlug plug{&log};
  HeadlessGraphics& g = *new HeadlessGraphics(&plug, 710, 365);
  IMouseMod left{true};
  static constexpr int kY = 97;
  void SetUp() override {
    srand(1);
    plug.AttachGraphics(&g);
    e.pr = new PianoRollControl(&plug, &e, IRECT(184, 11, 696, 261));
    g.AttachControl(e.pr);
  }
  void AddAt120(int noteLengthSetting) {
    e.SetParam(kNoteLength, noteLengthSetting);
    g.OnMouseDblClick(312, kY, &left); // the start column: no note there is hit
  }
};

TEST_F(TwinNotes, DeletingOneOfTwoLengthsKeepsTheOther) {
  AddAt120(3); // 30 ticks
  AddAt120(8); // 480 ticks
  ASSERT_EQ(e.mMelody.size(), 4u);
  g.OnMouseDblClick(400, kY, &left); // only the long note reaches here
  EXPECT_EQ(RollShows(e.pr), (Shown{{71, 120, 30, false}}));
  EXPECT_EQ(EngineHolds(e), RollShows(e.pr));
  ASSERT_EQ(e.mMelody.size(), 2u);
  EXPECT_EQ(e.mMelody.begin()->first, 22050);
  EXPECT_EQ(e.mMelody.rbegin()->first, 27562);
  e.SetParam(kNewMelody, 1);
  for (const auto& n : EngineHolds(e)) EXPECT_EQ(std::get<2>(n), 30);
}

TEST_F(TwinNotes, DeletingTheUnlockedTwinKeepsTheLockedOne) {
  AddAt120(3);
  e.SetParam(kLockAll, 1);
  AddAt120(3);
  g.OnMouseDblClick(320, kY, &left); // the later, unlocked one is on top
  EXPECT_EQ(RollShows(e.pr), (Shown{{71, 120, 30, true}}));
  EXPECT_EQ(EngineHolds(e), RollShows(e.pr));
  ASSERT_EQ(e.mMelody.size(), 2u);
  EXPECT_TRUE(e.mMelody.rbegin()->second.mLocked);
  g.OnMouseDblClick(320, kY, &left); // and the locked one, named locked
  EXPECT_TRUE(RollShows(e.pr).empty());
  EXPECT_TRUE(e.mMelody.empty());
}

TEST_F(TwinNotes, DraggingOneTwinMovesItWithItsOwnEnd) {
  AddAt120(3);
  AddAt120(8);
  g.OnMouseDown(400, kY, &left);
  g.OnMouseDrag(464, kY, &left); // two steps later
  g.OnMouseUp(464, kY, &left);
  EXPECT_EQ(RollShows(e.pr), (Shown{{71, 120, 30, false}, {71, 180, 480, false}}));
  EXPECT_EQ(EngineHolds(e), RollShows(e.pr));
  std::vector<std::pair<int, int>> keys;
  for (const auto& m : e.mMelody) keys.push_back({m.first, m.second.mNote.second});
  EXPECT_EQ(keys,
            (std::vector<std::pair<int, int>>{{22050, 30}, {27562, 0}, {33075, 480}, {121275, 0}}));
}

TEST(RollWithEngine, NotesOnlyInsideGridAndLoopAndTheFileHoldsThem) {
  RollEngine e;
  srand(1);
  Log log;
  GesturePlug plug{&log};
  HeadlessGraphics& g = *new HeadlessGraphics(&plug, 710, 365);
  plug.AttachGraphics(&g);
  e.pr = new PianoRollControl(&plug, &e, IRECT(184, 11, 696, 261));
  g.AttachControl(e.pr);
  e.pr->AdjustXZoom(2);
  IMouseMod left{true};

  // Each column alone: what one double click there adds.
  std::vector<int> added(710, -1);
  for (int x = 167; x < 696; ++x) {
    g.OnMouseDblClick(x, 140, &left);
    const std::vector<Note> notes = e.pr->GetNotes();
    ASSERT_LE(notes.size(), 1u) << x;
    if (!notes.empty()) added[x] = notes[0].location;
    e.mMelody.clear();
    e.pr->FreshGrid();
  }
  for (int x = 167; x < 696; ++x) {
    if (x < 184 || x >= 440) {
      EXPECT_EQ(-1, added[x]) << x; // the strip's outline column, or past the loop's end
    } else {
      EXPECT_TRUE(added[x] >= 0 && added[x] < 480 && added[x] % 30 == 0) << x << " " << added[x];
    }
  }

  EXPECT_EQ(0, added[184]);
  EXPECT_EQ(450, added[439]);

  // A few notes, then the file: the same notes at the same ticks.
  for (int x : {167, 184, 300, 439, 440, 600, 695}) g.OnMouseDblClick(x, 140, &left);
  for (int x : {200, 260}) g.OnMouseDblClick(x, 60, &left);
  const std::string path = std::string(QV_BINARY_DIR) + "/roll_engine_test.mid";
  std::remove(path.c_str());
  ASSERT_TRUE(e.GenerateMidiFile(path));
  MidiFile f;
  ASSERT_TRUE(f.read(path));
  std::multiset<std::pair<int, int>> inFile, shown;
  for (int i = 0; i < f.getEventCount(1); ++i)
    if (f.getEvent(1, i).isNoteOn())
      inFile.insert({f.getEvent(1, i).tick, f.getEvent(1, i).getKeyNumber()});
  for (const Note& n : e.pr->GetNotes()) shown.insert({n.location, n.value});
  EXPECT_EQ(5u, shown.size());
  EXPECT_EQ(shown, inFile);
  std::remove(path.c_str());
}

} // namespace
