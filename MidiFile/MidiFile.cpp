#include "MidiFile/MidiFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <utility>

namespace {

bool eventLess(const MidiEvent* a, const MidiEvent* b) {
  if (a->tick != b->tick) return a->tick < b->tick;
  if (a->seq != b->seq) return a->seq < b->seq;
  return MidiFile::eventRank(*a) < MidiFile::eventRank(*b);
}

} // namespace

int MidiFile::eventRank(const MidiEvent& e) {
  if (e.size() >= 2 && e[0] == 0xff && e[1] == 0x2f) return 4;
  if (!e.empty() && e[0] == 0xff) return 0;
  if (!e.empty() && (e[0] & 0xf0) == 0x90) return e.size() < 3 || e[2] == 0 ? 2 : 3;
  if (!e.empty() && (e[0] & 0xf0) == 0x80) return 2;
  return 1;
}

MidiFile::MidiFile()
    : ticksPerQuarterNote(120), trackState(0), timeState(1), readFileName(1, '\0'), timeMapValid(0),
      rwstatus(1) {
  tracks.push_back(new MidiEventList);
}

MidiFile::MidiFile(const MidiFile& other)
    : ticksPerQuarterNote(other.ticksPerQuarterNote), trackState(other.trackState),
      timeState(other.timeState), readFileName(other.readFileName),
      timeMapValid(other.timeMapValid), timeMap(other.timeMap), rwstatus(other.rwstatus) {
  tracks.reserve(other.tracks.size());
  for (const MidiEventList* list : other.tracks) tracks.push_back(new MidiEventList(*list));
}

MidiFile::MidiFile(MidiFile&& other)
    : tracks(std::move(other.tracks)), ticksPerQuarterNote(other.ticksPerQuarterNote),
      trackState(other.trackState), timeState(other.timeState), readFileName(other.readFileName),
      timeMapValid(other.timeMapValid), timeMap(other.timeMap), rwstatus(other.rwstatus) {
  other.tracks.clear();
  other.tracks.push_back(new MidiEventList);
}

MidiFile::~MidiFile() {
  for (MidiEventList* list : tracks) delete list;
}

MidiFile& MidiFile::operator=(MidiFile other) {
  tracks.swap(other.tracks);
  ticksPerQuarterNote = other.ticksPerQuarterNote;
  trackState = other.trackState;
  timeState = other.timeState;
  readFileName.swap(other.readFileName);
  timeMapValid = other.timeMapValid;
  timeMap.swap(other.timeMap);
  rwstatus = other.rwstatus;
  return *this;
}

void MidiFile::clear() {
  for (MidiEventList* list : tracks) delete list;
  tracks.clear();
  tracks.push_back(new MidiEventList);
  timeMap.clear();
  timeMapValid = 0;
  trackState = 0;
  timeState = 1;
}

void MidiFile::erase() {
  clear();
}

void MidiFile::clear_no_deallocate() {
  for (MidiEventList* list : tracks) {
    list->detach();
    delete list;
  }
  tracks.clear();
  tracks.push_back(new MidiEventList);
  timeMap.clear();
  timeMapValid = 0;
}

MidiEventList& MidiFile::operator[](int aTrack) {
  return *tracks[aTrack];
}
const MidiEventList& MidiFile::operator[](int aTrack) const {
  return *tracks[aTrack];
}

int MidiFile::getTickState() {
  return timeState;
}

void MidiFile::deltaTicks() {
  if (timeState == 0) return;
  for (MidiEventList* list : tracks) {
    if (list->getSize() == 0) continue;
    int previous = (*list)[0].tick;
    for (int i = 1; i < list->getSize(); i++) {
      MidiEvent& event = (*list)[i];
      int delta = event.tick - previous;
      if (delta < 0) {
        std::cerr << "Error: negative delta tick value: " << delta << std::endl;
        std::cerr << "Timestamps must be sorted first"
                  << " (use MidiFile::sortTracks() before writing)." << std::endl;
      }
      previous = event.tick;
      event.tick = delta;
    }
  }
  timeState = 0;
}

void MidiFile::absoluteTicks() {
  if (timeState == 1) return;
  for (MidiEventList* list : tracks) {
    int sum = 0;
    for (int i = 0; i < list->getSize(); i++) {
      MidiEvent& event = (*list)[i];
      sum = i == 0 ? event.tick : sum + event.tick;
      event.tick = sum;
    }
  }
  timeState = 1;
}

