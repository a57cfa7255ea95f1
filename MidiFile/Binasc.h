#ifndef MIDIFILE_BINASC_H
#define MIDIFILE_BINASC_H

#include <iosfwd>
#include <string>

// Converts between binary data (Standard MIDI Files in particular) and a line-oriented
// ASCII text of words: hex, decimal, binary, strings, characters, MIDI variable-length
// values, tempos and pitch bends, with comments. Holds only its options.
class Binasc {
public:
  Binasc();
  ~Binasc();

  int setLineLength(int length);
  int getLineLength();
  int setLineBytes(int length);
  int getLineBytes();
  void setComments(int state);
  void setCommentsOn();
  void setCommentsOff();
  int getComments();
  void setBytes(int state);
  void setBytesOn();
  void setBytesOff();
  int getBytes();
  void setMidi(int state);
  void setMidiOn();
  void setMidiOff();
  int getMidi();

  // Text to binary; 1 for success, 0 when a file cannot be opened. A faulty word costs
  // the rest of its line only.
  int writeToBinary(const std::string& outfile, const std::string& infile);
  int writeToBinary(const std::string& outfile, std::istream& input);
  int writeToBinary(std::ostream& out, const std::string& infile);
  int writeToBinary(std::ostream& out, std::istream& input);

  // Binary to text, in the style the options choose.
  int readFromBinary(const std::string& outfile, const std::string& infile);
  int readFromBinary(const std::string& outfile, std::istream& input);
  int readFromBinary(std::ostream& out, const std::string& infile);
  int readFromBinary(std::ostream& out, std::istream& input);

  static std::string keyToPitchName(int key);

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

  int processLine(std::ostream& out, const std::string& input, int lineNum);
  int getWord(std::string& word, const std::string& input, const std::string& terminators,
              int index);
  int processAsciiWord(std::ostream& out, const std::string& word, int lineNum);
  int processStringWord(std::ostream& out, const std::string& word, int lineNum);
  int processVlvWord(std::ostream& out, const std::string& word, int lineNum);
  int processMidiPitchBendWord(std::ostream& out, const std::string& word, int lineNum);
  int processMidiTempoWord(std::ostream& out, const std::string& word, int lineNum);
  int processDecimalWord(std::ostream& out, const std::string& word, int lineNum);
  int processHexWord(std::ostream& out, const std::string& word, int lineNum);
  int processBinaryWord(std::ostream& out, const std::string& word, int lineNum);

  int outputStyleAscii(std::ostream& out, std::istream& input);
  int outputStyleBinary(std::ostream& out, std::istream& input);
  int outputStyleBoth(std::ostream& out, std::istream& input);
  int outputStyleMidi(std::ostream& out, std::istream& input);
  // One track event as one listing line without its newline; 0 after an end of track,
  // a status byte FE or the end of the input.
  int readMidiEvent(std::ostream& out, std::istream& infile, int& trackbytes, int& command);
  // A MIDI variable-length value of at most 4 bytes; adds the bytes read to trackbytes.
  int getVLV(std::istream& infile, int& trackbytes);

private:
  using Convert = int (Binasc::*)(std::ostream&, std::istream&);
  // Opens the named side or sides (the input first) and runs the stream form;
  // null names take the stream given instead.
  int onFiles(Convert convert, const std::string* outfile, std::ostream* out,
              const std::string* infile, std::istream* in);

  int bytesQ;        // 0 or 1
  int commentsQ;     // 0 or 1
  int midiQ;         // 0 or 1
  int maxLineLength; // characters
  int maxLineBytes;  // bytes per line
};

#endif
