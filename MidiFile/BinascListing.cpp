#include "MidiFile/Binasc.h"

#include <cstdio>
#include <iostream>
#include <sstream>

namespace {

std::string hex2(int value) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "%02x", value & 0xff);
  return buf;
}

// Takes one byte; false at the end of the input.
bool take(std::istream& in, int& byte) {
  int c = in.get();
  if (c == std::char_traits<char>::eof()) return false;
  byte = c & 0xff;
  return true;
}

// Big-endian number of count bytes; false when the input ends first.
bool takeNumber(std::istream& in, int count, unsigned long& value) {
  value = 0;
  for (int i = 0; i < count; i++) {
    int byte;
    if (!take(in, byte)) return false;
    value = (value << 8) | static_cast<unsigned long>(byte);
  }
  return true;
}

bool unexpectedEnd() {
  std::cerr << "Error: unexpected end of file." << std::endl;
  return false;
}

} // namespace

int Binasc::readFromBinary(const std::string& outfile, const std::string& infile) {
  return onFiles(&Binasc::readFromBinary, &outfile, nullptr, &infile, nullptr);
}

int Binasc::readFromBinary(const std::string& outfile, std::istream& input) {
  return onFiles(&Binasc::readFromBinary, &outfile, nullptr, nullptr, &input);
}

int Binasc::readFromBinary(std::ostream& out, const std::string& infile) {
  return onFiles(&Binasc::readFromBinary, nullptr, &out, &infile, nullptr);
}

int Binasc::readFromBinary(std::ostream& out, std::istream& input) {
  if (midiQ) return outputStyleMidi(out, input);
  if (!bytesQ) return outputStyleAscii(out, input);
  if (commentsQ) return outputStyleBoth(out, input);
  return outputStyleBinary(out, input);
}

int Binasc::outputStyleAscii(std::ostream& out, std::istream& input) {
  std::string word;
  int lineLength = 0;
  bool wrote = false;
  auto flush = [&]() {
    if (word.empty()) return;
    int length = static_cast<int>(word.size());
    if (length + lineLength >= maxLineLength) {
      out << '\n' << word;
      lineLength = length;
    } else {
      if (lineLength != 0) {
        out << ' ';
        lineLength++;
      }
      out << word;
      lineLength += length;
    }
    word.clear();
    wrote = true;
  };
  int byte;
  while (take(input, byte)) {
    if (byte >= 0x21 && byte <= 0x7e)
      word += static_cast<char>(byte);
    else
      flush();
  }
  flush();
  if (wrote) out << '\n';
  return 1;
}

int Binasc::outputStyleBinary(std::ostream& out, std::istream& input) {
  int byte;
  if (!take(input, byte)) {
    std::cerr << "End of the file right away!" << std::endl;
    return 0;
  }
  int count = 0;
  do {
    out << hex2(byte) << ' ';
    if (++count >= maxLineBytes) {
      out << '\n';
      count = 0;
    }
  } while (take(input, byte));
  if (count != 0) out << '\n';
  return 1;
}

int Binasc::outputStyleBoth(std::ostream& out, std::istream& input) {
  std::string hexLine, charLine;
  int count = 0;
  auto endGroup = [&]() {
    out << hexLine << '\n' << charLine << "\n\n";
    count = 0;
  };
  int byte;
  while (take(input, byte)) {
    if (count == 0) {
      hexLine = " ";
      charLine = ";";
    }
    hexLine += hex2(byte) + " ";
    charLine += ' ';
    charLine += byte >= 0x20 && byte <= 0x7e ? static_cast<char>(byte) : ' ';
    charLine += ' ';
    if (++count >= maxLineBytes) endGroup();
  }
  if (count != 0) endGroup();
  return 1;
}

