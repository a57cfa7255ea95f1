// The host program as a newcomer meets it: names holding '#', a failed or stopped session that
// leaves the output folder as it was, paths from the caller's folder, memory that stays flat
// however long the play, a seed that holds through a state round trip, the notes each save
// holds, and what is in the way named.

#include "host/Session.h"
#include "MidiFile/MidiFile.h"
#include "session_programs.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

const std::string kProgram = std::string(QV_BINARY_DIR) + "/host/auhost";
const std::string kBundle = std::string(QV_BINARY_DIR) + "/Quorlen-VUDE.component";

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Each entry of a folder with its bytes; a folder shows as "<folder>".
std::map<std::string, std::string> Contents(const std::string& dir) {
  std::map<std::string, std::string> out;
  for (const std::string& name : Entries(dir)) {
    struct stat st;
    const std::string path = dir + "/" + name;
    out[name] = stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? "<folder>" : Slurp(path);
  }
  return out;
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return realpath(path.c_str(), buf) ? buf : path;
}

// Pitch classes of the note-ons of a saved melody.
std::vector<int> PitchClasses(const std::string& path) {
  MidiFile f;
  std::vector<int> out;
  if (f.read(path) != 1 || f.getTrackCount() != 2) return out;
  for (int e = 0; e < f.getEventCount(1); ++e)
    if (f.getEvent(1, e).isNoteOn()) out.push_back(f.getEvent(1, e).getKeyNumber() % 12);
  return out;
}

TEST(SessionScript, AHashInsideAWordIsPartOfTheName) {
  std::vector<auhost::SessionStep> steps;
  ASSERT_EQ(auhost::ParseSessionScript("\xEF\xBB\xBFkey F#\nkey C#/Db\t# a comment\n"
                                       "save take#2.mid #\n#play 3\nplay 2 #two",
                                       "s", &steps),
            "");
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0].verb, "key");
  EXPECT_EQ(steps[0].args, (std::vector<std::string>{"F#"}));
  EXPECT_EQ(steps[1].args, (std::vector<std::string>{"C#/Db"}));
  EXPECT_EQ(steps[2].args, (std::vector<std::string>{"take#2.mid"}));
  EXPECT_EQ(steps[3].line, 5);
  EXPECT_EQ(steps[3].args, (std::vector<std::string>{"2"}));
}

TEST(SessionArgs, OptionsAScriptSetsAreRefusedWithAScript) {
  const std::string script = TempFolder("args") + "/s.txt";
  std::ofstream(script) << "generate\n";
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"--key", "D"}, "--key has no effect with --script: write 'key D' in the script"},
      {{"--scale", "Minor Pentatonic"},
       "--scale has no effect with --script: write 'scale Minor Pentatonic' in the script"},
      {{"--octave", "-2"},
       "--octave has no effect with --script: write 'octave -2 on' in the script"},
      {{"--rhythm", "1/16"},
       "--rhythm has no effect with --script: write 'rhythm 1/16' in the script"},
      {{"--bars", "4"}, "--bars has no effect with --script: write 'bars 4' in the script"},
      {{"--play-bars", "8", "--key", "D"},
       "--play-bars has no effect with --script: write 'play 8' in the script"},
      // Refused before the script is read.
      {{"--bars", "4", "--script", "no such script.txt"},
       "--bars has no effect with --script: write 'bars 4' in the script"},
      {{"--tempo", "90", "--time-signature", "3/4", "--sample-rate", "48000", "--block-size", "64",
        "--seed", "3", "--out", "o"},
       ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> words = {"--bundle", "b", "--script", script};
    words.insert(words.end(), c.args.begin(), c.args.end());
    auhost::SessionConfig cfg;
    EXPECT_EQ(ParseArgs(words, &cfg), c.error);
  }
}

