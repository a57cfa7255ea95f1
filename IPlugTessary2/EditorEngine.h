#pragma once

// Most notes the engine's melody holds at once; the piano roll has room to be told of all.
inline constexpr int kMaxMelodyNotes = 4096;
// The MIDI note of the on-screen keyboard's first key.
inline constexpr int kKeyboardLowestNote = 36;

// What the editor controls ask of the melody engine. The engine implements it; the
// controls' tests implement it with a fake. Every call comes from the main (editor)
// thread; the engine takes its own mutex where it needs one.
class EditorEngine {
public:
  virtual ~EditorEngine() {}

  // Save button: asks for a file name through the editor and writes the melody.
  virtual void SaveMidiFile() = 0;
  // Whether MIDI input holds `note` down (keyboard presses only free keys).
  virtual bool GetKeyStatus(int note) = 0;

  // Piano-roll edits. Ticks count from the loop start; lengths are in ticks.
  virtual void AddOneFromPianoRoll(int note, int ticks, int length) = 0;
  // The note named by all four: twins of one pitch and tick differ in length or lock.
  virtual void DeleteOneFromPianoRoll(int note, int ticks, int length, bool locked) = 0;
  virtual void UpdateOneFromPianoRoll(int value, int location, int length, int oldValue,
                                      int oldLocation, int oldLength, bool locked) = 0;
  virtual void LockOneFromPianoRoll(int note, int ticks, bool lock) = 0;
  virtual void ShiftMelodyFromPianoRoll(int ticks) = 0;
  // Snaps a tick position to the engine's grid, staying inside the loop.
  virtual int CalculateQuantizedLocation(int ticks) = 0;
  // The roll lost some of the engine's changes: tell it the whole melody again (FreshGrid,
  // then AddNote for every note). Nothing by default.
  virtual void RefreshPianoRoll() {}

  // Note pool marks of the roll's key strip.
  virtual void SetNotePoolFromPianoRoll(int note) = 0;
  virtual bool IsExplictlySelected(int note) = 0;
  virtual bool IsImplictlySelected(int note) = 0;

  // Read by the roll's Draw; written on the render thread, so atomic in the engine.
  virtual int GetPlayPosition() const = 0;      // samples from the loop start
  virtual int GetDisplayLoopLength() const = 0; // samples, bar length x bars
  virtual int GetActiveBars() const = 0;        // 1..16
  // First tick past the loop's end: the roll adds and moves notes only before it. The
  // default counts four quarters (480 ticks) per bar, as the roll draws bars; an engine
  // whose bar is shorter overrides it.
  virtual int GetLoopEndTicks() const { return 480 * GetActiveBars(); }
};
