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

namespace fs = std::filesystem;

TEST(MacControls, ImagesFromTheBundleAndMenusFromThePlatform) {
  // A bundle whose Resources are the generated images, in a folder of this process's own.
  const fs::path root = fs::temp_directory_path() / ("qv-controls-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "Q.component/Contents");
  fs::create_directory_symlink(QV_IMAGES_DIR, root / "Q.component/Contents/Resources");
  PlatformTest_RegisterBundle("com.test.quorlen-controls", (root / "Q.component").c_str());
  PlatformTest_ResetCocoa();

  FakeEngine engine;
  TestPlug plug;
  plug.GetParam(22)->InitInt("ScalesDropdown", -1, 0, 240); // an enum in the test plug-in
  IGraphicsMac* g = new IGraphicsMac(&plug, 710, 365);
  g->SetBundleID("com.test.quorlen-controls");
  IBitmap bg = g->LoadIBitmap(102, "resources/img/bg.png");
  IBitmap save = g->LoadIBitmap(116, "resources/img/SAVE.png", 2);
  g->AttachControl(new IBitmapControl(&plug, 0, 0, -1, &bg));
  g->AttachControl(new IContactSaveControl(&plug, &engine, 611, 290, 0, &save));
  g->AttachControl(new IPopupMenuScales(&plug, 22, IRECT(81, 68, 134, 84)));
  auto* rhythms = new IPopupMenuRhythms(&plug, 27, IRECT(27, 315, 55, 335));
  g->AttachControl(rhythms);
  plug.AttachGraphics(g);
  NSWindow* window = PlatformTest_CreateWindow(710, 365);
  g->OpenWindow(window->contentView());
  // Editor pixels as a person clicks them: the view takes 2 off x and 3 off y.
  auto press = [&](int x, int y, int clicks) {
    PlatformTest_PostMouse(window, kPlatformTestMouseDown, x + 2, y + 3, clicks, 0);
    PlatformTest_PostMouse(window, kPlatformTestMouseUp, x + 2, y + 3, clicks, 0);
  };

  PlatformTest_AdvanceRunLoop(40);
  int w = 0, h = 0;
  const uint32_t* pixels = PlatformTest_WindowPixels(window, &w, &h);
  EXPECT_EQ(MarkerPixel(1, 1), pixels[364 * w]);       // bg.png
  EXPECT_EQ(MarkerPixel(2, 1), pixels[313 * w + 611]); // SAVE.png, first frame

  PlatformTest_ScriptMenuChoice({2});
  press(85, 75, 1);
  ASSERT_EQ(12u, PlatformTest_LastMenu().items.size());
  EXPECT_EQ("C#/Db", PlatformTest_LastMenu().items[1].title);
  EXPECT_EQ(2.0, plug.GetParam(22)->Value());

  // A double click on the rhythm chooser: two presses, two menus, both dismissed.
  const double rhythm = plug.GetParam(27)->Value();
  const int shown = PlatformTest_MenusShown();
  press(40, 325, 1);
  press(40, 325, 2);
  EXPECT_EQ(shown + 2, PlatformTest_MenusShown());
  EXPECT_EQ(13u, PlatformTest_LastMenu().items.size());
  EXPECT_EQ(rhythm, plug.GetParam(27)->Value());
  EXPECT_FALSE(rhythms->IsSelected());
  window->release();
  fs::remove_all(root);
}