TEST(SessionProgram, TheReadmeExampleScriptPlaysInItsKey) {
  const std::string readme = Slurp(std::string(QV_SOURCE_DIR) + "/README.md");
  const size_t intro = readme.find("A script file runs its steps");
  ASSERT_NE(intro, std::string::npos);
  const size_t from = readme.find("```\n", intro) + 4;
  const std::string text = readme.substr(from, readme.find("```", from) - from);
  const std::string dir = TempFolder("readme");
  std::ofstream(dir + "/example.txt") << text;
  std::string out, err;
  ASSERT_EQ(RunProgram({kProgram, "--script", "example.txt", "--out", "example"}, &err, dir, &out),
            0)
      << err;
  EXPECT_NE(out.find("\n  key F#/Gb\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\n  scale Dorian Mode\n"), std::string::npos) << out;
  // F# Dorian shares no pitch with F Dorian.
  const std::vector<int> pcs = PitchClasses(dir + "/example/melody.mid");
  ASSERT_EQ(pcs.size(), 16u);
  for (int pc : pcs)
    EXPECT_TRUE(pc == 6 || pc == 8 || pc == 9 || pc == 11 || pc == 1 || pc == 3 || pc == 4) << pc;
}

TEST(SessionProgram, RelativePathsAreTakenFromTheCallersFolder) {
  const std::string dir = TempFolder("relative");
  std::ofstream(dir + "/my script.txt") << "key D\nsave d.mid\n";
  std::string out, err;
  ASSERT_EQ(
      RunProgram({kProgram, "--script", "my script.txt", "--out", "out here"}, &err, dir, &out), 0)
      << err;
  EXPECT_EQ(Entries(dir + "/out here"), (std::vector<std::string>{"d.mid", "midi-out.txt"}));
  // Made with the mode a new folder gets.
  const mode_t mask = umask(0);
  umask(mask);
  struct stat st;
  ASSERT_EQ(stat((dir + "/out here").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755 & ~mask);
  EXPECT_NE(out.find("Files in " + RealPath(dir) + "/out here:\n"), std::string::npos) << out;
  ASSERT_EQ(RunProgram({kProgram, "--play-bars", "1"}, &err, dir), 0) << err;
  EXPECT_TRUE(Exists(dir + "/quorlen-session/melody.mid"));
}

// Files a musician's output folder held before a session: its own and one of the user's.
// It has no editor-before.png: a file new to the folder must go again too.
const std::map<std::string, std::string> kOldFiles = {{"editor-after.png", "old after"},
                                                      {"melody.mid", "old melody"},
                                                      {"midi-out.txt", "old log"},
                                                      {"notes.txt", "mine"}};

std::string OldFolder(const std::string& dir, const std::string& folderNamed = "") {
  const std::string out = dir + "/out";
  mkdir(out.c_str(), 0755);
  for (const auto& [name, bytes] : kOldFiles)
    if (name != folderNamed) std::ofstream(out + "/" + name) << bytes;
  if (!folderNamed.empty()) mkdir((out + "/" + folderNamed).c_str(), 0755);
  return out;
}

TEST(SessionProgram, AFailedSessionLeavesTheOutputFolderAsItWas) {
  const struct {
    const char* script; // "" for the default session
    const char* folderNamed;
    int status;
    std::string message; // after "auhost: ", with OUT and SCRIPT for the paths
  } cases[] = {
      {"", "melody.mid", 1, "cannot write melody.mid into OUT: a folder has that name\n"},
      // Found only when the files move in: the editor images moved already go back out.
      {"", "midi-out.txt", 1, "cannot write midi-out.txt into OUT: a folder has that name\n"},
      {"generate\nsnapshot shot.png\nkey Q\n", "shot.png", 1,
       "SCRIPT:2: cannot write shot.png into OUT: a folder has that name\n"},
      {"snapshot a.png\nkey Q\n", "", 1, "SCRIPT:2: no key 'Q' (one of: C, C#/Db, "},
      {"key C\nsave midi-out.txt\n", "", 2,
       "SCRIPT:2: 'save' cannot write midi-out.txt: the session's log has that name\n"},
  };
  for (const auto& c : cases) {
    const std::string dir = TempFolder("failed");
    const std::string out = OldFolder(dir, c.folderNamed), script = dir + "/s.txt";
    const auto before = Contents(out);
    // A relative path with a "." and a trailing slash names the same folder.
    std::vector<std::string> args = {kProgram, "--out", "./out/"};
    if (*c.script) {
      std::ofstream(script) << c.script;
      args.insert(args.end(), {"--script", script});
    }
    std::string err, message = "auhost: " + c.message;
    for (const auto& [word, path] : {std::pair{"OUT", out}, std::pair{"SCRIPT", script}})
      if (const size_t at = message.find(word); at != std::string::npos)
        message.replace(at, strlen(word), path);
    EXPECT_EQ(RunProgram(args, &err, dir), c.status) << err;
    EXPECT_EQ(err.substr(0, message.size()), message);
    EXPECT_EQ(Contents(out), before) << c.script << c.folderNamed;
  }
  // A missing output folder is not made, nor anything left beside it.
  const std::string dir = TempFolder("failed");
  std::ofstream(dir + "/s.txt") << "snapshot a.png\nkey Q\n";
  std::string err;
  EXPECT_EQ(RunProgram({kProgram, "--script", dir + "/s.txt", "--out", dir + "/new"}, &err), 1);
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"s.txt"}));
}

