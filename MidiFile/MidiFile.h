#ifndef MIDIFILE_MIDIFILE_H
#define MIDIFILE_MIDIFILE_H

#include "MidiFile/MidiEventList.h"

#include <iosfwd>
#include <string>
#include <vector>

// One entry of the time map: a tick and its time in seconds.
struct _TickTime {
  int tick;
  double seconds;
};

// A Standard MIDI File in memory: tracks of owned events, the time division and the
// layout states (split or joined tracks, absolute or delta ticks). Whole operations
// return 1 for success and 0 for failure; diagnostics go to standard error as single
// lines. One file is used by one thread at a time.
class MidiFile {
public:
  MidiFile();
  MidiFile(const MidiFile& other);
  MidiFile(MidiFile&& other);
  // Read a file; status() then holds the read's result.
  explicit MidiFile(const char* aFile);
  explicit MidiFile(const std::string& aFile);
  explicit MidiFile(std::istream& input);
  ~MidiFile();

  // Assigns every field: tracks, time division, states, name, time map and status.
  MidiFile& operator=(MidiFile other);

  void clear();
  void erase();
  // As clear(), but the events survive; their owner is the caller.
  void clear_no_deallocate();

  // Indexes are not checked; callers keep them in range.
  MidiEventList& operator[](int aTrack);
  const MidiEventList& operator[](int aTrack) const;
  int getTickState();
  void deltaTicks();
  void absoluteTicks();
  int getTrackCount() const;
  int size() const;
  int getNumTracks() const;
  MidiEvent& getEvent(int aTrack, int anIndex);
  int getEventCount(int aTrack);
  int getNumEvents(int aTrack);
  int status();
  int getTrackState();
  int hasJoinedTracks();
  int hasSplitTracks();
  int isDeltaTicks();
  int isAbsoluteTicks();
  int getSplitTrack(int track, int index);
  int getSplitTrack(int index);

  int getTPQ();
  int getTicksPerQuarterNote();
  void setTicksPerQuarterNote(int ticks);
  void setTPQ(int ticks);
  void setMillisecondTicks();
  const char* getFilename();
  void setFilename(const char* aname);
  void setFilename(const std::string& aname);

  void markSequence();
  void clearSequence();

  // Each returns the index of the new event in its track.
  int addEvent(int aTrack, int aTick, std::vector<unsigned char>& midiData);
  int addEvent(MidiEvent& mfevent);
  int addMetaEvent(int aTrack, int aTick, int aType, std::vector<unsigned char>& metaData);
  int addMetaEvent(int aTrack, int aTick, int aType, const char* metaData);
  int addCopyright(int aTrack, int aTick, const std::string& text);
  int addTrackName(int aTrack, int aTick, const std::string& name);
  int addInstrumentName(int aTrack, int aTick, const std::string& name);
  int addLyric(int aTrack, int aTick, const std::string& text);
  int addMarker(int aTrack, int aTick, const std::string& text);
  int addCue(int aTrack, int aTick, const std::string& text);
  int addTempo(int aTrack, int aTick, double aTempo);
  int addTimeSignature(int aTrack, int aTick, int top, int bottom, int clocksPerClick,
                       int num32ndsPerQuarter);
  int addCompoundTimeSignature(int aTrack, int aTick, int top, int bottom, int clocksPerClick,
                               int num32ndsPerQuarter);
  int addNoteOn(int aTrack, int aTick, int aChannel, int key, int vel);
  int addNoteOff(int aTrack, int aTick, int aChannel, int key, int vel);
  int addNoteOff(int aTrack, int aTick, int aChannel, int key);
  int addController(int aTrack, int aTick, int aChannel, int num, int value);
  int addPatchChange(int aTrack, int aTick, int aChannel, int patchnum);
  int addTimbre(int aTrack, int aTick, int aChannel, int patchnum);
  int addPitchBend(int aTrack, int aTick, int aChannel, double amount);

  // Writes the variable-length quantity of aValue (0 to 0x0FFFFFFF) into buffer (room
  // for 4 bytes); returns its length.
  int makeVLV(unsigned char* buffer, int aValue);

  int addTrack();
  int addTrack(int count);
  void deleteTrack(int aTrack);
  void allocateEvents(int aTrack, int aSize);
  // Does nothing unless both indexes name different, existing tracks.
  void mergeTracks(int aTrack1, int aTrack2);
  void joinTracks();
  void splitTracks();
  void splitTracksByChannel();
  void sortTrack(MidiEventList& trackData);
  void sortTracks();
  // Order of events at one tick and sequence number: metas (0), other messages (1),
  // note-offs (2), note-ons (3), end of track (4).
  static int eventRank(const MidiEvent& e);

