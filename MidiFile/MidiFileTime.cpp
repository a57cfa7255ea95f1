#include "MidiFile/MidiFile.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

struct Timed {
  long long tick; // absolute
  MidiEvent* event;
};

} // namespace

int MidiFile::getTrackCountAsType1() {
  if (trackState != 1) return getTrackCount();
  int maxTrack = 0;
  if (!tracks.empty())
    for (int i = 0; i < tracks[0]->getSize(); i++)
      maxTrack = std::max(maxTrack, (*tracks[0])[i].track);
  return maxTrack + 1;
}

// Walks every event in time order (tracks merged as joining would sort them) without
// touching the tracks themselves.
void MidiFile::buildTimeMap() {
  std::vector<Timed> events;
  for (MidiEventList* list : tracks) {
    long long tick = 0;
    for (int i = 0; i < list->getSize(); i++) {
      MidiEvent& e = (*list)[i];
      tick = timeState == 1 || i == 0 ? e.tick : tick + e.tick;
      events.push_back({tick, &e});
    }
  }
  if (getTrackCount() > 1)
    std::stable_sort(events.begin(), events.end(), [](const Timed& a, const Timed& b) {
      if (a.tick != b.tick) return a.tick < b.tick;
      if (a.event->seq != b.event->seq) return a.event->seq < b.event->seq;
      return MidiFile::eventRank(*a.event) < MidiFile::eventRank(*b.event);
    });

  timeMap.clear();
  timeMap.reserve(events.size() + 10);
  double secondsPerTick = 60.0 / (120.0 * ticksPerQuarterNote);
  long long lastTick = 0;
  double lastSeconds = 0.0, current = 0.0;
  bool first = true;
  for (const Timed& t : events) {
    t.event->seconds = current;
    if (t.tick > lastTick || first) {
      current = lastSeconds + (t.tick - lastTick) * secondsPerTick;
      t.event->seconds = current;
      timeMap.push_back({static_cast<int>(t.tick), current});
      lastTick = t.tick;
      lastSeconds = current;
      first = false;
    }
    if (t.event->isTempo()) secondsPerTick = t.event->getTempoSPT(ticksPerQuarterNote);
  }
  timeMapValid = 1;
}

void MidiFile::doTimeAnalysis() {
  buildTimeMap();
}

int MidiFile::ticksearch(const void* A, const void* B) {
  const _TickTime& a = *static_cast<const _TickTime*>(A);
  const _TickTime& b = *static_cast<const _TickTime*>(B);
  return a.tick < b.tick ? -1 : a.tick > b.tick ? 1 : 0;
}

int MidiFile::secondsearch(const void* A, const void* B) {
  const _TickTime& a = *static_cast<const _TickTime*>(A);
  const _TickTime& b = *static_cast<const _TickTime*>(B);
  return a.seconds < b.seconds ? -1 : a.seconds > b.seconds ? 1 : 0;
}

double MidiFile::getTimeInSeconds(int aTick) {
  if (!timeMapValid) buildTimeMap();
  _TickTime key = {aTick, -1.0};
  auto it = std::lower_bound(
      timeMap.begin(), timeMap.end(), key,
      [](const _TickTime& a, const _TickTime& b) { return ticksearch(&a, &b) < 0; });
  if (it != timeMap.end() && it->tick == aTick) return it->seconds;
  return linearSecondInterpolationAtTick(aTick);
}

double MidiFile::getTimeInSeconds(int aTrack, int anIndex) {
  return getTimeInSeconds(getEvent(aTrack, anIndex).tick);
}

int MidiFile::getAbsoluteTickTime(double starttime) {
  if (!timeMapValid) buildTimeMap();
  _TickTime key = {-1, starttime};
  auto it = std::lower_bound(
      timeMap.begin(), timeMap.end(), key,
      [](const _TickTime& a, const _TickTime& b) { return secondsearch(&a, &b) < 0; });
  if (it != timeMap.end() && it->seconds == starttime) return it->tick;
  return linearTickInterpolationAtSecond(starttime);
}

double MidiFile::linearSecondInterpolationAtTick(int ticktime) {
  if (!timeMapValid) buildTimeMap();
  if (timeMap.empty() || ticktime < 0 || ticktime > timeMap.back().tick) return -1.0;
  // The last entry at or before the tick.
  auto it = std::upper_bound(timeMap.begin(), timeMap.end(), ticktime,
                             [](int t, const _TickTime& e) { return t < e.tick; });
  int s = static_cast<int>(it - timeMap.begin()) - 1;
  if (s < 0 || s >= static_cast<int>(timeMap.size()) - 1) return -1.0;
  const _TickTime& a = timeMap[s];
  const _TickTime& b = timeMap[s + 1];
  if (a.tick == ticktime) return a.seconds;
  return (ticktime - a.tick) * ((b.seconds - a.seconds) / (b.tick - a.tick)) + a.seconds;
}

int MidiFile::linearTickInterpolationAtSecond(double seconds) {
  if (!timeMapValid) buildTimeMap();
  if (timeMap.empty() || std::isnan(seconds) || seconds < 0.0 || seconds > timeMap.back().seconds)
    return -1;
  auto it = std::upper_bound(timeMap.begin(), timeMap.end(), seconds,
                             [](double t, const _TickTime& e) { return t < e.seconds; });
  int s = static_cast<int>(it - timeMap.begin()) - 1;
  if (s < 0 || s >= static_cast<int>(timeMap.size()) - 1) return -1;
  const _TickTime& a = timeMap[s];
  const _TickTime& b = timeMap[s + 1];
  // Equal seconds (a tempo of 0) have no slope; the earlier tick answers.
  if (!(b.seconds > a.seconds)) return a.tick;
  double tick = (seconds - a.seconds) * ((b.tick - a.tick) / (b.seconds - a.seconds)) + a.tick;
  if (!std::isfinite(tick) || tick < INT_MIN || tick > INT_MAX) return -1;
  return static_cast<int>(tick);
}

double MidiFile::getTotalTimeInSeconds() {
  if (!timeMapValid) buildTimeMap();
  double total = 0.0;
  for (MidiEventList* list : tracks)
    if (list->getSize() > 0) total = std::max(total, list->back().seconds);
  return total;
}

int MidiFile::getTotalTimeInTicks() {
  long long total = 0;
  for (MidiEventList* list : tracks) {
    if (list->getSize() == 0) continue;
    long long last = 0;
    if (timeState == 1) {
      last = list->back().tick;
    } else {
      for (int i = 0; i < list->getSize(); i++) last += (*list)[i].tick;
    }
    total = std::max(total, last);
  }
  return static_cast<int>(std::min<long long>(total, INT_MAX));
}

double MidiFile::getTotalTimeInQuarters() {
  return static_cast<double>(getTotalTimeInTicks()) / ticksPerQuarterNote;
}

int MidiFile::linkNotePairs() {
  int pairs = 0;
  for (MidiEventList* list : tracks)
    if (list != nullptr) pairs += list->linkNotePairs();
  return pairs;
}

int MidiFile::linkEventPairs() {
  return linkNotePairs();
}

void MidiFile::clearLinks() {
  for (MidiEventList* list : tracks)
    if (list != nullptr) list->clearLinks();
}
