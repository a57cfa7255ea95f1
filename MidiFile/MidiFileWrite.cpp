#include "MidiFile/Binasc.h"
#include "MidiFile/MidiFile.h"

#include <fstream>
#include <iostream>
#include <sstream>

int MidiFile::write(const char* aFile) {
  if (aFile == nullptr) return 0;
  // Assemble the bytes first, so a failed write neither creates nor truncates the file.
  std::ostringstream bytes;
  if (!writeTracks(bytes)) {
    rwstatus = 0;
    return 0;
  }
  std::ofstream output(aFile, std::ios::binary | std::ios::trunc);
  if (!output.is_open()) {
    std::cerr << "Error: could not write: " << aFile << std::endl;
    return 0;
  }
  const std::string& data = bytes.str();
  output.write(data.data(), static_cast<std::streamsize>(data.size()));
  output.close();
  rwstatus = output.fail() ? 0 : 1;
  return rwstatus;
}

int MidiFile::write(const std::string& aFile) {
  return write(aFile.c_str());
}

int MidiFile::write(std::ostream& out) {
  rwstatus = writeTracks(out) && out.good() ? 1 : 0;
  return rwstatus;
}

// Writes the whole file to out; 0 when a track's events are out of time order, when
// a delta does not fit a variable-length quantity, when the track count does not fit
// the header, or when the stream fails. Empty messages and stored ends of track are
// left out, their time carried to the next event written; the end of track appended
// to each track keeps the time of a stored one that lies after the last event.
int MidiFile::writeTracks(std::ostream& out) {
  int wasAbsolute = timeState == 1;
  if (wasAbsolute) deltaTicks();

  int ok = 1;
  if (tracks.size() > 0xffff) {
    std::cerr << "Error: too many tracks for a MIDI file: " << tracks.size() << std::endl;
    ok = 0;
  }
  for (MidiEventList* list : tracks) {
    long long carried = 0; // the delta as written: left-out events' ticks included
    for (int i = 0; i < list->getSize(); i++) {
      const MidiEvent& event = (*list)[i];
      int delta = event.tick;
      if (delta < 0 || delta > 0x0fffffff) {
        // A negative delta made above has been reported already.
        if (delta > 0 || !wasAbsolute)
          std::cerr << "Error: number too large to convert to VLV" << std::endl;
        ok = 0;
        continue;
      }
      carried += delta;
      if (event.empty()) continue;
      if (carried > 0x0fffffff) {
        std::cerr << "Error: number too large to convert to VLV" << std::endl;
        ok = 0;
      }
      if (!event.isEndOfTrack()) carried = 0;
    }
  }

  if (ok) {
    out << "MThd";
    writeBigEndianULong(out, 6);
    writeBigEndianUShort(out, tracks.size() != 1 ? 1 : 0);
    writeBigEndianUShort(out, static_cast<unsigned short>(tracks.size() & 0xffff));
    writeBigEndianUShort(out, static_cast<unsigned short>(ticksPerQuarterNote & 0xffff));

    std::vector<unsigned char> data;
    data.reserve(123456);
    for (MidiEventList* list : tracks) {
      data.clear();
      long carried = 0;  // ticks of left-out events, given to the next written one
      long endDelta = 0; // from the last written event to a stored end of track after it
      for (int i = 0; i < list->getSize(); i++) {
        const MidiEvent& event = (*list)[i];
        if (event.isEndOfTrack() || event.empty()) {
          carried += event.tick;
          if (!event.empty()) endDelta = carried;
          continue;
        }
        writeVLValue(carried + event.tick, data);
        carried = 0;
        endDelta = 0;
        if (event[0] == 0xf0 || event[0] == 0xf7) {
          data.push_back(event[0]);
          writeVLValue(static_cast<long>(event.size()) - 1, data);
          data.insert(data.end(), event.begin() + 1, event.end());
        } else {
          data.insert(data.end(), event.begin(), event.end());
        }
      }
      // Stored end-of-track events were left out: every track gets exactly one, at its
      // last event or at the stored one's time when that is later (a loop's length).
      writeVLValue(endDelta, data);
      static const unsigned char endOfTrack[3] = {0xff, 0x2f, 0x00};
      data.insert(data.end(), endOfTrack, endOfTrack + 3);
      out << "MTrk";
      writeBigEndianULong(out, static_cast<unsigned long>(data.size()));
      out.write(reinterpret_cast<const char*>(data.data()),
                static_cast<std::streamsize>(data.size()));
    }
  }

  if (wasAbsolute) absoluteTicks();
  return ok && out.good() ? 1 : 0;
}

void MidiFile::writeVLValue(long aValue, std::vector<unsigned char>& outdata) {
  unsigned long long value = static_cast<unsigned long long>(aValue);
  if (value >= 0x10000000ULL) {
    std::cerr << "Error: number too large to convert to VLV" << std::endl;
    value = 0x0fffffff;
  }
  unsigned char groups[4] = {static_cast<unsigned char>((value >> 21) & 0x7f),
                             static_cast<unsigned char>((value >> 14) & 0x7f),
                             static_cast<unsigned char>((value >> 7) & 0x7f),
                             static_cast<unsigned char>(value & 0x7f)};
  int start = 0;
  while (start < 3 && groups[start] == 0) start++;
  for (int i = start; i < 3; i++) outdata.push_back(groups[i] | 0x80);
  outdata.push_back(groups[3]);
}

// The byte-order writers are the text converter's: one implementation for both classes.
std::ostream& MidiFile::writeLittleEndianUShort(std::ostream& out, unsigned short value) {
  return Binasc::writeLittleEndianUShort(out, value);
}
std::ostream& MidiFile::writeBigEndianUShort(std::ostream& out, unsigned short value) {
  return Binasc::writeBigEndianUShort(out, value);
}
std::ostream& MidiFile::writeLittleEndianShort(std::ostream& out, short value) {
  return Binasc::writeLittleEndianShort(out, value);
}
std::ostream& MidiFile::writeBigEndianShort(std::ostream& out, short value) {
  return Binasc::writeBigEndianShort(out, value);
}
std::ostream& MidiFile::writeLittleEndianULong(std::ostream& out, unsigned long value) {
  return Binasc::writeLittleEndianULong(out, value);
}
std::ostream& MidiFile::writeBigEndianULong(std::ostream& out, unsigned long value) {
  return Binasc::writeBigEndianULong(out, value);
}
std::ostream& MidiFile::writeLittleEndianLong(std::ostream& out, long value) {
  return Binasc::writeLittleEndianLong(out, value);
}
std::ostream& MidiFile::writeBigEndianLong(std::ostream& out, long value) {
  return Binasc::writeBigEndianLong(out, value);
}
std::ostream& MidiFile::writeLittleEndianFloat(std::ostream& out, float value) {
  return Binasc::writeLittleEndianFloat(out, value);
}
std::ostream& MidiFile::writeBigEndianFloat(std::ostream& out, float value) {
  return Binasc::writeBigEndianFloat(out, value);
}
std::ostream& MidiFile::writeLittleEndianDouble(std::ostream& out, double value) {
  return Binasc::writeLittleEndianDouble(out, value);
}
std::ostream& MidiFile::writeBigEndianDouble(std::ostream& out, double value) {
  return Binasc::writeBigEndianDouble(out, value);
}
