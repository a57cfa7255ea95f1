// The roll's geometry and what it draws, pixel by pixel.

#include "IPlugTessary2/roll_fixture.h"

namespace {

// RGB of the roll's colours as the bitmap holds them; the pool marks are alpha 180.
enum : uint32_t {
  kGrid = 0x787878,
  kLine = 0x3C3C3C, // row and column lines over the grid; also the black keys
  kBlackRow = 0x5A5A5A,
  kWhiteKey = 0xF0F1F1,
  kNoteFill = 0x0094E0,
  kSelectedFill = 0x0062AE,
  kPlayingFill = 0x002A68,
  kPlayhead = 0xFF3B3B,
  kBorder = 0x3F3F3F,
  kLocked = 0xA8CEE1,
  kLabel = 0,
  kExplicitOnWhite = 0xFB7171,
  kImplicitOnBlack = 0xC67023,
};

struct Pixel {
  int x, y;
  uint32_t rgb;
};

void ExpectPixels(RollTest& t, std::initializer_list<Pixel> pixels) {
  for (const Pixel& p : pixels) EXPECT_EQ(p.rgb, t.Rgb(p.x, p.y)) << p.x << "," << p.y;
}

TEST_F(RollTest, RowsFollowTheScrollDownToNoteZero) {
  struct Case {
    int wheel, scroll, top;
  } cases[] = {{0, -16, 79}, {-55, -71, 24}, {47, 31, 126}, {-500, -71, 24}, {500, 31, 126}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wheel);
    roll->OnMouseWheel(300, 100, &none, -roll->GetScrollRows() - 16); // back to -16
    roll->OnMouseWheel(300, 100, &none, c.wheel);
    EXPECT_EQ(c.scroll, roll->GetScrollRows());
    engine.calls.clear();
    g.OnMouseDblClick(400, 260, &none); // bottom row
    g.OnMouseDblClick(500, 12, &none);  // the top two pixels of a row count one row up
    EXPECT_EQ((std::vector<std::string>{"add " + std::to_string(c.top - 24) + " 210 -1",
                                        "add " + std::to_string(c.top + 1) + " 300 -1"}),
              engine.calls);
    roll->FreshGrid();
    roll->Draw(&g);
    for (int i = 0; i < 25; ++i) {
      const int p = (c.top - i) % 12;
      const bool sharp = p == 1 || p == 3 || p == 6 || p == 8 || p == 10;
      EXPECT_EQ(sharp ? kLine : kWhiteKey, Rgb(169, 16 + 10 * i)) << c.top - i;
      EXPECT_EQ(sharp ? kBlackRow : kGrid, Rgb(250, 16 + 10 * i)) << c.top - i;
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
    // clang-format off
    ExpectPixels(*this, {{c.firstColumn, 16, kLine}, {c.firstColumn + 1, 16, kGrid},
                         {c.barLine, 16, kLine}, {c.barLine - 1, 16, kGrid}});
    // clang-format on
    EXPECT_EQ(kGrid, Rgb(c.noColumn ? c.noColumn : c.firstColumn + 1, 16));
  }
  roll->ZoomOutX(); // stays at 16
  EXPECT_EQ(16, roll->GetZoom());
  roll->ZoomInX();
  EXPECT_EQ(15, roll->GetZoom());
}

TEST_F(RollTest, NotesCutAtTheRightEdgeWidenedAndColoured) {
  roll->AddNote(60, 450, 120, false); // x 664, 128 pixels long: cut at the edge
  roll->AddNote(62, 480, 30, false);  // starts at the right edge
  roll->AddNote(64, 0, 0, false);     // no length
  roll->AddNote(66, 0, 30, true);
  roll->AddNote(68, 60, 30, false);
  Click(250, RowTop(68) + 4);
  roll->Draw(&g);
  const int y = RowTop(60) + 4;
  // clang-format off
  ExpectPixels(*this, {{664, y, kBorder}, {665, y, kNoteFill}, {694, y, kNoteFill},
                       {695, y, kBorder}, {696, y, kLine}, {190, RowTop(64) + 4, kGrid},
                       {185, RowTop(66) + 3, kLocked}, {186, RowTop(66) + 3, kLocked},
                       {187, RowTop(66) + 3, kNoteFill}, {250, RowTop(68) + 4, kSelectedFill}});
  // clang-format on

  roll->FreshGrid();
  roll->AdjustXZoom(16);
  roll->AddNote(60, 0, 15, false); // one pixel at zoom 16, drawn two wide
  engine.position = 80000;         // the playhead away from the note
  roll->Draw(&g);
  roll->Draw(&g);
  ExpectPixels(*this, {{184, y, kBorder}, {185, y, kNoteFill}, {186, y, kBorder}, {187, y, kGrid}});
}

TEST_F(RollTest, PlayheadWedgeAndPlayingNote) {
  engine.position = 44100; // half of a one-bar loop
  roll->AddNote(60, 240, 30, false);
  roll->Draw(&g); // the play position found by one frame is drawn by the next
  roll->Draw(&g);
  // clang-format off
  ExpectPixels(*this, {{440, 19, kPlayhead}, {440, 20, kLine}, {441, 17, kPlayhead},
                       {441, 18, kGrid}, {442, 15, kPlayhead}, {442, 16, kGrid},
                       {443, 11, kPlayhead}, {439, 13, kPlayhead},
                       {445, RowTop(60) + 4, kPlayingFill}});
  // clang-format on
  roll->AdjustXZoom(2); // the same position is a quarter of two bars shown
  roll->Draw(&g);
  roll->Draw(&g);
  ExpectPixels(*this, {{312, 19, kPlayhead}, {441, 17, kGrid}});

  for (int which = 0; which < 2; ++which) { // no bars, or no loop length: no playhead
    engine.bars = which ? 0 : 1;
    engine.loopLength = which ? 88200 : 0;
    roll->Draw(&g);
    roll->Draw(&g);
    for (int x = 183; x < 697; ++x) ASSERT_NE(kPlayhead, Rgb(x, 19)) << x;
  }
}

TEST_F(RollTest, KeyStripLabelsAndMarks) {
  roll->Draw(&g); // C5 and C4 at scroll -16, rows 7 and 19
  // clang-format off
  ExpectPixels(*this, {{173, 83, kLabel}, {177, 83, kWhiteKey}, {182, 83, kLabel},
                       {180, 87, kWhiteKey}, {182, 209, kLabel}, {180, 207, kLabel},
                       {180, 203, kWhiteKey}});
  // clang-format on
  roll->OnMouseWheel(300, 100, &none, -55); // C-1 at the bottom
  roll->Draw(&g);
  ExpectPixels(*this, {{178, 256, kLabel}, {181, 258, kLabel}, {180, 258, kWhiteKey}});
  roll->OnMouseWheel(300, 100, &none, 102); // C9 at row 6
  roll->Draw(&g);
  ExpectPixels(*this, {{178, 78, kLabel}, {182, 74, kLabel}, {179, 77, kWhiteKey}});

  roll->OnMouseWheel(300, 100, &none, -47);
  engine.explicitNotes = {79};
  engine.implicitNotes = {78, 79};
  roll->Draw(&g);
  ExpectPixels(*this,
               {{169, 15, kExplicitOnWhite}, {169, 25, kImplicitOnBlack}, {169, 35, kWhiteKey}});
}

} // namespace