int Binasc::outputStyleMidi(std::ostream& out, std::istream& input) {
  std::ostringstream text;
  const char* note = commentsQ ? "\t\t\t; " : nullptr;
  int byte;
  if (!take(input, byte)) {
    std::cerr << "End of the file right away!" << std::endl;
    return 0;
  }
  const char header[4] = {'M', 'T', 'h', 'd'};
  for (int i = 0; i < 4; i++) {
    if (i > 0 && !take(input, byte)) byte = -1;
    if (byte != header[i]) {
      std::cerr << "Not a MIDI file " << header[i] << std::endl;
      return 0;
    }
  }
  unsigned long headerSize, format, trackCount, value;
  if (!takeNumber(input, 4, headerSize) || !takeNumber(input, 2, format) ||
      !takeNumber(input, 2, trackCount))
    return unexpectedEnd();
  text << "\"MThd\"";
  if (note) text << note << "MIDI header chunk marker";
  text << "\n4'" << headerSize;
  if (note) text << note << "bytes to follow in header chunk";
  text << "\n2'" << format;
  if (note) {
    const char* name = format == 0   ? "single track"
                       : format == 1 ? "multitrack"
                       : format == 2 ? "multisegment"
                                     : "unknown";
    text << note << "file format: Type-" << format << " (" << name << ")";
  }
  text << "\n2'" << trackCount;
  if (note) text << note << "number of tracks";
  text << "\n";
  int high, low;
  if (!take(input, high) || !take(input, low)) return unexpectedEnd();
  if (high & 0x80) {
    text << "1'-" << 256 - high;
    if (note) text << note << "SMPTE frames/second";
    text << "\n1'" << low;
    if (note) text << note << "subframes per frame";
    text << "\n";
  } else {
    text << "2'" << (high << 8 | low);
    if (note) text << note << "ticks per quarter note";
    text << "\n";
  }
  if (headerSize > 6) {
    for (unsigned long i = 6; i < headerSize; i++) {
      if (!take(input, byte)) return unexpectedEnd();
      text << ' ' << hex2(byte);
    }
    text << "\t\t\t; unknown header bytes\n";
  }

  for (unsigned long track = 0; track < trackCount; track++) {
    text << "\n;;; TRACK " << track << " ----------------------------------\n";
    static const char* const wrong[4] = {"M2", "T2", "r", "k"};
    const char tag[4] = {'M', 'T', 'r', 'k'};
    for (int i = 0; i < 4; i++) {
      if (!take(input, byte) || byte != tag[i]) {
        std::cerr << "Not a MIDI file " << wrong[i] << std::endl;
        return 0;
      }
    }
    text << "\"MTrk\"";
    if (note) text << note << "MIDI track chunk marker";
    if (!takeNumber(input, 4, value)) return unexpectedEnd();
    text << "\n4'" << value;
    if (note) text << note << "bytes to follow in track chunk";
    text << "\n";
    int trackBytes = 0, command = 0;
    while (readMidiEvent(text, input, trackBytes, command)) text << "\n";
    // The input ended inside the track (no end-of-track, or a cut value, meta or
    // sysex): a listing would not convert back to the bytes, so there is none.
    if (input.eof()) return unexpectedEnd();
    text << "\n";
    if (static_cast<unsigned long>(trackBytes) != value)
      text << "; TRACK SIZE ERROR, ACTUAL SIZE: " << trackBytes << "\n";
  }
  out << text.str();
  return 1;
}

int Binasc::getVLV(std::istream& infile, int& trackbytes) {
  int value = 0;
  for (int i = 0; i < 4; i++) {
    int byte;
    if (!take(infile, byte)) return value;
    trackbytes++;
    value = (value << 7) | (byte & 0x7f);
    if (byte < 0x80) return value;
  }
  return value; // capped at four bytes
}

