#pragma once
// The melody store and the outgoing queue as plain values the engine tests compare.

#include <ostream>
#include <utility>
#include <vector>

#include "IPlugTessary2/engine_double.h"

struct Entry {
  int key, note, length;
  bool locked;
  bool operator==(const Entry& o) const {
    return key == o.key && note == o.note && length == o.length && locked == o.locked;
  }
};

inline std::ostream& operator<<(std::ostream& os, const Entry& e) {
  return os << "{" << e.key << ", " << e.note << ", " << e.length << ", " << e.locked << "}";
}

// Every entry in store order.
inline std::vector<Entry> Entries(const TestEngine& e) {
  std::vector<Entry> out;
  for (const auto& m : e.mMelody)
    out.push_back({m.first, m.second.mNote.first, m.second.mNote.second, m.second.mLocked});
  return out;
}

// Status and note of every queued message, front to back; empties the queue.
inline std::vector<std::pair<int, int>> Drain(TestEngine& e) {
  std::vector<std::pair<int, int>> out;
  for (; !e.mMidiQueue.Empty(); e.mMidiQueue.Remove())
    out.push_back({e.mMidiQueue.Peek()->mStatus, e.mMidiQueue.Peek()->mData1});
  return out;
}
