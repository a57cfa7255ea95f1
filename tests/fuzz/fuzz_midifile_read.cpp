// fuzz-links: midifile
// The Standard MIDI File reader (binary and text input): never crashes, stays bounded,
// and whatever it accepts writes and reads back to the same bytes.
#include "MidiFile/MidiFile.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::string writeOf(MidiFile& f) {
  std::ostringstream out;
  if (f.write(out) != 1) std::abort(); // a file read in order always writes
  return out.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::ostringstream sink;
  std::cerr.rdbuf(sink.rdbuf()); // diagnostics are expected here
  sink.str("");

  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  MidiFile file;
  if (file.read(input) != 1) return 0;

  file.getTimeInSeconds(file.getTotalTimeInTicks() / 2);
  file.getAbsoluteTickTime(file.getTotalTimeInSeconds() / 3);
  file.linkNotePairs();

  std::string first = writeOf(file);
  std::istringstream again(first);
  MidiFile copy;
  if (copy.read(again) != 1) std::abort();
  if (writeOf(copy) != first) std::abort();

  std::stringstream text;
  if (file.writeBinasc(text) != 1) std::abort();
  return 0;
}
