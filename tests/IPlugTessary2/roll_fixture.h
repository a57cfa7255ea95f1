#pragma once
// The piano roll at the editor's place, in a 710 x 365 editor, against the fake engine.

#include <gtest/gtest.h>

#include "IPlugTessary2/PianoRollControl.h"
#include "IPlugTessary2/fake_engine.h"
#include "WDL/IPlug/gui/headless_graphics.h"

// RGB of the roll's colours, as the bitmap holds them.
enum : uint32_t {
  kGrid = 0x787878,
  kBlackRow = 0x5A5A5A,
  kWhiteKey = 0xF0F1F1,
  kBlackKey = 0x3C3C3C,
  kNoteFill = 0x0094E0,
  kSelectedFill = 0x0062AE,
  kPlayingFill = 0x002A68,
  kPlayhead = 0xFF3B3B,
  kBorder = 0x3F3F3F,
  kLocked = 0xA8CEE1,
  kLabel = 0x000000,
};

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
    LICE_Clear(g.GetDrawBitmap(), 0);
  }
  uint32_t Rgb(int x, int y) { return LICE_GetPixel(g.GetDrawBitmap(), x, y) & 0xFFFFFF; }
  // Two frames: the play position found by one is drawn by the next.
  void Frames() {
    roll->Draw(&g);
    roll->Draw(&g);
  }
  void Click(int x, int y, IMouseMod* pMod = nullptr) {
    g.OnMouseDown(x, y, pMod ? pMod : &none);
    g.OnMouseUp(x, y, pMod ? pMod : &none);
  }
  void DblClick(int x, int y) {
    Click(x, y);
    g.OnMouseDblClick(x, y, &none);
  }
  void Drag(int x0, int y0, std::initializer_list<std::pair<int, int>> path) {
    g.OnMouseDown(x0, y0, &none);
    for (auto [x, y] : path) g.OnMouseDrag(x, y, &none);
    const auto last = path.size() ? *(path.end() - 1) : std::pair<int, int>(x0, y0);
    g.OnMouseUp(last.first, last.second, &none);
  }
  Note NoteById(int id) {
    for (const Note& n : roll->GetNotes())
      if (n.id == id) return n;
    return Note();
  }
  // Top pixel row of a note's row on screen at the current scroll.
  int RowTop(int value) { return 962 - 10 * value + 10 * roll->GetScrollRows(); }
};
