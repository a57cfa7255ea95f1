#include "MidiFile/Binasc.h"
#include "MidiFile/MidiFile.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

int MidiFile::writeHex(std::ostream& out, int width) {
  std::stringstream bytes;
  write(bytes);
  const std::string data = bytes.str();
  int perLine = width < 0 ? 25 : width;
  int count = 1;
  char pair[4];
  for (size_t i = 0; i < data.size(); i++) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(data[i]));
    out << pair;
    bool last = i + 1 == data.size();
    if (perLine != 0) {
      if (!last) out << (count % perLine == 0 ? '\n' : ' ');
      count++;
    } else if (!last) {
      out << ' ';
    }
  }
  if (perLine != 0) out << '\n';
  return 1;
}

namespace {

template <class Op> int toNamedFile(const char* aFile, int& rwstatus, Op op) {
  if (aFile == nullptr) return 0;
  std::ofstream output(aFile, std::ios::trunc);
  if (!output.is_open()) {
    std::cerr << "Error: could not write: " << aFile << std::endl;
    return 0;
  }
  rwstatus = op(output);
  output.close();
  if (output.fail()) rwstatus = 0;
  return rwstatus;
}

} // namespace

int MidiFile::writeHex(const char* aFile, int width) {
  return toNamedFile(aFile, rwstatus, [&](std::ostream& out) { return writeHex(out, width); });
}

int MidiFile::writeHex(const std::string& aFile, int width) {
  return writeHex(aFile.c_str(), width);
}

int MidiFile::writeBinascStyle(std::ostream& out, int comments) {
  std::stringstream bytes;
  rwstatus = write(bytes);
  if (rwstatus == 0) return 0;
  Binasc binasc;
  binasc.setMidiOn();
  if (comments) binasc.setCommentsOn();
  bytes.seekg(0);
  binasc.readFromBinary(out, bytes);
  return 1;
}

int MidiFile::writeBinasc(std::ostream& out) {
  return writeBinascStyle(out, 0);
}

int MidiFile::writeBinascWithComments(std::ostream& out) {
  return writeBinascStyle(out, 1);
}

int MidiFile::writeBinasc(const char* aFile) {
  return toNamedFile(aFile, rwstatus, [&](std::ostream& out) { return writeBinasc(out); });
}

int MidiFile::writeBinasc(const std::string& aFile) {
  return writeBinasc(aFile.c_str());
}

int MidiFile::writeBinascWithComments(const char* aFile) {
  return toNamedFile(aFile, rwstatus,
                     [&](std::ostream& out) { return writeBinascWithComments(out); });
}

int MidiFile::writeBinascWithComments(const std::string& aFile) {
  return writeBinascWithComments(aFile.c_str());
}

std::ostream& operator<<(std::ostream& out, MidiFile& aMidiFile) {
  aMidiFile.writeBinascWithComments(out);
  return out;
}
