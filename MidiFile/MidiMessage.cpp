#include "MidiFile/MidiMessage.h"

namespace {

template <class T> void copyLow8(std::vector<unsigned char>& out, const std::vector<T>& in) {
  out.resize(in.size());
  for (size_t i = 0; i < in.size(); i++) out[i] = static_cast<unsigned char>(in[i] & 0xff);
}

} // namespace

MidiMessage::MidiMessage() {}

MidiMessage::MidiMessage(int command) : std::vector<unsigned char>(1) {
  (*this)[0] = static_cast<unsigned char>(command & 0xff);
}

MidiMessage::MidiMessage(int command, int p1) : std::vector<unsigned char>(2) {
  (*this)[0] = static_cast<unsigned char>(command & 0xff);
  (*this)[1] = static_cast<unsigned char>(p1 & 0xff);
}

MidiMessage::MidiMessage(int command, int p1, int p2) : std::vector<unsigned char>(3) {
  (*this)[0] = static_cast<unsigned char>(command & 0xff);
  (*this)[1] = static_cast<unsigned char>(p1 & 0xff);
  (*this)[2] = static_cast<unsigned char>(p2 & 0xff);
}

MidiMessage::MidiMessage(const MidiMessage& message) : std::vector<unsigned char>(message) {}

MidiMessage::MidiMessage(const std::vector<unsigned char>& message)
    : std::vector<unsigned char>(message) {}
MidiMessage::MidiMessage(const std::vector<char>& message) {
  setMessage(message);
}
MidiMessage::MidiMessage(const std::vector<int>& message) {
  setMessage(message);
}

MidiMessage::~MidiMessage() {}

MidiMessage& MidiMessage::operator=(const MidiMessage& message) {
  if (this != &message) std::vector<unsigned char>::operator=(message);
  return *this;
}

MidiMessage& MidiMessage::operator=(const std::vector<unsigned char>& bytes) {
  if (static_cast<const std::vector<unsigned char>*>(this) != &bytes) setMessage(bytes);
  return *this;
}

MidiMessage& MidiMessage::operator=(const std::vector<char>& bytes) {
  setMessage(bytes);
  return *this;
}

MidiMessage& MidiMessage::operator=(const std::vector<int>& bytes) {
  setMessage(bytes);
  return *this;
}

void MidiMessage::setMessage(const std::vector<unsigned char>& message) {
  if (static_cast<const std::vector<unsigned char>*>(this) != &message)
    std::vector<unsigned char>::operator=(message);
}
void MidiMessage::setMessage(const std::vector<char>& message) {
  copyLow8(*this, message);
}
void MidiMessage::setMessage(const std::vector<int>& message) {
  copyLow8(*this, message);
}

void MidiMessage::setSize(int asize) {
  resize(asize < 0 ? 0 : static_cast<size_t>(asize));
}
int MidiMessage::getSize() const {
  return static_cast<int>(size());
}

int MidiMessage::setSizeToCommand() {
  if (empty()) return 0;
  int count;
  switch ((*this)[0] & 0xf0) {
  case 0x80:
  case 0x90:
  case 0xa0:
  case 0xb0:
  case 0xe0:
    count = 2;
    break;
  case 0xc0:
  case 0xd0:
    count = 1;
    break;
  default:
    return 0;
  }
  resize(count + 1);
  return count + 1;
}

int MidiMessage::resizeToCommand() {
  return setSizeToCommand();
}

int MidiMessage::isMeta() const {
  return size() >= 3 && (*this)[0] == 0xff ? 1 : 0;
}
int MidiMessage::isMetaMessage() const {
  return isMeta();
}
int MidiMessage::isTempo() const {
  return isMeta() && (*this)[1] == 0x51 && size() == 6 ? 1 : 0;
}
int MidiMessage::isEndOfTrack() const {
  return getMetaType() == 0x2f ? 1 : 0;
}

int MidiMessage::isNoteOn() const {
  return size() == 3 && ((*this)[0] & 0xf0) == 0x90 && (*this)[2] != 0 ? 1 : 0;
}

