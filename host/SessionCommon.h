#pragma once
// What the session's files share: reading a number, a knob position or a file, a note
// message's kind, a script line's place and the name of the session's log.

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "host/auhost.h"

namespace auhost {

// The session's own log; no step may write a file of its name.
inline constexpr char kListingName[] = "midi-out.txt";

// Knob positions of the bars knob and the loop lengths they give.
inline constexpr int kBarsForKnob[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 16};

inline bool ParseInt(const std::string& s, long lo, long hi, long* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = strtol(s.c_str(), &end, 10);
  if (errno || *end || v < lo || v > hi) return false;
  *out = v;
  return true;
}

inline bool ParseDouble(const std::string& s, double lo, double hi, double* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = strtod(s.c_str(), &end);
  if (errno || *end || !std::isfinite(v) || v < lo || v > hi) return false;
  *out = v;
  return true;
}

inline int KnobForBars(long bars) {
  for (int k = 1; k <= 10; ++k)
    if (kBarsForKnob[k] == bars) return k;
  return 0;
}

// A note message's kind: 1 a note-on, 0 a note-off (or a note-on at velocity 0), -1 anything
// else.
inline int NoteOnOff(const MidiOut& m) {
  if (m.bytes.size() != 3) return -1;
  const int kind = m.bytes[0] & 0xF0;
  if (kind != 0x80 && kind != 0x90) return -1;
  return kind == 0x90 && m.bytes[2] > 0 ? 1 : 0;
}

inline std::string Where(const std::string& name, int line) {
  return name + ":" + std::to_string(line) + ": ";
}

inline std::string ReadFile(const std::string& path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  *ok = (bool)in;
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline bool IsDir(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace auhost
