// The render thread plays while the editor reads the play cursor, snaps notes and turns knobs.

#include "engine_double.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(EngineThreads, EditorAndRenderShareTheEngine) {
  TestEngine e;
  srand(1);
  e.playing = true;
  {
    TestEngine::IMutexLock lock(&e);
    for (int i = 0; i < 16; ++i) {
      e.mMelody.emplace(5512 * i, RNote(60 + i, 30, false));
      e.mMelody.emplace(5512 * (i + 1), RNote(60 + i, 0, false));
    }
  }
  std::atomic<bool> done{false};
  std::atomic<int> seen{0};
  std::thread render([&] {
    while (seen == 0) std::this_thread::yield(); // overlap with the editor's calls
    for (int b = 0; b < 800; ++b) e.Render(512);
    done = true;
  });
  do {
    const int pos = e.GetPlayPosition();
    const int len = e.GetDisplayLoopLength();
    const int bars = e.GetActiveBars();
    EXPECT_GE(pos, 0);
    EXPECT_GE(bars, 1);
    EXPECT_LE(bars, 16);
    EXPECT_GT(len, 0);
    EXPECT_EQ(e.CalculateQuantizedLocation(31), 30);
    e.SetParameterFromGUI(kNumberOfBars, (seen % 4) / 9.0);
    e.SetParameterFromGUI(kNoteLength, (seen % 8) / 7.0);
    ++seen;
  } while (!done);
  render.join();
  EXPECT_GT(seen, 0);
  TestEngine::IMutexLock lock(&e);
  EXPECT_FALSE(e.sent.empty());
}

} // namespace
