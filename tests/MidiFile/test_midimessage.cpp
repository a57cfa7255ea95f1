#include "MidiFile/MidiMessage.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const MidiMessage& m) {
  return Bytes(m.begin(), m.end());
}

struct Kind {
  Bytes bytes;
  int on, off, after, ctrl, patch, pressure, bend, meta, tempo, eot;
};

TEST(MidiMessage, PredicatesByCommandAndExactSize) {
  const Kind kinds[] = {
      {{0x90, 60, 64}, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {{0x90, 60, 0}, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {{0x85, 60, 99}, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {{0x90, 60}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {{0xa1, 60, 5}, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0},
      {{0xb2, 64, 127}, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0},
      {{0xc3, 5}, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0},
      {{0xc3, 5, 6}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {{0xd4, 5}, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0},
      {{0xe5, 0, 64}, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0},
      {{0xe5, 0}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {{0xff, 0x51, 3, 7, 0xa1, 0x20}, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0},
      {{0xff, 0x51, 3, 7, 0xa1, 0x20, 0}, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0},
      {{0xff, 0x2f, 0}, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1},
      {{0xff, 0x2f}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {{}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Kind& k : kinds) {
    MidiMessage m(k.bytes);
    SCOPED_TRACE(::testing::PrintToString(k.bytes));
    EXPECT_EQ(m.isNoteOn(), k.on);
    EXPECT_EQ(m.isNoteOff(), k.off);
    EXPECT_EQ(m.isNote(), k.on || k.off);
    EXPECT_EQ(m.isAftertouch(), k.after);
    EXPECT_EQ(m.isController(), k.ctrl);
    EXPECT_EQ(m.isPatchChange(), k.patch);
    EXPECT_EQ(m.isPressure(), k.pressure);
    EXPECT_EQ(m.isPitchbend(), k.bend);
    EXPECT_EQ(m.isMeta(), k.meta);
    EXPECT_EQ(m.isTempo(), k.tempo);
    EXPECT_EQ(m.isEndOfTrack(), k.eot);
  }
}

TEST(MidiMessage, MakersMaskTheirValues) {
  MidiMessage m;
  struct Case {
    std::function<void(MidiMessage&)> make;
    Bytes expect;
  } cases[] = {
      {[](MidiMessage& x) { x.makeNoteOn(17, 200, 300); }, {0x91, 0x48, 0x2c}},
      {[](MidiMessage& x) { x.makeNoteOff(2, 60, 64); }, {0x82, 60, 64}},
      {[](MidiMessage& x) { x.makeNoteOff(2, 60); }, {0x92, 0x3c, 0}},
      {[](MidiMessage& x) { x.makeController(1, 64, 127); }, {0xb1, 64, 127}},
      {[](MidiMessage& x) { x.makePatchChange(20, 130); }, {0xc4, 2}},
      {[](MidiMessage& x) { x.makeTimeSignature(6, 8, 24, 8); }, {0xff, 0x58, 4, 6, 3, 24, 8}},
      {[](MidiMessage& x) { x.makeTimeSignature(3, 6, 24, 8); }, {0xff, 0x58, 4, 3, 2, 24, 8}},
      {[](MidiMessage& x) { x.makeTimeSignature(3, 0, 24, 8); }, {0xff, 0x58, 4, 3, 0, 24, 8}},
      {[](MidiMessage& x) { x.makeMetaMessage(0x83, "abc"); }, {0xff, 3, 3, 'a', 'b', 'c'}},
      {[](MidiMessage& x) { x.makeMarker("m"); }, {0xff, 6, 1, 'm'}},
      {[](MidiMessage& x) { x.makeTempo(120.0); }, {0xff, 0x51, 3, 0x07, 0xa1, 0x20}},
      {[](MidiMessage& x) { x.setCommand(0x1234, 0x1ff, -1); }, {0x34, 0xff, 0xff}},
  };
  for (auto& c : cases) {
    c.make(m);
    EXPECT_EQ(bytesOf(m), c.expect);
  }
  m.makeNoteOff(2, 60);
  EXPECT_TRUE(m.isNoteOff());
  m.makeNoteOn(0, 61, 90);
  m.makeNoteOff();
  EXPECT_EQ(bytesOf(m), (Bytes{0x90, 61, 0}));
  m.makeController(0, 7, 7);
  m.makeNoteOff();
  EXPECT_EQ(bytesOf(m), (Bytes{0x90, 0, 0}));

  m.makeCopyright(std::string(200, 'x'));
  ASSERT_EQ(m.getSize(), 130);
  EXPECT_EQ(m[2], 127);
}

TEST(MidiMessage, TempoAccessors) {
  MidiMessage t(std::vector<int>{0xff, 0x51, 3, 0x07, 0xa1, 0x20});
  EXPECT_EQ(t.getTempoMicroseconds(), 500000);
  EXPECT_DOUBLE_EQ(t.getTempoBPM(), 120.0);
  EXPECT_DOUBLE_EQ(t.getTempoSeconds(), 0.5);
  EXPECT_DOUBLE_EQ(t.getTempoTPS(480), 960.0);
  EXPECT_DOUBLE_EQ(t.getTempoSPT(500), 0.001);
  t.setTempoMicroseconds(1000000);
  EXPECT_EQ(bytesOf(t), (Bytes{0xff, 0x51, 3, 0x0f, 0x42, 0x40}));
  t.push_back(0);
  EXPECT_EQ(t.getTempoMicro(), -1);
  EXPECT_EQ(t.getTempoBPM(), -1.0);
  EXPECT_EQ(t.getTempoSPT(120), -1.0);
}

TEST(MidiMessage, AccessorsAndSetters) {
  MidiMessage m;
  EXPECT_EQ(m.getP0(), -1);
  EXPECT_EQ(m.getCommandByte(), -1);
  EXPECT_EQ(m.getChannel(), -1);
  m.setCommandNibble(9);
  EXPECT_EQ(bytesOf(m), Bytes{0x90});
  m.setChannelNibble(3);
  EXPECT_EQ(bytesOf(m), Bytes{0x93});
  m.setCommandNibble(0xb0);
  EXPECT_EQ(m.getCommandByte(), 0xb3);
  m.setP3(0x1ff);
  EXPECT_EQ(bytesOf(m), (Bytes{0xb3, 0, 0, 0xff}));
  EXPECT_EQ(m.getKeyNumber(), -1);
  m.setParameters(60, 100);
  EXPECT_EQ(bytesOf(m), (Bytes{0xb3, 60, 100}));
  EXPECT_EQ(m.getKeyNumber(), -1); // a controller has no key
  m.setKeyNumber(1);
  EXPECT_EQ(m[1], 60);
  m.setCommandNibble(0x90);
  m.setKeyNumber(0x145);
  m.setVelocity(300);
  EXPECT_EQ(bytesOf(m), (Bytes{0x93, 0x45, 0x2c}));
  EXPECT_EQ(m.getVelocity(), 0x2c);
  m.setParameters(5);
  EXPECT_EQ(bytesOf(m), (Bytes{0x93, 5}));
  MidiMessage empty;
  empty.setParameters(1, 2);
  EXPECT_EQ(bytesOf(empty), (Bytes{0, 1, 2}));
  m = m; // self-assignment keeps the bytes
  EXPECT_EQ(m.getSize(), 2);
  m = static_cast<const std::vector<unsigned char>&>(m);
  EXPECT_EQ(m.getSize(), 2);
  m = std::vector<int>{0x190, -1};
  EXPECT_EQ(bytesOf(m), (Bytes{0x90, 0xff}));
  m = std::vector<char>{'\x80', 1};
  EXPECT_EQ(bytesOf(m), (Bytes{0x80, 1}));
}

TEST(MidiMessage, SizeToCommand) {
  struct Case {
    Bytes in, out;
    int result;
  } cases[] = {
      {{0x90, 0x3c, 0x64, 0, 0}, {0x90, 0x3c, 0x64}, 3},
      {{0xc0}, {0xc0, 0}, 2},
      {{0xd0, 1, 2}, {0xd0, 1}, 2},
      {{0xff, 0x2f, 0}, {0xff, 0x2f, 0}, 0},
      {{0x40, 1}, {0x40, 1}, 0},
      {{}, {}, 0},
  };
  for (const Case& c : cases) {
    MidiMessage m(c.in);
    EXPECT_EQ(m.setSizeToCommand(), c.result);
    EXPECT_EQ(bytesOf(m), c.out);
  }
}

TEST(MidiMessage, SpellingRoundTripsAndKeepsNoteOn) {
  MidiMessage m;
  m.makeNoteOn(0, 60, 1);
  m.setSpelling(34, 1); // B sharp below C4
  EXPECT_TRUE(m.isNoteOn());
  EXPECT_EQ(m[2], 7);
  int base7 = 0, acc = 0;
  m.getSpelling(base7, acc);
  EXPECT_EQ(base7, 34);
  EXPECT_EQ(acc, 1);

  m.makeNoteOn(0, 61, 100);
  m.setSpelling(36, -1);
  m.getSpelling(base7, acc);
  EXPECT_EQ(base7, 36);
  EXPECT_EQ(acc, -1);

  // Every spelling of every pitch class within two semitones reads back unchanged.
  const int letterPc[7] = {0, 2, 4, 5, 7, 9, 11};
  for (int octave = 1; octave < 9; octave++)
    for (int letter = 0; letter < 7; letter++)
      for (int a = -2; a <= 2; a++) {
        int key = 12 * octave + letterPc[letter] + a;
        m.makeNoteOn(0, key, 64);
        m.setSpelling(7 * octave + letter, a);
        m.getSpelling(base7, acc);
        EXPECT_EQ(base7, 7 * octave + letter) << key;
        EXPECT_EQ(acc, a) << key;
      }

  MidiMessage off(0x80, 60, 64);
  off.setSpelling(35, 0);
  EXPECT_EQ(off[2], 64);
  base7 = acc = -99;
  off.getSpelling(base7, acc);
  EXPECT_EQ(base7, -99);
}

} // namespace
