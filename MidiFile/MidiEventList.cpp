#include "MidiFile/MidiEventList.h"

#include <utility>

MidiEventList::MidiEventList() {
  list.reserve(1000);
}

MidiEventList::MidiEventList(const MidiEventList& other) {
  list.reserve(other.list.size());
  for (const MidiEvent* event : other.list) list.push_back(new MidiEvent(*event));
}

MidiEventList::MidiEventList(MidiEventList&& other) : list(std::move(other.list)) {
  other.list.clear();
}

MidiEventList::~MidiEventList() {
  clear();
}

MidiEventList& MidiEventList::operator=(MidiEventList other) {
  list.swap(other.list);
  return *this;
}

MidiEvent& MidiEventList::operator[](int index) {
  return *list[index];
}
const MidiEvent& MidiEventList::operator[](int index) const {
  return *list[index];
}
MidiEvent& MidiEventList::getEvent(int index) {
  return *list[index];
}
MidiEvent& MidiEventList::back() {
  return *list.back();
}
MidiEvent& MidiEventList::last() {
  return *list.back();
}
MidiEvent** MidiEventList::data() {
  return list.data();
}

void MidiEventList::clear() {
  for (MidiEvent*& event : list) {
    delete event;
    event = nullptr;
  }
  list.clear();
}

void MidiEventList::detach() {
  list.clear();
}

void MidiEventList::reserve(int rsize) {
  if (rsize > 0 && static_cast<size_t>(rsize) > list.size()) list.reserve(rsize);
}

int MidiEventList::getSize() const {
  return static_cast<int>(list.size());
}
int MidiEventList::size() const {
  return getSize();
}

int MidiEventList::append(MidiEvent& event) {
  return push_back(event);
}
int MidiEventList::push(MidiEvent& event) {
  return push_back(event);
}

int MidiEventList::push_back(MidiEvent& event) {
  list.push_back(new MidiEvent(event));
  return static_cast<int>(list.size()) - 1;
}

int MidiEventList::push_back_no_copy(MidiEvent* event) {
  list.push_back(event);
  return static_cast<int>(list.size()) - 1;
}

int MidiEventList::linkNotePairs() {
  static const int switches[18] = {64, 65, 66, 67, 68, 69, 80, 81, 82,
                                   83, 84, 85, 86, 87, 88, 89, 90, 122};
  int slotOf[128];
  for (int& s : slotOf) s = -1;
  for (int i = 0; i < 18; i++) slotOf[switches[i]] = i;

  std::vector<std::vector<MidiEvent*>> pending(16 * 128);
  MidiEvent* onEvent[18][16] = {};
  int state[18][16];
  for (auto& row : state)
    for (int& s : row) s = -1;

  int pairs = 0;
  for (MidiEvent* event : list) {
    if (event == nullptr) continue;
    event->unlinkEvent();
    if (event->isNoteOn()) {
      int key = (*event)[1];
      if (key < 128) pending[event->getChannelNibble() * 128 + key].push_back(event);
    } else if (event->isNoteOff()) {
      int key = (*event)[1];
      if (key >= 128) continue;
      std::vector<MidiEvent*>& stack = pending[event->getChannelNibble() * 128 + key];
      if (!stack.empty()) {
        stack.back()->linkEvent(event);
        stack.pop_back();
        pairs++;
      }
    } else if (event->isController()) {
      int number = (*event)[1];
      if (number >= 128 || slotOf[number] < 0) continue;
      int slot = slotOf[number];
      int channel = event->getChannelNibble();
      int now = (*event)[2] >= 64 ? 1 : 0;
      int old = state[slot][channel];
      if (now == 1 && old != 1) {
        onEvent[slot][channel] = event;
        state[slot][channel] = 1;
      } else if (old == 1 && now == 0) {
        if (onEvent[slot][channel] != nullptr) onEvent[slot][channel]->linkEvent(event);
        onEvent[slot][channel] = event;
        state[slot][channel] = 0;
      }
    }
  }
  return pairs;
}

int MidiEventList::linkEventPairs() {
  return linkNotePairs();
}

void MidiEventList::clearLinks() {
  for (MidiEvent* event : list)
    if (event != nullptr) event->unlinkEvent();
}
