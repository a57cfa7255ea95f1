#include "MidiFile/Binasc.h"
#include "MidiFile/midi_test_util.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Converted {
  Bytes bytes;
  std::string err;
};

Converted toBinary(const std::string& text) {
  Binasc b;
  std::istringstream in(text);
  std::ostringstream out;
  testing::internal::CaptureStderr();
  EXPECT_EQ(b.writeToBinary(out, in), 1);
  Converted c;
  c.err = testing::internal::GetCapturedStderr();
  std::string s = out.str();
  c.bytes.assign(s.begin(), s.end());
  return c;
}

std::string toText(Binasc& b, const Bytes& bytes, int expectResult = 1) {
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::ostringstream out;
  EXPECT_EQ(b.readFromBinary(out, in), expectResult);
  return out.str();
}

std::string twoLines(const std::string& token, const std::string& message) {
  return "Error on line 1 at token: " + token + "\n" + message + "\n";
}

std::string oneLine(const std::string& message) {
  return "Error on line: 1: " + message + "\n";
}

TEST(BinascText, WordsWriteTheirBytes) {
  struct {
    const char* text;
    Bytes bytes;
  } cases[] = {
      {"\"MThd\" 4'6 2'1 2'2 2'120 ; header",
       {0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 1, 0, 2, 0, 0x78}},
      {"\n \t \n; 01\n# 01\n/ 01", {}},
      {"7f 7F 0 a", {0x7f, 0x7f, 0, 0x0a}},
      {"+a +; +", {'a', ';', ' '}},
      {"\"a b\\\"c;#\" 01", {'a', ' ', 'b', '"', 'c', ';', '#', 1}},
      {"\"\" 01 \"", {1}}, // a lone quote at the end writes nothing
      {"\"open 01", {'o', 'p', 'e', 'n', ' ', '0', '1'}},
      {"v0 v127 v128 v268435456", {0, 0x7f, 0x81, 0, 0x81, 0x80, 0x80, 0x80, 0}},
      {"p-2 p0 p1 p.5", {0, 0, 0, 0x40, 0x7f, 0x7f, 0x7f, 0x5f}},
      {"t120 t-120 t100", {0x07, 0xa1, 0x20, 0x07, 0xa1, 0x20, 0x09, 0x27, 0xc0}},
      {"4'6 2u'300 '-5 1'256 1'-129 3u'65536", {0, 0, 0, 6, 0x2c, 1, 0xfb, 0, 0x7f, 0, 0, 1}},
      {"'1.5 u4'1.5 8'1.5", {0x3f, 0xc0, 0, 0, 0, 0, 0xc0, 0x3f, 0x3f, 0xf8, 0, 0, 0, 0, 0, 0}},
      {"2'-2 4u'-2 3'65536 4'4294967295",
       {0xff, 0xfe, 0xfe, 0xff, 0xff, 0xff, 1, 0, 0, 0xff, 0xff, 0xff, 0xff}},
      {"00001111 101 1,1 1111,0 11111111 010", {0x0f, 5, 0x11, 0xf0, 0xff, 2}},
  };
  for (const auto& c : cases) {
    Converted got = toBinary(c.text);
    EXPECT_EQ(got.bytes, c.bytes) << c.text;
    EXPECT_EQ(got.err, "") << c.text;
  }
}