// The file size limit LimitFiles sets in a child, as on a disk that fills.
rlim_t gFileLimit = 0;
void LimitFiles() {
  const rlimit limit{gFileLimit, gFileLimit};
  setrlimit(RLIMIT_FSIZE, &limit);
  signal(SIGXFSZ, SIG_IGN); // a write past the limit fails
}

// The program's wait status when its files may grow to limit bytes. An instrumented build's
// counts would be cut short as well: they go to a throwaway folder in scratch, gone once the
// program is, and the complaints about them nowhere.
int RunLimited(const std::vector<std::string>& args, rlim_t limit, FILE* err,
               const std::string& scratch) {
  const std::string counts = scratch + "/counts";
  gFileLimit = limit;
  int status = -1;
  {
    qv_test::Child child(
        qv_test::StartProgram(args, nullptr, err, "", LimitFiles,
                              {"GCOV_PREFIX=" + counts, "GCOV_ERROR_FILE=/dev/null"}));
    status = child.Wait(300);
  }
  std::error_code ignored;
  std::filesystem::remove_all(counts, ignored);
  return status;
}

TEST(SessionProgram, ASaveCutShortFailsTheSession) {
  // Files may grow to 1000 bytes, as on a disk that fills: the melody's 256 notes do not fit.
  const std::string dir = TempFolder("cut");
  const std::string out = OldFolder(dir), script = dir + "/s.txt";
  std::ofstream(script) << "bars 16\nrhythm 1/16\ngenerate\nsave melody.mid\n";
  const int status = RunLimited({kProgram, "--script", script, "--out", out}, 1000, nullptr, dir);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(Contents(out), kOldFiles);
}

TEST(SessionProgram, ALaterFileOfOneNameReplacesTheEarlier) {
  const std::string dir = TempFolder("replace");
  const std::string out = OldFolder(dir), script = dir + "/s.txt";
  std::ofstream(script) << "save m.mid\nsnapshot x.mid\nsnapshot a.png\nrhythm 1/4\ngenerate\n"
                           "save m.mid\nsave x.mid\nsnapshot a.png\nsave melody.mid\n";
  std::string stdoutText, err;
  ASSERT_EQ(RunProgram({kProgram, "--script", script, "--out", out}, &err, "", &stdoutText), 0)
      << err;
  const std::string tail =
      "Files in " + RealPath(out) + ":\n  m.mid\n  x.mid\n  a.png\n  melody.mid\n  midi-out.txt\n";
  ASSERT_GE(stdoutText.size(), tail.size());
  EXPECT_EQ(stdoutText.substr(stdoutText.size() - tail.size()), tail);
  EXPECT_EQ(Entries(out),
            (std::vector<std::string>{"a.png", "editor-after.png", "m.mid", "melody.mid",
                                      "midi-out.txt", "notes.txt", "x.mid"}));
  EXPECT_EQ(Slurp(out + "/editor-after.png"), "old after");
  EXPECT_EQ(Slurp(out + "/notes.txt"), "mine");
  // The later saves hold the new melody: four quarter notes of the one bar a new instance has.
  EXPECT_EQ(PitchClasses(out + "/m.mid").size(), 4u);
  EXPECT_EQ(PitchClasses(out + "/x.mid").size(), 4u);
  EXPECT_EQ(PitchClasses(out + "/melody.mid").size(), 4u);
  EXPECT_EQ(Slurp(out + "/a.png").substr(0, 4), "\x89PNG");
}

