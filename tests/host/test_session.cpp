// A musician's session through the stand-in host and the real bundle, and the host program's
// handling of bad use.

#include "host/Session.h"
#include "host/auhost.h"

#include "MidiFile/MidiFile.h"
#include "session_programs.h"
#include "support/png_test_io.h"

#include <PlatformTestHooks.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kBundle = std::string(QV_BINARY_DIR) + "/Quorlen-VUDE.component";
const std::string kProgram = std::string(QV_BINARY_DIR) + "/host/auhost";

TEST(SessionScript, LinesItDoesNotUnderstandAreNamedWithTheirNumber) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"key C\nscale Major\nfrobnicate\n", "s.txt:3: unknown command 'frobnicate'"},
      {"# comment\n\nbars 9\n", "s.txt:3: 'bars' takes 1-8, 12 or 16"},
      {"bars 12\noctave 5 on\n", "s.txt:2: 'octave' takes an octave -4..4 and on or off"},
      {"octave -1 maybe\n", "s.txt:1: 'octave' takes an octave -4..4 and on or off"},
      {"play 0\n", "s.txt:1: 'play' takes a number of bars"},
      {"tempo fast\n", "s.txt:1: 'tempo' takes 1-999 bpm"},
      {"save ../x.mid\n", "s.txt:1: 'save' takes a plain file name"},
      {"key C\nsave midi-out.txt\n",
       "s.txt:2: 'save' cannot write midi-out.txt: the session's log has that name"},
      {"snapshot midi-out.txt\n",
       "s.txt:1: 'snapshot' cannot write midi-out.txt: the session's log has that name"},
      {"generate now\n", "s.txt:1: 'generate' takes nothing"},
      {"key\n", "s.txt:1: 'key' needs a name"},
      {"# nothing\n", "s.txt: the script has no steps"},
  };
  for (const auto& c : cases) {
    std::vector<auhost::SessionStep> steps;
    EXPECT_EQ(auhost::ParseSessionScript(c.text, "s.txt", &steps), c.error) << c.text;
    EXPECT_TRUE(steps.empty());
  }
  std::vector<auhost::SessionStep> steps;
  ASSERT_EQ(auhost::ParseSessionScript("scale Minor Pentatonic # two words\nplay 2", "s", &steps),
            "");
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].line, 1);
  EXPECT_EQ(steps[0].args, (std::vector<std::string>{"Minor", "Pentatonic"}));
  EXPECT_EQ(steps[1].line, 2);
}

TEST(SessionArgs, BadOptionsAreRefused) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"--frob"}, "unknown option --frob"},
      {{"--bars"}, "--bars needs a value"},
      {{"--bars", "11"}, "--bars takes 1-8, 12 or 16, not '11'"},
      {{"--tempo", "0"}, "--tempo takes 1-999 bpm, not '0'"},
      {{"--tempo", "nan"}, "--tempo takes 1-999 bpm, not 'nan'"},
      {{"--time-signature", "4"}, "--time-signature takes N/D, e.g. 3/4, not '4'"},
      {{"--octave", "5"}, "--octave takes an octave -4..4, not '5'"},
      {{"--block-size", "8"}, "--block-size takes 16-4096 frames, not '8'"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> words = {"--bundle", "b"};
    words.insert(words.end(), c.args.begin(), c.args.end());
    auhost::SessionConfig cfg;
    EXPECT_EQ(ParseArgs(words, &cfg), c.error);
  }
}

// The listing of a log whose block b started at starts[b].
std::string Listing(const std::vector<auhost::MidiOut>& log,
                    const std::vector<auhost::BlockStart>& starts, double sampleRate,
                    int numerator) {
  std::string out = auhost::MidiListingHeader();
  for (const auhost::MidiOut& m : log) {
    const bool known = m.block >= 0 && (size_t)m.block < starts.size();
    out += auhost::MidiListingLine(m, known ? &starts[(size_t)m.block] : nullptr, sampleRate,
                                   numerator);
  }
  return out;
}

