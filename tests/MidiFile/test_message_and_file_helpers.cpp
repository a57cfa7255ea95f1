// The convenience names of the message and file classes: each does what its long-hand twin
// does, byte for byte.

#include "MidiFile/MidiFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Of(const MidiMessage& m) {
  return Bytes(m.begin(), m.end());
}

std::string Written(std::ostream& (*write)(std::ostream&, double), double v) {
  std::ostringstream out;
  write(out, v);
  return out.str();
}

TEST(MessageHelpers, SettersAndAliasesWriteTheirBytes) {
  EXPECT_EQ(Of(MidiMessage(0x1F4)), (Bytes{0xF4}));
  EXPECT_EQ(Of(MidiMessage(std::vector<char>{'\x90', 60, 100})), (Bytes{0x90, 60, 100}));
  MidiMessage m;
  m = std::vector<char>{'\x80', 1};
  EXPECT_EQ(Of(m), (Bytes{0x80, 1}));
  m = std::vector<int>{0x1B0, 7, 0x17F};
  EXPECT_EQ(Of(m), (Bytes{0xB0, 7, 0x7F}));
  m.setMessage(Bytes{0xC0, 5});
  EXPECT_EQ(Of(m), (Bytes{0xC0, 5}));
  m.setMessage(std::vector<char>{'\xD0', 9});
  EXPECT_EQ(Of(m), (Bytes{0xD0, 9}));
  m.setSize(-1);
  EXPECT_EQ(m.getSize(), 0);
  m.setP2(0x140); // grows to three bytes
  EXPECT_EQ(Of(m), (Bytes{0, 0, 0x40}));
  m.setP1(0x7F);
  m.setP0(0x93);
  EXPECT_EQ(m.getP2(), 0x40);
  EXPECT_EQ(m.getCommandNibble(), 0x90);
  m.setChannel(0x1A);
  EXPECT_EQ(m.getP0(), 0x9A);
  m.setCommandByte(0xE0);
  m.setCommand(0xA5);
  EXPECT_EQ(Of(m), (Bytes{0xA5, 0x7F, 0x40}));
  m.setP1(1);
  m.setSize(6);
  EXPECT_EQ(m.resizeToCommand(), 3);
  EXPECT_EQ(m.getSize(), 3);
  EXPECT_FALSE(m.isMetaMessage());

  m.setTempo(120);
  EXPECT_TRUE(m.isMetaMessage());
  EXPECT_EQ(Of(m), (Bytes{0xFF, 0x51, 3, 0x07, 0xA1, 0x20}));
  EXPECT_EQ(m.getTempoSeconds(), 0.5);
  EXPECT_EQ(m.getTempoTPS(120), 240.0);
  m.makeTimbre(3, 0x85);
  EXPECT_EQ(Of(m), (Bytes{0xC3, 5}));
  EXPECT_EQ(m.getTempoSeconds(), -1.0);
  EXPECT_EQ(m.getTempoTPS(120), -1.0);
  m.makeInstrumentName("Oboe");
  EXPECT_EQ(Of(m), (Bytes{0xFF, 4, 4, 'O', 'b', 'o', 'e'}));
  m.makeMarker("A");
  EXPECT_EQ(Of(m), (Bytes{0xFF, 6, 1, 'A'}));
  m.makeCue("");
  EXPECT_EQ(Of(m), (Bytes{0xFF, 7, 0}));
}

TEST(MessageHelpers, EventsTakeBytesAndForgetTheirPlace) {
  MidiEvent e(0x90);
  EXPECT_EQ(Of(e), (Bytes{0x90}));
  e.tick = 40;
  e = Bytes{0x80, 60, 0};
  EXPECT_EQ(Of(e), (Bytes{0x80, 60, 0}));
  EXPECT_EQ(e.tick, 0);
  e.tick = 40;
  e = std::vector<char>{'\x90', 61, 1};
  EXPECT_EQ(Of(e), (Bytes{0x90, 61, 1}));
  EXPECT_EQ(e.tick, 0);
}

TEST(FileHelpers, MetaAndChannelShortcutsAddTheirEvents) {
  MidiFile f;
  f.addTrack();
  EXPECT_EQ(f.size(), 2);
  EXPECT_EQ(f.getNumTracks(), 2);
  f.allocateEvents(1, 16);
  EXPECT_EQ(f.addCopyright(0, 0, "(c)"), 0);
  f.addInstrumentName(1, 0, "Harp");
  f.addMarker(1, 10, "v1");
  f.addCue(1, 20, "go");
  f.addTimbre(1, 30, 2, 7);
  f.addCompoundTimeSignature(0, 0, 6, 8, 36, 8);
  MidiEvent on(0x91, 64, 90);
  on.tick = 40;
  on.track = 1;
  f.addEvent(on);
  f.addNoteOff(1, 50, 1, 64);
  EXPECT_EQ(f.getNumEvents(1), 6);
  EXPECT_EQ(Of(f[0][0]), (Bytes{0xFF, 2, 3, '(', 'c', ')'}));
  EXPECT_EQ(Of(f[0][1]), (Bytes{0xFF, 0x58, 4, 6, 3, 36, 8}));
  const MidiFile& cf = f;
  EXPECT_EQ(Of(cf[1][0]), (Bytes{0xFF, 4, 4, 'H', 'a', 'r', 'p'}));
  EXPECT_EQ(Of(f[1].getEvent(1)), (Bytes{0xFF, 6, 2, 'v', '1'}));
  const MidiEventList& track = cf[1];
  EXPECT_EQ(Of(track[2]), (Bytes{0xFF, 7, 2, 'g', 'o'}));
  EXPECT_EQ(Of(track[3]), (Bytes{0xC2, 7}));
  EXPECT_EQ(track[4].tick, 40);

  EXPECT_EQ(f.linkEventPairs(), 1);
  EXPECT_TRUE(f[1][4].isLinked());
  EXPECT_EQ(f[1].linkEventPairs(), 1);
  f.clearLinks();
  EXPECT_FALSE(f[1][4].isLinked());
  f.markSequence();
  EXPECT_EQ(f[0][0].seq, 1);
  EXPECT_EQ(f[1][5].seq, 8);
  MidiEvent extra(0xF8);
  EXPECT_EQ(f[1].push(extra), 6);
  EXPECT_EQ(f.getTickState(), 1);
  EXPECT_EQ(f.getTrackState(), 0);

  f.addTempo(0, 0, 60);
  f.doTimeAnalysis();
  EXPECT_DOUBLE_EQ(f.getTimeInSeconds(1, 4), 40.0 / 120.0); // a quarter is a second at 60 bpm
  f.erase();
  EXPECT_EQ(f.getNumTracks(), 1);
  EXPECT_EQ(f.getNumEvents(0), 0);
}

