#include "MidiFile/MidiEvent.h"
#include "MidiFile/MidiEventPool.h"

#include <cmath>
#include <cstdlib>

MidiEvent::MidiEvent() : tick(0), track(0), seconds(0.0), seq(0), eventlink(nullptr) {}

MidiEvent::MidiEvent(int command)
    : MidiMessage(command), tick(0), track(0), seconds(0.0), seq(0), eventlink(nullptr) {}

MidiEvent::MidiEvent(int command, int p1)
    : MidiMessage(command, p1), tick(0), track(0), seconds(0.0), seq(0), eventlink(nullptr) {}

MidiEvent::MidiEvent(int command, int p1, int p2)
    : MidiMessage(command, p1, p2), tick(0), track(0), seconds(0.0), seq(0), eventlink(nullptr) {}

MidiEvent::MidiEvent(int aTime, int aTrack, std::vector<unsigned char>& message)
    : MidiMessage(message), tick(aTime), track(aTrack), seconds(0.0), seq(0), eventlink(nullptr) {}

MidiEvent::MidiEvent(const MidiEvent& mfevent)
    : MidiMessage(mfevent), tick(mfevent.tick), track(mfevent.track), seconds(mfevent.seconds),
      seq(mfevent.seq), eventlink(nullptr) {}

MidiEvent::~MidiEvent() {
  unlinkEvent();
  midi_pool::keepBuffer(*this);
}

MidiEvent& MidiEvent::operator=(const MidiEvent& mfevent) {
  if (this == &mfevent) return *this;
  unlinkEvent();
  MidiMessage::operator=(mfevent);
  tick = mfevent.tick;
  track = mfevent.track;
  seconds = mfevent.seconds;
  seq = mfevent.seq;
  return *this;
}

MidiEvent& MidiEvent::operator=(const MidiMessage& message) {
  if (static_cast<const MidiMessage*>(this) == &message) return *this;
  clearVariables();
  MidiMessage::operator=(message);
  return *this;
}

MidiEvent& MidiEvent::operator=(const std::vector<unsigned char>& bytes) {
  clearVariables();
  setMessage(bytes);
  return *this;
}

MidiEvent& MidiEvent::operator=(const std::vector<char>& bytes) {
  clearVariables();
  setMessage(bytes);
  return *this;
}

MidiEvent& MidiEvent::operator=(const std::vector<int>& bytes) {
  clearVariables();
  setMessage(bytes);
  return *this;
}

void MidiEvent::clearVariables() {
  unlinkEvent();
  tick = 0;
  track = 0;
  seconds = 0.0;
  seq = 0;
}

void MidiEvent::linkEvent(MidiEvent* mev) {
  if (mev == nullptr || mev == this) return;
  mev->unlinkEvent();
  unlinkEvent();
  eventlink = mev;
  mev->eventlink = this;
}

void MidiEvent::linkEvent(MidiEvent& mev) {
  linkEvent(&mev);
}

void MidiEvent::unlinkEvent() {
  if (eventlink == nullptr) return;
  // Clear before following, so the partner's own unlink stops here.
  MidiEvent* partner = eventlink;
  eventlink = nullptr;
  partner->unlinkEvent();
}

int MidiEvent::isLinked() const {
  return eventlink != nullptr ? 1 : 0;
}

MidiEvent* MidiEvent::getLinkedEvent() {
  return eventlink;
}

int MidiEvent::getTickDuration() {
  if (eventlink == nullptr) return 0;
  return std::abs(eventlink->tick - tick);
}

double MidiEvent::getDurationInSeconds() {
  if (eventlink == nullptr) return 0.0;
  return std::fabs(eventlink->seconds - seconds);
}
