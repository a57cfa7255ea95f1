// Saving the melody as a Standard MIDI File.

#include "IPlugTessary2/IPlugTessary2.h"

#include "IPlugTessary2/MelodyExport.h"
#include "MidiFile/MidiFile.h"
#include "WDL/IPlug/IGraphics.h"

#include <sys/stat.h>

#include <iostream>

void IPlugTessary2::SaveMidiFile() {
  IGraphics* pGraphics = GetGUI();
  if (!pGraphics) return;
  WDL_String fileName, folder;
  if (!mSaveFolder.empty()) folder.Set(mSaveFolder.c_str());
  char extensions[] = "mid";
  pGraphics->PromptForFile(&fileName, kFileSave, &folder, extensions);
  if (!fileName.GetLength()) return; // cancelled, or no editor window
  GenerateMidiFile(fileName.Get());
}

bool IPlugTessary2::GenerateMidiFile(std::string path) {
  std::vector<ExportNote> notes;
  int ticksPerQuarter;
  {
    // The render thread changes the melody and the timing; copy what is written, then
    // write without holding it up.
    IMutexLock lock(this);
    if (mSamplesPerBeat <= 0) {
      std::cerr << "Error: could not write: " << path << " (no tempo from the host)" << std::endl;
      return false;
    }
    ticksPerQuarter = mTicksPerQuarter;
    for (const auto& entry : mMelody) {
      const RNote& r = entry.second;
      if (r.mNote.second == 0 || r.mNote.first == mRestNote || entry.first >= mLoopLength) {
        continue;
      }
      notes.push_back({ConvertFramesToTicks(entry.first), r.mNote.first, r.mNote.second});
    }
  }
  MidiFile file;
  BuildMelodyFile(notes, ticksPerQuarter, file);
  return WriteMelodyFile(file, path);
}

void IPlugTessary2::CopyMidi() {
  ToClipboardMac();
}

void IPlugTessary2::ToClipboardMac() {
  // Nothing names the export folder; without one there is no place to write to, and the
  // file-system root is never one.
  if (mExportFolder.find_first_not_of('/') == std::string::npos) {
    std::cerr << "Error: could not write: no export folder" << std::endl;
    return;
  }
  const std::string path = mExportFolder + "/quorlenmini.mid";
  GenerateMidiFile(path);
}

void IPlugTessary2::ToClipboard(HWND__* /*window*/, const std::string& /*path*/) {}

int IPlugTessary2::CreateFolder(const char* path) {
  if (!path) return -1;
  return mkdir(path, 0755);
}