int MidiFile::getTrackCount() const {
  return static_cast<int>(tracks.size());
}
int MidiFile::size() const {
  return getTrackCount();
}
int MidiFile::getNumTracks() const {
  return getTrackCount();
}
MidiEvent& MidiFile::getEvent(int aTrack, int anIndex) {
  return (*tracks[aTrack])[anIndex];
}
int MidiFile::getEventCount(int aTrack) {
  return tracks[aTrack]->getSize();
}
int MidiFile::getNumEvents(int aTrack) {
  return getEventCount(aTrack);
}
int MidiFile::status() {
  return rwstatus;
}
int MidiFile::getTrackState() {
  return trackState;
}
int MidiFile::hasJoinedTracks() {
  return trackState == 1 ? 1 : 0;
}
int MidiFile::hasSplitTracks() {
  return trackState == 0 ? 1 : 0;
}
int MidiFile::isDeltaTicks() {
  return timeState == 0 ? 1 : 0;
}
int MidiFile::isAbsoluteTicks() {
  return timeState == 1 ? 1 : 0;
}

int MidiFile::getSplitTrack(int track, int index) {
  return trackState == 0 ? track : getEvent(track, index).track;
}

int MidiFile::getSplitTrack(int index) {
  return trackState == 0 ? 0 : getEvent(0, index).track;
}

int MidiFile::getTPQ() {
  return ticksPerQuarterNote;
}
int MidiFile::getTicksPerQuarterNote() {
  return ticksPerQuarterNote;
}
void MidiFile::setTicksPerQuarterNote(int ticks) {
  ticksPerQuarterNote = ticks;
}
void MidiFile::setTPQ(int ticks) {
  ticksPerQuarterNote = ticks;
}

// 0xE7 is -25 frames per second in the header's division word, 40 ticks per frame.
void MidiFile::setMillisecondTicks() {
  ticksPerQuarterNote = 0xE728;
}

const char* MidiFile::getFilename() {
  return readFileName.data();
}

void MidiFile::setFilename(const char* aname) {
  if (aname == nullptr) return;
  const char* base = std::strrchr(aname, '/');
  base = base == nullptr ? aname : base + 1;
  readFileName.assign(base, base + std::strlen(base));
  readFileName.push_back('\0');
}

void MidiFile::setFilename(const std::string& aname) {
  setFilename(aname.c_str());
}

void MidiFile::markSequence() {
  int sequence = 1;
  for (MidiEventList* list : tracks)
    for (int i = 0; i < list->getSize(); i++) (*list)[i].seq = sequence++;
}

void MidiFile::clearSequence() {
  for (MidiEventList* list : tracks)
    for (int i = 0; i < list->getSize(); i++) (*list)[i].seq = 0;
}

int MidiFile::addEvent(int aTrack, int aTick, std::vector<unsigned char>& midiData) {
  timeMapValid = 0;
  return tracks[aTrack]->push_back_no_copy(new MidiEvent(aTick, aTrack, midiData));
}

int MidiFile::addEvent(MidiEvent& mfevent) {
  timeMapValid = 0;
  return tracks[trackState == 1 ? 0 : mfevent.track]->push_back(mfevent);
}

int MidiFile::addMetaEvent(int aTrack, int aTick, int aType, std::vector<unsigned char>& metaData) {
  unsigned char length[4];
  int count = makeVLV(length, static_cast<int>(metaData.size()));
  std::vector<unsigned char> bytes;
  bytes.reserve(2 + count + metaData.size());
  bytes.push_back(0xff);
  bytes.push_back(static_cast<unsigned char>(aType & 0x7f));
  bytes.insert(bytes.end(), length, length + count);
  bytes.insert(bytes.end(), metaData.begin(), metaData.end());
  return addEvent(aTrack, aTick, bytes);
}

int MidiFile::addMetaEvent(int aTrack, int aTick, int aType, const char* metaData) {
  std::vector<unsigned char> data;
  if (metaData != nullptr) data.assign(metaData, metaData + std::strlen(metaData));
  return addMetaEvent(aTrack, aTick, aType, data);
}

namespace {

template <class Make>
int addMade(std::vector<MidiEventList*>& tracks, int& timeMapValid, int aTrack, int aTick,
            Make make) {
  MidiEvent* event = new MidiEvent;
  make(*event);
  event->tick = aTick;
  event->track = aTrack;
  timeMapValid = 0;
  return tracks[aTrack]->push_back_no_copy(event);
}

} // namespace

int MidiFile::addCopyright(int aTrack, int aTick, const std::string& text) {
  return addMade(tracks, timeMapValid, aTrack, aTick, [&](MidiEvent& e) { e.makeCopyright(text); });
}

int MidiFile::addTrackName(int aTrack, int aTick, const std::string& name) {
  return addMade(tracks, timeMapValid, aTrack, aTick, [&](MidiEvent& e) { e.makeTrackName(name); });
}

