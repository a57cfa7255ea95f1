#include "MidiFile/MidiEventList.h"

#include <gtest/gtest.h>

namespace {

MidiEvent event(int tick, int command, int p1, int p2) {
  MidiEvent e(command, p1, p2);
  e.tick = tick;
  return e;
}

MidiEventList listOf(std::initializer_list<MidiEvent> events) {
  MidiEventList list;
  for (MidiEvent e : events) list.push_back(e);
  return list;
}

TEST(MidiEvent, ConstructionCopyAndAssignmentDropLinks) {
  std::vector<unsigned char> bytes = {0x90, 60, 100};
  MidiEvent a(30, 2, bytes), b(0x80, 60, 0);
  EXPECT_EQ(a.tick, 30);
  EXPECT_EQ(a.track, 2);
  EXPECT_EQ(a.seq, 0);
  a.seconds = 1.5;
  a.seq = 4;
  a.linkEvent(b);
  MidiEvent copy(a);
  EXPECT_EQ(copy.tick, 30);
  EXPECT_EQ(copy.seconds, 1.5);
  EXPECT_EQ(copy.seq, 4);
  EXPECT_FALSE(copy.isLinked());
  EXPECT_EQ(b.getLinkedEvent(), &a);

  MidiEvent c;
  c.linkEvent(b); // b leaves a for c
  EXPECT_FALSE(a.isLinked());
  c = a; // assigning dissolves c's pair: b is not left pointing at c
  EXPECT_FALSE(b.isLinked());
  EXPECT_FALSE(c.isLinked());
  EXPECT_EQ(c.tick, 30);

  a.linkEvent(b);
  a = MidiMessage(0xc0, 1);
  EXPECT_FALSE(b.isLinked());
  EXPECT_EQ(a.tick, 0);
  EXPECT_EQ(a.getSize(), 2);
  a = std::vector<int>{0x1b0, 7, 0x17f};
  EXPECT_EQ(a[0], 0xb0);
  EXPECT_EQ(a[2], 0x7f);
}

TEST(MidiEvent, DestroyingOnePartnerUnlinksTheOther) {
  MidiEvent keep(0x80, 60, 0);
  {
    MidiEvent gone(0x90, 60, 100);
    gone.linkEvent(&keep);
    EXPECT_EQ(keep.getLinkedEvent(), &gone);
  }
  EXPECT_EQ(keep.getLinkedEvent(), nullptr); // ASan would flag a dangling use below
  EXPECT_EQ(keep.getTickDuration(), 0);
}

TEST(MidiEvent, Durations) {
  MidiEvent on = event(480, 0x90, 60, 100), off = event(240, 0x80, 60, 0);
  on.seconds = 1.0;
  off.seconds = 0.25;
  on.linkEvent(off);
  EXPECT_EQ(on.getTickDuration(), 240);
  EXPECT_DOUBLE_EQ(off.getDurationInSeconds(), 0.75);
  off.unlinkEvent();
  EXPECT_FALSE(on.isLinked());
  EXPECT_DOUBLE_EQ(on.getDurationInSeconds(), 0.0);
}

TEST(MidiEventList, OwnershipCopyDetachAndMove) {
  MidiEventList list;
  MidiEvent on = event(0, 0x90, 60, 100), off = event(10, 0x80, 60, 0);
  on.linkEvent(off);
  EXPECT_EQ(list.push_back(on), 0);
  EXPECT_EQ(list.append(off), 1);
  EXPECT_FALSE(list[0].isLinked()); // copies are unlinked
  EXPECT_EQ(on.getLinkedEvent(), &off);
  EXPECT_EQ(list.linkNotePairs(), 1);

  MidiEventList copy(list);
  ASSERT_EQ(copy.getSize(), 2);
  EXPECT_FALSE(copy[0].isLinked());
  EXPECT_EQ(copy.back().tick, 10);

  MidiEvent* owned = new MidiEvent(0xc0, 5);
  EXPECT_EQ(copy.push_back_no_copy(owned), 2);
  EXPECT_EQ(&copy.last(), owned);

  MidiEventList moved(std::move(copy));
  EXPECT_EQ(copy.getSize(), 0);
  EXPECT_EQ(moved.size(), 3);

  std::vector<MidiEvent*> kept(moved.data(), moved.data() + moved.size());
  moved.detach();
  EXPECT_EQ(moved.getSize(), 0);
  EXPECT_EQ(kept[0]->tick, 0); // still alive; now ours
  for (MidiEvent* e : kept) delete e;

  list = MidiEventList(); // old events deleted (ASan checks the links)
  EXPECT_EQ(list.getSize(), 0);
}

TEST(MidiEventList, LinkNotePairsNestsLastInFirstOut) {
  MidiEventList list = listOf({event(0, 0x90, 60, 100), event(1, 0x90, 60, 100),
                               event(2, 0x80, 60, 0), event(3, 0x90, 60, 0)});
  EXPECT_EQ(list.linkNotePairs(), 2);
  EXPECT_EQ(list[1].getLinkedEvent(), &list[2]);
  EXPECT_EQ(list[0].getLinkedEvent(), &list[3]);

  MidiEventList other = listOf({event(0, 0x90, 61, 100), event(5, 0x81, 61, 0),
                                event(6, 0x80, 62, 0), event(7, 0x90, 61, 0)});
  EXPECT_EQ(other.linkNotePairs(), 1);
  EXPECT_EQ(other[0].getLinkedEvent(), &other[3]);
  EXPECT_FALSE(other[1].isLinked());
  EXPECT_FALSE(other[2].isLinked());

  other.clearLinks();
  EXPECT_FALSE(other[0].isLinked());
  EXPECT_FALSE(other[3].isLinked());
}

TEST(MidiEventList, LinkNotePairsTracksSwitchControllers) {
  MidiEventList list =
      listOf({event(0, 0xb0, 64, 0), event(1, 0xb0, 64, 127), event(2, 0xb0, 64, 100),
              event(3, 0xb0, 64, 0), event(4, 0xb0, 64, 0), event(5, 0xb1, 64, 127),
              event(6, 0xb0, 7, 127), event(7, 0xb0, 7, 0)});
  EXPECT_EQ(list.linkNotePairs(), 0); // controller pairs are not counted
  EXPECT_FALSE(list[0].isLinked());
  EXPECT_EQ(list[1].getLinkedEvent(), &list[3]);
  EXPECT_FALSE(list[2].isLinked());
  EXPECT_FALSE(list[4].isLinked());
  EXPECT_FALSE(list[5].isLinked()); // another channel, never released
  EXPECT_FALSE(list[6].isLinked()); // controller 7 is no switch
}

TEST(MidiEventList, RelinkingAfterCopiesAndDeletionsStaysSafe) {
  MidiEventList a = listOf({event(0, 0x90, 60, 100), event(1, 0x80, 60, 0)});
  MidiEventList b = listOf({event(2, 0x80, 60, 0)});
  a.linkNotePairs();
  // Pair across lists, then destroy one list while the other stays in use.
  a[0].linkEvent(b[0]);
  EXPECT_FALSE(a[1].isLinked());
  a.clear();
  EXPECT_FALSE(b[0].isLinked());
  a = b;
  b.linkNotePairs();
  EXPECT_EQ(a.getSize(), 1);
}

} // namespace
