#include "MidiFile/MidiFile.h"
#include "MidiFile/midi_test_util.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct ReadResult {
  int status;
  std::string err;
};

ReadResult readFrom(MidiFile& f, std::istream& in) {
  testing::internal::CaptureStderr();
  int status = f.read(in);
  return {status, testing::internal::GetCapturedStderr()};
}

ReadResult readBytes(MidiFile& f, const Bytes& bytes) {
  std::istringstream in(str(bytes));
  return readFrom(f, in);
}

TEST(MidiFileRead, WriterOutputReadsBackToTheSameModel) {
  for (auto& build : sampleFiles()) {
    MidiFile f;
    build(f);
    Bytes bytes = written(f);
    MidiFile g;
    ReadResult r = readBytes(g, bytes);
    ASSERT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(mido::expectedView(g), mido::expectedView(f));
    EXPECT_TRUE(g.isAbsoluteTicks());
    EXPECT_EQ(written(g), bytes);

    // The text forms read back too.
    for (int comments = 0; comments < 2; comments++) {
      std::stringstream text;
      EXPECT_EQ(comments ? f.writeBinascWithComments(text) : f.writeBinasc(text), 1);
      MidiFile h;
      ASSERT_EQ(h.read(text), 1);
      EXPECT_EQ(mido::expectedView(h), mido::expectedView(f));
    }
  }
}

TEST(MidiFileRead, FilesFromAnIndependentWriter) {
  ASSERT_EQ(mido::missing(), "");
  // The shell and python see this folder's name whole: a blank and a quote in it.
  std::string dir = std::string(QV_BINARY_DIR) + "/mido it's";
  mkdir(dir.c_str(), 0755);
  std::string script =
      mido::python3() +
      " -c '\n"
      "import sys, mido\n"
      "from mido import Message as M, MetaMessage as X\n"
      "f0 = mido.MidiFile(type=0, ticks_per_beat=96)\n"
      "t = mido.MidiTrack(); f0.tracks.append(t)\n"
      "t += [X(\"set_tempo\", tempo=400000), X(\"key_signature\", key=\"Eb\"),\n"
      "      M(\"program_change\", program=12, channel=3), M(\"note_on\", note=60, velocity=90, "
      "channel=3),\n"
      "      M(\"note_on\", note=64, velocity=90, channel=3, time=0),\n"
      "      M(\"note_off\", note=60, velocity=0, channel=3, time=200),\n"
      "      M(\"note_on\", note=64, velocity=0, channel=3, time=1000),\n"
      "      M(\"sysex\", data=[1, 2, 3], time=5), M(\"pitchwheel\", pitch=-100, time=20000)]\n"
      "f0.save(sys.argv[1] + \"/midifile_test_mido0.mid\")\n"
      "f1 = mido.MidiFile(type=1, ticks_per_beat=480)\n"
      "a = mido.MidiTrack(); b = mido.MidiTrack(); f1.tracks += [a, b]\n"
      "a += [X(\"track_name\", name=\"conductor\"), X(\"time_signature\", numerator=3, "
      "denominator=4)]\n"
      "b += [M(\"control_change\", control=64, value=127), M(\"control_change\", control=64, "
      "value=0, time=7),\n"
      "      M(\"aftertouch\", value=5, time=9), M(\"polytouch\", note=1, value=2)]\n"
      "f1.save(sys.argv[1] + \"/midifile_test_mido1.mid\")\n"
      "' " +
      ShellQuote(dir);
  ASSERT_EQ(std::system(script.c_str()), 0);
  for (const char* name : {"/midifile_test_mido0.mid", "/midifile_test_mido1.mid"}) {
    std::string path = dir + name;
    MidiFile f;
    ASSERT_EQ(f.read(path), 1) << name;
    EXPECT_STREQ(f.getFilename(), name + 1);
    EXPECT_EQ(mido::expectedView(f), mido::readWithMido(path)) << name;
    std::remove(path.c_str());
  }
  rmdir(dir.c_str());
}

