// Shared by the MIDI file tests: byte builders for Standard MIDI Files, and a reader
// independent of ours (python3-mido) whose view of a file is compared with the model.
#ifndef TESTS_MIDIFILE_MIDI_TEST_UTIL_H
#define TESTS_MIDIFILE_MIDI_TEST_UTIL_H

#include "MidiFile/MidiFile.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>

using Bytes = std::vector<unsigned char>;

inline std::string str(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

// Header (length 6) and one chunk per track, each with its true length.
inline Bytes smf(int format, int tracks, int division, std::initializer_list<Bytes> data) {
  Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<unsigned char>(format)};
  for (int v : {tracks >> 8, tracks, division >> 8, division})
    out.push_back(static_cast<unsigned char>(v));
  for (const Bytes& t : data) {
    out.insert(out.end(), {'M', 'T', 'r', 'k', 0, 0});
    out.insert(out.end(),
               {static_cast<unsigned char>(t.size() >> 8), static_cast<unsigned char>(t.size())});
    out.insert(out.end(), t.begin(), t.end());
  }
  return out;
}

inline Bytes written(MidiFile& f) {
  std::ostringstream out;
  EXPECT_EQ(f.write(out), 1);
  const std::string s = out.str();
  return Bytes(s.begin(), s.end());
}

// Files that exercise the writer and reader: empty; notes as the melody export adds
// them; metas, long texts, sysex and the largest ticks over several tracks.
inline std::vector<std::function<void(MidiFile&)>> sampleFiles() {
  return {
      [](MidiFile&) {},
      [](MidiFile& f) {
        f.addTrack(1);
        for (int i = 0; i < 40; i++) {
          Bytes on = {0x90, static_cast<unsigned char>(48 + i % 30), 100};
          Bytes off = {0x80, on[1], 100};
          f.addEvent(1, i * 60, on);
          f.addEvent(1, i * 60 + 60 + (i % 3) * 40, off);
        }
        f.sortTracks();
      },
      [](MidiFile& f) {
        f.setTPQ(960);
        f.addTempo(0, 0, 133.0);
        f.addTrackName(0, 0, std::string(200, 'n'));
        f.addTimeSignature(0, 0, 7, 8, 24, 8);
        Bytes text(300, 't'), sysex = {0xf0, 0x41, 0x10, 0x42, 0x12, 0xf7}, pressure = {0xd2, 0x40};
        f.addMetaEvent(0, 5, 0x01, text);
        f.addTrack(3);
        f.addEvent(1, 0, sysex);
        f.addPatchChange(1, 0, 2, 5);
        f.addNoteOn(1, 0x3fff, 2, 60, 100);
        f.addNoteOff(1, 0x4000 + 0x3fff, 2, 60);
        f.addPitchBend(2, 0x4000, 9, -0.25);
        f.addController(3, 0x0fffffff, 15, 10, 64);
        f.addPatchChange(3, 0x0fffffff, 15, 3);
        f.addEvent(3, 0x0fffffff, pressure);
        f.sortTracks();
      },
  };
}

namespace mido {

// The interpreter as a shell word: the build picks a python3 from PATH that has mido.
inline std::string python3() {
  return ShellQuote(QV_PYTHON3);
}

// Empty when the reader can run, else what to install.
inline std::string missing() {
  if (std::system((python3() + " -c 'import mido' >/dev/null 2>&1").c_str()) == 0) return "";
  return "python3-mido is missing for " + python3() +
         ": install the Debian package python3-mido (./run-tests.sh installs it)";
}

inline std::string hexBytes(const std::vector<unsigned char>& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char b : bytes) out.append(buf, std::snprintf(buf, sizeof buf, " %02x", b));
  return out.substr(out.empty() ? 0 : 1);
}

// What a shell command prints on its standard output.
inline std::string runCommand(const std::string& cmd) {
  std::string out;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (pipe == nullptr) return "popen failed";
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  pclose(pipe);
  return out;
}

// One line for the header, then "track tick bytes" per event but the end of track.
inline std::string readWithMido(const std::string& path) {
  std::string cmd =
      python3() +
      " -c '\n"
      "import sys, mido\n"
      "f = mido.MidiFile(sys.argv[1])\n"
      "print(\"type\", f.type, \"tpq\", f.ticks_per_beat, \"tracks\", len(f.tracks))\n"
      "for i, t in enumerate(f.tracks):\n"
      "  tick = 0\n"
      "  for m in t:\n"
      "    tick += m.time\n"
      "    if m.type == \"end_of_track\": continue\n"
      "    print(i, tick, \" \".join(\"%02x\" % b for b in m.bytes()))\n"
      "' " +
      ShellQuote(path) + " 2>&1";
  return runCommand(cmd);
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
      if (!e.isEndOfTrack()) out << t << " " << e.tick << " " << hexBytes(e) << "\n";
    }
  return out.str();
}

} // namespace mido

#endif
