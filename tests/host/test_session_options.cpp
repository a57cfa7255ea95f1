// The host program's options read into a session, and a script that turns octave copies on
// and off, changes the tempo and clears the pool.

#include "host/Session.h"
#include "session_programs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kBundle = std::string(QV_BINARY_DIR) + "/Quorlen-VUDE.component";

TEST(SessionOptions, EveryOptionLandsInItsField) {
  auhost::SessionConfig cfg;
  ASSERT_EQ(ParseArgs({"--bundle",     "b",    "--seed",           "4294967295",
                       "--tempo",      "96.5", "--sample-rate",    "48000",
                       "--block-size", "64",   "--time-signature", "7/8",
                       "--key",        "F#",   "--scale",          "Dorian Mode",
                       "--rhythm",     "1/16", "--bars",           "12",
                       "--play-bars",  "1000", "--octave",         "-4",
                       "--octave",     "2",    "--octave",         "-4",
                       "--out",        "o"},
                      &cfg),
            "");
  EXPECT_EQ(cfg.bundle, "b");
  EXPECT_EQ(cfg.seed, 4294967295u);
  EXPECT_EQ(cfg.tempo, 96.5);
  EXPECT_EQ(cfg.sampleRate, 48000.0);
  EXPECT_EQ(cfg.blockSize, 64);
  EXPECT_EQ(cfg.numerator, 7);
  EXPECT_EQ(cfg.denominator, 8);
  EXPECT_EQ(cfg.key, "F#");
  EXPECT_EQ(cfg.scale, "Dorian Mode");
  EXPECT_EQ(cfg.rhythm, "1/16");
  EXPECT_EQ(cfg.bars, 12);
  EXPECT_EQ(cfg.playBars, 1000);
  EXPECT_EQ(cfg.octaves, (std::vector<int>{-4, 2})); // once each
  EXPECT_EQ(cfg.out, "o");

  auhost::SessionConfig other;
  EXPECT_EQ(ParseArgs({"--seed", "4294967296", "--bundle", "b"}, &other),
            "--seed takes a number, not '4294967296'");
  EXPECT_EQ(ParseArgs({"--sample-rate", "7999"}, &other),
            "--sample-rate takes 8000-384000 Hz, not '7999'");
  EXPECT_EQ(ParseArgs({"--play-bars", "0"}, &other), "--play-bars takes 1-1000, not '0'");
  EXPECT_EQ(ParseArgs({"--key", ""}, &other), "--key takes a key name, not ''");
  EXPECT_EQ(ParseArgs({"-h"}, &other), "help");
}

TEST(SessionOptions, HelpPrintsTheUsageAndSucceeds) {
  std::string err;
  EXPECT_EQ(RunProgram({std::string(QV_BINARY_DIR) + "/host/auhost", "--help"}, &err), 0);
  EXPECT_EQ(err, "");
}

TEST(SessionScriptSteps, OctavesTempoAndPoolClearingRunInOrder) {
  const std::string dir = TempFolder("steps");
  auhost::SessionConfig cfg;
  cfg.bundle = kBundle;
  cfg.out = dir + "/out";
  ASSERT_EQ(auhost::ParseSessionScript("key D\nscale Major\noctave 1 on\noctave 1 on\n"
                                       "octave -2 on\noctave -2 off\ntempo 60\nrhythm 1\n"
                                       "generate\nplay 1\nclear-pool\n",
                                       "s.txt", &cfg.steps),
            "");
  auhost::SessionResult result;
  ASSERT_EQ(auhost::RunSession(cfg, nullptr, &result), "");
  // At 60 bpm one 4/4 bar is 176400 samples: 345 blocks of 512 (the last one short), with one
  // block at the start and one to stop; one whole note sounded.
  EXPECT_EQ(result.blocks, 347);
  EXPECT_EQ(result.notesOn, 1);
  EXPECT_EQ(result.summary.find("octave 1 on") != std::string::npos, true) << result.summary;
  EXPECT_EQ(result.summary.find("pool cleared") != std::string::npos, true) << result.summary;
}

} // namespace
