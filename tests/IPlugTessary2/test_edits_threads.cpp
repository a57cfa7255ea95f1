#include "IPlugTessary2/engine_double.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// The editor's calls on the main thread while the host renders on its own: edits, pool
// changes, generation and export take the plug-in mutex; the roll's marks and play
// position are read without it.
TEST(EngineThreads, EditsPoolAndExportWhileRendering) {
  TestEngine e;
  srand(1);
  e.SetParam(kNoteLength, 4);
  e.playing = true;
  std::atomic<bool> stop{false};
  std::thread render([&] {
    while (!stop) e.Render(256);
  });
  std::thread marks([&] {
    for (int n = 0; !stop; n = (n + 1) % 128) {
      e.IsExplictlySelected(n);
      e.IsImplictlySelected(n);
      e.GetPlayPosition();
    }
  });
  const std::string path = std::string(QV_BINARY_DIR) + "/engine_threads.mid";
  for (int i = 0; i < 300; ++i) {
    const int note = 60 + i % 12, ticks = (i * 30) % 480;
    e.SetParam(kScalesDropdown, i % 240);
    e.AddOneFromPianoRoll(note, ticks, -1);
    if (i % 3 == 0)
      e.UpdateOneFromPianoRoll(note + 1, (ticks + 60) % 480, 60, note, ticks, 60, false);
    if (i % 3 == 1) e.DeleteOneFromPianoRoll(note, ticks, 60, false);
    if (i % 40 == 0) {
      e.SetParam(kNewMelody, 1);
      e.SetParam(kNewMelody, 0);
      e.GenerateMidiFile(path);
    }
  }
  stop = true;
  render.join();
  marks.join();
  e.playing = false;
  e.Render(256);
  int sounding = 0;
  for (bool s : e.mSounding) sounding += s;
  EXPECT_EQ(sounding, 0);
  std::remove(path.c_str());
}

} // namespace
