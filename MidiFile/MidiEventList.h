#ifndef MIDIFILE_MIDIEVENTLIST_H
#define MIDIFILE_MIDIEVENTLIST_H

#include "MidiFile/MidiEvent.h"

#include <vector>

// One track: an ordered list of events. The list owns every event it points to.
class MidiEventList {
public:
  MidiEventList();
  MidiEventList(const MidiEventList& other); // deep copy; copies are unlinked
  MidiEventList(MidiEventList&& other);
  ~MidiEventList();

  MidiEventList& operator=(MidiEventList other);

  // Indexes are not checked; callers keep them below getSize().
  MidiEvent& operator[](int index);
  const MidiEvent& operator[](int index) const;
  MidiEvent& getEvent(int index);
  MidiEvent& back();
  MidiEvent& last();
  MidiEvent** data();

  void clear();
  // Empties the list without deleting its events; the caller now owns them.
  void detach();
  void reserve(int rsize);
  int getSize() const;
  int size() const;

  // Store a new, unlinked copy of the event; return its index.
  int append(MidiEvent& event);
  int push(MidiEvent& event);
  int push_back(MidiEvent& event);
  // Takes ownership of the event itself; returns its index.
  int push_back_no_copy(MidiEvent* event);

  // Pairs note-ons with note-offs (and switch controllers); returns the note pairs made.
  int linkNotePairs();
  int linkEventPairs();
  void clearLinks();

private:
  friend class MidiFile;
  struct NoReserve {};
  explicit MidiEventList(NoReserve) {}

  std::vector<MidiEvent*> list;
};

#endif
