// The text converter's settings and its file-named entry points.

#include "MidiFile/Binasc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(BinascSettings, LimitsFallBackAndSwitchesReadBack) {
  Binasc b;
  EXPECT_EQ(b.setLineLength(0), 75);
  EXPECT_EQ(b.setLineLength(40), 40);
  EXPECT_EQ(b.getLineLength(), 40);
  EXPECT_EQ(b.setLineBytes(-3), 25);
  EXPECT_EQ(b.setLineBytes(4), 4);
  EXPECT_EQ(b.getLineBytes(), 4);
  b.setCommentsOff();
  EXPECT_EQ(b.getComments(), 0);
  b.setCommentsOn();
  EXPECT_EQ(b.getComments(), 1);
  b.setBytesOn();
  EXPECT_EQ(b.getBytes(), 1);
  b.setBytesOff();
  EXPECT_EQ(b.getBytes(), 0);
  b.setMidiOn();
  EXPECT_EQ(b.getMidi(), 1);
  b.setMidiOff();
  EXPECT_EQ(b.getMidi(), 0);

  // With neither bytes nor MIDI asked for, nothing is listed; bytes go four a line.
  std::istringstream in(std::string("\x01\x02\x03\x04\x05", 5));
  std::ostringstream none;
  ASSERT_EQ(b.readFromBinary(none, in), 1);
  EXPECT_EQ(none.str(), "");
  b.setCommentsOff();
  b.setBytesOn();
  in.clear();
  in.seekg(0);
  std::ostringstream out;
  ASSERT_EQ(b.readFromBinary(out, in), 1);
  EXPECT_EQ(out.str(), "01 02 03 04 \n05 \n");
}

TEST(BinascFiles, BothWaysBetweenNamedFilesAndStreams) {
  const std::string dir = testing::TempDir();
  const std::string text = dir + "binasc in.txt", bin = dir + "binasc out.bin",
                    back = dir + "binasc back.txt";
  std::ofstream(text) << "41 42 \"C\"\n";
  Binasc b;
  b.setCommentsOff();
  ASSERT_EQ(b.writeToBinary(bin, text), 1);
  EXPECT_EQ(Slurp(bin), "ABC");
  std::istringstream words("44 45");
  ASSERT_EQ(b.writeToBinary(bin, words), 1);
  EXPECT_EQ(Slurp(bin), "DE");
  std::ostringstream bytes;
  ASSERT_EQ(b.writeToBinary(bytes, text), 1);
  EXPECT_EQ(bytes.str(), "ABC");

  std::ostringstream hex;
  ASSERT_EQ(b.readFromBinary(hex, bin), 1);
  EXPECT_EQ(hex.str(), "44 45 \n");
  std::istringstream raw("F");
  ASSERT_EQ(b.readFromBinary(back, raw), 1);
  EXPECT_EQ(Slurp(back), "46 \n");
  ASSERT_EQ(b.readFromBinary(back, bin), 1);
  EXPECT_EQ(Slurp(back), "44 45 \n");

  testing::internal::CaptureStderr();
  EXPECT_EQ(b.writeToBinary(bin, dir + "no such file.txt"), 0);
  EXPECT_EQ(b.readFromBinary(dir + "no such folder/x.txt", bin), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot open"), std::string::npos);
  for (const std::string& p : {text, bin, back}) std::remove(p.c_str());
}

} // namespace
