// fuzz-links: midifile
// The ASCII text converter in both directions: text to bytes, and bytes to the MIDI
// listing and the general styles, with every option.
#include "MidiFile/Binasc.h"

#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::ostringstream sink;
  std::cerr.rdbuf(sink.rdbuf()); // diagnostics are expected here
  sink.str("");
  if (size == 0) return 0;

  // The first byte picks the options; the rest is the input.
  int options = data[0];
  std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  Binasc binasc;
  binasc.setMidi(options & 1);
  binasc.setComments(options & 2);
  binasc.setBytes(options & 4);
  binasc.setLineLength(options >> 4);
  binasc.setLineBytes(options >> 3);

  std::istringstream text(input);
  std::ostringstream bytes;
  binasc.writeToBinary(bytes, text);

  std::istringstream binary(input);
  std::ostringstream listing;
  binasc.readFromBinary(listing, binary);
  return 0;
}
