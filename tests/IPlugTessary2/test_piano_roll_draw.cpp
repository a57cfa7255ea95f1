// The roll's geometry and what it draws, pixel by pixel.

#include "IPlugTessary2/roll_fixture.h"

namespace {

// Row and column lines (the line colour), and the pool marks (alpha 180) over the key strip.
constexpr uint32_t kLineOnGrid = 0x3C3C3C;
constexpr uint32_t kExplicitOnWhite = 0xFB7171;
constexpr uint32_t kImplicitOnBlack = 0xC67023;

bool IsSharp(int note) {
  const int p = note % 12;
  return p == 1 || p == 3 || p == 6 || p == 8 || p == 10;
}

TEST_F(RollTest, RowsFollowTheScrollDownToNoteZero) {
  struct Case {
    int wheel, scroll, top, bottom;
  } cases[] = {{0, -16, 79, 55},
               {-55, -71, 24, 0},
               {47, 31, 126, 102},
               {-500, -71, 24, 0},
               {500, 31, 126, 102}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wheel);
    roll->OnMouseWheel(300, 100, &none, -roll->GetScrollRows() - 16); // back to -16
    roll->OnMouseWheel(300, 100, &none, c.wheel);
    EXPECT_EQ(c.scroll, roll->GetScrollRows());
    engine.calls.clear();
    g.OnMouseDblClick(300, 13, &none);  // top row
    g.OnMouseDblClick(400, 260, &none); // bottom row
    g.OnMouseDblClick(500, 12, &none);  // the top two pixels of a row count one row up
    ASSERT_EQ(3u, engine.calls.size());
    EXPECT_EQ("add " + std::to_string(c.top) + " 120 -1", engine.calls[0]);
    EXPECT_EQ("add " + std::to_string(c.bottom) + " 210 -1", engine.calls[1]);
    EXPECT_EQ("add " + std::to_string(c.top + 1) + " 300 -1", engine.calls[2]);
    roll->FreshGrid();
    roll->Draw(&g);
    for (int i = 0; i < 25; ++i) {
      const int note = c.top - i;
      EXPECT_EQ(IsSharp(note) ? kBlackKey : kWhiteKey, Rgb(169, 16 + 10 * i)) << note;
      EXPECT_EQ(IsSharp(note) ? kBlackRow : kGrid, Rgb(250, 16 + 10 * i)) << note;
    }
  }
}

TEST_F(RollTest, ZoomSetsStepsAndColumnLines) {
  // noColumn: where a column would stand with the next smaller spacing (0: none).
  struct Case {
    int zoom;
    double pixelsPerStep;
    int firstColumn, barLine, noColumn;
  } cases[] = {{1, 32.0, 216, 695, 0},         {2, 16.0, 200, 439, 0},
               {3, 512.0 / 48, 194, 353, 0},   {4, 8.0, 200, 311, 192},
               {6, 512.0 / 96, 205, 268, 194}, {12, 512.0 / 192, 205, 225, 194},
               {16, 2.0, 200, 215, 192}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom);
    roll->AdjustXZoom(c.zoom);
    EXPECT_EQ(c.pixelsPerStep, roll->GetPixelsPerStep());
    roll->Draw(&g);
    EXPECT_EQ(kLineOnGrid, Rgb(c.firstColumn, 16));
    EXPECT_EQ(kGrid, Rgb(c.firstColumn + 1, 16));
    EXPECT_EQ(kLineOnGrid, Rgb(c.barLine, 16));
    EXPECT_EQ(kGrid, Rgb(c.barLine - 1, 16));
    if (c.noColumn) {
      EXPECT_EQ(kGrid, Rgb(c.noColumn, 16));
    }
  }
  roll->AdjustXZoom(16);
  roll->ZoomOutX();
  EXPECT_EQ(16, roll->GetZoom());
  roll->AdjustXZoom(1);
  roll->ZoomInX();
  EXPECT_EQ(1, roll->GetZoom());
  roll->ZoomOutX();
  EXPECT_EQ(2, roll->GetZoom());
}

TEST_F(RollTest, NotesAreCutAtTheRightEdgeAndTinyOnesWidened) {
  roll->AddNote(60, 450, 120, false); // x 664, 128 pixels long
  roll->AddNote(62, 480, 30, false);  // starts at the right edge
  roll->AddNote(64, 0, 0, false);     // no length
  roll->Draw(&g);
  const int y60 = RowTop(60) + 4;
  EXPECT_EQ(kBorder, Rgb(664, y60));
  EXPECT_EQ(kNoteFill, Rgb(665, y60));
  EXPECT_EQ(kNoteFill, Rgb(694, y60));
  EXPECT_EQ(kBorder, Rgb(695, y60));
  EXPECT_EQ(kLineOnGrid, Rgb(696, y60)); // the last column line, not the note
  EXPECT_EQ(kGrid, Rgb(190, RowTop(64) + 4));

  roll->FreshGrid();
  roll->AdjustXZoom(16);
  engine.position = 80000;
  roll->AddNote(60, 0, 15, false); // one pixel at zoom 16, drawn two wide
  Frames();
  EXPECT_EQ(kBorder, Rgb(184, y60));
  EXPECT_EQ(kNoteFill, Rgb(185, y60));
  EXPECT_EQ(kBorder, Rgb(186, y60));
  EXPECT_EQ(kGrid, Rgb(187, y60));
}

