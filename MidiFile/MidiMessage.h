#ifndef MIDIFILE_MIDIMESSAGE_H
#define MIDIFILE_MIDIMESSAGE_H

#include <string>
#include <vector>

// The bytes of one MIDI message in wire order: a channel message, a meta message
// (FF type length data) or a system-exclusive block. Byte 0 is the command byte.
// Every value stored into a byte keeps its low 8 bits; accessors answer -1 where the
// asked-for byte does not exist.
class MidiMessage : public std::vector<unsigned char> {
public:
  MidiMessage();
  explicit MidiMessage(int command);
  MidiMessage(int command, int p1);
  MidiMessage(int command, int p1, int p2);
  MidiMessage(const MidiMessage& message);
  MidiMessage(const std::vector<unsigned char>& message);
  MidiMessage(const std::vector<char>& message);
  MidiMessage(const std::vector<int>& message);
  ~MidiMessage();

  MidiMessage& operator=(const MidiMessage& message);
  MidiMessage& operator=(const std::vector<unsigned char>& bytes);
  MidiMessage& operator=(const std::vector<char>& bytes);
  MidiMessage& operator=(const std::vector<int>& bytes);

  void setMessage(const std::vector<unsigned char>& message);
  void setMessage(const std::vector<char>& message);
  void setMessage(const std::vector<int>& message);

  void setSize(int asize);
  int getSize() const;
  int setSizeToCommand();
  int resizeToCommand();

  // Predicates answer 1 or 0.
  int isMeta() const;
  int isMetaMessage() const;
  int isTempo() const;
  int isEndOfTrack() const;
  int isNoteOn() const;
  int isNoteOff() const;
  int isNote() const;
  int isAftertouch() const;
  int isController() const;
  int isTimbre() const;
  int isPatchChange() const;
  int isPressure() const;
  int isPitchbend() const;

  int getP0() const;
  int getP1() const;
  int getP2() const;
  int getP3() const;
  void setP0(int value);
  void setP1(int value);
  void setP2(int value);
  void setP3(int value);

  int getCommandByte() const;
  int getCommandNibble() const;
  int getChannelNibble() const;
  int getChannel() const;
  int getMetaType() const;
  int getKeyNumber() const;
  int getVelocity() const;
  void setKeyNumber(int value);
  void setVelocity(int value);
  void setCommandByte(int value);
  void setCommand(int value);
  void setCommand(int value, int p1);
  void setCommand(int value, int p1, int p2);
  void setCommandNibble(int value);
  void setChannelNibble(int value);
  void setChannel(int value);
  void setParameters(int p1);
  void setParameters(int p1, int p2);

  // Tempo in microseconds per quarter note; -1 (or -1.0) when this is no tempo message.
  int getTempoMicro() const;
  int getTempoMicroseconds() const;
  double getTempoSeconds() const;
  double getTempoBPM() const;
  double getTempoTPS(int tpq) const;
  double getTempoSPT(int tpq) const;
  void setTempoMicroseconds(int microseconds);
  void setMetaTempo(double tempo);
  void setTempo(double tempo);
  void makeTempo(double tempo);

  void makeNoteOn(int channel, int key, int velocity);
  void makeNoteOff(int channel, int key, int velocity);
  void makeNoteOff(int channel, int key);
  void makeNoteOff();
  void makeController(int channel, int num, int value);
  void makePatchChange(int channel, int patchnum);
  void makeTimbre(int channel, int patchnum);
  void makeTimeSignature(int top, int bottom, int clocksPerClick, int num32ndsPerQuarter);
  void makeMetaMessage(int mnum, const std::string& data);
  void makeCopyright(const std::string& text);
  void makeTrackName(const std::string& name);
  void makeInstrumentName(const std::string& name);
  void makeLyric(const std::string& text);
  void makeMarker(const std::string& text);
  void makeCue(const std::string& text);

  // Enharmonic spelling kept in the two low bits of a note-on's velocity.
  // base7 = 7 * octave + letter (C 0 ... B 6); accidental in semitones.
  void setSpelling(int base7, int accidental);
  void getSpelling(int& base7, int& accidental) const;
};

#endif