// Each track's end tick (its last event's, the end of track's included), then the
// length in seconds.
std::string endsOf(MidiFile& f) {
  std::string out;
  for (int t = 0; t < f.getTrackCount(); t++)
    out += "end " + std::to_string(f.getEvent(t, f.getEventCount(t) - 1).tick) + "\n";
  char seconds[64];
  std::snprintf(seconds, sizeof seconds, "seconds %.9f\n", f.getTotalTimeInSeconds());
  return out + seconds;
}

// The same as python3-mido sees the file.
std::string endsByMido(const std::string& path) {
  return mido::runCommand(mido::python3() +
                          " -c '\n"
                          "import sys, mido\n"
                          "f = mido.MidiFile(sys.argv[1])\n"
                          "for t in f.tracks: print(\"end\", sum(m.time for m in t))\n"
                          "print(\"seconds %.9f\" % f.length)\n"
                          "' " +
                          ShellQuote(path) + " 2>&1");
}

// Reads the file, writes it and reads that back: both reads and the independent
// reader of the written file agree on every track's end and the length in seconds.
void expectEndsKept(const std::string& path, const std::string& ends) {
  MidiFile f;
  ASSERT_EQ(f.read(path), 1) << path;
  EXPECT_EQ(endsOf(f), ends);
  std::string again = path + ".again.mid";
  ASSERT_EQ(f.write(again), 1);
  MidiFile g;
  ASSERT_EQ(g.read(again), 1);
  EXPECT_EQ(endsOf(g), ends);
  EXPECT_EQ(endsByMido(again), ends);
  std::remove(again.c_str());
}

TEST(MidiFileRead, EndOfTrackTimeSurvivesReadAndWrite) {
  ASSERT_EQ(mido::missing(), "");
  const Bytes tempos = {0,    0xff, 0x51, 3,    0x09, 0x27, 0xc0, 0x87, 0x40, 0xff,
                        0x51, 3,    0x06, 0x1a, 0x80, 0x28, 0xff, 0x2f, 0};
  const Bytes note = {0, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0xb8, 0x20, 0xff, 0x2f, 0};
  const Bytes loop = {0, 0x90, 60, 100, 0x78, 0x80, 60, 0, 0x83, 0xdf, 0x24, 0xff, 0x2f, 0};
  struct {
    Bytes file;
    std::string ends;
  } cases[] = {
      // 600000 us per quarter to tick 960, then 400000; the last note ends at 480.
      {smf(1, 2, 480, {tempos, note}), "end 1000\nend 7680\nseconds 6.800000000\n"},
      // A loop of 61468 ticks whose one note ends at 120.
      {smf(0, 1, 120, {loop}), "end 61468\nseconds 256.116666667\n"},
      // A track of nothing but its end, after the other track's last event.
      {smf(1, 2, 480,
           {{0x87, 0x40, 0xff, 0x2f, 0},
            {0, 0x90, 60, 1, 0x81, 0x70, 0x80, 60, 0, 0, 0xff, 0x2f, 0}}),
       "end 960\nend 240\nseconds 1.000000000\n"},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string path = std::string(QV_BINARY_DIR) + "/midifile_test_ends" + std::to_string(n++);
    std::ofstream(path, std::ios::binary) << str(c.file);
    expectEndsKept(path, c.ends);
    EXPECT_EQ(endsByMido(path), c.ends);
    MidiFile f;
    ASSERT_EQ(f.read(path), 1);
    EXPECT_EQ(written(f), c.file) << n; // already in the form the writer makes
    std::remove(path.c_str());
  }
}