TEST(BinascText, FaultyWordsReportAndSkipTheRestOfTheirLine) {
  struct {
    const char* text;
    Bytes bytes;
    std::string err;
  } cases[] = {
      {"7f;x", {}, twoLines("7f;x", "Invalid character in binary number (character is 7)")},
      {"01 ff\r", {1}, twoLines("ff\r", "Invalid character in binary number (character is f)")},
      {"01 zz 02\n03", {1, 3}, twoLines("zz", "Invalid character in hexadecimal number.")},
      {"+ab", {}, twoLines("+ab", "character byte word is too long -- specify only one character")},
      {"v", {}, oneLine("'v' needs to be followed immediately by a decimal digit")},
      {"px", {}, oneLine("'p' needs to be followed immediately by a floating-point number")},
      {"t", {}, oneLine("'t' needs to be followed immediately by a floating-point number")},
      {"'256", {}, twoLines("'256", "Decimal number out of range from 0 to 255")},
      {"'-129", {}, twoLines("'-129", "Decimal number out of range from -128 to 127")},
      {"3'-1", {}, twoLines("3'-1", "negative decimal numbers cannot be stored in 3 bytes")},
      {"8'5", {}, twoLines("8'5", "only floating-point numbers can use 8 bytes")},
      {"2'1.5", {}, twoLines("2'1.5", "floating-point numbers can be only 4 or 8 bytes")},
      {"5'3", {}, twoLines("5'3", "cannot have numbers before quote in decimal number")},
      {"12'3", {}, twoLines("12'3", "invalid byte specificaton before quote in decimal number")},
      {"'3-", {}, twoLines("'3-", "minus sign must immediately follow quote mark")},
      {"'--3", {}, twoLines("'--3", "cannot have more than two minus signs in number")},
      {"'3u", {}, twoLines("'3u", "cannot have endian specified after quote")},
      {"uu'3", {}, twoLines("uu'3", "extra \"u\" in decimal number")},
      {"''3", {}, twoLines("''3", "extra quote in decimal number")},
      {".'3", {}, twoLines(".'3", "cannot have decimal marker before quote")},
      {"'1.2.3", {}, twoLines("'1.2.3", "extra period in decimal number")},
      {"4'", {}, twoLines("4'", "there must be a decimal number after the quote")},
      {"'x", {}, twoLines("'x", "Invalid character in decimal number (character number 1)")},
      {"100000000", {}, twoLines("100000000", "too many digits in binary number")},
      {",1", {}, twoLines(",1", "cannot start binary number with a comma")},
      {"1,", {}, twoLines("1,", "cannot end binary number with a comma")},
      {"1,1,1", {}, twoLines("1,1,1", "extra comma in binary number")},
      {"11111,1", {}, twoLines("11111,1", "too many digits to left of comma")},
      {"1,11111", {}, twoLines("1,11111", "too many digits to right of comma")},
  };
  for (const auto& c : cases) {
    Converted got = toBinary(c.text);
    EXPECT_EQ(got.bytes, c.bytes) << c.text;
    EXPECT_EQ(got.err, c.err) << c.text;
  }
}

TEST(BinascText, OutOfRangeNumbersAndLongLinesAreSafe) {
  // Numbers that do not fit, and tempos without a finite microsecond value, are word
  // errors rather than overflow or a division by zero.
  for (const char* text : {"v2147483648", "v99999999999999999999", "4'99999999999", "'-99999999999",
                           "t0", "t0.0000001", "p-nan"}) {
    Converted got = toBinary(text);
    EXPECT_TRUE(got.bytes.empty()) << text;
    EXPECT_FALSE(got.err.empty()) << text;
  }
  EXPECT_EQ(toBinary("v2147483647").bytes, (Bytes{0x87, 0xff, 0xff, 0xff, 0x7f}));

  std::string longLine;
  for (int i = 0; i < 3000; i++) longLine += "7f ";
  Converted got = toBinary(longLine + "\n01");
  EXPECT_EQ(got.bytes.size(), 3001u);
  EXPECT_EQ(got.bytes.back(), 1);
}

