// The piano roll against the real engine: double clicks at every column of a row, with the
// roll showing two bars of a one-bar loop, add notes only inside the grid and the loop, and
// the saved file holds exactly the notes the roll shows.

#include <cstdio>

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
};

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
