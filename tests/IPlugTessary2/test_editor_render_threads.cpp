// The musician edits in the piano roll and plays the on-screen keyboard while the host renders
// on a second thread that taps notes in and toggles pool keys (select mode): the render thread
// hands its changes to the controls without waiting, and what the editor shows at the end is
// the engine's melody. Run under ThreadSanitizer.

#include "live_editor.h"
#include "WDL/IPlug/IGraphics.h"

#include <Cocoa/Cocoa.h>
#include <PlatformTestHooks.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <tuple>
#include <vector>

namespace {

TEST(EditorWhileRendering, RollEditsAndKeyPressesMeetTapsAndPoolChanges) {
  LiveEditorEngine e;
  srand(1);
  IGraphics* g = e.GetGUI();
  ASSERT_NE(g, nullptr);
  NSWindow* window = PlatformTest_CreateWindow(kEditorWidth, kEditorHeight);
  g->OpenWindow(window->contentView());
  e.Keyboard()->Hide(false);
  e.SetParam(kInputRhythmWithMidi, 1);
  e.SetParam(kNumberOfBars, 4);
  {
    TestEngine::IMutexLock lock(&e);
    e.mSelectMode = true;
    e.playing = true;
  }

  std::atomic<bool> editing{true};
  std::thread render([&] {
    for (int b = 0; editing || b < 1500; ++b) {
      if (b % 7 == 0) e.MidiIn(0x90, 60, 100); // taps a note in
      e.Render(256);
    }
  });
  for (int i = 0; i < 60; ++i) {
    const int x = 200 + (i * 37) % 480, y = 30 + (i * 53) % 200;
    PlatformTest_PostMouse(window, kPlatformTestMouseDown, x, y, 2, 0); // adds or deletes
    PlatformTest_PostMouse(window, kPlatformTestMouseUp, x, y, 2, 0);
    PlatformTest_PostMouse(window, kPlatformTestMouseDown, x, y, 1, 0); // drags
    PlatformTest_PostMouse(window, kPlatformTestMouseDragged, x + 20, y - 10, 1, 0);
    PlatformTest_PostMouse(window, kPlatformTestMouseUp, x + 20, y - 10, 1, 0);
    const int kx = 224 + (i * 11) % 300;
    PlatformTest_PostMouse(window, kPlatformTestMouseDown, kx, 250, 1, 0); // a key
    PlatformTest_AdvanceRunLoop(40);
    PlatformTest_PostMouse(window, kPlatformTestMouseUp, kx, 250, 1, 0);
  }
  editing = false;
  render.join();

  // The roll shows the melody's notes: one per start entry, at its tick.
  std::vector<std::tuple<int, int, int>> want, shown;
  {
    TestEngine::IMutexLock lock(&e);
    for (const auto& m : e.mMelody) {
      if (m.second.mNote.second == 0) continue;
      want.emplace_back(m.second.mNote.first, e.ConvertFramesToTicks(m.first),
                        m.second.mNote.second);
    }
  }
  for (const Note& n : e.Roll()->GetNotes()) shown.emplace_back(n.value, n.location, n.length);
  std::sort(want.begin(), want.end());
  std::sort(shown.begin(), shown.end());
  EXPECT_GT(want.size(), 10u);
  EXPECT_EQ(shown, want);
  g->CloseWindow();
  window->release();
}

} // namespace
