#include "MidiFile/MidiEventList.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// Index of each event's partner in the list, -1 when unlinked.
std::vector<int> partners(MidiEventList& list) {
  std::vector<int> out;
  for (int i = 0; i < list.size(); i++) {
    int p = -1;
    for (int j = 0; j < list.size(); j++)
      if (list[i].getLinkedEvent() == &list[j]) p = j;
    out.push_back(p);
  }
  return out;
}

TEST(MidiEvent, CopiesAndAssignmentsNeverCarryOrStrandLinks) {
  std::vector<unsigned char> bytes = {0x90, 60, 100};
  MidiEvent a(30, 2, bytes), b(0x80, 60, 0);
  a.seconds = 1.5;
  a.seq = 4;
  a.linkEvent(b);
  MidiEvent copy(a);
  EXPECT_EQ(std::make_tuple(copy.tick, copy.track, copy.seconds, copy.seq),
            std::make_tuple(30, 2, 1.5, 4));
  EXPECT_FALSE(copy.isLinked());
  EXPECT_EQ(b.getLinkedEvent(), &a);

  MidiEvent c;
  c.linkEvent(b); // b leaves a for c
  EXPECT_FALSE(a.isLinked());
  c = a; // assigning dissolves c's pair: b is not left pointing at c
  EXPECT_FALSE(b.isLinked());
  a.linkEvent(b);
  a = MidiMessage(0xc0, 1);
  EXPECT_FALSE(b.isLinked());
  EXPECT_EQ(std::make_pair(a.tick, a.getSize()), std::make_pair(0, 2));
  a = std::vector<int>{0x1b0, 7, 0x17f};
  EXPECT_EQ(std::make_pair(int(a[0]), int(a[2])), std::make_pair(0xb0, 0x7f));

  {
    MidiEvent gone(0x90, 60, 100);
    gone.linkEvent(&b);
  }
  EXPECT_EQ(b.getLinkedEvent(), nullptr); // ASan would flag a dangling partner

  MidiEvent on = event(480, 0x90, 60, 100), off = event(240, 0x80, 60, 0);
  on.seconds = 1.0;
  off.seconds = 0.25;
  EXPECT_EQ(on.getTickDuration(), 0);
  on.linkEvent(off);
  EXPECT_EQ(on.getTickDuration(), 240);
  EXPECT_DOUBLE_EQ(off.getDurationInSeconds(), 0.75);
}

TEST(MidiEventList, OwnershipCopyDetachAndMove) {
  MidiEventList list;
  MidiEvent on = event(0, 0x90, 60, 100), off = event(10, 0x80, 60, 0);
  on.linkEvent(off);
  EXPECT_EQ(list.push_back(on), 0);
  EXPECT_EQ(list.append(off), 1);
  EXPECT_FALSE(list[0].isLinked()); // copies are unlinked, the source keeps its link
  EXPECT_EQ(on.getLinkedEvent(), &off);
  EXPECT_EQ(list.linkNotePairs(), 1);

  MidiEventList copy(list);
  EXPECT_FALSE(copy[0].isLinked());
  MidiEvent* owned = new MidiEvent(0xc0, 5);
  EXPECT_EQ(copy.push_back_no_copy(owned), 2);
  EXPECT_EQ(&copy.last(), owned);

  MidiEventList moved(std::move(copy));
  EXPECT_EQ(std::make_pair(copy.getSize(), moved.size()), std::make_pair(0, 3));
  std::vector<MidiEvent*> kept(moved.data(), moved.data() + moved.size());
  moved.detach();
  EXPECT_EQ(moved.getSize(), 0);
  EXPECT_EQ(kept[0]->tick, 0); // still alive; now ours
  for (MidiEvent* e : kept) delete e;

  // Pair across lists, then clear and reassign while the partners stay in use (ASan).
  MidiEventList other = listOf({event(2, 0x80, 60, 0)});
  list[0].linkEvent(other[0]);
  EXPECT_FALSE(list[1].isLinked());
  list.clear();
  EXPECT_FALSE(other[0].isLinked());
  list = other;
  list.linkNotePairs();
  other = MidiEventList();
  EXPECT_EQ(list.getSize(), 1);
}

TEST(MidiEventList, LinkNotePairs) {
  struct Case {
    MidiEventList list;
    int pairs;
    std::vector<int> partners;
  } cases[] = {
      // Nested notes pair last in, first out; velocity 0 closes a note.
      {listOf({event(0, 0x90, 60, 100), event(1, 0x90, 60, 100), event(2, 0x80, 60, 0),
               event(3, 0x90, 60, 0)}),
       2,
       {3, 2, 1, 0}},
      // Another channel or key does not close it.
      {listOf({event(0, 0x90, 61, 100), event(5, 0x81, 61, 0), event(6, 0x80, 62, 0),
               event(7, 0x90, 61, 0)}),
       1,
       {3, -1, -1, 0}},
      // Switch controllers pair on with off, uncounted; an off before any on is ignored.
      {listOf({event(0, 0xb0, 64, 0), event(1, 0xb0, 64, 127), event(2, 0xb0, 64, 100),
               event(3, 0xb0, 64, 0), event(4, 0xb0, 64, 0), event(5, 0xb1, 64, 127),
               event(6, 0xb0, 7, 127), event(7, 0xb0, 7, 0)}),
       0,
       {-1, 3, -1, 1, -1, -1, -1, -1}},
  };
  for (Case& c : cases) {
    EXPECT_EQ(c.list.linkNotePairs(), c.pairs);
    EXPECT_EQ(partners(c.list), c.partners);
    c.list.clearLinks();
    EXPECT_EQ(partners(c.list), std::vector<int>(c.partners.size(), -1));
  }
  // Exactly these controllers are switches; 64 is on, 63 off.
  const std::vector<int> switches = {64, 65, 66, 67, 68, 69, 80, 81, 82,
                                     83, 84, 85, 86, 87, 88, 89, 90, 122};
  for (int n = 0; n < 128; n++) {
    MidiEventList list = listOf({event(0, 0xb0, n, 64), event(1, 0xb0, n, 63)});
    list.linkNotePairs();
    const bool isSwitch = std::find(switches.begin(), switches.end(), n) != switches.end();
    EXPECT_EQ(partners(list), (isSwitch ? std::vector<int>{1, 0} : std::vector<int>{-1, -1})) << n;
  }
}

} // namespace
