#include "MidiFile/Binasc.h"
#include "MidiFile/MidiEventPool.h"
#include "MidiFile/MidiFile.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

namespace {

const char kUnexpectedEnd[] = "Error: unexpected end of file.";

// The input of the track chunks, in memory: each chunk is read in one piece (its stated
// length) and parsed from there. Bytes the parser needs beyond that piece (a stated
// length too small, the next chunk's header) come from the stream as they are needed,
// so reading still follows the events rather than the lengths and stops where it did.
class Input {
public:
  explicit Input(std::istream& in) : in_(in) {}

  // The next byte; -1 at the end of the input, which sets eof().
  int get() { return next_ < end_ ? *next_++ : pull(); }
  bool eof() const { return eof_; }
  size_t buffered() const { return static_cast<size_t>(end_ - next_); }

  // Buffers up to count bytes (fewer at the end of the input). Memory follows the
  // bytes that arrive, not the count: what the stream says it holds is taken in one
  // piece, the rest in pieces that grow with what has come.
  void prefetch(uint32_t count) {
    std::streamsize held = in_.rdbuf() != nullptr ? in_.rdbuf()->in_avail() : 0;
    uint64_t avail = static_cast<uint64_t>(std::max<std::streamsize>(held, 0));
    uint64_t wanted = count > buffered() ? count - buffered() : 0;
    while (wanted > 0) {
      size_t size = buffered();
      size_t piece =
          static_cast<size_t>(std::min(wanted, std::max<uint64_t>({size, avail, 1 << 16})));
      grow(size + piece);
      in_.read(reinterpret_cast<char*>(buffer_.get() + size), static_cast<std::streamsize>(piece));
      size_t got = static_cast<size_t>(in_.gcount());
      end_ += got;
      wanted -= got;
      avail = 0;
      if (got < piece) break;
    }
  }

  // The common event, a channel message with a one-byte delta, decoded in place when all
  // its bytes stand in the buffer: its delta, its status and data bytes in message and
  // their count in size; running status as extractMidiData keeps it. False, taking
  // nothing, for anything else.
  bool channelMessage(unsigned char& running, int& delta, unsigned char message[3], int& size) {
    if (end_ - next_ < 4 || next_[0] >= 0x80) return false;
    unsigned char status = next_[1];
    const unsigned char* data = next_ + 2;
    if (status < 0x80) {
      status = running;
      data = next_ + 1;
      if (status < 0x80) return false;
    }
    if (status >= 0xf0) return false;
    size = (status & 0xe0) == 0xc0 ? 2 : 3;
    if (data + size - 1 > end_) return false;
    delta = next_[0];
    message[0] = status;
    message[1] = data[0];
    message[2] = size == 3 ? data[1] : 0;
    running = status;
    next_ = data + size - 1;
    return true;
  }

  // Appends count bytes to out; false at the end of the input, with those there were.
  bool take(unsigned long count, std::vector<unsigned char>& out) {
    size_t here = static_cast<size_t>(std::min<unsigned long>(count, buffered()));
    out.insert(out.end(), next_, next_ + here);
    next_ += here;
    count -= here;
    char chunk[4096];
    while (count > 0) {
      std::streamsize want =
          static_cast<std::streamsize>(std::min<unsigned long>(count, sizeof chunk));
      in_.read(chunk, want);
      out.insert(out.end(), chunk, chunk + in_.gcount());
      if (in_.gcount() != want) {
        eof_ = true;
        return false;
      }
      count -= static_cast<unsigned long>(want);
    }
    return true;
  }

private:
  // Room for size bytes, the unread ones moved to the front.
  void grow(size_t size) {
    size_t kept = buffered();
    if (size > capacity_) {
      std::unique_ptr<unsigned char[]> bigger(new unsigned char[size]);
      if (kept > 0) std::memcpy(bigger.get(), next_, kept);
      buffer_ = std::move(bigger);
      capacity_ = size;
    } else if (kept > 0 && next_ != buffer_.get()) {
      std::memmove(buffer_.get(), next_, kept);
    }
    next_ = buffer_.get();
    end_ = next_ + kept;
  }

  int pull() {
    int c = in_.get();
    if (c == std::char_traits<char>::eof()) {
      eof_ = true;
      return -1;
    }
    return c & 0xff;
  }