TEST(BinascText, OptionsClampAndFilesReportFailure) {
  Binasc b;
  EXPECT_EQ(b.setLineLength(0), 75);
  EXPECT_EQ(b.setLineBytes(-3), 25);
  std::ostringstream out;
  testing::internal::CaptureStderr();
  EXPECT_EQ(b.processHexWord(out, "abc", 3), 0);
  EXPECT_EQ(
      testing::internal::GetCapturedStderr(),
      "Error on line 3 at token: abc\nSize of hexadecimal number is too large.  Max is ff.\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(b.writeToBinary(out, std::string("/nonexistent/in.txt")), 0);
  EXPECT_EQ(b.readFromBinary(std::string("/tmp/x"), std::string("/nonexistent/in.mid")), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Cannot open /nonexistent/in.txt for reading in binasc.\n"
            "Cannot open /nonexistent/in.mid for reading in binasc.\n");
}

TEST(BinascListing, GeneralStyles) {
  Binasc b;
  Bytes bytes26(26, 0xab);
  std::string line25;
  for (int i = 0; i < 25; i++) line25 += "ab ";
  EXPECT_EQ(toText(b, bytes26), line25 + "\nab \n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(toText(b, {}, 0), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "End of the file right away!\n");

  b.setCommentsOn();
  b.setLineBytes(3);
  EXPECT_EQ(toText(b, {0x41, 0x0a, 0x42, 0x43}), " 41 0a 42 \n; A     B \n\n 43 \n; C \n\n");
  b.setLineBytes(100); // wider than any fixed line buffer would hold
  std::string wideText = toText(b, Bytes(150, 'z'));
  EXPECT_EQ(wideText.find('\n'), 301u);
  EXPECT_EQ(wideText.size(), (1 + 300 + 1 + 1 + 300 + 2) + (1 + 150 + 1 + 1 + 150 + 2));

  b.setBytesOff();
  EXPECT_EQ(toText(b, {'a', 'b', ' ', 'c', 'd', 0}), "ab cd\n");
  b.setLineLength(4);
  EXPECT_EQ(toText(b, {'a', 'b', ' ', 'c', 'd', 0}), "ab\ncd\n");
  b.setLineLength(75);
  std::string word(80, 'w');
  EXPECT_EQ(toText(b, Bytes(word.begin(), word.end())), "\n" + word + "\n");
  EXPECT_EQ(toText(b, {0, 1, 2}), "");

  std::string names;
  for (int key : {60, 61, 0, 127, 69, 11, -1}) names += Binasc::keyToPitchName(key) + " ";
  EXPECT_EQ(names, "C4 C#4 C-1 G9 A4 B-1 -1 ");
}

const Bytes kExample = {0x4d, 0x54, 0x68, 0x64, 0,    0,    0,    6, 0,    0,    0,
                        1,    0,    0x78, 0x4d, 0x54, 0x72, 0x6b, 0, 0,    0,    11,
                        0,    0x90, 0x3c, 0x64, 0x60, 0x3c, 0,    0, 0xff, 0x2f, 0};

TEST(BinascListing, MidiListingOfTheExampleReadsBack) {
  Binasc b;
  b.setMidiOn();
  b.setCommentsOn();
  std::string text = toText(b, kExample);
  EXPECT_EQ(text, "\"MThd\"\t\t\t; MIDI header chunk marker\n"
                  "4'6\t\t\t; bytes to follow in header chunk\n"
                  "2'0\t\t\t; file format: Type-0 (single track)\n"
                  "2'1\t\t\t; number of tracks\n"
                  "2'120\t\t\t; ticks per quarter note\n"
                  "\n"
                  ";;; TRACK 0 ----------------------------------\n"
                  "\"MTrk\"\t\t\t; MIDI track chunk marker\n"
                  "4'11\t\t\t; bytes to follow in track chunk\n"
                  "v0\t90 '60 '100\t; note-on C4\n"
                  "v96\t    '60 '0\t; note-off C4\n"
                  "v0\tff 2f v0\t; end-of-track\n");
  EXPECT_EQ(toBinary(text).bytes, kExample);
  b.setCommentsOff();
  EXPECT_EQ(toBinary(toText(b, kExample)).bytes, kExample);
}

TEST(BinascListing, EventKindsListAndConvertBack) {
  Bytes events = {0,   0xc0, 5,    0,   0xd1, 7,    0,    0xe2, 0,    0x40, 0,    0xb3, 64,   127,
                  0,   0xa4, 60,   3,   0,    0xf0, 3,    0x43, 0x12, 0xf7, 0,    0xff, 0x03, 4,
                  'a', '"',  'b',  'c', 0,    0xff, 0x51, 3,    0x09, 0x27, 0xc0, 0,    0xff, 0x58,
                  4,   6,    3,    24,  8,    0,    0xff, 0x59, 2,    0xfe, 0,    0,    0xff, 0x00,
                  2,   0,    7,    0,   0xff, 0x20, 1,    3,    0,    0xff, 0x7f, 2,    1,    2,
                  0,   0xff, 0x60, 1,   9,    0,    0xff, 0x2f, 0};
  Bytes file = smf(5, 1, 0xe728, {events});
  Binasc b;
  b.setMidiOn();
  b.setCommentsOn();
  std::string text = toText(b, file);
  for (const char* part :
       {"2'5\t\t\t; file format: Type-5 (unknown)", "1'-25\t\t\t; SMPTE", "1'40\t\t\t; subframes",
        "v0\tc0 '5\t\t; patch-change", "v0\td1 '7\t; channel pressure",
        "v0\te2 '0 '64\t; pitch-bend", "v0\tf0 v3 43 12 f7\t; \n",
        "v0\tff 3 v4 \"a\" 22 \"bc\"\t; track name", "v0\tff 51 v3 t100\t; tempo",
        "v0\tff 58 v4 '6 '3 '24 '8", "v0\tff 59 v2 '254 '0\t; key signature",
        "v0\tff 0 v2 2'7\t; sequence number", "ff 20 v1 '3\t; MIDI channel",
        "ff 7f v2 01 02\t; system exclusive", "ff 60 v1 09\t; meta-message"})
    EXPECT_NE(text.find(part), std::string::npos) << part;
  EXPECT_EQ(toBinary(text).bytes, file);
  b.setCommentsOff();
  EXPECT_EQ(toBinary(toText(b, file)).bytes, file);
}

TEST(BinascListing, TextMetasWithQuotesReadBackToTheSameEvents) {
  // Bytes a quoted string cannot carry are hex words between the quoted runs.
  struct {
    std::string text, listed;
  } cases[] = {
      {"say \"hi\"", "\"say \" 22 \"hi\" 22"},
      {"\"", "22"},
      {"", "\"\""},
      {"a\\", "\"a\" 5c"},
      {"\\\"", "5c 22"},
      {"x\ny;z", "\"x\" 0a \"y;z\""},
  };
  Binasc b;
  b.setMidiOn();
  for (const auto& c : cases) {
    MidiFile f;
    f.addMetaEvent(0, 0, 0x05, c.text.c_str());
    f.addNoteOn(0, 10, 0, 60, 100);
    Bytes bytes = written(f);
    std::string text = toText(b, bytes);
    std::string line = "v0\tff 5 v" + std::to_string(c.text.size()) + " " + c.listed + "\n";
    EXPECT_NE(text.find(line), std::string::npos) << text;
    EXPECT_EQ(toBinary(text).bytes, bytes) << c.text;

    std::stringstream dump;
    ASSERT_EQ(f.writeBinascWithComments(dump), 1);
    MidiFile g;
    ASSERT_EQ(g.read(dump), 1) << c.text;
    ASSERT_EQ(g.getEventCount(0), 3) << c.text;
    EXPECT_EQ(mido::hexBytes(g.getEvent(0, 0)), mido::hexBytes(f.getEvent(0, 0)));
    EXPECT_EQ(mido::hexBytes(g.getEvent(0, 1)), "90 3c 64");
    EXPECT_EQ(g.getEvent(0, 1).tick, 10);
  }
}

TEST(BinascListing, BrokenInputStopsInsteadOfLooping) {
  Binasc b;
  b.setMidiOn();
  testing::internal::CaptureStderr();
  EXPECT_EQ(toText(b, {'X'}, 0), "");
  EXPECT_EQ(toText(b, {'M', 'T', 'x'}, 0), "");
  EXPECT_EQ(toText(b, smf(0, 1, 120, {}), 0), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Not a MIDI file M\nNot a MIDI file h\nNot a MIDI file M2\n");

  // A track cut short, whether or not its stated length counts only the bytes there,
  // lists nothing and fails.
  for (Bytes track :
       {Bytes{}, Bytes{0x81}, Bytes{0, 0x90, 60, 1}, Bytes{0, 0x90, 60}, Bytes{0, 0xc0},
        Bytes{0xff, 0xff, 0xff, 0xff, 0x90}, Bytes{0, 0xf0, 0x8f, 0xff, 0xff, 0x7f, 1},
        Bytes{0, 0xf0, 3, 1}, Bytes{0, 0xff}, Bytes{0, 0xff, 1, 0x81}, Bytes{0, 0xff, 1, 3, 'a'},
        Bytes{0, 0xff, 0x51, 3, 7}, Bytes{0, 0xff, 0x2f, 1}, Bytes{0, 0xff, 0x2f}}) {
    for (int past : {0, 10}) {
      Bytes file = smf(0, 1, 120, {track});
      file[21] += past;
      testing::internal::CaptureStderr();
      EXPECT_EQ(toText(b, file, 0), "") << mido::hexBytes(track) << " +" << past;
      EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: unexpected end of file.\n");
    }
  }
  // The first of two tracks without its end runs on through the second to the end.
  testing::internal::CaptureStderr();
  EXPECT_EQ(toText(b, smf(1, 2, 120, {{0, 0x90, 60, 1}, {0, 0xff, 0x2f, 0}}), 0), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: unexpected end of file.\n");
  // A stated length one more than the events' bytes.
  Bytes file = smf(0, 1, 120, {{0, 0xff, 0x2f, 0}});
  file[21] = 5;
  EXPECT_NE(toText(b, file).find("; TRACK SIZE ERROR, ACTUAL SIZE: 4\n"), std::string::npos);

  // A tempo of 0 is listed so that it converts back.
  Bytes zeroTempo = smf(0, 1, 120, {{0, 0xff, 0x51, 3, 0, 0, 0, 0, 0xff, 0x2f, 0}});
  EXPECT_EQ(toBinary(toText(b, zeroTempo)).bytes, zeroTempo);
}

} // namespace
