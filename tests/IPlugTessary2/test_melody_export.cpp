#include "IPlugTessary2/MelodyExport.h"
#include "MidiFile/midi_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
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

TEST(MelodyExport, ExactBytesOfASmallMelody) {
  // A two-note chord, then a repeated pitch that starts where the first ends; notes that
  // cannot be played are left out.
  const std::vector<ExportNote> notes = {{0, 60, 30}, {0, 64, 30},  {30, 60, 30}, {5, 128, 30},
                                         {5, -2, 30}, {-1, 61, 30}, {9, 62, 0}};
  MidiFile file;
  BuildMelodyFile(notes, 120, file);
  const std::string path = TempPath("melody_export_small.mid");
  std::remove(path.c_str());
  ASSERT_TRUE(WriteMelodyFile(file, path));
  const Bytes expect =
      smf(1, 2, 120,
          {{0x00, 0xff, 0x2f, 0x00},
           {0x00, 0x90, 60,   100,  0x00, 0x90, 64, 100,  30, 0x80, 60,   100,  0x00, 0x80,
            64,   100,  0x00, 0x90, 60,   100,  30, 0x80, 60, 100,  0x00, 0xff, 0x2f, 0x00}});
  EXPECT_EQ(ReadFile(path), expect);

  MidiFile back;
  ASSERT_EQ(back.read(path), 1);
  EXPECT_EQ(mido::expectedView(back), mido::expectedView(file));
  ASSERT_EQ(mido::missing(), "");
  EXPECT_EQ(mido::readWithMido(path), mido::expectedView(file));
  std::remove(path.c_str());
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
  const std::string path = TempPath("no such folder/x.mid");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(WriteMelodyFile(file, path));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: could not write: " + path + "\n");
  EXPECT_TRUE(ReadFile(path).empty());
}

} // namespace