  std::istream& in_;
  std::unique_ptr<unsigned char[]> buffer_;
  size_t capacity_ = 0;
  const unsigned char* next_ = nullptr;
  const unsigned char* end_ = nullptr;
  bool eof_ = false;
};

// Appends an event as the reader stores it, in a kept buffer when there is one.
void appendRead(std::vector<MidiEvent*>& list, int tick, int track, const unsigned char* bytes,
                int size, int seq) {
  std::unique_ptr<MidiEvent> event(new MidiEvent);
  midi_pool::reuseBuffer(*event);
  event->assign(bytes, bytes + size);
  event->tick = tick;
  event->track = track;
  event->seq = seq;
  list.push_back(event.get());
  event.release();
}

// readByte on the input in memory: a missing byte reads as 0 after the message.
unsigned char byteOrZero(Input& in) {
  int c = in.get();
  if (c >= 0) return static_cast<unsigned char>(c);
  std::cerr << kUnexpectedEnd << std::endl;
  return 0;
}

unsigned long unpack(const unsigned char b[4]) {
  if (b[3] >= 0x80) {
    std::cerr << "Error: VLV value was too long" << std::endl;
    return 0;
  }
  unsigned long value = 0;
  for (int i = 0; i < 4; i++) {
    value = value * 128 + (b[i] & 0x7f);
    if (b[i] < 0x80) break;
  }
  return value;
}

// readVLValue on the input in memory.
unsigned long readVL(Input& in) {
  unsigned char b[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4; i++) {
    b[i] = byteOrZero(in);
    if (b[i] < 0x80) {
      if (i == 0) return b[0];
      break;
    }
  }
  return unpack(b);
}

int readTag(Input& in, const char* tag, bool inTrack, const char* fileName) {
  const char* where = inTrack ? " at first byte in track" : " at first byte";
  for (const char* letter = tag; *letter != '\0'; letter++) {
    int c = in.get();
    if (c < 0) {
      std::cerr << "In file " << fileName << ": unexpected end of file." << std::endl;
      std::cerr << "Expecting '" << *letter << "'" << where << ", but found nothing." << std::endl;
      return 0;
    }
    if (c != *letter) {
      std::cerr << "File " << fileName << " is not a MIDI file" << std::endl;
      std::cerr << "Expecting '" << *letter << "'" << where << " but got '" << c << "'"
                << std::endl;
      return 0;
    }
  }
  return 1;
}

// extractMidiData on the input in memory.
int decode(Input& in, std::vector<unsigned char>& array, unsigned char& runningCommand) {
  array.clear();
  int first = in.get();
  if (first < 0) {
    std::cerr << kUnexpectedEnd << std::endl;
    return 0;
  }
  unsigned char byte = static_cast<unsigned char>(first);
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
    for (int i = 0; i < count; i++) array.push_back(byteOrZero(in));
    return 1;
  };
  // Bytes a stored length announces: the end of the input fails the event.
  auto take = [&](unsigned long count) {
    if (in.take(count, array)) return 1;
    std::cerr << kUnexpectedEnd << std::endl;
    return 0;
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
  if (runningCommand == 0xf0 || runningCommand == 0xf7) return take(readVL(in));
  if (runningCommand == 0xff) {
    takeFixed(1);
    // The length as it stands in the file: at most four bytes, kept in the message.
    unsigned char b[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; i++) {
      b[i] = byteOrZero(in);
      array.push_back(b[i]);
      if (b[i] < 0x80) break;
    }
    return take(unpack(b));
  }
  return 1; // other system bytes carry no data
}

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

  Input in(input);
  in.get(); // 'M', seen above
  if (!readTag(in, "Thd", false, getFilename())) return 0;

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
  int sequence = 0;
  auto fail = [&]() {
    clearSequence(); // numbers are given to a whole file only
    return 0;
  };
  auto pastTickRange = [&]() {
    std::cerr << "Error: track time exceeds the tick range." << std::endl;
    return fail();
  };
  for (int i = 0; i < trackCount; i++) {
    unsigned char runningCommand = 0;
    if (!readTag(in, "MTrk", true, getFilename())) return fail();
    unsigned char size[4];
    for (unsigned char& b : size) {
      int c = in.get();
      if (c < 0) {
        std::cerr << kUnexpectedEnd << std::endl;
        return fail();
      }
      b = static_cast<unsigned char>(c);
    }
    uint32_t length = static_cast<uint32_t>(size[0]) << 24 | static_cast<uint32_t>(size[1]) << 16 |
                      static_cast<uint32_t>(size[2]) << 8 | size[3];
    in.prefetch(length);
    std::vector<MidiEvent*>& list = tracks[i]->list;
    // Every event takes two bytes or more; the bytes that arrived bound the estimate.
    list.reserve(std::min<size_t>(length, in.buffered()) / 3);
    long long tick = 0;
    // An event cut short by the end of the input is kept (padded) and ends the track.
    while (!in.eof()) {
      int delta, size;
      unsigned char message[3];
      if (in.channelMessage(runningCommand, delta, message, size)) {
        tick += delta;
        if (tick > INT_MAX) return pastTickRange();
        appendRead(list, static_cast<int>(tick), i, message, size, ++sequence);
        continue;
      }
      tick += static_cast<long long>(readVL(in));
      if (tick > INT_MAX) return pastTickRange();
      if (!decode(in, bytes, runningCommand)) return fail();
      appendRead(list, static_cast<int>(tick), i, bytes.data(), static_cast<int>(bytes.size()),
                 ++sequence);
      if (bytes.size() >= 2 && bytes[0] == 0xff && bytes[1] == 0x2f) break;
    }
  }
  timeState = 1;
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
  Input in(input); // unbuffered: takes only the bytes asked for
  return byteOrZero(in);
}

unsigned long MidiFile::readVLValue(std::istream& inp) {
  Input in(inp);
  return readVL(in);
}

unsigned long MidiFile::unpackVLV(unsigned char a, unsigned char b, unsigned char c,
                                  unsigned char d) {
  const unsigned char bytes[4] = {a, b, c, d};
  return unpack(bytes);
}

int MidiFile::extractMidiData(std::istream& input, std::vector<unsigned char>& array,
                              unsigned char& runningCommand) {
  Input in(input);
  return decode(in, array, runningCommand);
}
