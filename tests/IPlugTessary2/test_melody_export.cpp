#include "IPlugTessary2/MelodyExport.h"
#include "MidiFile/midi_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TempPath(const char* name) {
  return std::string(QV_BINARY_DIR) + "/" + name;
}

TEST(MelodyExport, UnplayableNotesAreLeftOut) {
  MidiFile file;
  BuildMelodyFile({{5, 128, 30}, {5, -2, 30}, {-1, 61, 30}, {9, 62, 0}, {0, 0, 1}}, 120, file);
  std::ostringstream out;
  ASSERT_EQ(file.write(out), 1);
  const std::string bytes = out.str();
  EXPECT_EQ(Bytes(bytes.begin(), bytes.end()),
            smf(1, 2, 120,
                {{0x00, 0xff, 0x2f, 0x00},
                 {0x00, 0x90, 0, 100, 0x01, 0x80, 0, 100, 0x00, 0xff, 0x2f, 0x00}}));
}

TEST(MelodyExport, EmptyMelodyHasTwoEmptyTracks) {
  MidiFile file;
  BuildMelodyFile({}, 120, file);
  const std::string path = TempPath("melody_export_empty.mid");
  ASSERT_TRUE(WriteMelodyFile(file, path));
  EXPECT_EQ(ReadFile(path), smf(1, 2, 120, {{0x00, 0xff, 0x2f, 0x00}, {0x00, 0xff, 0x2f, 0x00}}));
  std::remove(path.c_str());
}

TEST(MelodyExport, UnwritablePathFailsWithOneLine) {
  MidiFile file;
  BuildMelodyFile({{0, 60, 30}}, 120, file);
  // A missing folder cannot be opened; a full device fails while writing.
  for (const std::string& path : {TempPath("no such folder/x.mid"), std::string("/dev/full")}) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteMelodyFile(file, path));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: could not write: " + path + "\n");
  }
  EXPECT_TRUE(ReadFile(TempPath("no such folder/x.mid")).empty());
}

} // namespace
