// Events made and freed while a thread is ending, after its own store of blocks has gone.

#include "MidiFile/MidiEvent.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct LateUser {
  MidiEvent* kept = nullptr; // freed at the thread's end
  int seenP1 = -1, seenSize = -1;
  ~LateUser() {
    delete kept;
    MidiEvent* e = new MidiEvent(0x90, 61, 70);
    seenP1 = e->getP1();
    e->assign(3, 1); // a small buffer: with the store gone it is freed, not kept
    seenSize = (int)e->size();
    delete e;
    *result = seenP1 * 1000 + seenSize;
  }
  int* result = nullptr;
};

TEST(MidiEventPoolExit, AThreadsLastDestructorsStillMakeAndFreeEvents) {
  int result = 0;
  std::thread t([&] {
    // Made before the thread's store, so destroyed after it.
    static thread_local LateUser user;
    user.result = &result;
    user.kept = new MidiEvent(0x80, 1, 2);
  });
  t.join();
  EXPECT_EQ(result, 61003);
  // What the ending thread gave back is found by the next thread.
  std::thread u([] {
    MidiEvent* e = new MidiEvent(0xB0, 7, 1);
    EXPECT_EQ(e->getP2(), 1);
    delete e;
  });
  u.join();
}

} // namespace
