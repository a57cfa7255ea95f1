#pragma once
// The engine with the scripted host of engine_double.h but its real editor: the piano roll and
// the keyboard it built receive its calls, as in a host.

#include "IPlugTessary2/IKeyboardControl.h"
#include "IPlugTessary2/PianoRollControl.h"
#include "IPlugTessary2/engine_double.h"

struct LiveEditorEngine : TestEngine {
  void RollFreshGrid() override { IPlugTessary2::RollFreshGrid(); }
  void RollAddNote(int value, int ticks, int length, bool locked) override {
    IPlugTessary2::RollAddNote(value, ticks, length, locked);
  }
  void RollDrawKeyboard() override { IPlugTessary2::RollDrawKeyboard(); }
  void RollLockAll(bool lock) override { IPlugTessary2::RollLockAll(lock); }
  void RollZoom(bool in) override { IPlugTessary2::RollZoom(in); }
  void KeyboardShowChosenKeys() override { IPlugTessary2::KeyboardShowChosenKeys(); }
  void KeyboardMarkDirty() override { IPlugTessary2::KeyboardMarkDirty(); }
  int KeyboardKey() override { return IPlugTessary2::KeyboardKey(); }
  void ClearChooserMenus() override { IPlugTessary2::ClearChooserMenus(); }

  PianoRollControl* Roll() { return mPianoRoll; }
  IKeyboardControl* Keyboard() { return mKeyboard; }
};
