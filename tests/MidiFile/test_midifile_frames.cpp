// Frame-based time divisions as the reader reports them, and writes to a file that cannot be
// made.

#include "MidiFile/MidiFile.h"
#include "MidiFile/midi_test_util.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

TEST(MidiFileFrames, EachFrameRateIsNamed) {
  const struct { int division, fps; } cases[] = {{0xe850, 24}, {0xe350, 29}, {0xe250, 30}};
  for (const auto& c : cases) {
    MidiFile f;
    std::istringstream in(str(smf(0, 1, c.division, {{0, 0xff, 0x2f, 0}})));
    testing::internal::CaptureStderr();
    EXPECT_EQ(f.read(in), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "SMPTE ticks: " + std::to_string(c.division) +
                  " ticks/sec\nSMPTE frames per second: " + std::to_string(c.fps) +
                  "\nSMPTE frame resolution per frame: 80\n");
    EXPECT_EQ(f.getTPQ(), c.division);
  }
}

TEST(MidiFileFrames, AFileThatCannotBeMadeIsAFailedWrite) {
  MidiFile f;
  f.addNoteOn(0, 0, 0, 60, 90);
  const std::string path = testing::TempDir() + "no such folder/out.txt";
  testing::internal::CaptureStderr();
  EXPECT_EQ(f.writeHex(path, 25), 0);
  EXPECT_EQ(f.status(), 1); // the last status stands
  EXPECT_EQ(f.writeBinascWithComments(path), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: could not write: " + path + "\nError: could not write: " + path + "\n");
}

} // namespace