int MidiMessage::isNoteOff() const {
  if (size() != 3) return 0;
  int cmd = (*this)[0] & 0xf0;
  return cmd == 0x80 || (cmd == 0x90 && (*this)[2] == 0) ? 1 : 0;
}

int MidiMessage::isNote() const {
  return isNoteOn() || isNoteOff() ? 1 : 0;
}
int MidiMessage::isAftertouch() const {
  return size() == 3 && ((*this)[0] & 0xf0) == 0xa0;
}
int MidiMessage::isController() const {
  return size() == 3 && ((*this)[0] & 0xf0) == 0xb0;
}
int MidiMessage::isTimbre() const {
  return size() == 2 && ((*this)[0] & 0xf0) == 0xc0;
}
int MidiMessage::isPatchChange() const {
  return isTimbre();
}
int MidiMessage::isPressure() const {
  return size() == 2 && ((*this)[0] & 0xf0) == 0xd0;
}
int MidiMessage::isPitchbend() const {
  return size() == 3 && ((*this)[0] & 0xf0) == 0xe0;
}

int MidiMessage::getP0() const {
  return size() < 1 ? -1 : (*this)[0];
}
int MidiMessage::getP1() const {
  return size() < 2 ? -1 : (*this)[1];
}
int MidiMessage::getP2() const {
  return size() < 3 ? -1 : (*this)[2];
}
int MidiMessage::getP3() const {
  return size() < 4 ? -1 : (*this)[3];
}

void MidiMessage::setP0(int value) {
  if (size() < 1) resize(1);
  (*this)[0] = static_cast<unsigned char>(value & 0xff);
}
void MidiMessage::setP1(int value) {
  if (size() < 2) resize(2);
  (*this)[1] = static_cast<unsigned char>(value & 0xff);
}
void MidiMessage::setP2(int value) {
  if (size() < 3) resize(3);
  (*this)[2] = static_cast<unsigned char>(value & 0xff);
}
void MidiMessage::setP3(int value) {
  if (size() < 4) resize(4);
  (*this)[3] = static_cast<unsigned char>(value & 0xff);
}

int MidiMessage::getCommandByte() const {
  return empty() ? -1 : (*this)[0];
}
int MidiMessage::getCommandNibble() const {
  return empty() ? -1 : (*this)[0] & 0xf0;
}
int MidiMessage::getChannelNibble() const {
  return empty() ? -1 : (*this)[0] & 0x0f;
}
int MidiMessage::getChannel() const {
  return getChannelNibble();
}
int MidiMessage::getMetaType() const {
  return isMeta() ? (*this)[1] : -1;
}

int MidiMessage::getKeyNumber() const {
  return isNote() || isAftertouch() ? (*this)[1] : -1;
}

int MidiMessage::getVelocity() const {
  return isNote() ? (*this)[2] : -1;
}

void MidiMessage::setKeyNumber(int value) {
  if (isNote() || isAftertouch()) (*this)[1] = static_cast<unsigned char>(value & 0xff);
}

void MidiMessage::setVelocity(int value) {
  if (isNote()) (*this)[2] = static_cast<unsigned char>(value & 0xff);
}

void MidiMessage::setCommandByte(int value) {
  setP0(value);
}
void MidiMessage::setCommand(int value) {
  setP0(value);
}

void MidiMessage::setCommand(int value, int p1) {
  resize(2);
  (*this)[0] = static_cast<unsigned char>(value & 0xff);
  (*this)[1] = static_cast<unsigned char>(p1 & 0xff);
}

void MidiMessage::setCommand(int value, int p1, int p2) {
  resize(3);
  (*this)[0] = static_cast<unsigned char>(value & 0xff);
  (*this)[1] = static_cast<unsigned char>(p1 & 0xff);
  (*this)[2] = static_cast<unsigned char>(p2 & 0xff);
}

