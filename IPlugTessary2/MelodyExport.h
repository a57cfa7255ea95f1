#pragma once

// The melody as a Standard MIDI File: format 1, an empty first track, the notes in the
// second on channel 1 at velocity 100, 120 ticks per quarter, no tempo or other metas.

#include <string>
#include <vector>

class MidiFile;

// One note to write: start in ticks from the loop start, MIDI note, length in ticks.
struct ExportNote {
  int mTick;
  int mNote;
  int mLength;
};

// Fills an empty `file`. Notes outside 0-127, with a negative start or a length below 1
// are left out; they cannot be played, so they are not written either.
void BuildMelodyFile(const std::vector<ExportNote>& notes, int ticksPerQuarter, MidiFile& file);

// Writes the file's bytes to `path`, creating it only once they are complete. On failure
// returns false and prints one line on standard error.
bool WriteMelodyFile(MidiFile& file, const std::string& path);
