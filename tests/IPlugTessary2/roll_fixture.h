#pragma once
// The piano roll at the editor's place, in a 710 x 365 editor, against the fake engine.

#include <gtest/gtest.h>

#include "IPlugTessary2/PianoRollControl.h"
#include "IPlugTessary2/fake_engine.h"
#include "WDL/IPlug/gui/headless_graphics.h"

struct RollTest : ::testing::Test {
  FakeEngine engine;
  Log log;
  GesturePlug plug{&log};
  HeadlessGraphics& g = *new HeadlessGraphics(&plug, 710, 365);
  PianoRollControl* roll = new PianoRollControl(&plug, &engine, IRECT(184, 11, 696, 261));
  IMouseMod none{true}, ctrl{true, false, false, true};

  void SetUp() override {
    plug.AttachGraphics(&g);
    g.AttachControl(roll);
    engine.roll = roll;
  }
  uint32_t Rgb(int x, int y) { return LICE_GetPixel(g.GetDrawBitmap(), x, y) & 0xFFFFFF; }
  void Click(int x, int y, IMouseMod* pMod = nullptr) {
    g.OnMouseDown(x, y, pMod ? pMod : &none);
    g.OnMouseUp(x, y, pMod ? pMod : &none);
  }
  void Drag(int x0, int y0, std::initializer_list<std::pair<int, int>> path) {
    g.OnMouseDown(x0, y0, &none);
    for (auto [x, y] : path) g.OnMouseDrag(x, y, &none);
    g.OnMouseUp((path.end() - 1)->first, (path.end() - 1)->second, &none);
  }
  // Top pixel row of a note's row on screen at the current scroll.
  int RowTop(int value) { return 962 - 10 * value + 10 * roll->GetScrollRows(); }
};
