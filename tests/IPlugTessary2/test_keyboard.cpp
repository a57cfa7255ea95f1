// The on-screen keyboard with the generated key images: hit tests, presses against the engine's
// held notes, and which key images it draws.

#include "IPlugTessary2/IKeyboardControl.h"
#include "IPlugTessary2/fake_engine.h"
#include "WDL/IPlug/gui/headless_graphics.h"
#include "tools/ImageTable.h"

namespace {

constexpr int kWhiteKeysImage = 19, kBlackKeyImage = 20; // places in kImageTable
const int kOffsets[12] = {0, 8, 12, 20, 24, 36, 44, 48, 56, 60, 68, 72};

struct KeyboardTest : ::testing::Test {
  FakeEngine engine;
  Log log;
  GesturePlug plug{&log};
  // Wide enough to show the top key, which lies past the editor's right edge.
  HeadlessGraphics& g = *new HeadlessGraphics(&plug, 760, 365, QV_IMAGES_DIR);
  IKeyboardControl* kb = nullptr;
  IMouseMod left{true}, right{false, true};

  void SetUp() override {
    plug.AttachGraphics(&g);
    IBitmap wk = g.LoadIBitmap(104, "resources/img/wk.png", 6);
    IBitmap bk = g.LoadIBitmap(105, "resources/img/bk.png", 1);
    kb = new IKeyboardControl(&plug, &engine, 220, 210, 36, 6, &wk, &bk, kOffsets);
    g.AttachControl(kb);
    g.SetStrictDrawing(true);
  }
  void DrawAll() {
    LICE_Clear(g.GetDrawBitmap(), 0);
    IRECT all(0, 0, 760, 365);
    g.Draw(&all);
  }
  // The marker at the bottom-left of what was drawn with its top-left at (x, 210).
  uint32_t MarkerAt(int x, int height) {
    return LICE_GetPixel(g.GetDrawBitmap(), x, 210 + height - 1);
  }
};

TEST_F(KeyboardTest, KeyUnderThePoint) {
  struct Case {
    int dx, dy, key;
  } cases[] = {
      {0, 0, 0},     {7, 29, 0},   {8, 29, 1},  {8, 30, 0},  {15, 0, 1},   {16, 0, 2},
      {12, 40, 2},   {11, 40, 0},  {35, 47, 4}, {36, 47, 5}, {68, 0, 10},  {75, 0, 10},
      {76, 0, 11},   {83, 47, 11}, {84, 0, 12}, {92, 0, 13}, {440, 0, 63}, {504, 0, 72},
      {515, 47, 72}, {516, 0, -1}, {-1, 0, -1}, {0, 48, -1}, {0, -1, -1},  {503, 0, 71},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.key, kb->GetMouseKey(220 + c.dx, 210 + c.dy)) << c.dx << "," << c.dy;
  EXPECT_EQ(IRECT(220, 210, 736, 258), *kb->GetRECT());
}

TEST_F(KeyboardTest, PressesSkipHeldNotesAndReleaseClears) {
  engine.held = {40};
  g.OnMouseDown(221, 240, &left);
  EXPECT_EQ(0, kb->GetKey());
  g.OnMouseDrag(245, 240, &left); // E, held by MIDI input: stays on C
  EXPECT_EQ(0, kb->GetKey());
  g.OnMouseDrag(257, 240, &left);
  EXPECT_EQ(5, kb->GetKey());
  g.OnMouseDrag(100, 100, &left); // off the keyboard
  EXPECT_EQ(-1, kb->GetKey());
  g.OnMouseDrag(221, 211, &left);
  engine.held = {35};
  g.OnMouseDrag(100, 100, &left); // the note below the lowest key is held: stays
  EXPECT_EQ(0, kb->GetKey());
  g.OnMouseUp(100, 100, &left);
  EXPECT_EQ(-1, kb->GetKey());
  g.OnMouseDown(221, 240, &right);
  EXPECT_EQ(-1, kb->GetKey());
  g.OnMouseDblClick(221, 240, &left); // a double click presses like a click
  EXPECT_EQ(0, kb->GetKey());
}

TEST_F(KeyboardTest, DrawsOnlyHighlightedKeys) {
  DrawAll();
  EXPECT_EQ(0u, MarkerAt(220, 48)); // nothing before the first highlight set

  // C D E G A B, B an octave up, the top C, C#, A# and F# two octaves up; two notes off the keys.
  std::vector<int> notes = {36, 38, 40, 43, 45, 47, 59, 108, 37, 46, 66, 20, 120};
  kb->SetKeysSelected(notes);
  DrawAll();
  const uint32_t wk[7] = {0,
                          MarkerPixel(kWhiteKeysImage, 1),
                          MarkerPixel(kWhiteKeysImage, 2),
                          MarkerPixel(kWhiteKeysImage, 3),
                          MarkerPixel(kWhiteKeysImage, 4),
                          MarkerPixel(kWhiteKeysImage, 5),
                          MarkerPixel(kWhiteKeysImage, 6)};
  const uint32_t bk = MarkerPixel(kBlackKeyImage, 1);
  struct Case {
    int x, height;
    uint32_t marker;
  } cases[] = {{220, 48, wk[1]}, {232, 48, wk[2]}, {244, 48, wk[3]}, {256, 48, 0},
               {268, 48, wk[4]}, {280, 48, wk[5]}, {292, 48, wk[3]}, {376, 48, wk[3]},
               {724, 48, wk[6]}, {228, 30, bk},    {432, 30, bk},    {240, 30, 0},
               {288, 30, bk}};
  for (const Case& c : cases) EXPECT_EQ(c.marker, MarkerAt(c.x, c.height)) << c.x;

  notes.clear();
  kb->SetKeysSelected(notes);
  DrawAll();
  EXPECT_EQ(0u, MarkerAt(220, 48));
}

} // namespace
