#include "MidiFile/MidiMessage.h"
#include "MidiFile/midi_test_util.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(MidiMessage, PredicatesByCommandAndExactSize) {
  // Columns: note-on, note-off, aftertouch, controller, patch, pressure, bend, meta, tempo,
  // end of track.
  const std::pair<Bytes, std::string> kinds[] = {
      {{0x90, 60, 64}, "1000000000"},
      {{0x90, 60, 0}, "0100000000"},
      {{0x85, 60, 99}, "0100000000"},
      {{0x90, 60}, "0000000000"},
      {{0xa1, 60, 5}, "0010000000"},
      {{0xb2, 64, 127}, "0001000000"},
      {{0xc3, 5}, "0000100000"},
      {{0xd4, 5}, "0000010000"},
      {{0xe5, 0, 64}, "0000001000"},
      {{0xff, 0x51, 3, 7, 0xa1, 0x20}, "0000000110"},
      {{0xff, 0x51, 3, 7, 0xa1, 0x20, 0}, "0000000100"},
      {{0xff, 0x2f, 0}, "0000000101"},
      {{}, "0000000000"},
  };
  for (const auto& k : kinds) {
    MidiMessage m(k.first);
    std::string got;
    for (int v :
         {m.isNoteOn(), m.isNoteOff(), m.isAftertouch(), m.isController(), m.isPatchChange(),
          m.isPressure(), m.isPitchbend(), m.isMeta(), m.isTempo(), m.isEndOfTrack()})
      got += static_cast<char>('0' + v);
    EXPECT_EQ(got, k.second) << ::testing::PrintToString(k.first);
  }
}

TEST(MidiMessage, MakersAndSettersMaskTheirValues) {
  using Change = std::function<void(MidiMessage&)>;
  const std::tuple<Bytes, Change, Bytes> cases[] = {
      {{}, [](MidiMessage& x) { x.makeNoteOn(17, 200, 300); }, {0x91, 0x48, 0x2c}},
      {{}, [](MidiMessage& x) { x.makeNoteOff(2, 60, 64); }, {0x82, 60, 64}},
      {{}, [](MidiMessage& x) { x.makeNoteOff(2, 60); }, {0x92, 0x3c, 0}},
      {{0x90, 61, 90}, [](MidiMessage& x) { x.makeNoteOff(); }, {0x90, 61, 0}},
      {{0xb0, 7, 7}, [](MidiMessage& x) { x.makeNoteOff(); }, {0x90, 0, 0}},
      {{}, [](MidiMessage& x) { x.makePatchChange(20, 130); }, {0xc4, 2}},
      {{}, [](MidiMessage& x) { x.makeTimeSignature(3, 6, 24, 8); }, {0xff, 0x58, 4, 3, 2, 24, 8}},
      {{}, [](MidiMessage& x) { x.makeTimeSignature(3, 0, 24, 8); }, {0xff, 0x58, 4, 3, 0, 24, 8}},
      {{}, [](MidiMessage& x) { x.makeMetaMessage(0x83, "abc"); }, {0xff, 3, 3, 'a', 'b', 'c'}},
      {{}, [](MidiMessage& x) { x.makeTempo(120.0); }, {0xff, 0x51, 3, 0x07, 0xa1, 0x20}},
      {{}, [](MidiMessage& x) { x.setTempoMicroseconds(1000000); }, {0xff, 0x51, 3, 15, 0x42, 64}},
      {{}, [](MidiMessage& x) { x.setCommand(0x1234, 0x1ff, -1); }, {0x34, 0xff, 0xff}},
      {{0x90}, [](MidiMessage& x) { x.setChannelNibble(3); }, {0x93}},
      {{0x93}, [](MidiMessage& x) { x.setCommandNibble(0xb0); }, {0xb3}},
      {{0xb3}, [](MidiMessage& x) { x.setP3(0x1ff); }, {0xb3, 0, 0, 0xff}},
      {{0xb3, 60, 100}, [](MidiMessage& x) { x.setKeyNumber(1); }, {0xb3, 60, 100}},
      {{0x93, 1, 2}, [](MidiMessage& x) { x.setKeyNumber(0x145); }, {0x93, 0x45, 2}},
      {{0x93, 1, 2}, [](MidiMessage& x) { x.setVelocity(300); }, {0x93, 1, 0x2c}},
      {{0x93, 1, 2}, [](MidiMessage& x) { x.setParameters(5); }, {0x93, 5}},
      {{}, [](MidiMessage& x) { x.setParameters(1, 2); }, {0, 1, 2}},
      {{0x93, 5}, [](MidiMessage& x) { x = *&x; }, {0x93, 5}},
      {{0x93, 5}, [](MidiMessage& x) { x = static_cast<const Bytes&>(x); }, {0x93, 5}},
  };
  for (auto& c : cases) {
    MidiMessage m(std::get<0>(c));
    std::get<1>(c)(m);
    EXPECT_EQ(Bytes(m), std::get<2>(c)) << ::testing::PrintToString(std::get<2>(c));
  }
  MidiMessage text;
  text.makeCopyright(std::string(200, 'x'));
  ASSERT_EQ(text.getSize(), 130);
  EXPECT_EQ(text[2], 127);
}