  // Writing. A failed stream or close, or a track whose events are out of time order,
  // is a failure (0, and rwstatus 0); a file that cannot be opened gives 0 and leaves
  // rwstatus as it was. A named file is only created once its bytes are complete.
  int write(const char* aFile);
  int write(const std::string& aFile);
  int write(std::ostream& out);
  void writeVLValue(long aValue, std::vector<unsigned char>& outdata);

  // Reading, from Standard MIDI File bytes or from their ASCII text form. Memory and
  // time are bounded by the input; malformed input fails with status 0. Input that ends
  // inside the bytes an event's status implies pads them with 0 and ends that track;
  // a stored length that runs past the end fails.
  int read(const char* aFile);
  int read(const std::string& aFile);
  int read(std::istream& input);
  // Chunk-header numbers; big-endian despite the names.
  unsigned long readLittleEndian4Bytes(std::istream& input);
  unsigned short readLittleEndian2Bytes(std::istream& input);
  unsigned char readByte(std::istream& input);
  unsigned long readVLValue(std::istream& inp);
  unsigned long unpackVLV(unsigned char a, unsigned char b, unsigned char c, unsigned char d);
  // Decodes one event's message after its delta; runningCommand lives for one track.
  int extractMidiData(std::istream& inputfile, std::vector<unsigned char>& array,
                      unsigned char& runningCommand);

  // Time map: ticks to seconds through the tempo events (120 bpm until the first).
  // Building it writes every event's seconds and leaves tracks and event order alone.
  // Lookups outside the map, or on an empty file, answer -1 (or -1.0).
  int getTrackCountAsType1();
  double getTimeInSeconds(int aTick);
  double getTimeInSeconds(int aTrack, int anIndex);
  int getAbsoluteTickTime(double starttime);
  void buildTimeMap();
  void doTimeAnalysis();
  double linearSecondInterpolationAtTick(int ticktime);
  int linearTickInterpolationAtSecond(double seconds);
  static int ticksearch(const void* A, const void* B);
  static int secondsearch(const void* A, const void* B);
  double getTotalTimeInSeconds();
  int getTotalTimeInTicks();
  double getTotalTimeInQuarters();
  int linkNotePairs();
  int linkEventPairs();
  void clearLinks();

  // Dumps of the bytes write() would store: hex pairs, or the ASCII text form (which
  // read() takes back).
  int writeHex(std::ostream& out, int width);
  int writeHex(const char* aFile, int width);
  int writeHex(const std::string& aFile, int width);
  int writeBinasc(std::ostream& out);
  int writeBinasc(const char* aFile);
  int writeBinasc(const std::string& aFile);
  int writeBinascWithComments(std::ostream& out);
  int writeBinascWithComments(const char* aFile);
  int writeBinascWithComments(const std::string& aFile);

  static std::ostream& writeLittleEndianUShort(std::ostream& out, unsigned short value);
  static std::ostream& writeBigEndianUShort(std::ostream& out, unsigned short value);
  static std::ostream& writeLittleEndianShort(std::ostream& out, short value);
  static std::ostream& writeBigEndianShort(std::ostream& out, short value);
  static std::ostream& writeLittleEndianULong(std::ostream& out, unsigned long value);
  static std::ostream& writeBigEndianULong(std::ostream& out, unsigned long value);
  static std::ostream& writeLittleEndianLong(std::ostream& out, long value);
  static std::ostream& writeBigEndianLong(std::ostream& out, long value);
  static std::ostream& writeLittleEndianFloat(std::ostream& out, float value);
  static std::ostream& writeBigEndianFloat(std::ostream& out, float value);
  static std::ostream& writeLittleEndianDouble(std::ostream& out, double value);
  static std::ostream& writeBigEndianDouble(std::ostream& out, double value);

private:
  std::vector<MidiEventList*> tracks; // owned
  int ticksPerQuarterNote;
  int trackState; // 0 split, 1 joined
  int timeState;  // 0 delta ticks, 1 absolute ticks
  std::vector<char> readFileName;
  int timeMapValid;
  std::vector<_TickTime> timeMap;
  int rwstatus;

  int writeTracks(std::ostream& out);
  int readStream(std::istream& input);
  int writeBinascStyle(std::ostream& out, int comments);
};

// The commented ASCII text form of the file.
std::ostream& operator<<(std::ostream& out, MidiFile& aMidiFile);

#endif
