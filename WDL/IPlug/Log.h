#pragma once

// The framework's small log module: an interval timer, character helpers, time and build
// stamp texts, and the tracing entry point. Tracing is switched off: Trace does nothing and
// the naming functions return "".

#include <cstdint>
#include <ctime>

class WDL_String;

// Measures processor time used by the process (clock()), not wall-clock time.
// Belongs to one user.
class Timer {
public:
  Timer();
  // True when more than sec seconds have passed since the mark; the mark then restarts.
  bool Every(double sec);

private:
  uint64_t mT; // clock() reading
};

// Space, tab, line feed and carriage return.
bool IsWhitespace(char c);

// dest receives src lower-cased and terminated; dest must hold strlen(src) + 1 bytes.
void ToLower(char* dest, const char* src);

// Local date, time and offset from UTC, "YYYYMMDD HH:MM +HHMM", in a static buffer that the
// next call overwrites: one thread at a time.
const char* CurrentTime();
// The same for a given moment (CurrentTime passes the present one).
const char* CurrentTime(time_t when);

// Sets out to the bracketed build stamp "[Mmm DD HH:MM]" made from the __DATE__ and __TIME__
// forms (month and day, hours and minutes).
void CompileTimestamp(const char* date, const char* time, WDL_String* out);
// str, a space and the build stamp, in a static string that the next call overwrites: one
// thread at a time.
const char* AppendTimestamp(const char* date, const char* time, const char* str);

// funcName and line say where the trace point is; format and its arguments are printf-style.
void Trace(const char* funcName, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Names for trace lines; all give "" for every value.
const char* VSTOpcodeStr(int opCode);
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propID);
const char* AUScopeStr(int scope);