int Binasc::readMidiEvent(std::ostream& out, std::istream& infile, int& trackbytes, int& command) {
  std::ostringstream line;
  std::string comment;
  int byte;
  // Every read below stops the track at the end of the input; the partial line is dropped.
  auto next = [&](int& b) {
    if (!take(infile, b)) return false;
    trackbytes++;
    return true;
  };
  auto dataWord = [&](int b) { line << " '" << static_cast<int>(static_cast<signed char>(b)); };

  int delta = getVLV(infile, trackbytes);
  if (!infile.good()) return 0;
  line << "v" << delta << "\t";
  if (!next(byte)) return 0;
  int first = -1; // first data byte, when taken
  if (byte >= 0x80) {
    line << hex2(byte);
    command = byte;
  } else {
    line << "   ";
    first = byte;
  }

  int end = 0;
  if (first >= 0 && command < 0x80) {
    // A data byte with no status before it: listed alone, so the listing stays in step.
    dataWord(first);
    comment = "data byte";
  } else if (first >= 0 && command >= 0xf0) {
    dataWord(first);
    comment = "data byte";
  } else if (command < 0xf0) {
    if (first < 0 && !next(first)) return 0;
    dataWord(first);
    int kind = command & 0xf0;
    if (kind == 0xc0 || kind == 0xd0) {
      if (kind == 0xc0 && commentsQ) line << "\t";
      comment = kind == 0xc0 ? "patch-change" : "channel pressure";
    } else {
      int second;
      if (!next(second)) return 0;
      dataWord(second);
      std::string pitch = keyToPitchName(first);
      switch (kind) {
      case 0x80:
        comment = "note-off " + pitch;
        break;
      case 0x90:
        comment = (second == 0 ? "note-off " : "note-on ") + pitch;
        break;
      case 0xa0:
        comment = "after-touch";
        break;
      case 0xb0:
        comment = "controller";
        break;
      default:
        comment = "pitch-bend";
        break;
      }
    }
  } else if (command == 0xf0 || command == 0xf7) {
    int length = getVLV(infile, trackbytes);
    if (!infile.good()) return 0;
    line << " v" << length;
    for (int i = 0; i < length; i++) {
      if (!next(byte)) return 0;
      line << ' ' << hex2(byte);
    }
  } else if (command == 0xfe) {
    std::cerr << "Error command not yet handled" << std::endl;
    return 0;
  } else if (command == 0xff) {
    int type;
    if (!next(type)) return 0;
    char typeText[4];
    std::snprintf(typeText, sizeof typeText, "%x", type);
    line << ' ' << typeText;
    int length = getVLV(infile, trackbytes);
    if (!infile.good()) return 0;
    line << " v" << length;
    auto unsignedWords = [&](int count) {
      for (int i = 0; i < count; i++) {
        if (!next(byte)) return false;
        line << " '" << byte;
      }
      return true;
    };
    auto hexWords = [&](int count) {
      for (int i = 0; i < count; i++) {
        if (!next(byte)) return false;
        line << ' ' << hex2(byte);
      }
      return true;
    };
    static const char* const texts[9] = {
        "text",   "copyright notice", "track name",   "instrument name", "lyric",
        "marker", "cue point",        "program name", "device name"};
    bool ok = true;
    if (type == 0x00) {
      int a = 0, b = 0;
      ok = next(a) && next(b);
      line << " 2'" << (a << 8 | b);
      comment = "sequence number";
    } else if (type >= 0x01 && type <= 0x09) {
      // A quoted run cannot carry its own quote, a backslash (which escapes a quote
      // when read back) or a line end: those bytes are listed as hex words between runs.
      std::string run;
      bool wrote = false;
      auto endRun = [&]() {
        if (run.empty()) return;
        line << " \"" << run << "\"";
        run.clear();
        wrote = true;
      };
      for (int i = 0; ok && i < length; i++) {
        ok = next(byte);
        if (byte == '"' || byte == '\\' || byte == '\n') {
          endRun();
          line << ' ' << hex2(byte);
          wrote = true;
        } else {
          run += static_cast<char>(byte);
        }
      }
      if (!wrote || !run.empty()) line << " \"" << run << "\"";
      comment = texts[type - 1];
    } else if (type == 0x20 || type == 0x21) {
      ok = unsignedWords(1);
      comment = type == 0x20 ? "MIDI channel prefix" : "MIDI port";
    } else if (type == 0x2f) {
      ok = hexWords(length);
      comment = "end-of-track";
      end = 1;
    } else if (type == 0x51) {
      int a = 0, b = 0, c = 0;
      ok = next(a) && next(b) && next(c);
      long micro = (a << 16) | (b << 8) | c;
      // A tempo of 0 has no beats per minute; its bytes are listed instead.
      if (micro == 0)
        line << " 00 00 00";
      else
        line << " t" << 1000000.0 / micro * 60.0;
      comment = "tempo";
    } else if (type == 0x54) {
      ok = unsignedWords(5);
      comment = "SMPTE offset";
    } else if (type == 0x58) {
      ok = unsignedWords(4);
      comment = "time signature";
    } else if (type == 0x59) {
      ok = unsignedWords(2);
      comment = "key signature";
    } else {
      ok = hexWords(length);
      comment = type == 0x7f ? "system exclusive" : "meta-message";
    }
    if (!ok) return 0;
  } else {
    comment = "system message"; // F1-F6, F8-FD carry no data in a file
  }

  out << line.str();
  if (commentsQ) out << "\t; " << comment;
  return end ? 0 : 1;
}

std::string Binasc::keyToPitchName(int key) {
  static const char* const names[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                        "F#", "G",  "G#", "A",  "A#", "B"};
  int pc = key % 12;
  int octave = key / 12 - 1;
  std::string out = pc >= 0 ? names[pc] : "";
  return out + std::to_string(octave);
}