TEST(SessionRun, AnExceptionEndsTheSessionAndMakesNoFolder) {
  const std::string dir = TempFolder("thrown");
  const struct {
    std::function<void()> thrower;
    const char* message;
  } cases[] = {
      {[] { throw std::bad_alloc(); }, "out of memory"},
      {[] { throw std::runtime_error("no room"); }, "failed: no room"},
  };
  for (const auto& c : cases) {
    auhost::SessionConfig cfg;
    cfg.bundle = kBundle;
    cfg.out = dir + "/out";
    cfg.midiSent = [&](const auhost::MidiOut&, const auhost::BlockStart*) { c.thrower(); };
    auhost::SessionResult result;
    EXPECT_EQ(auhost::RunSession(cfg, nullptr, &result), c.message);
    EXPECT_TRUE(Entries(dir).empty());
  }
}

// True once dir holds a staging folder: the session runs.
bool Staging(const std::string& dir) {
  for (const std::string& name : Entries(dir))
    if (name.rfind(".quorlen-stage-", 0) == 0) return true;
  return false;
}

// A play that shows it has begun within moments, unoptimised too: a first bar of 662 blocks at
// 999 bpm. The 1000 bars of 661,500 blocks at 1 bpm after it would take minutes in the fastest
// build.
const char* const kLongPlay = "tempo 999\nplay 1\ntempo 1\nplay 1000\n";

TEST(SessionProgram, AStopSignalEndsTheSessionAndCleansUp) {
  // A play stops at its next block; a step that renders nothing, when it is done. The program
  // ends by the signal, as the shell that got it too expects.
  const struct {
    int sig;
    const char* name;
    bool outExists, play;
  } cases[] = {{SIGINT, "SIGINT", true, true},
               {SIGTERM, "SIGTERM", true, false},
               {SIGHUP, "SIGHUP", false, true}};
  for (const auto& c : cases) {
    const std::string dir = TempFolder("stopped");
    const std::string out = c.outExists ? OldFolder(dir) : dir + "/out";
    std::ofstream(dir + "/play.txt") << kLongPlay;
    std::ofstream script(dir + "/shots.txt");
    for (int i = 0; i < 300; ++i) script << "snapshot a.png\n";
    script.close();
    const auto before = Contents(dir);
    FILE* err = tmpfile();
    FILE* progress = tmpfile();
    qv_test::Child host(
        qv_test::StartProgram({kProgram, "--script", dir + (c.play ? "/play.txt" : "/shots.txt"),
                               "--block-size", "16", "--out", out},
                              progress, err, "", qv_test::DefaultStopSignals));
    ASSERT_GT(host.Pid(), 0);
    // The progress shows as it comes, not when a buffer fills.
    EXPECT_TRUE(qv_test::WaitUntil(
        [&] {
          return c.play ? qv_test::ReadAll(progress).find("playing bar 1 of") != std::string::npos
                        : Staging(c.outExists ? out : dir);
        },
        120))
        << c.name;
    kill(host.Pid(), c.sig);
    const int status = host.Wait(60);
    EXPECT_EQ(qv_test::HowEnded(status), "signal " + std::to_string(c.sig)) << c.name;
    EXPECT_EQ(qv_test::ReadAll(err), std::string("auhost: stopped by ") + c.name +
                                         "; the output folder " + out +
                                         (c.outExists ? " is as it was\n" : " was not made\n"));
    fclose(err);
    fclose(progress);
    EXPECT_EQ(Contents(dir), before) << c.name;
    if (c.outExists) {
      EXPECT_EQ(Contents(out), kOldFiles) << c.name;
    }
  }
}