int MidiFile::addInstrumentName(int aTrack, int aTick, const std::string& name) {
  return addMade(tracks, timeMapValid, aTrack, aTick,
                 [&](MidiEvent& e) { e.makeInstrumentName(name); });
}

int MidiFile::addLyric(int aTrack, int aTick, const std::string& text) {
  return addMade(tracks, timeMapValid, aTrack, aTick, [&](MidiEvent& e) { e.makeLyric(text); });
}

int MidiFile::addMarker(int aTrack, int aTick, const std::string& text) {
  return addMade(tracks, timeMapValid, aTrack, aTick, [&](MidiEvent& e) { e.makeMarker(text); });
}

int MidiFile::addCue(int aTrack, int aTick, const std::string& text) {
  return addMade(tracks, timeMapValid, aTrack, aTick, [&](MidiEvent& e) { e.makeCue(text); });
}

int MidiFile::addTempo(int aTrack, int aTick, double aTempo) {
  return addMade(tracks, timeMapValid, aTrack, aTick, [&](MidiEvent& e) { e.makeTempo(aTempo); });
}

int MidiFile::addTimeSignature(int aTrack, int aTick, int top, int bottom, int clocksPerClick,
                               int num32ndsPerQuarter) {
  return addMade(tracks, timeMapValid, aTrack, aTick, [&](MidiEvent& e) {
    e.makeTimeSignature(top, bottom, clocksPerClick, num32ndsPerQuarter);
  });
}

int MidiFile::addCompoundTimeSignature(int aTrack, int aTick, int top, int bottom,
                                       int clocksPerClick, int num32ndsPerQuarter) {
  return addTimeSignature(aTrack, aTick, top, bottom, clocksPerClick, num32ndsPerQuarter);
}

int MidiFile::addNoteOn(int aTrack, int aTick, int aChannel, int key, int vel) {
  return addMade(tracks, timeMapValid, aTrack, aTick,
                 [&](MidiEvent& e) { e.makeNoteOn(aChannel, key, vel); });
}

int MidiFile::addNoteOff(int aTrack, int aTick, int aChannel, int key, int vel) {
  return addMade(tracks, timeMapValid, aTrack, aTick,
                 [&](MidiEvent& e) { e.makeNoteOff(aChannel, key, vel); });
}

int MidiFile::addNoteOff(int aTrack, int aTick, int aChannel, int key) {
  return addMade(tracks, timeMapValid, aTrack, aTick,
                 [&](MidiEvent& e) { e.makeNoteOff(aChannel, key); });
}

int MidiFile::addController(int aTrack, int aTick, int aChannel, int num, int value) {
  return addMade(tracks, timeMapValid, aTrack, aTick,
                 [&](MidiEvent& e) { e.makeController(aChannel, num, value); });
}

int MidiFile::addPatchChange(int aTrack, int aTick, int aChannel, int patchnum) {
  return addMade(tracks, timeMapValid, aTrack, aTick,
                 [&](MidiEvent& e) { e.makePatchChange(aChannel, patchnum); });
}

int MidiFile::addTimbre(int aTrack, int aTick, int aChannel, int patchnum) {
  return addPatchChange(aTrack, aTick, aChannel, patchnum);
}

int MidiFile::addPitchBend(int aTrack, int aTick, int aChannel, double amount) {
  double scaled = 8192.0 * (amount + 1.0) + 0.5;
  int value = scaled <= 0.0 ? 0 : scaled >= 16383.0 ? 16383 : static_cast<int>(scaled);
  int channel = std::min(15, std::max(0, aChannel));
  std::vector<unsigned char> bytes = {static_cast<unsigned char>(0xe0 | channel),
                                      static_cast<unsigned char>(value & 0x7f),
                                      static_cast<unsigned char>((value >> 7) & 0x7f)};
  return addEvent(aTrack, aTick, bytes);
}

int MidiFile::makeVLV(unsigned char* buffer, int aValue) {
  if (aValue < 0 || aValue > 0x0fffffff) {
    std::cerr << "Error: Meta-message size too large to handle" << std::endl;
    buffer[0] = 0;
    return 1;
  }
  std::vector<unsigned char> bytes;
  writeVLValue(aValue, bytes);
  std::copy(bytes.begin(), bytes.end(), buffer);
  return static_cast<int>(bytes.size());
}

int MidiFile::addTrack() {
  int index = getTrackCount();
  MidiEventList* list = new MidiEventList(MidiEventList::NoReserve{});
  list->reserve(10000);
  tracks.push_back(list);
  return index;
}