TEST_F(RollTest, NoteColoursAndBorders) {
  roll->AddNote(60, 0, 30, true);
  roll->AddNote(62, 60, 30, false);
  Click(250, RowTop(62) + 4);
  roll->Draw(&g);
  const int y = RowTop(60);
  EXPECT_EQ(kLocked, Rgb(185, y + 3)); // outer ring
  EXPECT_EQ(kLocked, Rgb(186, y + 3)); // inner ring
  EXPECT_EQ(kNoteFill, Rgb(187, y + 3));
  EXPECT_EQ(kSelectedFill, Rgb(250, RowTop(62) + 4));
}

TEST_F(RollTest, PlayheadWedgeAndPlayingNote) {
  engine.position = 44100; // half of a one-bar loop
  roll->AddNote(60, 240, 30, false);
  Frames();
  EXPECT_EQ(kPlayhead, Rgb(440, 19));
  EXPECT_EQ(kPlayhead, Rgb(441, 17));
  EXPECT_EQ(kGrid, Rgb(441, 18));
  EXPECT_EQ(kPlayhead, Rgb(442, 15));
  EXPECT_EQ(kPlayhead, Rgb(443, 11));
  EXPECT_EQ(kPlayhead, Rgb(439, 13)); // the slanted stroke
  EXPECT_EQ(kLineOnGrid, Rgb(440, 20));
  EXPECT_EQ(kPlayingFill, Rgb(445, RowTop(60) + 4));

  roll->AdjustXZoom(2); // the same position is a quarter of two bars shown
  Frames();
  EXPECT_EQ(kPlayhead, Rgb(312, 19));
  EXPECT_EQ(kGrid, Rgb(441, 17));
}

TEST_F(RollTest, NoPlayheadWithoutALoop) {
  roll->AddNote(60, 0, 30, false);
  for (int which = 0; which < 2; ++which) {
    engine.bars = which ? 0 : 1;
    engine.loopLength = which ? 88200 : 0;
    Frames();
    EXPECT_EQ(kNoteFill, Rgb(190, RowTop(60) + 4));
    for (int x = 183; x < 697; ++x) ASSERT_NE(kPlayhead, Rgb(x, 19)) << x;
  }
}

TEST_F(RollTest, KeyStripLabelsAndMarks) {
  struct Pixel {
    int wheel, x, y;
    uint32_t rgb;
  } pixels[] = {
      // clang-format off
      // C5 and C4 at scroll -16, rows 7 and 19.
      {0, 173, 83, kLabel}, {0, 176, 84, kLabel}, {0, 177, 83, kWhiteKey}, {0, 182, 83, kLabel},
      {0, 180, 87, kWhiteKey}, {0, 182, 209, kLabel}, {0, 180, 207, kLabel},
      {0, 180, 203, kWhiteKey},
      // C-1 at the bottom of scroll -71.
      {-55, 178, 256, kLabel}, {-55, 179, 256, kLabel}, {-55, 181, 258, kLabel},
      {-55, 180, 254, kLabel}, {-55, 182, 259, kLabel}, {-55, 180, 258, kWhiteKey},
      // C9 at scroll 31, row 6.
      {47, 178, 78, kLabel}, {47, 182, 74, kLabel}, {47, 179, 77, kWhiteKey},
      // clang-format on
  };
  int wheel = 0;
  roll->Draw(&g);
  for (const Pixel& p : pixels) {
    if (p.wheel != wheel) {
      roll->OnMouseWheel(300, 100, &none, p.wheel - wheel);
      wheel = p.wheel;
      roll->Draw(&g);
    }
    EXPECT_EQ(p.rgb, Rgb(p.x, p.y)) << p.x << "," << p.y;
  }

  roll->OnMouseWheel(300, 100, &none, -wheel);
  engine.explicitNotes = {79};
  engine.implicitNotes = {78, 79};
  roll->Draw(&g);
  EXPECT_EQ(kExplicitOnWhite, Rgb(169, 15));
  EXPECT_EQ(kImplicitOnBlack, Rgb(169, 25));
  EXPECT_EQ(kWhiteKey, Rgb(169, 35));
}

TEST_F(RollTest, EngineRequestDrawsNothingItself) {
  roll->DrawKeyboard(&g);
  EXPECT_EQ(0u, Rgb(169, 15));
  EXPECT_TRUE(roll->IsDirty());
}

} // namespace