TEST(FileHelpers, ByteOrderWritersAndVariableLengthReaders) {
  std::ostringstream out;
  MidiFile::writeLittleEndianUShort(out, 0x0102);
  MidiFile::writeLittleEndianShort(out, -2);
  MidiFile::writeBigEndianShort(out, -2);
  MidiFile::writeLittleEndianULong(out, 0x01020304);
  MidiFile::writeLittleEndianLong(out, -2);
  MidiFile::writeBigEndianLong(out, 0x01020304);
  EXPECT_EQ(out.str(), std::string("\x02\x01\xFE\xFF\xFF\xFE\x04\x03\x02\x01\xFE\xFF\xFF\xFF"
                                   "\x01\x02\x03\x04",
                                   18));
  std::ostringstream fl;
  MidiFile::writeLittleEndianFloat(fl, 1.0f);
  MidiFile::writeBigEndianFloat(fl, 1.0f);
  EXPECT_EQ(fl.str(), std::string("\x00\x00\x80\x3F\x3F\x80\x00\x00", 8));
  EXPECT_EQ(Written(&MidiFile::writeLittleEndianDouble, 2.0), std::string("\0\0\0\0\0\0\0\x40", 8));
  EXPECT_EQ(Written(&MidiFile::writeBigEndianDouble, 2.0), std::string("\x40\0\0\0\0\0\0\0", 8));

  MidiFile f;
  std::istringstream in(std::string("\x81\x00\x7F\xC5", 4));
  EXPECT_EQ(f.readVLValue(in), 128u);
  EXPECT_EQ(f.readByte(in), 0x7F);
  EXPECT_EQ(f.unpackVLV(0x81, 0x80, 0x80, 0x00), 0x200000u);
  EXPECT_EQ(f.unpackVLV(0x7F, 0, 0, 0), 0x7Fu);
  // A data byte first runs on the command before it.
  std::istringstream data(std::string("\x40\x7F", 2));
  std::vector<unsigned char> bytes;
  unsigned char running = 0x92;
  EXPECT_EQ(f.extractMidiData(data, bytes, running), 1);
  EXPECT_EQ(bytes, (Bytes{0x92, 0x40, 0x7F}));
}

TEST(FileHelpers, ReadFromAStreamOrANamedFile) {
  MidiFile w;
  w.addNoteOn(0, 0, 0, 60, 64);
  w.addNoteOff(0, 120, 0, 60);
  std::ostringstream smf;
  ASSERT_EQ(w.write(smf), 1);
  std::istringstream in(smf.str());
  MidiFile fromStream(in);
  EXPECT_EQ(fromStream.status(), 1);
  EXPECT_EQ(fromStream.getNumEvents(0), 3); // with its end of track

  const std::string path = testing::TempDir() + "helpers file.mid";
  ASSERT_EQ(w.write(path), 1);
  MidiFile fromFile(path);
  EXPECT_EQ(fromFile.status(), 1);
  EXPECT_EQ(fromFile.getNumEvents(0), 3);
  fromFile.setFilename(std::string("/somewhere/else.mid"));
  EXPECT_STREQ(fromFile.getFilename(), "else.mid");

  const std::string hex = testing::TempDir() + "helpers file.hex";
  ASSERT_EQ(w.writeHex(hex, 16), 1);
  std::ifstream hexIn(hex);
  std::string first;
  std::getline(hexIn, first);
  EXPECT_EQ(first.substr(0, 11), "4d 54 68 64");
  const std::string text = testing::TempDir() + "helpers file.txt";
  ASSERT_EQ(w.writeBinascWithComments(text), 1);
  MidiFile back;
  ASSERT_EQ(back.read(text), 1);
  EXPECT_EQ(back.getNumEvents(0), 3);
  ASSERT_EQ(w.writeBinasc(text.c_str()), 1); // without comments, read back the same
  MidiFile plain;
  ASSERT_EQ(plain.read(text), 1);
  EXPECT_EQ(plain.getNumEvents(0), 3);
  std::remove(path.c_str());
  std::remove(hex.c_str());
  std::remove(text.c_str());
}

} // namespace