TEST(SessionProgram, AStopEndsTheShellLoopThatRanTheSession) {
  // Ctrl-C reaches the shell and its running session together: the shell goes on only when the
  // session handled the signal and lived, so a session that ends by it ends the loop.
  const std::string dir = TempFolder("loop");
  std::ofstream(dir + "/play.txt") << kLongPlay;
  FILE* err = tmpfile();
  FILE* progress = tmpfile();
  qv_test::Child shell(
      qv_test::StartProgram({"bash", "-c",
                             "for s in 1 2; do echo \"start $s\" >> \"$0/starts\"; "
                             "\"$1\" --script \"$0/play.txt\" --block-size 16 --out \"$0/out $s\"; "
                             "done",
                             dir, kProgram},
                            progress, err, "", qv_test::OwnGroup),
      true);
  ASSERT_GT(shell.Pid(), 0);
  EXPECT_TRUE(qv_test::WaitUntil(
      [&] { return qv_test::ReadAll(progress).find("playing bar 1 of") != std::string::npos; },
      120));
  kill(-shell.Pid(), SIGINT);
  const auto starts = [&] { return Slurp(dir + "/starts"); };
  qv_test::WaitUntil([&] { return shell.Ended() || starts() != "start 1\n"; }, 60);
  EXPECT_EQ(starts(), "start 1\n");
  const int status = shell.Wait(0);
  EXPECT_EQ(qv_test::HowEnded(status), "signal " + std::to_string(SIGINT));
  EXPECT_EQ(qv_test::ReadAll(err),
            "auhost: stopped by SIGINT; the output folder " + dir + "/out 1 was not made\n");
  fclose(err);
  fclose(progress);
}

TEST(SessionProgram, TheSeedHoldsThroughAStateRoundTrip) {
  const std::string dir = TempFolder("seed");
  std::ofstream(dir + "/s.txt") << "key C\nscale Major\nrhythm 1/16\ngenerate\nsave a.mid\n"
                                   "state-roundtrip\nrhythm 1/16\ngenerate\nsave b.mid\n"
                                   "snapshot b.png\nplay 1\n";
  std::string err;
  for (const char* run : {"5", "5 again", "6"})
    ASSERT_EQ(RunProgram({kProgram, "--script", dir + "/s.txt", "--seed",
                          std::string(run).substr(0, 1), "--out", dir + "/" + run},
                         &err),
              0)
        << err;
  const auto first = Contents(dir + "/5");
  EXPECT_EQ(first.size(), 4u);
  EXPECT_EQ(Contents(dir + "/5 again"), first);
  EXPECT_NE(Slurp(dir + "/6/b.mid"), first.at("b.mid"));
  // The reopened instance draws anew: its melody is not the first one again.
  EXPECT_NE(first.at("b.mid"), first.at("a.mid"));
  // What the first melody's replacement released before any play counts from the first block.
  const std::string header = auhost::MidiListingHeader();
  EXPECT_EQ(first.at("midi-out.txt").substr(0, header.size()), header);
  const std::vector<ListedMessage> listed = ReadListing(dir + "/5/midi-out.txt");
  ASSERT_GT(listed.size(), 1u);
  EXPECT_EQ(listed[1].at, "1:1:000");
  for (const ListedMessage& m : listed) EXPECT_NE(m.at, "-");
}

// Peak memory of a run of the program, in kilobytes.
long PeakKilobytes(const std::vector<std::string>& args) {
  const pid_t pid = qv_test::StartProgram(args, nullptr, stderr);
  int status = 0;
  struct rusage use {};
  if (wait4(pid, &status, 0, &use) != pid || !WIFEXITED(status) || WEXITSTATUS(status)) return -1;
  return use.ru_maxrss;
}

TEST(SessionProgram, MemoryDoesNotGrowWithTheBlocksPlayed) {
  // Tiny blocks at 1 bpm: 661,500 blocks a bar.
  const std::string dir = TempFolder("memory");
  const long one = PeakKilobytes(
      {kProgram, "--tempo", "1", "--block-size", "16", "--play-bars", "1", "--out", dir + "/1"});
  const long four = PeakKilobytes(
      {kProgram, "--tempo", "1", "--block-size", "16", "--play-bars", "4", "--out", dir + "/4"});
  ASSERT_GT(one, 0);
  ASSERT_GT(four, 0);
  EXPECT_LT(four - one, 16 * 1024) << one << " KB for one bar, " << four << " KB for four";
}