void MidiMessage::setCommandNibble(int value) {
  if (empty()) resize(1);
  int nibble = (value < 16 ? value << 4 : value) & 0xf0;
  (*this)[0] = static_cast<unsigned char>(((*this)[0] & 0x0f) | nibble);
}

void MidiMessage::setChannelNibble(int value) {
  if (empty()) resize(1);
  (*this)[0] = static_cast<unsigned char>(((*this)[0] & 0xf0) | (value & 0x0f));
}

void MidiMessage::setChannel(int value) {
  setChannelNibble(value);
}

void MidiMessage::setParameters(int p1) {
  resize(2);
  (*this)[1] = static_cast<unsigned char>(p1 & 0xff);
}

void MidiMessage::setParameters(int p1, int p2) {
  resize(3);
  (*this)[1] = static_cast<unsigned char>(p1 & 0xff);
  (*this)[2] = static_cast<unsigned char>(p2 & 0xff);
}

int MidiMessage::getTempoMicro() const {
  return getTempoMicroseconds();
}

int MidiMessage::getTempoMicroseconds() const {
  if (!isTempo()) return -1;
  return ((*this)[3] << 16) + ((*this)[4] << 8) + (*this)[5];
}

double MidiMessage::getTempoSeconds() const {
  int us = getTempoMicroseconds();
  return us < 0 ? -1.0 : us / 1000000.0;
}

double MidiMessage::getTempoBPM() const {
  int us = getTempoMicroseconds();
  return us < 0 ? -1.0 : 60000000.0 / us;
}

double MidiMessage::getTempoTPS(int tpq) const {
  int us = getTempoMicroseconds();
  return us < 0 ? -1.0 : tpq * 1000000.0 / us;
}

double MidiMessage::getTempoSPT(int tpq) const {
  int us = getTempoMicroseconds();
  return us < 0 ? -1.0 : us / 1000000.0 / tpq;
}

void MidiMessage::setTempoMicroseconds(int microseconds) {
  resize(6);
  (*this)[0] = 0xff;
  (*this)[1] = 0x51;
  (*this)[2] = 0x03;
  (*this)[3] = static_cast<unsigned char>((microseconds >> 16) & 0xff);
  (*this)[4] = static_cast<unsigned char>((microseconds >> 8) & 0xff);
  (*this)[5] = static_cast<unsigned char>(microseconds & 0xff);
}

void MidiMessage::setMetaTempo(double tempo) {
  setTempoMicroseconds(static_cast<int>(60.0 / tempo * 1000000.0 + 0.5));
}
void MidiMessage::setTempo(double tempo) {
  setMetaTempo(tempo);
}
void MidiMessage::makeTempo(double tempo) {
  setMetaTempo(tempo);
}

void MidiMessage::makeNoteOn(int channel, int key, int velocity) {
  setCommand(0x90 | (channel & 0x0f), key & 0x7f, velocity & 0x7f);
}

void MidiMessage::makeNoteOff(int channel, int key, int velocity) {
  setCommand(0x80 | (channel & 0x0f), key & 0x7f, velocity & 0x7f);
}

void MidiMessage::makeNoteOff(int channel, int key) {
  setCommand(0x90 | (channel & 0x0f), key & 0x7f, 0);
}

void MidiMessage::makeNoteOff() {
  if (isNoteOn()) {
    (*this)[2] = 0;
  } else {
    setCommand(0x90, 0, 0);
  }
}

void MidiMessage::makeController(int channel, int num, int value) {
  setCommand(0xb0 | (channel & 0x0f), num & 0x7f, value & 0x7f);
}

void MidiMessage::makePatchChange(int channel, int patchnum) {
  setCommand(0xc0 | (channel & 0x0f), patchnum & 0x7f);
}

void MidiMessage::makeTimbre(int channel, int patchnum) {
  makePatchChange(channel, patchnum);
}