TEST(MidiFileRead, EndOfTrackTimeFromAnIndependentMaker) {
  if (std::system("command -v csvmidi >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "csvmidi is missing: install the Debian package midicsv "
                    "(./run-tests.sh installs it)";
  ASSERT_EQ(mido::missing(), "");
  std::string csv = std::string(QV_BINARY_DIR) + "/midifile_test_late.csv";
  std::string mid = std::string(QV_BINARY_DIR) + "/midifile_test_late.mid";
  std::ofstream(csv) << "0, 0, Header, 1, 3, 480\n"
                        "1, 0, Start_track\n"
                        "1, 0, Tempo, 600000\n"
                        "1, 960, Tempo, 400000\n"
                        "1, 1000, End_track\n"
                        "2, 0, Start_track\n"
                        "2, 0, Note_on_c, 0, 60, 100\n"
                        "2, 240, Note_on_c, 0, 64, 100\n"
                        "2, 480, Note_off_c, 0, 60, 0\n"
                        "2, 480, Note_off_c, 0, 64, 0\n"
                        "2, 7680, End_track\n"
                        "3, 0, Start_track\n"
                        "3, 100, Program_c, 1, 5\n"
                        "3, 2000, End_track\n"
                        "0, 0, End_of_file\n";
  ASSERT_EQ(std::system(("csvmidi " + ShellQuote(csv) + " " + ShellQuote(mid)).c_str()), 0);
  const std::string ends = "end 1000\nend 7680\nend 2000\nseconds 6.800000000\n";
  EXPECT_EQ(endsByMido(mid), ends);
  expectEndsKept(mid, ends);
  std::remove(csv.c_str());
  std::remove(mid.c_str());
}

TEST(MidiFileRead, EventDecoding) {
  MidiFile f;
  // Running status, a one-byte delta above 63 before a system byte, and a delta
  // written with a leading zero group (80 00).
  Bytes events = {0, 0x90, 0x3c, 0x40, 10, 0x3e, 0x40, 0x45, 0xf8, 0,    0xf0, 5,    0x43, 0x12, 0,
                  7, 0xf7, 0,    0xc1, 3,  0x80, 0,    0xe0, 0,    0x40, 0,    0xff, 0x2f, 0};
  ASSERT_EQ(readBytes(f, smf(0, 1, 120, {events})).status, 1);
  EXPECT_EQ(mido::expectedView(f), "type 0 tpq 120 tracks 1\n0 0 90 3c 40\n0 10 90 3e 40\n0 79 f8\n"
                                   "0 79 f0 43 12 00 07 f7\n0 79 c1 03\n0 79 e0 00 40\n");
  ASSERT_EQ(f.getEventCount(0), 7);
  for (int i = 0; i < 7; i++) EXPECT_EQ(f.getEvent(0, i).seq, i + 1);

  // Sequence numbers run on across tracks; bytes after the last track are never read.
  Bytes two = smf(1, 2, 120, {{0, 0x80, 1, 2, 0, 0xff, 0x2f, 0}, {0, 0xff, 0x2f, 0}});
  for (unsigned char c : {'j', 'u', 'n', 'k'}) two.push_back(c);
  ASSERT_EQ(readBytes(f, two).status, 1);
  EXPECT_EQ(std::make_pair(f.getEvent(1, 0).seq, f.getEvent(1, 0).track), std::make_pair(3, 1));

  // SMPTE divisions are kept as they stand and reported.
  ReadResult r = readBytes(f, smf(0, 1, 0xe728, {{0, 0xff, 0x2f, 0}}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(f.getTPQ(), 59176);
  EXPECT_EQ(r.err, "SMPTE ticks: 59176 ticks/sec\nSMPTE frames per second: 25\n"
                   "SMPTE frame resolution per frame: 40\n");
  r = readBytes(f, smf(0, 1, 0xe428, {{0, 0xff, 0x2f, 0}}));
  EXPECT_EQ(r.err, "Warning: unknown FPS: 228\nSetting FPS to 28\nSMPTE ticks: 58408 ticks/sec\n"
                   "SMPTE frames per second: 28\nSMPTE frame resolution per frame: 40\n");

  // The last track cut inside an event's data: the missing bytes read as 0.
  r = readBytes(f, smf(0, 1, 120, {{0, 0x90, 60}}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: unexpected end of file.\n");
  EXPECT_EQ(Bytes(f.getEvent(0, 0).begin(), f.getEvent(0, 0).end()), (Bytes{0x90, 60, 0}));

  // The largest tick, reached by a one-byte delta.
  Bytes longest;
  for (int i = 0; i < 8; i++)
    for (unsigned char c : {0xff, 0xff, 0xff, 0x7f, 0xf8}) longest.push_back(c);
  for (unsigned char c : {7, 0xc0, 1, 0, 0xff, 0x2f, 0}) longest.push_back(c);
  ASSERT_EQ(readBytes(f, smf(0, 1, 120, {longest})).status, 1);
  EXPECT_EQ(f.getEvent(0, 8).tick, INT_MAX);

  r = readBytes(f, smf(1, 0, 96, {}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(f.getTrackCount(), 0);
  EXPECT_EQ(written(f)[9], 1); // no track: still format 1

  // An escape carries its stated bytes.
  ASSERT_EQ(readBytes(f, smf(0, 1, 120, {{0, 0xf7, 2, 0x43, 0x12, 0, 0xff, 0x2f, 0}})).status, 1);
  EXPECT_EQ(Bytes(f.getEvent(0, 0)), (Bytes{0xf7, 0x43, 0x12}));
  // A program change under running status takes one data byte; the stated length is
  // short, so the events come from the stream one byte at a time.
  Bytes program = smf(0, 1, 120, {{0, 0xc2, 5, 3, 6, 0, 0xff, 0x2f, 0}});
  program[21] = 3;
  ASSERT_EQ(readBytes(f, program).status, 1);
  ASSERT_EQ(f.getEventCount(0), 3);
  EXPECT_EQ(Bytes(f.getEvent(0, 1)), (Bytes{0xc2, 6}));
  EXPECT_EQ(f.getEvent(0, 1).tick, 3);
  r = readBytes(f, smf(0, 1, 0xe328, {{0, 0xff, 0x2f, 0}}));
  EXPECT_EQ(r.err, "SMPTE ticks: 58152 ticks/sec\nSMPTE frames per second: 29\n"
                   "SMPTE frame resolution per frame: 40\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(f.unpackVLV(0x81, 0x80, 0x80, 0x80), 0u); // a fifth byte would follow
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: VLV value was too long\n");
}

TEST(MidiFileRead, LargeAndMislabelledTracksReadAlike) {
  // Tracks far larger than one piece of input, from a named file and from memory.
  MidiFile big;
  big.addTrack(2);
  for (int i = 0; i < 30000; i++) {
    big.addNoteOn(1 + i % 2, i * 7, i % 16, i % 128, 1 + i % 127);
    big.addNoteOff(1 + i % 2, i * 7 + 5, i % 16, i % 128);
  }
  big.addLyric(0, 3, std::string(100, 'l'));
  big.sortTracks();
  Bytes bytes = written(big);
  std::string path = std::string(QV_BINARY_DIR) + "/midifile_test_big.mid";
  std::ofstream(path, std::ios::binary) << str(bytes);
  MidiFile named, streamed;
  ASSERT_EQ(named.read(path), 1);
  ASSERT_EQ(readBytes(streamed, bytes).status, 1);
  EXPECT_EQ(mido::expectedView(named), mido::expectedView(big));
  EXPECT_EQ(mido::expectedView(streamed), mido::expectedView(big));
  EXPECT_EQ(named.getEvent(2, 29999).seq, 1 + 1 + 30001 + 30000);
  std::remove(path.c_str());

  // A stated length too small, 0, or taking in part of the next chunk: the events
  // decide where a track ends.
  Bytes first = {0, 0x90, 60, 1, 0x83, 0x60, 0x80, 60, 0, 0, 0xff, 0x2f, 0};
  Bytes second = {5, 0xc0, 3};
  std::string view = "type 1 tpq 120 tracks 2\n0 0 90 3c 01\n0 480 80 3c 00\n1 5 c0 03\n";
  for (int i = 0; i < 8; i++) {
    second.insert(second.end(), {0, 0xb0, 7, 100});
    view += "1 5 b0 07 64\n";
  }
  second.insert(second.end(), {0, 0xff, 0x2f, 0});
  for (unsigned char stated : {0, 1, 12, 25, 40, 200}) {
    Bytes file = smf(1, 2, 120, {first, second});
    file[21] = stated;
    std::istringstream in(str(file) + "junk");
    MidiFile f;
    ReadResult r = readFrom(f, in);
    ASSERT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(mido::expectedView(f), view) << int(stated);
    // What follows the file is read only where a stated length reaches into it.
    std::string rest((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(rest, stated == 200 ? "" : "junk") << int(stated);
  }
}

TEST(MidiFileRead, MalformedInputFailsWithItsMessage) {
  Bytes eot = {0, 0xff, 0x2f, 0};
  Bytes header7 = smf(0, 1, 120, {eot});
  header7[7] = 7;
  Bytes badTag = smf(0, 1, 120, {eot});
  badTag[14] = 'X';
  Bytes longTrack; // nine maximal deltas pass the largest tick
  for (int i = 0; i < 9; i++)
    for (unsigned char c : {0xff, 0xff, 0xff, 0x7f, 0xf8}) longTrack.push_back(c);
  Bytes lastStep(longTrack.begin(), longTrack.begin() + 40); // 8 x 0x0fffffff, then 0x7f more
  for (unsigned char c : {0x7f, 0x90, 60, 1}) lastStep.push_back(c);
  struct {
    Bytes input;
    std::string err;
  } cases[] = {
      {{}, "Bad MIDI data input\n"},
      {{'M', 'T'},
       "In file : unexpected end of file.\nExpecting 'h' at first byte, but found "
       "nothing.\n"},
      {{'M', 'X'}, "File  is not a MIDI file\nExpecting 'T' at first byte but got '88'\n"},
      {header7, "File  is not a MIDI 1.0 Standard MIDI file.\nThe header size is 7 bytes.\n"},
      {smf(2, 1, 120, {eot}), "Error: cannot handle a type-2 MIDI file\n"},
      {smf(0, 2, 120, {eot, eot}), "Error: Type 0 MIDI file can only contain one track\n"
                                   "Instead track count is: 2\n"},
      {badTag, "File  is not a MIDI file\nExpecting 'M' at first byte in track but got '88'\n"},
      {smf(0, 1, 120, {{0, 0x3c, 0x40}}), "Error: running command with no previous command\n"},
      {smf(0, 1, 120, {{0, 0x3c, 0x40, 0, 0xff, 0x2f, 0}}),
       "Error: running command with no previous command\n"},
      {smf(0, 1, 120, {{0, 0xff, 1, 0, 0, 0x3c}}),
       "Error: running status not permitted with meta and sysex event.\n"},
      {smf(0, 1, 120, {{0, 0xff, 1, 0, 0, 0x3c, 0x40, 0, 0xff, 0x2f, 0}}),
       "Error: running status not permitted with meta and sysex event.\n"},
      {smf(0, 1, 120, {{0, 0xf0, 1, 0xf7, 0, 0x3c}}),
       "Error: running status not permitted with meta and sysex event.\n"},
      {smf(0, 1, 120, {lastStep}), "Error: track time exceeds the tick range.\n"},
      {smf(0, 0, 120, {}), "Error: Type 0 MIDI file can only contain one track\n"
                           "Instead track count is: 0\n"},
      {smf(1, 2, 120, {{0, 0xff, 0x2f, 0, 5}, eot}),
       "File  is not a MIDI file\nExpecting 'M' at first byte in track but got '5'\n"},
      // Input ending where an event should begin: reported by the delta and the event.
      {smf(0, 1, 120, {{0, 0x90, 60, 1}}),
       "Error: unexpected end of file.\nError: unexpected end of file.\n"},
      // A cut event is padded, but a track still to come then misses its tag.
      {smf(1, 2, 120, {{0, 0x90, 60}}), "Error: unexpected end of file.\nIn file : unexpected end "
                                        "of file.\nExpecting 'M' at first byte in track, but "
                                        "found nothing.\n"},
      {smf(0, 1, 120, {{0, 0xf0, 0x8f, 0xff, 0xff, 0x7f, 1}}), "Error: unexpected end of file.\n"},
      {smf(0, 1, 120, {{0, 0xff, 1, 0x8f, 0xff, 0xff, 0x7f, 1}}),
       "Error: unexpected end of file.\n"},
      {smf(0, 1, 120, {longTrack}), "Error: track time exceeds the tick range.\n"},
  };
  for (const auto& c : cases) {
    MidiFile f;
    ReadResult r = readBytes(f, c.input);
    EXPECT_EQ(r.status, 0) << str(c.input);
    EXPECT_EQ(f.status(), 0);
    EXPECT_EQ(r.err, c.err) << str(c.input);
  }

  // A read that fails after some events keeps them, without sequence numbers.
  MidiFile kept;
  ASSERT_EQ(readBytes(kept, smf(1, 2, 120, {{0, 0x90, 60, 1, 0, 0xff, 0x2f, 0}, {0, 0x3c}})).status,
            0);
  ASSERT_EQ(kept.getEventCount(0), 2);
  EXPECT_EQ(kept.getEvent(0, 0).seq, 0);
  EXPECT_EQ(kept.getEvent(0, 1).seq, 0);

  MidiFile f;
  std::istringstream failed(str(smf(0, 1, 120, {eot})));
  failed.setstate(std::ios::badbit);
  testing::internal::CaptureStderr();
  EXPECT_EQ(f.read(failed), 0);
  EXPECT_EQ(f.read(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(f.read("/nonexistent/file.mid"), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(f.status(), 1); // a file that cannot be opened leaves the status
  MidiFile missing("/nonexistent/file.mid");
  EXPECT_EQ(missing.getTrackCount(), 1);
  EXPECT_EQ(missing.getEventCount(0), 0);
}

TEST(MidiFileRead, HostileInputStaysBounded) {
  MidiFile source;
  for (auto& build : sampleFiles()) build(source);
  Bytes bytes = written(source);
  // Every truncation fails, but a cut inside the final end of track's type or length
  // byte, which reads as 0.
  for (size_t n = 0; n < bytes.size(); n++) {
    MidiFile f;
    EXPECT_EQ(readBytes(f, Bytes(bytes.begin(), bytes.begin() + n)).status,
              n + 2 >= bytes.size() ? 1 : 0)
        << n;
  }
  // Huge announced sizes reserve nothing they do not receive.
  Bytes manyTracks = smf(1, 65535, 120, {});
  Bytes hugeTrack = smf(0, 1, 120, {{0, 0xff, 0x2f, 0}});
  hugeTrack[18] = hugeTrack[19] = hugeTrack[20] = 0x7f;
  Bytes hugeSysex = smf(0, 1, 120, {{0, 0xf0, 0xff, 0xff, 0xff, 0x7f, 1, 2}});
  Bytes garbage = smf(0, 1, 120, {});
  for (int i = 0; i < 5000; i++) garbage.push_back(static_cast<unsigned char>(i * 97 + 13));
  MidiFile f;
  EXPECT_EQ(readBytes(f, manyTracks).status, 0);
  EXPECT_EQ(readBytes(f, hugeTrack).status, 1);
  EXPECT_EQ(readBytes(f, hugeSysex).status, 0);
  EXPECT_EQ(readBytes(f, garbage).status, 0);
}

} // namespace