TEST(MidiMessage, AccessorsAnswerMinusOneWhereNothingApplies) {
  MidiMessage empty, ctrl(0xb3, 60, 100), note(0x93, 0x45, 0x2c);
  for (int v : {empty.getP0(), empty.getCommandByte(), empty.getChannel(), ctrl.getKeyNumber(),
                ctrl.getVelocity(), ctrl.getP3(), note.getMetaType()})
    EXPECT_EQ(v, -1);

  MidiMessage t(std::vector<int>{0xff, 0x51, 3, 0x07, 0xa1, 0x20});
  EXPECT_EQ(t.getTempoMicroseconds(), 500000);
  EXPECT_DOUBLE_EQ(t.getTempoBPM(), 120.0);
  EXPECT_DOUBLE_EQ(t.getTempoSPT(500), 0.001);
  t.push_back(0);
  EXPECT_EQ(t.getTempoMicro(), -1);
  EXPECT_EQ(t.getTempoBPM(), -1.0);
  EXPECT_EQ(t.getTempoSPT(120), -1.0);
}

TEST(MidiMessage, SizeToCommand) {
  const std::tuple<Bytes, Bytes, int> cases[] = {
      {{0x90, 0x3c, 0x64, 0, 0}, {0x90, 0x3c, 0x64}, 3},
      {{0xc0}, {0xc0, 0}, 2},
      {{0xd0, 1, 2}, {0xd0, 1}, 2},
      {{0xff, 0x2f, 0}, {0xff, 0x2f, 0}, 0},
      {{0x40, 1}, {0x40, 1}, 0},
  };
  for (const auto& c : cases) {
    MidiMessage m(std::get<0>(c));
    EXPECT_EQ(m.setSizeToCommand(), std::get<2>(c));
    EXPECT_EQ(Bytes(m), std::get<1>(c));
  }
}

TEST(MidiMessage, SpellingRoundTripsOnNoteOnsOnly) {
  MidiMessage m;
  int base7 = 0, acc = 0;
  m.makeNoteOn(0, 60, 1);
  m.setSpelling(34, 1); // B sharp below C4; the low velocity is raised so it stays a note-on
  EXPECT_EQ(Bytes(m), (Bytes{0x90, 60, 7}));
  // Every spelling of every pitch class within two semitones reads back unchanged.
  const int letterPc[7] = {0, 2, 4, 5, 7, 9, 11};
  for (int octave = 1; octave < 9; octave++)
    for (int letter = 0; letter < 7; letter++)
      for (int a = -2; a <= 2; a++) {
        m.makeNoteOn(0, 12 * octave + letterPc[letter] + a, 1);
        m.setSpelling(7 * octave + letter, a);
        m.getSpelling(base7, acc);
        EXPECT_EQ(std::make_pair(base7, acc), std::make_pair(7 * octave + letter, a));
      }

  MidiMessage off(0x80, 60, 64);
  off.setSpelling(35, 0);
  base7 = -99;
  off.getSpelling(base7, acc);
  EXPECT_EQ(off[2], 64);
  EXPECT_EQ(base7, -99);
}

} // namespace
