// The editor controls in a stand-in window through the macOS graphics object: the generated
// images found in the bundle, and the choosers' menus shown by the platform's pop-up menu.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include <Cocoa/Cocoa.h>
#include <PlatformTestHooks.h>

#include "IPlugTessary2/IContactSaveControl.h"
#include "IPlugTessary2/IPopupMenuChoosers.h"
#include "IPlugTessary2/fake_engine.h"
#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/IGraphicsMac.h"
#include "WDL/IPlug/plugbase_test_plug.h"
#include "tools/ImageTable.h"

namespace {

constexpr const char* kBundleID = "com.test.quorlen-controls";

struct MacControlsTest : ::testing::Test {
  // A bundle whose Resources are the generated images, in a folder of this process's own.
  static inline std::filesystem::path root;
  static void SetUpTestSuite() {
    root = std::filesystem::temp_directory_path() / ("qv-controls-" + std::to_string(getpid()));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "Q.component/Contents");
    std::filesystem::create_directory_symlink(QV_IMAGES_DIR,
                                              root / "Q.component/Contents/Resources");
    PlatformTest_RegisterBundle(kBundleID, (root / "Q.component").c_str());
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(root); }

  FakeEngine engine;
  TestPlug plug;
  IGraphicsMac* g = new IGraphicsMac(&plug, 710, 365);
  NSWindow* window = nullptr;
  IPopupMenuRhythms* rhythms = nullptr;

  void SetUp() override {
    PlatformTest_ResetCocoa();
    plug.GetParam(22)->InitInt("ScalesDropdown", -1, 0, 240); // an enum in the test plug-in
    g->SetBundleID(kBundleID);
    IBitmap bg = g->LoadIBitmap(102, "resources/img/bg.png");
    IBitmap save = g->LoadIBitmap(116, "resources/img/SAVE.png", 2);
    g->AttachControl(new IBitmapControl(&plug, 0, 0, -1, &bg));
    g->AttachControl(new IContactSaveControl(&plug, &engine, 611, 290, 0, &save));
    g->AttachControl(new IPopupMenuScales(&plug, 22, IRECT(81, 68, 134, 84)));
    g->AttachControl(rhythms = new IPopupMenuRhythms(&plug, 27, IRECT(27, 315, 55, 335)));
    plug.AttachGraphics(g);
    window = PlatformTest_CreateWindow(710, 365);
    g->OpenWindow(window->contentView());
  }
  void TearDown() override { window->release(); }
  // Editor pixels as a person clicks them: the view takes 2 off x and 3 off y.
  void Press(int x, int y, int clicks) {
    PlatformTest_PostMouse(window, kPlatformTestMouseDown, x + 2, y + 3, clicks, 0);
    PlatformTest_PostMouse(window, kPlatformTestMouseUp, x + 2, y + 3, clicks, 0);
  }
  uint32_t WindowPixel(int x, int y) {
    int w = 0, h = 0;
    return PlatformTest_WindowPixels(window, &w, &h)[y * w + x];
  }
};

TEST_F(MacControlsTest, ImagesFromTheBundleAndMenusFromThePlatform) {
  PlatformTest_AdvanceRunLoop(40);
  EXPECT_EQ(MarkerPixel(1, 1), WindowPixel(0, 364));   // bg.png
  EXPECT_EQ(MarkerPixel(2, 1), WindowPixel(611, 313)); // SAVE.png, first frame

  PlatformTest_ScriptMenuChoice({2});
  Press(85, 75, 1);
  const PlatformTestMenu& m = PlatformTest_LastMenu();
  ASSERT_EQ(12u, m.items.size());
  EXPECT_EQ("C#/Db", m.items[1].title);
  EXPECT_EQ(2.0, plug.GetParam(22)->Value());

  // A double click on the rhythm chooser: two presses, two menus, both dismissed.
  const double rhythm = plug.GetParam(27)->Value();
  const int shown = PlatformTest_MenusShown();
  Press(40, 325, 1);
  Press(40, 325, 2);
  EXPECT_EQ(shown + 2, PlatformTest_MenusShown());
  EXPECT_EQ(13u, PlatformTest_LastMenu().items.size());
  EXPECT_EQ(rhythm, plug.GetParam(27)->Value());
  EXPECT_FALSE(rhythms->IsSelected());
}

} // namespace
