// Temporary empty bodies of the note pool, generation, edits and export, so the engine links
// while they are written. Each moves out of here into its own file when it lands.

#include "IPlugTessary2/IPlugTessary2.h"

// Note pool
void IPlugTessary2::SetScale(int, bool) {}
void IPlugTessary2::SetNotesOctaves(int, bool) {}
void IPlugTessary2::EraseNotesSelected() {}
void IPlugTessary2::ToggleNotesSelected(int) {}
void IPlugTessary2::UpdateNotes(int) {}
void IPlugTessary2::UpdateNotesWithOctaves(int) {}
void IPlugTessary2::SetImplicits() {}
void IPlugTessary2::SetNotePoolFromPianoRoll(int) {}
bool IPlugTessary2::IsExplictlySelected(int) {
  return false;
}
bool IPlugTessary2::IsImplictlySelected(int) {
  return false;
}
bool IPlugTessary2::GetKeyStatus(int) {
  return false;
}
int IPlugTessary2::GetNumKeys() {
  return 0;
}

// Generation and rhythm placement
int IPlugTessary2::GetNoteWhenNoneSelected() {
  return 60;
}
int IPlugTessary2::GetRandomNote(int, bool) {
  return 60;
}
int IPlugTessary2::GetRandomNoteForChord(std::map<int, int>) {
  return 60;
}
void IPlugTessary2::GenerateNewNote(int, bool, bool) {}
void IPlugTessary2::GenerateMelody() {}
void IPlugTessary2::SetRhythm(int) {}
int IPlugTessary2::GetNoteAwayFromOthers(std::map<int, int>, int, int) {
  return 0;
}

// Melody edits
void IPlugTessary2::AddOneFromPianoRoll(int, int, int) {}
void IPlugTessary2::DeleteOneFromPianoRoll(int, int, int) {}
void IPlugTessary2::UpdateOneFromPianoRoll(int, int, int, int, int, int, bool) {}
void IPlugTessary2::LockOneFromPianoRoll(int, int, bool) {}
void IPlugTessary2::ShiftMelodyFromPianoRoll(int) {}
void IPlugTessary2::EraseMelody() {}
void IPlugTessary2::LockUnlockAll() {}
void IPlugTessary2::PitchShiftMelody(int) {}
void IPlugTessary2::HumanizeMelody() {}
void IPlugTessary2::ReverseMelody(bool) {}
void IPlugTessary2::UpdatePianoRollMelody() {}

// MIDI file export
void IPlugTessary2::SaveMidiFile() {}
bool IPlugTessary2::GenerateMidiFile(std::string) {
  return false;
}
void IPlugTessary2::CopyMidi() {}
void IPlugTessary2::ToClipboardMac() {}
void IPlugTessary2::ToClipboard(HWND__*, const std::string&) {}
int IPlugTessary2::CreateFolder(const char*) {
  return -1;
}
