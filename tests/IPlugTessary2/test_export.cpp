#include "IPlugTessary2/MelodyExport.h"
#include "IPlugTessary2/engine_double.h"
#include "MidiFile/midi_test_util.h"
#include "WDL/IPlug/IGraphics.h"

#include <Cocoa/Cocoa.h>
#include <PlatformTestHooks.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TempPath(const std::string& name) {
  return std::string(QV_BINARY_DIR) + "/" + name;
}

// The file's events but the ends of track, "track tick bytes" per line, as a set.
std::multiset<std::string> Lines(const std::string& view) {
  std::multiset<std::string> out;
  std::istringstream in(view);
  for (std::string line; std::getline(in, line);)
    if (line.compare(0, 2, "1 ") == 0) out.insert(line);
  return out;
}

// The notes of a written file as our reader sees them, checked against python3-mido's view;
// removes the file.
std::string NoteView(const std::string& path) {
  MidiFile back;
  EXPECT_EQ(back.read(path), 1) << path;
  EXPECT_EQ(mido::readWithMido(path), mido::expectedView(back)) << path;
  std::remove(path.c_str());
  std::string out;
  for (const std::string& l : Lines(mido::expectedView(back))) out += l.substr(2) + "\n";
  return out;
}

TEST(Export, SmallMelodyExactBytes) {
  TestEngine e;
  srand(1);
  e.AddOneFromPianoRoll(60, 0, -1); // 30 ticks
  e.AddOneFromPianoRoll(64, 0, -1);
  e.AddOneFromPianoRoll(60, 30, -1); // sample 5512: tick 29.997, written at 30
  e.mMelody.insert({0, RNote(-2, 30, false)});
  e.mMelody.insert({5512, RNote(-2, 0, false)});
  e.mMelody.insert({88200, RNote(65, 30, false)}); // at the loop end: not written
  e.mMelody.insert({93712, RNote(65, 0, false)});
  const std::string path = TempPath("engine_export_small.mid");
  ASSERT_TRUE(e.GenerateMidiFile(path));
  EXPECT_EQ(ReadFile(path),
            smf(1, 2, 120, {{0x00, 0xff, 0x2f, 0x00}, {0x00, 0x90, 60,   100,  0x00, 0x90, 64,
                                                       100,  30,   0x80, 60,   100,  0x00, 0x80,
                                                       64,   100,  0x00, 0x90, 60,   100,  30,
                                                       0x80, 60,   100,  0x00, 0xff, 0x2f, 0x00}}));
  NoteView(path);
  // The engine's own samples per beat, not a tempo the host reports before the next block.
  e.mMelody.clear();
  e.AddOneFromPianoRoll(60, 60, -1);
  e.hostTempo = 60;
  ASSERT_TRUE(e.GenerateMidiFile(path));
  EXPECT_EQ(e.mSamplesPerBeat, 22050);
  EXPECT_EQ(NoteView(path), "60 90 3c 64\n90 80 3c 64\n");
}

TEST(Export, EveryFileReadsBackWithTheStoreTicks) {
  ASSERT_EQ(mido::missing(), "");
  for (int seed = 0; seed < 6; ++seed) {
    TestEngine e(seed % 2 ? 48000.0 : 44100.0);
    e.hostTempo = 90 + 7 * seed;
    e.Render(64);
    srand(seed);
    e.SetParam(kScalesDropdown, seed * 13);
    e.SetNumBars(1 + seed);
    e.SetParam(kNoteLength, 1 + seed);
    e.SetRhythm(seed * 2);
    e.AddOneFromPianoRoll(70, 100, -1);
    e.GenerateMelody();
    std::multiset<std::string> want;
    for (const auto& m : e.mMelody) {
      const RNote& r = m.second;
      if (!r.mNote.second || r.mNote.first < 0 || m.first >= e.mLoopLength) continue;
      const int tick = e.ConvertFramesToTicks(m.first);
      char on[32], off[32];
      std::snprintf(on, sizeof on, "1 %d 90 %02x 64", tick, r.mNote.first);
      std::snprintf(off, sizeof off, "1 %d 80 %02x 64", tick + r.mNote.second, r.mNote.first);
      want.insert({on, off});
    }
    const std::string path = TempPath("engine_export_" + std::to_string(seed) + ".mid");
    ASSERT_TRUE(e.GenerateMidiFile(path));
    MidiFile back;
    ASSERT_EQ(back.read(path), 1);
    const std::string view = mido::expectedView(back);
    EXPECT_EQ(mido::readWithMido(path), view) << seed;
    EXPECT_EQ(Lines(view), want) << seed;
    EXPECT_FALSE(want.empty());
    std::remove(path.c_str());
  }
}