TEST(SessionProgram, EachSaveSaysTheNotesItsFileHolds) {
  // No rhythm, no notes; a second rhythm adds to the first; bars set later do not stretch it.
  const std::string dir = TempFolder("counts");
  std::ofstream(dir + "/s.txt") << "save a.mid\nrhythm 1\ngenerate\nsave b.mid\nrhythm 1/4\n"
                                   "bars 2\ngenerate\nsave c.mid\n";
  std::string out, err;
  ASSERT_EQ(RunProgram({kProgram, "--script", dir + "/s.txt", "--out", dir + "/o"}, &err, "", &out),
            0)
      << err;
  EXPECT_NE(out.find("\n  saved a.mid (0 notes)\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\n  saved b.mid (1 note)\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\n  saved c.mid (5 notes)\n"), std::string::npos) << out;
  EXPECT_EQ(PitchClasses(dir + "/o/c.mid").size(), 5u);
}

TEST(SessionProgram, WhatIsInTheWayIsNamed) {
  const std::string dir = TempFolder("in the way");
  std::ofstream(dir + "/a file") << "mine";
  std::string err;
  EXPECT_EQ(RunProgram({kProgram, "--script", dir}, &err), 2);
  EXPECT_EQ(err.substr(0, err.find('\n')),
            "auhost: the script " + dir + " is a folder, not a file");
  EXPECT_EQ(RunProgram({kProgram, "--out", "a file"}, &err, dir), 1);
  EXPECT_EQ(err, "auhost: the output folder " + dir + "/a file is a file, not a folder\n");
  ASSERT_EQ(symlink("nowhere", (dir + "/a link").c_str()), 0);
  EXPECT_EQ(RunProgram({kProgram, "--out", "a link"}, &err, dir), 1);
  EXPECT_EQ(err, "auhost: cannot make the output folder " + dir + "/a link: File exists\n");
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"a file", "a link"}));
  EXPECT_EQ(Slurp(dir + "/a file"), "mine");
  // Every octave the help offers is taken; 0, on from the start, adds no step.
  std::string help;
  ASSERT_EQ(RunProgram({kProgram, "--help"}, &err, "", &help), 0);
  EXPECT_NE(help.find("--octave N            also use octave copy N (-4..4;"), std::string::npos);
  for (int o = -4; o <= 4; ++o) {
    auhost::SessionConfig cfg;
    EXPECT_EQ(ParseArgs({"--bundle", "b", "--octave", std::to_string(o)}, &cfg), "") << o;
    EXPECT_EQ(cfg.octaves, o ? std::vector<int>{o} : std::vector<int>{});
  }
}

TEST(SessionProgram, ALogCutShortFailsTheSession) {
  // The melody's four notes fit under each limit; the listing of 100 bars does not: cut early,
  // or only its last byte, which leaves the final flush to fail.
  const std::string dir = TempFolder("log cut"), script = dir + "/s.txt";
  std::ofstream(script) << "rhythm 1/4\ngenerate\nsave melody.mid\nplay 100\n";
  std::string err;
  ASSERT_EQ(RunProgram({kProgram, "--script", script, "--out", dir + "/whole"}, &err), 0) << err;
  const rlim_t whole = Slurp(dir + "/whole/midi-out.txt").size();
  ASSERT_GT(whole, 4000u);
  for (const rlim_t limit : {(rlim_t)4000, whole - 1}) {
    const std::string cut = TempFolder("log cut"), out = OldFolder(cut);
    FILE* errFile = tmpfile();
    const int status =
        RunLimited({kProgram, "--script", script, "--out", out}, limit, errFile, cut);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << limit;
    EXPECT_EQ(qv_test::ReadAll(errFile), "auhost: cannot write midi-out.txt: File too large\n");
    fclose(errFile);
    EXPECT_TRUE(Contents(out) == kOldFiles) << limit; // a long log is not printed
  }
}

} // namespace
