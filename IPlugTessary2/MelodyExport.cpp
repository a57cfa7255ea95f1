#include "IPlugTessary2/MelodyExport.h"

#include "MidiFile/MidiFile.h"

#include <fstream>
#include <iostream>
#include <sstream>

void BuildMelodyFile(const std::vector<ExportNote>& notes, int ticksPerQuarter, MidiFile& file) {
  file.absoluteTicks();
  file.addTrack(1);
  file.setTicksPerQuarterNote(ticksPerQuarter);
  std::vector<unsigned char> msg(3);
  msg[2] = 100; // note-offs carry the note-on's velocity too
  for (const ExportNote& n : notes) {
    if (n.mNote < 0 || n.mNote > 127 || n.mTick < 0 || n.mLength < 1) continue;
    msg[0] = 0x90;
    msg[1] = static_cast<unsigned char>(n.mNote);
    file.addEvent(1, n.mTick, msg);
    msg[0] = 0x80;
    file.addEvent(1, n.mTick + n.mLength, msg);
  }
  file.sortTracks();
}

bool WriteMelodyFile(MidiFile& file, const std::string& path) {
  std::ostringstream bytes;
  bool ok = file.write(bytes) != 0;
  if (ok) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string& data = bytes.str();
    ok = out.is_open() && out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    ok = ok && !out.fail();
  }
  if (!ok) std::cerr << "Error: could not write: " << path << std::endl;
  return ok;
}
