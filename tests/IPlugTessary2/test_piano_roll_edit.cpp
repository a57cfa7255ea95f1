// Editing in the roll through the editor's mouse dispatch, against the fake engine.

#include <cstdio>

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
};

TEST_F(EditTest, ClicksSelect) {
  struct Step {
    int x, y;
    bool control;
    std::vector<int> selected;
  } steps[] = {
      {190, 0, false, {1}}, {255, 1, true, {1, 2}}, {255, 1, false, {2}}, {400, 1, false, {}},
      {190, 0, true, {1}},  {400, 0, true, {1}},    {184, 0, false, {}}, // the note's left border
                                                                         // column does not hit it
  };
  for (const Step& s : steps) {
    Click(s.x, s.y ? yB() : yA(), s.control ? &ctrl : &none);
    EXPECT_EQ(s.selected, Selected()) << s.x << (s.control ? " ctrl" : "");
    EXPECT_EQ((int)s.selected.size(), roll->GetSelectedCount());
  }
  // The row of the note's top edge does not hit it; the row below its fill does.
  Click(190, RowTop(60));
  EXPECT_EQ(std::vector<int>{}, Selected());
  Click(190, RowTop(60) + 9);
  EXPECT_EQ(std::vector<int>{1}, Selected());
}

TEST_F(EditTest, KeyStripClickAsksThePoolAndKeepsTheSelection) {
  Click(190, yA());
  Click(175, RowTop(60) + 4);
  Click(168, RowTop(72) + 2);
  EXPECT_EQ((Calls{"pool 60", "pool 72"}), engine.calls);
  EXPECT_EQ(std::vector<int>{1}, Selected());
}

TEST_F(EditTest, DragMovesByPixelsAndRowsAndCommitsSnapped) {
  // The first drag event only notes the row; the second moves one row up.
  Drag(190, yA(), {{191, yA()}, {230, yA() - 10}});
  EXPECT_EQ((Calls{"update 61 30 30 60 0 30 0"}), engine.calls);
  const Note a = NoteById(1);
  EXPECT_EQ(61, a.value);
  EXPECT_EQ(30, a.location);
  EXPECT_EQ(216, a.x);
  EXPECT_EQ(61, a.oldValue);
  EXPECT_EQ(30, a.oldLocation);
  EXPECT_EQ(std::vector<int>{1}, Selected());

  // A release that changes neither row nor snapped location tells the engine nothing.
  engine.calls.clear();
  Drag(220, RowTop(61) + 4, {{222, RowTop(61) + 4}});
  EXPECT_EQ(Calls{}, engine.calls);
}

TEST_F(EditTest, EveryPressStartsItsOwnDragRow) {
  Drag(190, yA(), {{191, yA()}, {191, yA() - 10}}); // ends one row up
  engine.calls.clear();
  // A nudge on the other note: compared with the previous drag's row it would move.
  Drag(255, yB(), {{256, yB()}});
  EXPECT_EQ(Calls{}, engine.calls);
  EXPECT_EQ(62, NoteById(2).value);
}

TEST_F(EditTest, ControlDragMovesEverySelectedNoteAndStopsAtTheLeft) {
  Click(190, yA());
  Click(255, yB(), &ctrl);
  g.OnMouseDown(255, yB(), &ctrl);
  g.OnMouseDrag(205, yB(), &none); // 50 pixels left: note 1 stops at the grid's edge
  g.OnMouseUp(205, yB(), &none);
  EXPECT_EQ((Calls{"update 62 0 30 62 60 30 0"}), engine.calls);
  EXPECT_EQ(184, NoteById(1).x);
  EXPECT_EQ(0, NoteById(1).location);
  EXPECT_EQ(0, NoteById(2).location);
}

