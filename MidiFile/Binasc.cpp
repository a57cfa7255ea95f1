#include "MidiFile/Binasc.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>

namespace {

std::ostream& writeBytes(std::ostream& out, uint64_t value, int count, bool bigEndian) {
  for (int i = 0; i < count; i++) {
    int shift = bigEndian ? 8 * (count - 1 - i) : 8 * i;
    out << static_cast<char>((value >> shift) & 0xff);
  }
  return out;
}

void wordError(int lineNum, const std::string& word, const std::string& message) {
  std::cerr << "Error on line " << lineNum << " at token: " << word << std::endl;
  std::cerr << message << std::endl;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

} // namespace

Binasc::Binasc() : bytesQ(1), commentsQ(0), midiQ(0), maxLineLength(75), maxLineBytes(25) {}

Binasc::~Binasc() {}

int Binasc::setLineLength(int length) {
  maxLineLength = length < 1 ? 75 : length;
  return maxLineLength;
}
int Binasc::getLineLength() {
  return maxLineLength;
}
int Binasc::setLineBytes(int length) {
  maxLineBytes = length < 1 ? 25 : length;
  return maxLineBytes;
}
int Binasc::getLineBytes() {
  return maxLineBytes;
}
void Binasc::setComments(int state) {
  commentsQ = state ? 1 : 0;
}
void Binasc::setCommentsOn() {
  setComments(1);
}
void Binasc::setCommentsOff() {
  setComments(0);
}
int Binasc::getComments() {
  return commentsQ;
}
void Binasc::setBytes(int state) {
  bytesQ = state ? 1 : 0;
}
void Binasc::setBytesOn() {
  setBytes(1);
}
void Binasc::setBytesOff() {
  setBytes(0);
}
int Binasc::getBytes() {
  return bytesQ;
}
void Binasc::setMidi(int state) {
  midiQ = state ? 1 : 0;
}
void Binasc::setMidiOn() {
  setMidi(1);
}
void Binasc::setMidiOff() {
  setMidi(0);
}
int Binasc::getMidi() {
  return midiQ;
}

int Binasc::onFiles(Convert convert, const std::string* outfile, std::ostream* out,
                    const std::string* infile, std::istream* in) {
  auto cannotOpen = [](const std::string& name) {
    std::cerr << "Cannot open " << name << " for reading in binasc." << std::endl;
    return 0;
  };
  std::ifstream inputFile;
  if (infile != nullptr) {
    inputFile.open(*infile, std::ios::binary);
    if (!inputFile.is_open()) return cannotOpen(*infile);
    in = &inputFile;
  }
  std::ofstream outputFile;
  if (outfile != nullptr) {
    outputFile.open(*outfile, std::ios::binary | std::ios::trunc);
    if (!outputFile.is_open()) return cannotOpen(*outfile);
    out = &outputFile;
  }
  return (this->*convert)(*out, *in);
}

int Binasc::writeToBinary(const std::string& outfile, const std::string& infile) {
  return onFiles(&Binasc::writeToBinary, &outfile, nullptr, &infile, nullptr);
}

int Binasc::writeToBinary(const std::string& outfile, std::istream& input) {
  return onFiles(&Binasc::writeToBinary, &outfile, nullptr, nullptr, &input);
}

int Binasc::writeToBinary(std::ostream& out, const std::string& infile) {
  return onFiles(&Binasc::writeToBinary, nullptr, &out, &infile, nullptr);
}

int Binasc::writeToBinary(std::ostream& out, std::istream& input) {
  std::string line;
  int lineNum = 0;
  // Lines of any length; a last line without its newline is converted too.
  while (std::getline(input, line)) processLine(out, line, ++lineNum);
  return 1;
}

int Binasc::processLine(std::ostream& out, const std::string& input, int lineNum) {
  int length = static_cast<int>(input.size());
  int i = 0;
  std::string word;
  while (i < length) {
    char c = input[i];
    if (c == ';' || c == '#' || c == '/') return 1;
    if (c == ' ' || c == '\n' || c == '\t') {
      i++;
      continue;
    }
    i = getWord(word, input, c == '"' ? "\"" : " \n\t", i);
    int ok;
    if (word[0] == '+')
      ok = processAsciiWord(out, word, lineNum);
    else if (word[0] == '"')
      ok = processStringWord(out, word, lineNum);
    else if (word[0] == 'v')
      ok = processVlvWord(out, word, lineNum);
    else if (word[0] == 'p')
      ok = processMidiPitchBendWord(out, word, lineNum);
    else if (word[0] == 't')
      ok = processMidiTempoWord(out, word, lineNum);
    else if (word.find('\'') != std::string::npos)
      ok = processDecimalWord(out, word, lineNum);
    else if (word.find(',') == std::string::npos && word.size() <= 2)
      ok = processHexWord(out, word, lineNum);
    else
      ok = processBinaryWord(out, word, lineNum);
    if (!ok) return 0;
  }
  return 1;
}

// In quote mode the word keeps its opening quote (so its kind can be told) but not the
// closing one; an escaped quote becomes a plain one.
int Binasc::getWord(std::string& word, const std::string& input, const std::string& terminators,
                    int index) {
  word.clear();
  int length = static_cast<int>(input.size());
  bool quoteMode = terminators.find('"') != std::string::npos;
  int quotes = 0;
  while (index < length) {
    char c = input[index];
    if (quoteMode && c == '"') {
      quotes++;
      index++;
      if (quotes == 2) return index;
      word += c;
      continue;
    }
    if (quoteMode && c == '\\' && index + 1 < length && input[index + 1] == '"') {
      word += '"';
      index += 2;
      continue;
    }
    if (terminators.find(c) != std::string::npos) return index + 1;
    word += c;
    index++;
  }
  return length;
}

int Binasc::processAsciiWord(std::ostream& out, const std::string& word, int lineNum) {
  if (word.empty() || word[0] != '+') {
    wordError(lineNum, word, "character byte must start with '+' sign: ");
    return 0;
  }
  if (word.size() >= 3) {
    wordError(lineNum, word, "character byte word is too long -- specify only one character");
    return 0;
  }
  out << (word.size() == 2 ? word[1] : ' ');
  return 1;
}

int Binasc::processStringWord(std::ostream& out, const std::string& word, int) {
  size_t start = !word.empty() && word[0] == '"' ? 1 : 0;
  out.write(word.data() + start, static_cast<std::streamsize>(word.size() - start));
  return 1;
}

int Binasc::processVlvWord(std::ostream& out, const std::string& word, int lineNum) {
  if (word.size() < 2 || !isDigit(word[1])) {
    std::cerr << "Error on line: " << lineNum
              << ": 'v' needs to be followed immediately by a decimal digit" << std::endl;
    return 0;
  }
  uint64_t value = 0;
  for (size_t i = 1; i < word.size() && isDigit(word[i]); i++) {
    value = value * 10 + static_cast<uint64_t>(word[i] - '0');
    if (value > 2147483647u) {
      std::cerr << "Error on line: " << lineNum << ": 'v' value must be from 0 to 2147483647"
                << std::endl;
      return 0;
    }
  }
  unsigned char groups[5] = {static_cast<unsigned char>((value >> 28) & 0x7f),
                             static_cast<unsigned char>((value >> 21) & 0x7f),
                             static_cast<unsigned char>((value >> 14) & 0x7f),
                             static_cast<unsigned char>((value >> 7) & 0x7f),
                             static_cast<unsigned char>(value & 0x7f)};
  int start = 0;
  while (start < 4 && groups[start] == 0) start++;
  for (int i = start; i < 5; i++) out << static_cast<char>(groups[i] | (i < 4 ? 0x80 : 0));
  return 1;
}

namespace {

// 'p' and 't' words: the letter, then a number starting with a digit, '.', '-' or '+'.
bool numberFollows(const std::string& word) {
  return word.size() >= 2 &&
         (isDigit(word[1]) || word[1] == '.' || word[1] == '-' || word[1] == '+');
}

} // namespace

int Binasc::processMidiPitchBendWord(std::ostream& out, const std::string& word, int lineNum) {
  double x = numberFollows(word) ? std::strtod(word.c_str() + 1, nullptr) : 0.0;
  if (!numberFollows(word) || std::isnan(x)) {
    std::cerr << "Error on line: " << lineNum << ": 'p' needs to be followed immediately by "
              << "a floating-point number" << std::endl;
    return 0;
  }
  x = x < -1.0 ? -1.0 : x > 1.0 ? 1.0 : x;
  int value = static_cast<int>(8191.5 * (1.0 + x) + 0.5);
  out << static_cast<char>(value & 0x7f) << static_cast<char>((value >> 7) & 0x7f);
  return 1;
}

int Binasc::processMidiTempoWord(std::ostream& out, const std::string& word, int lineNum) {
  double tempo = numberFollows(word) ? std::strtod(word.c_str() + 1, nullptr) : 0.0;
  if (!numberFollows(word) || std::isnan(tempo)) {
    std::cerr << "Error on line: " << lineNum << ": 't' needs to be followed immediately by "
              << "a floating-point number" << std::endl;
    return 0;
  }
  tempo = std::fabs(tempo);
  double micro = tempo == 0.0 ? HUGE_VAL : 60000000.0 / tempo + 0.5;
  if (micro > 2147483647.0) {
    std::cerr << "Error on line: " << lineNum
              << ": 't' tempo is too small for microseconds per quarter note" << std::endl;
    return 0;
  }
  int value = static_cast<int>(micro);
  out << static_cast<char>((value >> 16) & 0xff) << static_cast<char>((value >> 8) & 0xff)
      << static_cast<char>(value & 0xff);
  return 1;
}

int Binasc::processDecimalWord(std::ostream& out, const std::string& word, int lineNum) {
  int quote = -1, minus = 0, period = 0, byteCount = 0, little = 0;
  for (size_t i = 0; i < word.size(); i++) {
    char c = word[i];
    const char* fault = nullptr;
    std::string invalid;
    if (c == '\'') {
      if (quote >= 0) fault = "extra quote in decimal number";
      quote = static_cast<int>(i);
    } else if (c == '-') {
      if (minus)
        fault = "cannot have more than two minus signs in number";
      else if (i == 0 || word[i - 1] != '\'')
        fault = "minus sign must immediately follow quote mark";
      minus = 1;
    } else if (c == '.') {
      if (quote < 0)
        fault = "cannot have decimal marker before quote";
      else if (period)
        fault = "extra period in decimal number";
      period = 1;
    } else if (c == '0' || c == '5' || c == '6' || c == '7' || c == '9') {
      if (quote < 0) fault = "cannot have numbers before quote in decimal number";
    } else if (c == '1' || c == '2' || c == '3' || c == '4' || c == '8') {
      if (quote < 0) {
        if (byteCount) fault = "invalid byte specificaton before quote in decimal number";
        byteCount = c - '0';
      }
    } else if (c == 'u' || c == 'U') {
      if (quote >= 0)
        fault = "cannot have endian specified after quote";
      else if (little)
        fault = "extra \"u\" in decimal number";
      little = 1;
    } else {
      invalid = "Invalid character in decimal number (character number " + std::to_string(i) + ")";
      fault = invalid.c_str();
    }
    if (fault != nullptr) {
      wordError(lineNum, word, fault);
      return 0;
    }
  }
  if (quote < 0) {
    wordError(lineNum, word, "there must be a quote to signify a decimal number");
    return 0;
  }
  if (quote == static_cast<int>(word.size()) - 1) {
    wordError(lineNum, word, "there must be a decimal number after the quote");
    return 0;
  }
  if (!period && byteCount == 8) {
    wordError(lineNum, word, "only floating-point numbers can use 8 bytes");
    return 0;
  }
  const char* number = word.c_str() + quote + 1;
  if (period) {
    double value = std::atof(number);
    int count = byteCount == 0 ? 4 : byteCount;
    if (count == 4) {
      if (little)
        writeLittleEndianFloat(out, static_cast<float>(value));
      else
        writeBigEndianFloat(out, static_cast<float>(value));
    } else if (count == 8) {
      if (little)
        writeLittleEndianDouble(out, value);
      else
        writeBigEndianDouble(out, value);
    } else {
      wordError(lineNum, word, "floating-point numbers can be only 4 or 8 bytes");
      return 0;
    }
    return 1;
  }

  errno = 0;
  long long value = std::strtoll(number, nullptr, 10);
  // A four-byte word also takes the unsigned 32-bit range, as the listing writes it.
  long long top = byteCount == 4 && !minus ? 4294967295LL : 2147483647LL;
  if (errno == ERANGE || value > top || value < -2147483648LL) {
    wordError(lineNum, word, "Decimal number out of range for " + std::string(number));
    return 0;
  }
  switch (byteCount) {
  case 0:
    if (!minus && (value < 0 || value > 255)) {
      wordError(lineNum, word, "Decimal number out of range from 0 to 255");
      return 0;
    }
    if (minus && (value < -128 || value > 127)) {
      wordError(lineNum, word, "Decimal number out of range from -128 to 127");
      return 0;
    }
    out << static_cast<char>(value & 0xff);
    break;
  case 1:
    out << static_cast<char>(value & 0xff);
    break;
  case 2:
    if (minus) {
      short s = static_cast<short>(value & 0xffff);
      if (little)
        writeLittleEndianShort(out, s);
      else
        writeBigEndianShort(out, s);
    } else {
      unsigned short s = static_cast<unsigned short>(value & 0xffff);
      if (little)
        writeLittleEndianUShort(out, s);
      else
        writeBigEndianUShort(out, s);
    }
    break;
  case 3:
    if (minus) {
      wordError(lineNum, word, "negative decimal numbers cannot be stored in 3 bytes");
      return 0;
    }
    writeBytes(out, static_cast<uint64_t>(value), 3, !little);
    break;
  default: // 4
    if (minus) {
      if (little)
        writeLittleEndianLong(out, static_cast<long>(value));
      else
        writeBigEndianLong(out, static_cast<long>(value));
    } else {
      if (little)
        writeLittleEndianULong(out, static_cast<unsigned long>(value));
      else
        writeBigEndianULong(out, static_cast<unsigned long>(value));
    }
    break;
  }
  return 1;
}

int Binasc::processHexWord(std::ostream& out, const std::string& word, int lineNum) {
  if (word.size() >= 3) {
    wordError(lineNum, word, "Size of hexadecimal number is too large.  Max is ff.");
    return 0;
  }
  int value = 0;
  for (char c : word) {
    int digit;
    if (isDigit(c))
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else {
      wordError(lineNum, word, "Invalid character in hexadecimal number.");
      return 0;
    }
    value = value * 16 + digit;
  }
  out << static_cast<char>(value);
  return 1;
}

int Binasc::processBinaryWord(std::ostream& out, const std::string& word, int lineNum) {
  int comma = -1;
  for (size_t i = 0; i < word.size(); i++) {
    char c = word[i];
    if (c == ',') {
      if (comma >= 0) {
        wordError(lineNum, word, "extra comma in binary number");
        return 0;
      }
      comma = static_cast<int>(i);
    } else if (c != '0' && c != '1') {
      wordError(lineNum, word,
                std::string("Invalid character in binary number (character is ") + c + ")");
      return 0;
    }
  }
  int length = static_cast<int>(word.size());
  if (comma == 0) {
    wordError(lineNum, word, "cannot start binary number with a comma");
    return 0;
  }
  if (comma >= 0 && comma == length - 1) {
    wordError(lineNum, word, "cannot end binary number with a comma");
    return 0;
  }
  if (comma < 0 && length >= 9) {
    wordError(lineNum, word, "too many digits in binary number");
    return 0;
  }
  if (comma >= 5) {
    wordError(lineNum, word, "too many digits to left of comma");
    return 0;
  }
  if (comma >= 0 && length - comma - 1 >= 5) {
    wordError(lineNum, word, "too many digits to right of comma");
    return 0;
  }
  int value = 0;
  if (comma < 0) {
    for (char c : word) value = value * 2 + (c - '0');
  } else {
    int high = 0, low = 0;
    for (int i = 0; i < comma; i++) high = high * 2 + (word[i] - '0');
    for (int i = comma + 1; i < length; i++) low = low * 2 + (word[i] - '0');
    value = (high << 4) | low;
  }
  out << static_cast<char>(value);
  return 1;
}

namespace {

uint32_t floatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

uint64_t doubleBits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

} // namespace

std::ostream& Binasc::writeLittleEndianUShort(std::ostream& out, unsigned short value) {
  return writeBytes(out, value, 2, false);
}
std::ostream& Binasc::writeBigEndianUShort(std::ostream& out, unsigned short value) {
  return writeBytes(out, value, 2, true);
}
std::ostream& Binasc::writeLittleEndianShort(std::ostream& out, short value) {
  return writeBytes(out, static_cast<unsigned short>(value), 2, false);
}
std::ostream& Binasc::writeBigEndianShort(std::ostream& out, short value) {
  return writeBytes(out, static_cast<unsigned short>(value), 2, true);
}
std::ostream& Binasc::writeLittleEndianULong(std::ostream& out, unsigned long value) {
  return writeBytes(out, value & 0xffffffffUL, 4, false);
}
std::ostream& Binasc::writeBigEndianULong(std::ostream& out, unsigned long value) {
  return writeBytes(out, value & 0xffffffffUL, 4, true);
}
std::ostream& Binasc::writeLittleEndianLong(std::ostream& out, long value) {
  return writeBytes(out, static_cast<unsigned long>(value) & 0xffffffffUL, 4, false);
}
std::ostream& Binasc::writeBigEndianLong(std::ostream& out, long value) {
  return writeBytes(out, static_cast<unsigned long>(value) & 0xffffffffUL, 4, true);
}
std::ostream& Binasc::writeLittleEndianFloat(std::ostream& out, float value) {
  return writeBytes(out, floatBits(value), 4, false);
}
std::ostream& Binasc::writeBigEndianFloat(std::ostream& out, float value) {
  return writeBytes(out, floatBits(value), 4, true);
}
std::ostream& Binasc::writeLittleEndianDouble(std::ostream& out, double value) {
  return writeBytes(out, doubleBits(value), 8, false);
}
std::ostream& Binasc::writeBigEndianDouble(std::ostream& out, double value) {
  return writeBytes(out, doubleBits(value), 8, true);
}
