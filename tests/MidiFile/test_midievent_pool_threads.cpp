#include "MidiFile/MidiFile.h"
#include "MidiFile/midi_test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace {

TEST(MidiEventPool, EventsFreedOnAnyThreadAreReused) {
  // Made on one thread, freed on another that then ends: its free blocks pass to the
  // shared list, where the next thread to need blocks finds them.
  std::vector<MidiEvent*> events;
  std::thread maker([&] {
    for (int i = 0; i < 3000; i++) events.push_back(new MidiEvent(0x90, i % 128, 1));
  });
  maker.join();
  std::set<MidiEvent*> freed(events.begin(), events.end());
  std::thread freer([&] {
    for (MidiEvent* e : events) delete e;
  });
  freer.join();
  MidiEvent* again = nullptr;
  std::thread user([&] { again = new MidiEvent(0x80, 1, 2); });
  user.join();
  EXPECT_EQ(freed.count(again), 1u);
  EXPECT_EQ(again->getP1(), 1);
  delete again;
}

TEST(MidiEventPool, ReadEventsTakeTheBuffersOfFreedOnes) {
  std::thread reader([] {
    MidiEvent* gone = new MidiEvent(0x90, 60, 100);
    const unsigned char* buffer = gone->data();
    delete gone;
    MidiFile f;
    std::istringstream in(str(smf(0, 1, 120, {{0, 0xc0, 5, 0, 0xff, 0x2f, 0}})));
    ASSERT_EQ(f.read(in), 1);
    EXPECT_EQ(f.getEvent(0, 0).data(), buffer);
    EXPECT_EQ(mido::hexBytes(f.getEvent(0, 0)), "c0 05");

    // Large buffers are not kept.
    MidiEvent* text = new MidiEvent;
    text->assign(200, 't');
    const unsigned char* large = text->data();
    delete text;
    MidiFile g;
    std::istringstream again(str(smf(0, 1, 120, {{0, 0xc0, 5, 0, 0xff, 0x2f, 0}})));
    ASSERT_EQ(g.read(again), 1);
    EXPECT_NE(g.getEvent(0, 0).data(), large);
  });
  reader.join();
}

TEST(MidiEventPool, ClassesDerivedFromEventsHaveTheirOwnSize) {
  struct Tagged : MidiEvent {
    char extra[200];
  };
  Tagged* tagged = new Tagged;
  std::memset(tagged->extra, 'x', sizeof tagged->extra);
  std::vector<MidiEvent*> events;
  for (int i = 0; i < 8; i++) events.push_back(new MidiEvent(0x90, i, 1));
  EXPECT_EQ(std::string(tagged->extra, sizeof tagged->extra), std::string(200, 'x'));
  for (MidiEvent* e : events) delete e;
  delete tagged;
}

TEST(MidiEventPool, FilesReadOnSeveralThreadsAtOnce) {
  MidiFile source;
  for (auto& build : sampleFiles()) build(source);
  const Bytes bytes = written(source);
  const std::string expected = mido::expectedView(source);
  std::vector<std::string> views(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; round++) {
        std::istringstream in(str(bytes));
        MidiFile f;
        f.read(in);
        MidiFile copy(f); // events made here, freed when each file goes
        views[t] = mido::expectedView(copy);
      }
    });
  for (std::thread& t : threads) t.join();
  for (const std::string& v : views) EXPECT_EQ(v, expected);
}

} // namespace