void MidiMessage::makeTimeSignature(int top, int bottom, int clocksPerClick,
                                    int num32ndsPerQuarter) {
  int power = 0;
  if (bottom >= 1) {
    for (int b = bottom >> 1; b != 0; b >>= 1) power++;
  }
  resize(7);
  (*this)[0] = 0xff;
  (*this)[1] = 0x58;
  (*this)[2] = 0x04;
  (*this)[3] = static_cast<unsigned char>(top & 0xff);
  (*this)[4] = static_cast<unsigned char>(power & 0xff);
  (*this)[5] = static_cast<unsigned char>(clocksPerClick & 0xff);
  (*this)[6] = static_cast<unsigned char>(num32ndsPerQuarter & 0xff);
}

void MidiMessage::makeMetaMessage(int mnum, const std::string& data) {
  size_t length = data.size() > 127 ? 127 : data.size();
  clear();
  reserve(length + 3);
  push_back(0xff);
  push_back(static_cast<unsigned char>(mnum & 0x7f));
  push_back(static_cast<unsigned char>(length));
  insert(end(), data.begin(), data.begin() + length);
}

void MidiMessage::makeCopyright(const std::string& text) {
  makeMetaMessage(0x02, text);
}
void MidiMessage::makeTrackName(const std::string& name) {
  makeMetaMessage(0x03, name);
}
void MidiMessage::makeInstrumentName(const std::string& name) {
  makeMetaMessage(0x04, name);
}
void MidiMessage::makeLyric(const std::string& text) {
  makeMetaMessage(0x05, text);
}
void MidiMessage::makeMarker(const std::string& text) {
  makeMetaMessage(0x06, text);
}
void MidiMessage::makeCue(const std::string& text) {
  makeMetaMessage(0x07, text);
}

void MidiMessage::setSpelling(int base7, int accidental) {
  if (!isNoteOn()) return;
  // Velocities 1-3 would become 0 (a note-off) once the low bits are cleared.
  if ((*this)[2] < 4) (*this)[2] = 4;
  int letter = base7 % 7;
  int code = 0;
  if (letter >= 0 && accidental >= -2 && accidental <= 3) {
    static const int table[7][6] = {
        {1, 1, 2, 2, 3, 0}, // C
        {1, 1, 2, 3, 3, 0}, // D
        {1, 2, 2, 3, 3, 0}, // E
        {1, 1, 2, 2, 3, 3}, // F
        {1, 1, 2, 2, 3, 0}, // G
        {1, 1, 2, 3, 3, 0}, // A
        {1, 2, 2, 3, 3, 0}, // B
    };
    code = table[letter][accidental + 2];
  }
  (*this)[2] = static_cast<unsigned char>(((*this)[2] & 0xfc) | code);
}

void MidiMessage::getSpelling(int& base7, int& accidental) const {
  if (!isNoteOn()) return;
  struct Spell {
    int letter, accidental, octaveShift;
  };
  static const Spell flat[12] = {{1, -2, 0}, {1, -1, 0}, {2, -2, 0}, {3, -2, 0},
                                 {3, -1, 0}, {4, -2, 0}, {4, -1, 0}, {5, -2, 0},
                                 {5, -1, 0}, {6, -2, 0}, {0, -2, 1}, {0, -1, 1}};
  static const Spell sharp[12] = {{6, 1, -1}, {6, 2, -1}, {0, 2, 0}, {1, 1, 0},
                                  {1, 2, 0},  {2, 1, 0},  {2, 2, 0}, {3, 2, 0},
                                  {3, 3, 0},  {4, 2, 0},  {5, 1, 0}, {5, 2, 0}};
  static const Spell plain[12] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0},  {2, -1, 0},
                                  {2, 0, 0}, {3, 0, 0}, {3, 1, 0},  {4, 0, 0},
                                  {4, 1, 0}, {5, 0, 0}, {6, -1, 0}, {6, 0, 0}};
  int key = (*this)[1];
  int code = (*this)[2] & 3;
  const Spell& s = code == 1 ? flat[key % 12] : code == 3 ? sharp[key % 12] : plain[key % 12];
  base7 = s.letter + 7 * (key / 12 + s.octaveShift);
  accidental = s.accidental;
}
