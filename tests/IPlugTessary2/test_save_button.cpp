// The save button: each press asks the engine to save, which opens the (scripted) dialog; the
// press leaves the button's value alone and the release sends 0.

#include <cstdio>

#include "IPlugTessary2/IContactSaveControl.h"
#include "IPlugTessary2/fake_engine.h"
#include "WDL/IPlug/gui/headless_graphics.h"
#include "tools/ImageSpecs.h"

namespace {

constexpr int kSaveImage = 2; // place in kImageSpecs

// Save dialogs answer from a script; an empty answer cancels.
struct DialogGraphics : HeadlessGraphics {
  using HeadlessGraphics::HeadlessGraphics;
  void PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String*, char* ext) override {
    asked.push_back(std::to_string(action) + " " + ext);
    pFilename->Set(Answer().c_str());
  }
  std::vector<std::string> asked;
};

// Saves the way the engine does: a name from the dialog, then a file, or nothing on cancel.
struct SavingEngine : FakeEngine {
  void SaveMidiFile() override {
    FakeEngine::SaveMidiFile();
    WDL_String name, dir;
    char ext[] = "mid";
    gui->PromptForFile(&name, kFileSave, &dir, ext);
    if (!name.GetLength()) return;
    FILE* f = fopen(name.Get(), "wb");
    if (f) fclose(f);
  }
  IGraphics* gui = nullptr;
};

struct SaveTest : ::testing::Test {
  SavingEngine engine;
  Log log;
  GesturePlug plug{&log};
  DialogGraphics& g = *new DialogGraphics(&plug, 710, 365, QV_IMAGES_DIR);
  IContactSaveControl* button = nullptr;
  IMouseMod left{true};
  const std::string path = std::string(QV_BINARY_DIR) + "/save_button_test.mid";

  void SetUp() override {
    engine.gui = &g;
    IBitmap bmp = g.LoadIBitmap(116, "resources/img/SAVE.png", 2);
    button = new IContactSaveControl(&plug, &engine, 611, 290, 0, &bmp);
    g.AttachControl(button);
    plug.AttachGraphics(&g);
    g.SetStrictDrawing(true);
    remove(path.c_str());
  }
  uint32_t Marker() {
    IRECT all(0, 0, 710, 365);
    g.Draw(&all);
    return LICE_GetPixel(g.GetDrawBitmap(), 611, 290 + 24 - 1);
  }
  bool Exists() {
    FILE* f = fopen(path.c_str(), "rb");
    if (f) fclose(f);
    return f != nullptr;
  }
};

TEST_F(SaveTest, PressSavesThroughTheDialogAndCancelWritesNothing) {
  g.answers = {""};
  g.OnMouseDown(620, 300, &left);
  EXPECT_EQ(std::vector<std::string>{"1 mid"}, g.asked);
  EXPECT_FALSE(Exists());
  EXPECT_EQ(0.0, button->GetValue());
  EXPECT_EQ(MarkerPixel(kSaveImage, 1), Marker());
  g.OnMouseUp(620, 300, &left);
  EXPECT_EQ(std::vector<int>{0}, plug.paramChanges);
  EXPECT_EQ(0.0, plug.GetParam(0)->Value());

  g.answers = {path};
  g.OnMouseDown(620, 300, &left);
  g.OnMouseUp(620, 300, &left);
  EXPECT_TRUE(Exists());
  remove(path.c_str());
}

TEST_F(SaveTest, EveryPressOfADoubleClickOpensTheDialog) {
  g.OnMouseDown(620, 300, &left);
  g.OnMouseUp(620, 300, &left);
  g.OnMouseDblClick(620, 300, &left);
  g.OnMouseUp(620, 300, &left);
  EXPECT_EQ((std::vector<std::string>{"save", "save"}), engine.calls);
}

TEST_F(SaveTest, SecondFrameOnlyWhileTheHostHoldsSaveOn) {
  g.SetParameterFromPlug(0, 1.0, true);
  EXPECT_EQ(MarkerPixel(kSaveImage, 2), Marker());
  g.OnMouseDown(620, 300, &left);
  g.OnMouseUp(620, 300, &left);
  EXPECT_EQ(MarkerPixel(kSaveImage, 1), Marker());
}

} // namespace