TEST(MidiListing, PositionsNamesAndOffsets) {
  // 44.1 kHz, 120 bpm: 22050 samples a beat; blocks of 512 from block 2 on.
  const std::vector<auhost::MidiOut> log = {
      {2, 0, {0x90, 60, 100}},    // 1:1:000
      {12, 394, {0x80, 60, 0}},   // sample 5514: tick 30
      {45, 34, {0x90, 61, 100}},  // sample 22050: 1:2:000
      {174, 136, {0x90, 127, 0}}, // sample 88200: bar 2, a note-on at velocity 0 is off
      {3, 5, {0xB0, 7, 1}},       // not a note: left out
  };
  std::vector<auhost::BlockStart> starts(175, {0, 0.0, 120.0});
  for (int b = 2; b < 175; ++b) starts[b] = {(b - 2) * 512LL, (b - 2) * 512 / 22050.0, 120.0};
  EXPECT_EQ(Listing(log, starts, 44100.0, 4),
            "# bar:beat:tick (120 ticks per quarter, from the transport's start)  note  on/off  "
            "velocity  block  offset\n"
            "1:1:000      C4   on  100  block 2  offset 0\n"
            "1:1:030      C4   off   0  block 12  offset 394\n"
            "1:2:000      C#4  on  100  block 45  offset 34\n"
            "2:1:000      G9   off   0  block 174  offset 136\n");
  // Four bars at 120 bpm, a stopped block, then 90 bpm (29400 samples a beat): each block
  // counts at its own tempo from where the transport stood.
  const std::vector<auhost::MidiOut> twoTempos = {
      {0, 11025, {0x90, 60, 100}}, // half a beat at 120: 1:1:060
      {1, 0, {0x80, 60, 0}},       // sent while stopped at beat 16: 5:1:000
      {2, 14700, {0x90, 62, 100}}, // half a beat at 90 after beat 16: 5:1:060
  };
  const std::vector<auhost::BlockStart> tempoStarts = {
      {0, 0.0, 120.0}, {352800, 16.0, 120.0}, {352800, 16.0, 90.0}};
  EXPECT_EQ(Listing(twoTempos, tempoStarts, 44100.0, 4),
            "# bar:beat:tick (120 ticks per quarter, from the transport's start)  note  on/off  "
            "velocity  block  offset\n"
            "1:1:060      C4   on  100  block 0  offset 11025\n"
            "5:1:000      C4   off   0  block 1  offset 0\n"
            "5:1:060      D4   on  100  block 2  offset 14700\n");
  EXPECT_EQ(auhost::NoteName(0), "C-1");
  EXPECT_EQ(auhost::NoteName(69), "A4");
  EXPECT_EQ(auhost::NoteName(128), "?");
}

TEST(SessionProgram, DefaultSessionLeavesItsFiles) {
  const std::string out = TempFolder("default");
  std::string err;
  ASSERT_EQ(RunProgram({kProgram, "--out", out + "/session out"}, &err), 0) << err;
  EXPECT_EQ(Entries(out + "/session out"),
            (std::vector<std::string>{"editor-after.png", "editor-before.png", "melody.mid",
                                      "midi-out.txt"}));
}

TEST(SessionProgram, TempoChangeBetweenPlaysKeepsEveryNoteOnItsBeat) {
  // A note on every beat: four bars at 120 bpm, stopped, four more at 90.
  const std::string dir = TempFolder("tempo");
  const std::string script = dir + "/tempo change.txt";
  std::ofstream(script) << "key C\nscale Major\nbars 1\nrhythm 1/4\ngenerate\nplay 4\n"
                           "tempo 90\nplay 4\n";
  std::string err;
  ASSERT_EQ(RunProgram({kProgram, "--script", script, "--out", dir + "/out"}, &err), 0) << err;
  std::vector<std::string> ons;
  for (const ListedMessage& m : ReadListing(dir + "/out/midi-out.txt"))
    if (m.onOff == "on") ons.push_back(m.at);
  ASSERT_EQ(ons.size(), 32u);
  for (int i = 0; i < 32; ++i)
    EXPECT_EQ(ons[i], std::to_string(i / 4 + 1) + ":" + std::to_string(i % 4 + 1) + ":000");
}

TEST(SessionProgram, OverlappingNotesOfOnePitchSoundTheirWholeLength) {
  // At 1/24 the melody holds F4 at ticks 60 and 80, each 30 long.
  const std::string dir = TempFolder("overlap");
  std::string err;
  ASSERT_EQ(RunProgram({kProgram, "--rhythm", "1/24", "--bars", "1", "--play-bars", "1", "--out",
                        dir + "/out"},
                       &err),
            0)
      << err;
  std::vector<std::string> f4;
  bool played = false;
  std::map<std::string, bool> sounding;
  for (const ListedMessage& m : ReadListing(dir + "/out/midi-out.txt")) {
    played = played || m.onOff == "on";
    if (!played) continue; // the new melody's releases before play
    // Once playing, each pitch alternates: no note-on while it sounds, no stray note-off.
    EXPECT_NE(sounding[m.name], m.onOff == "on") << m.at << " " << m.name;
    sounding[m.name] = m.onOff == "on";
    if (m.name == "F4" && m.at < "1:2") f4.push_back(m.at + " " + m.onOff);
  }
  EXPECT_EQ(f4,
            (std::vector<std::string>{"1:1:060 on", "1:1:080 off", "1:1:080 on", "1:1:110 off"}));
}

