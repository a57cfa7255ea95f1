// midi-out.txt's format: a line a note message the plug-in sent, at its place in bars and beats.
#include "host/Session.h"
#include "host/SessionCommon.h"

#include <cmath>
#include <cstdio>

namespace auhost {

namespace {

const int kTicksPerQuarter = 120;

} // namespace

std::string NoteName(int note) {
  static const char* const kNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                         "F#", "G",  "G#", "A",  "A#", "B"};
  if (note < 0 || note > 127) return "?";
  return std::string(kNames[note % 12]) + std::to_string(note / 12 - 1);
}

std::string MidiListingHeader() {
  return "# bar:beat:tick (" + std::to_string(kTicksPerQuarter) +
         " ticks per quarter, from the transport's start)  note  on/off  velocity  block  "
         "offset\n";
}

std::string MidiListingLine(const MidiOut& m, const BlockStart* start, double sampleRate,
                            int numerator) {
  const int onOff = NoteOnOff(m);
  if (onOff < 0) return "";
  char pos[48] = "-";
  if (start) {
    const double beat = start->beat + (double)m.offset / sampleRate * start->tempo / 60.0;
    const long long ticks = llround(beat * kTicksPerQuarter);
    const long long perBar = (long long)kTicksPerQuarter * numerator;
    snprintf(pos, sizeof pos, "%lld:%lld:%03lld", ticks / perBar + 1,
             ticks % perBar / kTicksPerQuarter + 1, ticks % kTicksPerQuarter);
  }
  char line[160];
  snprintf(line, sizeof line, "%-12s %-4s %-3s %3d  block %d  offset %lld\n", pos,
           NoteName(m.bytes[1]).c_str(), onOff ? "on" : "off", m.bytes[2], m.block,
           (long long)m.offset);
  return line;
}

} // namespace auhost
