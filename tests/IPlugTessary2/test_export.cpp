#include "IPlugTessary2/engine_double.h"
#include "MidiFile/midi_test_util.h"
#include "testsupport/null_graphics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

// A save dialog that answers with a scripted path and records what it was asked.
class DialogGraphics : public NullGraphics {
public:
  using NullGraphics::NullGraphics;
  std::string answer, askedExtensions;
  int asked = 0;
  EFileAction askedAction = kFileOpen;
  void PromptForFile(WDL_String* pFile, EFileAction action, WDL_String*, char* ext) override {
    ++asked;
    askedAction = action;
    askedExtensions = ext;
    pFile->Set(answer.c_str());
  }
};

// Note-ons and note-offs of the file's second track as "tick status note" lines.
std::string NoteView(MidiFile& f) {
  std::string out;
  for (int i = 0; i < f.getEventCount(1); ++i) {
    const MidiEvent& ev = f.getEvent(1, i);
    if (ev.isEndOfTrack()) continue;
    out += std::to_string(ev.tick) + " " + mido::hexBytes(ev) + "\n";
  }
  return out;
}

TEST(Export, SmallMelodyExactBytes) {
  TestEngine e;
  srand(1);
  e.SetParam(kNoteLength, 3); // 30 ticks
  e.AddOneFromPianoRoll(60, 0, -1);
  e.AddOneFromPianoRoll(64, 0, -1);
  e.AddOneFromPianoRoll(60, 30, -1); // sample 5512: tick 29.997, written at 30
  e.mMelody.insert({0, RNote(-2, 30, false)});
  e.mMelody.insert({5512, RNote(-2, 0, false)});
  e.mMelody.insert({88200, RNote(65, 30, false)}); // at the loop end: not written
  e.mMelody.insert({93712, RNote(65, 0, false)});
  const std::string path = TempPath("engine_export_small.mid");
  std::remove(path.c_str());
  ASSERT_TRUE(e.GenerateMidiFile(path));
  const Bytes expect =
      smf(1, 2, 120,
          {{0x00, 0xff, 0x2f, 0x00},
           {0x00, 0x90, 60,   100,  0x00, 0x90, 64, 100,  30, 0x80, 60,   100,  0x00, 0x80,
            64,   100,  0x00, 0x90, 60,   100,  30, 0x80, 60, 100,  0x00, 0xff, 0x2f, 0x00}});
  EXPECT_EQ(ReadFile(path), expect);
  std::remove(path.c_str());
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
    std::string want;
    for (const auto& m : e.mMelody) {
      const RNote& r = m.second;
      if (!r.mNote.second || r.mNote.first < 0 || m.first >= e.mLoopLength) continue;
      const int tick = e.ConvertFramesToTicks(m.first);
      char line[64];
      std::snprintf(line, sizeof line, "1 %d 90 %02x 64\n1 %d 80 %02x 64\n", tick, r.mNote.first,
                    tick + r.mNote.second, r.mNote.first);
      want += line;
    }
    const std::string path = TempPath("engine_export_" + std::to_string(seed) + ".mid");
    ASSERT_TRUE(e.GenerateMidiFile(path));
    MidiFile back;
    ASSERT_EQ(back.read(path), 1);
    const std::string view = mido::expectedView(back);
    EXPECT_EQ(mido::readWithMido(path), view) << seed;
    // Same notes as the store, in time order (offs before ons at one tick).
    std::vector<std::string> got, exp;
    for (size_t p = 0, q; (q = view.find('\n', p)) != std::string::npos; p = q + 1)
      if (view.compare(p, 2, "1 ") == 0) got.push_back(view.substr(p, q - p));
    for (size_t p = 0, q; (q = want.find('\n', p)) != std::string::npos; p = q + 1)
      exp.push_back(want.substr(p, q - p));
    std::sort(got.begin(), got.end());
    std::sort(exp.begin(), exp.end());
    EXPECT_EQ(got, exp) << seed;
    EXPECT_FALSE(exp.empty());
    std::remove(path.c_str());
  }
}

TEST(Export, SamplesPerBeatIsTheEnginesAndStaysSo) {
  TestEngine e;
  srand(1);
  e.AddOneFromPianoRoll(60, 60, -1);
  e.hostTempo = 60; // not followed until the next block
  const std::string path = TempPath("engine_export_spb.mid");
  ASSERT_TRUE(e.GenerateMidiFile(path));
  EXPECT_EQ(e.mSamplesPerBeat, 22050);
  MidiFile back;
  ASSERT_EQ(back.read(path), 1);
  EXPECT_EQ(NoteView(back), "60 90 3c 64\n90 80 3c 64\n");
  std::remove(path.c_str());
}

TEST(Export, FailuresWriteNothingAndReport) {
  TestEngine e;
  srand(1);
  e.AddOneFromPianoRoll(60, 0, -1);
  const std::string bad = TempPath("no such folder/x.mid");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(e.GenerateMidiFile(bad));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: could not write: " + bad + "\n");

  // No samples per beat (no sample rate yet): nothing to convert samples with.
  e.mSamplesPerBeat = 0;
  const std::string path = TempPath("engine_export_notempo.mid");
  std::remove(path.c_str());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(e.GenerateMidiFile(path));
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(ReadFile(path).empty());

  // The clipboard path writes only into a folder it is given, never at the root.
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
}

TEST(Export, ClipboardPathWritesIntoItsFolder) {
  TestEngine e;
  srand(1);
  e.AddOneFromPianoRoll(60, 0, -1);
  const std::string folder = TempPath("engine export folder");
  std::remove((folder + "/quorlenmini.mid").c_str());
  std::remove(folder.c_str());
  EXPECT_EQ(e.CreateFolder(folder.c_str()), 0);
  EXPECT_EQ(e.CreateFolder(folder.c_str()), -1);
  EXPECT_EQ(e.CreateFolder(nullptr), -1);
  e.mExportFolder = folder;
  e.CopyMidi();
  MidiFile back;
  ASSERT_EQ(back.read(folder + "/quorlenmini.mid"), 1);
  EXPECT_EQ(NoteView(back), "0 90 3c 64\n30 80 3c 64\n");
  std::remove((folder + "/quorlenmini.mid").c_str());
  std::remove(folder.c_str());
}

TEST(Export, SaveButtonGoesThroughTheDialog) {
  TestEngine e;
  srand(1);
  e.AddOneFromPianoRoll(60, 0, -1);
  e.SaveMidiFile(); // no editor: nothing asked, nothing written
  auto* pDialog = new DialogGraphics(&e, 710, 365);
  e.AttachGraphics(pDialog);
  testing::internal::CaptureStderr();
  e.SaveMidiFile(); // cancelled
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(pDialog->asked, 1);
  EXPECT_EQ(pDialog->askedAction, kFileSave);
  EXPECT_EQ(pDialog->askedExtensions, "mid");
  pDialog->answer = TempPath("engine export saved.mid");
  std::remove(pDialog->answer.c_str());
  e.SaveMidiFile();
  MidiFile back;
  ASSERT_EQ(back.read(pDialog->answer), 1);
  EXPECT_EQ(NoteView(back), "0 90 3c 64\n30 80 3c 64\n");
  std::remove(pDialog->answer.c_str());
}

} // namespace