TEST(Export, UnplayableNotesAreLeftOutAndFailuresReported) {
  MidiFile file;
  BuildMelodyFile({{5, 128, 30}, {5, -2, 30}, {-1, 61, 30}, {9, 62, 0}, {0, 0, 1}}, 120, file);
  std::ostringstream bytes;
  ASSERT_EQ(file.write(bytes), 1);
  EXPECT_EQ(str(smf(1, 2, 120,
                    {{0x00, 0xff, 0x2f, 0x00},
                     {0x00, 0x90, 0, 100, 0x01, 0x80, 0, 100, 0x00, 0xff, 0x2f, 0x00}})),
            bytes.str());
  // A missing folder cannot be opened; a full device fails while writing.
  const std::string missing = TempPath("no such folder/x.mid");
  for (const std::string& path : {missing, std::string("/dev/full")}) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteMelodyFile(file, path));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: could not write: " + path + "\n");
  }
  TestEngine e;
  srand(1);
  e.AddOneFromPianoRoll(60, 0, -1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(e.GenerateMidiFile(missing));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: could not write: " + missing + "\n");
  // No samples per beat (no sample rate yet): nothing to convert samples with.
  e.mSamplesPerBeat = 0;
  const std::string path = TempPath("engine_export_notempo.mid");
  std::remove(path.c_str());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(e.GenerateMidiFile(path));
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(ReadFile(path).empty());
}

TEST(Export, ClipboardPathOnlyIntoItsFolder) {
  TestEngine e;
  srand(1);
  e.AddOneFromPianoRoll(60, 0, -1);
  const bool rootHadFile = !ReadFile("/quorlenmini.mid").empty();
  for (const char* folder : {"", "/", "//"}) {
    e.mExportFolder = folder;
    testing::internal::CaptureStderr();
    e.CopyMidi();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: could not write: no export folder\n");
  }
  if (!rootHadFile) {
    EXPECT_TRUE(ReadFile("/quorlenmini.mid").empty());
  }
  const std::string folder = TempPath("engine export folder");
  std::remove(folder.c_str());
  EXPECT_EQ(e.CreateFolder(folder.c_str()), 0);
  EXPECT_EQ(e.CreateFolder(folder.c_str()), -1);
  EXPECT_EQ(e.CreateFolder(nullptr), -1);
  e.mExportFolder = folder;
  e.CopyMidi();
  EXPECT_EQ(NoteView(folder + "/quorlenmini.mid"), "0 90 3c 64\n30 80 3c 64\n");
  std::remove(folder.c_str());
}

TEST(Export, SaveButtonGoesThroughTheDialog) {
  TestEngine e;
  srand(1);
  e.AddOneFromPianoRoll(60, 0, -1);
  IGraphics* g = e.GetGUI();
  if (!g) GTEST_SKIP() << "no platform graphics object to ask with";
  PlatformTest_ResetCocoa();
  const std::string path = TempPath("engine export saved.mid");
  PlatformTest_ScriptPanel(true, path);
  e.SaveMidiFile(); // the editor is not open: nothing asked, nothing written
  EXPECT_EQ(PlatformTest_PanelsShown(), 0);
  NSWindow* window = PlatformTest_CreateWindow(kEditorWidth, kEditorHeight);
  g->OpenWindow(window->contentView());
  PlatformTest_ResetCocoa();
  PlatformTest_ScriptPanel(false, "");
  testing::internal::CaptureStderr();
  e.SaveMidiFile(); // cancelled: nothing written, nothing said
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(PlatformTest_LastPanel().kind, "save");
  EXPECT_EQ(PlatformTest_LastPanel().types, std::vector<std::string>{"mid"});
  PlatformTest_ScriptPanel(true, path);
  e.SaveMidiFile();
  EXPECT_EQ(PlatformTest_PanelsShown(), 2);
  EXPECT_EQ(NoteView(path), "0 90 3c 64\n30 80 3c 64\n");
  g->CloseWindow();
  window->release();
}

} // namespace
