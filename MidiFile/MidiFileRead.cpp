#include "MidiFile/Binasc.h"
#include "MidiFile/MidiFile.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

// Reservations trust the input only this far; lists grow on demand beyond it.
const int kMaxReserve = 16384;

const char kUnexpectedEnd[] = "Error: unexpected end of file.";

} // namespace

MidiFile::MidiFile(const char* aFile) : MidiFile() {
  read(aFile);
  timeMap.clear();
  timeMapValid = 0;
}

MidiFile::MidiFile(const std::string& aFile) : MidiFile() {
  read(aFile);
  timeMap.clear();
  timeMapValid = 0;
}

MidiFile::MidiFile(std::istream& input) : MidiFile() {
  read(input);
  timeMap.clear();
  timeMapValid = 0;
}

int MidiFile::read(const char* aFile) {
  rwstatus = 1;
  timeMapValid = 0;
  if (aFile == nullptr) return 0;
  setFilename(aFile);
  std::ifstream input(aFile, std::ios::binary);
  if (!input.is_open()) return 0;
  return read(input);
}

int MidiFile::read(const std::string& aFile) {
  return read(aFile.c_str());
}

int MidiFile::read(std::istream& input) {
  try {
    rwstatus = readStream(input);
  } catch (...) { // allocation failure: the library throws nothing out
    rwstatus = 0;
  }
  return rwstatus;
}

int MidiFile::readTag(std::istream& input, const char* tag, bool inTrack) {
  const char* where = inTrack ? " at first byte in track" : " at first byte";
  for (const char* letter = tag; *letter != '\0'; letter++) {
    int c = input.get();
    if (input.fail()) {
      std::cerr << "In file " << getFilename() << ": unexpected end of file." << std::endl;
      std::cerr << "Expecting '" << *letter << "'" << where << ", but found nothing." << std::endl;
      return 0;
    }
    if (c != *letter) {
      std::cerr << "File " << getFilename() << " is not a MIDI file" << std::endl;
      std::cerr << "Expecting '" << *letter << "'" << where << " but got '" << c << "'"
                << std::endl;
      return 0;
    }
  }
  return 1;
}

int MidiFile::readStream(std::istream& input) {
  rwstatus = 1;
  if (input.peek() != 'M') {
    // Not binary: take the input as the ASCII text form.
    std::stringstream binary;
    Binasc binasc;
    binasc.writeToBinary(binary, input);
    binary.seekg(0);
    if (binary.peek() != 'M') {
      std::cerr << "Bad MIDI data input" << std::endl;
      return 0;
    }
    return readStream(binary);
  }

  input.get(); // 'M', seen above
  if (!readTag(input, "Thd", false)) return 0;

  unsigned long headerSize = readLittleEndian4Bytes(input);
  if (input.fail()) return 0;
  if (headerSize != 6) {
    std::cerr << "File " << getFilename() << " is not a MIDI 1.0 Standard MIDI file." << std::endl;
    std::cerr << "The header size is " << headerSize << " bytes." << std::endl;
    return 0;
  }
  int format = readLittleEndian2Bytes(input);
  if (input.fail()) return 0;
  if (format != 0 && format != 1) {
    std::cerr << "Error: cannot handle a type-" << format << " MIDI file" << std::endl;
    return 0;
  }
  int trackCount = readLittleEndian2Bytes(input);
  if (input.fail()) return 0;
  if (format == 0 && trackCount != 1) {
    std::cerr << "Error: Type 0 MIDI file can only contain one track" << std::endl;
    std::cerr << "Instead track count is: " << trackCount << std::endl;
    return 0;
  }

  clear();
  for (MidiEventList* list : tracks) delete list;
  tracks.clear();
  // Lists start empty and grow as events arrive; the header's count reserves nothing.
  for (int i = 0; i < trackCount; i++)
    tracks.push_back(new MidiEventList(MidiEventList::NoReserve{}));

  unsigned int division = readLittleEndian2Bytes(input);
  if (input.fail()) return 0;
  ticksPerQuarterNote = static_cast<int>(division);
  if (division >= 0x8000) {
    int upper = (division >> 8) & 0xff;
    int fps;
    switch (upper) {
    case 0xe8:
      fps = 24;
      break;
    case 0xe7:
      fps = 25;
      break;
    case 0xe3:
      fps = 29;
      break;
    case 0xe2:
      fps = 30;
      break;
    default:
      std::cerr << "Warning: unknown FPS: " << upper << std::endl;
      fps = 256 - upper;
      std::cerr << "Setting FPS to " << fps << std::endl;
      break;
    }
    std::cerr << "SMPTE ticks: " << ticksPerQuarterNote << " ticks/sec" << std::endl;
    std::cerr << "SMPTE frames per second: " << fps << std::endl;
    std::cerr << "SMPTE frame resolution per frame: " << (division & 0xff) << std::endl;
  }

  std::vector<unsigned char> bytes;
  for (int i = 0; i < trackCount; i++) {
    unsigned char runningCommand = 0;
    if (!readTag(input, "MTrk", true)) return 0;
    int32_t length = static_cast<int32_t>(readLittleEndian4Bytes(input));
    if (input.fail()) return 0;
    MidiEventList& list = *tracks[i];
    list.clear();
    list.reserve(std::min(length / 2, kMaxReserve));
    long long tick = 0;
    // An event cut short by the end of the input is kept (padded) and ends the track.
    while (!input.eof()) {
      tick += static_cast<long long>(readVLValue(input));
      if (tick > INT_MAX) {
        std::cerr << "Error: track time exceeds the tick range." << std::endl;
        return 0;
      }
      if (!extractMidiData(input, bytes, runningCommand)) return 0;
      list.push_back_no_copy(new MidiEvent(static_cast<int>(tick), i, bytes));
      if (bytes.size() >= 2 && bytes[0] == 0xff && bytes[1] == 0x2f) break;
    }
  }

  timeState = 1;
  markSequence();
  return 1;
}

