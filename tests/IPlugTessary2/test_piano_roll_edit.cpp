// Editing in the roll through the editor's mouse dispatch, against the fake engine.

#include "IPlugTessary2/roll_fixture.h"

namespace {

using Calls = std::vector<std::string>;

struct EditTest : RollTest {
  // Note 60 at tick 0 (pixels 184-216) and note 62 at tick 60 (248-280), ids 1 and 2.
  void SetUp() override {
    RollTest::SetUp();
    roll->AddNote(60, 0, 30, false);
    roll->AddNote(62, 60, 30, false);
  }
  int yA() { return RowTop(60) + 4; }
  int yB() { return RowTop(62) + 4; }
  std::vector<int> Selected() {
    std::vector<int> ids;
    for (const Note& n : roll->GetNotes())
      if (n.selected) ids.push_back(n.id);
    return ids;
  }
  Note ById(int id) {
    for (const Note& n : roll->GetNotes())
      if (n.id == id) return n;
    return Note();
  }
};

// Notes already shown move to their columns at the new zoom.
TEST_F(EditTest, ZoomMovesTheNotesShown) {
  EXPECT_EQ(ById(2).x, 248);
  roll->AdjustXZoom(2);
  EXPECT_EQ(ById(2).x, 216);
}

TEST_F(EditTest, ClicksSelectAndTheKeyStripAsksThePool) {
  struct Step {
    int x, dy; // dy from note A's row top
    bool control;
    std::vector<int> selected;
  } steps[] = {{190, 4, false, {1}},  {255, -16, true, {1, 2}}, {255, -16, false, {2}},
               {400, -16, false, {}}, {190, 4, true, {1}},      {400, 4, true, {1}},
               {184, 4, false, {}},   {190, 0, false, {}},      {190, 9, false, {1}},
               {175, 4, false, {1}},  {168, -118, false, {1}}}; // 184: left border; 0: top edge
  for (const Step& s : steps) {
    Click(s.x, RowTop(60) + s.dy, s.control ? &ctrl : &none);
    EXPECT_EQ(s.selected, Selected()) << s.x << "," << s.dy;
    EXPECT_EQ((int)s.selected.size(), roll->GetSelectedCount()) << s.x << "," << s.dy;
  }
  EXPECT_EQ((Calls{"pool 60", "pool 72"}), engine.calls);
}

TEST_F(EditTest, DragMovesByPixelsAndRowsAndCommitsSnapped) {
  // The first drag event only notes the row; the second moves one row up.
  Drag(190, yA(), {{191, yA()}, {230, yA() - 10}});
  EXPECT_EQ((Calls{"update 61 30 30 60 0 30 0"}), engine.calls);
  EXPECT_EQ(216, ById(1).x);
  // A release that changes neither row nor snapped location tells the engine nothing; each
  // press starts its own drag row, so a nudge on the other note does not move it either.
  engine.calls.clear();
  Drag(220, RowTop(61) + 4, {{222, RowTop(61) + 4}, {222, RowTop(61) + 3}}); // +3: still 61
  Drag(255, yB(), {{256, yB()}});
  EXPECT_EQ(Calls{}, engine.calls);

  // Control adds note 1 back: 50 pixels left stops it at the grid's edge.
  Click(230, RowTop(61) + 4, &ctrl);
  g.OnMouseDown(255, yB(), &ctrl);
  g.OnMouseDrag(205, yB(), &none);
  g.OnMouseUp(205, yB(), &none);
  EXPECT_EQ((Calls{"update 61 0 30 61 30 30 0", "update 62 0 30 62 60 30 0"}), engine.calls);
  EXPECT_EQ(184, ById(1).x);
}

TEST_F(EditTest, DragsStayInsideTheLoopAndTheNotes) {
  roll->AdjustXZoom(2); // one bar at zoom 2: the note stops before the loop's end
  Drag(190, yA(), {{600, yA()}});
  EXPECT_EQ((Calls{"update 60 450 30 60 0 30 0"}), engine.calls);
  EXPECT_EQ(424, ById(1).x);

  struct Case {
    int wheel, note, step;
    const char* call;
  } cases[] = {{-55, 1, 10, "update 0 0 30 1 0 30 0"},
               {200, 126, -10, "update 127 0 30 126 0 30 0"}};
  for (const Case& c : cases) {
    roll->FreshGrid();
    roll->OnMouseWheel(300, 100, &none, c.wheel);
    roll->AddNote(c.note, 0, 30, false);
    engine.calls.clear();
    const int y = RowTop(c.note) + 4;
    Drag(190, y,
         {{191, y - 4 * c.step}, {191, y - 3 * c.step}, {191, y - 2 * c.step}, {191, y - c.step}});
    EXPECT_EQ(Calls{c.call}, engine.calls);
  }
}

TEST_F(EditTest, WheelScrollsAndCarriesDraggedNotes) {
  g.OnMouseDown(190, yA(), &none);
  g.OnMouseWheel(190, yA(), &none, 2);
  g.OnMouseUp(190, yA(), &none);
  EXPECT_EQ(-14, roll->GetScrollRows());
  EXPECT_EQ((Calls{"update 62 0 30 60 0 30 0"}), engine.calls);

  // At the top the scroll stays, but the dragged note still moves by the step, up to 127.
  roll->FreshGrid();
  roll->OnMouseWheel(300, 100, &none, 100);
  roll->AddNote(126, 0, 30, false);
  engine.calls.clear();
  g.OnMouseDown(190, RowTop(126) + 4, &none);
  g.OnMouseWheel(190, 100, &none, 3);
  g.OnMouseUp(190, 100, &none);
  EXPECT_EQ(31, roll->GetScrollRows());
  EXPECT_EQ((Calls{"update 127 0 30 126 0 30 0"}), engine.calls);
}

TEST_F(EditTest, DoubleClickAddsThroughTheEngineAndDeletes) {
  Click(300, yA());
  g.OnMouseDblClick(300, yA(), &none);
  EXPECT_EQ(3, roll->GetNotes().back().id);
  engine.calls.clear();
  Click(255, yB()); // selects note 2, the double click deletes it
  g.OnMouseDblClick(255, yB(), &none);
  EXPECT_EQ(Calls{"delete 62 60 30"}, engine.calls);
  EXPECT_EQ(2u, roll->GetNotes().size());
  EXPECT_EQ(0, roll->GetSelectedCount());
  roll->FreshGrid();
  roll->AddNote(64, 0, 30, false);
  EXPECT_EQ(4, roll->GetNotes()[0].id); // ids are never reused
}

// Notes go only into the grid and only where the loop plays them: nothing on the key strip's
// outline column, nothing past the end of a one-bar loop shown at zoom 2.
TEST_F(EditTest, DoubleClicksOutsideTheGridOrLoopAddNothing) {
  engine.roll = nullptr; // adds are only logged
  roll->AdjustXZoom(2);
  for (int x = 167; x < 696; ++x) {
    engine.calls.clear();
    g.OnMouseDblClick(x, 140, &none);
    const std::string add = "add 67 " + std::to_string(std::min(450, (x - 176) / 16 * 30)) + " -1";
    EXPECT_EQ(x >= 184 && x < 440 ? Calls{add} : Calls{}, engine.calls) << x;
  }
  engine.floorAtLoopEnd = false; // a grid that rounds onto the loop's end: kept inside
  engine.calls.clear();
  g.OnMouseDblClick(184, 140, &none);
  g.OnMouseDblClick(439, 140, &none);
  EXPECT_EQ((Calls{"add 67 0 -1", "add 67 478 -1"}), engine.calls);
}

} // namespace
