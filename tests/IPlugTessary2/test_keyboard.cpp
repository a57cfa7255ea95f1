// The on-screen keyboard and the save button with the generated images: hit tests, presses
// against the engine's held notes and its save dialog, and which image frames they draw.

#include "IPlugTessary2/IContactSaveControl.h"
#include "IPlugTessary2/IKeyboardControl.h"
#include "IPlugTessary2/fake_engine.h"
#include "WDL/IPlug/gui/headless_graphics.h"
#include "tools/ImageTable.h"

namespace {

constexpr int kSaveImage = 2, kWhiteKeysImage = 19, kBlackKeyImage = 20; // places in kImageTable
const int kOffsets[12] = {0, 8, 12, 20, 24, 36, 44, 48, 56, 60, 68, 72};

struct DialogGraphics : HeadlessGraphics {
  using HeadlessGraphics::HeadlessGraphics;
  void PromptForFile(WDL_String* pName, EFileAction action, WDL_String*, char* ext) override {
    pName->Set(Answer().c_str());
    asked.push_back(std::to_string(action) + " " + ext + " -> " + pName->Get());
  }
  std::vector<std::string> asked;
};

// Asks for a name the way the engine does; writing the file is the engine's.
struct SavingEngine : FakeEngine {
  void SaveMidiFile() override {
    WDL_String name, dir;
    char ext[] = "mid";
    gui->PromptForFile(&name, kFileSave, &dir, ext);
  }
  IGraphics* gui = nullptr;
};

struct KeyboardTest : ::testing::Test {
  SavingEngine engine;
  Log log;
  GesturePlug plug{&log};
  // Wide enough to show the top key, which lies past the editor's right edge.
  DialogGraphics& g = *new DialogGraphics(&plug, 760, 365, QV_IMAGES_DIR);
  IKeyboardControl* kb = nullptr;
  IMouseMod left{true}, right{false, true};

  void SetUp() override {
    engine.gui = &g;
    IBitmap wk = g.LoadIBitmap(104, "resources/img/wk.png", 6);
    IBitmap bk = g.LoadIBitmap(105, "resources/img/bk.png", 1);
    IBitmap save = g.LoadIBitmap(116, "resources/img/SAVE.png", 2);
    g.AttachControl(kb = new IKeyboardControl(&plug, &engine, 220, 210, kKeyboardLowestNote, 6, &wk,
                                              &bk, kOffsets));
    g.AttachControl(new IContactSaveControl(&plug, &engine, 611, 290, 0, &save));
    plug.AttachGraphics(&g);
    g.SetStrictDrawing(true);
  }
  // The marker at the bottom-left of what was drawn with its top-left at (x, y).
  uint32_t MarkerAt(int x, int y, int height) {
    LICE_Clear(g.GetDrawBitmap(), 0);
    IRECT all(0, 0, 760, 365);
    g.Draw(&all);
    return LICE_GetPixel(g.GetDrawBitmap(), x, y + height - 1);
  }
};

TEST_F(KeyboardTest, KeyUnderThePoint) {
  struct Case {
    int dx, dy, key;
  } cases[] = {{0, 0, 0},    {7, 29, 0},    {8, 29, 1},   {8, 30, 0},  {15, 0, 1},  {16, 0, 2},
               {35, 47, 4},  {36, 47, 5},   {75, 0, 10},  {76, 0, 11}, {92, 0, 13}, {503, 0, 71},
               {504, 0, 72}, {515, 47, 72}, {516, 0, -1}, {-1, 0, -1}, {0, 48, -1}, {0, -1, -1}};
  for (const Case& c : cases)
    EXPECT_EQ(c.key, kb->GetMouseKey(220 + c.dx, 210 + c.dy)) << c.dx << "," << c.dy;
}

TEST_F(KeyboardTest, PressesSkipHeldNotesAndReleaseClears) {
  engine.held = {40};
  g.OnMouseDown(221, 240, &left);
  g.OnMouseDrag(245, 240, &left); // E, held by MIDI input: stays on C
  EXPECT_EQ(0, kb->GetKey());
  g.OnMouseDrag(257, 240, &left);
  EXPECT_EQ(5, kb->GetKey());
  g.OnMouseDrag(100, 100, &left); // off the keyboard
  EXPECT_EQ(-1, kb->GetKey());
  g.OnMouseUp(100, 100, &left);
  g.OnMouseDown(221, 240, &right);
  EXPECT_EQ(-1, kb->GetKey());
  g.OnMouseDblClick(221, 240, &left); // a double click presses like a click
  EXPECT_EQ(0, kb->GetKey());
  g.OnMouseUp(221, 240, &left);
  EXPECT_EQ(-1, kb->GetKey());
}

TEST_F(KeyboardTest, DrawsOnlyHighlightedKeys) {
  EXPECT_EQ(0u, MarkerAt(220, 210, 48)); // nothing before the first highlight set
  // C D E F G A B, F and B an octave up, the top C, C#, A# and F# two octaves up; two notes
  // off the keys.
  std::vector<int> notes = {36, 38, 40, 43, 45, 47, 53, 59, 108, 37, 46, 66, 20, 120};
  kb->SetKeysSelected(notes);
  auto wk = [](int frame) { return MarkerPixel(kWhiteKeysImage, frame); };
  const uint32_t bk = MarkerPixel(kBlackKeyImage, 1);
  struct Case {
    int x, height;
    uint32_t marker;
  } cases[] = {{220, 48, wk(1)}, {232, 48, wk(2)}, {244, 48, wk(3)}, {256, 48, 0},
               {268, 48, wk(4)}, {280, 48, wk(5)}, {292, 48, wk(3)}, {340, 48, wk(1)},
               {376, 48, wk(3)}, {724, 48, wk(6)}, {228, 30, bk},    {432, 30, bk},
               {240, 30, 0},     {288, 30, bk}};
  for (const Case& c : cases) EXPECT_EQ(c.marker, MarkerAt(c.x, 210, c.height)) << c.x;
  notes.clear();
  kb->SetKeysSelected(notes);
  EXPECT_EQ(0u, MarkerAt(220, 210, 48));
}

// Each press asks the engine to save, which asks the dialog; the press leaves the button's
// value alone and the release sends 0. The second frame shows only while the host holds it on.
TEST_F(KeyboardTest, SaveButtonAsksTheDialogOnEveryPress) {
  g.answers = {"", "/tmp/a.mid"};
  g.OnMouseDown(620, 300, &left);
  EXPECT_EQ(MarkerPixel(kSaveImage, 1), MarkerAt(611, 290, 24));
  g.OnMouseUp(620, 300, &left);
  g.OnMouseDblClick(620, 300, &left);
  g.OnMouseUp(620, 300, &left);
  EXPECT_EQ((std::vector<std::string>{"1 mid -> ", "1 mid -> /tmp/a.mid"}), g.asked);
  EXPECT_EQ((std::vector<int>{0, 0}), plug.paramChanges);
  g.SetParameterFromPlug(0, 1.0, true);
  EXPECT_EQ(MarkerPixel(kSaveImage, 2), MarkerAt(611, 290, 24));
}

} // namespace