TEST(SessionProgram, BadUseExitsNonZeroAndWritesNothing) {
  const std::string out = TempFolder("bad");
  ASSERT_FALSE(out.empty());
  const std::string script = out + "/bad script.txt";
  std::ofstream(script) << "key C\nscale Major\nwobble 3\n";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"--nope"}, 2, "auhost: unknown option --nope"},
      {{"--bundle", out}, 1, "auhost: no plug-in bundle at "},
      {{"--bundle", TESTPLUG_BUNDLE}, 1, "auhost: not a Quorlen-VUDE bundle: "},
      {{"--out", "/proc/quorlen-out"}, 1, "auhost: cannot make the output folder /proc/"},
      {{"--script", script}, 2, "auhost: " + script + ":3: unknown command 'wobble'"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {kProgram, "--out", out + "/o"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::string err;
    EXPECT_EQ(RunProgram(args, &err), c.status) << err;
    EXPECT_EQ(err.rfind(c.message, 0), 0u) << err;
  }
  EXPECT_FALSE(Exists(out + "/o/melody.mid"));
  EXPECT_TRUE(Entries(out + "/o").empty());
}

} // namespace

// C major, "1/4" in one bar, a new melody, two passes, saved and restored: what the host
// heard, what the file holds and what the editor showed agree.
class SessionEndToEnd : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    sOut = new std::string(TempFolder("e2e"));
    auhost::SessionConfig cfg;
    cfg.bundle = kBundle;
    cfg.out = *sOut;
    cfg.seed = 11;
    cfg.rhythm = "1/4";
    cfg.bars = 1;
    cfg.playBars = 2;
    cfg.midiSent = [](const auhost::MidiOut& m, const auhost::BlockStart* start) {
      sSent->push_back({m, start ? start->sample : -1});
    };
    sSent = new std::vector<std::pair<auhost::MidiOut, long long>>;
    // The platform's registries (main bundle, bundles, components) live for the process: a
    // first session fills them, a second must leave every object count as it found it.
    sResult = new auhost::SessionResult;
    auhost::RunSession(cfg, nullptr, sResult);
    *sResult = auhost::SessionResult();
    sSent->clear();
    const long live = PlatformTest_LiveObjectCount();
    sError = new std::string(auhost::RunSession(cfg, nullptr, sResult));
    sLiveAfter = PlatformTest_LiveObjectCount() - live;
  }
  static void TearDownTestSuite() {
    delete sOut;
    delete sResult;
    delete sError;
    delete sSent;
  }
  // (sample from the transport's start, bytes) of the notes sent while playing.
  static std::vector<std::pair<long, std::vector<uint8_t>>> Played() {
    std::vector<std::pair<long, std::vector<uint8_t>>> out;
    for (const auto& [m, blockSample] : *sSent) {
      const bool on = m.bytes[0] == 0x90 && m.bytes[2] > 0;
      // Releases of notes that never sounded (the new melody replaced them) are left out.
      if (!on && std::none_of(out.begin(), out.end(), [&](const auto& e) {
            return e.second[1] == m.bytes[1] && e.second[0] == 0x90;
          }))
        continue;
      out.push_back({(long)(blockSample + m.offset), m.bytes});
    }
    return out;
  }
  static std::string* sOut;
  static auhost::SessionResult* sResult;
  static std::string* sError;
  static long sLiveAfter;
  // What the plug-in sent, with the transport's sample at its block's start.
  static std::vector<std::pair<auhost::MidiOut, long long>>* sSent;
};
std::string* SessionEndToEnd::sOut;
auhost::SessionResult* SessionEndToEnd::sResult;
std::string* SessionEndToEnd::sError;
long SessionEndToEnd::sLiveAfter;
std::vector<std::pair<auhost::MidiOut, long long>>* SessionEndToEnd::sSent;

TEST_F(SessionEndToEnd, LeavesItsFilesAndNoObjectAlive) {
  ASSERT_EQ(*sError, "");
  EXPECT_EQ(Entries(*sOut), (std::vector<std::string>{"editor-after.png", "editor-before.png",
                                                      "melody.mid", "midi-out.txt"}));
  EXPECT_EQ(sLiveAfter, 0);
}

