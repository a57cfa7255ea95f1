// The save button: each press asks the engine to save, and the engine asks the (scripted)
// dialog; the press leaves the button's value alone and the release sends 0.

#include "IPlugTessary2/IContactSaveControl.h"
#include "IPlugTessary2/fake_engine.h"
#include "WDL/IPlug/gui/headless_graphics.h"
#include "tools/ImageTable.h"

namespace {

constexpr int kSaveImage = 2; // place in kImageTable

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

struct SaveTest : ::testing::Test {
  SavingEngine engine;
  Log log;
  GesturePlug plug{&log};
  DialogGraphics& g = *new DialogGraphics(&plug, 710, 365, QV_IMAGES_DIR);
  IMouseMod left{true};

  void SetUp() override {
    engine.gui = &g;
    IBitmap bmp = g.LoadIBitmap(116, "resources/img/SAVE.png", 2);
    g.AttachControl(new IContactSaveControl(&plug, &engine, 611, 290, 0, &bmp));
    plug.AttachGraphics(&g);
    g.SetStrictDrawing(true);
  }
  uint32_t Marker() {
    IRECT all(0, 0, 710, 365);
    g.Draw(&all);
    return LICE_GetPixel(g.GetDrawBitmap(), 611, 290 + 24 - 1);
  }
};

TEST_F(SaveTest, EveryPressAsksTheDialogOnceAndSendsOnlyTheRelease) {
  g.answers = {"", "/tmp/a.mid", ""};
  g.OnMouseDown(620, 300, &left);
  EXPECT_EQ(MarkerPixel(kSaveImage, 1), Marker()); // pressed, still the first frame
  g.OnMouseUp(620, 300, &left);
  g.OnMouseDown(620, 300, &left);
  g.OnMouseUp(620, 300, &left);
  g.OnMouseDblClick(620, 300, &left);
  g.OnMouseUp(620, 300, &left);
  EXPECT_EQ((std::vector<std::string>{"1 mid -> ", "1 mid -> /tmp/a.mid", "1 mid -> "}), g.asked);
  EXPECT_EQ((std::vector<int>{0, 0, 0}), plug.paramChanges);
  EXPECT_EQ(0.0, plug.GetParam(0)->Value());
}

TEST_F(SaveTest, SecondFrameOnlyWhileTheHostHoldsSaveOn) {
  g.SetParameterFromPlug(0, 1.0, true);
  EXPECT_EQ(MarkerPixel(kSaveImage, 2), Marker());
  g.OnMouseDown(620, 300, &left);
  g.OnMouseUp(620, 300, &left);
  EXPECT_EQ(MarkerPixel(kSaveImage, 1), Marker());
}

} // namespace
