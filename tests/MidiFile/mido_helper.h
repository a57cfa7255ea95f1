// Reads a written Standard MIDI File with an independent reader (python3-mido) and
// compares its view with the model's.
#ifndef TESTS_MIDIFILE_MIDO_HELPER_H
#define TESTS_MIDIFILE_MIDO_HELPER_H

#include "MidiFile/MidiFile.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace mido {

inline bool available() {
  return std::system("/usr/bin/python3 -c 'import mido' >/dev/null 2>&1") == 0;
}

inline const char* missingMessage() {
  return "python3-mido is missing for /usr/bin/python3: install the Debian package "
         "python3-mido (./run-tests.sh installs it)";
}

inline std::string hexBytes(const std::vector<unsigned char>& bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); i++) {
    std::snprintf(buf, sizeof buf, i ? " %02x" : "%02x", bytes[i]);
    out += buf;
  }
  return out;
}

// One line for the header, then "track tick bytes" per event but the end of track.
inline std::string readWithMido(const std::string& path) {
  std::string cmd =
      "/usr/bin/python3 -c '\n"
      "import sys, mido\n"
      "f = mido.MidiFile(sys.argv[1])\n"
      "print(\"type\", f.type, \"tpq\", f.ticks_per_beat, \"tracks\", len(f.tracks))\n"
      "for i, t in enumerate(f.tracks):\n"
      "  tick = 0\n"
      "  for m in t:\n"
      "    tick += m.time\n"
      "    if m.type == \"end_of_track\": continue\n"
      "    print(i, tick, \" \".join(\"%02x\" % b for b in m.bytes()))\n"
      "' '" +
      path + "' 2>&1";
  std::string out;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (pipe == nullptr) return "popen failed";
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  pclose(pipe);
  return out;
}

// The same view built from the model (absolute ticks, tracks split).
inline std::string expectedView(MidiFile& file) {
  std::ostringstream out;
  int tracks = file.getTrackCount();
  out << "type " << (tracks == 1 ? 0 : 1) << " tpq " << file.getTPQ() << " tracks " << tracks
      << "\n";
  for (int t = 0; t < tracks; t++)
    for (int i = 0; i < file.getEventCount(t); i++) {
      const MidiEvent& e = file.getEvent(t, i);
      if (e.isEndOfTrack()) continue;
      out << t << " " << e.tick << " " << hexBytes(e) << "\n";
    }
  return out.str();
}

} // namespace mido

#endif
