#ifndef MIDIFILE_MIDIEVENT_H
#define MIDIFILE_MIDIEVENT_H

#include "MidiFile/MidiMessage.h"

#include <cstddef>
#include <vector>

// A MIDI message placed in time. Links pair a note-on with its note-off (or a switch
// controller's on with its off); a link never owns, and it is always symmetric.
class MidiEvent : public MidiMessage {
public:
  MidiEvent();
  explicit MidiEvent(int command);
  MidiEvent(int command, int p1);
  MidiEvent(int command, int p1, int p2);
  MidiEvent(int aTime, int aTrack, std::vector<unsigned char>& message);
  MidiEvent(const MidiEvent& mfevent); // the copy is not linked
  // Destroying or assigning an event first dissolves its pair, so no partner is left
  // pointing at it.
  ~MidiEvent();

  MidiEvent& operator=(const MidiEvent& mfevent);
  MidiEvent& operator=(const MidiMessage& message);
  MidiEvent& operator=(const std::vector<unsigned char>& bytes);
  MidiEvent& operator=(const std::vector<char>& bytes);
  MidiEvent& operator=(const std::vector<int>& bytes);

  void clearVariables();
  void linkEvent(MidiEvent* mev);
  void linkEvent(MidiEvent& mev);
  void unlinkEvent();
  int isLinked() const;
  MidiEvent* getLinkedEvent();
  int getTickDuration();
  double getDurationInSeconds();

  // Events live in a pool of fixed-size blocks: each thread keeps its own free list (a
  // block freed on another thread joins that thread's list), and blocks are reused,
  // never handed back to the system. Any thread may free any event.
  static void* operator new(std::size_t size);
  static void operator delete(void* block, std::size_t size);

  int tick;             // absolute or delta ticks, as the owning file's time state says
  int track;            // index of the track the event was added to or read into
  double seconds;       // set by the time map; 0.0 until then
  int seq;              // 1-based position in the file's order, 0 when unset
  MidiEvent* eventlink; // partner of a pair, not owned; null when unpaired
};

#endif