TEST_F(EditTest, DragsStayInsideNotesAndLoop) {
  // Far right on a one-bar loop shown at zoom 2: the note stops before the loop's end.
  roll->AdjustXZoom(2);
  Drag(190, yA(), {{600, yA()}});
  EXPECT_EQ((Calls{"update 60 450 30 60 0 30 0"}), engine.calls);
  EXPECT_EQ(424, NoteById(1).x);

  // Rows stop at notes 0 and 127.
  roll->FreshGrid();
  roll->OnMouseWheel(300, 100, &none, -55);
  roll->AddNote(1, 0, 30, false);
  engine.calls.clear();
  Drag(190, RowTop(1) + 4, {{191, 200}, {191, 210}, {191, 220}, {191, 230}});
  EXPECT_EQ((Calls{"update 0 0 30 1 0 30 0"}), engine.calls);
  roll->FreshGrid();
  roll->OnMouseWheel(300, 100, &none, 200);
  roll->AddNote(126, 0, 30, false);
  engine.calls.clear();
  Drag(190, RowTop(126) + 4, {{191, 60}, {191, 50}, {191, 40}, {191, 30}});
  EXPECT_EQ((Calls{"update 127 0 30 126 0 30 0"}), engine.calls);
}

TEST_F(EditTest, WheelScrollsAndCarriesDraggedNotes) {
  g.OnMouseDown(190, yA(), &none);
  g.OnMouseWheel(190, yA(), &none, 2);
  g.OnMouseUp(190, yA(), &none);
  EXPECT_EQ(-14, roll->GetScrollRows());
  EXPECT_EQ((Calls{"update 62 0 30 60 0 30 0"}), engine.calls);

  // At the top the scroll stays, but the dragged note still moves by the step.
  roll->FreshGrid();
  roll->OnMouseWheel(300, 100, &none, 100);
  roll->AddNote(110, 0, 30, false);
  engine.calls.clear();
  g.OnMouseDown(190, RowTop(110) + 4, &none);
  g.OnMouseWheel(190, 100, &none, 1);
  g.OnMouseUp(190, 100, &none);
  EXPECT_EQ(31, roll->GetScrollRows());
  EXPECT_EQ((Calls{"update 111 0 30 110 0 30 0"}), engine.calls);
  roll->OnMouseWheel(300, 100, &none, 1); // no press: only the scroll
  EXPECT_EQ(111, NoteById(3).value);
}

TEST_F(EditTest, DoubleClickAddsThroughTheEngineAndDeletes) {
  DblClick(300, yA());
  EXPECT_EQ((Calls{"add 60 120 -1"}), engine.calls);
  ASSERT_EQ(3u, roll->GetNotes().size());
  EXPECT_EQ(3, roll->GetNotes()[2].id);

  engine.calls.clear();
  DblClick(255, yB()); // selects note 2 on the first press, deletes it on the second
  EXPECT_EQ((Calls{"delete 62 60 30"}), engine.calls);
  EXPECT_EQ(2u, roll->GetNotes().size());
  EXPECT_EQ(0, roll->GetSelectedCount());

  engine.calls.clear();
  DblClick(175, yA()); // key strip: the press asks the pool, the double click nothing
  EXPECT_EQ((Calls{"pool 60"}), engine.calls);

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
    if (x < 184 || x >= 440) {
      EXPECT_EQ(Calls{}, engine.calls) << x;
      continue;
    }
    ASSERT_EQ(1u, engine.calls.size()) << x;
    int note = 0, ticks = -1, length = 0;
    ASSERT_EQ(3, sscanf(engine.calls[0].c_str(), "add %d %d %d", &note, &ticks, &length));
    EXPECT_EQ(0, ticks % 30) << x;
    EXPECT_GE(ticks, 0) << x;
    EXPECT_LT(ticks, 480) << x;
  }
  engine.calls.clear();
  g.OnMouseDblClick(184, 140, &none);
  g.OnMouseDblClick(439, 140, &none);
  EXPECT_EQ((Calls{"add 67 0 -1", "add 67 450 -1"}), engine.calls);

  // An engine grid that rounds onto the loop's end: the roll keeps the note inside.
  engine.floorAtLoopEnd = false;
  engine.calls.clear();
  g.OnMouseDblClick(439, 140, &none);
  EXPECT_EQ((Calls{"add 67 478 -1"}), engine.calls);
}

TEST_F(EditTest, EngineSideLockAndRebuild) {
  Click(190, yA());
  roll->LockAll();
  for (const Note& n : roll->GetNotes()) EXPECT_TRUE(n.locked);
  roll->UnlockAll();
  for (const Note& n : roll->GetNotes()) EXPECT_FALSE(n.locked);
  roll->FreshGrid();
  EXPECT_TRUE(roll->GetNotes().empty());
  EXPECT_EQ(0, roll->GetSelectedCount());
}

} // namespace
