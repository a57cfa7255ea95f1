#include "MidiFile/MidiFile.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string hexOf(MidiFile& f, int width) {
  std::ostringstream out;
  EXPECT_EQ(f.writeHex(out, width), 1);
  return out.str();
}

TEST(MidiFileDump, HexLines) {
  MidiFile f; // 26 bytes
  EXPECT_EQ(hexOf(f, 10), "4d 54 68 64 00 00 00 06 00 00\n00 01 00 78 4d 54 72 6b 00 00\n"
                          "00 04 00 ff 2f 00\n");
  EXPECT_EQ(hexOf(f, 0).size(), 26u * 3 - 1); // one line, no newline
  std::string wide = hexOf(f, -1);
  EXPECT_EQ(wide.find('\n'), 25u * 3 - 1);
  EXPECT_EQ(wide.back(), '\n');

  testing::internal::CaptureStderr();
  EXPECT_EQ(f.writeHex("/nonexistent-dir/x.hex", 4), 0);
  EXPECT_EQ(f.writeBinasc(std::string("/nonexistent-dir/x.txt")), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: could not write: /nonexistent-dir/x.hex\n"
            "Error: could not write: /nonexistent-dir/x.txt\n");
}

TEST(MidiFileDump, TextFormsAndStreamInsertion) {
  MidiFile f;
  f.addNoteOn(0, 0, 0, 60, 100);
  f.addNoteOff(0, 96, 0, 60);
  std::ostringstream commented;
  commented << f;
  EXPECT_NE(commented.str().find("v96\t90 '60 '0\t; note-off C4\n"), std::string::npos);

  f.addNoteOn(0, 10, 0, 61, 100); // out of order: nothing to dump
  std::ostringstream none;
  testing::internal::CaptureStderr();
  EXPECT_EQ(f.writeBinasc(none), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(none.str(), "");
  EXPECT_EQ(f.status(), 0);
}

} // namespace