unsigned long MidiFile::readLittleEndian4Bytes(std::istream& input) {
  unsigned char buffer[4] = {0};
  input.read(reinterpret_cast<char*>(buffer), 4);
  if (input.fail()) {
    std::cerr << kUnexpectedEnd << std::endl;
    return 0;
  }
  int32_t value = static_cast<int32_t>(static_cast<uint32_t>(buffer[0]) << 24 |
                                       static_cast<uint32_t>(buffer[1]) << 16 |
                                       static_cast<uint32_t>(buffer[2]) << 8 | buffer[3]);
  return static_cast<unsigned long>(static_cast<long>(value));
}

unsigned short MidiFile::readLittleEndian2Bytes(std::istream& input) {
  unsigned char buffer[2] = {0};
  input.read(reinterpret_cast<char*>(buffer), 2);
  if (input.fail()) {
    std::cerr << kUnexpectedEnd << std::endl;
    return 0;
  }
  return static_cast<unsigned short>(buffer[0] << 8 | buffer[1]);
}

unsigned char MidiFile::readByte(std::istream& input) {
  int c = input.get();
  if (input.fail()) {
    std::cerr << kUnexpectedEnd << std::endl;
    return 0;
  }
  return static_cast<unsigned char>(c);
}

unsigned long MidiFile::readVLValue(std::istream& inp) {
  unsigned char b[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4; i++) {
    b[i] = readByte(inp); // 0 at the end of the input, which ends the value
    if (b[i] < 0x80) break;
  }
  return unpackVLV(b[0], b[1], b[2], b[3]);
}

unsigned long MidiFile::unpackVLV(unsigned char a, unsigned char b, unsigned char c,
                                  unsigned char d) {
  if (d >= 0x80) {
    std::cerr << "Error: VLV value was too long" << std::endl;
    return 0;
  }
  const unsigned char bytes[4] = {a, b, c, d};
  unsigned long value = 0;
  for (unsigned char byte : bytes) {
    value = value * 128 + (byte & 0x7f);
    if (byte < 0x80) break;
  }
  return value;
}

int MidiFile::extractMidiData(std::istream& input, std::vector<unsigned char>& array,
                              unsigned char& runningCommand) {
  array.clear();
  unsigned char byte = readByte(input);
  if (input.fail()) return 0;
  bool running = byte < 0x80;
  if (!running) {
    runningCommand = byte;
  } else if (runningCommand == 0) {
    std::cerr << "Error: running command with no previous command" << std::endl;
    return 0;
  } else if (runningCommand >= 0xf0) {
    std::cerr << "Error: running status not permitted with meta and sysex"
              << " event." << std::endl;
    return 0;
  }
  array.push_back(runningCommand);
  if (running) array.push_back(byte);

  // Bytes the status implies: missing ones read as 0 (after a message each).
  auto takeFixed = [&](int count) {
    for (int i = 0; i < count; i++) array.push_back(readByte(input));
    return 1;
  };
  // Bytes a stored length announces: the end of the input fails the event rather than
  // inventing bytes, and nothing is reserved before it has arrived.
  auto take = [&](unsigned long count) {
    char chunk[4096];
    while (count > 0) {
      std::streamsize want =
          static_cast<std::streamsize>(std::min<unsigned long>(count, sizeof chunk));
      input.read(chunk, want);
      array.insert(array.end(), chunk, chunk + input.gcount());
      if (input.gcount() != want) {
        std::cerr << kUnexpectedEnd << std::endl;
        return false;
      }
      count -= static_cast<unsigned long>(want);
    }
    return true;
  };

  switch (runningCommand & 0xf0) {
  case 0x80:
  case 0x90:
  case 0xa0:
  case 0xb0:
  case 0xe0:
    return takeFixed(running ? 1 : 2);
  case 0xc0:
  case 0xd0:
    return takeFixed(running ? 0 : 1);
  default:
    break;
  }
  if (runningCommand == 0xf0 || runningCommand == 0xf7) {
    return take(readVLValue(input)) ? 1 : 0;
  }
  if (runningCommand == 0xff) {
    takeFixed(1);
    // The length as it stands in the file: at most four bytes, kept in the message.
    unsigned char b[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; i++) {
      b[i] = readByte(input);
      array.push_back(b[i]);
      if (b[i] < 0x80) break;
    }
    return take(unpackVLV(b[0], b[1], b[2], b[3])) ? 1 : 0;
  }
  return 1; // other system bytes carry no data
}