TEST_F(SessionEndToEnd, PlaysFourQuartersAPassInCMajorAndStopsClean) {
  ASSERT_EQ(*sError, "");
  const auto played = Played();
  // A quarter is 22050 samples; the loop 88200; a note 30 ticks, 5512 samples.
  const long kOn[] = {0, 22050, 44100, 66150, 88200, 110250, 132300, 154350};
  ASSERT_EQ(played.size(), 16u);
  for (int i = 0; i < 8; ++i) {
    const auto& on = played[2 * i];
    const auto& off = played[2 * i + 1];
    EXPECT_EQ(on.first, kOn[i]) << i;
    EXPECT_EQ(on.second[0], 0x90) << i;
    EXPECT_EQ(on.second[2], 100) << i;
    EXPECT_EQ(off.first, kOn[i] + 5512) << i;
    EXPECT_EQ(off.second[0], 0x80) << i;
    EXPECT_EQ(off.second[1], on.second[1]) << i;
    const int pc = on.second[1] % 12;
    EXPECT_TRUE(pc == 0 || pc == 2 || pc == 4 || pc == 5 || pc == 7 || pc == 9 || pc == 11)
        << (int)on.second[1];
    // One pass is exactly the loop: the second plays the first again.
    if (i >= 4) {
      EXPECT_EQ(on.second[1], played[2 * (i - 4)].second[1]) << i;
    }
  }
}

TEST_F(SessionEndToEnd, SavedFileHoldsThePlayedNotesForOurReaderAndMido) {
  ASSERT_EQ(*sError, "");
  const auto played = Played();
  ASSERT_GE(played.size(), 8u);
  MidiFile f;
  ASSERT_EQ(f.read(*sOut + "/melody.mid"), 1);
  ASSERT_EQ(f.getTrackCount(), 2);
  EXPECT_EQ(f.getTicksPerQuarterNote(), 120);
  f.absoluteTicks();
  std::vector<std::vector<int>> ours;
  for (int e = 0; e < f.getEventCount(1); ++e) {
    const MidiEvent& ev = f.getEvent(1, e);
    if (ev.isNoteOn()) ours.push_back({ev.tick, ev.getKeyNumber()});
  }
  std::vector<std::vector<int>> expected;
  for (int i = 0; i < 4; ++i) expected.push_back({120 * i, played[2 * i].second[1]});
  EXPECT_EQ(ours, expected);

  // An independent reader: absolute ticks and notes of the note-ons of track 1.
  const std::string code =
      "import sys, mido\n"
      "t = 0\n"
      "for m in mido.MidiFile(sys.argv[1]).tracks[1]:\n"
      "    t += m.time\n"
      "    if m.type == 'note_on' and m.velocity > 0: sys.stderr.write('%d %d\\n' % (t, m.note))\n";
  std::string err;
  ASSERT_EQ(RunProgram({QV_PYTHON3, "-c", code, *sOut + "/melody.mid"}, &err), 0) << err;
  std::string want;
  for (const auto& n : expected) want += std::to_string(n[0]) + " " + std::to_string(n[1]) + "\n";
  EXPECT_EQ(err, want);
}

TEST_F(SessionEndToEnd, EditorAfterShowsEachNoteInItsColumnAndRow) {
  ASSERT_EQ(*sError, "");
  const auto played = Played();
  ASSERT_GE(played.size(), 8u);
  std::unique_ptr<LICE_MemBitmap> png(qvtest::ReadPng(*sOut + "/editor-after.png"));
  ASSERT_TRUE(png);
  ASSERT_EQ(png->getWidth(), 710);
  ASSERT_EQ(png->getHeight(), 365);
  auto isNote = [&](int x, int y) {
    // The note colour, or the darker one of a note under the play position.
    const LICE_pixel p = png->getBits()[y * png->getRowSpan() + x];
    return (LICE_GETR(p) == 0 && LICE_GETG(p) == 148 && LICE_GETB(p) == 224) ||
           (LICE_GETR(p) == 0 && LICE_GETG(p) == 42 && LICE_GETB(p) == 104);
  };
  // One bar across the 512-pixel grid from x 184: a quarter is 128 pixels, a row 10.
  int firstTop = -1;
  for (int i = 0; i < 4; ++i) {
    const int x = 184 + 128 * i + 16;
    std::vector<int> rows;
    for (int y = 11; y < 261; ++y)
      if (isNote(x, y)) rows.push_back(y);
    ASSERT_FALSE(rows.empty()) << "no note drawn in column " << x;
    EXPECT_LE(rows.back() - rows.front(), 9) << "more than one row at " << x;
    const int pitch = played[2 * i].second[1];
    if (i == 0) {
      firstTop = rows.front();
    } else {
      EXPECT_EQ(rows.front() - firstTop, -10 * (pitch - played[0].second[1])) << i;
    }
    // Between notes the grid shows no note colour.
    for (int y = 11; y < 261; ++y) EXPECT_FALSE(isNote(x + 64, y)) << x + 64 << "," << y;
  }
}
