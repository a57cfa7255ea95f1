// A sixteen-bar loop asked for from the host program, by option and by script line: played
// past its end and saved.

#include "MidiFile/MidiFile.h"
#include "session_programs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kProgram = std::string(QV_BINARY_DIR) + "/host/auhost";

// (tick, key) of the note-ons of the melody track.
std::vector<std::vector<int>> NoteOns(const std::string& path) {
  MidiFile f;
  std::vector<std::vector<int>> out;
  if (f.read(path) != 1 || f.getTrackCount() != 2) return out;
  f.absoluteTicks();
  for (int e = 0; e < f.getEventCount(1); ++e) {
    const MidiEvent& ev = f.getEvent(1, e);
    if (ev.isNoteOn()) out.push_back({ev.tick, ev.getKeyNumber()});
  }
  return out;
}

// One whole note a bar: note-ons at ticks 0, 480, ... 7200, each a note of C major.
void ExpectSixteenBars(const std::vector<std::vector<int>>& ons) {
  ASSERT_EQ(ons.size(), 16u);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(ons[i][0], 480 * i) << i;
    const int pc = ons[i][1] % 12;
    EXPECT_TRUE(pc == 0 || pc == 2 || pc == 4 || pc == 5 || pc == 7 || pc == 9 || pc == 11)
        << ons[i][1];
  }
}

TEST(LongLoop, SixteenBarsByOptionPlayAndWrap) {
  const std::string out = TempFolder("bars16") + "/by option";
  std::string err;
  ASSERT_EQ(RunProgram({kProgram, "--bars", "16", "--rhythm", "1", "--play-bars", "17", "--seed",
                        "3", "--out", out},
                       &err),
            0)
      << err;
  const auto ons = NoteOns(out + "/melody.mid");
  ExpectSixteenBars(ons);

  // The host heard one note at the start of each bar, and bar 17 starts the loop again.
  std::vector<std::string> heard;
  for (const ListedMessage& m : ReadListing(out + "/midi-out.txt"))
    if (m.onOff == "on") heard.push_back(m.at + " " + m.name);
  ASSERT_EQ(heard.size(), 17u);
  for (int bar = 1; bar <= 17; ++bar)
    EXPECT_EQ(heard[bar - 1].substr(0, heard[bar - 1].find(' ')), std::to_string(bar) + ":1:000");
  EXPECT_EQ(heard[16].substr(heard[16].find(' ')), heard[0].substr(heard[0].find(' ')));
}

TEST(LongLoop, SixteenBarsByScriptLineAreSaved) {
  const std::string dir = TempFolder("bars16");
  const std::string script = dir + "/long loop.txt";
  std::ofstream(script) << "key C\nscale Major\nbars 16\nrhythm 1\ngenerate\nplay 17\n"
                           "save long-loop.mid\n";
  std::string err;
  ASSERT_EQ(RunProgram({kProgram, "--script", script, "--seed", "5", "--out", dir + "/out"}, &err),
            0)
      << err;
  ExpectSixteenBars(NoteOns(dir + "/out/long-loop.mid"));
}

} // namespace