int MidiFile::addTrack(int count) {
  int old = getTrackCount();
  for (int i = 0; i < count; i++) addTrack();
  return old + count - 1;
}

void MidiFile::deleteTrack(int aTrack) {
  if (aTrack < 0 || aTrack >= getTrackCount() || getTrackCount() <= 1) return;
  delete tracks[aTrack];
  tracks.erase(tracks.begin() + aTrack);
}

void MidiFile::allocateEvents(int aTrack, int aSize) {
  tracks[aTrack]->reserve(aSize);
}

void MidiFile::mergeTracks(int aTrack1, int aTrack2) {
  int count = getTrackCount();
  if (aTrack1 < 0 || aTrack2 < 0 || aTrack1 >= count || aTrack2 >= count || aTrack1 == aTrack2)
    return;
  int wasDelta = timeState == 0;
  absoluteTicks();
  MidiEventList* merged = new MidiEventList(MidiEventList::NoReserve{});
  MidiEventList& first = *tracks[aTrack1];
  MidiEventList& second = *tracks[aTrack2];
  merged->reserve(first.getSize() + second.getSize());
  for (int i = 0; i < first.getSize(); i++) merged->push_back(first[i]);
  for (int i = 0; i < second.getSize(); i++) {
    second[i].track = aTrack1;
    merged->push_back(second[i]);
  }
  sortTrack(*merged);
  delete tracks[aTrack1];
  tracks[aTrack1] = merged;
  delete tracks[aTrack2];
  tracks.erase(tracks.begin() + aTrack2);
  if (wasDelta) deltaTicks();
}

void MidiFile::joinTracks() {
  if (trackState == 1 || getTrackCount() <= 1) return;
  int wasDelta = timeState == 0;
  size_t total = 0;
  for (MidiEventList* list : tracks) total += list->getSize();
  MidiEventList* joined = new MidiEventList(MidiEventList::NoReserve{});
  joined->list.reserve(static_cast<size_t>((total + 32) + 0.1 * total));
  absoluteTicks();
  for (MidiEventList* list : tracks)
    for (MidiEvent* event : list->list) joined->list.push_back(event);
  clear_no_deallocate();
  delete tracks[0];
  tracks[0] = joined;
  sortTrack(*joined);
  if (wasDelta) deltaTicks();
  trackState = 1;
}

void MidiFile::splitTracks() {
  if (trackState == 0) return;
  int wasDelta = timeState == 0;
  absoluteTicks();
  int maxTrack = 0;
  for (MidiEventList* list : tracks)
    for (MidiEvent* event : list->list) maxTrack = std::max(maxTrack, event->track);
  if (maxTrack + 1 >= 2) {
    std::vector<MidiEventList*> split;
    split.reserve(maxTrack + 1);
    for (int i = 0; i <= maxTrack; i++)
      split.push_back(new MidiEventList(MidiEventList::NoReserve{}));
    for (MidiEventList* list : tracks) {
      for (MidiEvent* event : list->list) split[std::max(0, event->track)]->list.push_back(event);
      list->detach();
      delete list;
    }
    tracks.swap(split);
    trackState = 0;
  }
  if (wasDelta) deltaTicks();
}

void MidiFile::splitTracksByChannel() {
  joinTracks();
  if (trackState != 1) return;
  int wasDelta = timeState == 0;
  absoluteTicks();
  MidiEventList* joined = tracks[0];
  int maxChannel = 0;
  for (MidiEvent* event : joined->list)
    if (!event->empty() && ((*event)[0] & 0xf0) < 0xf0)
      maxChannel = std::max(maxChannel, (*event)[0] & 0x0f);
  std::vector<MidiEventList*> split;
  for (int i = 0; i < maxChannel + 2; i++)
    split.push_back(new MidiEventList(MidiEventList::NoReserve{}));
  for (MidiEvent* event : joined->list) {
    if (event->empty() || ((*event)[0] & 0xf0) == 0xf0)
      split[0]->list.push_back(event);
    else
      split[((*event)[0] & 0x0f) + 1]->list.push_back(event);
  }
  joined->detach();
  delete joined;
  tracks.swap(split);
  if (wasDelta) deltaTicks();
  trackState = 0;
}

void MidiFile::sortTrack(MidiEventList& trackData) {
  if (timeState != 1) return;
  // Stable, so events equal in tick, sequence and kind keep their order.
  std::stable_sort(trackData.list.begin(), trackData.list.end(), eventLess);
}

void MidiFile::sortTracks() {
  if (timeState != 1) return;
  for (MidiEventList* list : tracks) sortTrack(*list);
}
