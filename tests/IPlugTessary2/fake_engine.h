#pragma once
// An engine for the editor controls' tests: it logs the roll's calls, snaps to 30-tick steps
// as the engine's grid does (rounding, and the step at or before the tick when rounding reaches
// the loop's end) and adds the roll's notes back the way the engine does.

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "IPlugTessary2/EditorEngine.h"
#include "IPlugTessary2/PianoRollControl.h"

struct FakeEngine : EditorEngine {
  void SaveMidiFile() override { Log("save"); }
  bool GetKeyStatus(int note) override { return held.count(note) > 0; }
  void AddOneFromPianoRoll(int note, int ticks, int length) override {
    Log("add", {note, ticks, length});
    if (roll) roll->AddNote(note, ticks, 30, false);
  }
  void DeleteOneFromPianoRoll(int note, int ticks, int length, bool) override {
    Log("delete", {note, ticks, length});
  }
  void UpdateOneFromPianoRoll(int value, int location, int length, int oldValue, int oldLocation,
                              int oldLength, bool locked) override {
    Log("update", {value, location, length, oldValue, oldLocation, oldLength, locked});
  }
  void LockOneFromPianoRoll(int, int, bool) override {}
  void ShiftMelodyFromPianoRoll(int) override {}
  int CalculateQuantizedLocation(int ticks) override { // ticks >= 0 here
    const int down = ticks / 30 * 30, nearest = ticks % 30 >= 15 ? down + 30 : down;
    return nearest >= 480 * bars && floorAtLoopEnd ? down : nearest;
  }
  void SetNotePoolFromPianoRoll(int note) override { Log("pool", {note}); }
  bool IsExplictlySelected(int note) override { return explicitNotes.count(note) > 0; }
  bool IsImplictlySelected(int note) override { return implicitNotes.count(note) > 0; }
  int GetPlayPosition() const override { return position; }
  int GetDisplayLoopLength() const override { return loopLength; }
  int GetActiveBars() const override { return bars; }

  void Log(const char* what, std::initializer_list<int> numbers = {}) {
    std::string entry = what;
    for (int n : numbers) entry += " " + std::to_string(n);
    calls.push_back(entry);
  }
  std::vector<std::string> calls;
  PianoRollControl* roll = nullptr;
  bool floorAtLoopEnd = true; // false: rounds up onto the loop's end
  std::set<int> held, explicitNotes, implicitNotes;
  std::atomic<int> position{0}, loopLength{88200}, bars{1};
};
